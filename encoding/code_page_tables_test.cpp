// The built-in tables: their contents where they differ from the published
// mappings, the storage form and its loader, and the lazy cache.
#include "encoding/code_page_tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/data_buffer.h"
#include "core/string_buffer.h"
#include "core/tavlin_alloc.h"
#include "encoding/code_page_cache.h"
#include "encoding/code_page_convert.h"
#include "encoding/content_coding.h"
#include "encoding/encoding_convert.h"
#include "encoding/hash_convert.h"
#include "encoding/tavlin_bzip2.h"
#include "encoding/x_string.h"
#include "platform/platform.h"

namespace {

struct Result {
  bool ok;
  std::vector<uint16_t> units;  // decoding
  std::string bytes;            // encoding
};

Result decode(int codePage, const std::string& bytes) {
  EncodingConvert ec;
  DataBuffer out;
  Result r;
  r.ok = ec.convert(codePage, 1200, reinterpret_cast<const unsigned char*>(bytes.data()),
                    static_cast<uint32_t>(bytes.size()), out);
  for (uint32_t i = 0; i + 1 < out.getSize(); i += 2) {
    r.units.push_back(static_cast<uint16_t>(out.getData()[i] | out.getData()[i + 1] << 8));
  }
  return r;
}

Result encode(int codePage, const std::vector<uint16_t>& units) {
  std::string in;
  for (uint16_t u : units) {
    in += static_cast<char>(u & 0xFF);
    in += static_cast<char>(u >> 8);
  }
  EncodingConvert ec;
  DataBuffer out;
  Result r;
  r.ok = ec.convert(1200, codePage, reinterpret_cast<const unsigned char*>(in.data()),
                    static_cast<uint32_t>(in.size()), out);
  r.bytes.assign(reinterpret_cast<const char*>(out.getData()), out.getSize());
  return r;
}

std::string descriptorOf(int codePage) {
  int count;
  const CodePageTableEntry* entries = codePageTableEntries(count);
  for (int i = 0; i < count; ++i) {
    if (entries[i].codePage == codePage) return entries[i].descriptor;
  }
  return "<none>";
}

// "x" descriptor of raw table bytes.
std::string rawDescriptor(const std::string& table) {
  ContentCoding coding;
  StringBuffer text("x");
  coding.encodeBase64(table.data(), static_cast<uint32_t>(table.size()), text);
  return text.getString();
}

std::string packedBlockOf(int codePage) {
  std::string d = descriptorOf(codePage);
  ContentCoding coding;
  uint32_t n = 0;
  unsigned char* p = coding.decodeBase64(d.c_str() + 1, static_cast<uint32_t>(d.size() - 1), n);
  std::string block(reinterpret_cast<char*>(p), n);
  tavlinFree(p);
  return block;
}

TEST(CodePageTables, EntriesAreSortedAndDescribed) {
  int count;
  const CodePageTableEntry* entries = codePageTableEntries(count);
  ASSERT_GT(count, 0);
  size_t total = 0;
  int withData = 0;
  for (int i = 0; i < count; ++i) {
    SCOPED_TRACE(entries[i].codePage);
    if (i > 0) {
      EXPECT_LT(entries[i - 1].codePage, entries[i].codePage);
    }
    const char* d = entries[i].descriptor;
    ASSERT_NE(d, nullptr);
    if (*d != '\0') {
      EXPECT_EQ(d[0], 'c');
      EXPECT_FALSE(entries[i].doubleByte);
      ++withData;
    }
    total += std::strlen(d);
  }
  EXPECT_EQ(withData, 44);
  EXPECT_LT(total, 16000u);  // about 13 KB of descriptor text in all
  for (int cp : {932, 936, 949, 950, 1361, 10001, 51932, 51936, 51949}) {
    EXPECT_TRUE(findCodePageTable(cp) != nullptr && findCodePageTable(cp)->doubleByte) << cp;
  }
  for (int cp : {28600, 28601, 51950, 52936, 0, 1200, 65001, 99999}) {
    EXPECT_EQ(findCodePageTable(cp), nullptr) << cp;
  }
}

TEST(CodePageTables, EveryTableRoundTripsItsBytes) {
  int count;
  const CodePageTableEntry* entries = codePageTableEntries(count);
  for (int i = 0; i < count; ++i) {
    if (entries[i].descriptor[0] == '\0') continue;
    int cp = entries[i].codePage;
    SCOPED_TRACE(cp);
    HashConvert map(269);
    ASSERT_TRUE(loadTable(entries[i].descriptor, map, TableDirection::kEncode));
    EXPECT_GT(map.recordCount(), 0u);
    int mapped = 0;
    for (int b = 1; b < 256; ++b) {
      Result d = decode(cp, std::string(1, static_cast<char>(b)));
      if (!d.ok) {
        EXPECT_TRUE(d.units.empty());
        continue;
      }
      ++mapped;
      ASSERT_EQ(d.units.size(), 1u);
      EXPECT_NE(d.units[0], 0);
      Result e = encode(cp, d.units);
      EXPECT_TRUE(e.ok) << "byte " << b;
      EXPECT_EQ(e.bytes, std::string(1, static_cast<char>(b))) << "byte " << b;
    }
    if (cp != 20127) {
      EXPECT_GE(mapped, 200);
    } else {
      EXPECT_EQ(mapped, 127);
    }
  }
}

TEST(CodePageTables, StatedContents) {
  const struct {
    int codePage;
    int byte;
    int unit;  // 0: no mapping
  } cases[] = {
      {28591, 0x80, 0x20AC}, {28591, 0x81, 0},      {28591, 0x9F, 0x0178}, {28591, 0xE9, 0x00E9},
      {28592, 0x80, 0x20AC}, {28592, 0x81, 0x0081}, {28592, 0xA1, 0x0104},
      {28593, 0x80, 0x20AC}, {28593, 0xA5, 0},      {28594, 0x80, 0x20AC},
      {28595, 0x80, 0x20AC}, {28595, 0xC0, 0x0420}, {28596, 0x80, 0x20AC},
      {28596, 0xC7, 0x0627}, {28597, 0x80, 0},      {28597, 0x81, 0x0081},
      {28597, 0xC1, 0x0391}, {28598, 0x80, 0x20AC}, {28598, 0xE0, 0x05D0},
      {28599, 0x80, 0x20AC}, {28599, 0xD0, 0x011E}, {28603, 0x80, 0x0080},
      {28603, 0xA1, 0x201D}, {28605, 0x80, 0x0080}, {28605, 0xA4, 0x20AC},
      {1252, 0x80, 0x20AC},  {1252, 0x81, 0},       {1252, 0x8D, 0},
      {1250, 0x8A, 0x0160},  {1251, 0xC0, 0x0410},  {1253, 0xC1, 0x0391},
      {1254, 0xD0, 0x011E},  {1255, 0xE0, 0x05D0},  {1256, 0xC7, 0x0627},
      {1257, 0xC0, 0x0104},  {1258, 0xC3, 0x0102},  {874, 0xA1, 0x0E01},
      {874, 0x80, 0x20AC},   {874, 0x81, 0x0081},   {874, 0x85, 0x2026},
      {874, 0x90, 0x0090},   {874, 0x91, 0x2018},   {874, 0x98, 0x0098},
      {874, 0xDB, 0xF8C1},   {874, 0xDE, 0xF8C4},   {874, 0xFC, 0xF8C5},
      {874, 0xFF, 0xF8C8},   {437, 0x80, 0x00C7},   {437, 0xDB, 0x2588},
      {850, 0xD5, 0x0131},   {858, 0xD5, 0x20AC},   {858, 0x80, 0x00C7},
      {857, 0xD5, 0xF8BB},   {857, 0xE7, 0xF8BC},   {857, 0xF2, 0xF8BD},
      {857, 0x8D, 0x0131},   {864, 0x25, 0x0025},   {864, 0x9B, 0x009B},
      {864, 0x9C, 0x009C},   {864, 0x9F, 0x009F},   {864, 0xA6, 0xF8BE},
      {864, 0xA7, 0xF8BF},   {864, 0xFF, 0xF8C0},   {864, 0x80, 0x00B0},
      {869, 0x80, 0x0080},   {869, 0x85, 0x0085},   {869, 0x86, 0x0386},
      {869, 0x87, 0x0087},   {869, 0x93, 0x0093},   {869, 0x94, 0x0094},
      {720, 0x82, 0x00E9},   {720, 0x98, 0x0621},   {737, 0x80, 0x0391},
      {775, 0x80, 0x0106},   {852, 0x80, 0x00C7},   {855, 0x80, 0x0452},
      {860, 0x84, 0x00E3},   {861, 0x8B, 0x00D0},   {862, 0x80, 0x05D0},
      {863, 0x84, 0x00C2},   {865, 0x9B, 0x00F8},   {866, 0x80, 0x0410},
      {708, 0x80, 0x2502},   {708, 0x82, 0x00E9},   {708, 0x9A, 0x009A},
      {708, 0x9F, 0x009F},   {708, 0xA0, 0xF8C1},   {708, 0xA4, 0x00A4},
      {708, 0xC7, 0x0627},   {708, 0x41, 0x0041},   {37, 0xC1, 0x0041},
      {37, 0x40, 0x0020},    {37, 0x25, 0x000A},    {37, 0x41, 0x00A0},
      {500, 0x4A, 0x005B},   {500, 0x5A, 0x005D},   {875, 0xC1, 0x0041},
      {875, 0x3F, 0x001A},   {875, 0xDC, 0},        {875, 0xE1, 0},
      {875, 0xEC, 0},        {875, 0xED, 0},        {875, 0xFC, 0},
      {875, 0xFD, 0},        {875, 0x41, 0x0391},   {870, 0xC1, 0x0041},
      {870, 0x4A, 0x005B},   {870, 0x15, 0x0085},   {20127, 0x41, 0x0041},
      {20127, 0x20, 0x0020}, {20127, 0x7F, 0x007F}, {20127, 0x80, 0},
      {20127, 0xA0, 0},      {20127, 0xFF, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.codePage) + " byte " + std::to_string(c.byte));
    Result r = decode(c.codePage, std::string(1, static_cast<char>(c.byte)));
    if (c.unit == 0) {
      EXPECT_FALSE(r.ok);
      EXPECT_TRUE(r.units.empty());
    } else {
      EXPECT_TRUE(r.ok);
      ASSERT_EQ(r.units.size(), 1u);
      EXPECT_EQ(r.units[0], c.unit);
    }
  }
  // EBCDIC pages are not ASCII-compatible in either direction.
  EXPECT_EQ(encode(37, {'A', 'a', '0'}).bytes, "\xC1\x81\xF0");
  Result nul = encode(37, {0});
  EXPECT_TRUE(nul.ok);
  EXPECT_EQ(nul.bytes, std::string(1, '\0'));
  EXPECT_EQ(encode(875, {0x001A}).bytes, "\x3F");
  // 864's U+066A is not mapped any more: the percent sign took its byte.
  EXPECT_FALSE(encode(864, {0x066A}).ok);
  EXPECT_EQ(encode(28592, {0x20AC}).bytes, "\x80");
  EXPECT_FALSE(encode(28592, {0x0080}).ok);
}

