// Win32 backend: the real calls behind the platform seam.
#include "platform/platform.h"

#include <windows.h>
#include <wincrypt.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <vector>

#include "platform/platform_faults.h"

namespace platform {

bool getEnvironmentVariable(const char* name, std::string& value) {
  value.clear();
  if (name == nullptr || *name == '\0') return false;
  std::vector<char> buf(256);
  for (;;) {
    SetLastError(0);
    DWORD n = GetEnvironmentVariableA(name, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) {
      // An empty variable also returns 0, but leaves the last error clear.
      return GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    }
    if (n < buf.size()) {
      value.assign(buf.data(), n);
      return true;
    }
    buf.resize(n + 1);
  }
}

bool setEnvironmentVariable(const char* name, const char* value) {
  if (name == nullptr || *name == '\0') return false;
  // The C runtime keeps its own copy of the environment (getenv); keep both
  // in step so that either view sees the change.
  std::string assignment = std::string(name) + "=" + (value ? value : "");
  _putenv(assignment.c_str());
  return SetEnvironmentVariableA(name, value) != 0;
}

uint32_t tickCount() { return GetTickCount(); }

void sleepMs(uint32_t milliseconds) { Sleep(milliseconds); }

uint32_t lastError() { return GetLastError(); }

void setLastError(uint32_t code) { SetLastError(code); }

std::string systemErrorText(uint32_t code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                               FORMAT_MESSAGE_ALLOCATE_BUFFER,
                           nullptr, code, LANG_USER_DEFAULT,
                           reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string result;
  if (n != 0 && text != nullptr) result.assign(text, n);
  if (text != nullptr) LocalFree(text);
  return result;
}

CryptProvider acquireCryptProvider() {
  if (faults::cryptProviderFails()) return 0;
  static const DWORD kFlagSets[] = {
      CRYPT_VERIFYCONTEXT,
      CRYPT_VERIFYCONTEXT | CRYPT_NEWKEYSET,
      CRYPT_VERIFYCONTEXT | CRYPT_MACHINE_KEYSET,
      CRYPT_VERIFYCONTEXT | CRYPT_MACHINE_KEYSET | CRYPT_NEWKEYSET,
  };
  for (DWORD flags : kFlagSets) {
    HCRYPTPROV handle = 0;
    if (CryptAcquireContextA(&handle, nullptr, "Microsoft Base Cryptographic Provider v1.0",
                             PROV_RSA_FULL, flags)) {
      return static_cast<CryptProvider>(handle);
    }
  }
  return 0;
}

bool cryptGenRandom(CryptProvider provider, size_t n, void* buffer) {
  if (provider == 0 || (buffer == nullptr && n != 0)) return false;
  unsigned char* p = static_cast<unsigned char*>(buffer);
  while (n > 0) {
    DWORD piece = n > 0x10000000u ? 0x10000000u : static_cast<DWORD>(n);
    if (!CryptGenRandom(static_cast<HCRYPTPROV>(provider), piece, p)) return false;
    p += piece;
    n -= piece;
  }
  return true;
}

void releaseCryptProvider(CryptProvider provider) {
  if (provider != 0) CryptReleaseContext(static_cast<HCRYPTPROV>(provider), 0);
}

uint32_t ansiCodePage() {
  uint32_t forced = faults::ansiCodePageOverride();
  return forced != 0 ? forced : static_cast<uint32_t>(GetACP());
}

bool writeWholeFileAnsi(const char* path, const void* data, size_t n) {
  if (path == nullptr) return false;
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const unsigned char* p = static_cast<const unsigned char*>(data);
  bool ok = true;
  while (ok && n > 0) {
    DWORD piece = n > 10000000u ? 10000000u : static_cast<DWORD>(n);
    DWORD written = 0;
    ok = WriteFile(h, p, piece, &written, nullptr) && written == piece;
    p += piece;
    n -= piece;
  }
  if (!CloseHandle(h)) ok = false;
  return ok;
}

bool readWholeFileAnsi(const char* path, std::string& out) {
  out.clear();
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buf(65536);
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(h, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    out.append(buf.data(), got);
  }
  const DWORD error = GetLastError();
  CloseHandle(h);
  if (!ok) SetLastError(error);
  return ok;
}

void setBinaryStdio() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace platform
