// XString: text kept in up to three encodings at once, the system's ANSI
// code page, UTF-8 and UTF-16LE, each produced on demand from one that is
// current and cached until the text changes.
//
// Callers hand it text in whatever encoding they have and ask for the one
// they need (UTF-16 for the wide system calls, ANSI for the narrow ones,
// UTF-8 for XML and logs). It also records whether the text survives
// conversion to ANSI, so that the file-system layer can choose between the
// narrow and the wide call.
//
// Invariants: at least one form is current and every current form holds the
// same text; a form that is not current is stale and ignored. Setters,
// appenders and editors leave exactly one form current (all three after
// clear); readers add forms and never drop one, except that isAnsiExact and
// equalsAnsi drop an ANSI form that lost characters.
//
// The ANSI code page is platform::ansiCodePage(), read at each conversion.
// Conversions are EncodingConvert's; text that cannot be represented still
// converts (the lost characters are dropped) and only ansiStatus records
// the loss.
#pragma once

#include <cstdint>

#include "core/data_buffer.h"
#include "core/string_buffer.h"
#include "core/tavlin_object.h"

class XString : public TavlinObject {
 public:
  enum AnsiStatus : uint32_t {
    kAnsiUnknown = 0,  // not yet determined
    kAnsiExact = 1,    // the ANSI form renders the text exactly
    kAnsiLossy = 2,    // converting to ANSI lost characters
  };

  XString();
  XString(const XString& other);
  XString& operator=(const XString& other);
  ~XString() override;

  // ---- Setting: each replaces the whole text ----
  void clear();  // all forms empty and current, ansiStatus unknown
  // ANSI current, exact. Null or empty clears.
  bool setFromAnsi(const char* text);
  // A leading UTF-8 byte-order mark is skipped. Null or empty clears.
  bool setFromUtf8(const char* text);
  // n bytes; the mark is skipped only when n >= 3, and a text that is only
  // the mark is empty.
  bool setFromUtf8N(const void* bytes, int n);
  // A NUL-terminated UTF-16 text. Null or empty clears.
  bool setFromUtf16(const uint16_t* text);
  void copyFrom(const XString& other);  // every form, flag and the status

  // ---- Reading: converts on demand and caches ----
  const char* getAnsi();
  const char* getUtf8();
  // The UTF-8 buffer itself; meaningful after getUtf8.
  const StringBuffer& getUtf8Sb() const { return utf8_; }
  const uint16_t* getUtf16();  // NUL-terminated
  // Bytes of the ANSI form when that is current; otherwise UTF-16 code units.
  int getLength();
  // True when the text converts to ANSI without loss. Afterwards a lossless
  // ANSI form is current; a lossy one is dropped.
  bool isAnsiExact();
  AnsiStatus ansiStatus() const { return static_cast<AnsiStatus>(ansiStatus_); }

  // ---- Appending: the argument's form becomes the only current one ----
  // When the text so far has no exact ANSI form, the argument is converted
  // and appended to the UTF-16 form instead, which then is current.
  bool appendAnsi(const char* text);
  bool appendUtf8(const char* text);  // a leading mark of text is skipped
  bool appendUtf8N(const void* bytes, int n);
  bool appendUtf16(const uint16_t* text);
  // other's current form, preferring UTF-8, then UTF-16, then ANSI.
  bool appendX(const XString& other);

  // ---- UTF-8 queries and edits (arguments are UTF-8, a leading mark skipped) ----
  bool beginsWithUtf8(const char* s);
  bool endsWithUtf8(const char* s);
  bool containsUtf8(const char* s);
  // -1 when absent; otherwise the position of the first occurrence in
  // UTF-16 code units.
  int indexOfUtf8(const char* s);
  void trim();  // spaces, tabs, CR and LF at both ends; only UTF-8 current
  // First occurrence only; on success only UTF-8 is current.
  bool replaceFirstUtf8(const char* find, const char* repl);

  // ---- Other operations ----
  // Compares the ANSI form byte for byte (null equals only ""). A lossy ANSI
  // form is dropped again afterwards.
  bool equalsAnsi(const char* text);
  // Drops the last n UTF-16 code units (all of them clears); only UTF-16
  // current.
  void shortenBy(int n);
  // Lower-cases every UTF-16 code unit (core/case_map.h); only UTF-16 current.
  void toLowerCase();
  // a and b are single ANSI bytes: the UTF-16 unit of a is replaced by that
  // of b throughout; only UTF-16 current. Nothing changes when either byte
  // has no UTF-16 form of its own in the ANSI code page.
  void replaceChar(char a, char b);

 private:
  void produceUtf16();
  void produceAnsi();
  void produceUtf8();
  // Leaves exactly one form current after an edit of that form.
  void onlyUtf8();
  void onlyUtf16();
  uint32_t utf16Units() const;  // without the terminator

  uint32_t ansiStatus_;
  uint8_t utf16Valid_;
  uint8_t ansiValid_;
  uint8_t utf8Valid_;
  DataBuffer utf16_;  // code units, then two zero bytes
  StringBuffer ansi_;
  StringBuffer utf8_;  // never with a byte-order mark
};
