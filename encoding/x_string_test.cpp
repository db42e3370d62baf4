#include "encoding/x_string.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoding/code_page_cache.h"
#include "platform/platform.h"

namespace {

std::vector<uint16_t> units(const uint16_t* p) {
  std::vector<uint16_t> r;
  while (*p != 0) r.push_back(*p++);
  return r;
}

// Runs a test with the given ANSI code page and restores the system's.
class ForcedAnsi {
 public:
  explicit ForcedAnsi(uint32_t codePage) { platform::testing::overrideAnsiCodePage(codePage); }
  ~ForcedAnsi() { platform::testing::overrideAnsiCodePage(0); }
};

const uint16_t kCafe[] = {'c', 'a', 'f', 0xE9, 0};           // café
const uint16_t kLossy[] = {'a', 0x0416, 'b', 0};             // aЖb: Ж is not in 1252
const uint16_t kSmiley[] = {'x', 0xD83D, 0xDE00, 0};         // x😀

TEST(XString, NewAndClearedAreEmptyInEveryForm) {
  XString x;
  EXPECT_STREQ(x.getAnsi(), "");
  EXPECT_STREQ(x.getUtf8(), "");
  EXPECT_EQ(x.getUtf16()[0], 0);
  EXPECT_EQ(x.getLength(), 0);
  EXPECT_EQ(x.ansiStatus(), XString::kAnsiUnknown);
  x.setFromUtf8("text");
  x.clear();
  EXPECT_STREQ(x.getAnsi(), "");
  EXPECT_EQ(x.getUtf16()[0], 0);
  EXPECT_EQ(x.ansiStatus(), XString::kAnsiUnknown);
}

TEST(XString, Utf8ByteOrderMarks) {
  XString x;
  x.setFromUtf8("\xEF\xBB\xBF");
  EXPECT_STREQ(x.getUtf8(), "");
  EXPECT_EQ(x.getLength(), 0);
  x.setFromUtf8("\xEF\xBB\xBF" "abc");
  EXPECT_STREQ(x.getUtf8(), "abc");
  x.setFromUtf8N("\xEF\xBB\xBF" "abc", 3);
  EXPECT_STREQ(x.getUtf8(), "");
  x.setFromUtf8N("\xEF\xBB", 2);  // too short to be a mark: kept as bytes
  EXPECT_EQ(x.getUtf8Sb().getSize(), 2);
  x.setFromUtf8("ab");
  x.appendUtf8("\xEF\xBB\xBF" "cd");
  EXPECT_STREQ(x.getUtf8(), "abcd");
  x.appendUtf8N("\xEF\xBB\xBF", 3);
  EXPECT_STREQ(x.getUtf8(), "abcd");
  EXPECT_TRUE(x.beginsWithUtf8("\xEF\xBB\xBF" "ab"));
  EXPECT_TRUE(x.endsWithUtf8("\xEF\xBB\xBF" "cd"));
  EXPECT_TRUE(x.containsUtf8("\xEF\xBB\xBF" "bc"));
  EXPECT_FALSE(x.containsUtf8("ca"));
}

TEST(XString, FormsConvertOnDemand) {
  ForcedAnsi ansi(1252);
  XString x;
  x.setFromUtf16(kCafe);
  EXPECT_STREQ(x.getUtf8(), "caf\xC3\xA9");
  EXPECT_STREQ(x.getAnsi(), "caf\xE9");
  EXPECT_EQ(x.ansiStatus(), XString::kAnsiExact);
  EXPECT_EQ(units(x.getUtf16()), units(kCafe));

  XString fromAnsi;
  fromAnsi.setFromAnsi("caf\xE9 \x80");
  EXPECT_STREQ(fromAnsi.getUtf8(), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(units(fromAnsi.getUtf16()), (std::vector<uint16_t>{'c', 'a', 'f', 0xE9, ' ', 0x20AC}));

  XString fromUtf8;
  fromUtf8.setFromUtf8("caf\xC3\xA9");
  EXPECT_EQ(units(fromUtf8.getUtf16()), units(kCafe));
  EXPECT_STREQ(fromUtf8.getAnsi(), "caf\xE9");
}

TEST(XString, AnsiExactness) {
  ForcedAnsi ansi(1252);
  // From ANSI it is exact without converting anything.
  codePageCacheTesting::reset();
  XString a;
  a.setFromAnsi("caf\xE9");
  EXPECT_TRUE(a.isAnsiExact());
  EXPECT_EQ(codePageCacheTesting::totalBuilds(), 0);

  XString good;
  good.setFromUtf8("caf\xC3\xA9");
  EXPECT_TRUE(good.isAnsiExact());
  EXPECT_EQ(good.getLength(), 4);  // the exact ANSI form is now current: bytes

  XString x;
  x.setFromUtf16(kLossy);
  EXPECT_FALSE(x.isAnsiExact());
  EXPECT_EQ(x.ansiStatus(), XString::kAnsiLossy);
  EXPECT_EQ(x.getLength(), 3);  // the lossy ANSI form was dropped
  EXPECT_STREQ(x.getAnsi(), "ab");  // still rendered, as well as it goes
  EXPECT_EQ(x.ansiStatus(), XString::kAnsiLossy);
  EXPECT_EQ(x.getLength(), 2);  // now ANSI is current
  EXPECT_TRUE(x.equalsAnsi("ab"));
  EXPECT_EQ(x.getLength(), 3);  // equalsAnsi dropped the lossy form again
  EXPECT_FALSE(x.isAnsiExact());
  EXPECT_STREQ(x.getUtf8(), "a\xD0\x96" "b");

  XString lossyUtf8;
  lossyUtf8.setFromUtf8("\xD0\x96");
  EXPECT_FALSE(lossyUtf8.isAnsiExact());
  XString empty;
  EXPECT_TRUE(empty.equalsAnsi(nullptr));
  EXPECT_TRUE(empty.equalsAnsi(""));
}

TEST(XString, SystemAnsiCodePage) {
  // The real code page of the system: UTF-8 on the POSIX stand-in, the
  // system's (1252 on a default Wine) on Windows.
  uint32_t acp = platform::ansiCodePage();
  XString x;
  x.setFromUtf16(kCafe);
  if (acp == 65001) {
    EXPECT_STREQ(x.getAnsi(), "caf\xC3\xA9");
    XString y;
    y.setFromUtf16(kLossy);
    EXPECT_TRUE(y.isAnsiExact());  // UTF-8 renders everything
  } else if (acp == 1252) {
    EXPECT_STREQ(x.getAnsi(), "caf\xE9");
    XString y;
    y.setFromAnsi("\x80" "10");
    EXPECT_EQ(units(y.getUtf16()), (std::vector<uint16_t>{0x20AC, '1', '0'}));
    XString z;
    z.setFromUtf16(kLossy);
    EXPECT_FALSE(z.isAnsiExact());
    EXPECT_STREQ(z.getAnsi(), "ab");
  } else {
    GTEST_SKIP() << "ANSI code page " << acp << " has no expectations here";
  }
}

TEST(XString, LengthCountsUnitsOrAnsiBytes) {
  ForcedAnsi ansi(1252);
  XString x;
  // The library's UTF-8 for a character outside the BMP is its surrogate
  // pair, three bytes each: it counts 2.
  x.setFromUtf8("x\xED\xA0\xBD\xED\xB8\x80");
  EXPECT_EQ(x.getLength(), 3);
  EXPECT_EQ(units(x.getUtf16()), units(kSmiley));
  XString y;
  y.setFromUtf16(kSmiley);
  EXPECT_STREQ(y.getUtf8(), "x\xED\xA0\xBD\xED\xB8\x80");
  XString a;
  a.setFromAnsi("caf\xE9");
  EXPECT_EQ(a.getLength(), 4);
  XString u;
  u.setFromUtf8("caf\xC3\xA9");
  EXPECT_EQ(u.getLength(), 4);
  EXPECT_EQ(u.getUtf8Sb().getSize(), 5);
}

TEST(XString, Appending) {
  ForcedAnsi ansi(1252);
  XString x;
  x.appendUtf16(kCafe);
  const uint16_t* p = x.getUtf16();
  EXPECT_EQ(units(p), units(kCafe));
  EXPECT_EQ(x.getLength(), 4);

  x.appendAnsi(" \x80");
  EXPECT_EQ(x.ansiStatus(), XString::kAnsiExact);
  x.appendUtf8(" \xD0\x96");
  EXPECT_STREQ(x.getUtf8(), "caf\xC3\xA9 \xE2\x82\xAC \xD0\x96");
  EXPECT_FALSE(x.isAnsiExact());
  x.appendUtf16(kCafe);
  EXPECT_STREQ(x.getUtf8(), "caf\xC3\xA9 \xE2\x82\xAC \xD0\x96" "caf\xC3\xA9");

  // appendX takes the other's current form, UTF-8 first.
  XString other;
  other.setFromUtf16(kLossy);
  XString y;
  y.setFromAnsi("[");
  y.appendX(other);
  EXPECT_STREQ(y.getUtf8(), "[a\xD0\x96" "b");
  other.getUtf8();  // now UTF-8 is current too and is preferred
  XString z;
  z.appendX(other);
  EXPECT_STREQ(z.getUtf8(), "a\xD0\x96" "b");
  // ANSI appended to a text that ANSI cannot hold keeps the whole text.
  XString fromAnsi;
  fromAnsi.setFromAnsi("\xE9");
  z.appendX(fromAnsi);
  EXPECT_STREQ(z.getUtf8(), "a\xD0\x96" "b\xC3\xA9");
  EXPECT_FALSE(z.isAnsiExact());
  z.appendX(z);  // itself
  EXPECT_STREQ(z.getUtf8(), "a\xD0\x96" "b\xC3\xA9" "a\xD0\x96" "b\xC3\xA9");
}

TEST(XString, Utf8QueriesAndEdits) {
  XString x;
  x.setFromUtf16(kCafe);
  x.appendUtf8("/x");
  EXPECT_EQ(x.indexOfUtf8("caf"), 0);
  EXPECT_EQ(x.indexOfUtf8("/"), 4);  // é is one unit though two bytes
  EXPECT_EQ(x.indexOfUtf8("zz"), -1);
  EXPECT_EQ(x.indexOfUtf8(""), 0);
  EXPECT_TRUE(x.replaceFirstUtf8("/", "\xE2\x82\xAC"));
  EXPECT_EQ(units(x.getUtf16()), (std::vector<uint16_t>{'c', 'a', 'f', 0xE9, 0x20AC, 'x'}));
  EXPECT_FALSE(x.replaceFirstUtf8("/", "-"));

  XString t;
  t.setFromUtf8(" \t padded \r\n");
  t.getUtf16();
  t.trim();
  EXPECT_STREQ(t.getUtf8(), "padded");
  EXPECT_EQ(units(t.getUtf16()), (std::vector<uint16_t>{'p', 'a', 'd', 'd', 'e', 'd'}));
}

TEST(XString, Utf16Edits) {
  XString x;
  x.setFromUtf8("abc");
  x.shortenBy(5);
  EXPECT_EQ(x.getLength(), 0);
  EXPECT_STREQ(x.getUtf8(), "");
  x.setFromUtf8("abc\xC3\xA9");
  x.getAnsi();
  x.shortenBy(1);
  EXPECT_STREQ(x.getUtf8(), "abc");
  EXPECT_EQ(x.getLength(), 3);
  x.shortenBy(0);
  EXPECT_STREQ(x.getUtf8(), "abc");

  const uint16_t mixed[] = {0xDF, 0xD7, 0xA0, 0xC9, 'A', 0x0416, 0x0130, 0};
  XString m;
  m.setFromUtf16(mixed);
  m.toLowerCase();
  EXPECT_EQ(units(m.getUtf16()), (std::vector<uint16_t>{0xDF, 0xD7, 0xA0, 0xE9, 'a', 0x0436, 0x0069}));
}

TEST(XString, ReplaceCharUsesTheAnsiCodePage) {
  {
    ForcedAnsi ansi(1252);
    XString x;
    x.setFromUtf8("caf\xC3\xA9 \xC3\xA9t\xC3\xA9");
    x.replaceChar('\xE9', 'e');
    EXPECT_STREQ(x.getUtf8(), "cafe ete");
    x.replaceChar('e', '\x80');
    EXPECT_STREQ(x.getUtf8(), "caf\xE2\x82\xAC \xE2\x82\xAC" "t\xE2\x82\xAC");
    x.replaceChar('\x81', 'x');  // 81 has no character in 1252: nothing happens
    EXPECT_STREQ(x.getUtf8(), "caf\xE2\x82\xAC \xE2\x82\xAC" "t\xE2\x82\xAC");
  }
  XString path;
  path.setFromUtf8("a/b/c");
  path.replaceChar('/', '\\');
  EXPECT_STREQ(path.getUtf8(), "a\\b\\c");
}

TEST(XString, CopiesCarryEveryForm) {
  ForcedAnsi ansi(1252);
  XString x;
  x.setFromUtf16(kLossy);
  EXPECT_FALSE(x.isAnsiExact());
  XString y(x);
  EXPECT_EQ(y.ansiStatus(), XString::kAnsiLossy);
  EXPECT_EQ(units(y.getUtf16()), units(kLossy));
  XString z;
  z = y;
  EXPECT_STREQ(z.getUtf8(), "a\xD0\x96" "b");
}

}  // namespace
