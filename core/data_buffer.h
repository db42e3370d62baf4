// DataBuffer: the growable byte array that carries bytes in and out of the
// library's operations. It can also wrap memory it does not own.
//
// A DataBuffer is not NUL-terminated; a caller that needs a terminator
// appends one and removes it again with shortenBy(1).
//
// Ownership: memory is owned (released with tavlinFree, see
// core/tavlin_alloc.h) or borrowed (never released, and copied into an owned
// block before the buffer grows or is edited in place). Ownership moves only
// through takeOwned, borrow, takeFrom, takeFromOrClear, forget and
// StringBuffer::takeDataBuffer; the source is left empty and valid.
//
// Failure: every reallocation copies the used bytes to the new block; when
// the new block cannot be obtained the buffer is left empty (size and
// capacity 0, owned memory released) and the operation returns false. A
// request whose size does not fit in 32 bits is such a failure too.
//
// Every operation checks the object's marker; using a destroyed DataBuffer
// stops the process through tavlinFatal.
#pragma once

#include <cstdint>

#include "core/tavlin_object.h"

class StringBuffer;

class DataBuffer : public TavlinObject {
 public:
  DataBuffer();                            // no memory
  explicit DataBuffer(uint32_t capacity);  // capacity bytes, zeroed, size 0
  DataBuffer(const DataBuffer& other);     // owned copy of the used bytes
  DataBuffer& operator=(const DataBuffer& other);
  ~DataBuffer() override;

  // ---- Access ----
  const unsigned char* getData() const;  // may be null
  // Writable pointer, for filling reserved space (then setSize). On a
  // borrowed buffer this points into the lender's memory.
  unsigned char* getData();
  uint32_t getSize() const;
  uint32_t getCapacity() const;
  bool isBorrowed() const;
  unsigned char* getAt(uint32_t i);      // null when i >= size
  const unsigned char* getAt(uint32_t i) const;

  // ---- Size and capacity ----
  void clear();                          // size 0, memory kept
  void setSize(uint32_t n);              // size = min(n, capacity)
  void shortenBy(uint32_t n);            // size -= min(n, size)
  void removeFront(uint32_t n);          // n >= size empties
  // Grows to exactly n bytes when the capacity is smaller; false when there
  // is no memory afterwards (a failed growth, or n == 0 with none before).
  bool ensureCapacity(uint32_t n);
  void shrinkToFit();                    // size + 4 < capacity: size + 4

  // ---- Appending ----
  // Null or n == 0 succeeds without change. When size + n exceeds the
  // capacity the new capacity is size + max(n, step), the step growing in
  // tiers with the current size from 20,000 up to 12,000,000.
  bool append(const void* bytes, uint32_t n);
  bool appendExact(const void* bytes, uint32_t n);  // grows to size + n
  bool appendByte(unsigned char b);      // when full, grows by 10,000
  bool appendSb(const StringBuffer& sb);  // the text bytes, no terminator
  bool appendDataBuffer(const DataBuffer& db);
  // A NUL-terminated 16-bit string with its 2-byte terminator; null appends
  // just the terminator. Units are stored in native byte order.
  bool appendUtf16z(const uint16_t* text);
  // The UTF-8 form (1 to 3 bytes) of one 16-bit unit; surrogates are encoded
  // one by one like other units. When full, grows by 20,000.
  bool appendUtf8Char(uint16_t u);

  // ---- Ownership ----
  // Releases the current memory and adopts p (from tavlinAlloc) with size
  // and capacity n.
  void takeOwned(void* p, uint32_t n);
  // As takeOwned, but the memory stays the lender's: never released, and
  // copied before growth or an in-place edit. It must outlive its use here.
  void borrow(const void* p, uint32_t n);
  // Releases the current memory and moves other's pointer, size, capacity
  // and borrowed flag here; other becomes empty. Taking from itself does
  // nothing.
  void takeFrom(DataBuffer& other);
  void takeFromOrClear(DataBuffer* other);  // clear when other is null
  // Drops the pointer without releasing it (size and capacity 0), after the
  // memory was handed to someone else.
  void forget();

  // ---- Editing in place ----
  // The bytes as native 16-bit units: every a becomes b. Nothing happens
  // when a or b is 0 or the size is below 2. False only when a borrowed
  // block could not be copied.
  bool replaceU16(uint16_t a, uint16_t b);
  // Lower-cases every 16-bit unit with the mapping of core/case_map.h.
  bool toLowerCaseU16();
  // Reverses the bytes of every complete 4-byte group; a 2-byte rest is
  // swapped, a 3-byte rest has its first and third bytes swapped.
  bool byteSwap32();
  // Block-cipher padding. Scheme 0: pad appends n = blockSize - size %
  // blockSize bytes of value n (a whole block when already aligned); unpad
  // removes as many trailing bytes as the last byte says (all when that
  // exceeds the size, nothing when empty) and reports success without
  // looking at them. Other schemes, or a block size outside 1..255, return
  // false unchanged.
  bool pad(int scheme, int blockSize);
  bool unpad(int scheme);

  // Appends the bytes to out in a named content coding (name trimmed, case
  // ignored): "hex"/"hexidecimal" give two upper-case hex digits per byte,
  // "asc"/"ansi" the bytes unchanged, "base64"/"base-64" and
  // "qp"/"quoted-printable" the content codings. Any other name clears out
  // and returns false. False also on allocation failure. Defined in the
  // encoding layer (encoding/core_text_ops.cpp), which owns the codings;
  // callers link it.
  bool encode(const char* codingName, StringBuffer& out) const;

 private:
  friend class StringBuffer;  // takeDataBuffer moves the block out

  void check() const;
  bool reallocTo(uint32_t newCapacity);   // the one reallocation road
  bool makeOwned();                       // copy borrowed memory
  void releaseData();
  bool appendGrowingBy(const void* bytes, uint32_t n, uint32_t step);

  uint8_t marker_;
  uint8_t borrowed_;
  unsigned char* data_;
  uint32_t size_;
  uint32_t capacity_;
};
