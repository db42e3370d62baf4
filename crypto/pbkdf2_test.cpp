#include "crypto/pbkdf2.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "log/log_base.h"

#ifdef TAVLIN_TEST_ORACLES
#include <openssl/evp.h>
#endif

#include "crypto/crypto_test_hex.h"

namespace {


// Records the calls made on it, one line each, in order.
class RecordingLog : public LogBase {
 public:
  std::vector<std::string> lines;
  bool openContext(const char* name, bool) override {
    lines.push_back(std::string("open ") + name);
    return true;
  }
  bool closeContext() override {
    lines.push_back("close");
    return true;
  }
  bool addData(const char* name, const char* value) override {
    lines.push_back(std::string(name) + "=" + value);
    return true;
  }
  bool addDataInt(const char* name, int32_t value) override {
    lines.push_back(std::string(name) + "=" + std::to_string(value));
    return true;
  }
  bool addError(const char* text) override {
    lines.push_back(std::string("error ") + text);
    return true;
  }
  bool addInfo(const char* text) override {
    lines.push_back(std::string("info ") + text);
    return true;
  }
};

std::string derive(const std::string& password, const std::string& salt, uint32_t iterations,
                   uint32_t length) {
  std::vector<unsigned char> out(length + 1, 0xEE);
  LogNull log;
  EXPECT_TRUE(ZipAes_derive_key(reinterpret_cast<const unsigned char*>(password.data()),
                                static_cast<uint32_t>(password.size()),
                                reinterpret_cast<const unsigned char*>(salt.data()),
                                static_cast<uint32_t>(salt.size()), iterations, out.data(), length,
                                log, false));
  EXPECT_EQ(out[length], 0xEE) << "wrote past the requested length";
  return hex(out.data(), length);
}

// The PBKDF2-HMAC-SHA1 vectors of RFC 6070. The one with 16,777,216
// iterations is left out: it takes about 18 s even natively (three SHA-1
// compressions per iteration) and adds nothing the 4096-iteration ones do
// not cover.
TEST(Pbkdf2, Rfc6070Vectors) {
  struct Case {
    std::string password;
    std::string salt;
    uint32_t iterations;
    uint32_t length;
    const char* key;
  } cases[] = {
      {"password", "salt", 1, 20, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
      {"password", "salt", 2, 20, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
      {"password", "salt", 4096, 20, "4b007901b765489abead49d926f721d065a429c1"},
      {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25,
       "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
      {std::string("pass\0word", 9), std::string("sa\0lt", 5), 4096, 16,
       "56fa6aa75548099dcc37d7f03425e0c3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(derive(c.password, c.salt, c.iterations, c.length), c.key)
        << c.password.size() << "-byte password, " << c.iterations << " iterations";
  }
}

// 66 bytes take four blocks and 6 bytes of the fourth; every block depends
// only on its index, so a longer output extends a shorter one.
TEST(Pbkdf2, OutputLengthsCutTheBlockSequence) {
  std::string full = derive("password", "salt", 3, 100);
  for (uint32_t length : {0u, 1u, 19u, 20u, 21u, 40u, 66u, 99u}) {
    EXPECT_EQ(derive("password", "salt", 3, length), full.substr(0, 2 * length)) << length;
  }
  // Blocks differ from one another.
  EXPECT_NE(full.substr(0, 40), full.substr(40, 40));
}

TEST(Pbkdf2, ZeroIterationsGiveZeroBytes) {
  EXPECT_EQ(derive("password", "salt", 0, 25), std::string(50, '0'));
}

TEST(Pbkdf2, EmptyPasswordAndSalt) {
  // Reference value from Python's hashlib.pbkdf2_hmac.
  EXPECT_EQ(derive("", "", 2, 20), "620c000a06fed9c10bca11516b3ac0228d671700");
}

TEST(Pbkdf2, VerboseLogsInputsAndResultInOneBalancedContext) {
  RecordingLog log;
  unsigned char out[4];
  ASSERT_TRUE(ZipAes_derive_key(reinterpret_cast<const unsigned char*>("pw"), 2,
                                reinterpret_cast<const unsigned char*>("salt"), 4, 1, out, 4, log,
                                true));
  std::vector<std::string> expected = {
      "open ZipAes_derive_key", "pwd=7077 ", "pwd_len=2", "salt=7361 6C74 ", "salt_len=4",
      "key_len=4",              "key_len=4",  "key=" + [&] {
        static const char digits[] = "0123456789ABCDEF";
        std::string s;
        for (int i = 0; i < 4; ++i) {
          s += digits[out[i] >> 4];
          s += digits[out[i] & 15];
          if (i % 2 == 1) s += ' ';
        }
        return s;
      }(),
      "close"};
  EXPECT_EQ(log.lines, expected);
}

TEST(Pbkdf2, QuietWhenNotVerbose) {
  RecordingLog log;
  unsigned char out[20];
  ASSERT_TRUE(ZipAes_derive_key(reinterpret_cast<const unsigned char*>("pw"), 2,
                                reinterpret_cast<const unsigned char*>("salt"), 4, 1, out, 20, log,
                                false));
  EXPECT_TRUE(log.lines.empty());
}

TEST(Pbkdf2, NullBuffersWithLengthsAreRefused) {
  RecordingLog log;
  unsigned char out[20];
  const unsigned char* pw = reinterpret_cast<const unsigned char*>("pw");
  EXPECT_FALSE(ZipAes_derive_key(pw, 2, pw, 2, 1, nullptr, 20, log, false));
  EXPECT_FALSE(ZipAes_derive_key(nullptr, 2, pw, 2, 1, out, 20, log, false));
  EXPECT_FALSE(ZipAes_derive_key(pw, 2, nullptr, 2, 1, out, 20, log, false));
  ASSERT_EQ(log.lines.size(), 9u);
  EXPECT_EQ(log.lines[0], "open ZipAes_derive_key");
  EXPECT_EQ(log.lines[1].rfind("error ", 0), 0u);
  EXPECT_EQ(log.lines[2], "close");
  // Null with a zero length is fine.
  EXPECT_TRUE(ZipAes_derive_key(nullptr, 0, nullptr, 0, 1, nullptr, 0, log, false));
}

#ifdef TAVLIN_TEST_ORACLES
TEST(Pbkdf2, MatchesOpenSsl) {
  struct Case {
    std::string password;
    std::string salt;
    uint32_t iterations;
    uint32_t length;
  } cases[] = {
      {"", "", 2, 20},
      {"secret", "0123456789abcdef", 1000, 66},  // WinZip AES-256: 32 + 32 + 2
      {std::string(100, 'p'), std::string(70, 's'), 17, 41},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> ref(c.length);
    ASSERT_EQ(PKCS5_PBKDF2_HMAC_SHA1(c.password.data(), static_cast<int>(c.password.size()),
                                     reinterpret_cast<const unsigned char*>(c.salt.data()),
                                     static_cast<int>(c.salt.size()), static_cast<int>(c.iterations),
                                     static_cast<int>(c.length), ref.data()),
              1);
    EXPECT_EQ(derive(c.password, c.salt, c.iterations, c.length), hex(ref.data(), c.length));
  }
}
#endif

}  // namespace
