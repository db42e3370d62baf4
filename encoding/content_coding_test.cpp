#include "encoding/content_coding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/string_buffer.h"
#include "core/tavlin_alloc.h"

namespace {

std::string base64(const std::string& bytes) {
  ContentCoding coding;
  StringBuffer out;
  EXPECT_TRUE(coding.encodeBase64(bytes.data(), static_cast<uint32_t>(bytes.size()), out));
  return std::string(out.getString(), out.getSize());
}

// Decodes and checks the terminator the decoder promises after the data.
std::string unbase64(const std::string& text, uint32_t length) {
  ContentCoding coding;
  uint32_t n = 12345;
  unsigned char* p = coding.decodeBase64(text.data(), length, n);
  if (p == nullptr) {
    EXPECT_EQ(n, 0u);
    return "<null>";
  }
  EXPECT_EQ(p[n], 0);
  std::string r(reinterpret_cast<char*>(p), n);
  tavlinFree(p);
  return r;
}
std::string unbase64(const std::string& text) {
  return unbase64(text, static_cast<uint32_t>(text.size()));
}

std::string qp(const std::string& bytes) {
  ContentCoding coding;
  StringBuffer out;
  EXPECT_TRUE(coding.encodeQuotedPrintable(bytes.data(), static_cast<uint32_t>(bytes.size()), out));
  return std::string(out.getString(), out.getSize());
}

TEST(Base64, KnownAnswers) {
  // RFC 4648, section 10, and a few bytes of every value range.
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {"ab", "YWI="},
      {std::string(1, '\0'), "AA=="},
      {"\xFF\xFE\xFD", "//79"},
      {"\xFB\xEF", "++8="},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(base64(c.in), c.out);
    if (!c.in.empty()) {
      EXPECT_EQ(unbase64(c.out), c.in);
    }
  }
}

TEST(Base64, NoLineBreaksAndAppends) {
  std::string sixty(60, 'x');
  std::string text = base64(sixty);
  EXPECT_EQ(text.size(), 80u);
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
  std::string big(100000, '\x5A');
  EXPECT_EQ(base64(big).find('\n'), std::string::npos);

  ContentCoding coding;
  StringBuffer out("key=");
  EXPECT_TRUE(coding.encodeBase64("ab", 2, out));
  EXPECT_STREQ(out.getString(), "key=YWI=");
  EXPECT_TRUE(coding.encodeBase64(nullptr, 5, out));
  EXPECT_TRUE(coding.encodeBase64("ab", 0, out));
  EXPECT_STREQ(out.getString(), "key=YWI=");
}

TEST(Base64, DecoderSkipsAndStops) {
  EXPECT_EQ(unbase64("YW\nI="), "ab");
  EXPECT_EQ(unbase64("YW I=\r\n"), "ab");
  EXPECT_EQ(unbase64("YWJj=ZZZ"), "abc");  // "=" ends the text
  EXPECT_EQ(unbase64("Y"), "");            // a lone value gives nothing
  EXPECT_EQ(unbase64("YW"), "a");          // missing padding is fine
  EXPECT_EQ(unbase64("YWJ"), "ab");
  EXPECT_EQ(unbase64(std::string("YW\0JjZGVm", 9)), "a");  // NUL ends it too
  // Bytes outside the alphabet, high bytes included, are skipped.
  EXPECT_EQ(unbase64("Y\x80W\xFFJ\x01j"), "abc");
  EXPECT_EQ(unbase64("Zm9v", 2), "f");  // never reads past the length
  EXPECT_EQ(unbase64("", 0), "<null>");
  ContentCoding coding;
  uint32_t n = 7;
  EXPECT_EQ(coding.decodeBase64(nullptr, 10, n), nullptr);
  EXPECT_EQ(n, 0u);
}

TEST(Base64, DecoderFailsCleanlyWithoutMemory) {
  ContentCoding coding;
  uint32_t n = 7;
  tavlinFailAllocations(1);
  EXPECT_EQ(coding.decodeBase64("YWJj", 4, n), nullptr);
  tavlinFailAllocations(0);
  EXPECT_EQ(n, 0u);
}

