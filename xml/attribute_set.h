// AttributeSet: the name/value pairs of one XML element, in insertion order.
//
// The pairs are stored compactly: every name and value back to back in one
// StringBuffer, without separators, and their lengths in an ExtIntArray
// (entry 2k is the length of name k, entry 2k + 1 that of value k). Both
// are created on first use. Duplicate names are allowed and kept; lookups
// find the first pair whose name has the same length and bytes.
//
// Allocation failures leave the pair absent: add reports false and the set
// is as it was.
#pragma once

#include "core/tavlin_object.h"

class ExtIntArray;
class StringBuffer;

class AttributeSet : public TavlinObject {
 public:
  AttributeSet();
  ~AttributeSet() override;
  AttributeSet(const AttributeSet&) = delete;
  AttributeSet& operator=(const AttributeSet&) = delete;

  // An empty or null name is ignored (false); a null value is stored empty.
  bool add(const char* name, const char* value);
  // The value of the first pair with that name; out is cleared first.
  bool get(const char* name, StringBuffer& out) const;
  bool has(const char* name) const;
  bool removeFirst(const char* name);
  // removeFirst, repeated at most 101 times.
  void removeAll(const char* name);
  int count() const;  // pairs

  // Walks the pairs in order without searching: start with a default
  // Cursor and call next until it returns false. The pointers point into
  // the set and are valid until it changes; they are not NUL-terminated.
  struct Cursor {
    int pair = 0;
    int offset = 0;
  };
  bool next(Cursor& cursor, const char*& name, int& nameLength, const char*& value,
            int& valueLength) const;

 private:
  // The index of the first pair with that name, or -1; offset receives
  // where that pair's name starts in bytes_.
  int find(const char* name, int& offset) const;

  ExtIntArray* lengths_;
  StringBuffer* bytes_;
};
