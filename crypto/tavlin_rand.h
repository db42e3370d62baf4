// TavlinRand: the library's random numbers.
//
// Three layers: bytes from the system's cryptographic provider; a
// process-wide R250 generator (250 words, each new word the XOR of the
// words 250 and 147 places back) filled from those bytes; and the library's
// own 15-bit linear congruential generator (state * 214013 + 2531011,
// output bits 16..30), which the R250 generator reseeds every 3000 calls of
// randomInRange. The LCG is the library's own rather than the C library's
// rand(), whose formula differs between run-time libraries; with it a seed
// gives the same draws on every system.
//
// The class has no fields: every instance, and the static functions, share
// one process-wide state, built with the process and never freed. Its only
// guard is a busy flag around filling and drawing from the R250 words;
// waiting for it gives up after 20 sleeps of 50 ms. The program has one
// thread, so that wait never happens on its own.
//
// Users: temporary file names (randomInRange) and the WinZip AES salt
// (seedRandom, then random32).
#pragma once

#include <cstdint>

#include "platform/platform.h"

class TavlinRand {
 public:
  virtual ~TavlinRand();

  // n bytes from the system's provider, acquired and released for this
  // call. False for n < 0, a null buffer, no provider or a failed
  // generation (the buffer may then be partly written).
  static bool fillRandomBytes(int n, unsigned char* buffer);
  // The system's provider (Win32: the base provider, four flag sets tried
  // in turn), or 0. The caller releases it with platform::releaseCryptProvider.
  static platform::CryptProvider acquireCryptProvider();

  // Sets the LCG state to seed and refills the R250 words. The words come
  // from the provider, so seed stays the LCG state; only when the provider
  // fails are the words made with the LCG, reseeded from the tick count
  // (and seed is lost). Does not mark the state as seeded: when no draw has
  // happened yet, the first draw fills it once more.
  static void seedRandom(uint32_t seed);
  // The next R250 word.
  static uint32_t random32();
  // A value from a to b inclusive from one LCG draw; a == b gives a without
  // a draw. Up to 32,768 values every one can occur, spread as evenly as
  // the 15-bit draw allows; a wider range gets 32,768 evenly spaced values
  // of it. With b < a the result is b.
  static uint32_t randomInRange(uint32_t a, uint32_t b);

  // ---- For tests --------------------------------------------------------

  static constexpr int kWords = 250;
  static constexpr uint32_t kReseedAfter = 3000;

  // The process-wide state, read-only.
  struct State {
    uint32_t words[kWords];
    int i;
    int j;
    bool seeded;
    uint32_t calls;  // randomInRange calls since the last reseed
    bool busy;
    uint32_t lcgSeed;
  };
  static const State& testState();
  // Sets or clears the busy flag, as another thread holding it would.
  static void testSetBusy(bool busy);
  // One step of the LCG: the state that follows s, and its 15-bit output.
  static uint32_t lcgNext(uint32_t s) { return s * 214013u + 2531011u; }
  static uint32_t lcgOutput(uint32_t s) { return (s >> 16) & 0x7FFFu; }
};
