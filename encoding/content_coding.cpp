// Base64 and quoted-printable.
//
// Both encoders stage their characters in a small local block and append it
// to the caller's StringBuffer when it fills, so long inputs cost a handful
// of appends instead of one per character. The base64 decoder never looks
// past `length` bytes and sizes its output from the input length alone, so
// hostile text cannot make it write out of bounds.
#include "encoding/content_coding.h"

#include <climits>

#include "core/string_buffer.h"
#include "core/tavlin_alloc.h"

namespace {

const char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kHexDigits[] = "0123456789ABCDEF";

// 6-bit values of the base64 characters; 0xFF for every other byte.
struct Base64Values {
  unsigned char value[256];
  Base64Values() {
    for (int i = 0; i < 256; ++i) value[i] = 0xFF;
    for (int i = 0; i < 64; ++i) value[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<unsigned char>(i);
  }
};
const Base64Values kBase64Values;

// Collects output characters and appends them to a StringBuffer in blocks.
template <int N>
class StagedText {
 public:
  explicit StagedText(StringBuffer& out) : out_(out) {}
  bool put(char c) {
    if (used_ == N && !flush()) return false;
    block_[used_++] = c;
    return true;
  }
  // After a failed append the rest is discarded: a gap in the middle of
  // the text would be worse than a short text.
  bool flush() {
    if (ok_ && used_ != 0 && !out_.appendN(block_, used_)) ok_ = false;
    used_ = 0;
    return ok_;
  }

 private:
  StringBuffer& out_;
  char block_[N];
  int used_ = 0;
  bool ok_ = true;
};

}  // namespace

ContentCoding::ContentCoding() : maxLineLength_(76) {}

ContentCoding::~ContentCoding() = default;

// ---- Base64 -----------------------------------------------------------------

bool ContentCoding::encodeBase64(const void* bytes, uint32_t n, StringBuffer& out) const {
  if (bytes == nullptr || n == 0) return true;
  uint64_t textLength = (static_cast<uint64_t>(n) + 2) / 3 * 4;
  if (textLength + static_cast<uint64_t>(out.getSize()) >= INT_MAX) return false;
  uint64_t reserve = (5 * static_cast<uint64_t>(n) + 10) / 3;
  if (reserve > textLength + 16) reserve = textLength + 16;
  if (!out.ensureCapacity(static_cast<int>(reserve))) return false;

  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  StagedText<256> text(out);
  uint32_t i = 0;
  for (; n - i >= 3; i += 3) {
    unsigned b0 = p[i], b1 = p[i + 1], b2 = p[i + 2];
    text.put(kBase64Alphabet[b0 >> 2]);
    text.put(kBase64Alphabet[((b0 & 3) << 4) | (b1 >> 4)]);
    text.put(kBase64Alphabet[((b1 & 15) << 2) | (b2 >> 6)]);
    if (!text.put(kBase64Alphabet[b2 & 63])) return false;
  }
  if (n - i == 1) {
    unsigned b0 = p[i];
    text.put(kBase64Alphabet[b0 >> 2]);
    text.put(kBase64Alphabet[(b0 & 3) << 4]);
    text.put('=');
    text.put('=');
  } else if (n - i == 2) {
    unsigned b0 = p[i], b1 = p[i + 1];
    text.put(kBase64Alphabet[b0 >> 2]);
    text.put(kBase64Alphabet[((b0 & 3) << 4) | (b1 >> 4)]);
    text.put(kBase64Alphabet[(b1 & 15) << 2]);
    text.put('=');
  }
  return text.flush();
}

unsigned char* ContentCoding::decodeBase64(const char* text, uint32_t length,
                                           uint32_t& decodedLength) const {
  decodedLength = 0;
  if (text == nullptr || length == 0) return nullptr;
  // Every four characters give at most three bytes; 8 bytes of slack cover
  // the final partial group and the terminating zero.
  uint64_t capacity = 3 * static_cast<uint64_t>(length) / 4 + 8;
  if (capacity > SIZE_MAX) return nullptr;
  unsigned char* out = static_cast<unsigned char*>(tavlinAlloc(static_cast<size_t>(capacity)));
  if (out == nullptr) return nullptr;

  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  uint32_t group[4];
  int inGroup = 0;
  uint64_t n = 0;
  for (uint32_t i = 0; i < length; ++i) {
    unsigned char c = p[i];
    if (c == '=' || c == 0) break;
    unsigned char v = kBase64Values.value[c];
    if (v == 0xFF) continue;  // white space, line breaks and stray bytes
    group[inGroup++] = v;
    if (inGroup == 4) {
      out[n++] = static_cast<unsigned char>((group[0] << 2) | (group[1] >> 4));
      out[n++] = static_cast<unsigned char>((group[1] << 4) | (group[2] >> 2));
      out[n++] = static_cast<unsigned char>((group[2] << 6) | group[3]);
      inGroup = 0;
    }
  }
  if (inGroup >= 2) out[n++] = static_cast<unsigned char>((group[0] << 2) | (group[1] >> 4));
  if (inGroup == 3) out[n++] = static_cast<unsigned char>((group[1] << 4) | (group[2] >> 2));
  out[n] = 0;
  decodedLength = static_cast<uint32_t>(n);
  return out;
}

// ---- Quoted-printable ------------------------------------------------------------

bool ContentCoding::encodeQuotedPrintable(const void* bytes, uint32_t n, StringBuffer& out) const {
  if (bytes == nullptr || n == 0) return true;
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  const int limit = maxLineLength_;
  StagedText<2000> text(out);
  auto escape = [&](unsigned char c) {
    text.put('=');
    text.put(kHexDigits[c >> 4]);
    return text.put(kHexDigits[c & 15]);
  };
  // True when the two bytes at i are CR LF.
  auto crlfAt = [&](uint32_t i) { return i < n && n - i >= 2 && p[i] == '\r' && p[i + 1] == '\n'; };

  int line = 0;  // characters since the last line break; 0 at a line start
  uint32_t i = 0;
  while (i < n) {
    unsigned char c = p[i];
    if (c == '\r' && crlfAt(i)) {
      text.put('\r');
      if (!text.put('\n')) return false;
      i += 2;
      line = 0;
      continue;
    }
    bool fromLine = line == 0 && c == 'F' && n - i >= 5 && p[i + 1] == 'r' && p[i + 2] == 'o' &&
                    p[i + 3] == 'm' && p[i + 4] == ' ';
    if (line == 0 && (c == '.' || fromLine)) {
      escape(c);  // a lone "." ends a message and "From " starts one in mbox
      line += 3;
    } else if ((c >= 0x21 && c <= 0x3C) || (c >= 0x3E && c <= 0x7E)) {
      text.put(static_cast<char>(c));
      line += 1;
    } else if (c == ' ' || c == '\t') {
      if (i + 1 == n || crlfAt(i + 1)) {
        escape(c);  // white space before a line end would be stripped in transit
        line += 3;
      } else {
        text.put(static_cast<char>(c));
        line += 1;
      }
    } else {
      escape(c);
      line += 3;
    }
    ++i;
    if (line >= limit && !crlfAt(i)) {
      text.put('=');
      text.put('\r');
      if (!text.put('\n')) return false;
      line = 0;
    }
  }
  return text.flush();
}