TEST(CodePageTables, EncoderOnlyAndDigitRules) {
  Result nbsp = encode(20127, {0x00A0, 'x'});
  EXPECT_TRUE(nbsp.ok);
  EXPECT_EQ(nbsp.bytes, " x");
  Result space = decode(20127, " ");
  EXPECT_TRUE(space.ok);
  EXPECT_EQ(space.units, std::vector<uint16_t>{0x0020});

  // Arabic-Indic and extended digits become ASCII digits for the Arabic pages.
  Result digits = encode(1256, {0x0663, 0x06F9, 0x0627});
  EXPECT_TRUE(digits.ok);
  EXPECT_EQ(digits.bytes, "39\xC7");
  Result iso = encode(28596, {0x0660, 0x0669});
  EXPECT_TRUE(iso.ok);
  EXPECT_EQ(iso.bytes, "09");
  Result latin = encode(1252, {'a', 0x0663, 'b'});
  EXPECT_FALSE(latin.ok);
  EXPECT_EQ(latin.bytes, "ab");
  Result dos = encode(864, {0x0663});
  EXPECT_TRUE(dos.ok);  // 864 has the Arabic-Indic digits themselves
  EXPECT_EQ(dos.bytes, "\xB3");
}

TEST(CodePageTables, CodePagesWithoutData) {
  for (int cp : {932, 936, 949, 950, 1361, 51932, 51936, 51949, 10001, 20866, 21866, 1026,
                 1047, 1140, 1149, 10000, 20107, 38598}) {
    SCOPED_TRACE(cp);
    Result abc = encode(cp, {'a', 'b', 'c'});
    EXPECT_FALSE(abc.ok);
    EXPECT_EQ(abc.bytes, "");
    Result nul = encode(cp, {0, 'a'});
    EXPECT_FALSE(nul.ok);
    EXPECT_EQ(nul.bytes, std::string(1, '\0'));
    Result d = decode(cp, std::string("a\0b", 3));
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.units, std::vector<uint16_t>{0});
    Result zeros = decode(cp, std::string(2, '\0'));
    EXPECT_TRUE(zeros.ok);
    EXPECT_EQ(zeros.units.size(), 2u);
  }
  for (int cp : {28600, 28601, 51950, 52936}) {
    SCOPED_TRACE(cp);
    Result e = encode(cp, {'a'});
    EXPECT_FALSE(e.ok);
    EXPECT_EQ(e.bytes, "");
    Result d = decode(cp, "a");
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(d.units.empty());
  }
}

