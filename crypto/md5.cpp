#include "crypto/md5.h"

#include <cstring>

#include "core/data_buffer.h"
#include "core/string_buffer.h"
#include "crypto/secure_zero.h"

namespace {

inline uint32_t rotl(uint32_t v, int s) { return (v << s) | (v >> (32 - s)); }

inline uint32_t load32le(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline void store32le(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

// The four auxiliary functions, in forms that need fewer operations than
// RFC 1321's and give the same bits. In G the two terms never share a bit,
// so they may be added, which lets the additions of a step start earlier.
inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); }
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) { return (x & z) + (y & ~z); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

}  // namespace

// One step: a := b + ((a + f(b, c, d) + x[k] + t) <<< s).
#define MD5_STEP(f, a, b, c, d, k, s, t) \
  a += f(b, c, d) + x[k] + (t);          \
  a = rotl(a, s) + b

Md5::Md5() { reset(); }

Md5::~Md5() { secureZero(block_, sizeof block_); }

void Md5::reset() {
  state_[0] = 0x67452301u;
  state_[1] = 0xEFCDAB89u;
  state_[2] = 0x98BADCFEu;
  state_[3] = 0x10325476u;
  bitCount_[0] = 0;
  bitCount_[1] = 0;
}

void Md5::compress(const unsigned char* block) {
  uint32_t x[16];
  for (int k = 0; k < 16; ++k) x[k] = load32le(block + 4 * k);

  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];

  MD5_STEP(F, a, b, c, d, 0, 7, 0xD76AA478u);
  MD5_STEP(F, d, a, b, c, 1, 12, 0xE8C7B756u);
  MD5_STEP(F, c, d, a, b, 2, 17, 0x242070DBu);
  MD5_STEP(F, b, c, d, a, 3, 22, 0xC1BDCEEEu);
  MD5_STEP(F, a, b, c, d, 4, 7, 0xF57C0FAFu);
  MD5_STEP(F, d, a, b, c, 5, 12, 0x4787C62Au);
  MD5_STEP(F, c, d, a, b, 6, 17, 0xA8304613u);
  MD5_STEP(F, b, c, d, a, 7, 22, 0xFD469501u);
  MD5_STEP(F, a, b, c, d, 8, 7, 0x698098D8u);
  MD5_STEP(F, d, a, b, c, 9, 12, 0x8B44F7AFu);
  MD5_STEP(F, c, d, a, b, 10, 17, 0xFFFF5BB1u);
  MD5_STEP(F, b, c, d, a, 11, 22, 0x895CD7BEu);
  MD5_STEP(F, a, b, c, d, 12, 7, 0x6B901122u);
  MD5_STEP(F, d, a, b, c, 13, 12, 0xFD987193u);
  MD5_STEP(F, c, d, a, b, 14, 17, 0xA679438Eu);
  MD5_STEP(F, b, c, d, a, 15, 22, 0x49B40821u);

  MD5_STEP(G, a, b, c, d, 1, 5, 0xF61E2562u);
  MD5_STEP(G, d, a, b, c, 6, 9, 0xC040B340u);
  MD5_STEP(G, c, d, a, b, 11, 14, 0x265E5A51u);
  MD5_STEP(G, b, c, d, a, 0, 20, 0xE9B6C7AAu);
  MD5_STEP(G, a, b, c, d, 5, 5, 0xD62F105Du);
  MD5_STEP(G, d, a, b, c, 10, 9, 0x02441453u);
  MD5_STEP(G, c, d, a, b, 15, 14, 0xD8A1E681u);
  MD5_STEP(G, b, c, d, a, 4, 20, 0xE7D3FBC8u);
  MD5_STEP(G, a, b, c, d, 9, 5, 0x21E1CDE6u);
  MD5_STEP(G, d, a, b, c, 14, 9, 0xC33707D6u);
  MD5_STEP(G, c, d, a, b, 3, 14, 0xF4D50D87u);
  MD5_STEP(G, b, c, d, a, 8, 20, 0x455A14EDu);
  MD5_STEP(G, a, b, c, d, 13, 5, 0xA9E3E905u);
  MD5_STEP(G, d, a, b, c, 2, 9, 0xFCEFA3F8u);
  MD5_STEP(G, c, d, a, b, 7, 14, 0x676F02D9u);
  MD5_STEP(G, b, c, d, a, 12, 20, 0x8D2A4C8Au);

  MD5_STEP(H, a, b, c, d, 5, 4, 0xFFFA3942u);
  MD5_STEP(H, d, a, b, c, 8, 11, 0x8771F681u);
  MD5_STEP(H, c, d, a, b, 11, 16, 0x6D9D6122u);
  MD5_STEP(H, b, c, d, a, 14, 23, 0xFDE5380Cu);
  MD5_STEP(H, a, b, c, d, 1, 4, 0xA4BEEA44u);
  MD5_STEP(H, d, a, b, c, 4, 11, 0x4BDECFA9u);
  MD5_STEP(H, c, d, a, b, 7, 16, 0xF6BB4B60u);
  MD5_STEP(H, b, c, d, a, 10, 23, 0xBEBFBC70u);
  MD5_STEP(H, a, b, c, d, 13, 4, 0x289B7EC6u);
  MD5_STEP(H, d, a, b, c, 0, 11, 0xEAA127FAu);
  MD5_STEP(H, c, d, a, b, 3, 16, 0xD4EF3085u);
  MD5_STEP(H, b, c, d, a, 6, 23, 0x04881D05u);
  MD5_STEP(H, a, b, c, d, 9, 4, 0xD9D4D039u);
  MD5_STEP(H, d, a, b, c, 12, 11, 0xE6DB99E5u);
  MD5_STEP(H, c, d, a, b, 15, 16, 0x1FA27CF8u);
  MD5_STEP(H, b, c, d, a, 2, 23, 0xC4AC5665u);

  MD5_STEP(I, a, b, c, d, 0, 6, 0xF4292244u);
  MD5_STEP(I, d, a, b, c, 7, 10, 0x432AFF97u);
  MD5_STEP(I, c, d, a, b, 14, 15, 0xAB9423A7u);
  MD5_STEP(I, b, c, d, a, 5, 21, 0xFC93A039u);
  MD5_STEP(I, a, b, c, d, 12, 6, 0x655B59C3u);
  MD5_STEP(I, d, a, b, c, 3, 10, 0x8F0CCC92u);
  MD5_STEP(I, c, d, a, b, 10, 15, 0xFFEFF47Du);
  MD5_STEP(I, b, c, d, a, 1, 21, 0x85845DD1u);
  MD5_STEP(I, a, b, c, d, 8, 6, 0x6FA87E4Fu);
  MD5_STEP(I, d, a, b, c, 15, 10, 0xFE2CE6E0u);
  MD5_STEP(I, c, d, a, b, 6, 15, 0xA3014314u);
  MD5_STEP(I, b, c, d, a, 13, 21, 0x4E0811A1u);
  MD5_STEP(I, a, b, c, d, 4, 6, 0xF7537E82u);
  MD5_STEP(I, d, a, b, c, 11, 10, 0xBD3AF235u);
  MD5_STEP(I, c, d, a, b, 2, 15, 0x2AD7D2BBu);
  MD5_STEP(I, b, c, d, a, 9, 21, 0xEB86D391u);

  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;

  secureZero(x, sizeof x);
}

