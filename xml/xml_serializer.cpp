#include "xml/xml_serializer.h"

#include <cstring>
#include <initializer_list>
#include <new>
#include <vector>

#include "core/string_buffer.h"
#include "xml/attribute_set.h"
#include "xml/tree_node.h"
#include "xml/xml_entities.h"

namespace {

const int kMaxIndentLevels = 50;

// Appends to the output and remembers whether every append succeeded.
//
// The buffer's own growth step stops growing at 500,000 bytes, which
// would make writing a document of many megabytes copy it over and over;
// the writer doubles the room itself.
class Writer {
 public:
  explicit Writer(StringBuffer& out) : out_(out) {}
  void text(const char* s) {
    room(static_cast<int>(std::strlen(s)));
    ok_ = out_.append(s) && ok_;
  }
  void bytes(const char* s, int n) {
    room(n);
    ok_ = out_.appendN(s, n) && ok_;
  }
  void ch(char c) {
    room(1);
    ok_ = out_.appendChar(c) && ok_;
  }
  void newLine() { text("\r\n"); }
  void indent(int depth) {
    const int levels = depth < kMaxIndentLevels ? depth : kMaxIndentLevels;
    if (levels == 0) return;
    room(4 * levels);
    ok_ = out_.appendCharN(' ', 4 * levels) && ok_;
  }
  // Escaping at most multiplies the length by six ("&quot;").
  void escapedContent(const char* s, int n) {
    room(n);
    ok_ = appendEscapedContent(out_, s, n) && ok_;
  }
  void escapedAttribute(const char* s, int n) {
    room(n);
    ok_ = appendEscapedAttribute(out_, s, n) && ok_;
  }
  bool endsInLineFeed() const { return out_.lastChar() == '\n'; }
  bool ok() const { return ok_; }

 private:
  void room(int n) {
    const int size = out_.getSize();
    if (out_.getCapacity() - size > n) return;
    const int more = n > size ? n : size;
    // A failed doubling is no failure yet: the append asks for what it needs.
    if (more <= 0x3FFFFFFF - size) out_.ensureCapacity(more);
  }

  StringBuffer& out_;
  bool ok_ = true;
};

void writeAttributes(const TreeNode& node, Writer& w) {
  const AttributeSet* set = node.attributes();
  if (set == nullptr) return;
  AttributeSet::Cursor cursor;
  const char* name;
  const char* value;
  int nameLength;
  int valueLength;
  while (set->next(cursor, name, nameLength, value, valueLength)) {
    w.ch(' ');
    w.bytes(name, nameLength);
    w.text("=\"");
    w.escapedAttribute(value, valueLength);
    w.ch('"');
  }
}

void writeDocumentHead(TreeNode& root, bool omitDeclaration, Writer& w) {
  TreeInfo* info = root.info();
  TreeNode* declaration = info->declaration();
  if (!omitDeclaration && declaration != nullptr) {
    StringBuffer standalone;
    if (declaration->getAttribute("standalone", standalone)) {
      declaration->removeAttribute("standalone");
      declaration->addAttribute("standalone", standalone.getString());
    }
    w.text("<?xml");
    writeAttributes(*declaration, w);
    w.text(" ?>");
    w.newLine();
  }
  for (int i = 0; i < info->stylesheetCount(); ++i) {
    const TreeNode* s = info->stylesheetAt(i);
    if (s == nullptr || s->attributeCount() == 0) continue;
    w.text("<?xml-stylesheet");
    writeAttributes(*s, w);
    w.text(" ?>");
    w.newLine();
  }
  for (const StringBuffer* text : {info->doctypeText(), info->piText()}) {
    if (text != nullptr && text->getSize() > 0) {
      w.bytes(text->getString(), text->getSize());
      w.newLine();
    }
  }
}

void writeContent(const TreeNode& node, Writer& w) {
  const char* content = node.getContent();
  const int length = node.contentLength();
  if (!node.isCdata()) {
    w.escapedContent(content, length);
    return;
  }
  w.text("<![CDATA[");
  StringBuffer cleaned(content, length, 0);
  if (cleaned.contains("]]>")) {
    // A section cannot hold its own terminator.
    cleaned.replaceAll("<![CDATA[", "");
    cleaned.replaceAll("]]>", "");
  }
  w.bytes(cleaned.getString(), cleaned.getSize());
  w.text("]]>");
}

// Writes everything up to and including the node's content; true when an
// end tag must follow (after the children).
bool writeStart(TreeNode& node, int index, int depth, bool omitDeclaration, Writer& w) {
  if (node.isDocumentRoot()) writeDocumentHead(node, omitDeclaration, w);
  if (index == 0) w.newLine();
  w.indent(depth);
  w.ch('<');
  const char* tag = node.getTag();
  w.text(*tag ? tag : "nothing");
  writeAttributes(node, w);
  if (node.contentLength() == 0 && !node.hasChildList()) {
    w.text(" />");
    w.newLine();
    return false;
  }
  w.ch('>');
  if (node.contentLength() > 0) writeContent(node, w);
  return true;
}

void writeEnd(const TreeNode& node, int depth, Writer& w) {
  if (node.hasChildList() || w.endsInLineFeed()) w.indent(depth);
  w.text("</");
  const char* tag = node.getTag();
  w.text(*tag ? tag : "nothing");
  w.ch('>');
  w.newLine();
}

}  // namespace

bool serialize(TreeNode* node, StringBuffer& out, int index, int depth, bool omitDeclaration) {
  if (node == nullptr || !node->isAlive()) return true;
  Writer w(out);
  struct Frame {
    TreeNode* node;
    int depth;
    int nextChild;
  };
  try {
    if (!writeStart(*node, index, depth, omitDeclaration, w)) return w.ok();
    std::vector<Frame> open;
    open.push_back(Frame{node, depth, 0});
    while (!open.empty()) {
      Frame& top = open.back();
      if (top.nextChild < top.node->childCount()) {
        const int i = top.nextChild++;
        TreeNode* child = top.node->childAt(i);
        const int childDepth = top.depth + 1;
        // top is not used after this point: push_back may move it.
        if (child != nullptr && writeStart(*child, i, childDepth, false, w)) {
          open.push_back(Frame{child, childDepth, 0});
        }
      } else {
        writeEnd(*top.node, top.depth, w);
        open.pop_back();
      }
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return w.ok();
}
