#include "encoding/hash_convert.h"

#include <cstring>
#include <new>

#include "core/data_buffer.h"

HashConvert::HashConvert(uint32_t bucketCount)
    : buckets_(nullptr), bucketCount_(bucketCount == 0 ? 1 : bucketCount) {
  buckets_ = new (std::nothrow) DataBuffer[bucketCount_];
}

HashConvert::~HashConvert() { delete[] buckets_; }

uint32_t HashConvert::bucketOf(const unsigned char* key, int keyLength) const {
  uint32_t k = 0;
  for (int i = keyLength - 1; i >= 0; --i) k = k << 8 | key[i];  // little-endian
  return k % bucketCount_;
}

bool HashConvert::add(const unsigned char* key, int keyLength, const unsigned char* value,
                      int valueLength) {
  if (buckets_ == nullptr || key == nullptr || value == nullptr) return false;
  if (keyLength < 1 || keyLength > 4 || valueLength < 1 || valueLength > 2) return false;
  unsigned char record[8];
  int n = 0;
  record[n++] = static_cast<unsigned char>(keyLength);
  std::memcpy(record + n, key, keyLength);
  n += keyLength;
  record[n++] = static_cast<unsigned char>(valueLength);
  std::memcpy(record + n, value, valueLength);
  n += valueLength;
  // Exact growth: a bucket holds a record or two, and a table builds a few
  // hundred buckets, so the usual growth step would waste far more than
  // the repeated copies cost.
  if (!buckets_[bucketOf(key, keyLength)].appendExact(record, static_cast<uint32_t>(n))) {
    return false;
  }
  ++records_;
  return true;
}

int HashConvert::lookup(const unsigned char* key, int keyLength, unsigned char* value) const {
  if (buckets_ == nullptr || key == nullptr || keyLength < 1 || keyLength > 4) return 0;
  const DataBuffer& bucket = buckets_[bucketOf(key, keyLength)];
  const unsigned char* p = bucket.getData();
  uint32_t size = bucket.getSize();
  uint32_t pos = 0;
  while (pos < size) {
    uint32_t klen = p[pos];
    uint32_t vlen = p[pos + 1 + klen];
    if (klen == static_cast<uint32_t>(keyLength) && std::memcmp(p + pos + 1, key, klen) == 0) {
      std::memcpy(value, p + pos + 2 + klen, vlen);
      return static_cast<int>(vlen);
    }
    pos += 2 + klen + vlen;
  }
  return 0;
}

UnicodeLookup::UnicodeLookup() { std::memset(units, 0, sizeof units); }

UnicodeLookup::~UnicodeLookup() = default;
