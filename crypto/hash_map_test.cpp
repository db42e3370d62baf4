#include "crypto/hash_map.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A value that counts its destructions.
int g_destroyed = 0;
class CountedValue : public StringBuffer {
 public:
  explicit CountedValue(const char* s) : StringBuffer(s) {}
  ~CountedValue() override { ++g_destroyed; }
};

TEST(HashMap, SetGetFind) {
  HashMap map;
  map.set("xmlConfig", new StringBuffer("<SfxConfig/>"));
  map.set("title", new StringBuffer("Setup"));
  map.set("", new StringBuffer("empty key"));

  StringBuffer out("old");
  EXPECT_TRUE(map.get("xmlConfig", out));
  EXPECT_STREQ(out.getString(), "<SfxConfig/>");
  EXPECT_TRUE(map.get("", out));
  EXPECT_STREQ(out.getString(), "empty key");
  ASSERT_NE(map.find("title"), nullptr);
  EXPECT_STREQ(map.find("title")->getString(), "Setup");

  // Absent and null keys: out is cleared and the answer is false.
  out.setString("old");
  EXPECT_FALSE(map.get("missing", out));
  EXPECT_STREQ(out.getString(), "");
  out.setString("old");
  EXPECT_FALSE(map.get(nullptr, out));
  EXPECT_STREQ(out.getString(), "");
  EXPECT_EQ(map.find("missing"), nullptr);
  EXPECT_EQ(map.find(nullptr), nullptr);
}

TEST(HashMap, KeysAreCaseSensitive) {
  HashMap map;
  map.set("Key", new StringBuffer("upper"));
  map.set("key", new StringBuffer("lower"));
  EXPECT_STREQ(map.find("Key")->getString(), "upper");
  EXPECT_STREQ(map.find("key")->getString(), "lower");
  EXPECT_EQ(map.find("KEY"), nullptr);
}

TEST(HashMap, SetAgainReplacesAndDestroysTheOldValue) {
  g_destroyed = 0;
  {
    HashMap map(1);  // one bucket: every key shares it
    map.set("a", new CountedValue("first"));
    map.set("b", new CountedValue("other"));
    map.set("a", new CountedValue("second"));
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_STREQ(map.find("a")->getString(), "second");
    EXPECT_STREQ(map.find("b")->getString(), "other");
    // The same pointer again is kept, not destroyed.
    map.set("b", map.find("b"));
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_STREQ(map.find("b")->getString(), "other");
  }
  EXPECT_EQ(g_destroyed, 3) << "the map destroys the values it holds";

  g_destroyed = 0;
  HashMap map;
  map.set(nullptr, new CountedValue("lost"));
  EXPECT_EQ(g_destroyed, 1) << "a value without a key is not leaked";
  map.set("k", nullptr);
  EXPECT_EQ(map.find("k"), nullptr);
}

// The bucket is the CRC-32 of the key's MD5 digest; reference values from
// Python's zlib.crc32(hashlib.md5(key).digest()).
TEST(HashMap, BucketIsCrcOfMd5ModuloTheCount) {
  HashMap hundred(0);
  EXPECT_EQ(hundred.bucketCount(), 100);
  EXPECT_EQ(HashMap(-3).bucketCount(), 100);
  HashMap seven(7);
  struct Case {
    const char* key;
    int of100, of7;
  } cases[] = {{"", 24, 2}, {"abc", 49, 5}, {"xmlConfig", 93, 6}, {"Key", 32, 0}, {"key", 36, 6}};
  for (const Case& c : cases) {
    EXPECT_EQ(hundred.bucketOf(c.key), c.of100) << c.key;
    EXPECT_EQ(seven.bucketOf(c.key), c.of7) << c.key;
  }
}

TEST(HashMap, ManyKeysInFewBuckets) {
  HashMap map(3);
  for (int i = 0; i < 500; ++i) {
    std::string k = "key" + std::to_string(i);
    map.set(k.c_str(), new StringBuffer(("value" + std::to_string(i)).c_str()));
  }
  for (int i = 0; i < 500; i += 7) {
    std::string k = "key" + std::to_string(i);
    map.set(k.c_str(), new StringBuffer(("new" + std::to_string(i)).c_str()));
  }
  for (int i = 0; i < 500; ++i) {
    std::string k = "key" + std::to_string(i);
    StringBuffer* v = map.find(k.c_str());
    ASSERT_NE(v, nullptr) << k;
    EXPECT_EQ(std::string(v->getString()), (i % 7 == 0 ? "new" : "value") + std::to_string(i));
  }
}

TEST(TV_List, AppendLinksBothWaysAndDestroysItsItems) {
  g_destroyed = 0;
  {
    TV_List list;
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.first(), nullptr);
    EXPECT_EQ(list.last(), nullptr);
    TV_ListItem* a = new TV_ListItem(new NamedObject("a", new CountedValue("1")));
    TV_ListItem* b = new TV_ListItem(new NamedObject("b", new CountedValue("2")));
    TV_ListItem* c = new TV_ListItem(new NamedObject("c", new CountedValue("3")));
    list.append(a);
    list.append(b);
    list.append(c);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.first(), a);
    EXPECT_EQ(list.last(), c);
    EXPECT_EQ(a->next(), b);
    EXPECT_EQ(b->next(), c);
    EXPECT_EQ(c->next(), nullptr);
    EXPECT_EQ(c->prev(), b);
    EXPECT_EQ(b->prev(), a);
    EXPECT_EQ(a->prev(), nullptr);
    EXPECT_STREQ(b->object()->name().getString(), "b");
    EXPECT_STREQ(b->object()->value()->getString(), "2");
  }
  EXPECT_EQ(g_destroyed, 3);
}

TEST(NamedObject, NameIsCopiedWithoutSpareRoom) {
  std::string name = "argumentName";
  NamedObject obj(name.c_str(), new StringBuffer("v"));
  name[0] = 'X';
  EXPECT_STREQ(obj.name().getString(), "argumentName");
  EXPECT_EQ(obj.name().getCapacity(), 13);
  obj.setValue(new StringBuffer("w"));
  EXPECT_STREQ(obj.value()->getString(), "w");
}

}  // namespace
