#include "log/logger.h"

#include <cinttypes>
#include <cstdio>
#include <new>

#include "core/string_buffer.h"
#include "platform/platform.h"

namespace {

// A copy of s on the heap; null when either allocation fails.
StringBuffer* copyOf(const char* s) {
  StringBuffer* sb = new (std::nothrow) StringBuffer();
  if (sb == nullptr) return nullptr;
  if (!sb->setString(s)) {
    delete sb;
    return nullptr;
  }
  return sb;
}

bool isTrimmedSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// True when name has something left after trimming; decided on the raw
// text so that an allocation failure later is not taken for an empty name.
bool hasNameChars(const char* name) {
  if (name == nullptr) return false;
  for (; *name != '\0'; ++name) {
    if (!isTrimmedSpace(*name)) return true;
  }
  return false;
}

// Texts holding markup characters, line feeds or tabs go into a CDATA
// section, unless they already carry one (a CDATA section cannot nest, so
// such a text is written as it is).
bool needsCdata(const StringBuffer& s) {
  bool special = s.containsChar('\n') || s.containsChar('\t') || s.containsChar('&') ||
                 s.containsChar('>') || s.containsChar('<');
  if (!special) return false;
  return !(s.contains("<![CDATA[") && s.contains("]]>"));
}

void appendXmlValue(StringBuffer& out, const StringBuffer& value) {
  if (needsCdata(value)) {
    out.append("<![CDATA[");
    out.appendSb(value);
    out.append("]]>");
  } else {
    out.appendSb(value);
  }
}

void appendEscaped(StringBuffer& out, const StringBuffer& value) {
  StringBuffer escaped(value);
  escaped.xmlEscape();
  out.appendSb(escaped);
}

const char kCrLf[] = "\r\n";

}  // namespace

// ---- LogEntry2 ------------------------------------------------------------

LogEntry2::LogEntry2() : kind_(kInfo), name_(nullptr), text_(nullptr), children_(nullptr) {}

LogEntry2::~LogEntry2() {
  if (children_ != nullptr) {
    children_->deleteAll();
    delete children_;
  }
  delete name_;
  delete text_;
}

LogEntry2* LogEntry2::newContext(const char* name) {
  LogEntry2* e = new (std::nothrow) LogEntry2();
  if (e == nullptr) return nullptr;
  e->kind_ = kContext;
  e->name_ = copyOf(name);
  e->children_ = new (std::nothrow) ExtPtrArray();
  if (e->name_ == nullptr || e->children_ == nullptr) {
    delete e;
    return nullptr;
  }
  return e;
}

LogEntry2* LogEntry2::newLine(Kind kind, const char* text) {
  LogEntry2* e = new (std::nothrow) LogEntry2();
  if (e == nullptr) return nullptr;
  e->kind_ = kind;
  e->text_ = copyOf(text);
  if (e->text_ == nullptr) {
    delete e;
    return nullptr;
  }
  return e;
}

LogEntry2* LogEntry2::newItem(const char* name, const char* value) {
  LogEntry2* e = new (std::nothrow) LogEntry2();
  if (e == nullptr) return nullptr;
  e->kind_ = kItem;
  e->name_ = copyOf(name);
  e->text_ = copyOf(value);
  if (e->name_ == nullptr || e->text_ == nullptr) {
    delete e;
    return nullptr;
  }
  return e;
}

int LogEntry2::childCount() const { return children_ != nullptr ? children_->count() : 0; }

LogEntry2* LogEntry2::child(int i) const {
  if (children_ == nullptr) return nullptr;
  return static_cast<LogEntry2*>(children_->get(i));
}

LogEntry2* LogEntry2::lastChild() const {
  if (children_ == nullptr || children_->count() == 0) return nullptr;
  return static_cast<LogEntry2*>(children_->last());
}

bool LogEntry2::appendChild(LogEntry2* c) {
  if (c == nullptr) return false;
  if (kind_ != kContext || children_ == nullptr || !children_->append(c)) {
    delete c;
    return false;
  }
  return true;
}

void LogEntry2::destroyLastChild() {
  if (children_ == nullptr || children_->count() == 0) return;
  delete children_->pop();
}

