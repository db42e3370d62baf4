#include "xml/cls_xml.h"

#include <gtest/gtest.h>

#include <string>

#include "core/string_buffer.h"
#include "encoding/x_string.h"
#include "platform/platform.h"
#include "xml/tree_node.h"

namespace {

std::string written(ClsXml& xml) {
  StringBuffer out("stale");
  EXPECT_TRUE(xml.WriteXml(out));
  return std::string(out.getString(), out.getSize());
}

std::string logText(ClsXml& xml) {
  StringBuffer out;
  xml.lastErrorText(out);
  return out.getString();
}

bool load(ClsXml& xml, const std::string& text, bool trim = true) {
  XString x;
  x.setFromUtf8(text.c_str());
  return xml.LoadXml(x, trim);
}

std::string childText(ClsXml& xml, const char* tag) {
  StringBuffer out;
  return xml.ChildText(tag, out) ? std::string(out.getString()) : std::string("<none>");
}

// A file in the test's temporary folder, removed again at the end.
class TempFile {
 public:
  TempFile(const char* name, const std::string& bytes) : path_(::testing::TempDir() + name) {
    EXPECT_TRUE(platform::writeWholeFileAnsi(path_.c_str(), bytes.data(), bytes.size()));
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

bool loadFile(ClsXml& xml, const std::string& path) {
  XString x;
  x.setFromUtf8(path.c_str());
  return xml.LoadXmlFile(x, true);
}

TEST(ClsXmlTest, NewDocumentAndDeclaredEncoding) {
  ClsXml xml;
  EXPECT_EQ(written(xml), "\r\n<unnamed />\r\n");
  xml.SetDeclaredEncoding(" <utf-8/>\r\n");
  EXPECT_EQ(written(xml), "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n\r\n<unnamed />\r\n");
  xml.SetDeclaredEncoding("windows-1252");
  EXPECT_EQ(written(xml),
            "<?xml version=\"1.0\" encoding=\"windows-1252\" ?>\r\n\r\n<unnamed />\r\n");
  xml.SetTagName("Doc Name");
  XString asX;
  EXPECT_TRUE(xml.WriteXml(asX));
  EXPECT_STREQ(asX.getUtf8(),
               "<?xml version=\"1.0\" encoding=\"windows-1252\" ?>\r\n\r\n<DocName />\r\n");
}

TEST(ClsXmlTest, ChildAccessors) {
  ClsXml xml;
  ASSERT_TRUE(load(xml, "<r><empty/><n> 2 </n><t>true</t><neg>-1</neg><zero>0</zero><mixed>12ab</mixed>"
                        "<dup>first</dup><dup>second</dup><deep><x>9</x></deep></r>"));
  EXPECT_EQ(childText(xml, "absent"), "<none>");
  EXPECT_EQ(childText(xml, "empty"), "");
  EXPECT_EQ(childText(xml, "dup"), "first");
  EXPECT_EQ(childText(xml, "x"), "<none>");  // only direct children count
  EXPECT_EQ(childText(xml, "N"), "<none>");  // tags are case-sensitive
  struct Case {
    const char* tag;
    int value;
  } cases[] = {{"n", 2}, {"t", 0}, {"neg", -1}, {"zero", 0}, {"mixed", 12}, {"absent", 0}, {"empty", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    EXPECT_EQ(xml.ChildInt(c.tag), c.value);
    EXPECT_EQ(xml.ChildFlag(c.tag), c.value != 0);
  }
}

TEST(ClsXmlTest, SetChildTextUpdatesTheFirstOrAppends) {
  ClsXml xml;
  xml.SetChildText("a", "1");
  xml.SetChildText("  a ", "2");  // trimmed: finds a
  xml.SetChildInt("n", -42);
  xml.SetChildFlag("f", true);
  xml.SetChildFlag("g", false);
  xml.SetChildText("my key", "x");
  xml.SetChildText("my key", "y");  // looked up with the space: not found again
  xml.SetChildText("esc", "<&>");
  EXPECT_EQ(written(xml),
            "\r\n<unnamed>\r\n"
            "    <a>2</a>\r\n"
            "    <n>-42</n>\r\n"
            "    <f>1</f>\r\n"
            "    <g>0</g>\r\n"
            "    <my_key>x</my_key>\r\n"
            "    <my_key>y</my_key>\r\n"
            "    <esc>&lt;&amp;&gt;</esc>\r\n"
            "</unnamed>\r\n");
  EXPECT_EQ(childText(xml, "my_key"), "x");
}

TEST(ClsXmlTest, FailedLoadKeepsThePreviousDocument) {
  ClsXml xml;
  ASSERT_TRUE(load(xml, "<r><b>1</b></r>"));
  for (const char* bad : {"", "no markup", "<!-- nothing -->"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(load(xml, bad));
    EXPECT_EQ(childText(xml, "b"), "1");
  }
  // An unclosed comment is logged, but the open element is still a root.
  EXPECT_TRUE(load(xml, "<r><!-- open"));
  EXPECT_NE(logText(xml).find("Unclosed comment"), std::string::npos);
  EXPECT_EQ(childText(xml, "b"), "<none>");
}

TEST(ClsXmlTest, LoadLogsUnderItsOwnContext) {
  ClsXml xml;
  EXPECT_TRUE(load(xml, "<r><a></a</r>"));
  const std::string log = logText(xml);
  EXPECT_NE(log.find("LoadXml"), std::string::npos);
  EXPECT_NE(log.find("Error in closing tag"), std::string::npos);
  // The next load starts a fresh log.
  EXPECT_TRUE(load(xml, "<r/>"));
  EXPECT_EQ(logText(xml).find("Error in closing tag"), std::string::npos);
}

TEST(ClsXmlTest, ShortTextNamingAnXmlFileLoadsTheFile) {
  TempFile file("tavlin_cls_xml_name.XmL", "<fromFile><k>v</k></fromFile>");
  if (file.path().size() >= 95) GTEST_SKIP() << "temporary folder name too long for the rule";
  ClsXml xml;
  ASSERT_TRUE(load(xml, "  " + file.path() + " \r\n"));
  EXPECT_EQ(childText(xml, "k"), "v");
  EXPECT_NE(logText(xml).find("Success."), std::string::npos);

  // A long name is text, and text without an element fails.
  EXPECT_FALSE(load(xml, std::string(100, 'x') + ".xml"));
  EXPECT_EQ(childText(xml, "k"), "v");
}

TEST(ClsXmlTest, LoadXmlFileReportsMissingFiles) {
  ClsXml xml;
  const std::string path = ::testing::TempDir() + "tavlin_no_such_file.xml";
  EXPECT_FALSE(loadFile(xml, path));
  const std::string log = logText(xml);
  EXPECT_NE(log.find("LoadXmlFile"), std::string::npos);
  EXPECT_NE(log.find("Failed."), std::string::npos);
  EXPECT_NE(log.find(path), std::string::npos);
  EXPECT_EQ(written(xml), "\r\n<unnamed />\r\n");
}

TEST(ClsXmlTest, FileEncodings) {
  const std::string eAcute = "\xC3\xA9";
  // UTF-16 text of the ASCII-and-Latin-1 string s, with a byte-order mark.
  auto utf16 = [](const std::string& latin1, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (unsigned char c : latin1) {
      const char hi = 0, lo = static_cast<char>(c);
      out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
  };
  struct Case {
    const char* name;
    std::string bytes;
    std::string content;   // of child "c"
    std::string encoding;  // declared afterwards
  } cases[] = {
      {"UTF-16LE declared utf-16", utf16("<?xml version='1.0' encoding='UTF-16'?><r><c>\xE9</c></r>", false),
       eAcute, "utf-8"},
      {"UTF-16BE declared ucs-2", utf16("<?xml version='1.0' encoding='ucs-2'?><r><c>\xE9</c></r>", true),
       eAcute, "utf-8"},
      {"windows-1252 by declaration",
       "<?xml version=\"1.0\" encoding = \"Windows-1252\"?><r><c>\xE9\x80</c></r>", eAcute + "\xE2\x82\xAC",
       "Windows-1252"},
      {"UTF-8 mark wins over the declaration",
       "\xEF\xBB\xBF<?xml version='1.0' encoding='windows-1252'?><r><c>" + eAcute + "</c></r>", eAcute,
       "windows-1252"},
      {"declared utf-8 is taken as it is", "<?xml encoding='UTF-8'?><r><c>" + eAcute + "</c></r>", eAcute,
       "UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFile file("tavlin_cls_xml_encoding.xml", c.bytes);
    ClsXml xml;
    ASSERT_TRUE(loadFile(xml, file.path())) << logText(xml);
    EXPECT_EQ(childText(xml, "c"), c.content);
    StringBuffer encoding;
    ASSERT_TRUE(xml.node()->getEncoding(encoding));
    EXPECT_EQ(std::string(encoding.getString()), c.encoding);
  }
}

TEST(ClsXmlTest, UnknownDeclaredEncodingGivesNoDocument) {
  TempFile file("tavlin_cls_xml_unknown.xml", "<?xml version='1.0' encoding='x-no-such-set'?><r/>");
  ClsXml xml;
  ASSERT_TRUE(load(xml, "<keep/>"));
  EXPECT_FALSE(loadFile(xml, file.path()));
  EXPECT_NE(logText(xml).find("Failed."), std::string::npos);
  EXPECT_STREQ(xml.node()->getTag(), "keep");
}

}  // namespace
