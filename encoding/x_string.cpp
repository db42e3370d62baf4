#include "encoding/x_string.h"

#include <cstring>

#include "encoding/encoding_convert.h"
#include "platform/platform.h"

namespace {

const int kUtf16Le = 1200;
const int kUtf8 = 65001;

bool startsWithMark(const void* bytes, int n) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  return n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF;
}

// A UTF-8 argument without its byte-order mark.
const char* withoutMark(const char* s) {
  if (s != nullptr && startsWithMark(s, static_cast<int>(std::strlen(s)))) return s + 3;
  return s;
}

int ansiCodePage() { return static_cast<int>(platform::ansiCodePage()); }

// Replaces sb's content with the bytes of db.
void setFromBytes(StringBuffer& sb, const DataBuffer& db) {
  sb.clear();
  sb.appendN(db.getData(), static_cast<int>(db.getSize()));
}

uint32_t utf16Length(const uint16_t* text) {
  uint32_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

}  // namespace

XString::XString() : ansiStatus_(kAnsiUnknown), utf16Valid_(1), ansiValid_(1), utf8Valid_(1) {
  utf16_.append("\0\0", 2);
}

XString::XString(const XString& other) : XString() { copyFrom(other); }

XString& XString::operator=(const XString& other) {
  if (this != &other) copyFrom(other);
  return *this;
}

XString::~XString() = default;

// ---- Forms -----------------------------------------------------------------

uint32_t XString::utf16Units() const {
  uint32_t size = utf16_.getSize();
  return size >= 2 ? (size - 2) / 2 : 0;
}

void XString::produceUtf16() {
  if (utf16Valid_) return;
  utf16_.clear();
  EncodingConvert convert;
  if (utf8Valid_) {
    convert.convert(kUtf8, kUtf16Le, reinterpret_cast<const unsigned char*>(utf8_.getString()),
                    static_cast<uint32_t>(utf8_.getSize()), utf16_);
  } else if (ansiValid_) {
    convert.convert(ansiCodePage(), kUtf16Le,
                    reinterpret_cast<const unsigned char*>(ansi_.getString()),
                    static_cast<uint32_t>(ansi_.getSize()), utf16_);
  } else {
    clear();
    return;
  }
  utf16_.append("\0\0", 2);
  utf16Valid_ = 1;
}

void XString::produceAnsi() {
  if (ansiValid_) return;
  DataBuffer bytes;
  bool exact = true;
  EncodingConvert convert;
  if (utf8Valid_) {
    exact = convert.convert(kUtf8, ansiCodePage(),
                            reinterpret_cast<const unsigned char*>(utf8_.getString()),
                            static_cast<uint32_t>(utf8_.getSize()), bytes);
  } else if (utf16Valid_) {
    uint32_t units = utf16Units();
    if (units > 0) exact = convert.convert(kUtf16Le, ansiCodePage(), utf16_.getData(), 2 * units, bytes);
  } else {
    clear();
    return;
  }
  setFromBytes(ansi_, bytes);
  ansiValid_ = 1;
  ansiStatus_ = exact ? kAnsiExact : kAnsiLossy;
}

void XString::produceUtf8() {
  if (utf8Valid_) return;
  DataBuffer bytes;
  EncodingConvert convert;
  if (ansiValid_) {
    uint32_t n = static_cast<uint32_t>(ansi_.getSize());
    bytes.ensureCapacity(n + n / 16 + 4);
    convert.convert(ansiCodePage(), kUtf8, reinterpret_cast<const unsigned char*>(ansi_.getString()),
                    n, bytes);
  } else if (utf16Valid_) {
    uint32_t units = utf16Units();
    if (units > 0) convert.convert(kUtf16Le, kUtf8, utf16_.getData(), 2 * units, bytes);
  } else {
    clear();
    return;
  }
  setFromBytes(utf8_, bytes);
  utf8Valid_ = 1;
}

void XString::onlyUtf8() {
  utf8Valid_ = 1;
  utf16Valid_ = 0;
  ansiValid_ = 0;
  ansiStatus_ = kAnsiUnknown;
}

void XString::onlyUtf16() {
  utf16Valid_ = 1;
  utf8Valid_ = 0;
  ansiValid_ = 0;
  ansiStatus_ = kAnsiUnknown;
}

// ---- Setting ---------------------------------------------------------------

