// EncodingConvert: converts text between character sets named by Windows
// code-page numbers, entirely by itself (the system's conversion services
// are never called).
//
//   1200   UTF-16 little-endian (the pivot form, and the output form)
//   1201   UTF-16 big-endian (as a source)
//   65001  UTF-8
//   65000  UTF-7 (as a source)
//   other  a table code page (code_page_tables.h)
//
// The Unicode forms are converted by algorithm; a table code page goes
// through UTF-16. Output is always appended to the caller's DataBuffer.
// No conversion stops at a bad character: what cannot be decoded or mapped
// is dropped, the rest is converted, and the loss shows only in the result.
// Nothing is logged.
//
// A short-lived object: construct one per conversion. The tables it uses
// are shared by all instances and live for the whole process.
#pragma once

#include <cstdint>

class DataBuffer;

class EncodingConvert {
 public:
  EncodingConvert() = default;
  virtual ~EncodingConvert();

  // Appends bytes converted from fromCodePage to toCodePage (0 means the
  // same as the source). A source of 0, or equal to the target, appends the
  // bytes unchanged. Otherwise a UTF-16 byte-order mark (either order, for
  // 1200 and 1201) or a UTF-8 one (for 65001) is removed and decides the
  // byte order. The result:
  //   UTF-8 -> UTF-16          always true
  //   UTF-16 -> UTF-8          false for an odd length
  //   UTF-7 -> ...             false for a malformed shift sequence
  //   table <-> UTF-16         false when a character had no mapping
  //   table or UTF-8 -> table or UTF-8 (two steps through UTF-16): the
  //                            result of the second step only
  //   an unsupported code page on either side: nothing appended, false
  // False also when out cannot grow.
  bool convert(int fromCodePage, int toCodePage, const unsigned char* bytes, uint32_t n,
               DataBuffer& out);

  // convert from the code page of a charset name (codePageForName); a name
  // it does not know appends nothing and gives false.
  bool convertByName(const char* charsetName, int toCodePage, const unsigned char* bytes,
                     uint32_t n, DataBuffer& out);

  // The code page of a charset name: trimmed of spaces, tabs, CR and LF,
  // ASCII-lower-cased and with "_" read as "-", it must be one of the known
  // names exactly ("utf-8", "windows-1252", "iso-8859-1", "shift-jis", ...).
  // 0 for any other name and for names shorter than 3 characters.
  static uint16_t codePageForName(const char* name);
};
