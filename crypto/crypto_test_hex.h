// Test helper shared by the digest and MAC tests: bytes as lower-case hex,
// the form the standards print their known answers in.
#pragma once

#include <cstddef>
#include <string>

inline std::string hex(const unsigned char* p, size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    s += digits[p[i] >> 4];
    s += digits[p[i] & 15];
  }
  return s;
}
