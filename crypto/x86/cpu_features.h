// The x86 instruction-set extensions the library's fast paths may use.
//
// Detected once, on first call, with CPUID. Setting the environment variable
// TAVLIN_DISABLE_CPU_FEATURES=1 before that first call reports none of them,
// so every fast path falls back to its portable code (that is how the tests
// run the portable paths on a CPU that has the extensions). On other
// processors everything is false.
#pragma once

struct CpuFeatures {
  bool sse41 = false;
  bool ssse3 = false;
  bool pclmul = false;  // PCLMULQDQ: CRC-32 folding
  bool aesni = false;   // AES round instructions
  // 256-bit registers: set only when the operating system also saves them
  // on a context switch.
  bool avx2 = false;
  bool vpclmulqdq = false;  // PCLMULQDQ on 256-bit registers
};

// What the fast paths may use: the CPU's features, or none when disabled.
const CpuFeatures& cpuFeatures();

// True when TAVLIN_DISABLE_CPU_FEATURES=1 was set at the first call.
bool cpuFeaturesDisabled();
