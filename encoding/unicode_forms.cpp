// UTF-8, UTF-16 and UTF-7 by algorithm.
//
// Every decoder reads each byte through an index checked against n before
// use, so truncated or hostile input cannot make it read past the buffer;
// output is staged in a local block and appended in pieces.
#include "encoding/unicode_forms.h"

#include "core/data_buffer.h"
#include "encoding/staged_bytes.h"

namespace {

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// 6-bit values of the UTF-7 base64 characters; -1 for every other byte.
int base64Value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

bool utf16ToUtf8(const unsigned char* bytes, uint32_t n, DataBuffer& out) {
  StagedBytes text(out);
  uint32_t units = n / 2;
  for (uint32_t i = 0; i < units; ++i) {
    uint16_t u = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    if (u == 0) continue;
    if (u < 0x80) {
      text.put(static_cast<unsigned char>(u));
    } else if (u < 0x800) {
      text.put(static_cast<unsigned char>(0xC0 | u >> 6));
      text.put(static_cast<unsigned char>(0x80 | (u & 0x3F)));
    } else {
      text.put(static_cast<unsigned char>(0xE0 | u >> 12));
      text.put(static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F)));
      text.put(static_cast<unsigned char>(0x80 | (u & 0x3F)));
    }
  }
  return text.flush() && n % 2 == 0;
}

bool utf8ToUtf16(const unsigned char* bytes, uint32_t n, DataBuffer& out) {
  StagedBytes text(out);
  uint32_t i = 0;
  while (i < n) {
    unsigned char c = bytes[i];
    if (c < 0x80) {
      text.putUnit(c);
      i += 1;
    } else if (c >= 0xC2 && c <= 0xDF && n - i >= 2 && isContinuation(bytes[i + 1])) {
      text.putUnit(static_cast<uint16_t>((c & 0x1F) << 6 | (bytes[i + 1] & 0x3F)));
      i += 2;
    } else if (c >= 0xE0 && c <= 0xEF && n - i >= 3 && isContinuation(bytes[i + 1]) &&
               isContinuation(bytes[i + 2]) && (c != 0xE0 || bytes[i + 1] >= 0xA0)) {
      text.putUnit(static_cast<uint16_t>((c & 0x0F) << 12 | (bytes[i + 1] & 0x3F) << 6 |
                                         (bytes[i + 2] & 0x3F)));
      i += 3;
    } else {
      i += 1;  // not decodable here: drop this byte, resynchronise on the next
    }
  }
  return text.flush();
}

bool utf7ToUtf16(const unsigned char* bytes, uint32_t n, DataBuffer& out) {
  StagedBytes text(out);
  bool ok = true;
  uint32_t i = 0;
  while (i < n) {
    unsigned char c = bytes[i];
    if (c != '+') {
      if (c >= 0x80) {
        ok = false;  // UTF-7 is 7-bit: such a byte has no meaning here
      } else if (c != 0) {
        text.putUnit(c);
      }
      ++i;
      continue;
    }
    ++i;
    if (i < n && bytes[i] == '-') {  // "+-" stands for "+"
      text.putUnit('+');
      ++i;
      continue;
    }
    // A shift sequence: 6 bits per base64 character, a unit per 16 bits.
    uint32_t bits = 0;
    int bitCount = 0;
    bool gotUnit = false;
    while (i < n) {
      int v = base64Value(bytes[i]);
      if (v < 0) break;
      bits = (bits << 6 | static_cast<uint32_t>(v)) & 0x3FFFFF;
      bitCount += 6;
      if (bitCount >= 16) {
        bitCount -= 16;
        text.putUnit(static_cast<uint16_t>(bits >> bitCount));
        gotUnit = true;
      }
      ++i;
    }
    if (!gotUnit) ok = false;
    if ((bits & ((1u << bitCount) - 1)) != 0) ok = false;
    // "-" marks the end and is consumed ("+" is a base64 character and so
    // never ends a sequence); any other byte is read again as plain text.
    if (i < n && bytes[i] == '-') ++i;
  }
  return text.flush() && ok;
}

bool swapUtf16Pairs(const unsigned char* bytes, uint32_t n, DataBuffer& out) {
  StagedBytes text(out);
  for (uint32_t i = 0; i + 1 < n; i += 2) {
    text.put(bytes[i + 1]);
    text.put(bytes[i]);
  }
  return text.flush();
}
