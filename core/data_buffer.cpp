#include "core/data_buffer.h"

#include <cstring>

#include "core/case_map.h"
#include "core/string_buffer.h"
#include "core/tavlin_alloc.h"

namespace {

constexpr uint8_t kMarker = 0xDB;
constexpr uint32_t kMaxSize = 0xFFFFFFFFu;
constexpr uint32_t kByteStep = 10000;     // appendByte when full
constexpr uint32_t kUtf8CharStep = 20000;  // appendUtf8Char when full

// The step added by append beyond what it needs, by the current size: the
// larger the buffer, the larger the step, so long appends of decompressed or
// converted data stay linear without wasting much on small buffers.
uint32_t appendStep(uint32_t size) {
  static const uint32_t kTiers[][2] = {
      {12000000, 12000000}, {8000000, 8000000}, {4000000, 4000000},
      {3000000, 3000000},   {2000000, 2000000}, {1000000, 1000000},
      {100000, 100000},     {50000, 50000},
  };
  for (const auto& t : kTiers) {
    if (size >= t[0]) return t[1];
  }
  return 20000;
}

// a + b, or false when it does not fit in 32 bits.
bool addSize(uint32_t a, uint32_t b, uint32_t& sum) {
  if (b > kMaxSize - a) return false;
  sum = a + b;
  return true;
}

// a + b limited to 32 bits: for capacities, where only the part up to the
// request itself is needed.
uint32_t addClamped(uint32_t a, uint32_t b) { return b > kMaxSize - a ? kMaxSize : a + b; }


}  // namespace

// ---- Construction ----------------------------------------------------------

DataBuffer::DataBuffer() : marker_(kMarker), borrowed_(0), data_(nullptr), size_(0), capacity_(0) {}

DataBuffer::DataBuffer(uint32_t capacity) : DataBuffer() {
  if (capacity == 0) return;
  data_ = static_cast<unsigned char*>(tavlinAllocZeroed(capacity));
  if (data_) capacity_ = capacity;
}

DataBuffer::DataBuffer(const DataBuffer& other) : DataBuffer() {
  other.check();
  if (other.size_ == 0) return;
  data_ = static_cast<unsigned char*>(tavlinAlloc(other.size_));
  if (!data_) return;
  std::memcpy(data_, other.data_, other.size_);
  size_ = capacity_ = other.size_;
}

DataBuffer& DataBuffer::operator=(const DataBuffer& other) {
  check();
  if (&other != this) {
    DataBuffer copy(other);
    takeFrom(copy);
  }
  return *this;
}

DataBuffer::~DataBuffer() {
  check();
  releaseData();
  // Volatile, so the store survives as the last write to a dying object.
  *static_cast<volatile uint8_t*>(&marker_) = 0;
}

// ---- Internals -------------------------------------------------------------

void DataBuffer::check() const {
  if (marker_ != kMarker) tavlinFatal("DataBuffer used after destruction or before construction");
}

void DataBuffer::releaseData() {
  if (data_ && !borrowed_) tavlinFree(data_);
  data_ = nullptr;
  size_ = capacity_ = 0;
  borrowed_ = 0;
}

bool DataBuffer::reallocTo(uint32_t newCapacity) {
  if (newCapacity < size_) newCapacity = size_;
  unsigned char* p;
  if (borrowed_ || !data_) {
    p = static_cast<unsigned char*>(tavlinAlloc(newCapacity));
    if (p && size_) std::memcpy(p, data_, size_);
  } else {
    p = static_cast<unsigned char*>(tavlinRealloc(data_, newCapacity));
  }
  if (!p) {
    releaseData();
    return false;
  }
  data_ = p;
  capacity_ = newCapacity;
  borrowed_ = 0;
  return true;
}

bool DataBuffer::makeOwned() {
  if (!borrowed_) return true;
  if (capacity_ == 0) {
    forget();
    return true;
  }
  return reallocTo(capacity_);
}

