#include "crypto/sha1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#ifdef TAVLIN_TEST_ORACLES
#include <openssl/evp.h>
#endif

#include "crypto/crypto_test_hex.h"

namespace {


// Feeds data in pieces of the given sizes, cycling through them.
std::string sha1Hex(const std::string& data, std::vector<uint32_t> pieces = {}) {
  Sha1 sha;
  sha.reset();
  if (pieces.empty()) pieces.push_back(static_cast<uint32_t>(data.size()) + 1);
  size_t pos = 0, k = 0;
  while (pos < data.size()) {
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(pieces[k++ % pieces.size()], data.size() - pos));
    sha.update(data.data() + pos, n);
    pos += n;
  }
  unsigned char out[20];
  sha.final(out);
  return hex(out, 20);
}

// The examples of FIPS 180 (and the empty message).
TEST(Sha1, FipsExamplesWholeAndInPieces) {
  struct Case {
    std::string message;
    const char* digest;
  } cases[] = {
      {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
  };
  // Whole; byte by byte (all buffered); whole blocks only (all direct);
  // pieces that leave the buffer part-filled before whole blocks come.
  const std::vector<std::vector<uint32_t>> ways = {{}, {1}, {64}, {63, 65, 128, 1000}};
  for (const Case& c : cases) {
    for (const auto& pieces : ways) {
      if (c.message.size() > 100000 && pieces == std::vector<uint32_t>{1}) continue;
      EXPECT_EQ(sha1Hex(c.message, pieces), c.digest)
          << c.message.substr(0, 10) << "... length " << c.message.size() << ", first piece "
          << (pieces.empty() ? 0 : pieces[0]);
    }
  }
}

TEST(Sha1, PaddingBoundaries) {
  struct Case {
    size_t length;  // of 'a' bytes
    const char* digest;
  } cases[] = {
      {55, "c1c8bbdc22796e28c0e15163d20899b65621d65a"},
      {56, "c2db330f6083854c99d4b5bfb6e8f29f201be699"},
      {63, "03f09f5b158a7a8cdad920bddc29b81c18a551f5"},
      {64, "0098ba824b5c16427bd7a1122a5a442a25ec644d"},
      {65, "11655326c708d70319be2610e8a57d9a5b959d3b"},
  };
  for (const Case& c : cases) EXPECT_EQ(sha1Hex(std::string(c.length, 'a')), c.digest) << c.length;
}

TEST(Sha1, NullOrEmptyUpdateChangesNothing) {
  Sha1 sha;
  sha.reset();
  sha.update("ab", 2);
  sha.update(nullptr, 64);
  sha.update("zz", 0);
  sha.update("c", 1);
  unsigned char out[20];
  sha.final(out);
  EXPECT_EQ(hex(out, 20), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

// A copied object continues independently (HMAC and PBKDF2 copy prepared
// contexts).
TEST(Sha1, CopyContinuesIndependently) {
  Sha1 a;
  a.reset();
  a.update("ab", 2);
  Sha1 b = a;
  a.update("c", 1);
  b.update("x", 1);
  unsigned char outA[20], outB[20];
  a.final(outA);
  b.final(outB);
  EXPECT_EQ(hex(outA, 20), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(hex(outB, 20), sha1Hex("abx"));
}

#ifdef TAVLIN_TEST_ORACLES
TEST(Sha1, MatchesOpenSslOnSplitInput) {
  std::string data(5000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 197 + 3);
  for (size_t len = 0; len < data.size(); len += 41) {
    unsigned char ref[20];
    unsigned int refLen = 0;
    ASSERT_EQ(EVP_Digest(data.data(), len, ref, &refLen, EVP_sha1(), nullptr), 1);
    EXPECT_EQ(sha1Hex(data.substr(0, len), {7, 64, 100}), hex(ref, 20)) << len;
  }
}
#endif

}  // namespace
