// The XML parser.
//
// One pass over a private copy of the text (ParseEngine). The loop
// alternates between the content of the open element (or the text between
// top-level elements) and one piece of markup:
//
//   content     text pieces and CDATA sections of the current element
//   "<!"        comments, DOCTYPE declarations (collected), other "<!"
//   "<?"        the XML declaration, stylesheet instructions, other
//               processing instructions (collected)
//   "</"        end tags, which close the current element whatever they say
//   "<"         start tags and their attributes
//
// An element's content is assembled in an ElementText while the element is
// open and handed to the node when it closes. Top-level elements that close
// collect the declaration, stylesheets and texts seen so far; the last one
// to close is the result.
#include "xml/xml_parser.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "core/string_buffer.h"
#include "log/log_base.h"
#include "xml/element_text.h"
#include "xml/parse_engine.h"
#include "xml/tree_node.h"
#include "xml/xml_entities.h"

namespace {

inline bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

class XmlParser {
 public:
  XmlParser(const char* text, int n, LogBase& log, bool trimWhitespace)
      : engine_(text, n),
        log_(log),
        trim_(trimWhitespace),
        doctypeText_(StringBuffer::WithCapacity{2000}),
        piText_(StringBuffer::WithCapacity{2000}) {}

  ~XmlParser() {
    delete completedRoot_;
    delete openRoot_;
    delete pendingDeclaration_;
    for (TreeNode* s : stylesheets_) delete s;
  }

  XmlParser(const XmlParser&) = delete;
  XmlParser& operator=(const XmlParser&) = delete;

  // The result; the parser gives up ownership.
  TreeNode* run();

 private:
  // Each step returns false when parsing stops.
  bool content();
  bool cdataSections();
  bool markup();
  bool startTag();
  void instruction(bool stylesheet);
  void declarationAttributes(TreeNode* node);

  bool open(TreeNode* node);
  void closeCurrent();
  void completeTopLevel(TreeNode* node);
  ElementText& currentText();
  TreeNode* finish();

  ParseEngine engine_;
  LogBase& log_;
  const bool trim_;

