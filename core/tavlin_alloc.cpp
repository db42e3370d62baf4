#include "core/tavlin_alloc.h"

#include <cstdlib>
#include <cstring>

namespace {
int g_failSkip = 0;
int g_failCount = 0;

// True when the test hook says this allocation is to fail.
bool injectFailure() {
  if (g_failCount <= 0) return false;
  if (g_failSkip > 0) {
    --g_failSkip;
    return false;
  }
  --g_failCount;
  return true;
}
}  // namespace

void* tavlinAlloc(size_t n) {
  if (n == 0 || injectFailure()) return nullptr;
  return std::malloc(n);
}

void* tavlinAllocZeroed(size_t n) {
  if (n == 0 || injectFailure()) return nullptr;
  return std::calloc(1, n);
}

void* tavlinRealloc(void* p, size_t n) {
  if (n == 0 || injectFailure()) return nullptr;
  return std::realloc(p, n);
}

void tavlinFree(void* p) { std::free(p); }

void tavlinFailAllocations(int count, int skip) {
  g_failCount = count > 0 ? count : 0;
  g_failSkip = skip > 0 ? skip : 0;
}

int tavlinPendingAllocationFailures() { return g_failCount; }
