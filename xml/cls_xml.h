// ClsXml: the XML document object that application code holds.
//
// The object refers to one node of a tree (in this system always the root)
// and holds one reference on it; the tree lives while some document object
// refers to one of its nodes. A new object holds a document whose root is
// tagged "unnamed", without declaration. Loading replaces the whole tree
// when a root comes out and otherwise keeps the previous one; writing
// serializes it. The child-by-tag accessors are what the embedded
// configuration is built on.
//
// Every public operation enters and leaves the object's lock (which does
// nothing in this single-threaded system). An object whose node is absent
// (its creation ran out of memory) does nothing and reports false.
#pragma once

#include "core/tavlin_crit_sec.h"
#include "xml/cls_base.h"

class StringBuffer;
class TreeNode;
class XString;

class ClsXml : public ClsBase {
 public:
  ClsXml();
  // Releases the reference; the tree goes with the last one.
  ~ClsXml() override;

  // ---- Loading and writing ----

  // Loads from XML text (its UTF-8 form). A text without "<" that, trimmed,
  // is shorter than 100 bytes and ends in ".xml" (any case) is taken as a
  // file name for LoadXmlFile. Logs under "LoadXml".
  bool LoadXml(XString& text, bool trimWhitespace);
  // Loads the file at path (bytes brought to UTF-8 from a byte-order mark
  // or the declared encoding). Logs under "LoadXmlFile", ending with
  // "Success." or the error "Failed.".
  bool LoadXmlFile(XString& path, bool trimWhitespace);
  // The document as text (declaration included) into a cleared buffer.
  bool WriteXml(StringBuffer& out);
  bool WriteXml(XString& out);

  // ---- The held node ----

  void SetTagName(const char* tag);
  // The name is trimmed and loses every space, CR, LF, ">", "<" and "/".
  void SetDeclaredEncoding(const char* charset);

  // ---- Children by tag (the first child whose tag equals tag exactly) ----

  // out := that child's content (empty when it has none). False, with out
  // empty, when no child has the tag.
  bool ChildText(const char* tag, StringBuffer& out);
  int ChildInt(const char* tag);    // the content as "%d" reads it; 0 when absent
  bool ChildFlag(const char* tag);  // ChildInt != 0
  // The first child with tag (as passed in, trimmed) gets the text as its
  // content; without one a child is appended, its tag trimmed with spaces
  // turned into "_".
  void SetChildText(const char* tag, const char* text);
  void SetChildInt(const char* tag, int value);
  void SetChildFlag(const char* tag, bool flag);  // "1" or "0"

  // The held node, for code that walks the tree; null when absent.
  TreeNode* node() const;

 private:
  bool loadXmlUtf8(const char* text, bool trimWhitespace);
  bool loadXmlFileUtf8(const char* path, bool trimWhitespace);
  // Takes root as the held node, dropping the previous tree when this was
  // its last reference.
  void replaceNode(TreeNode* root);
  void releaseNode();
  bool writeXml(StringBuffer& out);

  TavlinCritSec lock_;
  TreeNode* node_;
};
