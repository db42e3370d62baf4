// HMAC-SHA1 (RFC 2104) with a streaming interface in which the key, too,
// may arrive in pieces.
//
// Calls come in the order hmacBegin, hmacKey..., hmacData..., hmacEnd. The
// context is a plain record the caller owns; PBKDF2 copies a prepared one
// instead of keying again for every iteration.
#pragma once

#include <cstdint>

#include "crypto/sha1.h"

struct HmacSha1 {
  // The key as collected; after the key phase the key XOR ipad, and at the
  // end the key XOR opad.
  unsigned char keyBlock[64];
  Sha1 sha;
  // Key bytes received so far; -1 once message data has begun.
  int32_t keyLength;
};

// Clears the whole context (keyLength 0).
void hmacBegin(HmacSha1& ctx);
// Adds key bytes: 0, or -1 (bytes ignored) once hmacData has been called.
// A key longer than 64 bytes is hashed as it arrives.
int hmacKey(const void* key, uint32_t n, HmacSha1& ctx);
// Adds message bytes. The first call, even with n == 0, ends the key phase.
void hmacData(const void* data, uint32_t n, HmacSha1& ctx);
// Finishes and copies the first n bytes of the 20-byte MAC to mac (n above
// 20 copies 20).
void hmacEnd(unsigned char* mac, uint32_t n, HmacSha1& ctx);
