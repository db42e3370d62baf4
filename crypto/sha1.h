// Sha1: the SHA-1 message digest of FIPS 180-1 (20 bytes).
//
// Used inside HMAC-SHA1 (crypto/hmac_sha1.h). A new object has every field
// zero, including the chaining state: call reset() before the first update.
// It never allocates.
#pragma once

#include <cstdint>

class Sha1 {
 public:
  Sha1();  // all fields zero; not yet a valid start state
  virtual ~Sha1();

  // Every field zero again, as after construction (HMAC's begin).
  void clear();
  // H0..H4 := the standard initial values; counts zero.
  void reset();
  // Null bytes or n == 0 changes nothing. A whole 64-byte block met while
  // the buffer is empty is compressed straight from the input.
  void update(const void* bytes, uint32_t n);
  // Pads with 0x80, zeros and the 64-bit big-endian bit count and writes the
  // digest (H0..H4 big-endian). Reset before using the object again.
  void final(unsigned char out[20]);

 private:
  void compress(const unsigned char* block);

  uint32_t bitCount_[2];  // bits in whole compressed blocks, low word first
  uint32_t state_[5];
  uint32_t used_;          // bytes waiting in block_, 0..63
  unsigned char block_[64];
};
