#include "encoding/encoding_convert.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/data_buffer.h"

namespace {

struct Result {
  bool ok;
  std::string bytes;
};

Result convert(int from, int to, const std::string& in) {
  EncodingConvert ec;
  DataBuffer out;
  bool ok = ec.convert(from, to, reinterpret_cast<const unsigned char*>(in.data()),
                       static_cast<uint32_t>(in.size()), out);
  return {ok, std::string(reinterpret_cast<const char*>(out.getData()), out.getSize())};
}

std::string hex(const std::string& s) {
  static const char d[] = "0123456789ABCDEF";
  std::string r;
  for (unsigned char c : s) {
    if (!r.empty()) r += ' ';
    r += d[c >> 4];
    r += d[c & 15];
  }
  return r;
}

// A literal that may hold NUL bytes.
template <size_t N>
std::string B(const char (&s)[N]) {
  return std::string(s, N - 1);
}

std::string u16(std::initializer_list<uint16_t> units) {
  std::string r;
  for (uint16_t u : units) {
    r += static_cast<char>(u & 0xFF);
    r += static_cast<char>(u >> 8);
  }
  return r;
}

TEST(CodePageForName, NamesTable) {
  const struct {
    const char* name;
    int codePage;
  } cases[] = {
      {" UTF_8 ", 65001},      {"utf-8", 65001},       {"Windows-1252", 1252},
      {"\tWINDOWS-1250\r\n", 1250}, {"windows-1258", 1258}, {"windows-874", 874},
      {"iso-8859-1", 28591},   {"ISO_8859-8", 28598},  {"iso-8859-9", 0},
      {"iso-8859-15", 0},      {"us-ascii", 20127},    {"utf-16", 1200},
      {"UCS-2", 1200},         {"unicode", 1200},      {"unicodeFFFE", 1201},
      {"utf-7", 65000},        {"ebcdic", 37},         {"euc-jp", 51932},
      {"euc-cn", 51936},       {"euc-kr", 51949},      {"euc-tw", 51950},
      {"big5", 950},           {"gb2312", 936},        {"Shift_JIS", 932},
      {"sjis", 932},           {"ks_c_5601-1987", 949}, {"korean", 949},
      {"ks-c-5601", 949},      {"ks-c5601", 949},      {"ksc5601", 949},
      {"ksc-5601", 949},       {"ks-c-5601-1989", 949}, {"koi8-r", 20866},
      {"koi", 20866},          {"koi8", 20866},        {"KOI8R", 20866},
      {"koi8-u", 21866},       {"koi8-ru", 21866},     {"sen-850200-b", 20107},
      {"swedish", 20107},      {"ut", 0},              {"  ko  ", 0},
      {"", 0},                 {"utf8", 0},            {"utf-8x", 0},
      {"u t f-8", 0},          {"a-very-long-charset-name", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EncodingConvert::codePageForName(c.name), c.codePage);
  }
  EXPECT_EQ(EncodingConvert::codePageForName(nullptr), 0);
}

TEST(EncodingConvert, EntryRulesAndByteOrderMarks) {
  const struct {
    int from, to;
    std::string in;
    bool ok;
    std::string out;
  } cases[] = {
      // Same code page (or 0): unchanged, mark included.
      {65001, 65001, "\xEF\xBB\xBF" "A", true, "\xEF\xBB\xBF" "A"},
      {65001, 0, "\xEF\xBB\xBF" "A", true, "\xEF\xBB\xBF" "A"},
      {0, 1252, "\x81\xFF", true, "\x81\xFF"},
      {28600, 28600, "x", true, "x"},
      // The UTF-8 mark is removed on the way to another form.
      {65001, 1200, "\xEF\xBB\xBF" "A", true, u16({'A'})},
      {65001, 1200, "\xEF\xBB\xBF", true, ""},
      {65001, 1200, "\xEF\xBB", true, ""},  // a cut mark is just bad UTF-8
      // UTF-16 marks decide the byte order whatever the code page says.
      {1200, 65001, B("\xFE\xFF\x00" "A"), true, "A"},
      {1201, 65001, B("\xFF\xFE" "A\x00"), true, "A"},
      {1201, 65001, B("\x00" "A\x00" "B"), true, "AB"},
      {1200, 65001, "\xFF\xFE", true, ""},
      {1200, 1201, B("\xFE\xFF\x00" "A"), true, B("\x00" "A")},
      {1201, 1200, B("\x00" "A\x00"), true, u16({'A'})},  // odd byte dropped
      {1201, 1200, "A", true, ""},
      // Empty input.
      {1252, 65001, "", true, ""},
      {28600, 65001, "", true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to) + ": " + hex(c.in));
    Result r = convert(c.from, c.to, c.in);
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_EQ(hex(r.bytes), hex(c.out));
  }
}

