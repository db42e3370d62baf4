#include "crypto/zip_crc.h"

#include "crypto/x86/cpu_features.h"
#include "crypto/x86/crc32_pclmul.h"

namespace {

// ---- Tables ----------------------------------------------------------------
//
// kTables.t[0] is the classic byte table. t[k][b] is the CRC contribution of
// byte b followed by k zero bytes, which lets one pass combine 16 bytes with
// 16 independent lookups; the result equals the byte-wise loop.

struct CrcTables {
  uint32_t t[16][256];
};

constexpr uint32_t reverseBits(uint32_t v, int bits) {
  uint32_t r = 0;
  for (int k = 0; k < bits; ++k) {
    r = (r << 1) | (v & 1u);
    v >>= 1;
  }
  return r;
}

constexpr CrcTables makeTables() {
  CrcTables tables{};
  // The polynomial in its natural bit order, applied to the bit-reversed
  // byte; reversing the result gives the entry of the reflected CRC.
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t r = reverseBits(i, 8) << 24;
    for (int k = 0; k < 8; ++k) {
      r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : (r << 1);
    }
    tables.t[0][i] = reverseBits(r, 32);
  }
  for (int k = 1; k < 16; ++k) {
    for (int i = 0; i < 256; ++i) {
      uint32_t prev = tables.t[k - 1][i];
      tables.t[k][i] = (prev >> 8) ^ tables.t[0][prev & 0xFFu];
    }
  }
  return tables;
}

constexpr CrcTables kTables = makeTables();
static_assert(kTables.t[0][1] == 0x77073096u, "CRC table entry 1");
static_assert(kTables.t[0][128] == 0xEDB88320u, "CRC table entry 128");

// ---- Braids ----------------------------------------------------------------
//
// For long buffers the 16-byte passes are limited by the latency of one
// running value. Braiding (as in zlib 1.2.12 and later) cuts the data into
// machine words dealt in turn to kLanes independent running values, so
// that their lookups overlap. Each lane sees only every kLanes-th word, so
// its table entry for byte b at position k of a word is the running value
// of b followed by the rest of its word and the other lanes' words as
// zeros; at the end the lanes are folded together word by word.

using Word = size_t;  // 8 bytes on 64-bit targets, 4 on 32-bit ones
constexpr int kWordBytes = sizeof(Word);
constexpr int kLanes = 5;
constexpr size_t kBraidBlock = kLanes * kWordBytes;

struct BraidTables {
  uint32_t t[kWordBytes][256];
};

constexpr BraidTables makeBraidTables() {
  BraidTables braid{};
  for (int k = 0; k < kWordBytes; ++k) {
    int zeros = (kWordBytes - 1 - k) + (kLanes - 1) * kWordBytes;
    for (int b = 0; b < 256; ++b) {
      uint32_t r = kTables.t[0][b];
      for (int z = 0; z < zeros; ++z) r = kTables.t[0][r & 0xFFu] ^ (r >> 8);
      braid.t[k][b] = r;
    }
  }
  return braid;
}

constexpr BraidTables kBraid = makeBraidTables();

// Below this the final folding of the lanes costs more than the braids gain.
constexpr size_t kBraidMinLength = 512;

