#include "core/tavlin_object.h"

#include <gtest/gtest.h>

namespace {

TEST(TavlinObjectTest, EveryConstructionTakesTheNextSerial) {
  TavlinObject a;
  TavlinObject b;
  TavlinObject c(a);
  EXPECT_EQ(b.serialNumber(), a.serialNumber() + 1);
  EXPECT_EQ(c.serialNumber(), b.serialNumber() + 1);
  const uint64_t before = b.serialNumber();
  b = c;
  EXPECT_EQ(b.serialNumber(), before);  // assignment keeps the identity
}

TEST(TavlinObjectDeathTest, FatalStopsWithTheMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(tavlinFatal("marker check failed"), "marker check failed");
}

}  // namespace
