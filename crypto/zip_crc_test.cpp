#include "crypto/zip_crc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "crypto/x86/cpu_features.h"

#ifdef TAVLIN_TEST_ORACLES
#include <zlib.h>
#endif

namespace {

// The CRC one bit at a time, straight from the definition: an oracle that
// shares nothing with the tables or the folding code.
uint32_t bitwiseCrc(const unsigned char* p, size_t n) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::vector<unsigned char> pseudoRandomBytes(size_t n, uint32_t seed) {
  std::vector<unsigned char> v(n);
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    v[i] = static_cast<unsigned char>(seed >> 23);
  }
  return v;
}

const char* pathName(CrcPath p) {
  switch (p) {
    case CrcPath::kPortable:
      return "Portable";
    case CrcPath::kCarryless:
      return "Carryless";
    case CrcPath::kCarryless256:
      return "Carryless256";
  }
  return "?";
}

// Runs each test once per implementation, restoring the automatic choice
// afterwards.
class ZipCrcPaths : public ::testing::TestWithParam<CrcPath> {
 protected:
  void SetUp() override {
    saved_ = crcActivePath();
    if (!crcSelectPath(GetParam())) {
      GTEST_SKIP() << pathName(GetParam()) << " path not available here";
    }
  }
  void TearDown() override { crcSelectPath(saved_); }

 private:
  CrcPath saved_ = CrcPath::kPortable;
};

TEST_P(ZipCrcPaths, KnownAnswers) {
  struct Case {
    const char* text;
    uint32_t crc;
  } cases[] = {
      {"", 0x00000000u},
      {"a", 0xE8B7BE43u},
      {"123456789", 0xCBF43926u},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    uint32_t n = static_cast<uint32_t>(strlen(c.text));
    EXPECT_EQ(crc32OneShot(c.text, n), c.crc);
    ZipCRC crc;
    crc.reset();
    crc.update(c.text, n);
    EXPECT_EQ(crc.getValue(), c.crc);
  }
}

TEST_P(ZipCrcPaths, NothingFedGivesZeroAndNullChangesNothing) {
  ZipCRC crc;
  crc.reset();
  EXPECT_EQ(crc.getValue(), 0u);
  crc.update("123", 3);
  uint32_t before = crc.getValue();
  crc.update(nullptr, 100);
  crc.update("x", 0);
  EXPECT_EQ(crc.getValue(), before);
  EXPECT_EQ(crc32OneShot(nullptr, 5), 0u);
  EXPECT_EQ(crc32OneShot("abc", 0), 0u);
}

// Every length up to 700 at every offset within a 16-byte line: covers the
// byte tail, the 16-byte passes, the braids, the set-up of both folding
// widths (from 143 and 527 bytes) and their alignment heads.
TEST_P(ZipCrcPaths, AllLengthsAndAlignmentsMatchTheBitwiseCrc) {
  std::vector<unsigned char> data = pseudoRandomBytes(700 + 16 + 16, 7);
  unsigned char* base = data.data();
  base += (16 - reinterpret_cast<uintptr_t>(base) % 16) % 16;
  for (size_t align = 0; align < 16; ++align) {
    for (size_t len = 0; len <= 700; ++len) {
      const unsigned char* p = base + align;
      ASSERT_EQ(crc32OneShot(p, static_cast<uint32_t>(len)), bitwiseCrc(p, len))
          << "len " << len << " align " << align;
    }
  }
}

TEST_P(ZipCrcPaths, LargeBuffersMatchTheBitwiseCrc) {
  for (size_t len : {size_t{1} << 20, (size_t{1} << 20) + 13, size_t{65536 + 63}}) {
    std::vector<unsigned char> data = pseudoRandomBytes(len + 1, static_cast<uint32_t>(len));
    EXPECT_EQ(crc32OneShot(data.data() + 1, static_cast<uint32_t>(len)),
              bitwiseCrc(data.data() + 1, len))
        << len;
  }
}

