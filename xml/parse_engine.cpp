#include "xml/parse_engine.h"

#include <cstring>

namespace {

inline bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

inline char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

}  // namespace

ParseEngine::ParseEngine(const char* text, int n)
    : copy_(StringBuffer::WithCapacity{(n > 0 ? n : 0) + 1}), text_(""), length_(0), pos_(0), ok_(true) {
  for (int i = 0; i < kMissSlots; ++i) {
    missString_[i] = nullptr;
    missFrom_[i] = -1;
  }
  if (text == nullptr || n <= 0) return;
  const void* nul = std::memchr(text, 0, static_cast<size_t>(n));
  if (nul != nullptr) n = static_cast<int>(static_cast<const char*>(nul) - text);
  if (!copy_.appendN(text, n)) {
    ok_ = false;
    return;
  }
  text_ = copy_.getString();
  length_ = copy_.getSize();
}

void ParseEngine::setPos(int pos) { pos_ = pos < 0 ? 0 : (pos > length_ ? length_ : pos); }

char ParseEngine::peekAt(int ahead) const {
  return (ahead >= 0 && ahead <= length_ - pos_) ? text_[pos_ + ahead] : 0;
}

void ParseEngine::advance(int n) { setPos(pos_ + n); }

bool ParseEngine::at(const char* s) const {
  const size_t n = std::strlen(s);
  return static_cast<size_t>(length_ - pos_) >= n && std::memcmp(text_ + pos_, s, n) == 0;
}

bool ParseEngine::atNoCase(const char* s) const {
  const char* p = text_ + pos_;
  for (; *s != 0; ++s, ++p) {
    if (*p == 0 || lowerAscii(*p) != lowerAscii(*s)) return false;
  }
  return true;
}

void ParseEngine::skipWhiteSpace() {
  while (isWhite(text_[pos_])) ++pos_;
}

void ParseEngine::skipTo(char c) {
  const void* hit = std::memchr(text_ + pos_, c, static_cast<size_t>(length_ - pos_));
  pos_ = hit ? static_cast<int>(static_cast<const char*>(hit) - text_) : length_;
}

bool ParseEngine::skipToUnless(char c, char stop) {
  while (text_[pos_] != 0) {
    if (text_[pos_] == c) return true;
    if (text_[pos_] == stop) return false;
    ++pos_;
  }
  return true;
}

void ParseEngine::captureUntilAny(const char* set, StringBuffer& out) {
  const int n = static_cast<int>(std::strcspn(text_ + pos_, set));
  out.appendN(text_ + pos_, n);
  pos_ += n;
}

void ParseEngine::captureUntil(char c, StringBuffer& out) {
  const int start = pos_;
  skipTo(c);
  out.appendN(text_ + start, pos_ - start);
}

bool ParseEngine::captureBalanced(char open, char close, int depth, StringBuffer& out) {
  const int start = pos_;
  bool closed = false;
  while (text_[pos_] != 0) {
    const char c = text_[pos_++];
    if (c == open) {
      ++depth;
    } else if (c == close && --depth == 0) {
      closed = true;
      break;
    }
  }
  out.appendN(text_ + start, pos_ - start);
  return closed;
}

bool ParseEngine::knownMiss(const char* s) const {
  for (int i = 0; i < kMissSlots; ++i) {
    if (missString_[i] != nullptr && std::strcmp(missString_[i], s) == 0) {
      return pos_ >= missFrom_[i];
    }
  }
  return false;
}

void ParseEngine::rememberMiss(const char* s) {
  int slot = -1;
  for (int i = 0; i < kMissSlots && slot < 0; ++i) {
    if (missString_[i] == nullptr || std::strcmp(missString_[i], s) == 0) slot = i;
  }
  if (slot < 0) return;  // more strings than slots: searching again is only slower
  missString_[slot] = s;
  if (missFrom_[slot] < 0 || pos_ < missFrom_[slot]) missFrom_[slot] = pos_;
}

int ParseEngine::find(const char* s) const {
  const char* hit = std::strstr(text_ + pos_, s);
  return hit ? static_cast<int>(hit - text_) : -1;
}

int ParseEngine::findNoCase(const char* s) {
  if (*s == 0) return pos_;
  if (knownMiss(s)) return -1;
  const char first = lowerAscii(*s);
  const size_t rest = std::strlen(s) - 1;
  for (int i = pos_; text_[i] != 0; ++i) {
    if (lowerAscii(text_[i]) != first) continue;
    size_t k = 0;
    while (k < rest && text_[i + 1 + k] != 0 && lowerAscii(text_[i + 1 + k]) == lowerAscii(s[1 + k])) ++k;
    if (k == rest) return i;
  }
  rememberMiss(s);
  return -1;
}

bool ParseEngine::captureThroughNoCase(const char* s, StringBuffer& out) {
  const int at = findNoCase(s);
  if (at < 0) return false;
  const int end = at + static_cast<int>(std::strlen(s));
  out.appendN(text_ + pos_, end - pos_);
  pos_ = end;
  return true;
}

bool ParseEngine::skipPast(const char* s) {
  if (knownMiss(s)) return false;
  const int at = find(s);
  if (at < 0) {
    rememberMiss(s);
    return false;
  }
  pos_ = at + static_cast<int>(std::strlen(s));
  return true;
}
