#include "log/log_base.h"

#include <string>

#include "core/string_buffer.h"
#include "platform/platform.h"

LogBase::~LogBase() = default;

void LogBase::toXmlText(StringBuffer&) {}
void LogBase::toHtml(StringBuffer&) {}
void LogBase::toText(StringBuffer&) {}

bool LogBase::addError(const char*) { return true; }
bool LogBase::addInfo(const char*) { return true; }
bool LogBase::addNote(const char*) { return true; }
bool LogBase::reset() { return true; }
bool LogBase::openContext(const char*, bool) { return true; }
bool LogBase::closeContext() { return true; }
bool LogBase::addData(const char*, const char*) { return true; }
bool LogBase::addDataInt(const char*, int32_t) { return true; }
bool LogBase::addDataInt64(const char*, int64_t) { return true; }
bool LogBase::addDataHex(const char*, uint32_t) { return true; }
void LogBase::addTickCount(const char*) {}
bool LogBase::writeXmlFile(const char*, bool) { return true; }

void LogBase::addDataBytes(const char* name, const unsigned char* bytes, uint32_t n) {
  StringBuffer dump;
  if (bytes == nullptr) n = 0;
  // The dump takes an int count; feed it whole lines of 16 bytes so that the
  // pieces join into exactly the dump of the whole run.
  const uint32_t kPiece = 16u * 65536u;
  for (uint32_t done = 0; done < n;) {
    uint32_t piece = n - done < kPiece ? n - done : kPiece;
    if (!dump.appendHexDump(bytes + done, static_cast<int>(piece))) break;
    done += piece;
  }
  addData(name, dump.getString());
}

void LogBase::addLastWindowsError() {
  // Take the code before anything else can overwrite it.
  uint32_t code = platform::lastError();
  StringBuffer text;
  text.appendWindowsError(code);  // trims
  addData("WindowsError", text.getString());
  addDataHex("WindowsErrorCode", code);
}

void LogBase::addWindowsError(uint32_t code) {
  if (code == 0) return;
  std::string text = platform::systemErrorText(code);
  addData("WindowsError", text.c_str());
}

LogNull::~LogNull() = default;

LogContextExit::LogContextExit(LogBase& log, const char* name) : log_(log) {
  log_.openContext(name);
}

LogContextExit::~LogContextExit() { log_.closeContext(); }
