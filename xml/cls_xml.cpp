#include "xml/cls_xml.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "core/string_buffer.h"
#include "encoding/x_string.h"
#include "log/log_base.h"
#include "xml/tree_node.h"
#include "xml/xml_parser.h"
#include "xml/xml_serializer.h"

ClsXml::ClsXml() : node_(TreeNode::createRoot("unnamed")) {
  if (node_ != nullptr) node_->addRef();
}

ClsXml::~ClsXml() { releaseNode(); }

TreeNode* ClsXml::node() const { return (node_ != nullptr && node_->isAlive()) ? node_ : nullptr; }

void ClsXml::releaseNode() {
  TreeNode* held = node();
  node_ = nullptr;
  if (held == nullptr) return;
  TreeInfo* info = held->info();
  held->release();
  if (info != nullptr && info->refCount() == 0) delete info->root();
}

void ClsXml::replaceNode(TreeNode* root) {
  releaseNode();
  node_ = root;
  node_->addRef();
}

// ---- Loading -----------------------------------------------------------------

bool ClsXml::LoadXml(XString& text, bool trimWhitespace) {
  TavlinCritSecGuard guard(lock_);
  return loadXmlUtf8(text.getUtf8(), trimWhitespace);
}

bool ClsXml::LoadXmlFile(XString& path, bool trimWhitespace) {
  TavlinCritSecGuard guard(lock_);
  return loadXmlFileUtf8(path.getUtf8(), trimWhitespace);
}

bool ClsXml::loadXmlUtf8(const char* text, bool trimWhitespace) {
  if (text == nullptr) text = "";
  if (std::strchr(text, '<') == nullptr) {
    // A short text without markup that names an .xml file is that file.
    StringBuffer name(text);
    name.trim();
    if (name.getSize() < 100) {
      name.toLowerCase();
      if (name.endsWith(".xml")) return loadXmlFileUtf8(text, trimWhitespace);
    }
  }
  log_.reset();
  LogContextExit context(log_, "LoadXml");
  TreeNode* root = parseXml(text, &log_, trimWhitespace);
  if (root == nullptr) return false;
  replaceNode(root);
  return true;
}

bool ClsXml::loadXmlFileUtf8(const char* path, bool trimWhitespace) {
  log_.reset();
  LogContextExit context(log_, "LoadXmlFile");
  log_.addData("filename", path);
  StringBuffer trimmed(path);
  trimmed.trim();
  TreeNode* root = parseXmlFile(trimmed.getString(), &log_, trimWhitespace);
  if (root == nullptr) {
    log_.addError("Failed.");
    return false;
  }
  replaceNode(root);
  log_.addInfo("Success.");
  return true;
}

// ---- Writing -----------------------------------------------------------------

bool ClsXml::writeXml(StringBuffer& out) {
  out.clear();
  TreeNode* held = node();
  if (held == nullptr) return false;
  return serialize(held, out, 0, 0, false);
}

bool ClsXml::WriteXml(StringBuffer& out) {
  TavlinCritSecGuard guard(lock_);
  return writeXml(out);
}

bool ClsXml::WriteXml(XString& out) {
  TavlinCritSecGuard guard(lock_);
  StringBuffer text;
  const bool ok = writeXml(text);
  out.setFromUtf8(text.getString());
  return ok;
}

// ---- The held node -----------------------------------------------------------

void ClsXml::SetTagName(const char* tag) {
  TavlinCritSecGuard guard(lock_);
  if (TreeNode* held = node()) held->setTag(tag);
}

void ClsXml::SetDeclaredEncoding(const char* charset) {
  TavlinCritSecGuard guard(lock_);
  TreeNode* held = node();
  if (held == nullptr) return;
  StringBuffer name(charset);
  name.trim();
  for (char c : {' ', '\r', '\n', '>', '<', '/'}) name.removeChar(c);
  held->setEncoding(name.getString());
}

// ---- Children by tag ---------------------------------------------------------

bool ClsXml::ChildText(const char* tag, StringBuffer& out) {
  TavlinCritSecGuard guard(lock_);
  out.clear();
  TreeNode* held = node();
  const TreeNode* child = held ? held->findChild(tag) : nullptr;
  if (child == nullptr) return false;
  out.appendN(child->getContent(), child->contentLength());
  return true;
}

int ClsXml::ChildInt(const char* tag) {
  StringBuffer text;
  if (!ChildText(tag, text)) return 0;
  return text.toInt();
}

bool ClsXml::ChildFlag(const char* tag) { return ChildInt(tag) != 0; }

void ClsXml::SetChildText(const char* tag, const char* text) {
  TavlinCritSecGuard guard(lock_);
  TreeNode* held = node();
  if (held == nullptr) return;
  StringBuffer key(tag);
  key.trim();
  if (TreeNode* child = held->findChild(key.getString())) {
    child->setContent(text);
    return;
  }
  // A space is one byte in UTF-8 and no byte of a longer character is
  // below 0x80, so replacing the byte replaces the character.
  key.replaceByte(' ', '_');
  if (TreeNode* child = TreeNode::createChild(held, key.getString())) child->setContent(text);
}

void ClsXml::SetChildInt(const char* tag, int value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", value);
  SetChildText(tag, digits);
}

void ClsXml::SetChildFlag(const char* tag, bool flag) { SetChildText(tag, flag ? "1" : "0"); }
