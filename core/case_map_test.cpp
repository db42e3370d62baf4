#include "core/case_map.h"

#include <gtest/gtest.h>

namespace {

TEST(CaseMapTest, KnownUnits) {
  const struct {
    uint16_t in, out;
  } cases[] = {
      {0x0000, 0x0000}, {'A', 'a'},       {'Z', 'z'},       {'z', 'z'},       {'@', '@'},
      {0x00C0, 0x00E0}, {0x00C9, 0x00E9}, {0x00DE, 0x00FE}, {0x00D7, 0x00D7}, {0x00DF, 0x00DF},
      {0x00A0, 0x00A0}, {0x0100, 0x0101}, {0x0178, 0x00FF}, {0x0130, 0x0069}, {0x023A, 0x2C65},
      {0x0391, 0x03B1}, {0x03F4, 0x03B8}, {0x0410, 0x0430}, {0x10A0, 0x2D00}, {0x1E00, 0x1E01},
      {0x2C00, 0x2C30}, {0xFF21, 0xFF41}, {0xFF3A, 0xFF5A},
      // Not upper-case letters of Unicode 5.0: title case, circled letters,
      // letters added later, lower-case letters, surrogates.
      {0x01C5, 0x01C5}, {0x24B6, 0x24B6}, {0x1E9E, 0x1E9E}, {0x2C70, 0x2C70}, {0x00E9, 0x00E9},
      {0xD800, 0xD800}, {0xFFFF, 0xFFFF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(toLowerU16(c.in), c.out);
  }
}

TEST(CaseMapTest, TableHasTheUnicode50Pairs) {
  int changed = 0;
  for (uint32_t u = 1; u <= 0xFFFF; ++u) {
    const uint16_t lower = toLowerU16(static_cast<uint16_t>(u));
    if (lower == u) continue;
    ++changed;
    // A lower-case partner is itself left alone.
    EXPECT_EQ(toLowerU16(lower), lower) << std::hex << u;
  }
  EXPECT_EQ(changed, 809);
}

}  // namespace
