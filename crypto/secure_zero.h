// Clearing memory that held secrets or message material, in a way the
// compiler may not drop as a dead store.
#pragma once

#include <cstddef>
#include <cstring>

inline void secureZero(void* p, size_t n) {
  memset(p, 0, n);
  // The empty statement claims to read the memory, so the stores above are
  // not dead even when the buffer is never touched again.
  __asm__ __volatile__("" : : "r"(p) : "memory");
}