void XString::clear() {
  utf16_.clear();
  utf16_.append("\0\0", 2);
  ansi_.clear();
  utf8_.clear();
  utf16Valid_ = ansiValid_ = utf8Valid_ = 1;
  ansiStatus_ = kAnsiUnknown;
}

bool XString::setFromAnsi(const char* text) {
  if (text == nullptr || *text == '\0') {
    clear();
    return true;
  }
  bool ok = ansi_.setString(text);
  ansiValid_ = 1;
  utf16Valid_ = utf8Valid_ = 0;
  ansiStatus_ = kAnsiExact;
  return ok;
}

bool XString::setFromUtf8(const char* text) {
  if (text == nullptr) {
    clear();
    return true;
  }
  return setFromUtf8N(text, static_cast<int>(std::strlen(text)));
}

bool XString::setFromUtf8N(const void* bytes, int n) {
  if (bytes == nullptr || n <= 0) {
    clear();
    return true;
  }
  const char* p = static_cast<const char*>(bytes);
  if (startsWithMark(p, n)) {
    p += 3;
    n -= 3;
  }
  if (n == 0) {
    clear();
    return true;
  }
  utf8_.clear();
  bool ok = utf8_.appendN(p, n);
  onlyUtf8();
  return ok;
}

bool XString::setFromUtf16(const uint16_t* text) {
  if (text == nullptr || *text == 0) {
    clear();
    return true;
  }
  utf16_.clear();
  bool ok = utf16_.append(text, 2 * (utf16Length(text) + 1));
  onlyUtf16();
  return ok;
}

void XString::copyFrom(const XString& other) {
  if (this == &other) return;
  utf16_ = other.utf16_;
  ansi_.setSb(other.ansi_);
  utf8_.setSb(other.utf8_);
  utf16Valid_ = other.utf16Valid_;
  ansiValid_ = other.ansiValid_;
  utf8Valid_ = other.utf8Valid_;
  ansiStatus_ = other.ansiStatus_;
}

// ---- Reading ---------------------------------------------------------------

const char* XString::getAnsi() {
  produceAnsi();
  return ansi_.getString();
}

const char* XString::getUtf8() {
  produceUtf8();
  return utf8_.getString();
}

const uint16_t* XString::getUtf16() {
  produceUtf16();
  if (utf16_.getSize() < 2) utf16_.append("\0\0", 2);  // after a failed allocation
  // The block comes from the allocator, so it is aligned for 16-bit units.
  return reinterpret_cast<const uint16_t*>(utf16_.getData());
}

int XString::getLength() {
  if (ansiValid_) return ansi_.getSize();
  produceUtf16();
  return static_cast<int>(utf16Units());
}

bool XString::isAnsiExact() {
  if (ansiStatus_ == kAnsiExact) return true;
  if (ansiStatus_ == kAnsiLossy) return false;
  DataBuffer bytes;
  bool exact = true;
  EncodingConvert convert;
  if (utf16Valid_) {
    uint32_t units = utf16Units();
    if (units > 0) exact = convert.convert(kUtf16Le, ansiCodePage(), utf16_.getData(), 2 * units, bytes);
  } else if (utf8Valid_) {
    exact = convert.convert(kUtf8, ansiCodePage(),
                            reinterpret_cast<const unsigned char*>(utf8_.getString()),
                            static_cast<uint32_t>(utf8_.getSize()), bytes);
  } else {
    return true;  // only the ANSI form: it is the text
  }
  if (exact) {
    setFromBytes(ansi_, bytes);
    ansiValid_ = 1;
    ansiStatus_ = kAnsiExact;
    return true;
  }
  ansi_.clear();
  ansiValid_ = 0;
  ansiStatus_ = kAnsiLossy;
  return false;
}

// ---- Appending ---------------------------------------------------------------

bool XString::appendAnsi(const char* text) {
  if (!isAnsiExact()) {
    // The ANSI form has lost characters: appending to it would make the
    // loss part of the text. Append in UTF-16 instead.
    DataBuffer units;
    EncodingConvert convert;
    if (text != nullptr) {
      convert.convert(ansiCodePage(), kUtf16Le, reinterpret_cast<const unsigned char*>(text),
                      static_cast<uint32_t>(std::strlen(text)), units);
    }
    produceUtf16();
    utf16_.shortenBy(2);
    bool ok = utf16_.appendDataBuffer(units) && utf16_.append("\0\0", 2);
    onlyUtf16();
    return ok;
  }
  produceAnsi();
  bool ok = ansi_.append(text);
  ansiValid_ = 1;
  utf16Valid_ = utf8Valid_ = 0;
  ansiStatus_ = kAnsiExact;  // the text is now its ANSI form
  return ok;
}

