#include "crypto/sha1.h"

#include <cstring>

#include "crypto/secure_zero.h"

namespace {

inline uint32_t rotl(uint32_t v, int s) { return (v << s) | (v >> (32 - s)); }

inline uint32_t load32be(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

inline void store32be(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}

// The round functions in forms with fewer operations than the standard's
// and the same bits: Ch as a select, Maj as a sum of two disjoint terms.
inline uint32_t ch(uint32_t b, uint32_t c, uint32_t d) { return d ^ (b & (c ^ d)); }
inline uint32_t parity(uint32_t b, uint32_t c, uint32_t d) { return b ^ c ^ d; }
inline uint32_t maj(uint32_t b, uint32_t c, uint32_t d) { return (b & c) + (d & (b ^ c)); }

// ---- Message schedule ------------------------------------------------------
//
// W[t] = rotl1(W[t-3] ^ W[t-8] ^ W[t-14] ^ W[t-16]) for t = 16..79, all of
// it before the rounds.

// Kept scalar on purpose. The compiler's own vectorisation of this loop
// stores words in pairs and reads them back across the pairs, which stalls
// store forwarding and made the whole digest 2.5 times slower; an SSE2
// version (four words per step) was still a third slower than this, as the
// rounds then read single words out of 16-byte stores.
__attribute__((optimize("no-tree-vectorize"))) void expandSchedule(const unsigned char* block,
                                                                   uint32_t* w) {
  for (int t = 0; t < 16; ++t) w[t] = load32be(block + 4 * t);
  for (int t = 16; t < 80; ++t) w[t] = rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
}

}  // namespace

// One step; instead of moving the five words along, the caller renames them.
#define SHA1_STEP(f, k, a, b, c, d, e, t)       \
  e += rotl(a, 5) + f(b, c, d) + (k) + w[t]; \
  b = rotl(b, 30)

// Five steps bring every word back to its own name, so one pass of a loop
// runs five.
#define SHA1_FIVE(f, k, t)                    \
  SHA1_STEP(f, k, a, b, c, d, e, (t));     \
  SHA1_STEP(f, k, e, a, b, c, d, (t) + 1); \
  SHA1_STEP(f, k, d, e, a, b, c, (t) + 2); \
  SHA1_STEP(f, k, c, d, e, a, b, (t) + 3); \
  SHA1_STEP(f, k, b, c, d, e, a, (t) + 4)

Sha1::Sha1() { clear(); }

Sha1::~Sha1() { secureZero(block_, sizeof block_); }

void Sha1::clear() {
  bitCount_[0] = bitCount_[1] = 0;
  for (uint32_t& s : state_) s = 0;
  used_ = 0;
  memset(block_, 0, sizeof block_);
}

void Sha1::reset() {
  state_[0] = 0x67452301u;
  state_[1] = 0xEFCDAB89u;
  state_[2] = 0x98BADCFEu;
  state_[3] = 0x10325476u;
  state_[4] = 0xC3D2E1F0u;
  bitCount_[0] = bitCount_[1] = 0;
  used_ = 0;
}

void Sha1::compress(const unsigned char* block) {
  // The whole schedule up front, so the rounds below only read it.
  uint32_t w[80];
  expandSchedule(block, w);

  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3], e = state_[4];
  for (int t = 0; t < 20; t += 5) {
    SHA1_FIVE(ch, 0x5A827999u, t);
  }
  for (int t = 20; t < 40; t += 5) {
    SHA1_FIVE(parity, 0x6ED9EBA1u, t);
  }
  for (int t = 40; t < 60; t += 5) {
    SHA1_FIVE(maj, 0x8F1BBCDCu, t);
  }
  for (int t = 60; t < 80; t += 5) {
    SHA1_FIVE(parity, 0xCA62C1D6u, t);
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;

  // 512 bits per block; the high word takes the carry.
  bitCount_[0] += 512;
  if (bitCount_[0] < 512) ++bitCount_[1];
}

#undef SHA1_FIVE
#undef SHA1_STEP

void Sha1::update(const void* bytes, uint32_t n) {
  if (bytes == nullptr || n == 0) return;
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  if (used_ != 0) {
    uint32_t room = 64 - used_;
    if (n < room) {
      memcpy(block_ + used_, p, n);
      used_ += n;
      return;
    }
    memcpy(block_ + used_, p, room);
    compress(block_);
    used_ = 0;
    p += room;
    n -= room;
  }
  while (n >= 64) {
    compress(p);
    p += 64;
    n -= 64;
  }
  memcpy(block_, p, n);
  used_ = n;
}

void Sha1::final(unsigned char out[20]) {
  // The bytes still in the buffer count too.
  uint32_t low = bitCount_[0] + (used_ << 3);
  uint32_t high = bitCount_[1] + (low < bitCount_[0] ? 1u : 0u);

  block_[used_++] = 0x80;
  if (used_ > 56) {
    memset(block_ + used_, 0, 64 - used_);
    compress(block_);
    used_ = 0;
  }
  memset(block_ + used_, 0, 56 - used_);
  store32be(block_ + 56, high);
  store32be(block_ + 60, low);
  compress(block_);
  used_ = 0;

  for (int k = 0; k < 5; ++k) store32be(out + 4 * k, state_[k]);
  secureZero(block_, sizeof block_);
}
