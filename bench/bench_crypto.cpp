// CRC-32, MD5 and SHA-1 of the library against zlib, libdeflate and
// OpenSSL, on the same random buffers in the same run. After the tables it
// prints one line per performance target with the measured ratio.
//
// OpenSSL's SHA-1 would use the CPU's SHA extensions where it has them; the
// SHA-1 target is set against its vector code without them, so the program
// masks them (see README.md) by running itself again with OPENSSL_ia32cap
// set: OpenSSL reads that variable while the library loads, before main.
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <openssl/evp.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "crypto/md5.h"
#include "crypto/sha1.h"
#include "crypto/zip_crc.h"

namespace {

// CPUID leaf 7 EBX bit 29 (SHA extensions) is bit 29 of OpenSSL's second
// capability word; "~" clears the bits given.
const char kMaskShaExtensions[] = ":~0x20000000";

const std::vector<unsigned char>& buffer(size_t n) {
  static std::map<size_t, std::vector<unsigned char>> buffers;
  auto& b = buffers[n];
  if (b.empty()) {
    std::mt19937 gen(12345);
    b.resize(n);
    for (auto& c : b) c = static_cast<unsigned char>(gen());
  }
  return b;
}

void setBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// ---- CRC-32 -----------------------------------------------------------------

void crc32With(benchmark::State& state, CrcPath path) {
  const auto& b = buffer(static_cast<size_t>(state.range(0)));
  CrcPath saved = crcActivePath();
  if (!crcSelectPath(path)) {
    state.SkipWithError("path not available on this CPU");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(crc32OneShot(b.data(), static_cast<uint32_t>(b.size())));
  }
  crcSelectPath(saved);
  setBytes(state);
}

void crc32_auto(benchmark::State& state) { crc32With(state, crcActivePath()); }
void crc32_pclmul(benchmark::State& state) { crc32With(state, CrcPath::kCarryless); }
void crc32_vpclmul(benchmark::State& state) { crc32With(state, CrcPath::kCarryless256); }
void crc32_portable(benchmark::State& state) { crc32With(state, CrcPath::kPortable); }

void crc32_zlib(benchmark::State& state) {
  const auto& b = buffer(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(crc32(0L, b.data(), static_cast<uInt>(b.size())));
  setBytes(state);
}

void crc32_libdeflate(benchmark::State& state) {
  const auto& b = buffer(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(libdeflate_crc32(0, b.data(), b.size()));
  setBytes(state);
}

// ---- Digests ----------------------------------------------------------------

void md5_tavlin(benchmark::State& state) {
  const auto& b = buffer(static_cast<size_t>(state.range(0)));
  unsigned char out[16];
  for (auto _ : state) {
    Md5 md5;
    md5.update(b.data(), static_cast<uint32_t>(b.size()));
    md5.final(out);
    benchmark::DoNotOptimize(out);
  }
  setBytes(state);
}

void sha1_tavlin(benchmark::State& state) {
  const auto& b = buffer(static_cast<size_t>(state.range(0)));
  unsigned char out[20];
  for (auto _ : state) {
    Sha1 sha;
    sha.reset();
    sha.update(b.data(), static_cast<uint32_t>(b.size()));
    sha.final(out);
    benchmark::DoNotOptimize(out);
  }
  setBytes(state);
}

void evpDigest(benchmark::State& state, const EVP_MD* md) {
  const auto& b = buffer(static_cast<size_t>(state.range(0)));
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int n = 0;
  for (auto _ : state) {
    EVP_DigestInit_ex(ctx, md, nullptr);
    EVP_DigestUpdate(ctx, b.data(), b.size());
    EVP_DigestFinal_ex(ctx, out, &n);
    benchmark::DoNotOptimize(out);
  }
  EVP_MD_CTX_free(ctx);
  setBytes(state);
}

void md5_openssl(benchmark::State& state) { evpDigest(state, EVP_md5()); }
void sha1_openssl(benchmark::State& state) { evpDigest(state, EVP_sha1()); }

#define TAVLIN_BENCH(fn) \
  BENCHMARK(fn)->Arg(1 << 20)->Arg(1 << 16)->MinTime(0.2)->Repetitions(3)->DisplayAggregatesOnly(true)

TAVLIN_BENCH(crc32_auto);
TAVLIN_BENCH(crc32_pclmul);
TAVLIN_BENCH(crc32_vpclmul);
TAVLIN_BENCH(crc32_portable);
TAVLIN_BENCH(crc32_zlib);
TAVLIN_BENCH(crc32_libdeflate);
TAVLIN_BENCH(md5_tavlin);
TAVLIN_BENCH(md5_openssl);
TAVLIN_BENCH(sha1_tavlin);
TAVLIN_BENCH(sha1_openssl);

// ---- Ratios -----------------------------------------------------------------

// The console table as usual, and the median throughput of every benchmark
// kept for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> bytesPerSecond;  // "crc32_zlib/65536" -> median

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      auto it = run.counters.find("bytes_per_second");
      if ((median || single) && it != run.counters.end()) {
        bytesPerSecond[run.run_name.function_name + "/" + run.run_name.args] = it->second.value;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

void printRatio(const RatioReporter& r, const char* label, const char* ours, const char* theirs,
                double target) {
  for (const char* size : {"1048576", "65536"}) {
    auto a = r.bytesPerSecond.find(std::string(ours) + "/" + size);
    auto b = r.bytesPerSecond.find(std::string(theirs) + "/" + size);
    const char* sizeName = std::strcmp(size, "65536") == 0 ? "64 KiB" : "1 MiB";
    if (a == r.bytesPerSecond.end() || b == r.bytesPerSecond.end() || b->second <= 0) {
      std::printf("%s [%s]: not measured\n", label, sizeName);
      continue;
    }
    double ratio = a->second / b->second;
    if (target > 0) {
      std::printf("%s [%s]: %.2fx (target >= %gx)%s\n", label, sizeName, ratio, target,
                  ratio >= target ? "" : "  BELOW TARGET");
    } else {
      std::printf("%s [%s]: %.2fx (no target)\n", label, sizeName, ratio);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Mask OpenSSL's use of the SHA extensions unless the caller chose a
  // capability mask already (OPENSSL_ia32cap="~0:~0" measures with them).
  if (std::getenv("OPENSSL_ia32cap") == nullptr) {
    setenv("OPENSSL_ia32cap", kMaskShaExtensions, 1);
    execv("/proc/self/exe", argv);
    std::fprintf(stderr, "could not restart with OPENSSL_ia32cap set; OpenSSL may use SHA extensions\n");
  }

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\nOPENSSL_ia32cap=%s\n", std::getenv("OPENSSL_ia32cap"));
  static const char* const kPathNames[] = {"portable", "pclmul", "vpclmul"};
  std::string autoLabel = std::string("crc32 fast path (") +
                          kPathNames[static_cast<int>(crcActivePath())] + ") / zlib";
  printRatio(reporter, autoLabel.c_str(), "crc32_auto", "crc32_zlib", 2.0);
  printRatio(reporter, "crc32 pclmul (128-bit) / zlib", "crc32_pclmul", "crc32_zlib", 0);
  printRatio(reporter, "crc32 vpclmul (256-bit) / zlib", "crc32_vpclmul", "crc32_zlib", 0);
  printRatio(reporter, "crc32 portable / zlib", "crc32_portable", "crc32_zlib", 0.7);
  printRatio(reporter, "crc32 fast path / libdeflate", "crc32_auto", "crc32_libdeflate", 0);
  printRatio(reporter, "crc32 portable / libdeflate", "crc32_portable", "crc32_libdeflate", 0);
  printRatio(reporter, "md5 / OpenSSL EVP", "md5_tavlin", "md5_openssl", 0.8);
  printRatio(reporter, "sha1 / OpenSSL EVP (no SHA extensions)", "sha1_tavlin", "sha1_openssl", 0.5);
  return 0;
}
