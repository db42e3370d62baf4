#include "crypto/hmac_sha1.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifdef TAVLIN_TEST_ORACLES
#include <openssl/evp.h>
#include <openssl/hmac.h>
#endif

#include "crypto/crypto_test_hex.h"

namespace {


using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const char* s) { return Bytes(s, s + strlen(s)); }

// HMAC with the key and the data each fed in pieces of at most `piece`
// bytes (0: in one call).
std::string hmacHex(const Bytes& key, const Bytes& data, size_t piece = 0, uint32_t macLength = 20) {
  HmacSha1 ctx;
  hmacBegin(ctx);
  size_t step = piece == 0 ? key.size() + data.size() + 1 : piece;
  for (size_t pos = 0; pos < key.size(); pos += step) {
    EXPECT_EQ(hmacKey(key.data() + pos, static_cast<uint32_t>(std::min(step, key.size() - pos)), ctx), 0);
  }
  for (size_t pos = 0; pos < data.size(); pos += step) {
    hmacData(data.data() + pos, static_cast<uint32_t>(std::min(step, data.size() - pos)), ctx);
  }
  unsigned char mac[20];
  hmacEnd(mac, macLength, ctx);
  return hex(mac, macLength);
}

// Every test case of RFC 2202 for HMAC-SHA1.
TEST(HmacSha1, Rfc2202Cases) {
  Bytes key4;
  for (int i = 1; i <= 25; ++i) key4.push_back(static_cast<unsigned char>(i));
  struct Case {
    Bytes key;
    Bytes data;
    const char* mac;
  } cases[] = {
      {Bytes(20, 0x0b), bytesOf("Hi There"), "b617318655057264e28bc0b6fb378c8ef146be00"},
      {bytesOf("Jefe"), bytesOf("what do ya want for nothing?"),
       "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
      {Bytes(20, 0xaa), Bytes(50, 0xdd), "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
      {key4, Bytes(50, 0xcd), "4c9007f4026250c6bc8414f9bf50c86c2d7235da"},
      {Bytes(20, 0x0c), bytesOf("Test With Truncation"), "4c1a03424b55e07fe7f27be1d58bb9324a9a5a04"},
      {Bytes(80, 0xaa), bytesOf("Test Using Larger Than Block-Size Key - Hash Key First"),
       "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
      {Bytes(80, 0xaa),
       bytesOf("Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data"),
       "e8e99d0f45237d786d6bbaa7965c7808bbff1a91"},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("RFC 2202 case " + std::to_string(++number));
    for (size_t piece : {size_t{0}, size_t{1}, size_t{7}, size_t{64}}) {
      EXPECT_EQ(hmacHex(c.key, c.data, piece), c.mac) << "pieces of " << piece;
    }
  }
  // Case 5 also lists the MAC truncated to 96 bits.
  EXPECT_EQ(hmacHex(Bytes(20, 0x0c), bytesOf("Test With Truncation"), 0, 12),
            "4c1a03424b55e07fe7f27be1");
}

TEST(HmacSha1, EmptyKeyAndMessageWithoutAnyDataCall) {
  HmacSha1 ctx;
  hmacBegin(ctx);
  unsigned char mac[20];
  hmacEnd(mac, 20, ctx);
  EXPECT_EQ(hex(mac, 20), "fbdb1d1b18aa6c08324b7d64b71fb76370690e1d");
}

// A 65-byte key in 64 + 1 bytes crosses the block size only with its second
// piece; it must act as its SHA-1 used as a 20-byte key.
TEST(HmacSha1, KeyGrowingPastTheBlockIsReplacedByItsHash) {
  Bytes key(65);
  for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<unsigned char>(i);
  Bytes data = bytesOf("msg");

  HmacSha1 ctx;
  hmacBegin(ctx);
  EXPECT_EQ(hmacKey(key.data(), 64, ctx), 0);
  EXPECT_EQ(hmacKey(key.data() + 64, 1, ctx), 0);
  EXPECT_EQ(ctx.keyLength, 65);
  hmacData(data.data(), 3, ctx);
  unsigned char mac[20];
  hmacEnd(mac, 20, ctx);

  Sha1 sha;
  sha.reset();
  sha.update(key.data(), 65);
  unsigned char hashedKey[20];
  sha.final(hashedKey);
  EXPECT_EQ(hex(mac, 20), hmacHex(Bytes(hashedKey, hashedKey + 20), data));
  EXPECT_EQ(hex(mac, 20), "fd6e2eb5c5f10da322d1c2b373a2ad8371a7154a");
}

TEST(HmacSha1, KeyAfterDataIsRefusedAndChangesNothing) {
  HmacSha1 ctx;
  hmacBegin(ctx);
  EXPECT_EQ(hmacKey("Jefe", 4, ctx), 0);
  hmacData("what do ya want ", 16, ctx);
  EXPECT_EQ(ctx.keyLength, -1);
  EXPECT_EQ(hmacKey("more key", 8, ctx), -1);
  hmacData("for nothing?", 12, ctx);
  unsigned char mac[20];
  hmacEnd(mac, 20, ctx);
  EXPECT_EQ(hex(mac, 20), "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79");
}

// An empty data call still ends the key phase.
TEST(HmacSha1, EmptyDataCallEndsTheKeyPhase) {
  HmacSha1 ctx;
  hmacBegin(ctx);
  hmacKey("Jefe", 4, ctx);
  hmacData(nullptr, 0, ctx);
  EXPECT_EQ(ctx.keyLength, -1);
  EXPECT_EQ(hmacKey("x", 1, ctx), -1);
}

TEST(HmacSha1, EndCopiesOnlyTheRequestedBytes) {
  for (uint32_t n : {0u, 1u, 10u, 19u, 20u, 25u}) {
    HmacSha1 ctx;
    hmacBegin(ctx);
    hmacKey("Jefe", 4, ctx);
    hmacData("what do ya want for nothing?", 28, ctx);
    unsigned char mac[32];
    memset(mac, 0xEE, sizeof mac);
    hmacEnd(mac, n, ctx);
    uint32_t copied = n < 20 ? n : 20;
    EXPECT_EQ(hex(mac, copied), std::string("effcdf6ae5eb2fa2d27416d5f184df9c259a7c79").substr(0, 2 * copied));
    for (size_t i = copied; i < sizeof mac; ++i) ASSERT_EQ(mac[i], 0xEE) << "n " << n << " byte " << i;
  }
}

#ifdef TAVLIN_TEST_ORACLES
TEST(HmacSha1, MatchesOpenSslForKeyLengthsAroundTheBlock) {
  Bytes data(300);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 13);
  for (size_t keyLength : {0, 1, 20, 63, 64, 65, 100, 129, 200}) {
    Bytes key(keyLength);
    for (size_t i = 0; i < keyLength; ++i) key[i] = static_cast<unsigned char>(i * 7 + 1);
    unsigned char ref[20];
    unsigned int refLength = 0;
    HMAC(EVP_sha1(), key.data(), static_cast<int>(keyLength), data.data(), data.size(), ref, &refLength);
    EXPECT_EQ(hmacHex(key, data, 0), hex(ref, 20)) << keyLength;
    EXPECT_EQ(hmacHex(key, data, 33), hex(ref, 20)) << keyLength;
  }
}
#endif

}  // namespace
