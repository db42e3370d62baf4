// StringBuffer: the growable NUL-terminated 8-bit string that carries text
// in and out of nearly every operation of the library.
//
// The text is bytes with no encoding attached; callers decide what it means
// (the XML layer keeps UTF-8, paths reach it as ANSI). Searches and
// comparisons stop at the first NUL byte; appendN may store NULs inside.
//
// Nothing throws. An allocation failure makes the growing operation return
// false and keeps the previous text; a constructor whose block cannot be
// obtained starts as a shared static empty string. A null text argument is
// treated as an empty text unless an operation says otherwise.
//
// Growth: when length + added reaches the capacity, a block of
// length + added + growStep + 1 bytes replaces the old one, and while the
// step is below 500,000 it becomes min(newCapacity / 2, 500,000), so the
// step doubles with the buffer and long appends stay linear.
//
// Every operation first checks the object's marker; using a destroyed
// StringBuffer stops the process through tavlinFatal.
#pragma once

#include <cstdint>

#include "core/tavlin_object.h"

class DataBuffer;
class ExtPtrArray;

class StringBuffer : public TavlinObject {
 public:
  // Tag for the constructor with an initial capacity.
  struct WithCapacity {
    int capacity;
  };

  StringBuffer();                          // capacity 202, step 202
  explicit StringBuffer(const char* s);    // capacity length + 1, step 200
  // A copy of n bytes (NULs allowed) with a terminator appended; capacity
  // n + 1; growStep 0 means 200.
  StringBuffer(const void* bytes, int n, int growStep);
  // Empty, with the given capacity and the same value as step (0 or less
  // means 200 for both).
  explicit StringBuffer(WithCapacity c);
  StringBuffer(const StringBuffer& other);  // capacity length + 1, step 200
  StringBuffer& operator=(const StringBuffer& other);  // setSb
  ~StringBuffer() override;

  // ---- Access ----
  const char* getString() const;  // never null
  int getSize() const;            // bytes before the terminator
  int getCapacity() const;        // bytes allocated, terminator included
  int getGrowStep() const;
  char charAt(int i) const;       // 0 when i is out of range
  char lastChar() const;          // 0 when empty

  // ---- Replacing the content ----
  void clear();  // length 0, capacity kept
  // Copies s; s may point into this buffer.
  bool setString(const char* s);
  bool setSb(const StringBuffer& other);
  // Adopts the memory of db when its last byte is a NUL: length = size - 1,
  // capacity = db's capacity, step 1024; db is left empty without releasing
  // anything. A db of fewer than 2 bytes only clears this buffer. Borrowed
  // memory is copied rather than adopted (this buffer will release what it
  // holds). False when the text cannot be taken (no NUL at the end, or an
  // allocation failure while copying); this buffer is then unchanged.
  bool takeDataBuffer(DataBuffer& db);

  // ---- Appending ----
  bool append(const char* s);                 // null appends nothing
  bool appendN(const void* bytes, int n);     // n bytes, NULs allowed
  bool appendChar(char c);
  bool appendCharN(char c, int n);
  bool appendSb(const StringBuffer& other);
  bool appendDataBuffer(const DataBuffer& db);
  bool appendUnsigned(uint32_t u);            // decimal
  // Two upper-case hex digits per byte; a space after every second byte and
  // a line feed after every sixteenth (a full line ends with space, LF).
  bool appendHexDump(const unsigned char* bytes, int n);
  // The system's message text for an error code (nothing when it has none),
  // then the whole buffer is trimmed.
  bool appendWindowsError(uint32_t code);
  bool appendLastWindowsError();  // appendWindowsError(platform::lastError())
  bool prepend(const char* s);    // grows without changing the step

  // ---- Capacity ----
  bool ensureCapacity(int n);     // room for n more bytes (growth rule)
  void shrinkToFit();             // length + 4 < capacity: exactly length + 1

  // ---- Editing in place ----
  void trim();                    // leading/trailing space, tab, CR, LF
  void removeChar(char c);
  void removeCharFrom(char c, int start);
  // Nothing happens unless start < length and start + count <= length.
  void removeRange(int start, int count);
  void shortenBy(int n);          // fewer when the text is shorter
  void replaceByte(char a, char b);
  // Replaces the character a by b. When the text contains a and every byte
  // is below 0x80 this is replaceByte. Text with bytes of 0x80 and above is
  // taken as UTF-8: a and b are read in the ANSI code page and replaced in
  // the UTF-16 form. Defined in the encoding layer (encoding/core_text_ops.cpp),
  // which owns that conversion; callers link it.
  bool replaceChar(char a, char b);
  // First occurrence only; false when find is empty or absent.
  bool replaceFirst(const char* find, const char* repl);
  // Every non-overlapping occurrence, left to right, without rescanning the
  // replacement; returns the count (0 when find is empty or absent, and also
  // when the new block cannot be obtained, the text then unchanged).
  int replaceAll(const char* find, const char* repl);
  // Keeps ASCII letters and digits, bytes >= 0x80 and "!-.:_".
  void keepNameChars();
  // ASCII A-Z to a-z, and 0xC0-0xDF get 0x20 added.
  void toLowerCase();
  // & -> &amp; then < -> &lt;, > -> &gt;, " -> &quot; (no apostrophe).
  bool xmlEscape();
  // Replaces each %NAME% by the value of the environment variable NAME
  // (case-insensitive); an undefined variable disappears with its percent
  // signs, "%%" yields nothing, a lone "%" stays. The buffer is replaced only
  // when a complete pair was found. False only on allocation failure.
  bool expandEnvironmentVariables();

  // ---- Queries ----
  bool containsChar(char c) const;
  bool contains(const char* s) const;
  bool containsNoCase(const char* s) const;  // false for an empty text
  bool beginsWith(const char* s) const;      // empty s: true
  bool endsWith(const char* s) const;        // empty s: true
  bool equals(const char* s) const;          // null equals only ""
  bool equalsSb(const StringBuffer& other) const;
  bool equalsNoCase(const char* s) const;    // ASCII folding
  // No high bit in the first n bytes (all bytes when n is 0).
  bool is7bit(int n) const;
  // The leading signed decimal integer as "%d" reads it (leading white space
  // skipped); 0 for no digits. Out-of-range values saturate at INT32_MIN /
  // INT32_MAX.
  int toInt() const;

  // Tokenizes the text and appends each token as a new StringBuffer to out,
  // which owns them. Adjacent separators give empty tokens, the last token
  // is always added, an empty text gives none. With honourQuotes a double
  // quote toggles a quoted stretch (quotes stay in the token); with
  // honourBackslash a backslash keeps itself and the next byte in the token.
  // False when a token or a slot cannot be allocated (the tokens made so far
  // stay in out).
  bool split(ExtPtrArray& out, const char* separators, bool honourQuotes,
             bool honourBackslash) const;

 private:
  void check() const;
  // Replaces the block by a new one with room for a text of `need` bytes
  // plus the grow step, keeping the first `keep` bytes of the old text.
  bool newBlock(int64_t need, int keep, bool adjustStep);
  bool grow(int added, bool adjustStep);  // make length + added < capacity
  bool setBytes(const char* bytes, int n);
  void releaseData();
  void swapBlock(StringBuffer& other);    // exchange text blocks only
  int replaceAllImpl(const char* find, const char* repl);  // -1: no memory
  int textLength() const;                 // bytes before the first NUL

  uint8_t marker_;
  char* data_;
  int capacity_;
  int length_;
  int growStep_;
};
