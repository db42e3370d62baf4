#include "core/data_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "core/string_buffer.h"
#include "core/tavlin_alloc.h"

namespace {

struct FailAllocations {
  explicit FailAllocations(int count, int skip = 0) { tavlinFailAllocations(count, skip); }
  ~FailAllocations() { tavlinFailAllocations(0); }
};

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const DataBuffer& db) { return Bytes(db.getData(), db.getData() + db.getSize()); }

DataBuffer bufferOf(const Bytes& b) {
  DataBuffer db;
  EXPECT_TRUE(db.append(b.data(), static_cast<uint32_t>(b.size())));
  return db;
}

// A buffer holding `size` bytes in a block of exactly that size.
void fillExactly(DataBuffer& db, uint32_t size) {
  ASSERT_TRUE(db.ensureCapacity(size));
  db.setSize(size);
  ASSERT_EQ(db.getCapacity(), size);
}

// ---- Construction, size and capacity ----------------------------------------

TEST(DataBufferTest, CapacityConstructorZeroFills) {
  DataBuffer db(32);
  EXPECT_EQ(db.getSize(), 0u);
  EXPECT_EQ(db.getCapacity(), 32u);
  db.setSize(1000);  // clamped to the capacity
  EXPECT_EQ(db.getSize(), 32u);
  EXPECT_EQ(bytesOf(db), Bytes(32, 0));
  EXPECT_EQ(DataBuffer().getData(), nullptr);
}

TEST(DataBufferTest, SizeEditors) {
  DataBuffer db = bufferOf({1, 2, 3, 4, 5});
  EXPECT_EQ(*db.getAt(4), 5);
  EXPECT_EQ(db.getAt(5), nullptr);
  db.shortenBy(2);
  EXPECT_EQ(bytesOf(db), (Bytes{1, 2, 3}));
  db.shortenBy(10);
  EXPECT_EQ(db.getSize(), 0u);
  EXPECT_NE(db.getData(), nullptr);  // clear and shorten keep the memory

  const struct {
    uint32_t n;
    Bytes out;
  } fronts[] = {{0, {1, 2, 3, 4}}, {1, {2, 3, 4}}, {3, {4}}, {4, {}}, {9, {}}};
  for (const auto& f : fronts) {
    SCOPED_TRACE(f.n);
    DataBuffer b = bufferOf({1, 2, 3, 4});
    b.removeFront(f.n);
    EXPECT_EQ(bytesOf(b), f.out);
  }
}

TEST(DataBufferTest, EnsureCapacityIsExactAndNeedsMemory) {
  DataBuffer db;
  EXPECT_FALSE(db.ensureCapacity(0));  // still no memory
  EXPECT_TRUE(db.ensureCapacity(10));
  EXPECT_EQ(db.getCapacity(), 10u);
  EXPECT_TRUE(db.ensureCapacity(5));
  EXPECT_EQ(db.getCapacity(), 10u);
}

TEST(DataBufferTest, ShrinkToFitLeavesFourBytes) {
  DataBuffer db;
  ASSERT_TRUE(db.append("0123456789", 10));
  EXPECT_EQ(db.getCapacity(), 20000u);
  db.shrinkToFit();
  EXPECT_EQ(db.getCapacity(), 14u);
  db.shrinkToFit();  // 10 + 4 is not below 14
  EXPECT_EQ(db.getCapacity(), 14u);
  EXPECT_EQ(std::memcmp(db.getData(), "0123456789", 10), 0);
}

// ---- Growth -------------------------------------------------------------------

