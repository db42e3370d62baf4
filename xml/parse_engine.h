// ParseEngine: the cursor the XML parser moves over its text.
//
// The engine keeps a private NUL-terminated copy of the whole text and an
// index into it. Every operation stops at the terminating NUL: the position
// never moves past it. To capture is to append the bytes passed over to a
// StringBuffer.
//
// The searches that fail without moving (captureThroughNoCase, skipPast)
// remember where they failed: the text never changes, so a later search for
// the same string from a later position fails at once. Without that a
// document made of many unterminated "<?" instructions would be scanned to
// its end once per instruction.
#pragma once

#include "core/string_buffer.h"

class ParseEngine {
 public:
  // Copies the first n bytes of text (up to a NUL among them).
  ParseEngine(const char* text, int n);
  ParseEngine(const ParseEngine&) = delete;
  ParseEngine& operator=(const ParseEngine&) = delete;

  // False when the copy could not be made (the engine is then empty).
  bool ok() const { return ok_; }

  int pos() const { return pos_; }
  void setPos(int pos);  // clamped to the text
  char peek() const { return text_[pos_]; }
  char peekAt(int ahead) const;  // 0 beyond the end
  bool atEnd() const { return text_[pos_] == 0; }
  void advance(int n = 1);  // stops at the end
  const char* here() const { return text_ + pos_; }

  // The text at pos begins with s, ASCII case ignored.
  bool atNoCase(const char* s) const;
  bool at(const char* s) const;

  void skipWhiteSpace();  // space, tab, CR, LF
  // Advances to the next byte c, or to the end.
  void skipTo(char c);
  // Advances to the next c and returns true; returns false standing on stop
  // when stop comes first; true standing on the end when neither comes.
  bool skipToUnless(char c, char stop);
  // Captures up to the first byte that is in set (NUL-terminated), or to
  // the end.
  void captureUntilAny(const char* set, StringBuffer& out);
  void captureUntil(char c, StringBuffer& out);
  // Captures byte by byte, counting open as +1 and close as -1 from depth,
  // through the byte that brings the count to 0. False if the text ends
  // first (everything up to the end is then captured).
  bool captureBalanced(char open, char close, int depth, StringBuffer& out);
  // Finds s ignoring ASCII case; if found, captures through it and returns
  // true, otherwise returns false without moving.
  bool captureThroughNoCase(const char* s, StringBuffer& out);
  // Finds s; if found, stands after it and returns true, otherwise returns
  // false without moving.
  bool skipPast(const char* s);
  // Finds s from pos: its index, or -1 (exact bytes; nothing moves).
  int find(const char* s) const;

 private:
  int findNoCase(const char* s);
  bool knownMiss(const char* s) const;
  void rememberMiss(const char* s);

  StringBuffer copy_;
  const char* text_;
  int length_;
  int pos_;
  bool ok_;
  // The strings searched for and the earliest position from which each
  // search failed (-1: not yet).
  static constexpr int kMissSlots = 4;
  const char* missString_[kMissSlots];
  int missFrom_[kMissSlots];
};
