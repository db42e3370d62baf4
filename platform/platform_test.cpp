// The seam's promises, checked on whichever backend this build uses.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(PlatformEnvironment, SetGetRemoveIgnoringCase) {
  ASSERT_TRUE(platform::setEnvironmentVariable("TavlinSeamProbe", "value 1"));
  std::string v;
  EXPECT_TRUE(platform::getEnvironmentVariable("TavlinSeamProbe", v));
  EXPECT_EQ(v, "value 1");
  // Windows names ignore case; the stand-in must too.
  EXPECT_TRUE(platform::getEnvironmentVariable("TAVLINSEAMPROBE", v));
  EXPECT_EQ(v, "value 1");
  EXPECT_TRUE(platform::getEnvironmentVariable("tavlinseamprobe", v));

  ASSERT_TRUE(platform::setEnvironmentVariable("TavlinSeamProbe", nullptr));
  EXPECT_FALSE(platform::getEnvironmentVariable("TavlinSeamProbe", v));
  EXPECT_EQ(v, "");
  EXPECT_FALSE(platform::getEnvironmentVariable("", v));
  EXPECT_FALSE(platform::getEnvironmentVariable(nullptr, v));
}

TEST(PlatformEnvironment, LongValueIsReadWhole) {
  std::string big(5000, 'x');
  big[4999] = 'y';
  ASSERT_TRUE(platform::setEnvironmentVariable("TAVLIN_SEAM_BIG", big.c_str()));
  std::string v;
  EXPECT_TRUE(platform::getEnvironmentVariable("TAVLIN_SEAM_BIG", v));
  EXPECT_EQ(v, big);
  platform::setEnvironmentVariable("TAVLIN_SEAM_BIG", nullptr);
}

TEST(PlatformTime, TickCountAdvancesAcrossSleep) {
  uint32_t t0 = platform::tickCount();
  platform::sleepMs(100);
  // GetTickCount moves in steps of up to ~16 ms; allow for that.
  uint32_t elapsed = platform::tickCount() - t0;  // unsigned: wraps correctly
  EXPECT_GE(elapsed, 70u);
  EXPECT_LT(elapsed, 5000u);
}

TEST(PlatformErrors, LastErrorRoundTripAndMessageText) {
  platform::setLastError(2);
  EXPECT_EQ(platform::lastError(), 2u);
  // Code 2 is "file not found" on both systems; its text must not be empty.
  EXPECT_FALSE(platform::systemErrorText(2).empty());
}

TEST(PlatformRandom, ProviderFillsBytes) {
  platform::CryptProvider p = platform::acquireCryptProvider();
  ASSERT_NE(p, 0u);
  unsigned char a[64] = {0};
  unsigned char b[64] = {0};
  EXPECT_TRUE(platform::cryptGenRandom(p, sizeof a, a));
  EXPECT_TRUE(platform::cryptGenRandom(p, sizeof b, b));
  // Two 512-bit draws are equal (or all zero) only when the source is broken.
  EXPECT_NE(std::memcmp(a, b, sizeof a), 0);
  unsigned char zero[64] = {0};
  EXPECT_NE(std::memcmp(a, zero, sizeof a), 0);
  platform::releaseCryptProvider(p);
  EXPECT_FALSE(platform::cryptGenRandom(0, sizeof a, a));
}

TEST(PlatformRandom, InjectedProviderFailure) {
  platform::testing::failCryptProvider(true);
  EXPECT_EQ(platform::acquireCryptProvider(), 0u);
  platform::testing::failCryptProvider(false);
  platform::CryptProvider p = platform::acquireCryptProvider();
  EXPECT_NE(p, 0u);
  platform::releaseCryptProvider(p);
}

TEST(PlatformText, AnsiCodePageAndItsOverride) {
  uint32_t system = platform::ansiCodePage();
  // A real system reports a Windows code page (Wine's default is 1252); the
  // stand-in reports UTF-8.
  EXPECT_NE(system, 0u);
  EXPECT_NE(system, 1200u);  // never a UTF-16 form: narrow text is bytes
  platform::testing::overrideAnsiCodePage(1251);
  EXPECT_EQ(platform::ansiCodePage(), 1251u);
  platform::testing::overrideAnsiCodePage(0);
  EXPECT_EQ(platform::ansiCodePage(), system);
}

TEST(PlatformFiles, WholeFileWriteReplacesContent) {
  std::string path = ::testing::TempDir() + "tavlin_seam_probe.txt";
  ASSERT_TRUE(platform::writeWholeFileAnsi(path.c_str(), "first content", 13));
  ASSERT_TRUE(platform::writeWholeFileAnsi(path.c_str(), "second", 6));
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char buf[32] = {0};
  size_t n = std::fread(buf, 1, sizeof buf, f);
  std::fclose(f);
  EXPECT_EQ(std::string(buf, n), "second");
  std::remove(path.c_str());
  EXPECT_FALSE(platform::writeWholeFileAnsi((::testing::TempDir() + "no/such/dir/x").c_str(), "x", 1));
}

}  // namespace
