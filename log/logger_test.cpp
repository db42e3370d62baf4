#include "log/logger.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "core/string_buffer.h"
#include "core/tavlin_alloc.h"
#include "platform/platform.h"

namespace {

std::string textOf(LogBase& log) {
  StringBuffer out;
  log.toText(out);
  return std::string(out.getString(), out.getSize());
}

std::string xmlOf(LogBase& log) {
  StringBuffer out;
  log.toXmlText(out);
  return std::string(out.getString(), out.getSize());
}

std::string htmlOf(LogBase& log) {
  StringBuffer out;
  log.toHtml(out);
  return std::string(out.getString(), out.getSize());
}

TEST(Logger, FreshLoggerRendersTheRootOnly) {
  Logger log;
  EXPECT_EQ(textOf(log), "TavlinLog:\r\n");
  EXPECT_EQ(xmlOf(log), "<TavlinLog>\r\n</TavlinLog>\r\n");
  EXPECT_EQ(htmlOf(log), "TavlinLog:<blockquote>\r\n</blockquote>\r\n");
}

TEST(Logger, RenderersReplaceWhatTheBufferHeld) {
  Logger log;
  StringBuffer out("old content");
  log.toText(out);
  EXPECT_STREQ(out.getString(), "TavlinLog:\r\n");
  out.setString("old");
  log.toXmlText(out);
  EXPECT_STREQ(out.getString(), "<TavlinLog>\r\n</TavlinLog>\r\n");
  out.setString("old");
  log.toHtml(out);
  EXPECT_STREQ(out.getString(), "TavlinLog:<blockquote>\r\n</blockquote>\r\n");
}

TEST(Logger, FailedOperationRendersAsIndentedText) {
  Logger log;
  EXPECT_TRUE(log.openContext("UnzipToFile"));
  EXPECT_TRUE(log.addError("Failed."));
  EXPECT_TRUE(log.addData("filename", "a.txt"));
  EXPECT_TRUE(log.closeContext());
  EXPECT_EQ(textOf(log),
            "TavlinLog:\r\n"
            "  UnzipToFile:\r\n"
            "    Failed.\r\n"
            "    filename: a.txt\r\n");
}

TEST(Logger, EmptyContextDisappearsUnlessDirectlyUnderTheRoot) {
  Logger log;
  log.openContext("Outer");
  log.openContext("EmptyInner");
  log.closeContext();
  log.openContext("FullInner");
  log.addInfo("kept");
  log.closeContext();
  log.openContext("Parent");
  log.openContext("EmptyGrandchild");
  log.closeContext();
  log.closeContext();  // Parent is now empty too and goes with it
  log.closeContext();
  log.openContext("TopLevel");
  log.closeContext();
  EXPECT_EQ(textOf(log),
            "TavlinLog:\r\n"
            "  Outer:\r\n"
            "    FullInner:\r\n"
            "      kept\r\n"
            "  TopLevel:\r\n");
}

TEST(Logger, ClosingTheRootAloneDoesNothing) {
  Logger log;
  log.openContext("A");
  log.closeContext();
  EXPECT_TRUE(log.closeContext());
  EXPECT_TRUE(log.closeContext());
  log.addInfo("at the root");
  EXPECT_EQ(textOf(log), "TavlinLog:\r\n  A:\r\n  at the root\r\n");
}

TEST(Logger, ContextNameIsUsedUnchanged) {
  Logger log;
  log.openContext(" two words ");
  log.addNote("x");
  log.closeContext();
  EXPECT_EQ(textOf(log), "TavlinLog:\r\n   two words :\r\n    x\r\n");
}

TEST(Logger, NullLineTextRecordsNothing) {
  Logger log;
  EXPECT_TRUE(log.addError(nullptr));
  EXPECT_TRUE(log.addInfo(nullptr));
  EXPECT_TRUE(log.addNote(nullptr));
  EXPECT_EQ(textOf(log), "TavlinLog:\r\n");
}

TEST(Logger, DataItemNames) {
  struct Case {
    const char* name;
    bool recorded;
    const char* rendered;  // the item's toText line
  } cases[] = {
      {"two words", true, "  two_words: v\r\n"},
      {"  padded\t", true, "  padded: v\r\n"},
      {" a b  c ", true, "  a_b__c: v\r\n"},
      {"   ", false, nullptr},
      {"\r\n\t", false, nullptr},
      {"", false, nullptr},
      {nullptr, false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name ? c.name : "(null)");
    Logger log;
    EXPECT_EQ(log.addData(c.name, "v"), c.recorded);
    std::string expected = std::string("TavlinLog:\r\n") + (c.rendered ? c.rendered : "");
    EXPECT_EQ(textOf(log), expected);
    // The other data slots apply the same name rule.
    Logger other;
    EXPECT_EQ(other.addDataInt(c.name, 1), c.recorded);
    EXPECT_EQ(other.addDataInt64(c.name, 1), c.recorded);
    EXPECT_EQ(other.addDataHex(c.name, 1), c.recorded);
    other.addTickCount(c.name);
    if (!c.recorded) {
      EXPECT_EQ(textOf(other), "TavlinLog:\r\n");
    }
  }
}

TEST(Logger, NullValueIsRecordedAsNullMarker) {
  Logger log;
  EXPECT_TRUE(log.addData("value", nullptr));
  EXPECT_TRUE(log.addData("empty", ""));
  EXPECT_EQ(textOf(log), "TavlinLog:\r\n  value: (NULL)\r\n  empty: \r\n");
}

TEST(Logger, NumberFormats) {
  Logger log;
  log.addDataHex("h255", 255);
  log.addDataHex("h0", 0);
  log.addDataHex("hmax", 0xFFFFFFFFu);
  log.addDataHex("hmixed", 0xDEADBEEFu);
  log.addDataInt("iminus1", -1);
  log.addDataInt("imin", INT32_MIN);
  log.addDataInt("imax", INT32_MAX);
  log.addDataInt64("lminus1", -1);
  log.addDataInt64("lmin", INT64_MIN);
  log.addDataInt64("lbig", 5000000000LL);
  EXPECT_EQ(textOf(log),
            "TavlinLog:\r\n"
            "  h255: 0xff\r\n"
            "  h0: 0x0\r\n"
            "  hmax: 0xffffffff\r\n"
            "  hmixed: 0xdeadbeef\r\n"
            "  iminus1: -1\r\n"
            "  imin: -2147483648\r\n"
            "  imax: 2147483647\r\n"
            "  lminus1: -1\r\n"
            "  lmin: -9223372036854775808\r\n"
            "  lbig: 5000000000\r\n");
}

TEST(Logger, TickCountIsBareLowerCaseHex) {
  Logger log;
  uint32_t before = platform::tickCount();
  log.addTickCount("now");
  uint32_t after = platform::tickCount();
  std::string t = textOf(log);
  const std::string prefix = "TavlinLog:\r\n  now: ";
  ASSERT_EQ(t.compare(0, prefix.size(), prefix), 0) << t;
  ASSERT_GE(t.size(), prefix.size() + 3);
  std::string hex = t.substr(prefix.size(), t.size() - prefix.size() - 2);
  EXPECT_EQ(t.substr(t.size() - 2), "\r\n");
  EXPECT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos) << hex;
  uint32_t value = static_cast<uint32_t>(strtoul(hex.c_str(), nullptr, 16));
  EXPECT_LE(value - before, after - before);  // wrap-safe "between"
}

