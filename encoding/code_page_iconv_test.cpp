// Cross-check of the built-in single-byte tables against the C library's
// iconv (glibc), an independent implementation of the same published
// mappings. Every byte is decoded by both; where the tables deliberately
// differ from the published mapping, or glibc follows another vendor's
// table, the difference is listed here and asserted as such.
#if TAVLIN_HAVE_ICONV

#include <gtest/gtest.h>
#include <iconv.h>

#include <map>
#include <string>
#include <vector>

#include "core/data_buffer.h"
#include "encoding/encoding_convert.h"

namespace {

const int kNone = -1;  // no mapping

// The code unit iconv gives for one byte, kNone when it gives none (or more
// than one unit).
class IconvDecoder {
 public:
  explicit IconvDecoder(const char* name) : cd_(iconv_open("UTF-16LE", name)) {}
  ~IconvDecoder() {
    if (ok()) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  int decode(unsigned char byte) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char in[1] = {static_cast<char>(byte)};
    char out[16];
    char* ip = in;
    char* op = out;
    size_t il = 1, ol = sizeof out;
    size_t r = iconv(cd_, &ip, &il, &op, &ol);
    // Stateful decoders (1255, 1258 compose diacritics) hold the character
    // back until they are flushed.
    iconv(cd_, nullptr, nullptr, &op, &ol);
    size_t n = sizeof out - ol;
    if (r == static_cast<size_t>(-1) || n != 2) return kNone;
    return static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8;
  }

