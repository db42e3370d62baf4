// HashMap: a table from text keys to StringBuffer values, with the list
// classes that make its buckets.
//
// It lives in crypto/ rather than with the other containers in core/
// because a key's bucket is the CRC-32 of the key's MD5 digest, and both
// checksums belong to this layer, which sits above core/.
//
// Keys compare byte for byte (case matters). The map owns its values; none
// of these classes locks or throws. A failed allocation drops the entry
// being stored (its value is destroyed) and leaves the map as it was.
#pragma once

#include <cstdint>

#include "core/string_buffer.h"
#include "core/tavlin_object.h"

// A key with its value. Owns both.
class NamedObject : public TavlinObject {
 public:
  // Copies name (the copy's block is just large enough) and takes value.
  NamedObject(const char* name, StringBuffer* value);
  ~NamedObject() override;
  NamedObject(const NamedObject&) = delete;
  NamedObject& operator=(const NamedObject&) = delete;

  const StringBuffer& name() const { return name_; }
  StringBuffer* value() const { return value_; }
  // Takes value; the previous one is destroyed.
  void setValue(StringBuffer* value);

 private:
  StringBuffer name_;
  StringBuffer* value_;
};

// A node of a TV_List. Owns its NamedObject.
class TV_ListItem {
 public:
  explicit TV_ListItem(NamedObject* object);
  virtual ~TV_ListItem();
  TV_ListItem(const TV_ListItem&) = delete;
  TV_ListItem& operator=(const TV_ListItem&) = delete;

  NamedObject* object() const { return object_; }
  TV_ListItem* next() const { return next_; }
  TV_ListItem* prev() const { return prev_; }

 private:
  friend class TV_List;
  NamedObject* object_;
  TV_ListItem* next_ = nullptr;
  TV_ListItem* prev_ = nullptr;
};

// A doubly linked list that owns its items.
class TV_List {
 public:
  TV_List() = default;
  virtual ~TV_List();  // destroys every item
  TV_List(const TV_List&) = delete;
  TV_List& operator=(const TV_List&) = delete;

  // Links item (taken over) after the last one.
  void append(TV_ListItem* item);
  int count() const { return count_; }
  TV_ListItem* first() const { return first_; }
  TV_ListItem* last() const { return last_; }

 private:
  int count_ = 0;
  TV_ListItem* first_ = nullptr;
  TV_ListItem* last_ = nullptr;
};

class HashMap {
 public:
  // bucketCount 0 (or less) means 100.
  explicit HashMap(int bucketCount = 0);
  virtual ~HashMap();
  HashMap(const HashMap&) = delete;
  HashMap& operator=(const HashMap&) = delete;

  // Takes value. An entry with an equal key gets it (its old value is
  // destroyed); otherwise a new entry goes to the end of the key's bucket.
  // A null key or value stores nothing (a non-null value is destroyed).
  void set(const char* key, StringBuffer* value);
  // out is cleared; false for a null key or no entry, otherwise out gets a
  // copy of the value (false if that copy cannot be made).
  bool get(const char* key, StringBuffer& out) const;
  // The stored value (still owned by the map), or null.
  StringBuffer* find(const char* key) const;

  int bucketCount() const { return bucketCount_; }
  // The bucket of key: CRC-32 of its MD5 digest, modulo bucketCount.
  int bucketOf(const char* key) const;

 private:
  NamedObject* findEntry(const char* key) const;

  int bucketCount_;
  TV_List* buckets_;
};