// One tree that exercises every kind of entry in all three forms.
class LoggerTree : public ::testing::Test {
 protected:
  void SetUp() override {
    log.openContext("LoadXml");
    log.addInfo("Parsing a<b");
    log.addData("path", "c:\\x & y");
    log.openContext("inner");
    log.addError("Bad \"tag\".");
    log.addNote("plain & simple");
    log.addDataInt("line", 12);
    log.closeContext();
    log.closeContext();
  }
  Logger log;
};

TEST_F(LoggerTree, IndentedText) {
  EXPECT_EQ(textOf(log),
            "TavlinLog:\r\n"
            "  LoadXml:\r\n"
            "    Parsing a<b\r\n"
            "    path: c:\\x & y\r\n"
            "    inner:\r\n"
            "      Bad \"tag\".\r\n"
            "      plain & simple\r\n"
            "      line: 12\r\n");
}

TEST_F(LoggerTree, XmlText) {
  EXPECT_EQ(xmlOf(log),
            "<TavlinLog>\r\n"
            "<LoadXml>\r\n"
            "<info><![CDATA[Parsing a<b]]></info>\r\n"
            "<path><![CDATA[c:\\x & y]]></path>\r\n"
            "<inner>\r\n"
            "<error>Bad \"tag\".</error>\r\n"
            "plain & simple\r\n"
            "<line>12</line>\r\n"
            "</inner>\r\n"
            "</LoadXml>\r\n"
            "</TavlinLog>\r\n");
}

TEST_F(LoggerTree, Html) {
  EXPECT_EQ(htmlOf(log),
            "TavlinLog:<blockquote>\r\n"
            "LoadXml:<blockquote>\r\n"
            "Parsing a&lt;b<br>\r\n"
            "path: c:\\x &amp; y<br>\r\n"
            "inner:<blockquote>\r\n"
            "Bad &quot;tag&quot;.<br>\r\n"
            "plain &amp; simple<br>\r\n"
            "line: 12<br>\r\n"
            "</blockquote>\r\n"
            "</blockquote>\r\n"
            "</blockquote>\r\n");
}

TEST_F(LoggerTree, ResetStartsAgainWithAnEmptyRoot) {
  EXPECT_TRUE(log.reset());
  EXPECT_EQ(textOf(log), "TavlinLog:\r\n");
  log.addInfo("again");
  EXPECT_EQ(textOf(log), "TavlinLog:\r\n  again\r\n");
}

