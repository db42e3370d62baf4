// The converter's entry point: byte-order marks, routing through UTF-16,
// and charset names.
#include "encoding/encoding_convert.h"

#include <cstring>

#include "core/data_buffer.h"
#include "encoding/code_page_convert.h"
#include "encoding/unicode_forms.h"

namespace {

const int kUtf16Le = 1200;
const int kUtf16Be = 1201;
const int kUtf7 = 65000;
const int kUtf8 = 65001;

bool isUnicodeForm(int codePage) {
  return codePage == kUtf16Le || codePage == kUtf16Be || codePage == kUtf7 || codePage == kUtf8;
}

// Source forms that turn into UTF-16LE first.
bool toUtf16(int fromCodePage, const unsigned char* bytes, uint32_t n, DataBuffer& out) {
  if (fromCodePage == kUtf8) return utf8ToUtf16(bytes, n, out);
  return tableToUtf16(fromCodePage, bytes, n, out);
}

bool fromUtf16(int toCodePage, const unsigned char* bytes, uint32_t n, DataBuffer& out) {
  if (toCodePage == kUtf16Le) return out.append(bytes, n);
  if (toCodePage == kUtf8) return utf16ToUtf8(bytes, n, out);
  return utf16ToTable(toCodePage, bytes, n, out);
}

struct CharsetName {
  const char* name;
  uint16_t codePage;
};

const CharsetName kCharsetNames[] = {
    {"us-ascii", 20127},
    {"utf-8", 65001},
    {"utf-16", 1200},
    {"ucs-2", 1200},
    {"unicode", 1200},
    {"unicodefffe", 1201},
    {"utf-7", 65000},
    {"iso-8859-1", 28591},
    {"iso-8859-2", 28592},
    {"iso-8859-3", 28593},
    {"iso-8859-4", 28594},
    {"iso-8859-5", 28595},
    {"iso-8859-6", 28596},
    {"iso-8859-7", 28597},
    {"iso-8859-8", 28598},
    {"windows-1250", 1250},
    {"windows-1251", 1251},
    {"windows-1252", 1252},
    {"windows-1253", 1253},
    {"windows-1254", 1254},
    {"windows-1255", 1255},
    {"windows-1256", 1256},
    {"windows-1257", 1257},
    {"windows-1258", 1258},
    {"windows-874", 874},
    {"ebcdic", 37},
    {"euc-jp", 51932},
    {"euc-cn", 51936},
    {"euc-kr", 51949},
    {"euc-tw", 51950},
    {"big5", 950},
    {"gb2312", 936},
    {"shift-jis", 932},
    {"sjis", 932},
    {"ks-c-5601-1987", 949},
    {"korean", 949},
    {"ks-c-5601", 949},
    {"ks-c5601", 949},
    {"ksc5601", 949},
    {"ksc-5601", 949},
    {"ks-c-5601-1989", 949},
    {"koi8-r", 20866},
    {"koi", 20866},
    {"koi8", 20866},
    {"koi8r", 20866},
    {"koi8-u", 21866},
    {"koi8-ru", 21866},
    {"sen-850200-b", 20107},
    {"swedish", 20107},
};

bool isNameSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

EncodingConvert::~EncodingConvert() = default;

bool EncodingConvert::convert(int fromCodePage, int toCodePage, const unsigned char* bytes,
                              uint32_t n, DataBuffer& out) {
  if (toCodePage == 0) toCodePage = fromCodePage;
  if (fromCodePage == 0 || fromCodePage == toCodePage) return out.append(bytes, n);
  if (bytes == nullptr || n == 0) return true;

  // Byte-order marks decide the byte order, whatever the code page said.
  if (fromCodePage == kUtf16Le || fromCodePage == kUtf16Be) {
    if (n >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
      fromCodePage = kUtf16Be;
      bytes += 2;
      n -= 2;
    } else if (n >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
      fromCodePage = kUtf16Le;
      bytes += 2;
      n -= 2;
    }
    if (n == 0) return true;
  } else if (fromCodePage == kUtf8 && n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB &&
             bytes[2] == 0xBF) {
    bytes += 3;
    n -= 3;
    if (n == 0) return true;
  }
  if (fromCodePage == toCodePage) return out.append(bytes, n);

  // A code page the converter does not know converts nothing, from or to.
  // (Checked first so that a two-step conversion from such a page does not
  // pass for a successful conversion of an empty text.)
  if ((!isUnicodeForm(fromCodePage) && !isTableCodePage(fromCodePage)) ||
      (toCodePage != kUtf16Le && toCodePage != kUtf8 && !isTableCodePage(toCodePage))) {
    return false;
  }

  // Big-endian UTF-16 and UTF-7 become UTF-16LE first.
  DataBuffer pivot;
  bool sourceOk = true;
  if (fromCodePage == kUtf16Be) {
    if (n < 2) return true;
    if (!swapUtf16Pairs(bytes, n, pivot)) return false;
    fromCodePage = kUtf16Le;
    bytes = pivot.getData();
    n = pivot.getSize();
  } else if (fromCodePage == kUtf7) {
    sourceOk = utf7ToUtf16(bytes, n, pivot);
    fromCodePage = kUtf16Le;
    bytes = pivot.getData();
    n = pivot.getSize();
    if (n == 0) return sourceOk;
  }

  if (fromCodePage == kUtf16Le) return fromUtf16(toCodePage, bytes, n, out) && sourceOk;
  if (toCodePage == kUtf16Le) return toUtf16(fromCodePage, bytes, n, out);
  // Neither side is UTF-16: through a UTF-16 buffer. Characters lost on
  // the way in do not show in the result, only those lost on the way out.
  DataBuffer utf16;
  toUtf16(fromCodePage, bytes, n, utf16);
  if (utf16.getSize() == 0) return true;
  return fromUtf16(toCodePage, utf16.getData(), utf16.getSize(), out);
}

bool EncodingConvert::convertByName(const char* charsetName, int toCodePage,
                                    const unsigned char* bytes, uint32_t n, DataBuffer& out) {
  uint16_t fromCodePage = codePageForName(charsetName);
  if (fromCodePage == 0) return false;
  return convert(fromCodePage, toCodePage, bytes, n, out);
}

uint16_t EncodingConvert::codePageForName(const char* name) {
  if (name == nullptr) return 0;
  size_t start = 0;
  size_t end = std::strlen(name);
  while (start < end && isNameSpace(name[start])) ++start;
  while (end > start && isNameSpace(name[end - 1])) --end;
  size_t length = end - start;
  // The longest known name is 14 characters; anything longer is unknown.
  char folded[16];
  if (length < 3 || length >= sizeof folded) return 0;
  for (size_t i = 0; i < length; ++i) {
    char c = name[start + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c == '_') c = '-';
    folded[i] = c;
  }
  folded[length] = '\0';
  for (const CharsetName& known : kCharsetNames) {
    if (std::strcmp(known.name, folded) == 0) return known.codePage;
  }
  return 0;
}
