#include "crypto/x86/cpu_features.h"

#include <string>

#include "platform/platform.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define TAVLIN_HAVE_CPUID 1
#endif

namespace {

struct Detected {
  bool disabled = false;
  CpuFeatures features;
};

Detected detect() {
  Detected d;
  std::string value;
  d.disabled = platform::getEnvironmentVariable("TAVLIN_DISABLE_CPU_FEATURES", value) &&
               value == "1";
  if (d.disabled) return d;
#ifdef TAVLIN_HAVE_CPUID
  unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return d;
  // Leaf 1, ECX. These need no extra operating-system support: they work on
  // the XMM registers that every SSE2-capable system saves.
  d.features.pclmul = (ecx >> 1) & 1u;
  d.features.ssse3 = (ecx >> 9) & 1u;
  d.features.sse41 = (ecx >> 19) & 1u;
  d.features.aesni = (ecx >> 25) & 1u;

  // The 256-bit registers count only when the system has enabled saving
  // them (OSXSAVE, and XCR0 with the SSE and AVX state bits).
  bool osxsave = (ecx >> 27) & 1u;
  bool avx = (ecx >> 28) & 1u;
  if (!osxsave || !avx) return d;
  unsigned int xcr0Low = 0, xcr0High = 0;
  __asm__ __volatile__("xgetbv" : "=a"(xcr0Low), "=d"(xcr0High) : "c"(0));
  if ((xcr0Low & 6u) != 6u) return d;
  unsigned int maxLeaf = __get_cpuid_max(0, nullptr);
  if (maxLeaf < 7) return d;
  __cpuid_count(7, 0, eax, ebx, ecx, edx);
  d.features.avx2 = (ebx >> 5) & 1u;
  d.features.vpclmulqdq = d.features.avx2 && ((ecx >> 10) & 1u);
#endif
  return d;
}

// Built once; a function-local static is initialised exactly once even if
// several threads get here together.
const Detected& detected() {
  static const Detected d = detect();
  return d;
}

}  // namespace

const CpuFeatures& cpuFeatures() { return detected().features; }

bool cpuFeaturesDisabled() { return detected().disabled; }
