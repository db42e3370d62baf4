#include "xml/attribute_set.h"

#include <cstring>
#include <new>

#include "core/ext_int_array.h"
#include "core/string_buffer.h"

AttributeSet::AttributeSet() : lengths_(nullptr), bytes_(nullptr) {}

AttributeSet::~AttributeSet() {
  delete lengths_;
  delete bytes_;
}

int AttributeSet::count() const { return lengths_ ? lengths_->count() / 2 : 0; }

bool AttributeSet::add(const char* name, const char* value) {
  if (name == nullptr || *name == 0) return false;
  if (value == nullptr) value = "";
  if (lengths_ == nullptr) {
    lengths_ = new (std::nothrow) ExtIntArray(6, 15);
    if (lengths_ == nullptr) return false;
  }
  if (bytes_ == nullptr) {
    bytes_ = new (std::nothrow) StringBuffer(StringBuffer::WithCapacity{50});
    if (bytes_ == nullptr) return false;
  }
  const size_t nameLength = std::strlen(name);
  const size_t valueLength = std::strlen(value);
  const int before = bytes_->getSize();
  if (nameLength + valueLength > static_cast<size_t>(0x7FFFFFFF - before)) return false;
  const int pairsBefore = lengths_->count();
  // Every step is undone when a later one fails, so a pair is either
  // complete or absent.
  if (!bytes_->appendN(name, static_cast<int>(nameLength)) ||
      !bytes_->appendN(value, static_cast<int>(valueLength)) ||
      !lengths_->append(static_cast<int32_t>(nameLength)) ||
      !lengths_->append(static_cast<int32_t>(valueLength))) {
    bytes_->shortenBy(bytes_->getSize() - before);
    while (lengths_->count() > pairsBefore) lengths_->removeAt(lengths_->count() - 1);
    return false;
  }
  return true;
}

int AttributeSet::find(const char* name, int& offset) const {
  offset = 0;
  if (name == nullptr || lengths_ == nullptr || bytes_ == nullptr) return -1;
  const int nameLength = static_cast<int>(std::strlen(name));
  const char* base = bytes_->getString();
  const int pairs = count();
  for (int k = 0; k < pairs; ++k) {
    const int n = lengths_->get(2 * k);
    if (n == nameLength && std::memcmp(base + offset, name, nameLength) == 0) return k;
    offset += n + lengths_->get(2 * k + 1);
  }
  return -1;
}

bool AttributeSet::get(const char* name, StringBuffer& out) const {
  out.clear();
  int offset;
  const int k = find(name, offset);
  if (k < 0) return false;
  const int nameLength = lengths_->get(2 * k);
  out.appendN(bytes_->getString() + offset + nameLength, lengths_->get(2 * k + 1));
  return true;
}

bool AttributeSet::has(const char* name) const {
  int offset;
  return find(name, offset) >= 0;
}

bool AttributeSet::removeFirst(const char* name) {
  int offset;
  const int k = find(name, offset);
  if (k < 0) return false;
  bytes_->removeRange(offset, lengths_->get(2 * k) + lengths_->get(2 * k + 1));
  lengths_->removeAt(2 * k + 1);
  lengths_->removeAt(2 * k);
  return true;
}

void AttributeSet::removeAll(const char* name) {
  for (int i = 0; i < 101; ++i) {
    if (!removeFirst(name)) return;
  }
}

bool AttributeSet::next(Cursor& cursor, const char*& name, int& nameLength, const char*& value,
                        int& valueLength) const {
  if (cursor.pair >= count()) return false;
  const char* base = bytes_->getString();
  nameLength = lengths_->get(2 * cursor.pair);
  valueLength = lengths_->get(2 * cursor.pair + 1);
  name = base + cursor.offset;
  value = name + nameLength;
  cursor.offset += nameLength + valueLength;
  ++cursor.pair;
  return true;
}
