#include "core/string_buffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <new>
#include <string>
#include <vector>

#include "core/data_buffer.h"
#include "core/ext_ptr_array.h"
#include "core/tavlin_alloc.h"
#include "platform/platform.h"

namespace {

// Makes allocations fail for the scope of a test step, whatever happens.
struct FailAllocations {
  explicit FailAllocations(int count, int skip = 0) { tavlinFailAllocations(count, skip); }
  ~FailAllocations() { tavlinFailAllocations(0); }
};

std::string text(const StringBuffer& sb) { return std::string(sb.getString(), sb.getSize()); }

// ---- Construction and growth ------------------------------------------------

TEST(StringBufferTest, ConstructionVariantsSetCapacityAndStep) {
  struct Case {
    const char* name;
    StringBuffer sb;
    int capacity;
    int step;
    const char* content;
  };
  const StringBuffer three("abc");
  Case cases[] = {
      {"default", StringBuffer(), 202, 202, ""},
      {"text", StringBuffer("hello"), 6, 200, "hello"},
      {"null text", StringBuffer(static_cast<const char*>(nullptr)), 1, 200, ""},
      {"bytes, step 0", StringBuffer("xyz", 2, 0), 3, 200, "xy"},
      {"bytes, step 7", StringBuffer("xyz", 3, 7), 4, 7, "xyz"},
      {"capacity 50", StringBuffer(StringBuffer::WithCapacity{50}), 50, 50, ""},
      {"capacity 0", StringBuffer(StringBuffer::WithCapacity{0}), 200, 200, ""},
      {"copy", StringBuffer(three), 4, 200, "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.sb.getCapacity(), c.capacity);
    EXPECT_EQ(c.sb.getGrowStep(), c.step);
    EXPECT_EQ(text(c.sb), c.content);
  }
}

TEST(StringBufferTest, BytesConstructorKeepsEmbeddedNul) {
  const char bytes[] = {'a', 0, 'b'};
  StringBuffer sb(bytes, 3, 0);
  EXPECT_EQ(sb.getSize(), 3);
  EXPECT_EQ(text(sb), std::string(bytes, 3));
  EXPECT_EQ(sb.getString()[3], 0);
}

TEST(StringBufferTest, GrowthAddsStepThenStepFollowsHalfTheCapacity) {
  StringBuffer sb;
  ASSERT_TRUE(sb.appendCharN('x', 300));
  EXPECT_EQ(sb.getCapacity(), 300 + 202 + 1);
  EXPECT_EQ(sb.getGrowStep(), 251);
  // Filling to the end of the block triggers the next growth.
  ASSERT_TRUE(sb.appendCharN('y', 503 - 300 - 1));
  EXPECT_EQ(sb.getCapacity(), 503);
  ASSERT_TRUE(sb.appendChar('z'));
  EXPECT_EQ(sb.getCapacity(), 503 + 251 + 1);
  EXPECT_EQ(sb.getGrowStep(), (503 + 251 + 1) / 2);
  EXPECT_EQ(sb.getSize(), 503);
  EXPECT_EQ(sb.getString()[503], 0);
}

TEST(StringBufferTest, GrowStepStopsAtHalfAMillion) {
  StringBuffer sb;
  std::string piece(100000, 'q');
  for (int i = 0; i < 30; ++i) ASSERT_TRUE(sb.append(piece.c_str()));
  EXPECT_EQ(sb.getGrowStep(), 500000);
  EXPECT_EQ(sb.getSize(), 3000000);
  EXPECT_LT(sb.getSize(), sb.getCapacity());
}

TEST(StringBufferTest, PrependGrowsWithoutChangingTheStep) {
  StringBuffer sb;
  ASSERT_TRUE(sb.append("tail"));
  const std::string head(300, 'h');
  ASSERT_TRUE(sb.prepend(head.c_str()));
  EXPECT_EQ(sb.getCapacity(), 304 + 202 + 1);
  EXPECT_EQ(sb.getGrowStep(), 202);
  EXPECT_EQ(text(sb), head + "tail");
}

TEST(StringBufferTest, PrependOwnTextIsSafe) {
  StringBuffer sb("abcdef");
  ASSERT_TRUE(sb.prepend(sb.getString() + 3));  // grows: the source moves
  EXPECT_EQ(text(sb), "defabcdef");
  ASSERT_TRUE(sb.prepend(sb.getString() + 7));  // fits
  EXPECT_EQ(text(sb), "efdefabcdef");
}

TEST(StringBufferTest, EnsureCapacityAndShrinkToFit) {
  StringBuffer sb("abc");
  ASSERT_TRUE(sb.ensureCapacity(10));
  EXPECT_EQ(sb.getCapacity(), 3 + 10 + 200 + 1);
  sb.shrinkToFit();
  EXPECT_EQ(sb.getCapacity(), 4);
  EXPECT_EQ(text(sb), "abc");
  // length + 4 < capacity is the condition: 4 + 4 is not below 8.
  StringBuffer small(StringBuffer::WithCapacity{8});
  ASSERT_TRUE(small.append("abcd"));
  small.shrinkToFit();
  EXPECT_EQ(small.getCapacity(), 8);
}

// ---- Allocation failure ------------------------------------------------------

TEST(StringBufferTest, FailedGrowthKeepsTheText) {
  StringBuffer sb("keep");
  const std::string big(500, 'b');
  {
    FailAllocations fail(1);
    EXPECT_FALSE(sb.append(big.c_str()));
  }
  EXPECT_EQ(text(sb), "keep");
  EXPECT_EQ(sb.getCapacity(), 5);
  {
    FailAllocations fail(2);
    EXPECT_FALSE(sb.setString(big.c_str()));
    EXPECT_FALSE(sb.prepend(big.c_str()));
  }
  EXPECT_EQ(text(sb), "keep");
}

TEST(StringBufferTest, EachGrowingOperationReportsFailure) {
  const std::string big(400, 'g');
  struct Case {
    const char* name;
    bool (*op)(StringBuffer&, const std::string&);
  };
  const Case cases[] = {
      {"append", [](StringBuffer& s, const std::string& b) { return s.append(b.c_str()); }},
      {"appendN", [](StringBuffer& s, const std::string& b) { return s.appendN(b.data(), 400); }},
      {"appendCharN", [](StringBuffer& s, const std::string&) { return s.appendCharN('c', 400); }},
      {"appendSb", [](StringBuffer& s, const std::string& b) { return s.appendSb(StringBuffer(b.c_str())); }},
      {"setString", [](StringBuffer& s, const std::string& b) { return s.setString(b.c_str()); }},
      {"prepend", [](StringBuffer& s, const std::string& b) { return s.prepend(b.c_str()); }},
      {"ensureCapacity", [](StringBuffer& s, const std::string&) { return s.ensureCapacity(400); }},
      {"replaceFirst", [](StringBuffer& s, const std::string& b) { return s.replaceFirst("k", b.c_str()); }},
      {"xmlEscape",
       [](StringBuffer& s, const std::string&) {
         s.setString("<&>");
         return s.xmlEscape();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StringBuffer sb("kept");
    sb.shrinkToFit();
    bool ok;
    {
      // Skip the one allocation the case may make for its own argument.
      FailAllocations fail(100, std::string(c.name) == "appendSb" ? 1 : 0);
      ok = c.op(sb, big);
    }
    EXPECT_FALSE(ok);
    if (std::string(c.name) != "xmlEscape") {
      EXPECT_EQ(text(sb), "kept");
    }
  }
}

TEST(StringBufferTest, ReplaceAllFailureLeavesTextUnchanged) {
  StringBuffer sb("a-b-c");
  {
    FailAllocations fail(1);
    EXPECT_EQ(sb.replaceAll("-", "+"), 0);
  }
  EXPECT_EQ(text(sb), "a-b-c");
}

TEST(StringBufferTest, FailedConstructionGivesTheSharedEmptyString) {
  FailAllocations fail(2);
  StringBuffer a;
  StringBuffer b("text");
  EXPECT_EQ(a.getString(), b.getString());
  EXPECT_EQ(a.getSize(), 0);
  EXPECT_EQ(a.getCapacity(), 1);
  EXPECT_STREQ(b.getString(), "");
  // Clearing writes only the terminator; the empty string stays empty.
  a.clear();
  a.trim();
  EXPECT_STREQ(b.getString(), "");
  // Once memory is back, the shared string is left for a real block.
  tavlinFailAllocations(0);
  ASSERT_TRUE(a.append("grown"));
  EXPECT_EQ(text(a), "grown");
  EXPECT_STREQ(b.getString(), "");
}

// ---- Content ------------------------------------------------------------------

TEST(StringBufferTest, SetStringFromInsideItself) {
  StringBuffer sb("hello world");
  ASSERT_TRUE(sb.setString(sb.getString() + 6));
  EXPECT_EQ(text(sb), "world");
  ASSERT_TRUE(sb.setString(nullptr));
  EXPECT_EQ(sb.getSize(), 0);
}

TEST(StringBufferTest, AppendingItselfSurvivesGrowth) {
  StringBuffer sb("abc");  // capacity 4: appending itself must grow
  ASSERT_TRUE(sb.appendSb(sb));
  EXPECT_EQ(text(sb), "abcabc");
  ASSERT_TRUE(sb.appendN(sb.getString() + 1, 2));
  EXPECT_EQ(text(sb), "abcabcbc");
}

TEST(StringBufferTest, CopyAndAssignment) {
  StringBuffer a("one");
  StringBuffer b;
  b = a;
  a.append("!");
  EXPECT_EQ(text(b), "one");
  b = b;
  EXPECT_EQ(text(b), "one");
  EXPECT_NE(a.serialNumber(), StringBuffer(a).serialNumber());
}

TEST(StringBufferTest, AppendUnsignedAndHexDump) {
  StringBuffer sb;
  ASSERT_TRUE(sb.appendUnsigned(0));
  ASSERT_TRUE(sb.appendChar(' '));
  ASSERT_TRUE(sb.appendUnsigned(4294967295u));
  EXPECT_EQ(text(sb), "0 4294967295");

  unsigned char bytes[17];
  for (int i = 0; i < 17; ++i) bytes[i] = static_cast<unsigned char>(i * 0x11 % 256);
  StringBuffer dump;
  ASSERT_TRUE(dump.appendHexDump(bytes, 17));
  EXPECT_EQ(text(dump), "0011 2233 4455 6677 8899 AABB CCDD EEFF \n10");
  StringBuffer three;
  ASSERT_TRUE(three.appendHexDump(bytes, 3));
  EXPECT_EQ(text(three), "0011 22");
}

TEST(StringBufferTest, AppendDataBufferTakesAllBytes) {
  DataBuffer db;
  ASSERT_TRUE(db.append("a\0b", 3));
  StringBuffer sb("x");
  ASSERT_TRUE(sb.appendDataBuffer(db));
  EXPECT_EQ(text(sb), std::string("xa\0b", 4));
}

TEST(StringBufferTest, WindowsErrorTextIsAppendedAndTrimmed) {
  const std::string raw = platform::systemErrorText(2);
  ASSERT_FALSE(raw.empty());
  StringBuffer expected(raw.c_str());
  expected.trim();

  StringBuffer sb("  ");
  ASSERT_TRUE(sb.appendWindowsError(2));
  EXPECT_EQ(text(sb), text(expected));
  EXPECT_NE(sb.lastChar(), '\n');

  platform::setLastError(2);
  StringBuffer last;
  ASSERT_TRUE(last.appendLastWindowsError());
  EXPECT_EQ(text(last), text(expected));
}

TEST(StringBufferTest, TrimTable) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"  a b \r\n", "a b"}, {" \t\r\n", ""}, {"", ""}, {"x", "x"}, {"\tx", "x"}, {"x\n", "x"}, {" \v ", "\v"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    StringBuffer sb(c.in);
    sb.trim();
    EXPECT_EQ(text(sb), c.out);
    EXPECT_EQ(sb.getString()[sb.getSize()], 0);
  }
}

TEST(StringBufferTest, RemovingBytes) {
  StringBuffer sb("a-b-c-d");
  sb.removeCharFrom('-', 3);
  EXPECT_EQ(text(sb), "a-bcd");
  sb.removeChar('-');
  EXPECT_EQ(text(sb), "abcd");

  const struct {
    int start, count;
    const char* out;
  } ranges[] = {
      {1, 2, "ad"}, {0, 4, ""}, {3, 1, "abc"}, {4, 0, "abcd"}, {3, 2, "abcd"}, {-1, 1, "abcd"}, {1, -1, "abcd"},
  };
  for (const auto& r : ranges) {
    SCOPED_TRACE(r.start);
    StringBuffer s("abcd");
    s.removeRange(r.start, r.count);
    EXPECT_EQ(text(s), r.out);
  }

  StringBuffer s("abcd");
  s.shortenBy(1);
  EXPECT_EQ(text(s), "abc");
  s.shortenBy(10);
  EXPECT_EQ(text(s), "");
  EXPECT_EQ(s.lastChar(), 0);
}

TEST(StringBufferTest, ReplaceFirst) {
  const struct {
    const char *in, *find, *repl;
    bool ok;
    const char* out;
  } cases[] = {
      {"a.b.c", ".", "::", true, "a::b.c"}, {"a.b.c", ".", "", true, "ab.c"}, {"a.b.c", "", "x", false, "a.b.c"},
      {"a.b.c", "z", "x", false, "a.b.c"},   {"abc", "abc", "xyz", true, "xyz"}, {"abc", "c", nullptr, true, "ab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in + std::string(" / ") + c.find);
    StringBuffer sb(c.in);
    EXPECT_EQ(sb.replaceFirst(c.find, c.repl), c.ok);
    EXPECT_EQ(text(sb), c.out);
  }
  StringBuffer self("xy");
  ASSERT_TRUE(self.replaceFirst("y", self.getString()));
  EXPECT_EQ(text(self), "xxy");
}

TEST(StringBufferTest, ReplaceAllDoesNotRescan) {
  const struct {
    const char *in, *find, *repl;
    int count;
    const char* out;
  } cases[] = {
      {"&amp;lt;", "&amp;", "&", 1, "&lt;"},
      {"aaa", "a", "aa", 3, "aaaaaa"},
      {"aaaa", "aa", "a", 2, "aa"},
      {"abab", "ab", "", 2, ""},
      {"abc", "", "x", 0, "abc"},
      {"xyz", "q", "r", 0, "xyz"},
      {"%A%%A%", "%A%", "%A%%A%", 2, "%A%%A%%A%%A%"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in + std::string(" / ") + c.find);
    StringBuffer sb(c.in);
    EXPECT_EQ(sb.replaceAll(c.find, c.repl), c.count);
    EXPECT_EQ(text(sb), c.out);
  }
}


TEST(StringBufferTest, ByteEditors) {
  StringBuffer names("a b!c-d.e:f_g/h\xC3\xA9(1)");
  names.keepNameChars();
  EXPECT_EQ(text(names), "ab!c-d.e:f_gh\xC3\xA9" "1");

  StringBuffer lower("ABC\xC0\xC9\xDF\xE0\x80z");
  lower.toLowerCase();
  EXPECT_EQ(text(lower), "abc\xE0\xE9\xFF\xE0\x80z");

  StringBuffer xml("a&b<c>\"d'&amp;");
  ASSERT_TRUE(xml.xmlEscape());
  EXPECT_EQ(text(xml), "a&amp;b&lt;c&gt;&quot;d'&amp;amp;");

  StringBuffer bytes("a.b.c");
  bytes.replaceByte('.', '/');
  EXPECT_EQ(text(bytes), "a/b/c");
}

TEST(StringBufferTest, ExpandEnvironmentVariables) {
  ASSERT_TRUE(platform::setEnvironmentVariable("TAVLIN_SB_TEST_VAR", "val"));
  platform::setEnvironmentVariable("TAVLIN_SB_UNDEFINED", nullptr);
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"%TAVLIN_SB_UNDEFINED%x", "x"},
      {"50% off", "50% off"},
      {"a%TAVLIN_SB_TEST_VAR%b", "avalb"},
      {"%tavlin_sb_test_var%", "val"},
      {"%%x", "x"},
      {"%TAVLIN_SB_TEST_VAR%%TAVLIN_SB_TEST_VAR%", "valval"},
      {"a%TAVLIN_SB_TEST_VAR%b%c", "avalb%c"},
      {"no variables", "no variables"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    StringBuffer sb(c.in);
    EXPECT_TRUE(sb.expandEnvironmentVariables());
    EXPECT_EQ(text(sb), c.out);
  }
  platform::setEnvironmentVariable("TAVLIN_SB_TEST_VAR", nullptr);
}

// ---- Queries ------------------------------------------------------------------

TEST(StringBufferTest, SearchAndCompare) {
  const StringBuffer sb("Hello, World");
  const StringBuffer empty;
  EXPECT_TRUE(sb.contains("o, W"));
  EXPECT_FALSE(sb.contains("o,W"));
  EXPECT_TRUE(sb.contains(""));
  EXPECT_TRUE(sb.containsNoCase("hello, WORLD"));
  EXPECT_TRUE(sb.containsNoCase("LD"));
  EXPECT_FALSE(sb.containsNoCase("worlds"));
  EXPECT_FALSE(empty.containsNoCase("a"));
  EXPECT_TRUE(sb.containsChar(','));
  EXPECT_FALSE(sb.containsChar('x'));
  EXPECT_TRUE(sb.beginsWith("Hell"));
  EXPECT_TRUE(sb.beginsWith(""));
  EXPECT_TRUE(sb.beginsWith(nullptr));
  EXPECT_FALSE(sb.beginsWith("Hello, World!"));
  EXPECT_TRUE(sb.endsWith("World"));
  EXPECT_TRUE(sb.endsWith(""));
  EXPECT_FALSE(sb.endsWith("xHello, World"));
  EXPECT_TRUE(empty.endsWith(""));
  EXPECT_TRUE(sb.equals("Hello, World"));
  EXPECT_FALSE(sb.equals("Hello, world"));
  EXPECT_FALSE(sb.equals(nullptr));
  EXPECT_TRUE(empty.equals(nullptr));
  EXPECT_TRUE(sb.equalsNoCase("hello, world"));
  EXPECT_FALSE(sb.equalsNoCase("hello, worl"));
  EXPECT_TRUE(empty.equalsNoCase(nullptr));
  EXPECT_TRUE(sb.equalsSb(StringBuffer("Hello, World")));
  EXPECT_FALSE(sb.equalsSb(StringBuffer("Hello")));
  EXPECT_EQ(sb.charAt(4), 'o');
  EXPECT_EQ(sb.charAt(-1), 0);
  EXPECT_EQ(sb.charAt(12), 0);
  EXPECT_EQ(sb.lastChar(), 'd');
}

TEST(StringBufferTest, Is7bit) {
  const StringBuffer sb("ab\x80");
  EXPECT_TRUE(sb.is7bit(2));
  EXPECT_FALSE(sb.is7bit(3));
  EXPECT_FALSE(sb.is7bit(0));
  EXPECT_TRUE(StringBuffer("plain").is7bit(0));
}

TEST(StringBufferTest, ToIntReadsLikePercentD) {
  const struct {
    const char* in;
    int value;
  } cases[] = {
      {"  -12abc", -12},      {"", 0},           {"abc", 0},
      {"+7", 7},              {"\t\n 42", 42},   {"- 5", 0},
      {"007", 7},             {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"99999999999999999999", INT_MAX},
      {"-99999999999999999999", INT_MIN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(StringBuffer(c.in).toInt(), c.value);
  }
}

// ---- Tokenizing -------------------------------------------------------------------

TEST(StringBufferTest, SplitTable) {
  const struct {
    const char* in;
    const char* seps;
    bool quotes, backslash;
    std::vector<std::string> tokens;
  } cases[] = {
      {"a,,b", ",", false, false, {"a", "", "b"}},
      {"", ",", false, false, {}},
      {"x \"a b\" y", " ", true, false, {"x", "\"a b\"", "y"}},
      {"x \"a b\" y", " ", false, false, {"x", "\"a", "b\"", "y"}},
      {"a\\,b,c", ",", false, true, {"a\\,b", "c"}},
      {"a\\,b,c", ",", false, false, {"a\\", "b", "c"}},
      {"a\\\"b c", " ", true, true, {"a\\\"b", "c"}},
      {"a,", ",", false, false, {"a", ""}},
      {",", ",", false, false, {"", ""}},
      {"a;b,c", ";,", false, false, {"a", "b", "c"}},
      {"abc", nullptr, false, false, {"abc"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    StringBuffer sb(c.in);
    ExtPtrArray out;
    ASSERT_TRUE(sb.split(out, c.seps, c.quotes, c.backslash));
    ASSERT_EQ(out.count(), static_cast<int>(c.tokens.size()));
    for (int i = 0; i < out.count(); ++i) {
      auto* token = static_cast<StringBuffer*>(out.get(i));
      EXPECT_EQ(text(*token), c.tokens[i]);
      EXPECT_EQ(token->getCapacity(), token->getSize() + 1);  // shrunk to fit
    }
    out.deleteAll();
  }
}

TEST(StringBufferTest, SplitAppendsToExistingTokensAndReportsFailure) {
  ExtPtrArray out;
  ASSERT_TRUE(StringBuffer("a b").split(out, " ", false, false));
  ASSERT_TRUE(StringBuffer("c").split(out, " ", false, false));
  EXPECT_EQ(out.count(), 3);
  const StringBuffer more("d e");
  {
    FailAllocations fail(1000);
    EXPECT_FALSE(more.split(out, " ", false, false));
  }
  EXPECT_EQ(out.count(), 3);
  out.deleteAll();
}

// ---- Ownership moves -------------------------------------------------------------

TEST(StringBufferTest, TakeDataBufferAdoptsTheMemory) {
  DataBuffer db(64);
  ASSERT_TRUE(db.append("hi\0", 3));
  const unsigned char* block = db.getData();
  StringBuffer sb("old");
  ASSERT_TRUE(sb.takeDataBuffer(db));
  EXPECT_EQ(text(sb), "hi");
  EXPECT_EQ(static_cast<const void*>(sb.getString()), static_cast<const void*>(block));
  EXPECT_EQ(sb.getCapacity(), 64);
  EXPECT_EQ(sb.getGrowStep(), 1024);
  EXPECT_EQ(db.getSize(), 0u);
  EXPECT_EQ(db.getData(), nullptr);
  ASSERT_TRUE(sb.append(std::string(100, 'z').c_str()));  // grows out of the adopted block
  EXPECT_EQ(sb.getSize(), 102);
}

TEST(StringBufferTest, TakeDataBufferEdgeCases) {
  DataBuffer one;
  ASSERT_TRUE(one.appendByte(0));
  StringBuffer sb("cleared");
  EXPECT_TRUE(sb.takeDataBuffer(one));
  EXPECT_EQ(sb.getSize(), 0);

  DataBuffer unterminated;
  ASSERT_TRUE(unterminated.append("ab", 2));
  StringBuffer kept("kept");
  EXPECT_FALSE(kept.takeDataBuffer(unterminated));
  EXPECT_EQ(text(kept), "kept");
  EXPECT_EQ(unterminated.getSize(), 2u);

  // Borrowed memory is copied: the lender keeps it.
  char lender[] = "lent";
  DataBuffer borrowed;
  borrowed.borrow(lender, 5);
  StringBuffer copy;
  ASSERT_TRUE(copy.takeDataBuffer(borrowed));
  EXPECT_EQ(text(copy), "lent");
  EXPECT_NE(copy.getString(), lender);
  EXPECT_EQ(borrowed.getSize(), 0u);
  EXPECT_FALSE(borrowed.isBorrowed());
}

// ---- Marker ----------------------------------------------------------------------------

// The sanitizer build's dynamic-type check sees the destroyed object first
// and stops the process itself; either stop is the outcome wanted.
#ifdef __SANITIZE_ADDRESS__
constexpr const char* kDead = "StringBuffer used after destruction|invalid vptr";
#else
constexpr const char* kDead = "StringBuffer used after destruction";
#endif

TEST(StringBufferDeathTest, UseAfterDestructionStopsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  alignas(StringBuffer) unsigned char storage[sizeof(StringBuffer)];
  StringBuffer* sb = new (storage) StringBuffer("gone");
  sb->~StringBuffer();
  EXPECT_DEATH(sb->getSize(), kDead);
  EXPECT_DEATH(sb->append("x"), kDead);
}

}  // namespace
