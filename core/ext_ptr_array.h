// ExtPtrArray: a growable array of object pointers (child lists, token
// lists, log contexts, undo lists).
//
// The array never destroys what it points to unless told to: an owner of
// the objects calls deleteAll before the array goes. Storage grows and
// never shrinks; nothing locks or throws.
#pragma once

#include <cstdint>

class TavlinObject;

class ExtPtrArray {
 public:
  // growBy 5 and no storage; the first append allocates 5 slots.
  ExtPtrArray();
  // Allocates `initial` zeroed slots; 0 or less means 5 for either value.
  ExtPtrArray(int initial, int growBy);
  virtual ~ExtPtrArray();  // releases the slots, not the objects

  ExtPtrArray(const ExtPtrArray&) = delete;
  ExtPtrArray& operator=(const ExtPtrArray&) = delete;

  int count() const;
  int getCapacity() const;
  int getGrowBy() const;
  TavlinObject* get(int i) const;   // null when i is out of range
  TavlinObject* last() const;       // null when empty
  // Stores p in a new last slot. When full the capacity grows by growBy
  // (at least to count + 2), then growBy becomes min(newCapacity, 100,000)
  // while it is below 100,000. False when storage cannot be obtained.
  bool append(TavlinObject* p);
  // Removes slot i, moving later slots down; the object is returned, not
  // destroyed. Null when i is out of range.
  TavlinObject* removeAt(int i);
  TavlinObject* pop();              // removes the last; null when empty
  void clear();                     // count 0; objects untouched
  void deleteAll();                 // destroys every non-null object

 private:
  bool allocateSlots(int capacity);

  int growBy_;
  int capacity_;
  int count_;
  TavlinObject** items_;
};
