// Conversion between UTF-16LE and the table code pages (everything that is
// not a Unicode form), through the cached tables of code_page_cache.h.
#pragma once

#include <cstdint>

class DataBuffer;
class HashConvert;
class UnicodeLookup;

// True when the converter has an entry for the code page, with or without
// table data.
bool isTableCodePage(int codePage);

// Appends the UTF-16LE form of n bytes of the code page. A byte without a
// mapping is dropped and makes the result false; byte 00 always gives
// U+0000. An unsupported code page appends nothing and gives false.
bool tableToUtf16(int codePage, const unsigned char* bytes, uint32_t n, DataBuffer& out);

// Appends the code-page form of n bytes of UTF-16LE. An odd last byte is
// dropped and makes the result false; a unit without a mapping is dropped
// and makes the result false, except that U+0000 always gives byte 00. For
// 28596 and 1256 the Arabic-Indic digits are written as ASCII digits. An
// unsupported code page appends nothing and gives false.
bool utf16ToTable(int codePage, const unsigned char* bytes, uint32_t n, DataBuffer& out);

// ---- The three table algorithms, on maps already built ----

// Single-byte decoding: a direct lookup per byte.
bool decodeSingleByte(const UnicodeLookup& lookup, const unsigned char* bytes, uint32_t n,
                      DataBuffer& out);
// Double-byte decoding: at each position the map is asked for the next 2,
// then 3, then 4 bytes and the first match wins; otherwise the single byte
// is decoded (NUL, ASCII when the map is ASCII-compatible, a 1-byte
// record) or dropped.
bool decodeMultiByte(const HashConvert& map, const unsigned char* bytes, uint32_t n,
                     DataBuffer& out);
// Encoding of UTF-16LE units through an encoder map.
bool encodeUnits(const HashConvert& map, bool arabicDigitsAsAscii, const unsigned char* bytes,
                 uint32_t n, DataBuffer& out);