TEST(CodePageTables, OddLengthUtf16ToTable) {
  EncodingConvert ec;
  DataBuffer out;
  const unsigned char one[] = {'a'};
  EXPECT_FALSE(ec.convert(1200, 1252, one, 1, out));
  EXPECT_EQ(out.getSize(), 0u);
  const unsigned char three[] = {'a', 0, 'b'};
  EXPECT_FALSE(ec.convert(1200, 1252, three, 3, out));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.getData()), out.getSize()), "a");
}

// ---- Storage form and loader ----------------------------------------------------

TEST(TableLoader, RawTablesWithBothRecordKinds) {
  // ASCII-compatible; bytes 80 -> U+20AC and 82 -> U+201A; double-byte
  // codes 8140 -> U+3000 and 8141 -> U+3001.
  std::string table("au", 2);
  table += std::string("\x80\xAC\x20", 3);  // +80, +20AC
  table += std::string("\x02\x6E\xFF", 3);  // +2, +FF6E (201A - 20AC)
  table += std::string(1, '\0');
  table += std::string("\x40\x81\x00\x30", 4);  // +8140, +3000
  table += std::string("\x01\x00\x01\x00", 4);  // +1, +1
  table += std::string("\0\0", 2);
  std::string d = rawDescriptor(table);

  HashConvert dec(283);
  ASSERT_TRUE(loadTable(d.c_str(), dec, TableDirection::kDecode));
  EXPECT_TRUE(dec.asciiCompatible());
  EXPECT_EQ(dec.recordCount(), 4u);
  unsigned char v[2];
  const unsigned char b82 = 0x82;
  ASSERT_EQ(dec.lookup(&b82, 1, v), 2);
  EXPECT_EQ(v[0] | v[1] << 8, 0x201A);
  const unsigned char code[] = {0x81, 0x41};
  ASSERT_EQ(dec.lookup(code, 2, v), 2);
  EXPECT_EQ(v[0] | v[1] << 8, 0x3001);

  // Decoding with the map: sequences first, then single bytes, ASCII, NUL.
  const unsigned char in[] = {'A', 0x81, 0x40, 0x80, 0x00, 0x81, 0x41, 0x81, 0xFF};
  DataBuffer out;
  EXPECT_FALSE(decodeMultiByte(dec, in, sizeof in, out));  // 81 alone and FF are dropped
  const uint16_t want[] = {'A', 0x3000, 0x20AC, 0, 0x3001};
  ASSERT_EQ(out.getSize(), sizeof want);
  for (size_t i = 0; i < sizeof want / 2; ++i) {
    EXPECT_EQ(out.getData()[2 * i] | out.getData()[2 * i + 1] << 8, want[i]) << i;
  }
  // A sequence cut by the end of the input is not matched.
  out.clear();
  const unsigned char cut[] = {0x81};
  EXPECT_FALSE(decodeMultiByte(dec, cut, 1, out));
  EXPECT_EQ(out.getSize(), 0u);

  HashConvert enc(269);
  ASSERT_TRUE(loadTable(d.c_str(), enc, TableDirection::kEncode));
  const unsigned char units[] = {0x01, 0x30, 'z', 0, 0xAC, 0x20, 0x00, 0x00, 0x02, 0x30};
  out.clear();
  EXPECT_FALSE(encodeUnits(enc, false, units, sizeof units, out));  // U+3002 has no code
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.getData()), out.getSize()),
            std::string("\x81\x41z\x80\0", 5));
}