void LogEntry2::toText(StringBuffer& out, int depth) const {
  switch (kind_) {
    case kContext:
      if (name_ == nullptr || children_ == nullptr) return;
      out.appendCharN(' ', 2 * depth);
      out.appendSb(*name_);
      out.append(":");
      out.append(kCrLf);
      for (int i = 0; i < children_->count(); ++i) child(i)->toText(out, depth + 1);
      return;
    case kError:
    case kInfo:
    case kNote:
      if (text_ == nullptr) return;
      out.appendCharN(' ', 2 * depth);
      out.appendSb(*text_);
      out.append(kCrLf);
      return;
    case kItem:
      if (name_ == nullptr || text_ == nullptr) return;
      out.appendCharN(' ', 2 * depth);
      out.appendSb(*name_);
      out.append(": ");
      out.appendSb(*text_);
      out.append(kCrLf);
      return;
    default:
      return;
  }
}

void LogEntry2::toXmlText(StringBuffer& out) const {
  switch (kind_) {
    case kContext:
      if (name_ == nullptr || children_ == nullptr) return;
      out.append("<");
      out.appendSb(*name_);
      out.append(">");
      out.append(kCrLf);
      for (int i = 0; i < children_->count(); ++i) child(i)->toXmlText(out);
      out.append("</");
      out.appendSb(*name_);
      out.append(">");
      out.append(kCrLf);
      return;
    case kError:
    case kInfo:
      if (text_ == nullptr) return;
      out.append(kind_ == kError ? "<error>" : "<info>");
      appendXmlValue(out, *text_);
      out.append(kind_ == kError ? "</error>" : "</info>");
      out.append(kCrLf);
      return;
    case kNote:
      if (text_ == nullptr) return;
      out.appendSb(*text_);
      out.append(kCrLf);
      return;
    case kItem:
      if (name_ == nullptr || text_ == nullptr) return;
      out.append("<");
      out.appendSb(*name_);
      out.append(">");
      appendXmlValue(out, *text_);
      out.append("</");
      out.appendSb(*name_);
      out.append(">");
      out.append(kCrLf);
      return;
    default:
      return;
  }
}

void LogEntry2::toHtml(StringBuffer& out) const {
  switch (kind_) {
    case kContext:
      if (name_ == nullptr || children_ == nullptr) return;
      out.appendSb(*name_);
      out.append(":<blockquote>");
      out.append(kCrLf);
      for (int i = 0; i < children_->count(); ++i) child(i)->toHtml(out);
      out.append("</blockquote>");
      out.append(kCrLf);
      return;
    case kError:
    case kInfo:
    case kNote:
      if (text_ == nullptr) return;
      appendEscaped(out, *text_);
      out.append("<br>");
      out.append(kCrLf);
      return;
    case kItem:
      if (name_ == nullptr || text_ == nullptr) return;
      out.appendSb(*name_);
      out.append(": ");
      appendEscaped(out, *text_);
      out.append("<br>");
      out.append(kCrLf);
      return;
    default:
      return;
  }
}

// ---- ErrorLog -------------------------------------------------------------

const char* const ErrorLog::kRootName = "TavlinLog";

ErrorLog::ErrorLog() : unrecordedOpens_(0) { ensureRoot(); }

ErrorLog::~ErrorLog() { destroyTree(); }

bool ErrorLog::ensureRoot() {
  if (stack_.count() > 0) return true;
  LogEntry2* root = LogEntry2::newContext(kRootName);
  if (root == nullptr) return false;
  if (!stack_.append(root)) {
    delete root;
    return false;
  }
  return true;
}

void ErrorLog::destroyTree() {
  if (stack_.count() > 0) delete stack_.get(0);
  stack_.clear();
  unrecordedOpens_ = 0;
}

LogEntry2* ErrorLog::root() {
  if (!ensureRoot()) return nullptr;
  return static_cast<LogEntry2*>(stack_.get(0));
}

LogEntry2* ErrorLog::top() {
  if (!ensureRoot()) return nullptr;
  return static_cast<LogEntry2*>(stack_.last());
}

void ErrorLog::append(LogEntry2* entry) {
  LogEntry2* t = top();
  if (t == nullptr || unrecordedOpens_ > 0) {
    // Without its context the entry would land in the wrong place.
    delete entry;
    return;
  }
  t->appendChild(entry);
}

