// Logger: the recording log, a tree of contexts, lines and named items.
//
// The tree hangs from a root context named "TavlinLog" that exists from
// construction on. openContext appends a context to the innermost open one
// and makes it the innermost; lines and items go to the innermost context.
// A context that is closed without having received anything disappears,
// unless it was opened directly under the root: so an operation that went
// well leaves no trace in the nested levels of a caller's log.
//
// The tree renders three ways (every line ends in CR LF):
//   toText     indented text, 2 spaces per level, "name:" for contexts and
//              "name: value" for items; the form shown to users.
//   toXmlText  "<name>...</name>" elements, texts in CDATA sections when
//              they hold markup characters, line feeds or tabs.
//   toHtml     contexts as <blockquote>, texts escaped, "<br>" line ends.
//
// Logging never fails in a way the caller must handle: an entry that cannot
// be allocated is dropped and the slot still reports true. Only a data item
// whose name is empty after trimming is refused (false).
#pragma once

#include <cstdint>

#include "core/ext_ptr_array.h"
#include "core/tavlin_crit_sec.h"
#include "core/tavlin_object.h"
#include "log/log_base.h"

class StringBuffer;

// One node of the log tree. Owns its name, text and children.
class LogEntry2 : public TavlinObject {
 public:
  enum Kind : uint8_t {
    kContext = 'C',
    kError = 'E',
    kInfo = 'I',  // also the kind of a fresh entry
    kNote = 'X',
    kItem = 'T',
  };

  LogEntry2();
  ~LogEntry2() override;
  LogEntry2(const LogEntry2&) = delete;
  LogEntry2& operator=(const LogEntry2&) = delete;

  // Factories; null when any part cannot be allocated (nothing leaks).
  static LogEntry2* newContext(const char* name);
  static LogEntry2* newLine(Kind kind, const char* text);  // 'E', 'I', 'X'
  static LogEntry2* newItem(const char* name, const char* value);

  uint8_t kind() const { return kind_; }
  const StringBuffer* name() const { return name_; }
  const StringBuffer* text() const { return text_; }
  int childCount() const;
  LogEntry2* child(int i) const;
  LogEntry2* lastChild() const;

  // Takes ownership of child; false (and child destroyed) when this is not
  // a context or the slot cannot be allocated.
  bool appendChild(LogEntry2* child);
  // Destroys the last child.
  void destroyLastChild();

  // Append this entry (and its subtree) to out; nothing for an entry that
  // lacks the parts its kind needs.
  void toText(StringBuffer& out, int depth) const;
  void toXmlText(StringBuffer& out) const;
  void toHtml(StringBuffer& out) const;

 private:
  uint8_t kind_;
  StringBuffer* name_;       // contexts and items
  StringBuffer* text_;       // lines and item values
  ExtPtrArray* children_;    // contexts only; owns its LogEntry2s
};

// The tree and the stack of open contexts. Element 0 of the stack is the
// root; the stack owns only the root, the root owns the tree.
class ErrorLog {
 public:
  static const char* const kRootName;  // "TavlinLog"

  ErrorLog();
  ~ErrorLog();
  ErrorLog(const ErrorLog&) = delete;
  ErrorLog& operator=(const ErrorLog&) = delete;

  // Null only when the root could not be allocated (it is retried by every
  // recording operation).
  LogEntry2* root();

  // Appends entry to the innermost open context; takes ownership (a null
  // entry, or one that cannot be linked in, is dropped).
  void append(LogEntry2* entry);
  void openContext(const char* name);
  void closeContext();
  void reset();

 private:
  LogEntry2* top();
  bool ensureRoot();
  void destroyTree();

  ExtPtrArray stack_;
  // Contexts opened while memory ran out: they were never recorded, and
  // their closes must not pop recorded ones.
  int unrecordedOpens_;
};

class Logger : public LogBase {
 public:
  Logger();
  ~Logger() override;

  void toXmlText(StringBuffer& out) override;
  void toHtml(StringBuffer& out) override;
  void toText(StringBuffer& out) override;
  bool addError(const char* text) override;
  bool addInfo(const char* text) override;
  bool addNote(const char* text) override;
  bool reset() override;
  bool openContext(const char* name, bool flag = false) override;
  bool closeContext() override;
  bool addData(const char* name, const char* value) override;
  bool addDataInt(const char* name, int32_t value) override;
  bool addDataInt64(const char* name, int64_t value) override;
  bool addDataHex(const char* name, uint32_t value) override;
  void addTickCount(const char* name) override;
  bool writeXmlFile(const char* path, bool flag = false) override;

 private:
  bool addLine(LogEntry2::Kind kind, const char* text);
  bool addItem(const char* name, const char* value);

  TavlinCritSec critSec_;
  ErrorLog errorLog_;
};
