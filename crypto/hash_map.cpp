#include "crypto/hash_map.h"

#include <cstring>
#include <new>

#include "crypto/md5.h"
#include "crypto/zip_crc.h"

// ---- NamedObject ---------------------------------------------------------

// StringBuffer(const char*) allocates exactly length + 1 bytes: a name never
// grows, so it keeps no spare room.
NamedObject::NamedObject(const char* name, StringBuffer* value) : name_(name), value_(value) {}

NamedObject::~NamedObject() { delete value_; }

void NamedObject::setValue(StringBuffer* value) {
  if (value == value_) return;
  delete value_;
  value_ = value;
}

// ---- TV_ListItem, TV_List ------------------------------------------------

TV_ListItem::TV_ListItem(NamedObject* object) : object_(object) {}

TV_ListItem::~TV_ListItem() { delete object_; }

TV_List::~TV_List() {
  TV_ListItem* item = first_;
  while (item != nullptr) {
    TV_ListItem* next = item->next_;
    delete item;
    item = next;
  }
}

void TV_List::append(TV_ListItem* item) {
  if (item == nullptr) return;
  item->next_ = nullptr;
  item->prev_ = last_;
  if (last_ != nullptr) {
    last_->next_ = item;
  } else {
    first_ = item;
  }
  last_ = item;
  ++count_;
}

// ---- HashMap -------------------------------------------------------------

HashMap::HashMap(int bucketCount) : bucketCount_(bucketCount > 0 ? bucketCount : 100) {
  buckets_ = new (std::nothrow) TV_List[static_cast<size_t>(bucketCount_)];
  if (buckets_ == nullptr) bucketCount_ = 0;
}

HashMap::~HashMap() { delete[] buckets_; }

int HashMap::bucketOf(const char* key) const {
  if (key == nullptr || bucketCount_ == 0) return -1;
  unsigned char digest[16];
  Md5 md5;
  md5.update(key, static_cast<uint32_t>(strlen(key)));
  md5.final(digest);
  return static_cast<int>(crc32OneShot(digest, 16) % static_cast<uint32_t>(bucketCount_));
}

NamedObject* HashMap::findEntry(const char* key) const {
  int b = bucketOf(key);
  if (b < 0) return nullptr;
  // From the last item to the first.
  for (TV_ListItem* item = buckets_[b].last(); item != nullptr; item = item->prev()) {
    NamedObject* entry = item->object();
    if (entry != nullptr && entry->name().equals(key)) return entry;
  }
  return nullptr;
}

void HashMap::set(const char* key, StringBuffer* value) {
  if (key == nullptr || value == nullptr || bucketCount_ == 0) {
    delete value;
    return;
  }
  if (NamedObject* entry = findEntry(key)) {
    entry->setValue(value);
    return;
  }
  NamedObject* entry = new (std::nothrow) NamedObject(key, value);
  if (entry == nullptr) {
    delete value;
    return;
  }
  // A name block that could not be allocated leaves the name empty.
  if (!entry->name().equals(key)) {
    delete entry;
    return;
  }
  TV_ListItem* item = new (std::nothrow) TV_ListItem(entry);
  if (item == nullptr) {
    delete entry;
    return;
  }
  buckets_[bucketOf(key)].append(item);
}

bool HashMap::get(const char* key, StringBuffer& out) const {
  out.clear();
  StringBuffer* value = find(key);
  if (value == nullptr) return false;
  return out.setSb(*value);
}

StringBuffer* HashMap::find(const char* key) const {
  NamedObject* entry = findEntry(key);
  return entry != nullptr ? entry->value() : nullptr;
}