TEST(Base64, RandomRoundTrips) {
  std::mt19937 rng(12345);
  for (int len = 0; len < 300; ++len) {
    std::string bytes(len, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    std::string text = base64(bytes);
    EXPECT_EQ(text.size(), (bytes.size() + 2) / 3 * 4);
    if (len > 0) {
      ASSERT_EQ(unbase64(text), bytes) << "length " << len;
      // Line breaks anywhere are ignored.
      std::string wrapped;
      for (size_t i = 0; i < text.size(); ++i) {
        wrapped += text[i];
        if (i % 7 == 6) wrapped += "\r\n";
      }
      ASSERT_EQ(unbase64(wrapped), bytes);
    }
  }
}

TEST(Base64, HostileTextStaysInBounds) {
  // Every short text over a mixed alphabet: the decoder must stay within
  // its block (ASan watches) and never claim more than 3/4 of the input.
  const char alphabet[] = "AZaz09+/=\n -[\x80";
  const int k = sizeof alphabet - 1;
  for (int len = 1; len <= 5; ++len) {
    int combos = 1;
    for (int i = 0; i < len; ++i) combos *= k;
    for (int c = 0; c < combos; ++c) {
      std::vector<char> text(len);
      for (int i = 0, v = c; i < len; ++i, v /= k) text[i] = alphabet[v % k];
      ContentCoding coding;
      uint32_t n = 0;
      unsigned char* p = coding.decodeBase64(text.data(), static_cast<uint32_t>(len), n);
      ASSERT_NE(p, nullptr);
      ASSERT_LE(n, static_cast<uint32_t>(3 * len / 4));
      tavlinFree(p);
    }
  }
}

TEST(QuotedPrintable, Escapes) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"plain text", "plain text"},
      {"a=b", "a=3Db"},
      {"a\nb", "a=0Ab"},
      {"a\rb", "a=0Db"},
      {"a\r\nb", "a\r\nb"},
      {"a\t\r\nb", "a=09\r\nb"},
      {"a \r\nb", "a=20\r\nb"},
      {"a b", "a b"},
      {"end ", "end=20"},
      {"end\t", "end=09"},
      {"caf\xC3\xA9", "caf=C3=A9"},
      {std::string("\0\x7F", 2), "=00=7F"},
      {"~!<>", "~!<>"},
      // Line starts: "." and "From " are escaped there only.
      {".", "=2E"},
      {"..", "=2E."},
      {"a\r\n.b", "a\r\n=2Eb"},
      {"From x", "=46rom x"},
      {"From ", "=46rom=20"},
      {"From", "From"},
      {"Fromx", "Fromx"},
      {"x From y", "x From y"},
      {"a\r\nFrom b", "a\r\n=46rom b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(qp(c.in), c.out);
  }
}

TEST(QuotedPrintable, SoftLineBreaks) {
  EXPECT_EQ(qp(std::string(76, 'a')), std::string(76, 'a') + "=\r\n");
  EXPECT_EQ(qp(std::string(75, 'a')), std::string(75, 'a'));
  EXPECT_EQ(qp(std::string(100, 'a')), std::string(76, 'a') + "=\r\n" + std::string(24, 'a'));
  // No soft break right before a kept CR LF.
  EXPECT_EQ(qp(std::string(76, 'a') + "\r\nb"), std::string(76, 'a') + "\r\nb");
  // The limit is tested after a whole escape: a line may reach 78.
  std::string in = std::string(75, 'a') + "=b";
  EXPECT_EQ(qp(in), std::string(75, 'a') + "=3D=\r\nb");
  // After a soft break a "." starts a line and is escaped.
  EXPECT_EQ(qp(std::string(76, 'a') + ".x"), std::string(76, 'a') + "=\r\n=2Ex");
}

TEST(QuotedPrintable, LongInputKeepsLinesShort) {
  std::mt19937 rng(7);
  std::string in(20000, '\0');
  for (char& c : in) c = static_cast<char>(rng());
  std::string out = qp(in);
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find("\r\n", start);
    if (end == std::string::npos) end = out.size();
    ASSERT_LE(end - start, 79u);  // 78 characters plus the "=" of a soft break
    start = end + 2;
  }
  for (unsigned char c : out) ASSERT_LT(c, 0x80);
  ContentCoding coding;
  StringBuffer sb("x");
  EXPECT_TRUE(coding.encodeQuotedPrintable(nullptr, 3, sb));
  EXPECT_STREQ(sb.getString(), "x");
  EXPECT_EQ(coding.maxLineLength(), 76);
}

}  // namespace
