#include "xml/element_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/string_buffer.h"
#include "xml/xml_entities.h"

namespace {

// The content rule done literally: append, then decode the whole content.
class LiteralText {
 public:
  void addPiece(const std::string& lead, const std::string& piece, bool trim) {
    if (!trim) text_.append(lead.c_str());
    if (present_ && text_.getSize() > 0) text_.appendChar(' ');
    present_ = true;
    text_.append(piece.c_str());
    decodeXmlEntities(text_);
  }
  void addCdata(const std::string& bytes) {
    present_ = true;
    text_.append(bytes.c_str());
  }
  std::string text() const { return text_.getString(); }

 private:
  bool present_ = false;
  StringBuffer text_;
};

TEST(ElementTextTest, MatchesDecodingTheWholeContentAfterEveryPiece) {
  // Fragments that make entities, half entities and chains of them.
  const char* const fragments[] = {"&", "amp;", "lt;", "gt;", "quot;", "apos;", "&amp;", "&lt;",
                                   "a", "m", "p", ";", "q", "x", " ", "&am", "p;", "&#65;"};
  std::mt19937 rng(12345);
  for (int round = 0; round < 3000; ++round) {
    const bool trim = rng() % 2 == 0;
    ElementText fast;
    LiteralText literal;
    const int steps = 1 + rng() % 8;
    for (int s = 0; s < steps; ++s) {
      std::string bytes;
      const int parts = 1 + rng() % 6;
      for (int p = 0; p < parts; ++p) bytes += fragments[rng() % (sizeof fragments / sizeof *fragments)];
      if (rng() % 3 == 0) {
        fast.addCdata(bytes.data(), static_cast<int>(bytes.size()));
        literal.addCdata(bytes);
      } else {
        const std::string lead = (rng() % 2) ? "\n " : "";
        fast.addPiece(lead.data(), static_cast<int>(lead.size()), bytes.data(),
                      static_cast<int>(bytes.size()), trim);
        literal.addPiece(lead, bytes, trim);
      }
      ASSERT_EQ(fast.text(), literal.text()) << "round " << round << " step " << s;
    }
  }
}

TEST(ElementTextTest, LongChainsStayLinear) {
  // "&" and a million "amp;": every piece added afterwards strips one
  // level. Decoding the whole content per piece would make this some 10^12
  // byte moves.
  const int levels = 1 << 20;
  std::string chain = "&";
  for (int i = 0; i < levels; ++i) chain += "amp;";
  ElementText text;
  text.addPiece("", 0, chain.data(), static_cast<int>(chain.size()), true);
  const int pieces = levels - 5;
  for (int i = 0; i < pieces; ++i) text.addPiece("", 0, "x", 1, true);
  // One level went with the chain's own piece, one with each later piece.
  std::string expected = "&";
  for (int i = 0; i < levels - 1 - pieces; ++i) expected += "amp;";
  std::string tail;
  for (int i = 0; i < pieces; ++i) tail += " x";
  EXPECT_EQ(text.text(), expected + tail);
}

TEST(ElementTextTest, PresenceAndCdataMark) {
  ElementText text;
  EXPECT_FALSE(text.present());
  text.addCdata("", 0);
  EXPECT_TRUE(text.present());
  EXPECT_TRUE(text.empty());
  // Content that is present but empty takes no separator.
  text.addPiece("", 0, "a", 1, true);
  EXPECT_EQ(text.text(), "a");
}

}  // namespace
