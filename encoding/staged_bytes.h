// StagedBytes: collects a converter's output bytes in a local block and
// appends them to the caller's DataBuffer a block at a time, so a
// conversion costs a few appends rather than one per byte. Internal to the
// encoding layer.
#pragma once

#include <cstdint>

#include "core/data_buffer.h"

class StagedBytes {
 public:
  explicit StagedBytes(DataBuffer& out) : out_(out) {}
  StagedBytes(const StagedBytes&) = delete;
  StagedBytes& operator=(const StagedBytes&) = delete;

  void put(unsigned char b) {
    if (used_ == sizeof block_) flush();
    block_[used_++] = b;
  }
  void putUnit(uint16_t u) {  // one UTF-16LE code unit
    put(static_cast<unsigned char>(u & 0xFF));
    put(static_cast<unsigned char>(u >> 8));
  }
  // Appends what is staged. Once an append has failed the rest is
  // discarded: a gap in the middle of a text would be worse than a short
  // text. False from then on.
  bool flush() {
    if (ok_ && used_ != 0 && !out_.append(block_, used_)) ok_ = false;
    used_ = 0;
    return ok_;
  }

 private:
  DataBuffer& out_;
  unsigned char block_[1024];
  uint32_t used_ = 0;
  bool ok_ = true;
};