#undef MD5_STEP

void Md5::update(const void* bytes, uint32_t n) {
  if (bytes == nullptr || n == 0) return;
  const unsigned char* p = static_cast<const unsigned char*>(bytes);

  uint32_t used = (bitCount_[0] >> 3) & 63u;
  uint32_t low = bitCount_[0] + (n << 3);
  if (low < bitCount_[0]) ++bitCount_[1];
  bitCount_[0] = low;
  bitCount_[1] += n >> 29;

  if (used != 0) {
    uint32_t room = 64 - used;
    if (n < room) {
      memcpy(block_ + used, p, n);
      return;
    }
    memcpy(block_ + used, p, room);
    compress(block_);
    p += room;
    n -= room;
  }
  // Whole blocks straight from the input.
  while (n >= 64) {
    compress(p);
    p += 64;
    n -= 64;
  }
  memcpy(block_, p, n);
}

void Md5::final(unsigned char out[16]) {
  unsigned char length[8];
  store32le(length, bitCount_[0]);
  store32le(length + 4, bitCount_[1]);

  // 0x80, then zeros up to 56 bytes modulo 64, then the bit count.
  static const unsigned char kPadding[64] = {0x80};
  uint32_t used = (bitCount_[0] >> 3) & 63u;
  uint32_t padLength = used < 56 ? 56 - used : 120 - used;
  update(kPadding, padLength);
  update(length, 8);

  for (int k = 0; k < 4; ++k) store32le(out + 4 * k, state_[k]);
  secureZero(block_, sizeof block_);
}

void Md5::digestString(const StringBuffer& s, unsigned char out[16]) {
  reset();
  update(s.getString(), static_cast<uint32_t>(s.getSize()));
  final(out);
}

void Md5::digestBuffer(const DataBuffer& b, unsigned char out[16]) {
  reset();
  update(b.getData(), b.getSize());
  final(out);
}