TEST(DataBufferTest, AppendGrowsByTheTierOfTheCurrentSize) {
  const struct {
    uint32_t size, n, capacity;
  } cases[] = {
      {0, 1, 20000},
      {0, 30000, 30000},
      {49999, 1, 49999 + 20000},
      {50000, 1, 100000},
      {99999, 1, 99999 + 50000},
      {100000, 1, 200000},
      {100000, 150000, 250000},
      {1000000, 1, 2000000},
      {2000000, 1, 4000000},
      {3000000, 1, 6000000},
      {4000000, 1, 8000000},
      {8000000, 1, 16000000},
      {12000000, 1, 24000000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    DataBuffer db;
    if (c.size) fillExactly(db, c.size);
    const Bytes extra(c.n, 0x5A);
    ASSERT_TRUE(db.append(extra.data(), c.n));
    EXPECT_EQ(db.getCapacity(), c.capacity);
    EXPECT_EQ(db.getSize(), c.size + c.n);
    EXPECT_EQ(*db.getAt(c.size + c.n - 1), 0x5A);
  }
}

TEST(DataBufferTest, OtherAppendsGrowByTheirOwnAmounts) {
  DataBuffer exact;
  fillExactly(exact, 7);
  ASSERT_TRUE(exact.appendExact("abc", 3));
  EXPECT_EQ(exact.getCapacity(), 10u);

  DataBuffer byte;
  fillExactly(byte, 7);
  ASSERT_TRUE(byte.appendByte(1));
  EXPECT_EQ(byte.getCapacity(), 7u + 10000u);

  DataBuffer utf8;
  fillExactly(utf8, 7);
  ASSERT_TRUE(utf8.appendUtf8Char(0x20AC));
  EXPECT_EQ(utf8.getCapacity(), 7u + 20000u);

  DataBuffer none;
  EXPECT_TRUE(none.append(nullptr, 5));
  EXPECT_TRUE(none.append("x", 0));
  EXPECT_EQ(none.getData(), nullptr);
}

TEST(DataBufferTest, AppendingItselfSurvivesGrowth) {
  DataBuffer db;
  fillExactly(db, 4);
  std::memcpy(db.getData(), "abcd", 4);
  ASSERT_TRUE(db.appendDataBuffer(db));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(db.getData()), db.getSize()), "abcdabcd");
}

TEST(DataBufferTest, AppendSbAndDataBuffer) {
  DataBuffer db;
  ASSERT_TRUE(db.appendSb(StringBuffer("ab")));
  ASSERT_TRUE(db.appendSb(StringBuffer()));
  ASSERT_TRUE(db.appendDataBuffer(bufferOf({0, 'c'})));
  ASSERT_TRUE(db.appendDataBuffer(DataBuffer()));
  EXPECT_EQ(bytesOf(db), (Bytes{'a', 'b', 0, 'c'}));
}

// ---- Allocation failure and impossible sizes -----------------------------------