 private:
  iconv_t cd_;
};

std::vector<int> ourDecoding(int codePage) {
  std::vector<int> units(256, kNone);
  for (int b = 1; b < 256; ++b) {
    unsigned char in = static_cast<unsigned char>(b);
    EncodingConvert ec;
    DataBuffer out;
    bool ok = ec.convert(codePage, 1200, &in, 1, out);
    if (ok && out.getSize() == 2) units[b] = out.getData()[0] | out.getData()[1] << 8;
    EXPECT_TRUE(ok ? out.getSize() == 2 : out.getSize() == 0) << "byte " << b;
  }
  return units;
}

struct Page {
  int codePage;
  const char* iconvName;
  // byte -> our code unit (kNone: no mapping) where we differ from iconv.
  std::map<int, int> differences;
};

std::map<int, int> c1(std::initializer_list<int> bytes) {
  std::map<int, int> m;
  for (int b : bytes) m[b] = b;
  return m;
}

std::map<int, int> merge(std::map<int, int> a, const std::map<int, int>& b) {
  a.insert(b.begin(), b.end());
  return a;
}

// The bytes 80-9F of Windows-1252, which 28591 carries instead of C1.
std::map<int, int> windows1252High() {
  const int units[32] = {0x20AC, kNone,  0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, kNone,  0x017D, kNone,
                         kNone,  0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, kNone,  0x017E, 0x0178};
  std::map<int, int> m;
  for (int i = 0; i < 32; ++i) m[0x80 + i] = units[i];
  return m;
}

const std::map<int, int> kEuroAt80 = {{0x80, 0x20AC}};

std::vector<Page> pages() {
  std::vector<Page> p = {
      {28591, "ISO-8859-1", windows1252High()},
      {28592, "ISO-8859-2", kEuroAt80},
      {28593, "ISO-8859-3", kEuroAt80},
      {28594, "ISO-8859-4", kEuroAt80},
      {28595, "ISO-8859-5", kEuroAt80},
      {28596, "ISO-8859-6", kEuroAt80},
      {28597, "ISO-8859-7", {{0x80, kNone}}},
      {28598, "ISO-8859-8", kEuroAt80},
      {28599, "ISO-8859-9", kEuroAt80},
      {28603, "ISO-8859-13", {}},
      {28605, "ISO-8859-15", {}},
      {437, "IBM437", {}},
      {737, "CP737", {}},
      {775, "IBM775", {}},
      {850, "IBM850", {}},
      {852, "IBM852", {}},
      {855, "IBM855", {}},
      {857, "IBM857", {{0xD5, 0xF8BB}, {0xE7, 0xF8BC}, {0xF2, 0xF8BD}}},
      {858, "IBM858", {}},
      {860, "IBM860", {}},
      {861, "IBM861", {}},
      {862, "IBM862", {}},
      {863, "IBM863", {}},
      {864, "IBM864",
       merge({{0x25, 0x0025}, {0xA6, 0xF8BE}, {0xA7, 0xF8BF}, {0xFF, 0xF8C0}},
             c1({0x9B, 0x9C, 0x9F}))},
      {865, "IBM865", {}},
      {866, "IBM866", {}},
      {869, "IBM869", c1({0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x87, 0x93, 0x94})},
      {874, "CP874",
       merge(c1({0x81, 0x82, 0x83, 0x84, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E,
                 0x8F, 0x90, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F}),
             {{0xDB, 0xF8C1}, {0xDC, 0xF8C2}, {0xDD, 0xF8C3}, {0xDE, 0xF8C4},
              {0xFC, 0xF8C5}, {0xFD, 0xF8C6}, {0xFE, 0xF8C7}, {0xFF, 0xF8C8}})},
      {37, "IBM037", {}},
      {500, "IBM500", {}},
      // DC, E1, EC, ED, FC and FD have no mapping in our table and none in
      // glibc's either. glibc's IBM875 follows IBM's table where Microsoft's
      // (ours) has 6A -> U+007C, 74 -> U+00A0 and DD -> U+0387.
      {875, "IBM875", {{0x6A, 0x007C}, {0x74, 0x00A0}, {0xDD, 0x0387}}},
      {870, "IBM870", {}},
      {20127, "ASCII", {}},
  };
  for (int cp = 1250; cp <= 1258; ++cp) p.push_back({cp, nullptr, {}});
  return p;
}

TEST(CodePagesAgainstIconv, EveryByteDecodesAsIconvSaysAndEncodesBack) {
  for (const Page& page : pages()) {
    std::string name = page.iconvName ? page.iconvName : "CP" + std::to_string(page.codePage);
    SCOPED_TRACE(std::to_string(page.codePage) + " / " + name);
    IconvDecoder iconvDecoder(name.c_str());
    ASSERT_TRUE(iconvDecoder.ok()) << "iconv does not know " << name;
    std::vector<int> ours = ourDecoding(page.codePage);
    int differences = 0;
    for (int b = 1; b < 256; ++b) {
      int theirs = iconvDecoder.decode(static_cast<unsigned char>(b));
      auto listed = page.differences.find(b);
      if (listed != page.differences.end()) {
        EXPECT_NE(theirs, listed->second) << "listed difference at byte " << b << " is none";
        EXPECT_EQ(ours[b], listed->second) << "byte " << b;
        ++differences;
      } else {
        EXPECT_EQ(ours[b], theirs) << "byte " << b;
      }
    }
    EXPECT_EQ(differences, static_cast<int>(page.differences.size()));

    // All 255 bytes at once decode to the same units, and every unit
    // encodes back to its byte.
    std::vector<unsigned char> all;
    std::vector<uint16_t> expected;
    for (int b = 1; b < 256; ++b) {
      all.push_back(static_cast<unsigned char>(b));
      if (ours[b] != kNone) expected.push_back(static_cast<uint16_t>(ours[b]));
    }
    EncodingConvert ec;
    DataBuffer utf16;
    bool complete = ec.convert(page.codePage, 1200, all.data(), 255, utf16);
    EXPECT_EQ(complete, expected.size() == 255u);
    ASSERT_EQ(utf16.getSize(), 2 * expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(utf16.getData()[2 * i] | utf16.getData()[2 * i + 1] << 8, expected[i]);
    }
    DataBuffer back;
    EXPECT_TRUE(ec.convert(1200, page.codePage, utf16.getData(), utf16.getSize(), back));
    std::vector<unsigned char> want;
    for (int b = 1; b < 256; ++b) {
      if (ours[b] != kNone) want.push_back(static_cast<unsigned char>(b));
    }
    EXPECT_TRUE(std::vector<unsigned char>(back.getData(), back.getData() + back.getSize()) == want);
  }
}

}  // namespace

#endif  // TAVLIN_HAVE_ICONV
