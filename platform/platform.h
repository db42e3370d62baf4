// What the layers above may ask of the operating system.
//
// Two backends implement this header: platform/win32/ (the real Windows
// calls; the only code that includes <windows.h>) and platform/posix/ (the
// stand-in that makes the same program work on Linux). CMake picks one, so
// no code above this seam tests for the platform itself.
//
// The seam speaks in plain C++ types: it sits below core/ and knows none of
// the library's classes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// ---- Environment --------------------------------------------------------

// Looks an environment variable up by name, ignoring case (as Windows does;
// the POSIX stand-in tries the exact name first, then a case-folded match).
// Returns false when it is not defined.
bool getEnvironmentVariable(const char* name, std::string& value);

// Sets (or, with a null value, removes) an environment variable of this
// process.
bool setEnvironmentVariable(const char* name, const char* value);

// ---- Time ---------------------------------------------------------------

// Milliseconds since an arbitrary start, wrapping at 2^32 (GetTickCount).
uint32_t tickCount();

void sleepMs(uint32_t milliseconds);

// ---- Errors -------------------------------------------------------------

// The calling thread's last system error code (GetLastError / errno).
uint32_t lastError();
void setLastError(uint32_t code);

// The system's message text for an error code, as the system gives it
// (FormatMessageA / strerror); empty when the code has no text.
std::string systemErrorText(uint32_t code);

// ---- Secure random bytes ------------------------------------------------

// A handle on the system's cryptographic random provider; 0 means none.
using CryptProvider = uintptr_t;

// Win32: CryptAcquireContextA on the base provider with the four flag sets
// tried in turn (verify context; + new key set; + machine key set; + both).
// POSIX: a token for getrandom. Returns 0 when no provider can be had.
CryptProvider acquireCryptProvider();

// Fills n bytes from the provider; false when generation fails.
bool cryptGenRandom(CryptProvider provider, size_t n, void* buffer);

void releaseCryptProvider(CryptProvider provider);

// ---- Text ---------------------------------------------------------------

// The code page of the system's narrow (ANSI) text, in Windows numbering:
// GetACP on Win32; 65001 (UTF-8) on the POSIX stand-in, where paths and
// texts are UTF-8. Read afresh at each call (or the test override below).
uint32_t ansiCodePage();

// ---- Files the lower layers need before fs/ exists -----------------------

// Replaces the whole content of a file, the path taken as the system's
// narrow (ANSI) form. Used by the log to write its XML rendering.
bool writeWholeFileAnsi(const char* path, const void* data, size_t n);

// Reads the whole content of a file into out (cleared first), the path taken
// as the system's narrow (ANSI) form. False when the file cannot be opened
// or read; lastError() then tells why. Used by the XML loader until the file
// layer takes file reading over.
bool readWholeFileAnsi(const char* path, std::string& out);

// Puts standard input and output in binary mode (no CR LF translation).
void setBinaryStdio();

// ---- Fault injection for tests -------------------------------------------

namespace testing {
// While set, acquireCryptProvider() fails as if no provider existed.
void failCryptProvider(bool fail);
// While not 0, ansiCodePage() returns this code page instead of the
// system's, so the narrow-text roads of a code page can be tested on any
// system. 0 switches the override off.
void overrideAnsiCodePage(uint32_t codePage);
}  // namespace testing

}  // namespace platform
