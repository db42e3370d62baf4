// Md5: the MD5 message digest of RFC 1321 (16 bytes).
//
// The library turns passwords into cipher keys with it and hashes the keys
// of HashMap. It never allocates; the words of each block are copied to a
// local array that is cleared once the block is compressed.
#pragma once

#include <cstdint>

class StringBuffer;
class DataBuffer;

class Md5 {
 public:
  Md5();  // reset
  virtual ~Md5();

  void reset();
  // Null bytes or n == 0 changes nothing.
  void update(const void* bytes, uint32_t n);
  // Pads, writes the digest (state words little-endian) and leaves the
  // object to be reset before it is used again.
  void final(unsigned char out[16]);

  // reset, update with the text bytes (no terminator), final.
  void digestString(const StringBuffer& s, unsigned char out[16]);
  // reset, update with the bytes of the buffer, final.
  void digestBuffer(const DataBuffer& b, unsigned char out[16]);

 private:
  void compress(const unsigned char* block);

  uint32_t state_[4];
  uint32_t bitCount_[2];  // message bits so far, low word first
  unsigned char block_[64];
};