inline uint32_t load32le(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline Word loadWordLe(const unsigned char* p) {
  Word w = 0;
  for (int k = kWordBytes - 1; k >= 0; --k) w = (w << 8) | p[k];
  return w;
}

// The running value after one whole word (value already XORed in): the
// slicing tables, byte k followed by kWordBytes - 1 - k zeros.
inline uint32_t crcWord(Word w) {
  uint32_t r = 0;
  for (int k = 0; k < kWordBytes; ++k) {
    r ^= kTables.t[kWordBytes - 1 - k][(w >> (8 * k)) & 0xFFu];
  }
  return r;
}

// Whole blocks of kLanes words; n is a multiple of kBraidBlock, at least two
// blocks.
uint32_t updateBraided(uint32_t value, const unsigned char* p, size_t n) {
  size_t blocks = n / kBraidBlock;
  uint32_t c[kLanes] = {value};
  while (--blocks > 0) {
    Word w[kLanes];
    for (int j = 0; j < kLanes; ++j) w[j] = loadWordLe(p + j * kWordBytes) ^ c[j];
    p += kBraidBlock;
    for (int j = 0; j < kLanes; ++j) {
      uint32_t r = kBraid.t[0][w[j] & 0xFFu];
      for (int k = 1; k < kWordBytes; ++k) r ^= kBraid.t[k][(w[j] >> (8 * k)) & 0xFFu];
      c[j] = r;
    }
  }
  // The last block carries the true running value from lane to lane.
  uint32_t r = 0;
  for (int j = 0; j < kLanes; ++j) r = crcWord(loadWordLe(p + j * kWordBytes) ^ c[j] ^ r);
  return r;
}

// ---- Path choice -----------------------------------------------------------

// Below these lengths the folding set-up costs more than it saves.
constexpr size_t kCarrylessMinLength = 128;
constexpr size_t kCarryless256MinLength = 512;

bool carrylessAvailable(CrcPath path) {
  const CpuFeatures& f = cpuFeatures();
  bool base = crc32PclmulCompiled() && f.pclmul && f.sse41;
  if (path == CrcPath::kCarryless) return base;
  if (path == CrcPath::kCarryless256) return base && f.avx2 && f.vpclmulqdq;
  return false;
}

CrcPath bestPath() {
  if (carrylessAvailable(CrcPath::kCarryless256)) return CrcPath::kCarryless256;
  if (carrylessAvailable(CrcPath::kCarryless)) return CrcPath::kCarryless;
  return CrcPath::kPortable;
}

CrcPath& activePath() {
  static CrcPath path = bestPath();
  return path;
}

uint32_t updateCarryless(uint32_t value, const unsigned char* p, size_t n, bool wide) {
  // Whole 16-byte loads from an aligned address; the bytes before it go
  // through the tables, and so do the last n % 16.
  size_t head = (16u - (reinterpret_cast<uintptr_t>(p) & 15u)) & 15u;
  value = crc32UpdatePortable(value, p, head);
  p += head;
  n -= head;
  size_t bulk = n & ~static_cast<size_t>(15);
  if (wide && bulk >= kCarryless256MinLength) {
    value = crc32FoldVpclmul(value, p, bulk);
  } else {
    value = crc32FoldPclmul(value, p, bulk);
  }
  return crc32UpdatePortable(value, p + bulk, n - bulk);
}

uint32_t updateActive(uint32_t value, const void* data, size_t n) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  CrcPath path = activePath();
  if (path != CrcPath::kPortable && n >= kCarrylessMinLength + 15) {
    return updateCarryless(value, p, n, path == CrcPath::kCarryless256);
  }
  return crc32UpdatePortable(value, p, n);
}

}  // namespace

// ---- Portable update ---------------------------------------------------------

uint32_t crc32UpdatePortable(uint32_t value, const void* data, size_t n) {
  if (data == nullptr) return value;
  const unsigned char* p = static_cast<const unsigned char*>(data);
  const auto& t = kTables.t;
  if (n >= kBraidMinLength) {
    // Word-aligned loads for the braids; the bytes before go one by one.
    while ((reinterpret_cast<uintptr_t>(p) & (kWordBytes - 1)) != 0) {
      value = t[0][(value ^ *p++) & 0xFF] ^ (value >> 8);
      --n;
    }
    size_t braided = n - n % kBraidBlock;
    value = updateBraided(value, p, braided);
    p += braided;
    n -= braided;
  }
  while (n >= 16) {
    uint32_t a = load32le(p) ^ value;
    uint32_t b = load32le(p + 4);
    uint32_t c = load32le(p + 8);
    uint32_t d = load32le(p + 12);
    value = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
            t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
            t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
            t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
    p += 16;
    n -= 16;
  }
  while (n-- > 0) value = t[0][(value ^ *p++) & 0xFF] ^ (value >> 8);
  return value;
}

const uint32_t* zipCrcTable() { return kTables.t[0]; }

bool crcPathAvailable(CrcPath path) {
  return path == CrcPath::kPortable || carrylessAvailable(path);
}

CrcPath crcActivePath() { return activePath(); }

bool crcSelectPath(CrcPath path) {
  if (!crcPathAvailable(path)) return false;
  activePath() = path;
  return true;
}

// ---- ZipCRC ------------------------------------------------------------------

ZipCRC::ZipCRC() : value_(0xFFFFFFFFu) {}

ZipCRC::~ZipCRC() = default;

void ZipCRC::reset() { value_ = 0xFFFFFFFFu; }

void ZipCRC::update(const void* data, uint32_t n) {
  if (data == nullptr || n == 0) return;
  value_ = updateActive(value_, data, n);
}

uint32_t ZipCRC::getValue() const { return ~value_; }

uint32_t crc32OneShot(const void* data, uint32_t n) {
  if (data == nullptr || n == 0) return 0;
  return ~updateActive(0xFFFFFFFFu, data, n);
}
