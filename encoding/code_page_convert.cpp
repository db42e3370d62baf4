#include "encoding/code_page_convert.h"

#include "core/data_buffer.h"
#include "encoding/code_page_cache.h"
#include "encoding/code_page_tables.h"
#include "encoding/hash_convert.h"
#include "encoding/staged_bytes.h"

namespace {

// Arabic text written with the Arabic-Indic digits (U+0660-U+0669) or their
// extended Persian forms (U+06F0-U+06F9) is encoded with ASCII digits in
// the Arabic code pages, which have no bytes for them.
bool encodesArabicDigitsAsAscii(int codePage) { return codePage == 28596 || codePage == 1256; }

uint16_t asciiDigitFor(uint16_t u) {
  if (u >= 0x0660 && u <= 0x0669) return static_cast<uint16_t>(u - 0x0660 + '0');
  if (u >= 0x06F0 && u <= 0x06F9) return static_cast<uint16_t>(u - 0x06F0 + '0');
  return u;
}

}  // namespace

bool decodeSingleByte(const UnicodeLookup& lookup, const unsigned char* bytes, uint32_t n,
                      DataBuffer& out) {
  StagedBytes text(out);
  bool ok = true;
  for (uint32_t i = 0; i < n; ++i) {
    unsigned char b = bytes[i];
    uint16_t u = b == 0 ? 0 : lookup.units[b];
    if (u == 0 && b != 0) {
      ok = false;
      continue;
    }
    text.putUnit(u);
  }
  return text.flush() && ok;
}

bool decodeMultiByte(const HashConvert& map, const unsigned char* bytes, uint32_t n,
                     DataBuffer& out) {
  StagedBytes text(out);
  bool ok = true;
  uint32_t i = 0;
  while (i < n) {
    unsigned char value[2];
    int matched = 0;
    int valueLength = 0;
    for (int k = 2; k <= 4 && n - i >= static_cast<uint32_t>(k); ++k) {
      valueLength = map.lookup(bytes + i, k, value);
      if (valueLength != 0) {
        matched = k;
        break;
      }
    }
    if (matched != 0) {
      for (int v = 0; v < valueLength; ++v) text.put(value[v]);
      if (valueLength == 1) text.put(0);
      i += static_cast<uint32_t>(matched);
      continue;
    }
    unsigned char b = bytes[i++];
    if (b == 0 || (map.asciiCompatible() && b < 0x80)) {
      text.putUnit(b);
    } else if ((valueLength = map.lookup(&b, 1, value)) != 0) {
      for (int v = 0; v < valueLength; ++v) text.put(value[v]);
      if (valueLength == 1) text.put(0);
    } else {
      ok = false;
    }
  }
  return text.flush() && ok;
}

bool isTableCodePage(int codePage) { return findCodePageTable(codePage) != nullptr; }

bool tableToUtf16(int codePage, const unsigned char* bytes, uint32_t n, DataBuffer& out) {
  const CodePageTableEntry* entry = findCodePageTable(codePage);
  if (entry == nullptr) return false;
  if (n == 0) return true;
  if (entry->doubleByte) {
    const HashConvert* map = decoderMapFor(codePage);
    return map != nullptr && decodeMultiByte(*map, bytes, n, out);
  }
  const UnicodeLookup* lookup = decoderFor(codePage);
  return lookup != nullptr && decodeSingleByte(*lookup, bytes, n, out);
}

bool utf16ToTable(int codePage, const unsigned char* bytes, uint32_t n, DataBuffer& out) {
  if (!isTableCodePage(codePage)) return false;
  if (n < 2) return n == 0;
  const HashConvert* map = encoderFor(codePage);
  return map != nullptr && encodeUnits(*map, encodesArabicDigitsAsAscii(codePage), bytes, n, out);
}

bool encodeUnits(const HashConvert& map, bool arabicDigitsAsAscii, const unsigned char* bytes,
                 uint32_t n, DataBuffer& out) {
  bool ok = n % 2 == 0;  // an odd last byte is dropped
  uint32_t units = n / 2;
  StagedBytes text(out);
  for (uint32_t i = 0; i < units; ++i) {
    uint16_t u = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    if (arabicDigitsAsAscii) u = asciiDigitFor(u);
    if (map.asciiCompatible() && u < 0x80) {
      text.put(static_cast<unsigned char>(u));
      continue;
    }
    unsigned char key[2] = {static_cast<unsigned char>(u & 0xFF),
                            static_cast<unsigned char>(u >> 8)};
    unsigned char value[2];
    int valueLength = map.lookup(key, 2, value);
    if (valueLength != 0) {
      for (int v = 0; v < valueLength; ++v) text.put(value[v]);
    } else if (u == 0) {
      text.put(0);
    } else {
      ok = false;
    }
  }
  return text.flush() && ok;
}
