#include "xml/tree_node.h"

#include <cstring>
#include <new>

#include "core/ext_ptr_array.h"
#include "core/string_buffer.h"
#include "xml/attribute_set.h"

// ============================================================================
// TreeInfo
// ============================================================================

TreeInfo::TreeInfo()
    : marker_(kAlive),
      root_(nullptr),
      declaration_(nullptr),
      stylesheets_(nullptr),
      piText_(nullptr),
      doctypeText_(nullptr),
      refCount_(0) {}

TreeInfo::~TreeInfo() {
  marker_ = kDestroyed;
  delete declaration_;
  if (stylesheets_ != nullptr) {
    stylesheets_->deleteAll();
    delete stylesheets_;
  }
  delete piText_;
  delete doctypeText_;
}

void TreeInfo::setDeclaration(TreeNode* node) {
  if (node == declaration_) return;
  delete declaration_;
  declaration_ = node;
}

int TreeInfo::stylesheetCount() const { return stylesheets_ ? stylesheets_->count() : 0; }

TreeNode* TreeInfo::stylesheetAt(int i) const {
  return stylesheets_ ? static_cast<TreeNode*>(stylesheets_->get(i)) : nullptr;
}

bool TreeInfo::addStylesheet(TreeNode* node) {
  if (node == nullptr) return false;
  if (stylesheets_ == nullptr) stylesheets_ = new (std::nothrow) ExtPtrArray();
  if (stylesheets_ == nullptr || !stylesheets_->append(node)) {
    delete node;
    return false;
  }
  return true;
}

namespace {

void replaceText(StringBuffer*& slot, const char* text, int n) {
  delete slot;
  slot = nullptr;
  if (text == nullptr || n <= 0) return;
  slot = new (std::nothrow) StringBuffer(text, n, 0);
}

}  // namespace

void TreeInfo::setDoctypeText(const char* text) {
  setDoctypeTextN(text, text ? static_cast<int>(std::strlen(text)) : 0);
}
void TreeInfo::setPiText(const char* text) {
  setPiTextN(text, text ? static_cast<int>(std::strlen(text)) : 0);
}
void TreeInfo::setDoctypeTextN(const char* text, int n) { replaceText(doctypeText_, text, n); }
void TreeInfo::setPiTextN(const char* text, int n) { replaceText(piText_, text, n); }

void TreeInfo::addRefs(int n) { refCount_ += n; }

void TreeInfo::releaseRef() {
  if (refCount_ > 0) --refCount_;
}

// ============================================================================
// TreeNode: creation and deletion
// ============================================================================

TreeNode::TreeNode()
    : marker_(kAlive),
      isCdata_(0),
      refCount_(0),
      info_(nullptr),
      tag_(nullptr),
      attributes_(nullptr),
      content_(nullptr),
      children_(nullptr),
      parent_(nullptr),
      next_(nullptr),
      previous_(nullptr) {}

TreeNode* TreeNode::createDetached(const char* tag) {
  TreeNode* node = new (std::nothrow) TreeNode();
  if (node != nullptr) node->setTag(tag);
  return node;
}

TreeNode* TreeNode::createRoot(const char* tag) {
  TreeNode* node = createDetached(tag);
  if (node == nullptr) return nullptr;
  node->info_ = new (std::nothrow) TreeInfo();
  if (node->info_ == nullptr) {
    delete node;
    return nullptr;
  }
  node->info_->setRoot(node);
  return node;
}

TreeNode* TreeNode::createChild(TreeNode* parent, const char* tag) {
  if (parent == nullptr || !parent->isAlive()) return createRoot(tag);
  TreeNode* node = createDetached(tag);
  if (node == nullptr) return nullptr;
  if (!parent->appendChild(node)) {
    delete node;
    return nullptr;
  }
  return node;
}

TreeNode::~TreeNode() {
  deleteDescendants();
  marker_ = kDestroyed;
  delete tag_;
  delete content_;
  delete attributes_;
  delete children_;
  if (info_ != nullptr && info_->isAlive() && info_->root() == this) delete info_;
  info_ = nullptr;
}

void TreeNode::deleteDescendants() {
  TreeNode* cur = this;
  for (;;) {
    TreeNode* child = nullptr;
    while (child == nullptr && cur->children_ != nullptr && cur->children_->count() > 0) {
      child = static_cast<TreeNode*>(cur->children_->pop());
      if (child != nullptr && !child->isAlive()) child = nullptr;
    }
    if (child != nullptr) {
      cur = child;
      continue;
    }
    if (cur == this) return;
    // cur has no children left, so its own destructor finds nothing to do
    // here and the deletion does not nest.
    TreeNode* parent = cur->parent_;
    delete cur;
    cur = parent;
  }
}

// ============================================================================
// Structure
// ============================================================================

