#include "xml/xml_serializer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/string_buffer.h"
#include "xml/tree_node.h"
#include "xml/xml_parser.h"

namespace {

struct TreeDeleter {
  void operator()(TreeNode* n) const { delete n; }
};
using Tree = std::unique_ptr<TreeNode, TreeDeleter>;

std::string write(TreeNode* node, bool omitDeclaration = false) {
  StringBuffer out;
  EXPECT_TRUE(serialize(node, out, 0, 0, omitDeclaration));
  return std::string(out.getString(), out.getSize());
}

std::string reformat(const char* text, bool trim = true) {
  Tree root(parseXml(text, nullptr, trim));
  EXPECT_NE(root, nullptr) << text;
  return root ? write(root.get()) : std::string();
}

TEST(XmlSerializerTest, FiveLineDocumentByteForByte) {
  Tree root(TreeNode::createRoot("R"));
  root->setEncoding("utf-8");
  TreeNode::createChild(root.get(), "C")->setContent("1");
  EXPECT_EQ(write(root.get()),
            "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n"
            "\r\n"
            "<R>\r\n"
            "    <C>1</C>\r\n"
            "</R>\r\n");
}

TEST(XmlSerializerTest, Layout) {
  struct Case {
    const char* name;
    const char* text;
    const char* written;
  } cases[] = {
      {"empty element", "<a></a>", "\r\n<a />\r\n"},
      {"siblings after the first need no blank line", "<r><a/><b>x</b><c/></r>",
       "\r\n<r>\r\n    <a />\r\n    <b>x</b>\r\n    <c />\r\n</r>\r\n"},
      {"content before the children", "<r>t<c/></r>", "\r\n<r>t\r\n    <c />\r\n</r>\r\n"},
      {"nested levels", "<a><b><c>1</c></b></a>",
       "\r\n<a>\r\n    <b>\r\n        <c>1</c>\r\n    </b>\r\n</a>\r\n"},
      {"attributes in order, duplicates kept", "<r b='2' a='1' b='3'/>",
       "\r\n<r b=\"2\" a=\"1\" b=\"3\" />\r\n"},
      {"content escaping", "<r>&quot;&amp;&apos;&lt;&gt;&#65;</r>",
       "\r\n<r>&quot;&amp;&apos;&lt;&gt;&amp;#65;</r>\r\n"},
      {"attribute escaping keeps character references",
       "<r a='&quot;&amp;&apos;&lt;&gt;' b='&#65;&#x41;&#y&'/>",
       "\r\n<r a=\"&quot;&amp;&apos;&lt;&gt;\" b=\"&#65;&#x41;&amp;#y&amp;\" />\r\n"},
      {"empty tag is written as nothing", "<>x</>", "\r\n<nothing>x</nothing>\r\n"},
      {"CDATA", "<r><![CDATA[<&>]]></r>", "\r\n<r><![CDATA[<&>]]></r>\r\n"},
      {"empty CDATA counts as no content", "<r><![CDATA[]]></r>", "\r\n<r />\r\n"},
      {"stylesheets, DOCTYPE, instructions",
       "<?xml-stylesheet href='a'?><?xml-stylesheet ?><!DOCTYPE r><?p?><r/>",
       "<?xml-stylesheet href=\"a\" ?>\r\n<!DOCTYPE r>\n\r\n<?p?>\n\r\n\r\n<r />\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(reformat(c.text), c.written);
  }
}

TEST(XmlSerializerTest, EndTagIndentedAfterContentEndingInLineFeed) {
  EXPECT_EQ(reformat("<r><c>a\n</c></r>", false), "\r\n<r>\r\n    <c>a\n    </c>\r\n</r>\r\n");
}

TEST(XmlSerializerTest, StandaloneMovesToTheEnd) {
  Tree root(parseXml("<?xml standalone='no' version='1.0' encoding='utf-8'?><r/>", nullptr, true));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(write(root.get()),
            "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\r\n\r\n<r />\r\n");
  EXPECT_EQ(write(root.get(), true), "\r\n<r />\r\n");
}

TEST(XmlSerializerTest, CdataTerminatorsInsideContentAreRemoved) {
  Tree root(TreeNode::createRoot("r"));
  root->setContent("a]]>b<![CDATA[c");
  root->setCdata(true);
  EXPECT_EQ(write(root.get()), "\r\n<r><![CDATA[abc]]></r>\r\n");
  root->setContent("x<![CDATA[y");  // no terminator: written as it is
  EXPECT_EQ(write(root.get()), "\r\n<r><![CDATA[x<![CDATA[y]]></r>\r\n");
}

TEST(XmlSerializerTest, IndentationStopsAtFiftyLevels) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "<e>";
  text += "x";
  Tree root(parseXml(text.c_str(), nullptr, true));
  ASSERT_NE(root, nullptr);
  const std::string out = write(root.get());
  for (int depth : {10, 50, 59}) {
    SCOPED_TRACE(depth);
    const int spaces = 4 * (depth < 50 ? depth : 50);
    const std::string line = "\r\n" + std::string(spaces, ' ') + "<e>";
    EXPECT_NE(out.find(line), std::string::npos);
  }
  EXPECT_EQ(out.find(std::string(201, ' ')), std::string::npos);
  EXPECT_NE(out.find(std::string(200, ' ') + "<e>x</e>\r\n"), std::string::npos);
}

TEST(XmlSerializerTest, SubtreeFromTheMiddleUsesIndexAndDepth) {
  Tree root(parseXml("<r><a><b/></a></r>", nullptr, true));
  ASSERT_NE(root, nullptr);
  StringBuffer out;
  ASSERT_TRUE(serialize(root->childAt(0), out, 1, 1, false));
  EXPECT_STREQ(out.getString(), "    <a>\r\n        <b />\r\n    </a>\r\n");
}

}  // namespace
