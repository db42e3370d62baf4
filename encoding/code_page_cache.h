// Unpacking the built-in code-page tables and caching what is built from
// them.
//
// Nothing is unpacked until a conversion needs it, and then only the one
// direction of the one code page it needs: per code page one encoder map
// (code unit -> bytes) and one decoder (a 256-entry array, or a map for the
// double-byte code pages), each built on first use and kept until the
// process ends. The program is single-threaded; the cache has no lock.
#pragma once

#include <cstdint>

class HashConvert;
class UnicodeLookup;
struct CodePageTableEntry;

enum class TableDirection {
  kEncode,  // code unit (2 bytes, little-endian) -> byte(s)
  kDecode,  // byte(s) -> code unit (2 bytes, little-endian)
};

// The table entry of a code page; null when the converter does not support
// it at all.
const CodePageTableEntry* findCodePageTable(int codePage);

// Fills map from a descriptor and sets its ASCII flag from the table's first
// byte. False when nothing was loaded: an empty descriptor, base64 that
// gives no bytes, or a packed block with a wrong magic or a damaged stream.
// A table cut short loads the records before the cut.
bool loadTable(const char* descriptor, HashConvert& map, TableDirection direction);

// The cached maps of a supported code page, built on first use; null for an
// unsupported code page or when memory ran out. A code page without data
// gets empty maps. decoderFor is for single-byte code pages, decoderMapFor
// for the double-byte ones.
HashConvert* encoderFor(int codePage);
UnicodeLookup* decoderFor(int codePage);
HashConvert* decoderMapFor(int codePage);

// ---- For tests ----
namespace codePageCacheTesting {
// How often the tables of one direction of a code page were built since the
// last reset (encoderFor builds kEncode, decoderFor and decoderMapFor kDecode).
int buildCount(int codePage, TableDirection direction);
// Builds of every code page and direction since the last reset.
int totalBuilds();
// Frees every cached table and zeroes the counts, so that a test can watch
// a process-like run from an empty cache.
void reset();
}  // namespace codePageCacheTesting