bool XString::appendUtf8(const char* text) {
  if (text == nullptr) return appendUtf8N(nullptr, 0);
  return appendUtf8N(text, static_cast<int>(std::strlen(text)));
}

bool XString::appendUtf8N(const void* bytes, int n) {
  produceUtf8();
  const char* p = static_cast<const char*>(bytes);
  if (p != nullptr && startsWithMark(p, n)) {
    p += 3;
    n -= 3;
  }
  bool ok = p == nullptr || n <= 0 || utf8_.appendN(p, n);
  onlyUtf8();
  return ok;
}

bool XString::appendUtf16(const uint16_t* text) {
  produceUtf16();
  utf16_.shortenBy(2);
  bool ok = utf16_.appendUtf16z(text);
  onlyUtf16();
  return ok;
}

bool XString::appendX(const XString& other) {
  if (&other == this) {
    XString copy(other);
    return appendX(copy);
  }
  if (other.utf8Valid_) return appendUtf8N(other.utf8_.getString(), other.utf8_.getSize());
  if (other.utf16Valid_) {
    return appendUtf16(reinterpret_cast<const uint16_t*>(other.utf16_.getData()));
  }
  return appendAnsi(other.ansi_.getString());
}

// ---- UTF-8 queries and edits ---------------------------------------------------

bool XString::beginsWithUtf8(const char* s) {
  produceUtf8();
  return utf8_.beginsWith(withoutMark(s));
}

bool XString::endsWithUtf8(const char* s) {
  produceUtf8();
  return utf8_.endsWith(withoutMark(s));
}

bool XString::containsUtf8(const char* s) {
  produceUtf8();
  return utf8_.contains(withoutMark(s));
}

int XString::indexOfUtf8(const char* s) {
  produceUtf8();
  s = withoutMark(s);
  if (s == nullptr) s = "";
  const char* text = utf8_.getString();
  const char* found = std::strstr(text, s);
  if (found == nullptr) return -1;
  // Count the prefix the way the UTF-16 form would hold it.
  DataBuffer prefix;
  EncodingConvert convert;
  convert.convert(kUtf8, kUtf16Le, reinterpret_cast<const unsigned char*>(text),
                  static_cast<uint32_t>(found - text), prefix);
  return static_cast<int>(prefix.getSize() / 2);
}

void XString::trim() {
  produceUtf8();
  utf8_.trim();
  onlyUtf8();
}

bool XString::replaceFirstUtf8(const char* find, const char* repl) {
  produceUtf8();
  if (!utf8_.replaceFirst(withoutMark(find), withoutMark(repl))) return false;
  onlyUtf8();
  return true;
}

// ---- Other operations ---------------------------------------------------------

bool XString::equalsAnsi(const char* text) {
  produceAnsi();
  bool equal = ansi_.equals(text);
  if (ansiStatus_ == kAnsiLossy) ansiValid_ = 0;
  return equal;
}

void XString::shortenBy(int n) {
  produceUtf16();
  uint32_t units = utf16Units();
  if (n <= 0) {
    onlyUtf16();
    return;
  }
  if (static_cast<uint32_t>(n) >= units) {
    clear();
    return;
  }
  utf16_.shortenBy(2 * static_cast<uint32_t>(n) + 2);
  utf16_.append("\0\0", 2);
  onlyUtf16();
}

void XString::toLowerCase() {
  produceUtf16();
  utf16_.toLowerCaseU16();
  onlyUtf16();
}

void XString::replaceChar(char a, char b) {
  produceUtf16();
  char pair[2] = {a, b};
  DataBuffer units;
  EncodingConvert convert;
  convert.convert(ansiCodePage(), kUtf16Le, reinterpret_cast<const unsigned char*>(pair), 2, units);
  if (units.getSize() == 4) {
    const unsigned char* u = units.getData();
    utf16_.replaceU16(static_cast<uint16_t>(u[0] | u[1] << 8), static_cast<uint16_t>(u[2] | u[3] << 8));
  }
  onlyUtf16();
}