TEST(Logger, XmlCdataRule) {
  struct Case {
    const char* value;
    const char* xml;  // the item's element
  } cases[] = {
      {"plain text", "<v>plain text</v>"},
      {"two\nlines", "<v><![CDATA[two\nlines]]></v>"},
      {"tab\there", "<v><![CDATA[tab\there]]></v>"},
      {"a & b", "<v><![CDATA[a & b]]></v>"},
      {"a > b", "<v><![CDATA[a > b]]></v>"},
      {"a < b", "<v><![CDATA[a < b]]></v>"},
      {"cr\ronly", "<v>cr\ronly</v>"},
      {"quote \" and ' stay", "<v>quote \" and ' stay</v>"},
      {"<![CDATA[x<y]]>", "<v><![CDATA[x<y]]></v>"},  // bare: already a section
      {"<x>\n<![CDATA[", "<v><![CDATA[<x>\n<![CDATA[]]></v>"},  // opener alone
      {"]]> & more", "<v><![CDATA[]]> & more]]></v>"},      // closer alone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Logger log;
    log.addData("v", c.value);
    EXPECT_EQ(xmlOf(log), std::string("<TavlinLog>\r\n") + c.xml + "\r\n</TavlinLog>\r\n");
    // Error and info lines follow the same rule; plain lines never wrap.
    Logger lines;
    lines.addError(c.value);
    lines.addNote(c.value);
    std::string inner(c.xml + 3, strlen(c.xml) - 7);
    EXPECT_EQ(xmlOf(lines), std::string("<TavlinLog>\r\n<error>") + inner + "</error>\r\n" +
                                c.value + "\r\n</TavlinLog>\r\n");
  }
}

TEST(Logger, WriteXmlFileWritesTheXmlRendering) {
  Logger log;
  log.openContext("ctx");
  log.addData("name", "multi\nline");
  log.addError("e");
  log.closeContext();
  std::string path = ::testing::TempDir() + "tavlin_logger_test.xml";
  std::remove(path.c_str());
  ASSERT_TRUE(log.writeXmlFile(path.c_str()));
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  in.close();
  EXPECT_EQ(content.str(), xmlOf(log));
  EXPECT_EQ(content.str(),
            "<TavlinLog>\r\n<ctx>\r\n<name><![CDATA[multi\nline]]></name>\r\n"
            "<error>e</error>\r\n</ctx>\r\n</TavlinLog>\r\n");

  // A second write replaces the whole content.
  log.reset();
  ASSERT_TRUE(log.writeXmlFile(path.c_str(), true));
  std::ifstream again(path, std::ios::binary);
  std::stringstream shorter;
  shorter << again.rdbuf();
  again.close();
  EXPECT_EQ(shorter.str(), "<TavlinLog>\r\n</TavlinLog>\r\n");
  std::remove(path.c_str());
}

TEST(Logger, WriteXmlFileReportsAFailedWrite) {
  Logger log;
  std::string path = ::testing::TempDir() + "no_such_dir_tavlin/x/log.xml";
  EXPECT_FALSE(log.writeXmlFile(path.c_str()));
  EXPECT_FALSE(log.writeXmlFile(nullptr));
}

// ---- Running out of memory --------------------------------------------------

class LoggerOutOfMemory : public ::testing::Test {
 protected:
  void TearDown() override { tavlinFailAllocations(0); }
};

TEST_F(LoggerOutOfMemory, EntriesAreDroppedAndSlotsStillSucceed) {
  Logger log;
  log.addInfo("before");
  tavlinFailAllocations(1000000);
  EXPECT_TRUE(log.openContext("Lost"));
  EXPECT_TRUE(log.addError("lost error"));
  EXPECT_TRUE(log.addData("lost", "item"));
  EXPECT_TRUE(log.addDataHex("lostHex", 1));
  EXPECT_TRUE(log.closeContext());
  EXPECT_TRUE(log.addInfo("lost too"));
  tavlinFailAllocations(0);
  log.addInfo("after");
  EXPECT_EQ(textOf(log), "TavlinLog:\r\n  before\r\n  after\r\n");
}

// A context that could not be recorded must not take a recorded one with it
// when it is closed, or later entries would land one level too high.
TEST_F(LoggerOutOfMemory, UnrecordedContextKeepsTheNestingBalanced) {
  Logger log;
  log.openContext("Outer");
  tavlinFailAllocations(1000000);
  log.openContext("Inner");
  log.addInfo("inside the lost context");
  tavlinFailAllocations(0);
  log.addInfo("still lost: its context is missing");
  log.closeContext();  // closes Inner
  log.addInfo("in Outer");
  log.closeContext();  // closes Outer
  log.addInfo("at the root");
  EXPECT_EQ(textOf(log),
            "TavlinLog:\r\n"
            "  Outer:\r\n"
            "    in Outer\r\n"
            "  at the root\r\n");
}

TEST_F(LoggerOutOfMemory, EveryPartOfAnEntryMayFail) {
  // Fail one allocation at each position of building an item in turn: the
  // item is either recorded whole or not at all, never half.
  for (int skip = 0; skip < 8; ++skip) {
    SCOPED_TRACE(skip);
    Logger log;
    tavlinFailAllocations(1, skip);
    log.addData("key", "value");
    tavlinFailAllocations(0);
    std::string t = textOf(log);
    EXPECT_TRUE(t == "TavlinLog:\r\n" || t == "TavlinLog:\r\n  key: value\r\n") << t;
  }
}

}  // namespace
