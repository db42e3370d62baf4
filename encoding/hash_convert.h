// The two lookup structures built from the code-page tables.
//
// HashConvert maps keys of 1 to 4 bytes to values of 1 or 2 bytes: code
// units to bytes for encoding, and byte sequences to code units for the
// double-byte code pages. UnicodeLookup is the direct byte-to-code-unit
// array of a single-byte code page.
#pragma once

#include <cstdint>

class DataBuffer;

class HashConvert {
 public:
  // bucketCount is fixed for the map's life (0 is taken as 1).
  explicit HashConvert(uint32_t bucketCount);
  virtual ~HashConvert();
  HashConvert(const HashConvert&) = delete;
  HashConvert& operator=(const HashConvert&) = delete;

  // False when the buckets could not be allocated; such a map is empty and
  // add fails.
  bool isValid() const { return buckets_ != nullptr; }

  // Appends a record; an earlier record with the same key keeps winning.
  // False for a key of 0 or more than 4 bytes, a value of 0 or more than 2
  // bytes, or a failed allocation.
  bool add(const unsigned char* key, int keyLength, const unsigned char* value, int valueLength);

  // Copies the value of the first record with this key into value (room for
  // 2 bytes) and returns its length; 0 when there is none.
  int lookup(const unsigned char* key, int keyLength, unsigned char* value) const;

  // Bytes 00-7F and code units 0000-007F map to each other unchanged
  // without being stored.
  bool asciiCompatible() const { return asciiCompatible_; }
  void setAsciiCompatible(bool on) { asciiCompatible_ = on; }

  uint32_t recordCount() const { return records_; }

 private:
  uint32_t bucketOf(const unsigned char* key, int keyLength) const;

  // Each bucket holds packed records: key length, key, value length, value.
  DataBuffer* buckets_;
  uint32_t bucketCount_;
  uint32_t records_ = 0;
  bool asciiCompatible_ = false;
};

// The decoder of a single-byte code page: the code unit of every byte, 0
// for "no mapping". Entry 0 is never used: byte 0 always decodes to U+0000.
class UnicodeLookup {
 public:
  UnicodeLookup();
  virtual ~UnicodeLookup();

  uint16_t units[256];
};