TEST(TableLoader, CutAndBrokenTablesLoadWhatTheyHold) {
  std::string full("xu\x41\x41\x00\x01\x01\x00", 8);  // 41 -> U+0041, 42 -> U+0042
  full += std::string("\0\0\0", 3);
  for (size_t len = 0; len <= full.size(); ++len) {
    SCOPED_TRACE(len);
    std::string d = rawDescriptor(full.substr(0, len));
    HashConvert map(283);
    bool loaded = loadTable(d.c_str(), map, TableDirection::kDecode);
    EXPECT_EQ(loaded, len > 0);
    EXPECT_EQ(map.asciiCompatible(), false);
    EXPECT_LE(map.recordCount(), 2u);
    if (len >= 8) {
      EXPECT_EQ(map.recordCount(), 2u);
    }
  }
  HashConvert map(283);
  EXPECT_FALSE(loadTable("", map, TableDirection::kDecode));
  EXPECT_FALSE(loadTable(nullptr, map, TableDirection::kDecode));
  EXPECT_FALSE(loadTable("x", map, TableDirection::kDecode));
  EXPECT_FALSE(loadTable("c", map, TableDirection::kDecode));
  EXPECT_FALSE(loadTable("c====", map, TableDirection::kDecode));
  EXPECT_EQ(map.recordCount(), 0u);
}

