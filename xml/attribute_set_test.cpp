#include "xml/attribute_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/string_buffer.h"
#include "core/tavlin_alloc.h"

namespace {

std::vector<std::string> pairs(const AttributeSet& set) {
  std::vector<std::string> out;
  AttributeSet::Cursor c;
  const char* name;
  const char* value;
  int nl, vl;
  while (set.next(c, name, nl, value, vl)) out.push_back(std::string(name, nl) + "=" + std::string(value, vl));
  return out;
}

TEST(AttributeSetTest, AddGetAndOrder) {
  AttributeSet set;
  EXPECT_EQ(set.count(), 0);
  EXPECT_FALSE(set.has("a"));
  EXPECT_FALSE(set.add("", "x"));
  EXPECT_FALSE(set.add(nullptr, "x"));
  EXPECT_TRUE(set.add("ab", "1"));
  EXPECT_TRUE(set.add("a", "bc"));  // same bytes back to back as "ab" + "1"
  EXPECT_TRUE(set.add("ab", "2"));
  EXPECT_TRUE(set.add("empty", nullptr));
  EXPECT_EQ(set.count(), 4);
  EXPECT_EQ(pairs(set), (std::vector<std::string>{"ab=1", "a=bc", "ab=2", "empty="}));

  StringBuffer out("stale");
  EXPECT_TRUE(set.get("ab", out));
  EXPECT_STREQ(out.getString(), "1");
  EXPECT_TRUE(set.get("a", out));
  EXPECT_STREQ(out.getString(), "bc");
  EXPECT_FALSE(set.get("b", out));
  EXPECT_STREQ(out.getString(), "");
  EXPECT_FALSE(set.has("AB"));  // names compare by bytes
}

TEST(AttributeSetTest, RemoveFirstAndRemoveAll) {
  AttributeSet set;
  set.add("x", "1");
  set.add("y", "2");
  set.add("x", "3");
  EXPECT_TRUE(set.removeFirst("x"));
  EXPECT_EQ(pairs(set), (std::vector<std::string>{"y=2", "x=3"}));
  EXPECT_FALSE(set.removeFirst("z"));

  for (int i = 0; i < 150; ++i) set.add("r", "v");
  set.removeAll("r");  // at most 101 at a time
  EXPECT_EQ(set.count(), 2 + 49);
  set.removeAll("r");
  EXPECT_EQ(pairs(set), (std::vector<std::string>{"y=2", "x=3"}));
}

TEST(AttributeSetTest, FailedAddLeavesTheSetAsItWas) {
  AttributeSet set;
  set.add("keep", "me");
  for (int skip = 0; skip < 4; ++skip) {
    SCOPED_TRACE(skip);
    // Enough bytes that the buffers must grow.
    const std::string big(1000, 'v');
    tavlinFailAllocations(1, skip);
    const bool added = set.add("big", big.c_str());
    tavlinFailAllocations(0);
    if (!added) {
      EXPECT_EQ(pairs(set), (std::vector<std::string>{"keep=me"}));
    }
    set.removeAll("big");
  }
}

}  // namespace
