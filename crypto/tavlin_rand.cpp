#include "crypto/tavlin_rand.h"

#include <cstring>

namespace {

TavlinRand::State g_state = {{}, 0, 103, false, 0, false, 0};

// The LCG: one step and its output.
uint32_t lcgDraw() {
  g_state.lcgSeed = TavlinRand::lcgNext(g_state.lcgSeed);
  return TavlinRand::lcgOutput(g_state.lcgSeed);
}

// Waits while the flag is set, but not for ever: after 20 sleeps of 50 ms
// the flag is taken anyway, so a holder that never lets go cannot hang
// the process.
void takeBusy() {
  for (int k = 0; k < 20 && g_state.busy; ++k) platform::sleepMs(50);
  g_state.busy = true;
}

void releaseBusy() { g_state.busy = false; }

void fillState() {
  takeBusy();
  g_state.i = 0;
  g_state.j = 103;

  unsigned char bytes[TavlinRand::kWords * 4];
  if (TavlinRand::fillRandomBytes(static_cast<int>(sizeof bytes), bytes)) {
    memcpy(g_state.words, bytes, sizeof bytes);
  } else {
    // No provider: 32-bit words from three 15-bit draws each, made from the
    // tick count. Weak, but the generator still works.
    g_state.lcgSeed = platform::tickCount();
    for (int k = TavlinRand::kWords - 1; k >= 0; --k) {
      uint32_t r1 = lcgDraw();
      uint32_t r2 = lcgDraw();
      uint32_t r3 = lcgDraw();
      g_state.words[k] = ((r1 | r2 << 15) << 2) | (r3 & 3u);
    }
  }
  memset(bytes, 0, sizeof bytes);

  // Words 3, 10, ..., 220 get a staircase of leading bits (word k has bit
  // 31 - k as its highest set bit), which makes the 32 of them linearly
  // independent: the generator can then reach every bit pattern.
  for (int k = 0; k < 32; ++k) {
    uint32_t& w = g_state.words[3 + 7 * k];
    w = (w & (0xFFFFFFFFu >> k)) | (0x80000000u >> k);
  }
  releaseBusy();
}

// The first draw of the process seeds everything from the tick count.
void seedOnFirstUse() {
  if (g_state.seeded) return;
  g_state.seeded = true;
  g_state.lcgSeed = platform::tickCount();
  fillState();
}

}  // namespace

TavlinRand::~TavlinRand() = default;

bool TavlinRand::fillRandomBytes(int n, unsigned char* buffer) {
  if (n < 0 || buffer == nullptr) return false;
  platform::CryptProvider provider = acquireCryptProvider();
  if (provider == 0) return false;
  bool ok = platform::cryptGenRandom(provider, static_cast<size_t>(n), buffer);
  platform::releaseCryptProvider(provider);
  return ok;
}

platform::CryptProvider TavlinRand::acquireCryptProvider() {
  return platform::acquireCryptProvider();
}

void TavlinRand::seedRandom(uint32_t seed) {
  g_state.lcgSeed = seed;
  fillState();
}

uint32_t TavlinRand::random32() {
  seedOnFirstUse();
  takeBusy();
  uint32_t v = g_state.words[g_state.i] ^ g_state.words[g_state.j];
  g_state.words[g_state.i] = v;
  g_state.i = (g_state.i + 1) % kWords;
  g_state.j = (g_state.j + 1) % kWords;
  releaseBusy();
  return v;
}

uint32_t TavlinRand::randomInRange(uint32_t a, uint32_t b) {
  seedOnFirstUse();
  if (g_state.calls > kReseedAfter) {
    g_state.lcgSeed = random32();
    g_state.calls = 0;
  }
  ++g_state.calls;
  if (a == b) return a;

  // r / 32768 of the way through the b - a + 1 values, exactly in 64 bits:
  // each value of a range of n <= 32768 values gets floor or ceil of
  // 32768 / n of the draws.
  uint64_t r = lcgDraw();
  uint64_t span = static_cast<uint64_t>(static_cast<uint32_t>(b - a)) + 1;
  uint64_t v = a + ((r * span) >> 15);
  if (v < a) v = a;
  if (v > b) v = b;
  return static_cast<uint32_t>(v);
}

const TavlinRand::State& TavlinRand::testState() { return g_state; }

void TavlinRand::testSetBusy(bool busy) { g_state.busy = busy; }
