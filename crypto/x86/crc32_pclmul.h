// CRC-32 by carry-less multiplication (PCLMULQDQ), for x86 CPUs.
//
// The classic folding scheme: 128-bit accumulators take 16 bytes each per
// pass, each folded forward over the bytes the others take with one
// multiplication per half; at the end they are folded into one, reduced to
// 64 bits and then to the 32-bit remainder by Barrett reduction. The
// constants are powers of x modulo the polynomial (see
// gen_crc32_pclmul_consts.py beside this file).
//
// This file is compiled with -msse4.1 -mpclmul (the 256-bit variant adds
// its instructions per function); the caller checks cpuFeatures() before
// calling in. It uses no library headers, so no inline function compiled
// here with those instructions can end up shared with code that runs on
// any CPU.
#pragma once

#include <cstddef>
#include <cstdint>

// Whether this build contains the folding code (x86 targets only).
constexpr bool crc32PclmulCompiled() {
#if defined(__x86_64__) || defined(__i386__)
  return true;
#else
  return false;
#endif
}

// Feeds n bytes to the running (not inverted) CRC value and returns the new
// one. n must be a multiple of 16 and at least 64. The CPU must have
// PCLMULQDQ and SSE4.1.
uint32_t crc32FoldPclmul(uint32_t value, const unsigned char* p, size_t n);

// The same with two folds per instruction on 256-bit registers. n must be a
// multiple of 16 and at least 128. The CPU must also have AVX2 and
// VPCLMULQDQ, with the system saving the 256-bit registers.
uint32_t crc32FoldVpclmul(uint32_t value, const unsigned char* p, size_t n);
