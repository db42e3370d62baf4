#include "log/log_base.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/string_buffer.h"
#include "log/logger.h"
#include "platform/platform.h"

namespace {

std::string textOf(LogBase& log) {
  StringBuffer out;
  log.toText(out);
  return std::string(out.getString(), out.getSize());
}

TEST(LogNull, DiscardsEverythingAndLeavesRenderingsUntouched) {
  LogNull log;
  EXPECT_TRUE(log.openContext("ctx"));
  EXPECT_TRUE(log.addError("e"));
  EXPECT_TRUE(log.addInfo("i"));
  EXPECT_TRUE(log.addNote("n"));
  EXPECT_TRUE(log.addData("d", "v"));
  EXPECT_TRUE(log.addData("   ", "v"));  // no name rule: nothing is recorded anyway
  EXPECT_TRUE(log.addDataInt("i", 1));
  EXPECT_TRUE(log.addDataInt64("l", 1));
  EXPECT_TRUE(log.addDataHex("h", 1));
  log.addTickCount("t");
  log.addDataBytes("b", reinterpret_cast<const unsigned char*>("ab"), 2);
  log.addLastWindowsError();
  log.addWindowsError(2);
  EXPECT_TRUE(log.closeContext());
  EXPECT_TRUE(log.reset());
  EXPECT_TRUE(log.writeXmlFile("unused"));

  StringBuffer out("previous");
  log.toText(out);
  EXPECT_STREQ(out.getString(), "previous");
  log.toXmlText(out);
  EXPECT_STREQ(out.getString(), "previous");
  log.toHtml(out);
  EXPECT_STREQ(out.getString(), "previous");
}

TEST(LogBase, AddDataBytesWritesTheHexDump) {
  const unsigned char bytes[] = {0x00, 0x01, 0xab, 0xFF, 0x10, 0x20, 0x30, 0x40, 0x50,
                                 0x60, 0x70, 0x80, 0x90, 0xa0, 0xb0, 0xc0, 0xd0, 0xe0};
  Logger log;
  log.addDataBytes("three", bytes, 3);
  log.addDataBytes("none", bytes, 0);
  log.addDataBytes("nullptr", nullptr, 5);
  log.addDataBytes("eighteen", bytes, 18);
  EXPECT_EQ(textOf(log),
            "TavlinLog:\r\n"
            "  three: 0001 AB\r\n"
            "  none: \r\n"
            "  nullptr: \r\n"
            "  eighteen: 0001 ABFF 1020 3040 5060 7080 90A0 B0C0 \nD0E0 \r\n");
}

TEST(LogBase, AddDataBytesOfALongRunEqualsOneDump) {
  // Longer than the pieces the dump is built from, and not a multiple of 16.
  std::vector<unsigned char> bytes(16 * 65536 + 16 * 3 + 5);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + (i >> 8));
  StringBuffer expected;
  ASSERT_TRUE(expected.appendHexDump(bytes.data(), static_cast<int>(bytes.size())));
  Logger log;
  log.addDataBytes("b", bytes.data(), static_cast<uint32_t>(bytes.size()));
  EXPECT_EQ(textOf(log), std::string("TavlinLog:\r\n  b: ") + expected.getString() + "\r\n");
}

TEST(LogBase, AddLastWindowsErrorRecordsTextAndCode) {
  Logger log;
  platform::setLastError(2);
  log.addLastWindowsError();
  std::string t = textOf(log);
  const std::string head = "TavlinLog:\r\n  WindowsError: ";
  const std::string tail = "\r\n  WindowsErrorCode: 0x2\r\n";
  ASSERT_GT(t.size(), head.size() + tail.size()) << t;  // the text is not empty
  EXPECT_EQ(t.compare(0, head.size(), head), 0) << t;
  EXPECT_EQ(t.compare(t.size() - tail.size(), tail.size(), tail), 0) << t;
  std::string message = t.substr(head.size(), t.size() - head.size() - tail.size());
  StringBuffer trimmed(message.c_str());
  trimmed.trim();
  EXPECT_EQ(message, trimmed.getString());
  EXPECT_EQ(message.find('\n'), std::string::npos);
}

TEST(LogBase, AddWindowsError) {
  Logger none;
  none.addWindowsError(0);
  EXPECT_EQ(textOf(none), "TavlinLog:\r\n");

  Logger log;
  log.addWindowsError(2);
  std::string t = textOf(log);
  const std::string head = "TavlinLog:\r\n  WindowsError: ";
  EXPECT_EQ(t.compare(0, head.size(), head), 0) << t;
  EXPECT_NE(t.find(platform::systemErrorText(2)), std::string::npos) << t;
  EXPECT_EQ(t.find("WindowsErrorCode"), std::string::npos);
}

bool failingStep(LogBase& log, bool failEarly) {
  LogContextExit ctx(log, "failingStep");
  if (failEarly) {
    log.addError("Early exit.");
    return false;
  }
  log.addInfo("Went on.");
  return true;
}

TEST(LogContextExit, ClosesTheContextOnEveryPath) {
  Logger log;
  log.openContext("caller");
  EXPECT_FALSE(failingStep(log, true));
  EXPECT_TRUE(failingStep(log, false));
  log.addInfo("back in caller");
  log.closeContext();
  EXPECT_EQ(textOf(log),
            "TavlinLog:\r\n"
            "  caller:\r\n"
            "    failingStep:\r\n"
            "      Early exit.\r\n"
            "    failingStep:\r\n"
            "      Went on.\r\n"
            "    back in caller\r\n");
}

}  // namespace
