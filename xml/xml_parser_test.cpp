#include "xml/xml_parser.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/string_buffer.h"
#include "log/logger.h"
#include "xml/attribute_set.h"
#include "xml/tree_node.h"

namespace {

struct TreeDeleter {
  void operator()(TreeNode* n) const { delete n; }
};
using Tree = std::unique_ptr<TreeNode, TreeDeleter>;

// A compact picture of a subtree: tag, attributes as name=[value], content
// as {text} ("!{...}" when marked CDATA, "{}" when present but empty), and
// children in brackets.
std::string dump(const TreeNode* n) {
  if (n == nullptr) return "<none>";
  std::string s = n->getTag();
  if (const AttributeSet* a = n->attributes()) {
    AttributeSet::Cursor c;
    const char* name;
    const char* value;
    int nl, vl;
    while (a->next(c, name, nl, value, vl)) {
      s += " " + std::string(name, nl) + "=[" + std::string(value, vl) + "]";
    }
  }
  if (n->hasContent()) s += std::string(n->isCdata() ? "!" : "") + "{" + n->getContent() + "}";
  if (n->childCount() > 0) {
    s += "[";
    for (int i = 0; i < n->childCount(); ++i) s += (i ? " " : "") + dump(n->childAt(i));
    s += "]";
  }
  return s;
}

Tree parse(const std::string& text, bool trim = true, LogBase* log = nullptr) {
  return Tree(parseXml(text.c_str(), log, trim));
}

std::string attr(const TreeNode* n, const char* name) {
  StringBuffer v;
  return n->getAttribute(name, v) ? std::string(v.getString()) : std::string("<absent>");
}

// ---- Structure ------------------------------------------------------------

TEST(XmlParserTest, ElementsTextAndClosingRules) {
  struct Case {
    const char* name;
    const char* text;
    const char* tree;
  } cases[] = {
      {"pieces around a child join with one space", "<r>a<c/>b</r>", "r{a b}[c]"},
      {"white space between tags is no content", "<r>\n  <c>1</c>\n  <d/>\n</r>", "r[c{1} d]"},
      {"end tag closes whatever is open", "<r><a>x</b>y</r>", "r{y}[a{x}]"},
      {"end tag at top level does nothing", "</x><r/>", "r"},
      {"second top-level element wins", "<a>1</a><b>2</b>", "b{2}"},
      {"text outside elements is ignored", "junk<r>t</r>more text", "r{t}"},
      {"open elements are closed at the end", "<a><b><c>text", "a[b[c{text}]]"},
      {"empty element tag", "<a/>", "a"},
      {"start tag straight followed by end tag", "<a></a>", "a"},
      {"self-closing slash after attributes", "<a x='1' / >tail", "a x=[1]"},
      {"slash right after the name", "<r><a/ x='1'><b/></r>", "r[a x=[1] b]"},
      {"tag keeps name characters only", "<my:tag-1.x_y$%/>", "my:tag-1.x_y"},
      {"a '<' inside the name is dropped", "<a<b/>", "ab"},
      {"white space after '<' is skipped", "< r >t</r>", "r{t}"},
      {"'<>' makes an element without tag", "<>x</>", "{x}"},
      {"completed root wins over open ones", "<a/><b><c>", "a"},
      {"comments disappear", "<r>a<!-- <x/> -->b</r>", "r{a b}"},
      {"'<!' other than comment or DOCTYPE is skipped", "<r><!ELEMENT r ANY>t</r>", "r{t}"},
      {"attribute quoting", "<r a='x\"y' b=\"p'q\"/>", "r a=[x\"y] b=[p'q]"},
      {"unquoted value runs to the next quote", "<r a=x b=\"y\">t</r>", "r a=[x b=] y=[]{t}"},
      {"attribute without value", "<r checked/>", "r checked=[]"},
      {"attribute names are cleaned", "<r 1st='a' b%c='d' \"q\"='e' -x='f'/>",
       "r A1st=[a] bc=[d] q=[e] A-x=[f]"},
      {"duplicate attributes are both kept", "<r a='1' a='2'/>", "r a=[1] a=[2]"},
      {"entities in attribute values", "<r a='&lt;&amp;lt;&#65;'/>", "r a=[<&lt;&#65;]"},
      {"unterminated attribute value", "<r a='abc", "r a=[abc]"},
      {"CDATA is kept as it is", "<r><![CDATA[<a>&amp;]]></r>", "r!{<a>&amp;}"},
      {"text after a CDATA section is dropped", "<r><![CDATA[x]]>dropped<c/></r>", "r!{x}[c]"},
      {"consecutive sections are joined", "<r><![CDATA[a]]> <![CDATA[b]]></r>", "r!{ab}"},
      {"section after text", "<r>t<![CDATA[c]]></r>", "r!{tc}"},
      {"lone ']' inside a section", "<r><![CDATA[a]b]]]></r>", "r!{a]b]}"},
      {"unterminated section takes the rest", "<r><![CDATA[abc</r>", "r!{abc</r>}"},
      {"empty section gives empty content", "<r><![CDATA[]]></r>", "r!{}"},
      {"later text decodes a section again", "<r><![CDATA[&amp;]]><c/>t</r>", "r!{& t}[c]"},
      {"instruction without '?>' becomes text", "<r><?pi text</r>", "r{pi text}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Tree root = parse(c.text);
    EXPECT_EQ(dump(root.get()), c.tree) << c.text;
  }
}

TEST(XmlParserTest, NoElementGivesNoRoot) {
  for (const char* text : {"", "   ", "just text", "<!-- only a comment -->", "</end>",
                           "<?xml version='1.0'?>", "<!DOCTYPE r>", "<",
                           // An unquoted declaration value runs to white space
                           // or a quote, here through the only element.
                           "<?xml encoding=utf-8?><r/>"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(parse(text), nullptr);
  }
}

TEST(XmlParserTest, WhiteSpaceKeptWithoutTrimming) {
  struct Case {
    const char* text;
    const char* trimmed;
    const char* kept;
  } cases[] = {
      {"<r>  a  </r>", "r{a}", "r{  a  }"},
      {"<r>  a  <c/>  b  </r>", "r{a b}[c]", "r{  a     b  }[c]"},
      {"<r>\r\n\t<c/>\r\n</r>", "r[c]", "r[c]"},
      {"<r>a\nb</r>", "r{a\nb}", "r{a\nb}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(dump(parse(c.text, true).get()), c.trimmed);
    EXPECT_EQ(dump(parse(c.text, false).get()), c.kept);
  }
}

// ---- Entities ----------------------------------------------------------------

TEST(XmlParserTest, ContentEntitiesDecodeOncePerPiece) {
  struct Case {
    const char* text;
    const char* tree;
  } cases[] = {
      {"<r>&lt;&gt;&quot;&apos;&amp;</r>", "r{<>\"'&}"},
      // An escaped reference decodes once when it is the only piece...
      {"<r>&amp;amp;</r>", "r{&amp;}"},
      {"<r>&amp;lt;</r>", "r{&lt;}"},
      // ...and again with every piece added after it.
      {"<r>&amp;lt;<c/>x</r>", "r{< x}[c]"},
      {"<r>&amp;amp;amp;<c/>x<c/>y</r>", "r{& x y}[c c]"},
      {"<r>&#65;&#x42;&unknown;&</r>", "r{&#65;&#x42;&unknown;&}"},
      // A CDATA section can complete an entity begun in text; the next
      // piece decodes it.
      {"<r>a&am<![CDATA[p;]]><c/>b</r>", "r!{a& b}[c]"},
      {"<r>a&am<![CDATA[p;]]></r>", "r!{a&amp;}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(dump(parse(c.text).get()), c.tree);
  }
}

// ---- Declaration, stylesheets, DOCTYPE, instructions -------------------------

TEST(XmlParserTest, DeclarationAttributes) {
  struct Case {
    const char* text;
    const char* declaration;
  } cases[] = {
      {"<?xml version=\"1.0\" encoding='utf-8' standalone=\"yes\"?><r/>",
       "xml version=[1.0] encoding=[utf-8] standalone=[yes]"},
      // A value ends at the first quote of either kind, or at a line end.
      {"<?xml version=\"1.0' encoding=\"x\"?><r/>", "xml version=[1.0] encoding=[x]"},
      {"<?xml version=\"1.0\nencoding=\"x\"?><r/>", "xml version=[1.0] encoding=[x]"},
      {"<?xml version=1.0 ?>\n<r/>", "xml version=[1.0]"},
      {"<?XML version='1.0'?><r/>", "XML version=[1.0]"},
      {"<?xml version='1.0'?><?xml version='2.0'?><r/>", "xml version=[2.0]"},
      {"<?xml a='&lt;'?><r/>", "xml a=[<]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Tree root = parse(c.text);
    ASSERT_NE(root, nullptr);
    ASSERT_NE(root->info(), nullptr);
    EXPECT_EQ(dump(root->info()->declaration()), c.declaration);
  }
}

TEST(XmlParserTest, DocumentInformationGoesToTheResult) {
  Tree root = parse(
      "<?xml version='1.0'?>\n"
      "<?xml-stylesheet type=\"text/xsl\" href=\"a.xsl\"?>\n"
      "<!DOCTYPE r [<!ENTITY e \"v\"><!ELEMENT r ANY>]>\n"
      "<?php echo 1 ?>\n"
      "<r/>");
  ASSERT_NE(root, nullptr);
  const TreeInfo* info = root->info();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->root(), root.get());
  EXPECT_EQ(dump(info->declaration()), "xml version=[1.0]");
  ASSERT_EQ(info->stylesheetCount(), 1);
  EXPECT_EQ(dump(info->stylesheetAt(0)), "xml-stylesheet type=[text/xsl] href=[a.xsl]");
  ASSERT_NE(info->doctypeText(), nullptr);
  EXPECT_STREQ(info->doctypeText()->getString(), "<!DOCTYPE r [<!ENTITY e \"v\"><!ELEMENT r ANY>]>\n");
  ASSERT_NE(info->piText(), nullptr);
  EXPECT_STREQ(info->piText()->getString(), "<?php echo 1 ?>\n");
}

TEST(XmlParserTest, FirstOfTwoTopLevelElementsTakesTheDeclarationWithIt) {
  // The declaration and stylesheets attach to the first element that
  // closes; it is then replaced by the second, which has neither. The
  // collected texts are never cleared, so the second still gets those.
  Tree root = parse("<?xml version='1.0'?><?xml-stylesheet href='s'?><?a?><a/><?b?><b/>");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->getTag(), std::string("b"));
  EXPECT_EQ(root->info()->declaration(), nullptr);
  EXPECT_EQ(root->info()->stylesheetCount(), 0);
  ASSERT_NE(root->info()->piText(), nullptr);
  EXPECT_STREQ(root->info()->piText()->getString(), "<?a?>\n<?b?>\n");
}

TEST(XmlParserTest, TextsCollectedAfterTheRootClosedAreNotItsOwn) {
  Tree root = parse("<r/><?late?><!DOCTYPE late>");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->info()->piText(), nullptr);
  EXPECT_EQ(root->info()->doctypeText(), nullptr);
}

// ---- Trouble reported to the log ---------------------------------------------

TEST(XmlParserTest, LogsItsThreeKindsOfTrouble) {
  struct Case {
    const char* text;
    const char* tree;
    const char* logged;  // in the log's text rendering
  } cases[] = {
      {"<r>t<!-- not closed <c/>", "r{t}", "Unclosed comment"},
      {"<r><!DOCTYPE x [<!ENTITY", "r", "Failed to parse DTD"},
      {"<r><a></a</r>", "r[a]", "error_tag: a"},
      {"</<r/>", "r", "Error in closing tag"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Logger log;
    Tree root = parse(c.text, true, &log);
    EXPECT_EQ(dump(root.get()), c.tree);
    StringBuffer text;
    log.toText(text);
    EXPECT_NE(std::string(text.getString()).find(c.logged), std::string::npos) << text.getString();
  }
}

TEST(XmlParserTest, IncompleteDoctypeStaysInTheDocument) {
  Tree root = parse("<r><!DOCTYPE x [<!ENTITY");
  ASSERT_NE(root, nullptr);
  ASSERT_NE(root->info()->doctypeText(), nullptr);
  EXPECT_STREQ(root->info()->doctypeText()->getString(), "<!DOCTYPE x [<!ENTITY\n");
}

TEST(XmlParserTest, CleanDocumentLogsNothing) {
  Logger log;
  Tree root = parse("<?xml version='1.0'?><r a='1'><!-- c --><c>x</c></r>", true, &log);
  ASSERT_NE(root, nullptr);
  StringBuffer text;
  log.toText(text);
  EXPECT_EQ(std::string(text.getString()).find("rror"), std::string::npos) << text.getString();
}

TEST(XmlParserTest, StopsAtAnEmbeddedNul) {
  const char bytes[] = "<r>a</r>\0<s/>";
  Tree root(parseXmlN(bytes, sizeof bytes - 1, nullptr, true));
  EXPECT_EQ(dump(root.get()), "r{a}");
}

TEST(XmlParserTest, SiblingLinksFollowDocumentOrder) {
  Tree root = parse("<r><a/><b/><c/></r>");
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->childCount(), 3);
  const TreeNode* a = root->childAt(0);
  const TreeNode* b = root->childAt(1);
  const TreeNode* c = root->childAt(2);
  EXPECT_EQ(a->previousSibling(), nullptr);
  EXPECT_EQ(a->nextSibling(), b);
  EXPECT_EQ(b->previousSibling(), a);
  EXPECT_EQ(b->nextSibling(), c);
  EXPECT_EQ(c->nextSibling(), nullptr);
  for (const TreeNode* n : {a, b, c}) {
    EXPECT_EQ(n->getParent(), root.get());
    EXPECT_EQ(n->info(), root->info());
  }
  EXPECT_EQ(attr(root.get(), "none"), "<absent>");
}

}  // namespace
