#include "crypto/pbkdf2.h"

#include <cstring>
#include <optional>

#include "crypto/hmac_sha1.h"
#include "crypto/secure_zero.h"
#include "log/log_base.h"

namespace {

// The derivation proper. keyed has absorbed the password (key phase closed),
// salted in addition the salt.
void derive(const HmacSha1& keyed, const HmacSha1& salted, uint32_t iterations,
            unsigned char* out, uint32_t outLength) {
  uint32_t blockIndex = 1;
  while (outLength > 0) {
    unsigned char t[20] = {};
    if (iterations > 0) {
      unsigned char u[20];
      HmacSha1 ctx = salted;
      const unsigned char be[4] = {
          static_cast<unsigned char>(blockIndex >> 24), static_cast<unsigned char>(blockIndex >> 16),
          static_cast<unsigned char>(blockIndex >> 8), static_cast<unsigned char>(blockIndex)};
      hmacData(be, 4, ctx);
      hmacEnd(u, 20, ctx);
      memcpy(t, u, 20);
      for (uint32_t j = 1; j < iterations; ++j) {
        ctx = keyed;
        hmacData(u, 20, ctx);
        hmacEnd(u, 20, ctx);
        for (int k = 0; k < 20; ++k) t[k] ^= u[k];
      }
      secureZero(ctx.keyBlock, sizeof ctx.keyBlock);
      secureZero(u, sizeof u);
    }
    uint32_t take = outLength < 20 ? outLength : 20;
    memcpy(out, t, take);
    secureZero(t, sizeof t);
    out += take;
    outLength -= take;
    ++blockIndex;
  }
}

}  // namespace

bool ZipAes_derive_key(const unsigned char* password, uint32_t passwordLength,
                       const unsigned char* salt, uint32_t saltLength, uint32_t iterations,
                       unsigned char* out, uint32_t outLength, LogBase& log, bool verbose) {
  if ((out == nullptr && outLength > 0) || (password == nullptr && passwordLength > 0) ||
      (salt == nullptr && saltLength > 0)) {
    LogContextExit ctx(log, "ZipAes_derive_key");
    log.addError("Null buffer with a non-zero length.");
    return false;
  }

  // The context stays open over the derivation, so the closing "key_len"
  // and "key" sit beside the inputs and the log stays balanced.
  std::optional<LogContextExit> context;
  if (verbose) {
    context.emplace(log, "ZipAes_derive_key");
    log.addDataBytes("pwd", password, passwordLength);
    log.addDataInt("pwd_len", static_cast<int32_t>(passwordLength));
    log.addDataBytes("salt", salt, saltLength);
    log.addDataInt("salt_len", static_cast<int32_t>(saltLength));
    log.addDataInt("key_len", static_cast<int32_t>(outLength));
  }

  // Both contexts have their key phase closed, so every iteration starts
  // from the absorbed ipad block instead of hashing the key again.
  HmacSha1 keyed;
  hmacBegin(keyed);
  hmacKey(password, passwordLength, keyed);
  hmacData(nullptr, 0, keyed);
  HmacSha1 salted = keyed;
  hmacData(salt, saltLength, salted);

  derive(keyed, salted, iterations, out, outLength);
  secureZero(keyed.keyBlock, sizeof keyed.keyBlock);
  secureZero(salted.keyBlock, sizeof salted.keyBlock);

  if (verbose) {
    log.addDataInt("key_len", static_cast<int32_t>(outLength));
    log.addDataBytes("key", out, outLength);
  }
  return true;
}
