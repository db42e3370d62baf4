// ExtIntArray: a growable array of 32-bit integers.
#pragma once

#include <cstdint>

class ExtIntArray {
 public:
  // Allocates `initial` slots (0 or less means 2); growBy 0 or less means 5.
  ExtIntArray(int initial = 0, int growBy = 0);
  virtual ~ExtIntArray();

  ExtIntArray(const ExtIntArray&) = delete;
  ExtIntArray& operator=(const ExtIntArray&) = delete;

  // When full the capacity grows by growBy, then growBy becomes
  // min(newCapacity, 500,000) while it is below 500,000. False when storage
  // cannot be obtained.
  bool append(int32_t v);
  int32_t get(int i) const;  // 0 when i is out of range
  // Removes slot i, moving later slots down; false when out of range.
  bool removeAt(int i);
  int count() const;
  int getCapacity() const;
  void clear();              // count 0

 private:
  int growBy_;
  int capacity_;
  int count_;
  int32_t* items_;
};
