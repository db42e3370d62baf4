#include "crypto/hmac_sha1.h"

#include <cstring>

#include "crypto/secure_zero.h"

namespace {
constexpr int32_t kMessagePhase = -1;
constexpr int32_t kMaxKeyCount = 0x7FFFFFFF;
}  // namespace

void hmacBegin(HmacSha1& ctx) {
  memset(ctx.keyBlock, 0, sizeof ctx.keyBlock);
  ctx.sha.clear();
  ctx.keyLength = 0;
}

int hmacKey(const void* key, uint32_t n, HmacSha1& ctx) {
  if (ctx.keyLength == kMessagePhase) return -1;
  if (key == nullptr || n == 0) return 0;
  int64_t total = static_cast<int64_t>(ctx.keyLength) + n;
  if (total <= 64) {
    memcpy(ctx.keyBlock + ctx.keyLength, key, n);
  } else {
    // Past 64 bytes the key is replaced by its SHA-1 at the end of the key
    // phase; from now on it is hashed as it comes. The first time, the
    // bytes collected so far go in first.
    if (ctx.keyLength <= 64) {
      ctx.sha.reset();
      ctx.sha.update(ctx.keyBlock, static_cast<uint32_t>(ctx.keyLength));
    }
    ctx.sha.update(key, n);
  }
  // Only "more than 64" matters past 64, so the count may saturate.
  ctx.keyLength = static_cast<int32_t>(total < kMaxKeyCount ? total : kMaxKeyCount);
  return 0;
}

void hmacData(const void* data, uint32_t n, HmacSha1& ctx) {
  if (ctx.keyLength != kMessagePhase) {
    if (ctx.keyLength > 64) {
      ctx.sha.final(ctx.keyBlock);
      ctx.keyLength = 20;
    }
    memset(ctx.keyBlock + ctx.keyLength, 0, 64 - static_cast<size_t>(ctx.keyLength));
    for (unsigned char& b : ctx.keyBlock) b ^= 0x36;
    ctx.sha.reset();
    ctx.sha.update(ctx.keyBlock, 64);
    ctx.keyLength = kMessagePhase;
  }
  ctx.sha.update(data, n);
}

void hmacEnd(unsigned char* mac, uint32_t n, HmacSha1& ctx) {
  if (ctx.keyLength != kMessagePhase) hmacData(nullptr, 0, ctx);

  unsigned char inner[20];
  ctx.sha.final(inner);
  // key ^ 0x36 ^ 0x6A == key ^ 0x5C: the ipad block becomes the opad block.
  for (unsigned char& b : ctx.keyBlock) b ^= 0x6A;
  ctx.sha.reset();
  ctx.sha.update(ctx.keyBlock, 64);
  ctx.sha.update(inner, 20);

  unsigned char outer[20];
  ctx.sha.final(outer);
  if (mac != nullptr) memcpy(mac, outer, n < 20 ? n : 20);
  secureZero(inner, sizeof inner);
  secureZero(outer, sizeof outer);
}
