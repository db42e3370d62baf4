#include "core/ext_ptr_array.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/ext_int_array.h"
#include "core/tavlin_alloc.h"
#include "core/tavlin_object.h"

namespace {

struct FailAllocations {
  explicit FailAllocations(int count) { tavlinFailAllocations(count); }
  ~FailAllocations() { tavlinFailAllocations(0); }
};

// Counts its own destructions, to show who deletes what.
class Counted : public TavlinObject {
 public:
  explicit Counted(int* deaths) : deaths_(deaths) {}
  ~Counted() override { ++*deaths_; }

 private:
  int* deaths_;
};

TEST(ExtPtrArrayTest, DefaultArrayGrowsFiveTenTwentyForty) {
  ExtPtrArray a;
  EXPECT_EQ(a.getCapacity(), 0);  // no storage before the first append
  std::vector<int> capacities;
  for (int i = 0; i < 41; ++i) {
    ASSERT_TRUE(a.append(nullptr));
    if (capacities.empty() || capacities.back() != a.getCapacity()) capacities.push_back(a.getCapacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{5, 10, 20, 40, 80}));
  EXPECT_EQ(a.getGrowBy(), 80);
}

TEST(ExtPtrArrayTest, GrowByStopsAtOneHundredThousand) {
  ExtPtrArray a;
  // 5, 10, ..., 81920 double; the growth to 163840 caps growBy.
  for (int i = 0; i < 163840; ++i) ASSERT_TRUE(a.append(nullptr));
  EXPECT_EQ(a.getCapacity(), 163840);
  EXPECT_EQ(a.getGrowBy(), 100000);
  ASSERT_TRUE(a.append(nullptr));
  EXPECT_EQ(a.getCapacity(), 263840);
  EXPECT_EQ(a.getGrowBy(), 100000);
}

TEST(ExtPtrArrayTest, ConstructedSizes) {
  const struct {
    int initial, growBy, capacity, grownTo;
  } cases[] = {{0, 0, 5, 10}, {-3, -1, 5, 10}, {3, 2, 3, 5}, {1, 1, 1, 2}, {8, 100, 8, 108}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.initial);
    ExtPtrArray a(c.initial, c.growBy);
    EXPECT_EQ(a.getCapacity(), c.capacity);
    for (int i = 0; i <= c.capacity; ++i) ASSERT_TRUE(a.append(nullptr));
    EXPECT_EQ(a.getCapacity(), c.grownTo);
  }
}

TEST(ExtPtrArrayTest, AccessAndRemoval) {
  int deaths = 0;
  Counted a(&deaths), b(&deaths), c(&deaths);
  ExtPtrArray arr;
  EXPECT_EQ(arr.get(0), nullptr);
  EXPECT_EQ(arr.last(), nullptr);
  EXPECT_EQ(arr.pop(), nullptr);
  EXPECT_EQ(arr.removeAt(0), nullptr);
  ASSERT_TRUE(arr.append(&a));
  ASSERT_TRUE(arr.append(&b));
  ASSERT_TRUE(arr.append(&c));
  EXPECT_EQ(arr.get(-1), nullptr);
  EXPECT_EQ(arr.get(3), nullptr);
  EXPECT_EQ(arr.get(1), &b);
  EXPECT_EQ(arr.last(), &c);
  EXPECT_EQ(arr.removeAt(3), nullptr);
  EXPECT_EQ(arr.removeAt(0), &a);
  EXPECT_EQ(arr.count(), 2);
  EXPECT_EQ(arr.get(0), &b);
  EXPECT_EQ(arr.pop(), &c);
  EXPECT_EQ(arr.removeAt(0), &b);
  EXPECT_EQ(arr.count(), 0);
  EXPECT_EQ(arr.get(0), nullptr);
  arr.append(&a);
  arr.clear();
  EXPECT_EQ(arr.count(), 0);
  EXPECT_EQ(deaths, 0);  // nothing above destroys an object
}

TEST(ExtPtrArrayTest, OnlyDeleteAllDestroysTheObjects) {
  int deaths = 0;
  {
    ExtPtrArray arr;
    ASSERT_TRUE(arr.append(new Counted(&deaths)));
    ASSERT_TRUE(arr.append(nullptr));
    ASSERT_TRUE(arr.append(new Counted(&deaths)));
    arr.deleteAll();
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(arr.count(), 0);
  }
  Counted kept(&deaths);
  {
    ExtPtrArray arr;
    ASSERT_TRUE(arr.append(&kept));
  }
  EXPECT_EQ(deaths, 2);
}

TEST(ExtPtrArrayTest, FailedGrowthKeepsTheSlots) {
  int deaths = 0;
  Counted a(&deaths);
  ExtPtrArray arr;
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(arr.append(&a));
  {
    FailAllocations fail(1);
    EXPECT_FALSE(arr.append(nullptr));
  }
  EXPECT_EQ(arr.count(), 5);
  EXPECT_EQ(arr.getCapacity(), 5);
  EXPECT_EQ(arr.last(), &a);
  EXPECT_TRUE(arr.append(nullptr));

  ExtPtrArray fresh;
  {
    FailAllocations fail(1);
    EXPECT_FALSE(fresh.append(&a));
  }
  EXPECT_EQ(fresh.count(), 0);
}

TEST(ExtIntArrayTest, GrowthAccessAndRemoval) {
  ExtIntArray a;
  EXPECT_EQ(a.getCapacity(), 2);
  std::vector<int> capacities;
  for (int i = 0; i < 30; ++i) {
    ASSERT_TRUE(a.append(i * 10));
    if (capacities.empty() || capacities.back() != a.getCapacity()) capacities.push_back(a.getCapacity());
  }
  // Grows by growBy alone: 2, +5, then growBy follows the capacity.
  EXPECT_EQ(capacities, (std::vector<int>{2, 7, 14, 28, 56}));
  EXPECT_EQ(a.get(29), 290);
  EXPECT_EQ(a.get(30), 0);
  EXPECT_EQ(a.get(-1), 0);
  EXPECT_TRUE(a.removeAt(0));
  EXPECT_EQ(a.get(0), 10);
  EXPECT_EQ(a.count(), 29);
  EXPECT_FALSE(a.removeAt(29));
  EXPECT_TRUE(a.removeAt(28));
  EXPECT_EQ(a.count(), 28);

  ExtIntArray sized(10, 3);
  EXPECT_EQ(sized.getCapacity(), 10);
  {
    FailAllocations fail(1);
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(sized.append(i));
    EXPECT_FALSE(sized.append(10));
  }
  EXPECT_EQ(sized.count(), 10);
  EXPECT_TRUE(sized.append(10));
  EXPECT_EQ(sized.getCapacity(), 13);
}

}  // namespace