bool DataBuffer::appendGrowingBy(const void* bytes, uint32_t n, uint32_t step) {
  if (!bytes || n == 0) return true;
  uint32_t need;
  if (!addSize(size_, n, need)) {
    releaseData();  // a size past 32 bits is as unobtainable as memory
    return false;
  }
  const unsigned char* src = static_cast<const unsigned char*>(bytes);
  // Appending part of this buffer to itself: find it again after growth.
  const bool inside = data_ && src >= data_ && src < data_ + capacity_;
  const size_t offset = inside ? static_cast<size_t>(src - data_) : 0;
  // A borrowed block is never written: it is copied even when it is large
  // enough.
  if (need > capacity_ || borrowed_) {
    const uint32_t grown = step == 0 ? need : addClamped(size_, n > step ? n : step);
    if (!reallocTo(grown)) return false;
    if (inside) src = data_ + offset;
  }
  std::memmove(data_ + size_, src, n);
  size_ = need;
  return true;
}

// ---- Access ----------------------------------------------------------------

const unsigned char* DataBuffer::getData() const {
  check();
  return data_;
}

unsigned char* DataBuffer::getData() {
  check();
  return data_;
}

uint32_t DataBuffer::getSize() const {
  check();
  return size_;
}

uint32_t DataBuffer::getCapacity() const {
  check();
  return capacity_;
}

bool DataBuffer::isBorrowed() const {
  check();
  return borrowed_ != 0;
}

unsigned char* DataBuffer::getAt(uint32_t i) {
  check();
  return i < size_ ? data_ + i : nullptr;
}

const unsigned char* DataBuffer::getAt(uint32_t i) const {
  check();
  return i < size_ ? data_ + i : nullptr;
}

// ---- Size and capacity -----------------------------------------------------

void DataBuffer::clear() {
  check();
  size_ = 0;
}

void DataBuffer::setSize(uint32_t n) {
  check();
  size_ = n < capacity_ ? n : capacity_;
}

void DataBuffer::shortenBy(uint32_t n) {
  check();
  size_ -= n < size_ ? n : size_;
}

void DataBuffer::removeFront(uint32_t n) {
  check();
  if (n == 0) return;
  if (n >= size_) {
    size_ = 0;
    return;
  }
  if (!makeOwned()) return;  // the lender's bytes are not ours to move
  std::memmove(data_, data_ + n, size_ - n);
  size_ -= n;
}

bool DataBuffer::ensureCapacity(uint32_t n) {
  check();
  // The caller is about to write into the reserved space, which must not be
  // the lender's.
  if (borrowed_ && !makeOwned()) return false;
  if (capacity_ < n && !reallocTo(n)) return false;
  return data_ != nullptr;
}

void DataBuffer::shrinkToFit() {
  check();
  if (static_cast<uint64_t>(size_) + 4 >= capacity_) return;
  const uint32_t target = size_ + 4;
  unsigned char* p;
  if (borrowed_) {
    p = static_cast<unsigned char*>(tavlinAlloc(target));
    if (p && size_) std::memcpy(p, data_, size_);
  } else {
    p = static_cast<unsigned char*>(tavlinRealloc(data_, target));
  }
  // Unlike growth, a failed shrink loses nothing: the larger block stays.
  if (!p) return;
  data_ = p;
  capacity_ = target;
  borrowed_ = 0;
}

// ---- Appending -------------------------------------------------------------

bool DataBuffer::append(const void* bytes, uint32_t n) {
  check();
  return appendGrowingBy(bytes, n, appendStep(size_));
}

bool DataBuffer::appendExact(const void* bytes, uint32_t n) {
  check();
  return appendGrowingBy(bytes, n, 0);
}

bool DataBuffer::appendByte(unsigned char b) {
  check();
  return appendGrowingBy(&b, 1, kByteStep);
}

bool DataBuffer::appendSb(const StringBuffer& sb) {
  check();
  const int n = sb.getSize();
  if (n <= 0) return true;
  return append(sb.getString(), static_cast<uint32_t>(n));
}

bool DataBuffer::appendDataBuffer(const DataBuffer& db) {
  check();
  db.check();
  return append(db.data_, db.size_);
}

bool DataBuffer::appendUtf16z(const uint16_t* text) {
  check();
  static const uint16_t kTerminator = 0;
  if (!text) return append(&kTerminator, 2);
  size_t units = 0;
  while (text[units]) ++units;
  if (units >= (kMaxSize / 2)) {
    releaseData();
    return false;
  }
  return append(text, static_cast<uint32_t>((units + 1) * 2));
}