void ErrorLog::openContext(const char* name) {
  LogEntry2* t = top();
  if (t == nullptr || unrecordedOpens_ > 0) {
    ++unrecordedOpens_;
    return;
  }
  LogEntry2* context = LogEntry2::newContext(name);
  if (context == nullptr || !t->appendChild(context)) {
    ++unrecordedOpens_;
    return;
  }
  if (!stack_.append(context)) {
    t->destroyLastChild();
    ++unrecordedOpens_;
  }
}

void ErrorLog::closeContext() {
  if (unrecordedOpens_ > 0) {
    --unrecordedOpens_;
    return;
  }
  if (stack_.count() > 1) stack_.pop();
  if (stack_.count() > 1) {
    LogEntry2* t = static_cast<LogEntry2*>(stack_.last());
    LogEntry2* last = t->lastChild();
    if (last != nullptr && last->kind() == LogEntry2::kContext && last->childCount() == 0) {
      t->destroyLastChild();
    }
  }
}

void ErrorLog::reset() {
  destroyTree();
  ensureRoot();
}

// ---- Logger ---------------------------------------------------------------

Logger::Logger() = default;

Logger::~Logger() = default;

void Logger::toXmlText(StringBuffer& out) {
  TavlinCritSecGuard guard(critSec_);
  out.clear();
  if (LogEntry2* root = errorLog_.root()) root->toXmlText(out);
}

void Logger::toHtml(StringBuffer& out) {
  TavlinCritSecGuard guard(critSec_);
  out.clear();
  if (LogEntry2* root = errorLog_.root()) root->toHtml(out);
}

void Logger::toText(StringBuffer& out) {
  TavlinCritSecGuard guard(critSec_);
  out.clear();
  if (LogEntry2* root = errorLog_.root()) root->toText(out, 0);
}

bool Logger::addLine(LogEntry2::Kind kind, const char* text) {
  TavlinCritSecGuard guard(critSec_);
  if (text == nullptr) return true;
  errorLog_.append(LogEntry2::newLine(kind, text));
  return true;
}

bool Logger::addError(const char* text) { return addLine(LogEntry2::kError, text); }
bool Logger::addInfo(const char* text) { return addLine(LogEntry2::kInfo, text); }
bool Logger::addNote(const char* text) { return addLine(LogEntry2::kNote, text); }

bool Logger::reset() {
  TavlinCritSecGuard guard(critSec_);
  errorLog_.reset();
  return true;
}

bool Logger::openContext(const char* name, bool) {
  TavlinCritSecGuard guard(critSec_);
  errorLog_.openContext(name);
  return true;
}

bool Logger::closeContext() {
  TavlinCritSecGuard guard(critSec_);
  errorLog_.closeContext();
  return true;
}

// Item names are trimmed and their spaces become "_", so that every name is
// one word in all three renderings.
bool Logger::addItem(const char* name, const char* value) {
  TavlinCritSecGuard guard(critSec_);
  if (!hasNameChars(name)) return false;
  StringBuffer cleanName;
  if (!cleanName.setString(name)) return true;  // dropped
  cleanName.trim();
  cleanName.replaceByte(' ', '_');
  errorLog_.append(LogEntry2::newItem(cleanName.getString(), value != nullptr ? value : "(NULL)"));
  return true;
}

bool Logger::addData(const char* name, const char* value) { return addItem(name, value); }

bool Logger::addDataInt(const char* name, int32_t value) {
  char text[16];
  snprintf(text, sizeof text, "%" PRId32, value);
  return addItem(name, text);
}

bool Logger::addDataInt64(const char* name, int64_t value) {
  char text[24];
  snprintf(text, sizeof text, "%" PRId64, value);
  return addItem(name, text);
}

bool Logger::addDataHex(const char* name, uint32_t value) {
  char text[16];
  snprintf(text, sizeof text, "0x%" PRIx32, value);
  return addItem(name, text);
}

void Logger::addTickCount(const char* name) {
  char text[16];
  snprintf(text, sizeof text, "%" PRIx32, platform::tickCount());
  addItem(name, text);
}

bool Logger::writeXmlFile(const char* path, bool) {
  TavlinCritSecGuard guard(critSec_);
  StringBuffer xml;
  if (LogEntry2* root = errorLog_.root()) root->toXmlText(xml);
  return platform::writeWholeFileAnsi(path, xml.getString(), static_cast<size_t>(xml.getSize()));
}
