#include "core/ext_ptr_array.h"

#include <cstdint>
#include <cstring>

#include "core/tavlin_alloc.h"
#include "core/tavlin_object.h"

namespace {
constexpr int kDefaultSlots = 5;
constexpr int kMaxGrowBy = 100000;
}  // namespace

ExtPtrArray::ExtPtrArray() : growBy_(kDefaultSlots), capacity_(0), count_(0), items_(nullptr) {}

ExtPtrArray::ExtPtrArray(int initial, int growBy)
    : growBy_(growBy > 0 ? growBy : kDefaultSlots), capacity_(0), count_(0), items_(nullptr) {
  // A failed allocation here is retried by the first append.
  allocateSlots(initial > 0 ? initial : kDefaultSlots);
}

ExtPtrArray::~ExtPtrArray() { tavlinFree(items_); }

bool ExtPtrArray::allocateSlots(int capacity) {
  if (capacity <= count_ || static_cast<size_t>(capacity) > SIZE_MAX / sizeof(TavlinObject*)) return false;
  auto* p = static_cast<TavlinObject**>(tavlinAllocZeroed(static_cast<size_t>(capacity) * sizeof(TavlinObject*)));
  if (!p) return false;
  if (count_) std::memcpy(p, items_, static_cast<size_t>(count_) * sizeof(TavlinObject*));
  tavlinFree(items_);
  items_ = p;
  capacity_ = capacity;
  return true;
}

int ExtPtrArray::count() const { return count_; }
int ExtPtrArray::getCapacity() const { return capacity_; }
int ExtPtrArray::getGrowBy() const { return growBy_; }

TavlinObject* ExtPtrArray::get(int i) const { return (i >= 0 && i < count_) ? items_[i] : nullptr; }

TavlinObject* ExtPtrArray::last() const { return count_ > 0 ? items_[count_ - 1] : nullptr; }

bool ExtPtrArray::append(TavlinObject* p) {
  if (!items_ && !allocateSlots(kDefaultSlots)) return false;
  if (count_ + 1 > capacity_) {
    int64_t want = static_cast<int64_t>(capacity_) + growBy_;
    if (want < static_cast<int64_t>(count_) + 1) want = static_cast<int64_t>(count_) + 2;
    if (want > INT32_MAX) want = INT32_MAX;
    if (!allocateSlots(static_cast<int>(want))) return false;
    if (growBy_ < kMaxGrowBy) growBy_ = capacity_ < kMaxGrowBy ? capacity_ : kMaxGrowBy;
  }
  items_[count_++] = p;
  return true;
}

TavlinObject* ExtPtrArray::removeAt(int i) {
  if (i < 0 || i >= count_) return nullptr;
  TavlinObject* p = items_[i];
  std::memmove(items_ + i, items_ + i + 1, static_cast<size_t>(count_ - i - 1) * sizeof(TavlinObject*));
  items_[--count_] = nullptr;
  return p;
}

TavlinObject* ExtPtrArray::pop() { return count_ > 0 ? removeAt(count_ - 1) : nullptr; }

void ExtPtrArray::clear() {
  if (count_) std::memset(items_, 0, static_cast<size_t>(count_) * sizeof(TavlinObject*));
  count_ = 0;
}

void ExtPtrArray::deleteAll() {
  for (int i = 0; i < count_; ++i) {
    delete items_[i];
    items_[i] = nullptr;
  }
  count_ = 0;
}