TEST(TableLoader, PackedBlocks) {
  std::string block = packedBlockOf(1252);
  ASSERT_GT(block.size(), 8u);
  EXPECT_EQ(block.substr(0, 4), "\xE1\xA7\x94\xB3");
  TavlinBzip2 bzip2;
  DataBuffer table;
  ASSERT_TRUE(bzip2.unpackBlock(reinterpret_cast<const unsigned char*>(block.data()),
                                static_cast<uint32_t>(block.size()), table));
  uint32_t stated = static_cast<unsigned char>(block[4]) | static_cast<unsigned char>(block[5]) << 8;
  EXPECT_EQ(table.getSize(), stated);
  EXPECT_EQ(table.getData()[0], 'a');
  EXPECT_EQ(table.getData()[1], 'u');

  auto unpacks = [&](const std::string& b) {
    DataBuffer out;
    out.append("junk", 4);
    bool ok = bzip2.unpackBlock(reinterpret_cast<const unsigned char*>(b.data()),
                                static_cast<uint32_t>(b.size()), out);
    if (!ok) {
      EXPECT_EQ(out.getSize(), 0u);
    }
    return ok;
  };
  EXPECT_TRUE(unpacks(""));
  // Every cut of the block fails cleanly.
  for (size_t len = 1; len < block.size(); ++len) {
    ASSERT_FALSE(unpacks(block.substr(0, len))) << len;
  }
  std::string wrongMagic = block;
  wrongMagic[0] = '\xE2';
  EXPECT_FALSE(unpacks(wrongMagic));
  std::string damaged = block;
  damaged[block.size() / 2] ^= 0x55;
  EXPECT_FALSE(unpacks(damaged));
  // A stated length too small for the stream, and one that cannot be had.
  std::string small = block;
  small[4] = 2;
  small[5] = small[6] = small[7] = 0;
  EXPECT_FALSE(unpacks(small));
  std::string huge = block;
  huge[4] = huge[5] = huge[6] = huge[7] = '\xFF';
  EXPECT_FALSE(unpacks(huge));
  // Each bad block, as a descriptor, loads nothing.
  for (const std::string& bad : {wrongMagic, damaged, small, huge}) {
    ContentCoding coding;
    StringBuffer d("c");
    coding.encodeBase64(bad.data(), static_cast<uint32_t>(bad.size()), d);
    HashConvert map(269);
    EXPECT_FALSE(loadTable(d.getString(), map, TableDirection::kEncode));
    EXPECT_EQ(map.recordCount(), 0u);
  }
}