TEST(EncodingConvert, Utf16ToUtf8) {
  const struct {
    std::string in;
    bool ok;
    std::string out;
  } cases[] = {
      {u16({'A', 0, 'B'}), true, "AB"},  // NUL units give nothing
      {u16({0x7F, 0x80, 0x7FF, 0x800, 0xFFFF}), true,
       "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
      // A surrogate pair is written unit by unit.
      {u16({0xD83D, 0xDE00}), true, "\xED\xA0\xBD\xED\xB8\x80"},
      {u16({'A'}) + "B", false, "A"},  // odd length
      {"B", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(hex(c.in));
    Result r = convert(1200, 65001, c.in);
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_EQ(hex(r.bytes), hex(c.out));
  }
}

TEST(EncodingConvert, Utf8ToUtf16DropsWhatItCannotDecode) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {B("a\0b"), u16({'a', 0, 'b'})},
      {"\xC3\xA9", u16({0xE9})},
      {"\xE2\x82\xAC", u16({0x20AC})},
      {"\xED\xA0\xBD\xED\xB8\x80", u16({0xD83D, 0xDE00})},  // surrogates accepted
      {"\xF0\x9F\x98\x80", ""},                             // four bytes: unsupported
      {"\x80" "a", u16({'a'})},                             // stray continuation
      {"\xC0\x80" "a", u16({'a'})},                         // C0 and C1 are overlong
      {"\xC1\xBF", ""},
      {"\xE0\x80\x80" "a", u16({'a'})},                     // overlong three-byte form
      {"\xE0\xA0\x80", u16({0x800})},
      {"\xC3", ""},                                         // cut off by the end
      {"\xE2\x82", ""},
      {"\xC3" "A", u16({'A'})},                             // bad continuation
      {"\xE2\x82" "A", u16({'A'})},
      {"\xE2\xC3\xA9", u16({0xE9})},                        // resync on the next byte
      {"\xFF\xFE\xF5", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(hex(c.in));
    Result r = convert(65001, 1200, c.in);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(hex(r.bytes), hex(c.out));
  }
}

TEST(EncodingConvert, WholeBmpRoundTripsThroughUtf8) {
  // Every unit but NUL, surrogates included in any order, comes back.
  std::string utf16;
  for (uint32_t u = 1; u <= 0xFFFF; ++u) utf16 += u16({static_cast<uint16_t>(u)});
  // Also surrogates in pairs and reversed pairs.
  utf16 += u16({0xD800, 0xDC00, 0xDBFF, 0xDFFF, 0xDC00, 0xD800});
  Result utf8 = convert(1200, 65001, utf16);
  ASSERT_TRUE(utf8.ok);
  Result back = convert(65001, 1200, utf8.bytes);
  ASSERT_TRUE(back.ok);
  EXPECT_TRUE(back.bytes == utf16);
  // The well-formed part (everything outside the surrogates) is standard
  // UTF-8: spot-check sizes.
  EXPECT_EQ(utf8.bytes.size(), 0x7Fu + 2 * (0x800u - 0x80u) + 3 * (0x10000u - 0x800u) + 18u);
}

TEST(EncodingConvert, Utf8HostileInputStaysInBounds) {
  // Every byte string of up to three bytes over the interesting values.
  const unsigned char values[] = {0x00, 0x41, 0x7F, 0x80, 0xA0, 0xBF, 0xC0, 0xC2,
                                  0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xFF};
  const int k = sizeof values;
  for (int len = 1; len <= 3; ++len) {
    int combos = 1;
    for (int i = 0; i < len; ++i) combos *= k;
    for (int c = 0; c < combos; ++c) {
      std::vector<unsigned char> in(len);
      for (int i = 0, v = c; i < len; ++i, v /= k) in[i] = values[v % k];
      EncodingConvert ec;
      DataBuffer out;
      ASSERT_TRUE(ec.convert(65001, 1200, in.data(), static_cast<uint32_t>(len), out));
      ASSERT_LE(out.getSize(), 2u * len);
      DataBuffer back;
      ec.convert(1200, 65001, out.getData(), out.getSize(), back);
    }
  }
}

TEST(EncodingConvert, Utf7) {
  const struct {
    std::string in;
    bool ok;
    std::string out;
  } cases[] = {
      {"Hi+AGEAYg-!", true, "Hiab!"},
      {"+-", true, "+"},
      {"a+-b", true, "a+b"},
      {"+AGE-", true, "a"},
      {"+AGE", true, "a"},                     // the end of the text ends it too
      {"+AGE.", true, "a."},                   // any other byte ends it, and stays
      {"+ZeVnLIqe-", true, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"},  // RFC 2152
      {"A+ImIDkQ.", true, "A\xE2\x89\xA2\xCE\x91."},                // RFC 2152
      {"+AGF-", false, "a"},                   // leftover bits are not zero
      {"+!", false, "!"},                      // a sequence that gave nothing
      {"+", false, ""},
      {"+A-", false, ""},
      {B("a\0b"), true, "ab"},   // NUL bytes are dropped
      {"a\xE9" "b", false, "ab"},              // 8-bit bytes are not UTF-7
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    Result r = convert(65000, 65001, c.in);
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_EQ(r.bytes, c.out);
  }
  Result r = convert(65000, 1200, "+2D3eAA-");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(hex(r.bytes), hex(u16({0xD83D, 0xDE00})));
}

TEST(EncodingConvert, Utf7HostileInputStaysInBounds) {
  const char values[] = "+-A/z9.\x80";
  const int k = sizeof values - 1;
  for (int len = 1; len <= 5; ++len) {
    int combos = 1;
    for (int i = 0; i < len; ++i) combos *= k;
    for (int c = 0; c < combos; ++c) {
      std::string in(len, ' ');
      for (int i = 0, v = c; i < len; ++i, v /= k) in[i] = values[v % k];
      Result r = convert(65000, 1200, in);
      ASSERT_LE(r.bytes.size(), 2u * len);
      ASSERT_EQ(r.bytes.size() % 2, 0u);
    }
  }
}

TEST(EncodingConvert, RoutesThroughUtf16) {
  // UTF-8 to a table code page and back, in two steps each.
  Result cp = convert(65001, 1252, "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_TRUE(cp.ok);
  EXPECT_EQ(cp.bytes, "caf\xE9 \x80");
  Result back = convert(1252, 65001, cp.bytes);
  EXPECT_TRUE(back.ok);
  EXPECT_EQ(back.bytes, "caf\xC3\xA9 \xE2\x82\xAC");
  // Table to table.
  Result cyr = convert(1251, 866, "\xC0\xE1");  // "Аб" in Windows-1251
  EXPECT_TRUE(cyr.ok);
  EXPECT_EQ(hex(cyr.bytes), "80 A1");
  // Only the second step shows in the result of a two-step conversion.
  Result lostIn = convert(1252, 65001, "a\x81" "b");
  EXPECT_TRUE(lostIn.ok);
  EXPECT_EQ(lostIn.bytes, "ab");
  Result lostOut = convert(65001, 1252, "a\xD0\x96" "b");  // U+0416 is not in 1252
  EXPECT_FALSE(lostOut.ok);
  EXPECT_EQ(lostOut.bytes, "ab");
  // UTF-7 problems show whatever the target.
  Result utf7 = convert(65000, 1252, "+AGF-x");
  EXPECT_FALSE(utf7.ok);
  EXPECT_EQ(utf7.bytes, "ax");
}

TEST(EncodingConvert, UnsupportedCodePagesConvertNothing) {
  const struct {
    int from, to;
  } cases[] = {
      {1200, 28600}, {65001, 28600}, {28600, 1200}, {28600, 65001}, {51950, 65001},
      {1252, 52936}, {65001, 1201},  {1200, 65000}, {65001, 65000}, {1252, 28601},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
    Result r = convert(c.from, c.to, c.from == 1200 ? u16({'a', 'b'}) : "ab");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.bytes, "");
  }
}

TEST(EncodingConvert, AppendsAfterExistingContent) {
  EncodingConvert ec;
  DataBuffer out;
  out.append("pre:", 4);
  const unsigned char in[] = {'A', 0, 0xE9, 0};
  EXPECT_TRUE(ec.convert(1200, 65001, in, sizeof in, out));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.getData()), out.getSize()),
            "pre:A\xC3\xA9");
  EXPECT_TRUE(ec.convert(1252, 1200, nullptr, 10, out));
  EXPECT_EQ(out.getSize(), 7u);
}

TEST(EncodingConvert, ConvertByName) {
  EncodingConvert ec;
  DataBuffer out;
  const unsigned char latin[] = {'c', 'a', 'f', 0xE9};
  EXPECT_TRUE(ec.convertByName(" ISO-8859-1 ", 65001, latin, sizeof latin, out));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.getData()), out.getSize()),
            "caf\xC3\xA9");
  out.clear();
  EXPECT_FALSE(ec.convertByName("iso-8859-9", 65001, latin, sizeof latin, out));
  EXPECT_FALSE(ec.convertByName(nullptr, 65001, latin, sizeof latin, out));
  EXPECT_EQ(out.getSize(), 0u);
  // A UTF-16 document named as such loses its mark.
  const unsigned char doc[] = {0xFF, 0xFE, '<', 0, 'a', 0};
  EXPECT_TRUE(ec.convertByName("utf-16", 65001, doc, sizeof doc, out));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.getData()), out.getSize()), "<a");
}

}  // namespace
