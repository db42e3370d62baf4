// PBKDF2 (RFC 2898, section 5.2) with HMAC-SHA1 as the pseudo-random
// function: the key derivation of WinZip AES encryption, which takes its
// encryption key, authentication key and password verifier from one call.
#pragma once

#include <cstdint>

class LogBase;

// Writes outLength derived bytes to out. With iterations == 0 every byte is
// zero. False (with an error in log) when out is null while outLength > 0,
// or a null password or salt comes with a non-zero length.
//
// With verbose set the inputs and the result are logged in a
// "ZipAes_derive_key" context: "pwd", "pwd_len", "salt", "salt_len",
// "key_len" before, "key_len" and "key" after the derivation. The password
// is then in the log in clear: verbose is for debugging only.
bool ZipAes_derive_key(const unsigned char* password, uint32_t passwordLength,
                       const unsigned char* salt, uint32_t saltLength, uint32_t iterations,
                       unsigned char* out, uint32_t outLength, LogBase& log, bool verbose);