TEST(DataBufferTest, FailedGrowthEmptiesTheBuffer) {
  struct Case {
    const char* name;
    bool (*op)(DataBuffer&);
  };
  const Case cases[] = {
      {"append", [](DataBuffer& d) { return d.append("x", 1); }},
      {"appendExact", [](DataBuffer& d) { return d.appendExact("x", 1); }},
      {"appendByte", [](DataBuffer& d) { return d.appendByte(1); }},
      {"appendUtf8Char", [](DataBuffer& d) { return d.appendUtf8Char(0x41); }},
      {"appendUtf16z", [](DataBuffer& d) { return d.appendUtf16z(nullptr); }},
      {"ensureCapacity", [](DataBuffer& d) { return d.ensureCapacity(100); }},
      {"pad", [](DataBuffer& d) { return d.pad(0, 16); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DataBuffer db;
    fillExactly(db, 16);
    bool ok;
    {
      FailAllocations fail(1);
      ok = c.op(db);
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(db.getSize(), 0u);
    EXPECT_EQ(db.getCapacity(), 0u);
    EXPECT_EQ(db.getData(), nullptr);
    // The emptied buffer works again once memory is back.
    EXPECT_TRUE(db.append("ok", 2));
  }
}

TEST(DataBufferTest, FailedShrinkKeepsTheBytes) {
  DataBuffer db;
  ASSERT_TRUE(db.append("keep", 4));
  {
    FailAllocations fail(1);
    db.shrinkToFit();
  }
  EXPECT_EQ(bytesOf(db), (Bytes{'k', 'e', 'e', 'p'}));
}

TEST(DataBufferTest, SizesPastThirtyTwoBitsFailWithoutWrapping) {
  // A borrowed block that claims nearly 4 GiB: appending must fail on the
  // size arithmetic alone, without touching the bytes.
  unsigned char small[8] = {};
  DataBuffer db;
  db.borrow(small, 0xFFFFFFF0u);
  EXPECT_FALSE(db.append("0123456789abcdefXYZ", 19));
  EXPECT_EQ(db.getSize(), 0u);
  EXPECT_EQ(db.getData(), nullptr);
  EXPECT_FALSE(db.isBorrowed());
}

// ---- Ownership ---------------------------------------------------------------------

TEST(DataBufferTest, BorrowedMemoryIsCopiedBeforeAnyWrite) {
  unsigned char lender[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  const Bytes original(lender, lender + 8);

  DataBuffer db;
  db.borrow(lender, 8);
  EXPECT_TRUE(db.isBorrowed());
  EXPECT_EQ(db.getData(), lender);
  ASSERT_TRUE(db.appendByte(9));
  EXPECT_FALSE(db.isBorrowed());
  EXPECT_NE(db.getData(), lender);
  EXPECT_EQ(bytesOf(db), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9}));

  // Room inside the borrowed block is still the lender's.
  DataBuffer shortened;
  shortened.borrow(lender, 8);
  shortened.clear();
  ASSERT_TRUE(shortened.append("z", 1));
  EXPECT_FALSE(shortened.isBorrowed());

  struct Edit {
    const char* name;
    void (*op)(DataBuffer&);
  };
  const Edit edits[] = {
      {"byteSwap32", [](DataBuffer& d) { EXPECT_TRUE(d.byteSwap32()); }},
      {"replaceU16", [](DataBuffer& d) { EXPECT_TRUE(d.replaceU16(0x0201, 0x7777)); }},
      {"toLowerCaseU16", [](DataBuffer& d) { EXPECT_TRUE(d.toLowerCaseU16()); }},
      {"removeFront", [](DataBuffer& d) { d.removeFront(3); }},
      {"ensureCapacity", [](DataBuffer& d) { EXPECT_TRUE(d.ensureCapacity(4)); }},
  };
  unsigned char upper[4] = {'A', 0, 'B', 0};
  for (const Edit& e : edits) {
    SCOPED_TRACE(e.name);
    DataBuffer b;
    b.borrow(std::string(e.name) == "toLowerCaseU16" ? upper : lender, std::string(e.name) == "toLowerCaseU16" ? 4 : 8);
    e.op(b);
    EXPECT_FALSE(b.isBorrowed());
  }
  EXPECT_EQ(Bytes(lender, lender + 8), original);
  EXPECT_EQ(upper[0], 'A');
}

TEST(DataBufferTest, FailedCopyOfBorrowedMemoryLeavesTheLenderAlone) {
  unsigned char lender[4] = {9, 9, 9, 9};
  DataBuffer db;
  db.borrow(lender, 4);
  {
    FailAllocations fail(1);
    EXPECT_FALSE(db.append("x", 1));
  }
  EXPECT_EQ(db.getData(), nullptr);
  EXPECT_FALSE(db.isBorrowed());
  EXPECT_EQ(lender[0], 9);
}

TEST(DataBufferTest, TakeOwnedTakeFromAndForget) {
  void* block = tavlinAlloc(16);
  ASSERT_NE(block, nullptr);
  std::memset(block, 0x33, 16);
  DataBuffer owner;
  owner.takeOwned(block, 16);
  EXPECT_EQ(owner.getSize(), 16u);
  EXPECT_FALSE(owner.isBorrowed());

  DataBuffer taker;
  ASSERT_TRUE(taker.append("old", 3));  // released by takeFrom
  taker.takeFrom(owner);
  EXPECT_EQ(taker.getData(), block);
  EXPECT_EQ(taker.getSize(), 16u);
  EXPECT_EQ(owner.getData(), nullptr);
  EXPECT_EQ(owner.getSize(), 0u);
  EXPECT_EQ(owner.getCapacity(), 0u);
  taker.takeFrom(taker);
  EXPECT_EQ(taker.getData(), block);

  unsigned char lender[2] = {1, 2};
  DataBuffer borrower;
  borrower.borrow(lender, 2);
  DataBuffer moved;
  moved.takeFromOrClear(&borrower);
  EXPECT_TRUE(moved.isBorrowed());
  EXPECT_EQ(moved.getData(), lender);
  moved.takeFromOrClear(nullptr);
  EXPECT_EQ(moved.getSize(), 0u);
  EXPECT_EQ(moved.getData(), lender);  // clear keeps the memory

  taker.forget();
  EXPECT_EQ(taker.getData(), nullptr);
  tavlinFree(block);  // forget handed it back to us
}

TEST(DataBufferTest, CopyIsOwned) {
  unsigned char lender[3] = {1, 2, 3};
  DataBuffer borrowed;
  borrowed.borrow(lender, 3);
  DataBuffer copy(borrowed);
  EXPECT_FALSE(copy.isBorrowed());
  EXPECT_NE(copy.getData(), lender);
  EXPECT_EQ(bytesOf(copy), (Bytes{1, 2, 3}));
  DataBuffer assigned;
  assigned = copy;
  copy.clear();
  EXPECT_EQ(bytesOf(assigned), (Bytes{1, 2, 3}));
}

// ---- Text helpers --------------------------------------------------------------------

TEST(DataBufferTest, AppendUtf8Char) {
  const struct {
    uint16_t u;
    Bytes out;
  } cases[] = {
      {0x0041, {0x41}},           {0x007F, {0x7F}},
      {0x0080, {0xC2, 0x80}},     {0x07FF, {0xDF, 0xBF}},
      {0x20AC, {0xE2, 0x82, 0xAC}}, {0xD800, {0xED, 0xA0, 0x80}},
      {0xFFFF, {0xEF, 0xBF, 0xBF}}, {0x0000, {0x00}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.u);
    DataBuffer db;
    ASSERT_TRUE(db.appendUtf8Char(c.u));
    EXPECT_EQ(bytesOf(db), c.out);
  }
}

TEST(DataBufferTest, AppendUtf16zKeepsTheTerminator) {
  const uint16_t text[] = {0x41, 0x20AC, 0};
  DataBuffer db;
  ASSERT_TRUE(db.appendUtf16z(text));
  ASSERT_EQ(db.getSize(), 6u);
  uint16_t units[3];
  std::memcpy(units, db.getData(), 6);
  EXPECT_EQ(units[0], 0x41);
  EXPECT_EQ(units[1], 0x20AC);
  EXPECT_EQ(units[2], 0);
  DataBuffer nul;
  ASSERT_TRUE(nul.appendUtf16z(nullptr));
  EXPECT_EQ(bytesOf(nul), (Bytes{0, 0}));
}

DataBuffer unitsOf(const std::vector<uint16_t>& units, bool oddTail = false) {
  DataBuffer db;
  EXPECT_TRUE(db.append(units.data(), static_cast<uint32_t>(units.size() * 2)));
  if (oddTail) {
    EXPECT_TRUE(db.appendByte('a'));
  }
  return db;
}

std::vector<uint16_t> unitsIn(const DataBuffer& db) {
  std::vector<uint16_t> u(db.getSize() / 2);
  if (!u.empty()) std::memcpy(u.data(), db.getData(), u.size() * 2);
  return u;
}

TEST(DataBufferTest, ReplaceU16) {
  DataBuffer db = unitsOf({'a', 'b', 'a', 0x20AC}, true);
  ASSERT_TRUE(db.replaceU16('a', 'x'));
  EXPECT_EQ(unitsIn(db), (std::vector<uint16_t>{'x', 'b', 'x', 0x20AC}));
  EXPECT_EQ(*db.getAt(8), 'a');  // the odd byte is no unit
  ASSERT_TRUE(db.replaceU16(0x20AC, 'e'));
  EXPECT_EQ(unitsIn(db)[3], 'e');

  DataBuffer zeros = unitsOf({'a', 0});
  ASSERT_TRUE(zeros.replaceU16(0, 'z'));
  ASSERT_TRUE(zeros.replaceU16('a', 0));
  EXPECT_EQ(unitsIn(zeros), (std::vector<uint16_t>{'a', 0}));
}

TEST(DataBufferTest, ToLowerCaseU16) {
  DataBuffer db = unitsOf({'A', 'z', 0x00C9, 0x00D7, 0x0130, 0x0410, 0xFF21, 0x01C5, 0});
  ASSERT_TRUE(db.toLowerCaseU16());
  EXPECT_EQ(unitsIn(db), (std::vector<uint16_t>{'a', 'z', 0x00E9, 0x00D7, 0x0069, 0x0430, 0xFF41, 0x01C5, 0}));
}

TEST(DataBufferTest, ByteSwap32) {
  const struct {
    Bytes in, out;
  } cases[] = {
      {{1, 2, 3, 4, 5, 6, 7}, {4, 3, 2, 1, 7, 6, 5}},
      {{1, 2, 3, 4, 5, 6}, {4, 3, 2, 1, 6, 5}},
      {{1, 2, 3, 4, 5}, {4, 3, 2, 1, 5}},
      {{1, 2, 3, 4, 5, 6, 7, 8}, {4, 3, 2, 1, 8, 7, 6, 5}},
      {{1}, {1}},
      {{}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in.size());
    DataBuffer db = bufferOf(c.in);
    ASSERT_TRUE(db.byteSwap32());
    EXPECT_EQ(bytesOf(db), c.out);
  }
}

TEST(DataBufferTest, PadAndUnpad) {
  const struct {
    uint32_t size;
    uint32_t added;
  } pads[] = {{16, 16}, {20, 12}, {0, 16}, {15, 1}, {31, 1}};
  for (const auto& p : pads) {
    SCOPED_TRACE(p.size);
    DataBuffer db = bufferOf(Bytes(p.size, 0xEE));
    ASSERT_TRUE(db.pad(0, 16));
    ASSERT_EQ(db.getSize(), p.size + p.added);
    for (uint32_t i = p.size; i < db.getSize(); ++i) EXPECT_EQ(*db.getAt(i), p.added);
    ASSERT_TRUE(db.unpad(0));
    EXPECT_EQ(db.getSize(), p.size);
  }

  const struct {
    Bytes in;
    uint32_t size;
  } unpads[] = {
      {{1, 2, 3, 9}, 0},   // last byte larger than the size: all gone
      {{1, 2, 3, 4}, 0},   // exactly the size
      {{1, 2, 3, 2}, 2},
      {{1, 2, 3, 0}, 4},   // zero removes nothing
      {{}, 0},
  };
  for (const auto& u : unpads) {
    DataBuffer db = bufferOf(u.in);
    EXPECT_TRUE(db.unpad(0));
    EXPECT_EQ(db.getSize(), u.size);
  }

  DataBuffer other = bufferOf({1, 2});
  EXPECT_FALSE(other.pad(1, 16));
  EXPECT_FALSE(other.pad(0, 0));
  EXPECT_FALSE(other.unpad(3));
  EXPECT_EQ(other.getSize(), 2u);
}


// ---- Marker ----------------------------------------------------------------------------

// The sanitizer build's dynamic-type check sees the destroyed object first
// and stops the process itself; either stop is the outcome wanted.
#ifdef __SANITIZE_ADDRESS__
constexpr const char* kDead = "DataBuffer used after destruction|invalid vptr";
#else
constexpr const char* kDead = "DataBuffer used after destruction";
#endif

TEST(DataBufferDeathTest, UseAfterDestructionStopsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  alignas(DataBuffer) unsigned char storage[sizeof(DataBuffer)];
  DataBuffer* db = new (storage) DataBuffer();
  db->~DataBuffer();
  EXPECT_DEATH(db->appendByte(1), kDead);
  EXPECT_DEATH(db->getSize(), kDead);
}

}  // namespace
