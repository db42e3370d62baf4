#include "core/tavlin_object.h"

#include <cstdio>
#include <cstdlib>

namespace {
// One thread: a plain counter is enough.
uint64_t g_nextSerial = 0;
}  // namespace

void tavlinFatal(const char* what) {
  std::fprintf(stderr, "tavlin: fatal: %s\n", what ? what : "(no reason)");
  std::fflush(stderr);
  std::abort();
}

TavlinObject::TavlinObject() : serial_(g_nextSerial++) {}

TavlinObject::TavlinObject(const TavlinObject&) : serial_(g_nextSerial++) {}

TavlinObject& TavlinObject::operator=(const TavlinObject&) { return *this; }

TavlinObject::~TavlinObject() = default;
