#include "crypto/md5.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/data_buffer.h"
#include "core/string_buffer.h"

#ifdef TAVLIN_TEST_ORACLES
#include <openssl/evp.h>
#endif

#include "crypto/crypto_test_hex.h"

namespace {


std::string md5Hex(const void* data, uint32_t n) {
  Md5 md5;
  md5.update(data, n);
  unsigned char out[16];
  md5.final(out);
  return hex(out, 16);
}

// The test suite of RFC 1321, appendix A.5.
struct Rfc1321Case {
  const char* message;
  const char* digest;
};
const Rfc1321Case kRfc1321[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"1234567890123456789012345678901234567890123456789012345678901234567890123456"
     "7890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, Rfc1321SuiteInOnePieceBytewiseAndThroughStringBuffer) {
  for (const Rfc1321Case& c : kRfc1321) {
    SCOPED_TRACE(c.message);
    uint32_t n = static_cast<uint32_t>(strlen(c.message));
    EXPECT_EQ(md5Hex(c.message, n), c.digest);

    Md5 bytewise;
    for (uint32_t i = 0; i < n; ++i) bytewise.update(c.message + i, 1);
    unsigned char out[16];
    bytewise.final(out);
    EXPECT_EQ(hex(out, 16), c.digest);

    Md5 md5;
    md5.digestString(StringBuffer(c.message), out);
    EXPECT_EQ(hex(out, 16), c.digest);

    DataBuffer db;
    ASSERT_TRUE(db.append(c.message, n));
    md5.digestBuffer(db, out);
    EXPECT_EQ(hex(out, 16), c.digest);
  }
}

TEST(Md5, NullOrEmptyUpdateChangesNothing) {
  Md5 md5;
  md5.update("abc", 3);
  md5.update(nullptr, 10);
  md5.update("zzz", 0);
  unsigned char out[16];
  md5.final(out);
  EXPECT_EQ(hex(out, 16), "900150983cd24fb0d6963f7d28e17f72");
}

// Padding lands in one block up to 55 bytes and needs a second from 56 on;
// lengths around 64 also cross the buffered/direct boundary.
TEST(Md5, PaddingBoundaries) {
  struct Case {
    uint32_t length;  // of 'a' bytes
    const char* digest;
  } cases[] = {
      {55, "ef1772b6dff9a122358552954ad0df65"},
      {56, "3b0c8ac703f828b04c6c197006d17218"},
      {63, "b06521f39153d618550606be297466d5"},
      {64, "014842d480b571495a4a0363793f7367"},
      {65, "c743a45e0d2e6a95cb859adae0248435"},
  };
  for (const Case& c : cases) {
    std::string a(c.length, 'a');
    EXPECT_EQ(md5Hex(a.data(), c.length), c.digest) << c.length;
  }
}

TEST(Md5, ObjectIsReusableAfterReset) {
  Md5 md5;
  unsigned char out[16];
  md5.update("something else", 14);
  md5.final(out);
  md5.reset();
  md5.update("abc", 3);
  md5.final(out);
  EXPECT_EQ(hex(out, 16), "900150983cd24fb0d6963f7d28e17f72");
}

#ifdef TAVLIN_TEST_ORACLES
TEST(Md5, MatchesOpenSslOnSplitInput) {
  std::vector<unsigned char> data(3000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 131 + 7);
  for (uint32_t len = 0; len < data.size(); len += 37) {
    unsigned char ref[16];
    unsigned int refLen = 0;
    ASSERT_EQ(EVP_Digest(data.data(), len, ref, &refLen, EVP_md5(), nullptr), 1);
    Md5 md5;
    uint32_t pos = 0, step = 1;
    while (pos < len) {
      uint32_t n = std::min(step, len - pos);
      md5.update(data.data() + pos, n);
      pos += n;
      step = step * 2 + 1;
    }
    unsigned char out[16];
    md5.final(out);
    EXPECT_EQ(hex(out, 16), hex(ref, 16)) << len;
  }
}
#endif

}  // namespace