  TreeNode* current_ = nullptr;
  // The top-level element being read (owned until it closes).
  TreeNode* openRoot_ = nullptr;
  TreeNode* completedRoot_ = nullptr;
  // How much of the collected texts completedRoot_ saw when it closed. The
  // texts are attached once, to the result, instead of being copied to every
  // top-level element that closes and is then replaced.
  int completedDoctypeLength_ = 0;
  int completedPiLength_ = 0;
  TreeNode* pendingDeclaration_ = nullptr;
  std::vector<TreeNode*> stylesheets_;
  StringBuffer doctypeText_;
  StringBuffer piText_;
  StringBuffer leadingSpace_;
  // One entry per open element, outermost first; null until it gets text.
  std::vector<std::unique_ptr<ElementText>> texts_;
};

TreeNode* XmlParser::run() {
  if (!engine_.ok()) {
    log_.addError("Out of memory");
    return nullptr;
  }
  while (!engine_.atEnd()) {
    if (current_ != nullptr) {
      if (!content()) break;
    } else {
      engine_.skipWhiteSpace();
      if (engine_.atEnd()) break;
      engine_.skipTo('<');
      engine_.advance();
    }
    if (!markup()) break;
  }
  return finish();
}

// ---- Content ---------------------------------------------------------------

ElementText& XmlParser::currentText() {
  std::unique_ptr<ElementText>& slot = texts_.back();
  if (!slot) slot.reset(new ElementText());
  return *slot;
}

bool XmlParser::content() {
  // White space before a piece is never content on its own: with trimming
  // it is dropped, without it is kept only in front of a piece.
  if (trim_) {
    engine_.skipWhiteSpace();
  } else {
    leadingSpace_.clear();
    const char* run = engine_.here();
    const int start = engine_.pos();
    engine_.skipWhiteSpace();
    leadingSpace_.appendN(run, engine_.pos() - start);
  }
  if (engine_.at("<![CDATA[")) return cdataSections();

  const char* piece = engine_.here();
  const int start = engine_.pos();
  engine_.skipTo('<');
  int length = engine_.pos() - start;
  if (trim_) {
    while (length > 0 && isWhite(piece[length - 1])) --length;
  }
  if (length > 0) {
    currentText().addPiece(leadingSpace_.getString(), leadingSpace_.getSize(), piece, length, trim_);
  }
  engine_.advance();  // past the "<" (nothing at the end)
  if (engine_.at("![CDATA[")) {
    engine_.setPos(engine_.pos() - 1);
    return cdataSections();
  }
  return true;
}

bool XmlParser::cdataSections() {
  ElementText& text = currentText();
  do {
    engine_.advance(9);  // "<![CDATA["
    const int end = engine_.find("]]>");
    if (end < 0) {
      // Unterminated: the section takes the rest of the text.
      text.addCdata(engine_.here(), static_cast<int>(std::strlen(engine_.here())));
      engine_.skipTo(0);
      return false;
    }
    text.addCdata(engine_.here(), end - engine_.pos());
    engine_.setPos(end + 3);
    // Text between a section and the next markup is dropped.
    engine_.skipTo('<');
  } while (engine_.at("<![CDATA["));
  engine_.advance();
  return true;
}

// ---- Markup ----------------------------------------------------------------

bool XmlParser::markup() {
  const char k = engine_.peek();
  engine_.skipWhiteSpace();
  if (engine_.atEnd()) return false;

  if (k == '!') {
    if (engine_.atNoCase("!--")) {
      engine_.advance(3);
      if (!engine_.skipPast("-->")) {
        log_.addError("Unclosed comment");
        return false;
      }
    } else if (engine_.atNoCase("!DOCTYPE")) {
      // Balanced angle brackets keep an internal subset's declarations
      // inside the DOCTYPE text.
      doctypeText_.appendChar('<');
      if (!engine_.captureBalanced('<', '>', 1, doctypeText_)) log_.addError("Failed to parse DTD");
      doctypeText_.appendChar('\n');
    } else {
      engine_.skipTo('>');
      engine_.advance();
    }
    return true;
  }

  if (k == '?') {
    engine_.advance();
    if (engine_.atNoCase("xml ")) {
      instruction(false);
    } else if (engine_.atNoCase("xml-stylesheet")) {
      instruction(true);
    } else {
      piText_.append("<?");
      engine_.captureThroughNoCase("?>", piText_);
      piText_.appendChar('\n');
    }
    return true;
  }

  if (k == '/') {
    if (engine_.skipToUnless('>', '<')) {
      engine_.advance();
    } else {
      log_.addError("Error in closing tag");
      log_.addData("error_tag", current_ ? current_->getTag() : "");
    }
    if (current_ != nullptr) closeCurrent();
    return true;
  }

  return startTag();
}

bool XmlParser::startTag() {
  StringBuffer name;
  engine_.captureUntilAny(" \t\r\n/>", name);
  if (engine_.atEnd()) return false;
  name.removeChar('<');
  engine_.skipWhiteSpace();
  bool selfClosing = false;
  if (engine_.peek() == '/') {
    selfClosing = true;
    engine_.advance();
  }
  TreeNode* node = current_ ? TreeNode::createChild(current_, name.getString())
                            : TreeNode::createRoot(name.getString());
  if (node == nullptr || !open(node)) {
    log_.addError("Out of memory");
    return false;
  }

  engine_.skipWhiteSpace();
  StringBuffer attrName;
  StringBuffer value;
  while (!engine_.atEnd() && engine_.peek() != '>') {
    attrName.clear();
    value.clear();
    engine_.captureUntilAny(" \t\r\n=/>", attrName);
    attrName.removeChar('"');
    attrName.removeChar('\'');
    attrName.removeChar('<');
    engine_.skipWhiteSpace();
    if (engine_.peek() == '=') {
      engine_.advance();
      engine_.skipWhiteSpace();
      const char quote = engine_.peek();
      if (quote == '"' || quote == '\'') {
        engine_.advance();
        engine_.captureUntil(quote, value);
      } else {
        // Unquoted: the value runs to the next quote of either kind.
        engine_.captureUntilAny("\"'", value);
      }
      decodeXmlEntities(value);
      if (engine_.peek() == '"' || engine_.peek() == '\'') engine_.advance();
    }
    if (attrName.getSize() > 0) node->addAttribute(attrName.getString(), value.getString());
    engine_.skipWhiteSpace();
    if (engine_.peek() == '/') {
      selfClosing = true;
      engine_.advance();
      engine_.skipWhiteSpace();
    }
  }
  if (engine_.peek() == '>') engine_.advance();
  if (selfClosing) closeCurrent();
  return true;
}

void XmlParser::instruction(bool stylesheet) {
  StringBuffer name;
  engine_.captureUntilAny(" \t\r\n/>", name);
  engine_.skipWhiteSpace();
  if (engine_.peek() == '/') engine_.advance();
  TreeNode* node = TreeNode::createDetached(name.getString());
  if (stylesheet) {
    if (node != nullptr) stylesheets_.push_back(node);
  } else {
    delete pendingDeclaration_;
    pendingDeclaration_ = node;
  }
  declarationAttributes(node);
}

void XmlParser::declarationAttributes(TreeNode* node) {
  StringBuffer name;
  StringBuffer value;
  engine_.skipWhiteSpace();
  while (!engine_.atEnd() && engine_.peek() != '>') {
    name.clear();
    value.clear();
    engine_.captureUntilAny(" \t\r\n=?>", name);
    name.removeChar('"');
    engine_.skipWhiteSpace();
    if (engine_.peek() == '=') {
      engine_.advance();
      engine_.skipWhiteSpace();
      if (engine_.peek() == '"' || engine_.peek() == '\'') {
        // Whichever quote opened the value, the first quote of either kind
        // ends it.
        engine_.advance();
        engine_.captureUntilAny("\"'\r\n", value);
      } else {
        engine_.captureUntilAny(" \t\"'\r\n", value);
      }
      value.removeChar('"');
      decodeXmlEntities(value);
      if (engine_.peek() == '"') engine_.advance();
      if (engine_.peek() == '\'') engine_.advance();
    }
    if (node != nullptr) node->addAttribute(name.getString(), value.getString());
    engine_.skipWhiteSpace();
    if (engine_.peek() == '?') {
      engine_.advance();
      engine_.skipWhiteSpace();
    }
  }
  if (engine_.peek() == '>') engine_.advance();
}

// ---- Opening and closing ---------------------------------------------------

bool XmlParser::open(TreeNode* node) {
  texts_.emplace_back();
  if (current_ == nullptr) openRoot_ = node;
  current_ = node;
  return true;
}

void XmlParser::closeCurrent() {
  TreeNode* node = current_;
  if (texts_.back()) texts_.back()->moveTo(*node);
  texts_.pop_back();
  TreeNode* parent = node->getParent();
  if (parent == nullptr) completeTopLevel(node);
  current_ = parent;
}

void XmlParser::completeTopLevel(TreeNode* node) {
  if (node == openRoot_) openRoot_ = nullptr;
  TreeInfo* info = node->info();
  if (info != nullptr) {
    if (pendingDeclaration_ != nullptr) info->setDeclaration(pendingDeclaration_);
    for (TreeNode* s : stylesheets_) info->addStylesheet(s);
  } else {
    delete pendingDeclaration_;
    for (TreeNode* s : stylesheets_) delete s;
  }
  pendingDeclaration_ = nullptr;
  stylesheets_.clear();
  delete completedRoot_;
  completedRoot_ = node;
  completedDoctypeLength_ = doctypeText_.getSize();
  completedPiLength_ = piText_.getSize();
}

TreeNode* XmlParser::finish() {
  if (completedRoot_ != nullptr) {
    // Elements still open are discarded with their tree.
    delete openRoot_;
    openRoot_ = nullptr;
  } else {
    while (current_ != nullptr) closeCurrent();
  }
  current_ = nullptr;
  TreeNode* result = completedRoot_;
  completedRoot_ = nullptr;
  if (result != nullptr) {
    if (TreeInfo* info = result->info()) {
      info->setDoctypeTextN(doctypeText_.getString(), completedDoctypeLength_);
      info->setPiTextN(piText_.getString(), completedPiLength_);
    }
  }
  return result;
}

}  // namespace

TreeNode* parseXmlN(const char* text, int n, LogBase* log, bool trimWhitespace) {
  LogNull discard;
  LogBase& sink = log ? *log : discard;
  // The parser's own containers report exhausted memory by throwing; the
  // partial tree goes with the parser.
  try {
    XmlParser parser(text, n, sink, trimWhitespace);
    return parser.run();
  } catch (const std::bad_alloc&) {
    sink.addError("Out of memory");
    return nullptr;
  }
}

TreeNode* parseXml(const char* text, LogBase* log, bool trimWhitespace) {
  const size_t n = text ? std::strlen(text) : 0;
  if (n > 0x7FFFFFFE) {
    if (log) log->addError("Text too large");
    return nullptr;
  }
  return parseXmlN(text, static_cast<int>(n), log, trimWhitespace);
}
