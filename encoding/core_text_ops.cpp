// Two operations of the core buffers that need this layer's services: the
// named content codings of DataBuffer::encode, and StringBuffer::replaceChar
// on UTF-8 text, which goes through the multi-encoding string. They are
// declared with their classes in core/ and defined here, above core, so
// that core itself never reaches upwards.
#include <cstring>

#include "core/data_buffer.h"
#include "core/string_buffer.h"
#include "encoding/content_coding.h"
#include "encoding/x_string.h"

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The coding name with surrounding white space removed, lower-cased; empty
// when it does not fit the small buffer (no coding has a long name).
void normalizeCodingName(const char* name, char* out, size_t outSize) {
  out[0] = 0;
  if (!name) return;
  while (isSpace(*name)) ++name;
  size_t n = std::strlen(name);
  while (n > 0 && isSpace(name[n - 1])) --n;
  if (n >= outSize) return;
  for (size_t i = 0; i < n; ++i) {
    char c = name[i];
    out[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
  }
  out[n] = 0;
}

bool is(const char* name, const char* a, const char* b) {
  return std::strcmp(name, a) == 0 || std::strcmp(name, b) == 0;
}

}  // namespace

bool DataBuffer::encode(const char* codingName, StringBuffer& out) const {
  char name[32];
  normalizeCodingName(codingName, name, sizeof name);
  const uint32_t n = getSize();
  const unsigned char* bytes = getData();
  if (is(name, "hex", "hexidecimal")) {
    static const char kHex[] = "0123456789ABCDEF";
    if (n > 0x3FFFFFFFu || !out.ensureCapacity(static_cast<int>(n * 2))) return false;
    char pair[2];
    for (uint32_t i = 0; i < n; ++i) {
      pair[0] = kHex[bytes[i] >> 4];
      pair[1] = kHex[bytes[i] & 0x0F];
      if (!out.appendN(pair, 2)) return false;
    }
    return true;
  }
  if (is(name, "asc", "ansi")) return out.appendDataBuffer(*this);
  if (is(name, "base64", "base-64")) return ContentCoding().encodeBase64(bytes, n, out);
  if (is(name, "qp", "quoted-printable")) {
    return ContentCoding().encodeQuotedPrintable(bytes, n, out);
  }
  out.clear();
  return false;
}

bool StringBuffer::replaceChar(char a, char b) {
  if (!containsChar(a)) return true;
  if (is7bit(0)) {
    replaceByte(a, b);
    return true;
  }
  XString x;
  if (!x.setFromUtf8N(getString(), getSize())) return false;
  x.replaceChar(a, b);
  return setString(x.getUtf8());
}
