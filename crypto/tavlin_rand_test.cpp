#include "crypto/tavlin_rand.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "platform/platform.h"

namespace {

using State = TavlinRand::State;
const State& state() { return TavlinRand::testState(); }

// The step before s: 214013 is odd, so the LCG can be run backwards.
uint32_t lcgPrev(uint32_t s) {
  const uint32_t m = 214013u;
  uint32_t inv = m;  // Newton's iteration doubles the correct low bits
  for (int k = 0; k < 5; ++k) inv *= 2u - m * inv;
  return (s - 2531011u) * inv;
}

// The next randomInRange call must not be the one that reseeds.
void keepClearOfTheReseed() {
  if (state().calls > TavlinRand::kReseedAfter) TavlinRand::randomInRange(1, 1);
}

// Makes the next randomInRange draw the 15-bit value r.
void seedForDraw(uint32_t r) {
  keepClearOfTheReseed();
  TavlinRand::seedRandom(lcgPrev(r << 16));
  ASSERT_EQ(TavlinRand::lcgOutput(TavlinRand::lcgNext(state().lcgSeed)), r);
}

// Runs first in this file's order; skipped when something else drew first.
TEST(TavlinRand, FirstDrawSeedsFromTheTickCountEvenAfterSeedRandom) {
  if (state().seeded) GTEST_SKIP() << "the state was seeded before this test";
  TavlinRand::seedRandom(5);
  EXPECT_FALSE(state().seeded);
  EXPECT_EQ(state().lcgSeed, 5u);
  uint32_t before = platform::tickCount();
  TavlinRand::random32();
  uint32_t after = platform::tickCount();
  EXPECT_TRUE(state().seeded);
  EXPECT_GE(state().lcgSeed, before);
  EXPECT_LE(state().lcgSeed, after);
}

TEST(TavlinRand, LcgIsTheLibrarysOwnFormula) {
  EXPECT_EQ(TavlinRand::lcgNext(0), 2531011u);
  EXPECT_EQ(TavlinRand::lcgOutput(TavlinRand::lcgNext(0)), 38u);
  // From state 1 the familiar 41, 18467, 6334 of that formula.
  uint32_t s = 1;
  for (uint32_t expected : {41u, 18467u, 6334u, 26500u}) {
    s = TavlinRand::lcgNext(s);
    EXPECT_EQ(TavlinRand::lcgOutput(s), expected);
  }
  EXPECT_EQ(lcgPrev(TavlinRand::lcgNext(123456789u)), 123456789u);
}

TEST(TavlinRand, SeedZeroThenRangeUsesDraw38) {
  TavlinRand::random32();  // at least one draw before
  keepClearOfTheReseed();
  TavlinRand::seedRandom(0);
  EXPECT_EQ(state().lcgSeed, 0u) << "with a working provider the seed stays";
  EXPECT_EQ(TavlinRand::randomInRange(0, 100), 0u);
  EXPECT_EQ(state().lcgSeed, 2531011u);
}

TEST(TavlinRand, EqualBoundsConsumeNoDraw) {
  TavlinRand::random32();
  keepClearOfTheReseed();
  uint32_t seed = state().lcgSeed;
  uint32_t calls = state().calls;
  EXPECT_EQ(TavlinRand::randomInRange(7, 7), 7u);
  EXPECT_EQ(state().lcgSeed, seed);
  EXPECT_EQ(state().calls, calls + 1);
}

// Which draw gives which value at the ends of the range and in the middle.
TEST(TavlinRand, RangeScaling) {
  struct Case {
    uint32_t a, b, draw, expected;
  } cases[] = {
      {0, 35, 0, 0},           {0, 35, 32767, 35},     {0, 35, 910, 0},
      {0, 35, 911, 1},         {0, 100, 38, 0},        {10, 20, 32767, 20},
      {0, 1, 16383, 0},        {0, 1, 16384, 1},       {0, 32767, 12345, 12345},
      {100, 99, 5, 99},  // b below a: b
      {0, 0xFFFFFFFFu, 32767, 0xFFFE0000u},
  };
  for (const Case& c : cases) {
    seedForDraw(c.draw);
    EXPECT_EQ(TavlinRand::randomInRange(c.a, c.b), c.expected)
        << c.a << ".." << c.b << " draw " << c.draw;
  }
}

TEST(TavlinRand, RangeZeroTo35ReachesAllValues) {
  TavlinRand::seedRandom(4242);
  std::set<uint32_t> seen;
  for (int k = 0; k < 5000; ++k) {
    uint32_t v = TavlinRand::randomInRange(0, 35);
    ASSERT_LE(v, 35u);
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 36u);
}

// The 3001st call since a reseed still draws on; the call after it first
// replaces the LCG state by the next R250 word.
TEST(TavlinRand, ReseedsFromRandom32AfterThe3001stCall) {
  TavlinRand::random32();
  while (state().calls < TavlinRand::kReseedAfter + 1) {
    uint32_t seed = state().lcgSeed;
    TavlinRand::randomInRange(0, 1000);
    ASSERT_EQ(state().lcgSeed, TavlinRand::lcgNext(seed)) << "reseeded early at " << state().calls;
  }
  EXPECT_EQ(state().calls, 3001u);
  uint32_t nextWord = state().words[state().i] ^ state().words[state().j];
  uint32_t v = TavlinRand::randomInRange(0, 32767);
  EXPECT_EQ(state().calls, 1u);
  EXPECT_EQ(state().lcgSeed, TavlinRand::lcgNext(nextWord));
  EXPECT_EQ(v, TavlinRand::lcgOutput(TavlinRand::lcgNext(nextWord)));
}

TEST(TavlinRand, Random32IsR250OverTheWords) {
  TavlinRand::seedRandom(1);
  EXPECT_EQ(state().i, 0);
  EXPECT_EQ(state().j, 103);
  std::vector<uint32_t> w(state().words, state().words + TavlinRand::kWords);
  int i = 0, j = 103;
  for (int k = 0; k < 600; ++k) {  // wraps both indices twice
    uint32_t expected = w[i] ^ w[j];
    w[i] = expected;
    i = (i + 1) % 250;
    j = (j + 1) % 250;
    ASSERT_EQ(TavlinRand::random32(), expected) << k;
  }
  EXPECT_EQ(state().i, i);
  EXPECT_EQ(state().j, j);
}

TEST(TavlinRand, FillSetsTheIndependenceStaircase) {
  TavlinRand::seedRandom(77);
  EXPECT_EQ(state().lcgSeed, 77u);
  for (int k = 0; k < 32; ++k) {
    EXPECT_EQ(state().words[3 + 7 * k] >> (31 - k), 1u) << k;
  }
  EXPECT_FALSE(state().busy);
}

// Without a provider the words come from the LCG reseeded from the tick
// count: running the LCG back over its 750 draws must land on a tick value
// taken during the call, and replaying from there must give every word.
TEST(TavlinRand, ProviderFailureFillsFromTheTickSeededLcg) {
  platform::testing::failCryptProvider(true);
  uint32_t before = platform::tickCount();
  TavlinRand::seedRandom(999);
  uint32_t after = platform::tickCount();
  unsigned char buf[8];
  bool filled = TavlinRand::fillRandomBytes(8, buf);
  platform::testing::failCryptProvider(false);
  EXPECT_FALSE(filled);

  uint32_t s = state().lcgSeed;
  for (int k = 0; k < 750; ++k) s = lcgPrev(s);
  EXPECT_GE(s, before);
  EXPECT_LE(s, after);

  std::vector<uint32_t> expected(TavlinRand::kWords);
  for (int k = TavlinRand::kWords - 1; k >= 0; --k) {
    uint32_t r[3];
    for (uint32_t& x : r) {
      s = TavlinRand::lcgNext(s);
      x = TavlinRand::lcgOutput(s);
    }
    expected[k] = ((r[0] | r[1] << 15) << 2) | (r[2] & 3u);
  }
  for (int k = 0; k < 32; ++k) {
    uint32_t& w = expected[3 + 7 * k];
    w = (w & (0xFFFFFFFFu >> k)) | (0x80000000u >> k);
  }
  EXPECT_EQ(std::vector<uint32_t>(state().words, state().words + TavlinRand::kWords), expected);
  EXPECT_EQ(state().i, 0);
  EXPECT_EQ(state().j, 103);
}

TEST(TavlinRand, FillRandomBytes) {
  unsigned char buf[64];
  memset(buf, 0xAB, sizeof buf);
  EXPECT_FALSE(TavlinRand::fillRandomBytes(-1, buf));
  EXPECT_FALSE(TavlinRand::fillRandomBytes(8, nullptr));
  for (unsigned char b : buf) ASSERT_EQ(b, 0xAB);
  EXPECT_TRUE(TavlinRand::fillRandomBytes(0, buf));
  EXPECT_TRUE(TavlinRand::fillRandomBytes(64, buf));
  std::set<unsigned char> distinct(buf, buf + sizeof buf);
  EXPECT_GT(distinct.size(), 8u);

  platform::CryptProvider p = TavlinRand::acquireCryptProvider();
  EXPECT_NE(p, 0u);
  platform::releaseCryptProvider(p);
  platform::testing::failCryptProvider(true);
  EXPECT_EQ(TavlinRand::acquireCryptProvider(), 0u);
  EXPECT_FALSE(TavlinRand::fillRandomBytes(8, buf));
  platform::testing::failCryptProvider(false);
}

// A holder that never lets go costs one second, not a hang.
TEST(TavlinRand, BusyFlagIsTakenAfterTwentySleeps) {
  TavlinRand::random32();
  TavlinRand::testSetBusy(true);
  uint32_t before = platform::tickCount();
  TavlinRand::random32();
  uint32_t elapsed = platform::tickCount() - before;
  EXPECT_GE(elapsed, 950u);
  EXPECT_LT(elapsed, 10000u);
  EXPECT_FALSE(state().busy);
}

}  // namespace
