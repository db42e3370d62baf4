#include "core/ext_int_array.h"

#include <cstring>

#include "core/tavlin_alloc.h"

namespace {
constexpr int kDefaultSlots = 2;
constexpr int kDefaultGrowBy = 5;
constexpr int kMaxGrowBy = 500000;
}  // namespace

ExtIntArray::ExtIntArray(int initial, int growBy)
    : growBy_(growBy > 0 ? growBy : kDefaultGrowBy), capacity_(0), count_(0), items_(nullptr) {
  const int slots = initial > 0 ? initial : kDefaultSlots;
  if (static_cast<size_t>(slots) <= SIZE_MAX / sizeof(int32_t)) {
    items_ = static_cast<int32_t*>(tavlinAllocZeroed(static_cast<size_t>(slots) * sizeof(int32_t)));
    if (items_) capacity_ = slots;
  }
}

ExtIntArray::~ExtIntArray() { tavlinFree(items_); }

bool ExtIntArray::append(int32_t v) {
  if (count_ + 1 > capacity_) {
    int64_t want = static_cast<int64_t>(capacity_) + growBy_;
    if (want > INT32_MAX) want = INT32_MAX;
    if (want <= count_ || static_cast<uint64_t>(want) > SIZE_MAX / sizeof(int32_t)) return false;
    auto* p = static_cast<int32_t*>(tavlinAllocZeroed(static_cast<size_t>(want) * sizeof(int32_t)));
    if (!p) return false;
    if (count_) std::memcpy(p, items_, static_cast<size_t>(count_) * sizeof(int32_t));
    tavlinFree(items_);
    items_ = p;
    capacity_ = static_cast<int>(want);
    if (growBy_ < kMaxGrowBy) growBy_ = capacity_ < kMaxGrowBy ? capacity_ : kMaxGrowBy;
  }
  items_[count_++] = v;
  return true;
}

int32_t ExtIntArray::get(int i) const { return (i >= 0 && i < count_) ? items_[i] : 0; }

bool ExtIntArray::removeAt(int i) {
  if (i < 0 || i >= count_) return false;
  std::memmove(items_ + i, items_ + i + 1, static_cast<size_t>(count_ - i - 1) * sizeof(int32_t));
  items_[--count_] = 0;
  return true;
}

int ExtIntArray::count() const { return count_; }
int ExtIntArray::getCapacity() const { return capacity_; }
void ExtIntArray::clear() { count_ = 0; }
