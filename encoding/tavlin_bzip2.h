// TavlinBzip2: unpacks the bzip2-packed blocks in which the code-page
// tables are stored.
//
// A block is the 32-bit little-endian magic B394A7E1 (bytes E1 A7 94 B3),
// the 32-bit little-endian length of the unpacked data, and a bzip2 stream.
// libbz2 does the decompression; no compression is ever needed.
#pragma once

#include <cstdint>

class DataBuffer;

class TavlinBzip2 {
 public:
  TavlinBzip2() = default;
  virtual ~TavlinBzip2();

  // Replaces the content of out with the unpacked data. An empty block
  // gives an empty out and true. Room for the stated length plus 20 bytes
  // is reserved and out gets the length actually unpacked. A block shorter
  // than its header, a wrong magic, a length that cannot be reserved, a
  // damaged stream or one that does not fit the room give false (out empty).
  bool unpackBlock(const unsigned char* block, uint32_t n, DataBuffer& out);

  // Blocks unpacked successfully by this process so far: lets tests check
  // that the tables are unpacked lazily and once.
  static uint32_t unpackCount();
};
