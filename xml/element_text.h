// ElementText: the content of one element while the parser reads it.
//
// The parser decodes the entities over the whole content every time it adds
// a text piece, so a piece that comes after an earlier one decodes the
// earlier result again ("&amp;lt;", then a child element, then more text,
// ends as "<"). Done literally that is a pass over the whole content per
// piece, quadratic in a long mixed content. ElementText gives the same
// result in linear time.
//
// Why that works: a decoding pass replaces "&lt;", "&gt;", "&quot;",
// "&apos;" and then "&amp;". Each of those starts with the only "&" it
// contains, and what replaces it is one of < > " ' &, none of which can
// continue an entity. So every "&" of the text evolves on its own: per pass
// it either loses a leading "amp;" (and stays an "&"), or turns into the
// character its entity names (and is done), or, followed by anything else,
// never changes again. Only the last "&" can wait for more bytes: a CDATA
// section is appended without a separator and may complete its entity.
//
// So the text is kept as the bytes received, plus a short record for every
// "&" that ever matched an entity: where it stands, what it has become and
// how many bytes after it are consumed. A pass touches only the "&"s that
// still match; each touch consumes at least three bytes or ends the "&".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TreeNode;

class ElementText {
 public:
  ElementText() = default;

  // The element has content (possibly empty).
  bool present() const { return present_; }
  bool empty() const { return raw_.empty(); }

  // A text piece as the parser adds it: with content already present,
  // leadingSpace (when not trimming), then a space when the content is not
  // empty, then the piece; otherwise leadingSpace (when not trimming) and
  // the piece. Then one decoding pass over the whole content.
  void addPiece(const char* leadingSpace, int leadingLength, const char* piece, int pieceLength,
                bool trimWhitespace);
  // CDATA bytes, appended unchanged and without a decoding pass.
  void addCdata(const char* bytes, int n);

  // The content as decoding has left it.
  std::string text() const;
  // Gives node the content (appended to its content buffer) and the CDATA
  // mark, when there is any.
  void moveTo(TreeNode& node);

 private:
  struct Amp {
    uint32_t at;         // where the "&" stands in raw_
    uint32_t restBegin;  // first byte after it still in the text
    char now;            // '&', or the character its entity became
    bool live;           // the bytes at restBegin form an entity name
  };

  void append(const char* bytes, size_t n);
  void decodePass();
  // The entity whose name (after the "&") starts at raw_[i]: its length
  // (3 to 5) and the character it stands for; 0 when none.
  int entityAt(size_t i, char& becomes) const;
  void track(uint32_t at);

  bool present_ = false;
  bool cdata_ = false;
  std::string raw_;
  std::vector<Amp> amps_;        // in order of position
  std::vector<uint32_t> live_;   // indices into amps_ of the live ones
  std::vector<uint32_t> spare_;  // scratch for decodePass
  // The last "&" in raw_, or -1: the one whose entity may still be
  // completed by later bytes.
  int64_t lastAmp_ = -1;
};
