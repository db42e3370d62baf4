// POSIX stand-in for the Win32 services the library uses.
#include "platform/platform.h"

#include <sys/random.h>
#include <strings.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform_faults.h"

extern char** environ;

namespace platform {

bool getEnvironmentVariable(const char* name, std::string& value) {
  value.clear();
  if (name == nullptr || *name == '\0') return false;
  if (const char* v = getenv(name)) {
    value = v;
    return true;
  }
  // Windows names are case-insensitive; the stand-in honours that so that
  // "%temp%" and "%TEMP%" mean the same on both systems.
  size_t n = strlen(name);
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    if (strncasecmp(*e, name, n) == 0 && (*e)[n] == '=') {
      value = *e + n + 1;
      return true;
    }
  }
  return false;
}

bool setEnvironmentVariable(const char* name, const char* value) {
  if (name == nullptr || *name == '\0') return false;
  if (value == nullptr) return unsetenv(name) == 0;
  return setenv(name, value, 1) == 0;
}

uint32_t tickCount() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                               static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

void sleepMs(uint32_t milliseconds) {
  struct timespec ts;
  ts.tv_sec = milliseconds / 1000;
  ts.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

uint32_t lastError() { return static_cast<uint32_t>(errno); }

void setLastError(uint32_t code) { errno = static_cast<int>(code); }

std::string systemErrorText(uint32_t code) {
  if (code == 0) return std::string();
  char buf[256];
  // The GNU strerror_r returns the text, which may or may not be in buf.
  const char* text = strerror_r(static_cast<int>(code), buf, sizeof buf);
  return text ? std::string(text) : std::string();
}

// The provider is getrandom itself; the handle only says that one exists.
CryptProvider acquireCryptProvider() {
  if (faults::cryptProviderFails()) return 0;
  return 1;
}

bool cryptGenRandom(CryptProvider provider, size_t n, void* buffer) {
  if (provider == 0 || (buffer == nullptr && n != 0)) return false;
  unsigned char* p = static_cast<unsigned char*>(buffer);
  while (n > 0) {
    ssize_t got = getrandom(p, n, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += got;
    n -= static_cast<size_t>(got);
  }
  return true;
}

void releaseCryptProvider(CryptProvider) {}

uint32_t ansiCodePage() {
  uint32_t forced = faults::ansiCodePageOverride();
  return forced != 0 ? forced : 65001u;
}

bool writeWholeFileAnsi(const char* path, const void* data, size_t n) {
  if (path == nullptr) return false;
  FILE* f = fopen(path, "wb");
  if (f == nullptr) return false;
  bool ok = n == 0 || fwrite(data, 1, n, f) == n;
  if (fclose(f) != 0) ok = false;
  return ok;
}

bool readWholeFileAnsi(const char* path, std::string& out) {
  out.clear();
  if (path == nullptr) {
    errno = EINVAL;
    return false;
  }
  FILE* f = fopen(path, "rb");
  if (f == nullptr) return false;
  char buf[65536];
  size_t got;
  while ((got = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, got);
  const bool ok = ferror(f) == 0;
  const int savedErrno = errno;
  fclose(f);
  errno = savedErrno;
  return ok;
}

void setBinaryStdio() {}

}  // namespace platform