bool TreeNode::appendChild(TreeNode* child) {
  if (!isAlive() || child == nullptr || !child->isAlive()) return false;
  if (child->parent_ != nullptr && child->parent_ != this) return false;
  if (child->info_ != nullptr && child->info_ == info_) return false;
  if (info_ == nullptr) {
    // Without a document to compare, look for the child among this node's
    // ancestors (only detached trees come here; documents never do).
    for (const TreeNode* a = this; a != nullptr; a = a->parent_) {
      if (a == child) return false;
    }
  }

  int carriedRefs = 0;
  if (child->info_ != nullptr) {
    if (child->info_->isAlive()) {
      carriedRefs = child->info_->refCount();
      delete child->info_;
    }
    child->info_ = nullptr;
  }

  if (children_ == nullptr) {
    int initial = 5;
    if (previous_ != nullptr && previous_->isAlive() && previous_->childCount() > 0) {
      initial = previous_->childCount();
    }
    children_ = new (std::nothrow) ExtPtrArray(initial, 5);
    if (children_ == nullptr) return false;
  }
  TreeNode* last = static_cast<TreeNode*>(children_->last());
  if (!children_->append(child)) return false;
  if (last != nullptr) last->next_ = child;
  child->previous_ = last;
  child->next_ = nullptr;
  child->parent_ = this;

  // Give the subtree this document, walking it through the child lists
  // with a cursor rather than recursion: down the first child, across to
  // the next sibling, back up through the parents.
  TreeNode* n = child;
  for (;;) {
    n->info_ = info_;
    TreeNode* first = n->children_ ? static_cast<TreeNode*>(n->children_->get(0)) : nullptr;
    if (first != nullptr) {
      n = first;
      continue;
    }
    while (n != child && n->next_ == nullptr) n = n->parent_;
    if (n == child) break;
    n = n->next_;
  }
  if (info_ != nullptr) info_->addRefs(carriedRefs);
  return true;
}

int TreeNode::childCount() const { return children_ ? children_->count() : 0; }

TreeNode* TreeNode::childAt(int i) const {
  if (children_ == nullptr) return nullptr;
  TreeNode* c = static_cast<TreeNode*>(children_->get(i));
  return (c != nullptr && c->isAlive()) ? c : nullptr;
}

TreeNode* TreeNode::findChildN(int n, const char* tag) const {
  if (n < 0) return nullptr;
  const int count = childCount();
  for (int i = 0; i < count; ++i) {
    TreeNode* c = childAt(i);
    if (c != nullptr && c->tagEquals(tag) && n-- == 0) return c;
  }
  return nullptr;
}

TreeNode* TreeNode::findChild(const char* tag) const { return findChildN(0, tag); }

TreeInfo* TreeNode::info() const {
  return (info_ != nullptr && info_->isAlive()) ? info_ : nullptr;
}

bool TreeNode::isDocumentRoot() const {
  const TreeInfo* i = info();
  return i != nullptr && i->root() == this;
}

// ============================================================================
// Tag, content, attributes
// ============================================================================

void TreeNode::setTag(const char* text) {
  if (tag_ == nullptr) {
    tag_ = new (std::nothrow) StringBuffer(StringBuffer::WithCapacity{16});
    if (tag_ == nullptr) return;
  }
  tag_->setString(text ? text : "");
  tag_->keepNameChars();
}

const char* TreeNode::getTag() const { return tag_ ? tag_->getString() : ""; }

bool TreeNode::tagEquals(const char* tag) const {
  return std::strcmp(getTag(), tag ? tag : "") == 0;
}

void TreeNode::setContent(const char* text) {
  if (text == nullptr) {
    if (content_ != nullptr) content_->clear();
    return;
  }
  if (content_ == nullptr) {
    content_ = new (std::nothrow) StringBuffer(text);
    return;
  }
  content_->setString(text);
}

const char* TreeNode::getContent() const { return content_ ? content_->getString() : ""; }

int TreeNode::contentLength() const { return content_ ? content_->getSize() : 0; }

StringBuffer* TreeNode::contentBuffer() {
  if (content_ == nullptr) content_ = new (std::nothrow) StringBuffer(StringBuffer::WithCapacity{120});
  return content_;
}

void TreeNode::addAttribute(const char* name, const char* value) {
  if (name == nullptr || *name == 0) return;
  StringBuffer cleaned(name);
  cleaned.keepNameChars();
  // Attribute names may not start with a digit, "-" or ".": such a name, as
  // it was passed in, gets a letter in front.
  const char first = name[0];
  if ((first >= '0' && first <= '9') || first == '-' || first == '.') cleaned.prepend("A");
  if (attributes_ == nullptr) {
    attributes_ = new (std::nothrow) AttributeSet();
    if (attributes_ == nullptr) return;
  }
  attributes_->add(cleaned.getString(), value);
}

bool TreeNode::getAttribute(const char* name, StringBuffer& out) const {
  if (attributes_ == nullptr) {
    out.clear();
    return false;
  }
  return attributes_->get(name, out);
}

void TreeNode::removeAttribute(const char* name) {
  if (attributes_ != nullptr) attributes_->removeAll(name);
}

int TreeNode::attributeCount() const { return attributes_ ? attributes_->count() : 0; }

// ============================================================================
// Document information
// ============================================================================

void TreeNode::setEncoding(const char* value) {
  TreeInfo* doc = info();
  if (doc == nullptr) return;
  TreeNode* decl = doc->declaration();
  if (decl == nullptr) {
    decl = createDetached("xml");
    if (decl == nullptr) return;
    decl->addAttribute("version", "1.0");
    doc->setDeclaration(decl);
  }
  decl->removeAttribute("encoding");
  decl->addAttribute("encoding", value);
}

bool TreeNode::getEncoding(StringBuffer& out) const {
  out.clear();
  const TreeInfo* doc = info();
  if (doc == nullptr || doc->declaration() == nullptr) return false;
  return doc->declaration()->getAttribute("encoding", out);
}

void TreeNode::setDoctype(const char* text) {
  if (TreeInfo* doc = info()) doc->setDoctypeText(text);
}

void TreeNode::setPiText(const char* text) {
  if (TreeInfo* doc = info()) doc->setPiText(text);
}

// ============================================================================
// References
// ============================================================================

void TreeNode::addRef() {
  ++refCount_;
  if (TreeInfo* doc = info()) doc->addRefs(1);
}

void TreeNode::release() {
  // A release without a matching addRef changes nothing: it must not take
  // away a reference that another document object holds on the tree.
  if (refCount_ <= 0) return;
  --refCount_;
  if (TreeInfo* doc = info()) doc->releaseRef();
}
