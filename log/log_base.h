// LogBase: the log every fallible operation of the library is handed.
//
// An operation that can fail reports into the LogBase it receives: it opens
// a context named after itself, adds data items, errors and informational
// lines, and closes the context on every exit path (LogContextExit does the
// closing). The caller decides what happens to all that: a Logger records it
// as a tree and renders it, a LogNull throws it away.
//
// The slots of this base class behave as LogNull's: nothing is recorded,
// every bool slot returns true and the renderers leave their output as it
// was. The order of the virtual slots below is part of the interface.
#pragma once

#include <cstdint>

class StringBuffer;

class LogBase {
 public:
  LogBase() = default;
  LogBase(const LogBase&) = delete;
  LogBase& operator=(const LogBase&) = delete;

  virtual ~LogBase();

  // ---- Renderings (the output is cleared first by recording logs) ----
  virtual void toXmlText(StringBuffer& out);
  virtual void toHtml(StringBuffer& out);
  virtual void toText(StringBuffer& out);

  // ---- Lines; a null text records nothing ----
  virtual bool addError(const char* text);
  virtual bool addInfo(const char* text);
  virtual bool addNote(const char* text);

  virtual bool reset();

  // ---- Contexts; flag is accepted and ignored ----
  virtual bool openContext(const char* name, bool flag = false);
  virtual bool closeContext();

  // ---- Named items; false when the trimmed name is empty ----
  virtual bool addData(const char* name, const char* value);
  virtual bool addDataInt(const char* name, int32_t value);
  virtual bool addDataInt64(const char* name, int64_t value);
  virtual bool addDataHex(const char* name, uint32_t value);  // "0x" + hex
  virtual void addTickCount(const char* name);

  // Writes the XML-like rendering as the whole content of the file at path
  // (ANSI). flag is accepted and ignored.
  virtual bool writeXmlFile(const char* path, bool flag = false);

  // ---- Built on the slots ----

  // addData(name, hex dump of the n bytes); n == 0 gives an empty value.
  void addDataBytes(const char* name, const unsigned char* bytes, uint32_t n);
  // "WindowsError" (the system's text for the last error, trimmed) and
  // "WindowsErrorCode" (the code in hex).
  void addLastWindowsError();
  // "WindowsError" with the system's text for code; nothing for code 0.
  void addWindowsError(uint32_t code);
};

// The log for callers that do not want one.
class LogNull : public LogBase {
 public:
  LogNull() = default;
  ~LogNull() override;
};

// Opens a context on construction and closes it on destruction, so that an
// operation's context is closed on every return path.
class LogContextExit {
 public:
  LogContextExit(LogBase& log, const char* name);
  ~LogContextExit();
  LogContextExit(const LogContextExit&) = delete;
  LogContextExit& operator=(const LogContextExit&) = delete;

 private:
  LogBase& log_;
};
