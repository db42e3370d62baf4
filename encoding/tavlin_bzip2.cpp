#include "encoding/tavlin_bzip2.h"

#include <bzlib.h>

#include "core/data_buffer.h"

namespace {

const uint32_t kMagic = 0xB394A7E1u;
const uint32_t kHeaderSize = 8;
// Spare room beyond the stated length.
const uint32_t kSlack = 20;

uint32_t g_unpackCount = 0;

uint32_t readLe32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

TavlinBzip2::~TavlinBzip2() = default;

bool TavlinBzip2::unpackBlock(const unsigned char* block, uint32_t n, DataBuffer& out) {
  out.clear();
  if (block == nullptr || n == 0) return true;
  if (n < kHeaderSize || readLe32(block) != kMagic) return false;
  uint32_t length = readLe32(block + 4);
  if (length > 0x7FFFFFFFu - kSlack) return false;
  uint32_t room = length + kSlack;
  if (!out.ensureCapacity(room)) return false;
  unsigned int produced = room;
  // libbz2 takes the source as char* but only reads it.
  char* source = const_cast<char*>(reinterpret_cast<const char*>(block + kHeaderSize));
  int rc = BZ2_bzBuffToBuffDecompress(reinterpret_cast<char*>(out.getData()), &produced, source,
                                      n - kHeaderSize, 0, 0);
  if (rc != BZ_OK) {
    out.clear();
    return false;
  }
  out.setSize(produced);
  ++g_unpackCount;
  return true;
}

uint32_t TavlinBzip2::unpackCount() { return g_unpackCount; }
