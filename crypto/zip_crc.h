// ZipCRC: the CRC-32 of ZIP, gzip and PNG (reflected, polynomial 0x04C11DB7,
// CRC-32/ISO-HDLC): start 0xFFFFFFFF, bytes least-significant bit first,
// result inverted.
//
// Three implementations compute the same value. The portable one reads 16
// bytes per pass through sixteen 256-entry tables ("slicing by 16"), and
// long buffers as braids of machine words; on an x86 CPU with PCLMULQDQ the
// bulk of a long buffer is folded with carry-less multiplications instead
// (crypto/x86/crc32_pclmul.h), two folds per instruction where VPCLMULQDQ
// and AVX2 exist. The choice is made once, on first use;
// TAVLIN_DISABLE_CPU_FEATURES=1 in the environment keeps the portable one.
//
// The tables are constants built by the compiler, so there is nothing to
// initialise and nothing to guard between threads.
#pragma once

#include <cstddef>
#include <cstdint>

class ZipCRC {
 public:
  // The running value starts as after reset(); owners still call reset()
  // before each new CRC.
  ZipCRC();
  virtual ~ZipCRC();

  void reset();  // running value := 0xFFFFFFFF
  // Feeds n bytes; null data or n == 0 changes nothing.
  void update(const void* data, uint32_t n);
  // The CRC of the bytes fed since reset(). Does not end the CRC: further
  // update() calls continue it.
  uint32_t getValue() const;

 private:
  uint32_t value_;
};

// The CRC-32 of a buffer from a fresh start; 0 bytes give 0.
uint32_t crc32OneShot(const void* data, uint32_t n);

// The 256-entry table of the byte-wise update
//   value := table[(value ^ b) & 0xFF] ^ (value >> 8);
// traditional ZIP encryption updates its keys with it. Entry 1 is
// 0x77073096, entry 128 is 0xEDB88320.
const uint32_t* zipCrcTable();

// ---- Implementations (for tests and benchmarks) --------------------------

// Both take and return the running (not inverted) value.
uint32_t crc32UpdatePortable(uint32_t value, const void* data, size_t n);

enum class CrcPath {
  kPortable,      // tables, any CPU
  kCarryless,     // PCLMULQDQ on 128-bit registers
  kCarryless256,  // VPCLMULQDQ on 256-bit registers (AVX2)
};

// Whether a path may be used here: the carry-less ones need their CPU
// instructions and no TAVLIN_DISABLE_CPU_FEATURES=1.
bool crcPathAvailable(CrcPath path);
// The path update() and crc32OneShot use: the fastest available.
CrcPath crcActivePath();
// Test and benchmark hook: switches every later update() to path. False,
// with nothing changed, when the path is not available. Not synchronised:
// call it while no CRC is being computed.
bool crcSelectPath(CrcPath path);