TEST(HashConvertMap, FirstRecordWinsAndKeysAreExact) {
  HashConvert map(3);  // few buckets: collisions on purpose
  for (int k = 0; k < 40; ++k) {
    unsigned char key = static_cast<unsigned char>(k);
    unsigned char value = static_cast<unsigned char>(100 + k);
    ASSERT_TRUE(map.add(&key, 1, &value, 1));
  }
  const unsigned char dup = 5, other = 1;
  ASSERT_TRUE(map.add(&dup, 1, &other, 1));
  unsigned char v[2];
  EXPECT_EQ(map.lookup(&dup, 1, v), 1);
  EXPECT_EQ(v[0], 105);
  // A 2-byte key 05 00 lands in the same bucket as 05 but is another key.
  const unsigned char two[] = {5, 0};
  EXPECT_EQ(map.lookup(two, 2, v), 0);
  const unsigned char four[] = {1, 2, 3, 4};
  const unsigned char val2[] = {9, 8};
  ASSERT_TRUE(map.add(four, 4, val2, 2));
  EXPECT_EQ(map.lookup(four, 4, v), 2);
  EXPECT_EQ(v[1], 8);
  EXPECT_FALSE(map.add(four, 5, val2, 2));
  EXPECT_FALSE(map.add(four, 0, val2, 2));
  EXPECT_FALSE(map.add(four, 2, val2, 3));
  EXPECT_EQ(map.lookup(four, 5, v), 0);
  HashConvert none(0);
  EXPECT_TRUE(none.isValid());
}

// ---- Lazy unpacking ---------------------------------------------------------------

TEST(CodePageCache, OnlyTheTablesInUseAreUnpackedOnce) {
  platform::testing::overrideAnsiCodePage(1252);
  codePageCacheTesting::reset();
  uint32_t unpacksBefore = TavlinBzip2::unpackCount();
  EXPECT_EQ(codePageCacheTesting::totalBuilds(), 0);

  // A run that speaks only UTF-8, UTF-16 and Windows-1252.
  for (int round = 0; round < 3; ++round) {
    Result e = encode(1252, {'c', 0xE9, 0x20AC});
    EXPECT_EQ(e.bytes, "c\xE9\x80");
    Result d = decode(1252, "\xE9\x80");
    EXPECT_EQ(d.units, (std::vector<uint16_t>{0xE9, 0x20AC}));
    EncodingConvert ec;
    DataBuffer out;
    const unsigned char utf8[] = {0xC3, 0xA9};
    ec.convert(65001, 1252, utf8, 2, out);
    ec.convert(1252, 65001, out.getData(), out.getSize(), out);
    XString x;
    x.setFromUtf8("na\xC3\xAFve");
    EXPECT_STREQ(x.getAnsi(), "na\xEFve");
    x.setFromAnsi("caf\xE9");
    EXPECT_STREQ(x.getUtf8(), "caf\xC3\xA9");
  }
  EXPECT_EQ(codePageCacheTesting::buildCount(1252, TableDirection::kEncode), 1);
  EXPECT_EQ(codePageCacheTesting::buildCount(1252, TableDirection::kDecode), 1);
  EXPECT_EQ(codePageCacheTesting::totalBuilds(), 2);
  EXPECT_EQ(TavlinBzip2::unpackCount() - unpacksBefore, 2u);

  // Decoding alone builds one direction.
  codePageCacheTesting::reset();
  decode(1251, "\xC0");
  decode(1251, "\xC1");
  EXPECT_EQ(codePageCacheTesting::buildCount(1251, TableDirection::kDecode), 1);
  EXPECT_EQ(codePageCacheTesting::buildCount(1251, TableDirection::kEncode), 0);
  EXPECT_EQ(codePageCacheTesting::totalBuilds(), 1);
  platform::testing::overrideAnsiCodePage(0);
}

}  // namespace
