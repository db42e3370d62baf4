// ContentCoding: bytes to 7-bit text and back. Base64 (RFC 4648 alphabet,
// "=" padding) both ways, quoted-printable (RFC 2045 style) for encoding.
//
// The coder holds no state between calls; construct one where it is needed.
#pragma once

#include <cstdint>

class StringBuffer;

class ContentCoding {
 public:
  ContentCoding();
  virtual ~ContentCoding();

  // Appends the base64 text of n bytes to out, on one line whatever the
  // length. Nothing for null bytes or n == 0. False when out cannot grow
  // (or the text would not fit in a StringBuffer).
  bool encodeBase64(const void* bytes, uint32_t n, StringBuffer& out) const;

  // Decodes up to `length` bytes of base64 text. The first "=" or NUL ends
  // the text; white space and every byte that is not a base64 character
  // are skipped. A trailing group of two or three characters gives one or
  // two more bytes, a lone character nothing. Returns a new block from
  // tavlinAlloc (release it with tavlinFree, or hand it to
  // DataBuffer::takeOwned) holding decodedLength bytes followed by a zero
  // byte; null, with decodedLength 0, for a null text, a length of 0 or a
  // failed allocation.
  unsigned char* decodeBase64(const char* text, uint32_t length,
                              uint32_t& decodedLength) const;

  // Appends the quoted-printable text of n bytes to out: lines of at most
  // maxLineLength characters plus one escape before the soft break "=" CR
  // LF, CR LF pairs kept as line breaks, "." and "From " escaped at the
  // start of a line, trailing space and tab escaped. Nothing for null bytes
  // or n == 0. False when out cannot grow.
  bool encodeQuotedPrintable(const void* bytes, uint32_t n, StringBuffer& out) const;

  int maxLineLength() const { return maxLineLength_; }

 private:
  int32_t maxLineLength_;  // 76, fixed
};