bool DataBuffer::appendUtf8Char(uint16_t u) {
  check();
  unsigned char out[3];
  uint32_t n;
  if (u < 0x80) {
    out[0] = static_cast<unsigned char>(u);
    n = 1;
  } else if (u < 0x800) {
    out[0] = static_cast<unsigned char>(0xC0 | (u >> 6));
    out[1] = static_cast<unsigned char>(0x80 | (u & 0x3F));
    n = 2;
  } else {
    out[0] = static_cast<unsigned char>(0xE0 | (u >> 12));
    out[1] = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | (u & 0x3F));
    n = 3;
  }
  return appendGrowingBy(out, n, kUtf8CharStep);
}

// ---- Ownership -------------------------------------------------------------

void DataBuffer::takeOwned(void* p, uint32_t n) {
  check();
  releaseData();
  if (!p) return;
  data_ = static_cast<unsigned char*>(p);
  size_ = capacity_ = n;
}

void DataBuffer::borrow(const void* p, uint32_t n) {
  check();
  releaseData();
  if (!p) return;
  // Never written while borrowed: every editor copies the bytes first.
  data_ = static_cast<unsigned char*>(const_cast<void*>(p));
  size_ = capacity_ = n;
  borrowed_ = 1;
}

void DataBuffer::takeFrom(DataBuffer& other) {
  check();
  other.check();
  if (&other == this) return;
  releaseData();
  data_ = other.data_;
  size_ = other.size_;
  capacity_ = other.capacity_;
  borrowed_ = other.borrowed_;
  other.forget();
}

void DataBuffer::takeFromOrClear(DataBuffer* other) {
  check();
  if (other) takeFrom(*other);
  else clear();
}

void DataBuffer::forget() {
  check();
  data_ = nullptr;
  size_ = capacity_ = 0;
  borrowed_ = 0;
}

// ---- Editing in place ------------------------------------------------------

// The 16-bit editors go through memcpy: the bytes need not be aligned.

bool DataBuffer::replaceU16(uint16_t a, uint16_t b) {
  check();
  if (a == 0 || b == 0 || size_ < 2) return true;
  const uint32_t units = size_ / 2;
  bool copied = false;
  for (uint32_t i = 0; i < units; ++i) {
    uint16_t u;
    std::memcpy(&u, data_ + 2 * i, 2);
    if (u != a) continue;
    if (!copied) {
      if (!makeOwned()) return false;
      copied = true;
    }
    std::memcpy(data_ + 2 * i, &b, 2);
  }
  return true;
}

bool DataBuffer::toLowerCaseU16() {
  check();
  const uint32_t units = size_ / 2;
  bool copied = false;
  for (uint32_t i = 0; i < units; ++i) {
    uint16_t u;
    std::memcpy(&u, data_ + 2 * i, 2);
    const uint16_t lower = toLowerU16(u);
    if (lower == u) continue;
    if (!copied) {
      if (!makeOwned()) return false;
      copied = true;
    }
    std::memcpy(data_ + 2 * i, &lower, 2);
  }
  return true;
}

bool DataBuffer::byteSwap32() {
  check();
  if (size_ < 2) return true;
  if (!makeOwned()) return false;
  uint32_t i = 0;
  for (; i + 4 <= size_; i += 4) {
    unsigned char* p = data_ + i;
    unsigned char t = p[0];
    p[0] = p[3];
    p[3] = t;
    t = p[1];
    p[1] = p[2];
    p[2] = t;
  }
  const uint32_t rest = size_ - i;
  unsigned char* p = data_ + i;
  if (rest == 2 || rest == 3) {
    // A 2-byte rest swaps its pair; a 3-byte rest swaps its outer bytes.
    const uint32_t last = rest - 1;
    const unsigned char t = p[0];
    p[0] = p[last];
    p[last] = t;
  }
  return true;
}

bool DataBuffer::pad(int scheme, int blockSize) {
  check();
  if (scheme != 0 || blockSize < 1 || blockSize > 255) return false;
  const uint32_t n = static_cast<uint32_t>(blockSize) - size_ % static_cast<uint32_t>(blockSize);
  unsigned char bytes[255];
  std::memset(bytes, static_cast<int>(n), n);
  return append(bytes, n);
}

bool DataBuffer::unpad(int scheme) {
  check();
  if (scheme != 0) return false;
  if (size_ == 0) return true;
  // The removed bytes are not checked: the caller's MAC or checksum decides
  // whether the plaintext is good.
  shortenBy(data_[size_ - 1]);
  return true;
}

// encode is defined with the content codings, in encoding/core_text_ops.cpp.
