// TreeNode and TreeInfo: the XML document as a tree of elements.
//
// Every node of one tree shares one TreeInfo, the document information: the
// XML declaration, the "<?xml-stylesheet" instructions, the DOCTYPE text and
// the other processing instructions. The root owns the TreeInfo; the
// TreeInfo points back at the root without owning it. A node owns its tag,
// content, attributes and children. All text in the tree is UTF-8.
//
// Lifetime. Document objects (ClsXml) hold references: addRef on a node
// counts on the node and on its document. A document object that releases
// its node and finds the document's count at 0 deletes the root, and that
// deletes the whole tree. Nodes are otherwise deleted only with their tree.
//
// Nothing here recurses over the tree: deleting a tree and re-homing a
// subtree walk it with a work list, so the depth of a document is limited
// by memory, not by the stack.
//
// A live node or info carries the marker 0xCE; deleting it writes 0x31. A
// node whose marker is not 0xCE is treated as absent everywhere.
#pragma once

#include <cstdint>

#include "core/tavlin_object.h"

class AttributeSet;
class ExtPtrArray;
class StringBuffer;
class TreeNode;

class TreeInfo : public TavlinObject {
 public:
  static constexpr uint8_t kAlive = 0xCE;
  static constexpr uint8_t kDestroyed = 0x31;

  TreeInfo();
  // Releases the texts, the declaration and the stylesheet nodes; never the
  // root.
  ~TreeInfo() override;
  TreeInfo(const TreeInfo&) = delete;
  TreeInfo& operator=(const TreeInfo&) = delete;

  bool isAlive() const { return marker_ == kAlive; }

  TreeNode* root() const { return root_; }
  void setRoot(TreeNode* root) { root_ = root; }

  // A detached node tagged "xml" whose attributes are those of the XML
  // declaration; null when the document has none.
  TreeNode* declaration() const { return declaration_; }
  // Takes ownership of node (null removes); the previous one is deleted.
  void setDeclaration(TreeNode* node);

  int stylesheetCount() const;
  TreeNode* stylesheetAt(int i) const;
  // Takes ownership; false (and node deleted) when it cannot be stored.
  bool addStylesheet(TreeNode* node);

  // Null when the document has no such text.
  const StringBuffer* doctypeText() const { return doctypeText_; }
  const StringBuffer* piText() const { return piText_; }
  // Replace the text; null or empty removes it.
  void setDoctypeText(const char* text);
  void setPiText(const char* text);
  // As above for the first n bytes of text.
  void setDoctypeTextN(const char* text, int n);
  void setPiTextN(const char* text, int n);

  int refCount() const { return refCount_; }
  void addRefs(int n);
  void releaseRef();  // never below 0

 private:
  uint8_t marker_;
  TreeNode* root_;
  TreeNode* declaration_;
  ExtPtrArray* stylesheets_;
  StringBuffer* piText_;
  StringBuffer* doctypeText_;
  int32_t refCount_;
};

class TreeNode : public TavlinObject {
 public:
  static constexpr uint8_t kAlive = 0xCE;
  static constexpr uint8_t kDestroyed = 0x31;

  // ---- Creation (null when memory runs out) ----

  // A new node with a new TreeInfo whose root it is.
  static TreeNode* createRoot(const char* tag);
  // A new node appended as the last child of parent; createRoot when parent
  // is null (or not alive).
  static TreeNode* createChild(TreeNode* parent, const char* tag);
  // A node that belongs to no document (declarations, stylesheets, and
  // nodes about to be appended).
  static TreeNode* createDetached(const char* tag);

  // Deletes the children (without recursion) and, when this node is its
  // document's root, the TreeInfo.
  ~TreeNode() override;
  TreeNode(const TreeNode&) = delete;
  TreeNode& operator=(const TreeNode&) = delete;

  bool isAlive() const { return marker_ == kAlive; }

  // ---- Structure ----

  // Appends child as the last child of this node. Refused (false) when the
  // child has another parent or already belongs to this node's document
  // (which also refuses this node itself and its ancestors). The child's own
  // TreeInfo is deleted, its reference count carried over to this document,
  // and the child and its descendants get this node's TreeInfo.
  bool appendChild(TreeNode* child);

  int childCount() const;
  TreeNode* childAt(int i) const;  // null when out of range
  // A child list exists (it may be empty); such a node is written with an
  // end tag.
  bool hasChildList() const { return children_ != nullptr; }
  TreeNode* getParent() const { return parent_; }
  TreeNode* nextSibling() const { return next_; }
  TreeNode* previousSibling() const { return previous_; }
  // The first child whose tag equals tag exactly; the n-th (from 0) such.
  TreeNode* findChild(const char* tag) const;
  TreeNode* findChildN(int n, const char* tag) const;

  TreeInfo* info() const;  // null when none (or not alive)
  bool isDocumentRoot() const;

  // ---- Tag and content ----

  // Replaces the tag (null means empty) and keeps only name characters:
  // ASCII letters and digits, bytes >= 0x80 and "!-.:_".
  void setTag(const char* text);
  const char* getTag() const;  // never null
  bool tagEquals(const char* tag) const;

  // A text replaces the content, creating it if missing; null empties an
  // existing content.
  void setContent(const char* text);
  const char* getContent() const;  // never null
  bool hasContent() const { return content_ != nullptr; }
  int contentLength() const;
  // The content buffer, created (capacity 120) if missing; null only when
  // that fails.
  StringBuffer* contentBuffer();
  bool isCdata() const { return isCdata_ != 0; }
  void setCdata(bool cdata) { isCdata_ = cdata ? 1 : 0; }

  // ---- Attributes ----

  // An empty or null name is ignored. The name keeps only name characters;
  // a name that starts with a digit, "-" or "." as passed in gets "A" in
  // front. Duplicates are kept.
  void addAttribute(const char* name, const char* value);
  bool getAttribute(const char* name, StringBuffer& out) const;
  // Removes every attribute of that name (at most 101).
  void removeAttribute(const char* name);
  int attributeCount() const;
  const AttributeSet* attributes() const { return attributes_; }

  // ---- Document information (nothing without a TreeInfo) ----

  // Ensures a declaration (created with version = "1.0"), then replaces its
  // "encoding" attributes by encoding = value.
  void setEncoding(const char* value);
  // The declaration's "encoding" value; false without declaration or
  // attribute.
  bool getEncoding(StringBuffer& out) const;
  // Replace the DOCTYPE or processing-instruction text; empty removes it.
  void setDoctype(const char* text);
  void setPiText(const char* text);

  // ---- References ----

  void addRef();
  // Never below 0; a node without references releases nothing.
  void release();
  int refCount() const { return refCount_; }

 private:
  TreeNode();
  // Deletes every descendant, deepest first, climbing back through the
  // parent links: no recursion and no memory needed.
  void deleteDescendants();

  uint8_t marker_;
  uint8_t isCdata_;
  int32_t refCount_;
  TreeInfo* info_;
  StringBuffer* tag_;
  AttributeSet* attributes_;
  StringBuffer* content_;
  ExtPtrArray* children_;
  TreeNode* parent_;
  TreeNode* next_;
  TreeNode* previous_;
};
