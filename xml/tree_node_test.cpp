#include "xml/tree_node.h"

#include <gtest/gtest.h>

#include <string>

#include "core/string_buffer.h"
#include "core/tavlin_alloc.h"

namespace {

std::string value(const TreeNode& n, const char* name) {
  StringBuffer v;
  return n.getAttribute(name, v) ? std::string(v.getString()) : std::string("<absent>");
}

TEST(TreeNodeTest, TagKeepsNameCharactersOnly) {
  struct Case {
    const char* in;
    const char* tag;
  } cases[] = {
      {"plain", "plain"},       {"ns:a-b.c_d!", "ns:a-b.c_d!"}, {"a b\tc", "abc"},
      {"<x>/=\"'", "x"},        {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
      {"", ""},                 {nullptr, ""},
  };
  TreeNode* n = TreeNode::createRoot("x");
  for (const Case& c : cases) {
    n->setTag(c.in);
    EXPECT_STREQ(n->getTag(), c.tag);
  }
  delete n;
}

TEST(TreeNodeTest, AttributeNamesAreCleanedAndMayNotStartWithDigitDashOrDot) {
  TreeNode* n = TreeNode::createRoot("r");
  n->addAttribute("1st", "a");
  n->addAttribute("-x", "b");
  n->addAttribute(".y", "c");
  n->addAttribute("we ird%", "d");
  n->addAttribute("", "ignored");
  n->addAttribute(nullptr, "ignored");
  n->addAttribute("nullValue", nullptr);
  n->addAttribute("dup", "1");
  n->addAttribute("dup", "2");
  EXPECT_EQ(n->attributeCount(), 7);
  EXPECT_EQ(value(*n, "A1st"), "a");
  EXPECT_EQ(value(*n, "A-x"), "b");
  EXPECT_EQ(value(*n, "A.y"), "c");
  EXPECT_EQ(value(*n, "weird"), "d");
  EXPECT_EQ(value(*n, "nullValue"), "");
  EXPECT_EQ(value(*n, "dup"), "1");
  n->removeAttribute("dup");
  EXPECT_EQ(value(*n, "dup"), "<absent>");
  EXPECT_EQ(n->attributeCount(), 5);
  delete n;
}

TEST(TreeNodeTest, ContentNullEmptiesButDoesNotCreate) {
  TreeNode* n = TreeNode::createRoot("r");
  n->setContent(nullptr);
  EXPECT_FALSE(n->hasContent());
  n->setContent("text");
  EXPECT_STREQ(n->getContent(), "text");
  n->setContent(nullptr);
  EXPECT_TRUE(n->hasContent());
  EXPECT_STREQ(n->getContent(), "");
  delete n;
}

TEST(TreeNodeTest, FindChildIsExactAndCounts) {
  TreeNode* r = TreeNode::createRoot("r");
  TreeNode* a1 = TreeNode::createChild(r, "a");
  TreeNode::createChild(r, "A");
  TreeNode* a2 = TreeNode::createChild(r, "a");
  EXPECT_EQ(r->findChild("a"), a1);
  EXPECT_EQ(r->findChildN(1, "a"), a2);
  EXPECT_EQ(r->findChildN(2, "a"), nullptr);
  EXPECT_EQ(r->findChildN(-1, "a"), nullptr);
  EXPECT_EQ(r->findChild("b"), nullptr);
  EXPECT_EQ(r->childAt(3), nullptr);
  EXPECT_EQ(r->childAt(-1), nullptr);
  delete r;
}

TEST(TreeNodeTest, AppendChildRefusesOwnDocumentAndOtherParents) {
  TreeNode* doc = TreeNode::createRoot("doc");
  TreeNode* child = TreeNode::createChild(doc, "child");
  TreeNode* grandChild = TreeNode::createChild(child, "grand");
  TreeNode* other = TreeNode::createRoot("other");
  TreeNode* otherChild = TreeNode::createChild(other, "x");

  EXPECT_FALSE(doc->appendChild(doc));
  EXPECT_FALSE(grandChild->appendChild(doc));    // an ancestor
  EXPECT_FALSE(doc->appendChild(grandChild));    // same document
  EXPECT_FALSE(doc->appendChild(child));         // already a child here
  EXPECT_FALSE(doc->appendChild(otherChild));    // another parent
  EXPECT_FALSE(doc->appendChild(nullptr));
  EXPECT_EQ(doc->childCount(), 1);
  EXPECT_EQ(otherChild->getParent(), other);
  EXPECT_EQ(otherChild->info(), other->info());

  // Detached trees have no document to compare: the ancestor walk refuses
  // the cycle instead.
  TreeNode* loose = TreeNode::createDetached("loose");
  TreeNode* looseChild = TreeNode::createDetached("lc");
  ASSERT_TRUE(loose->appendChild(looseChild));
  EXPECT_FALSE(looseChild->appendChild(loose));
  delete loose;
  delete other;
  delete doc;
}

TEST(TreeNodeTest, AppendedRootJoinsTheDocumentWithItsReferences) {
  TreeNode* doc = TreeNode::createRoot("doc");
  doc->addRef();
  TreeNode* sub = TreeNode::createRoot("sub");
  sub->setEncoding("latin1");  // its own document information goes away
  TreeNode* deep = TreeNode::createChild(TreeNode::createChild(sub, "a"), "b");
  TreeNode::createChild(sub, "c");
  deep->addRef();
  deep->addRef();
  ASSERT_EQ(sub->info()->refCount(), 2);

  ASSERT_TRUE(doc->appendChild(sub));
  EXPECT_EQ(sub->getParent(), doc);
  EXPECT_FALSE(sub->isDocumentRoot());
  EXPECT_EQ(doc->info()->refCount(), 3);
  for (const TreeNode* n : {sub, sub->childAt(0), deep, sub->childAt(1)}) {
    EXPECT_EQ(n->info(), doc->info());
  }
  StringBuffer encoding;
  EXPECT_FALSE(doc->getEncoding(encoding));

  deep->release();
  deep->release();
  deep->release();  // never below 0
  EXPECT_EQ(deep->refCount(), 0);
  EXPECT_EQ(doc->info()->refCount(), 1);
  doc->release();
  doc->release();
  EXPECT_EQ(doc->info()->refCount(), 0);
  delete doc;
}

TEST(TreeNodeTest, EncodingCreatesTheDeclarationOnce) {
  TreeNode* r = TreeNode::createRoot("r");
  StringBuffer out;
  EXPECT_FALSE(r->getEncoding(out));
  r->setEncoding("utf-8");
  r->setEncoding("windows-1252");
  ASSERT_TRUE(r->getEncoding(out));
  EXPECT_STREQ(out.getString(), "windows-1252");
  TreeNode* decl = r->info()->declaration();
  ASSERT_NE(decl, nullptr);
  EXPECT_STREQ(decl->getTag(), "xml");
  EXPECT_EQ(decl->attributeCount(), 2);
  EXPECT_EQ(value(*decl, "version"), "1.0");

  r->setDoctype("<!DOCTYPE r>");
  r->setPiText("<?p?>");
  EXPECT_STREQ(r->info()->doctypeText()->getString(), "<!DOCTYPE r>");
  r->setDoctype("");
  r->setPiText(nullptr);
  EXPECT_EQ(r->info()->doctypeText(), nullptr);
  EXPECT_EQ(r->info()->piText(), nullptr);

  TreeNode* loose = TreeNode::createDetached("loose");
  loose->setEncoding("utf-8");  // no document: nothing happens
  EXPECT_FALSE(loose->getEncoding(out));
  delete loose;
  delete r;
}

TEST(TreeNodeTest, DeepAndWideTreesAreDeletedWithoutRecursion) {
  // 200,000 levels overflow an 8 MiB stack (and Windows' 1 MiB one many
  // times over) if deletion recursed.
  TreeNode* root = TreeNode::createRoot("r");
  TreeNode* n = root;
  for (int i = 0; i < 200000; ++i) n = TreeNode::createChild(n, "d");
  for (int i = 0; i < 100000; ++i) TreeNode::createChild(root, "w");
  EXPECT_EQ(root->childCount(), 100001);
  delete root;
}

TEST(TreeNodeTest, AppendingADeepSubtreeWalksItWithoutRecursion) {
  TreeNode* doc = TreeNode::createRoot("doc");
  TreeNode* sub = TreeNode::createRoot("sub");
  TreeNode* n = sub;
  for (int i = 0; i < 200000; ++i) n = TreeNode::createChild(n, "d");
  ASSERT_TRUE(doc->appendChild(sub));
  EXPECT_EQ(n->info(), doc->info());
  delete doc;
}

TEST(TreeNodeTest, FailedAllocationsLeaveNodesAbsent) {
  TreeNode* r = TreeNode::createRoot("r");
  for (int skip = 0; skip < 6; ++skip) {
    tavlinFailAllocations(1, skip);
    TreeNode* c = TreeNode::createChild(r, "child");
    tavlinFailAllocations(0);
    if (c != nullptr) {
      EXPECT_EQ(c->getParent(), r);
    }
  }
  for (int i = 0; i < r->childCount(); ++i) EXPECT_EQ(r->childAt(i)->getParent(), r);
  tavlinFailAllocations(1);
  r->addAttribute("a", "1");
  tavlinFailAllocations(0);
  EXPECT_EQ(value(*r, "a") == "1", r->attributeCount() == 1);
  delete r;
}

}  // namespace
