#include <gtest/gtest.h>

#include <string>

#include "core/data_buffer.h"
#include "core/string_buffer.h"
#include "platform/platform.h"

namespace {

std::string text(const StringBuffer& sb) { return std::string(sb.getString(), sb.getSize()); }

TEST(CoreTextOps, EncodeByName) {
  DataBuffer db;
  const unsigned char bytes[] = {0x00, 0xAB};
  ASSERT_TRUE(db.append(bytes, 2));
  DataBuffer from;
  ASSERT_TRUE(from.append("From x", 6));
  const struct {
    const DataBuffer* data;
    const char* name;
    bool ok;
    std::string out;
  } cases[] = {
      {&db, "hex", true, "pre00AB"},
      {&db, "  HeX\t", true, "pre00AB"},
      {&db, "Hexidecimal", true, "pre00AB"},
      {&db, "asc", true, std::string("pre\0\xAB", 5)},
      {&db, " ANSI ", true, std::string("pre\0\xAB", 5)},
      {&db, "base64", true, "preAKs="},
      {&db, "Base-64", true, "preAKs="},
      {&db, "qp", true, "pre=00=AB"},
      {&from, "quoted-printable", true, "pre=46rom x"},
      {&db, "hexadecimal", false, ""},
      {&db, "", false, ""},
      {&db, nullptr, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name ? c.name : "(null)");
    StringBuffer out("pre");
    EXPECT_EQ(c.data->encode(c.name, out), c.ok);
    EXPECT_EQ(text(out), c.out);
  }
}

TEST(CoreTextOps, ReplaceChar) {
  StringBuffer ascii("a/b/c");
  EXPECT_TRUE(ascii.replaceChar('/', '\\'));
  EXPECT_EQ(text(ascii), "a\\b\\c");

  StringBuffer absent("abc");
  EXPECT_TRUE(absent.replaceChar('/', '\\'));
  EXPECT_EQ(text(absent), "abc");

  // UTF-8 text goes through its UTF-16 form; the multi-byte letters stay.
  StringBuffer utf8("caf\xC3\xA9/x/\xE2\x82\xAC");
  EXPECT_TRUE(utf8.replaceChar('/', '\\'));
  EXPECT_EQ(text(utf8), "caf\xC3\xA9\\x\\\xE2\x82\xAC");
}

}  // namespace
