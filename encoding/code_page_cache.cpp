// Table loading and the per-code-page cache.
//
// A table is a flag byte ("a" ASCII-compatible), a format byte, then
// delta-coded records: single-byte ones (increment u8, delta u16 LE, a 0
// increment ends them) and double-byte ones (increment u16 LE, delta u16
// LE, a 0 increment ends them). A running byte (or 16-bit code) and a
// running code unit start at 0; each record advances both and maps the two
// to each other.
#include "encoding/code_page_cache.h"

#include <cstring>
#include <new>

#include "core/data_buffer.h"
#include "encoding/code_page_tables.h"
#include "encoding/content_coding.h"
#include "encoding/hash_convert.h"
#include "encoding/tavlin_bzip2.h"

namespace {

const uint32_t kEncoderBuckets = 269;
const uint32_t kDecoderBuckets = 283;

struct CachedCodePage {
  HashConvert* encoder = nullptr;
  UnicodeLookup* decoder = nullptr;
  HashConvert* decoderMap = nullptr;
  int encoderBuilds = 0;
  int decoderBuilds = 0;
};

// One slot per table entry, in the same order. Reachable until exit, so the
// tables are never reported as leaks.
CachedCodePage* g_cache = nullptr;
int g_entryCount = 0;

int entryIndex(int codePage) {
  int count;
  const CodePageTableEntry* entries = codePageTableEntries(count);
  int lo = 0, hi = count - 1;
  while (lo <= hi) {
    int mid = lo + (hi - lo) / 2;
    if (entries[mid].codePage == codePage) return mid;
    if (entries[mid].codePage < codePage) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  return -1;
}

CachedCodePage* cacheSlot(int codePage, const CodePageTableEntry** entry) {
  int i = entryIndex(codePage);
  if (i < 0) return nullptr;
  int count;
  const CodePageTableEntry* entries = codePageTableEntries(count);
  if (g_cache == nullptr) {
    g_cache = new (std::nothrow) CachedCodePage[count];
    if (g_cache == nullptr) return nullptr;
    g_entryCount = count;
  }
  *entry = &entries[i];
  return &g_cache[i];
}

uint16_t readLe16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// Adds one mapping in the wanted direction. code holds 1 or 2 bytes (the
// double-byte codes high byte first), the unit is stored little-endian.
void addMapping(HashConvert& map, TableDirection direction, const unsigned char* code,
                int codeLength, uint16_t unit) {
  unsigned char u[2] = {static_cast<unsigned char>(unit & 0xFF),
                        static_cast<unsigned char>(unit >> 8)};
  if (direction == TableDirection::kEncode) {
    map.add(u, 2, code, codeLength);
  } else {
    map.add(code, codeLength, u, 2);
  }
}

}  // namespace

const CodePageTableEntry* findCodePageTable(int codePage) {
  int i = entryIndex(codePage);
  if (i < 0) return nullptr;
  int count;
  return &codePageTableEntries(count)[i];
}

bool loadTable(const char* descriptor, HashConvert& map, TableDirection direction) {
  if (descriptor == nullptr || descriptor[0] == '\0') return false;
  char kind = descriptor[0];
  const char* text = descriptor + 1;
  ContentCoding coding;
  uint32_t decodedLength = 0;
  unsigned char* decoded =
      coding.decodeBase64(text, static_cast<uint32_t>(std::strlen(text)), decodedLength);
  DataBuffer raw;
  raw.takeOwned(decoded, decoded != nullptr ? decodedLength : 0);
  if (raw.getSize() == 0) return false;

  DataBuffer unpacked;
  const DataBuffer* table = &raw;
  if (kind != 'x') {
    TavlinBzip2 bzip2;
    if (!bzip2.unpackBlock(raw.getData(), raw.getSize(), unpacked)) return false;
    table = &unpacked;
  }

  const unsigned char* t = table->getData();
  uint32_t size = table->getSize();
  if (size == 0) return true;  // an empty table: no data, not ASCII-compatible
  map.setAsciiCompatible(t[0] == 'a');
  uint32_t pos = 2;

  // Single-byte records.
  unsigned char byte = 0;
  uint16_t unit = 0;
  while (pos < size) {
    unsigned char increment = t[pos++];
    if (increment == 0) break;
    if (size - pos < 2) return true;  // cut short
    byte = static_cast<unsigned char>(byte + increment);
    unit = static_cast<uint16_t>(unit + readLe16(t + pos));
    pos += 2;
    addMapping(map, direction, &byte, 1, unit);
  }

  // Double-byte records.
  uint16_t code = 0;
  unit = 0;
  while (pos < size && size - pos >= 2) {
    uint16_t increment = readLe16(t + pos);
    pos += 2;
    if (increment == 0) break;
    if (size - pos < 2) return true;
    code = static_cast<uint16_t>(code + increment);
    unit = static_cast<uint16_t>(unit + readLe16(t + pos));
    pos += 2;
    unsigned char bytes[2] = {static_cast<unsigned char>(code >> 8),
                              static_cast<unsigned char>(code & 0xFF)};
    addMapping(map, direction, bytes, 2, unit);
  }
  return true;
}

HashConvert* encoderFor(int codePage) {
  const CodePageTableEntry* entry = nullptr;
  CachedCodePage* slot = cacheSlot(codePage, &entry);
  if (slot == nullptr) return nullptr;
  if (slot->encoder == nullptr) {
    HashConvert* map = new (std::nothrow) HashConvert(kEncoderBuckets);
    if (map == nullptr || !map->isValid()) {
      delete map;
      return nullptr;
    }
    loadTable(entry->descriptor, *map, TableDirection::kEncode);
    slot->encoder = map;
    ++slot->encoderBuilds;
  }
  return slot->encoder;
}

UnicodeLookup* decoderFor(int codePage) {
  const CodePageTableEntry* entry = nullptr;
  CachedCodePage* slot = cacheSlot(codePage, &entry);
  if (slot == nullptr) return nullptr;
  if (slot->decoder == nullptr) {
    // The map is only the way from the table to the array.
    HashConvert map(kDecoderBuckets);
    UnicodeLookup* lookup = new (std::nothrow) UnicodeLookup;
    if (!map.isValid() || lookup == nullptr) {
      delete lookup;
      return nullptr;
    }
    loadTable(entry->descriptor, map, TableDirection::kDecode);
    for (int b = 1; b < 256; ++b) {
      if (map.asciiCompatible() && b < 0x80) {
        lookup->units[b] = static_cast<uint16_t>(b);
        continue;
      }
      unsigned char key = static_cast<unsigned char>(b);
      unsigned char value[2];
      if (map.lookup(&key, 1, value) == 2) lookup->units[b] = readLe16(value);
    }
    slot->decoder = lookup;
    ++slot->decoderBuilds;
  }
  return slot->decoder;
}

HashConvert* decoderMapFor(int codePage) {
  const CodePageTableEntry* entry = nullptr;
  CachedCodePage* slot = cacheSlot(codePage, &entry);
  if (slot == nullptr) return nullptr;
  if (slot->decoderMap == nullptr) {
    HashConvert* map = new (std::nothrow) HashConvert(kDecoderBuckets);
    if (map == nullptr || !map->isValid()) {
      delete map;
      return nullptr;
    }
    loadTable(entry->descriptor, *map, TableDirection::kDecode);
    slot->decoderMap = map;
    ++slot->decoderBuilds;
  }
  return slot->decoderMap;
}

namespace codePageCacheTesting {

int buildCount(int codePage, TableDirection direction) {
  int i = entryIndex(codePage);
  if (i < 0 || g_cache == nullptr) return 0;
  return direction == TableDirection::kEncode ? g_cache[i].encoderBuilds
                                              : g_cache[i].decoderBuilds;
}

int totalBuilds() {
  int total = 0;
  for (int i = 0; g_cache != nullptr && i < g_entryCount; ++i) {
    total += g_cache[i].encoderBuilds + g_cache[i].decoderBuilds;
  }
  return total;
}

void reset() {
  for (int i = 0; g_cache != nullptr && i < g_entryCount; ++i) {
    delete g_cache[i].encoder;
    delete g_cache[i].decoder;
    delete g_cache[i].decoderMap;
    g_cache[i] = CachedCodePage();
  }
}

}  // namespace codePageCacheTesting