// The running value carries over between update calls of any size and
// getValue does not end the CRC.
TEST_P(ZipCrcPaths, SplitUpdatesGiveTheSameValue) {
  std::vector<unsigned char> data = pseudoRandomBytes(5000, 99);
  uint32_t whole = bitwiseCrc(data.data(), data.size());
  const std::vector<std::vector<uint32_t>> splits = {
      {1}, {15}, {16}, {17}, {63, 64, 65}, {127, 128, 129}, {1000, 1}, {3, 300, 7, 2000}};
  for (const auto& sizes : splits) {
    ZipCRC crc;
    crc.reset();
    size_t pos = 0, k = 0;
    while (pos < data.size()) {
      uint32_t n = sizes[k++ % sizes.size()];
      if (n > data.size() - pos) n = static_cast<uint32_t>(data.size() - pos);
      crc.update(data.data() + pos, n);
      if (k % 3 == 0) {
        EXPECT_EQ(crc.getValue(), bitwiseCrc(data.data(), pos + n));
      }
      pos += n;
    }
    EXPECT_EQ(crc.getValue(), whole) << "first piece " << sizes[0];
  }
  ZipCRC again;
  again.update(data.data(), 100);
  again.reset();
  again.update(data.data(), static_cast<uint32_t>(data.size()));
  EXPECT_EQ(again.getValue(), whole);
}

#ifdef TAVLIN_TEST_ORACLES
TEST_P(ZipCrcPaths, MatchesZlib) {
  std::vector<unsigned char> data = pseudoRandomBytes(200000, 3);
  for (size_t len = 0; len < data.size(); len = len * 3 + 1) {
    uLong z = crc32(0L, data.data(), static_cast<uInt>(len));
    EXPECT_EQ(crc32OneShot(data.data(), static_cast<uint32_t>(len)), static_cast<uint32_t>(z))
        << len;
  }
}
#endif

INSTANTIATE_TEST_SUITE_P(Paths, ZipCrcPaths,
                         ::testing::Values(CrcPath::kPortable, CrcPath::kCarryless,
                                           CrcPath::kCarryless256),
                         [](const ::testing::TestParamInfo<CrcPath>& info) {
                           return std::string(pathName(info.param));
                         });

TEST(ZipCrc, TableIsTheReflectedTable) {
  const uint32_t* t = zipCrcTable();
  EXPECT_EQ(t[0], 0u);
  EXPECT_EQ(t[1], 0x77073096u);
  EXPECT_EQ(t[128], 0xEDB88320u);
  EXPECT_EQ(t[255], 0x2D02EF8Du);
  for (uint32_t i = 0; i < 256; ++i) {
    unsigned char b = static_cast<unsigned char>(i);
    // One byte from a zero running value is exactly the table entry.
    ASSERT_EQ(crc32UpdatePortable(0, &b, 1), t[i]) << i;
  }
}

// The ctest run "crypto_portable" sets TAVLIN_DISABLE_CPU_FEATURES=1; the
// ordinary run does not. Both check that the choice follows the switch.
TEST(ZipCrc, DisableSwitchForcesThePortablePath) {
  const char* env = std::getenv("TAVLIN_DISABLE_CPU_FEATURES");
  bool disabled = env != nullptr && std::string(env) == "1";
  EXPECT_EQ(cpuFeaturesDisabled(), disabled);
  if (disabled) {
    EXPECT_FALSE(cpuFeatures().pclmul);
    EXPECT_FALSE(crcPathAvailable(CrcPath::kCarryless));
    EXPECT_FALSE(crcPathAvailable(CrcPath::kCarryless256));
    EXPECT_FALSE(crcSelectPath(CrcPath::kCarryless));
    EXPECT_EQ(crcActivePath(), CrcPath::kPortable);
  } else {
    // The fastest available path is the one in use.
    CrcPath best = crcPathAvailable(CrcPath::kCarryless256) ? CrcPath::kCarryless256
                   : crcPathAvailable(CrcPath::kCarryless)  ? CrcPath::kCarryless
                                                            : CrcPath::kPortable;
    EXPECT_EQ(crcActivePath(), best);
  }
  EXPECT_TRUE(crcPathAvailable(CrcPath::kPortable));
}

}  // namespace
