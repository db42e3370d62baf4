#include "core/string_buffer.h"

#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "core/data_buffer.h"
#include "core/ext_ptr_array.h"
#include "core/tavlin_alloc.h"
#include "platform/platform.h"

namespace {

constexpr uint8_t kMarker = 0xAA;
constexpr int kDefaultCapacity = 202;
constexpr int kDefaultStep = 200;
constexpr int kMaxStep = 500000;

// The text of every StringBuffer whose block could not be obtained. It is
// never released and never written except for its terminator, which stays 0.
char g_emptyString[1] = {0};

bool isTrimSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char foldUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c; }

size_t safeLength(const char* s) { return s ? std::strlen(s) : 0; }

// A private copy of a text that lies inside a block about to be replaced or
// moved. `ptr` is the original when no copy was needed; null when a copy was
// needed but could not be made.
class OverlapCopy {
 public:
  OverlapCopy(const char* s, size_t n, const char* blockBegin, const char* blockEnd) : ptr(s) {
    if (s && s >= blockBegin && s < blockEnd) {
      copy_ = static_cast<char*>(tavlinAlloc(n + 1));
      if (copy_) {
        std::memcpy(copy_, s, n);
        copy_[n] = 0;
      }
      ptr = copy_;
    }
  }
  ~OverlapCopy() { tavlinFree(copy_); }
  OverlapCopy(const OverlapCopy&) = delete;
  OverlapCopy& operator=(const OverlapCopy&) = delete;

  const char* ptr;

 private:
  char* copy_ = nullptr;
};

}  // namespace

// ---- Construction ----------------------------------------------------------

StringBuffer::StringBuffer()
    : marker_(kMarker), data_(g_emptyString), capacity_(1), length_(0), growStep_(kDefaultCapacity) {
  if (char* p = static_cast<char*>(tavlinAlloc(kDefaultCapacity))) {
    p[0] = 0;
    data_ = p;
    capacity_ = kDefaultCapacity;
  }
}

StringBuffer::StringBuffer(const char* s) : StringBuffer(s, static_cast<int>(safeLength(s)), kDefaultStep) {}

StringBuffer::StringBuffer(const void* bytes, int n, int growStep)
    : marker_(kMarker), data_(g_emptyString), capacity_(1), length_(0),
      growStep_(growStep > 0 ? growStep : kDefaultStep) {
  if (!bytes || n < 0) n = 0;
  if (n == INT_MAX) return;  // no room for the terminator
  if (char* p = static_cast<char*>(tavlinAlloc(static_cast<size_t>(n) + 1))) {
    if (n) std::memcpy(p, bytes, static_cast<size_t>(n));
    p[n] = 0;
    data_ = p;
    capacity_ = n + 1;
    length_ = n;
  }
}

StringBuffer::StringBuffer(WithCapacity c)
    : marker_(kMarker), data_(g_emptyString), capacity_(1), length_(0),
      growStep_(c.capacity > 0 ? c.capacity : kDefaultStep) {
  const int cap = c.capacity > 0 ? c.capacity : kDefaultStep;
  if (char* p = static_cast<char*>(tavlinAlloc(static_cast<size_t>(cap)))) {
    p[0] = 0;
    data_ = p;
    capacity_ = cap;
  }
}

StringBuffer::StringBuffer(const StringBuffer& other)
    : StringBuffer((other.check(), other.data_), other.length_, kDefaultStep) {}

StringBuffer& StringBuffer::operator=(const StringBuffer& other) {
  setSb(other);
  return *this;
}

StringBuffer::~StringBuffer() {
  check();
  releaseData();
  // A volatile store: the compiler may not drop it as a write to an object
  // whose lifetime ends, so a later use of this memory sees the dead marker.
  *static_cast<volatile uint8_t*>(&marker_) = 0;
}

// ---- Internals -------------------------------------------------------------

void StringBuffer::check() const {
  if (marker_ != kMarker) tavlinFatal("StringBuffer used after destruction or before construction");
}

void StringBuffer::releaseData() {
  if (data_ != g_emptyString) tavlinFree(data_);
  data_ = g_emptyString;
  capacity_ = 1;
  length_ = 0;
}

int StringBuffer::textLength() const { return static_cast<int>(std::strlen(data_)); }

bool StringBuffer::newBlock(int64_t need, int keep, bool adjustStep) {
  // The text of `need` bytes and its terminator must fit in an int; the
  // grow step is only added while it still does.
  if (need < 0 || need >= INT_MAX) return false;
  int64_t cap = need + growStep_ + 1;
  if (cap > INT_MAX) cap = INT_MAX;
  char* p = static_cast<char*>(tavlinAlloc(static_cast<size_t>(cap)));
  if (!p) return false;
  if (keep > 0) std::memcpy(p, data_, static_cast<size_t>(keep));
  p[keep] = 0;
  if (data_ != g_emptyString) tavlinFree(data_);
  data_ = p;
  capacity_ = static_cast<int>(cap);
  length_ = keep;
  if (adjustStep && growStep_ < kMaxStep) {
    growStep_ = capacity_ / 2 < kMaxStep ? capacity_ / 2 : kMaxStep;
  }
  return true;
}

bool StringBuffer::grow(int added, bool adjustStep) {
  if (added < 0) return false;
  const int64_t need = static_cast<int64_t>(length_) + added;
  if (need < capacity_) return true;
  return newBlock(need, length_, adjustStep);
}

bool StringBuffer::setBytes(const char* bytes, int n) {
  if (!bytes || n <= 0) {
    clear();
    return true;
  }
  if (n < capacity_) {
    // Fits: memmove also covers a source inside this block.
    std::memmove(data_, bytes, static_cast<size_t>(n));
  } else {
    // A source this long cannot lie inside the current block.
    if (!newBlock(n, 0, true)) return false;
    std::memcpy(data_, bytes, static_cast<size_t>(n));
  }
  length_ = n;
  data_[n] = 0;
  return true;
}

void StringBuffer::swapBlock(StringBuffer& other) {
  char* d = data_;
  int c = capacity_;
  int l = length_;
  data_ = other.data_;
  capacity_ = other.capacity_;
  length_ = other.length_;
  other.data_ = d;
  other.capacity_ = c;
  other.length_ = l;
}

// ---- Access ----------------------------------------------------------------

const char* StringBuffer::getString() const {
  check();
  return data_;
}

int StringBuffer::getSize() const {
  check();
  return length_;
}

int StringBuffer::getCapacity() const {
  check();
  return capacity_;
}

int StringBuffer::getGrowStep() const {
  check();
  return growStep_;
}

char StringBuffer::charAt(int i) const {
  check();
  return (i >= 0 && i < length_) ? data_[i] : 0;
}

char StringBuffer::lastChar() const {
  check();
  return length_ > 0 ? data_[length_ - 1] : 0;
}

// ---- Replacing the content -------------------------------------------------

void StringBuffer::clear() {
  check();
  length_ = 0;
  data_[0] = 0;
}

bool StringBuffer::setString(const char* s) {
  check();
  const size_t n = safeLength(s);
  if (n >= static_cast<size_t>(INT_MAX)) return false;
  return setBytes(s, static_cast<int>(n));
}

bool StringBuffer::setSb(const StringBuffer& other) {
  check();
  other.check();
  if (&other == this) return true;
  return setBytes(other.data_, other.length_);
}

bool StringBuffer::takeDataBuffer(DataBuffer& db) {
  check();
  db.check();
  const uint32_t size = db.size_;
  if (size < 2) {
    clear();
    return true;
  }
  if (db.data_[size - 1] != 0) return false;
  if (db.borrowed_ || db.capacity_ > static_cast<uint32_t>(INT_MAX)) {
    // Memory this buffer may not release (or could not describe) is copied.
    if (size - 1 >= static_cast<uint32_t>(INT_MAX)) return false;
    if (!setBytes(reinterpret_cast<const char*>(db.data_), static_cast<int>(size - 1))) return false;
    if (db.borrowed_) db.forget();
    else db.clear();
    return true;
  }
  releaseData();
  data_ = reinterpret_cast<char*>(db.data_);
  length_ = static_cast<int>(size - 1);
  capacity_ = static_cast<int>(db.capacity_);
  growStep_ = 1024;
  db.forget();
  return true;
}

// ---- Appending -------------------------------------------------------------

bool StringBuffer::append(const char* s) {
  check();
  const size_t n = safeLength(s);
  if (n >= static_cast<size_t>(INT_MAX)) return false;
  return appendN(s, static_cast<int>(n));
}

bool StringBuffer::appendN(const void* bytes, int n) {
  check();
  if (!bytes || n <= 0) return true;
  const char* src = static_cast<const char*>(bytes);
  // Appending a piece of this buffer's own text: find it again after growth.
  const bool inside = src >= data_ && src < data_ + capacity_;
  const ptrdiff_t offset = inside ? src - data_ : 0;
  if (!grow(n, true)) return false;
  if (inside) src = data_ + offset;
  std::memmove(data_ + length_, src, static_cast<size_t>(n));
  length_ += n;
  data_[length_] = 0;
  return true;
}

bool StringBuffer::appendChar(char c) {
  check();
  if (!grow(1, true)) return false;
  data_[length_++] = c;
  data_[length_] = 0;
  return true;
}

bool StringBuffer::appendCharN(char c, int n) {
  check();
  if (n <= 0) return true;
  if (!grow(n, true)) return false;
  std::memset(data_ + length_, static_cast<unsigned char>(c), static_cast<size_t>(n));
  length_ += n;
  data_[length_] = 0;
  return true;
}

bool StringBuffer::appendSb(const StringBuffer& other) {
  check();
  other.check();
  return appendN(other.data_, other.length_);
}

bool StringBuffer::appendDataBuffer(const DataBuffer& db) {
  check();
  const uint32_t n = db.getSize();
  if (n == 0) return true;
  if (n >= static_cast<uint32_t>(INT_MAX)) return false;
  return appendN(db.getData(), static_cast<int>(n));
}

bool StringBuffer::appendUnsigned(uint32_t u) {
  check();
  char digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  char out[10];
  for (int i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
  return appendN(out, n);
}

bool StringBuffer::appendHexDump(const unsigned char* bytes, int n) {
  check();
  if (!bytes || n <= 0) return true;
  static const char kHex[] = "0123456789ABCDEF";
  // Per byte: two digits, perhaps a space and a line feed.
  if (n > (INT_MAX - 1) / 4) return false;
  if (!grow(n * 4, true)) return false;
  char* out = data_ + length_;
  for (int i = 0; i < n; ++i) {
    *out++ = kHex[bytes[i] >> 4];
    *out++ = kHex[bytes[i] & 0x0F];
    if ((i + 1) % 2 == 0) *out++ = ' ';
    if ((i + 1) % 16 == 0) *out++ = '\n';
  }
  length_ = static_cast<int>(out - data_);
  data_[length_] = 0;
  return true;
}

bool StringBuffer::appendWindowsError(uint32_t code) {
  check();
  const std::string text = platform::systemErrorText(code);
  if (text.size() >= static_cast<size_t>(INT_MAX)) return false;
  const bool ok = appendN(text.data(), static_cast<int>(text.size()));
  trim();
  return ok;
}

bool StringBuffer::appendLastWindowsError() {
  check();
  return appendWindowsError(platform::lastError());
}

bool StringBuffer::prepend(const char* s) {
  check();
  const size_t len = safeLength(s);
  if (len == 0) return true;
  if (len >= static_cast<size_t>(INT_MAX)) return false;
  const int n = static_cast<int>(len);
  OverlapCopy src(s, len, data_, data_ + capacity_);
  if (!src.ptr) return false;
  const int oldLength = length_;
  if (static_cast<int64_t>(length_) + n >= capacity_) {
    if (!newBlock(static_cast<int64_t>(length_) + n, length_, false)) return false;
  }
  std::memmove(data_ + n, data_, static_cast<size_t>(oldLength));
  std::memcpy(data_, src.ptr, len);
  length_ = oldLength + n;
  data_[length_] = 0;
  return true;
}

// ---- Capacity --------------------------------------------------------------

bool StringBuffer::ensureCapacity(int n) {
  check();
  if (n <= 0) return true;
  return grow(n, true);
}

void StringBuffer::shrinkToFit() {
  check();
  if (data_ == g_emptyString || static_cast<int64_t>(length_) + 4 >= capacity_) return;
  char* p = static_cast<char*>(tavlinAlloc(static_cast<size_t>(length_) + 1));
  if (!p) return;  // the larger block serves as well
  std::memcpy(p, data_, static_cast<size_t>(length_) + 1);
  tavlinFree(data_);
  data_ = p;
  capacity_ = length_ + 1;
}

// ---- Editing in place ------------------------------------------------------

void StringBuffer::trim() {
  check();
  int end = length_;
  while (end > 0 && isTrimSpace(data_[end - 1])) --end;
  int begin = 0;
  while (begin < end && isTrimSpace(data_[begin])) ++begin;
  if (begin > 0) std::memmove(data_, data_ + begin, static_cast<size_t>(end - begin));
  length_ = end - begin;
  data_[length_] = 0;
}

void StringBuffer::removeChar(char c) {
  check();
  removeCharFrom(c, 0);
}

void StringBuffer::removeCharFrom(char c, int start) {
  check();
  if (start < 0) start = 0;
  if (start >= length_) return;
  int out = start;
  for (int i = start; i < length_; ++i) {
    if (data_[i] != c) data_[out++] = data_[i];
  }
  length_ = out;
  data_[length_] = 0;
}

void StringBuffer::removeRange(int start, int count) {
  check();
  if (start < 0 || count < 0 || start >= length_ || count > length_ - start) return;
  std::memmove(data_ + start, data_ + start + count, static_cast<size_t>(length_ - start - count));
  length_ -= count;
  data_[length_] = 0;
}

void StringBuffer::shortenBy(int n) {
  check();
  if (n <= 0) return;
  length_ = n >= length_ ? 0 : length_ - n;
  data_[length_] = 0;
}

void StringBuffer::replaceByte(char a, char b) {
  check();
  for (int i = 0; i < length_; ++i) {
    if (data_[i] == a) data_[i] = b;
  }
}

// replaceChar is defined with the multi-encoding string, in
// encoding/core_text_ops.cpp.

bool StringBuffer::replaceFirst(const char* find, const char* repl) {
  check();
  if (!find || !*find) return false;
  const char* hit = std::strstr(data_, find);
  if (!hit) return false;
  const size_t findLen = std::strlen(find);
  const size_t replLen = safeLength(repl);
  if (replLen >= static_cast<size_t>(INT_MAX)) return false;
  OverlapCopy r(repl, replLen, data_, data_ + capacity_);
  if (replLen && !r.ptr) return false;
  const int pos = static_cast<int>(hit - data_);
  const int tail = length_ - pos - static_cast<int>(findLen);
  if (replLen > findLen) {
    if (!grow(static_cast<int>(replLen - findLen), true)) return false;
  }
  std::memmove(data_ + pos + replLen, data_ + pos + findLen, static_cast<size_t>(tail));
  if (replLen) std::memcpy(data_ + pos, r.ptr, replLen);
  length_ = pos + static_cast<int>(replLen) + tail;
  data_[length_] = 0;
  return true;
}

int StringBuffer::replaceAllImpl(const char* find, const char* repl) {
  if (!find || !*find) return 0;
  if (!std::strstr(data_, find)) return 0;
  const size_t findLen = std::strlen(find);
  const size_t replLen = safeLength(repl);
  if (replLen >= static_cast<size_t>(INT_MAX)) return -1;
  // The result goes to a fresh block, so a replacement is never searched
  // again and repl may even point into the old text.
  StringBuffer result(WithCapacity{growStep_});
  if (result.data_ == g_emptyString) return -1;
  const int searchEnd = textLength();
  int count = 0;
  int pos = 0;
  while (pos < searchEnd) {
    const char* hit = std::strstr(data_ + pos, find);
    if (!hit) break;
    const int at = static_cast<int>(hit - data_);
    if (!result.appendN(data_ + pos, at - pos)) return -1;
    if (!result.appendN(repl, static_cast<int>(replLen))) return -1;
    pos = at + static_cast<int>(findLen);
    ++count;
  }
  // The rest, including anything after an embedded NUL.
  if (!result.appendN(data_ + pos, length_ - pos)) return -1;
  swapBlock(result);
  return count;
}

int StringBuffer::replaceAll(const char* find, const char* repl) {
  check();
  const int n = replaceAllImpl(find, repl);
  return n < 0 ? 0 : n;
}

void StringBuffer::keepNameChars() {
  check();
  int out = 0;
  for (int i = 0; i < length_; ++i) {
    const unsigned char c = static_cast<unsigned char>(data_[i]);
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c >= 0x80 || c == '!' || c == '-' || c == '.' || c == ':' || c == '_';
    if (keep) data_[out++] = data_[i];
  }
  length_ = out;
  data_[length_] = 0;
}

void StringBuffer::toLowerCase() {
  check();
  for (int i = 0; i < length_; ++i) {
    const unsigned char c = static_cast<unsigned char>(data_[i]);
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF)) data_[i] = static_cast<char>(c + 0x20);
  }
}

bool StringBuffer::xmlEscape() {
  check();
  // The ampersand first, so the entities added afterwards stay as they are.
  static const char* const kPairs[][2] = {{"&", "&amp;"}, {"<", "&lt;"}, {">", "&gt;"}, {"\"", "&quot;"}};
  for (const auto& p : kPairs) {
    if (replaceAllImpl(p[0], p[1]) < 0) return false;
  }
  return true;
}

bool StringBuffer::expandEnvironmentVariables() {
  check();
  const int end = textLength();
  // Most texts name no variable: leave them without allocating anything.
  const char* first = static_cast<const char*>(std::memchr(data_, '%', static_cast<size_t>(end)));
  if (!first || !std::memchr(first + 1, '%', static_cast<size_t>(end - (first - data_) - 1))) return true;
  StringBuffer result(WithCapacity{length_ + 1});
  if (result.data_ == g_emptyString) return false;
  bool anyPair = false;
  int pos = 0;
  std::string value;
  while (pos < end) {
    const char* open = static_cast<const char*>(std::memchr(data_ + pos, '%', static_cast<size_t>(end - pos)));
    if (!open) break;
    const int openAt = static_cast<int>(open - data_);
    const char* close =
        static_cast<const char*>(std::memchr(open + 1, '%', static_cast<size_t>(end - openAt - 1)));
    if (!close) break;  // a lone percent sign stays in the text
    const int closeAt = static_cast<int>(close - data_);
    anyPair = true;
    if (!result.appendN(data_ + pos, openAt - pos)) return false;
    if (closeAt > openAt + 1) {
      const std::string name(open + 1, close);
      if (platform::getEnvironmentVariable(name.c_str(), value)) {
        if (value.size() >= static_cast<size_t>(INT_MAX)) return false;
        if (!result.appendN(value.data(), static_cast<int>(value.size()))) return false;
      }
    }
    pos = closeAt + 1;
  }
  if (!anyPair) return true;
  if (!result.appendN(data_ + pos, length_ - pos)) return false;
  swapBlock(result);
  return true;
}

// ---- Queries ---------------------------------------------------------------

bool StringBuffer::containsChar(char c) const {
  check();
  if (c == 0) return false;
  return std::strchr(data_, c) != nullptr;
}

bool StringBuffer::contains(const char* s) const {
  check();
  if (!s || !*s) return true;
  return std::strstr(data_, s) != nullptr;
}

bool StringBuffer::containsNoCase(const char* s) const {
  check();
  if (!s || !*s || !data_[0]) return false;
  const size_t n = std::strlen(s);
  const size_t len = std::strlen(data_);
  for (size_t i = 0; i + n <= len; ++i) {
    size_t k = 0;
    while (k < n && foldUpper(data_[i + k]) == foldUpper(s[k])) ++k;
    if (k == n) return true;
  }
  return false;
}

bool StringBuffer::beginsWith(const char* s) const {
  check();
  if (!s) return true;
  const size_t n = std::strlen(s);
  return std::strncmp(data_, s, n) == 0;
}

bool StringBuffer::endsWith(const char* s) const {
  check();
  if (!s) return true;
  const size_t n = std::strlen(s);
  const size_t len = std::strlen(data_);
  return n <= len && std::memcmp(data_ + len - n, s, n) == 0;
}

bool StringBuffer::equals(const char* s) const {
  check();
  if (!s) return data_[0] == 0;
  return std::strcmp(data_, s) == 0;
}

bool StringBuffer::equalsSb(const StringBuffer& other) const {
  check();
  other.check();
  return length_ == other.length_ && std::memcmp(data_, other.data_, static_cast<size_t>(length_)) == 0;
}

bool StringBuffer::equalsNoCase(const char* s) const {
  check();
  if (!s) return data_[0] == 0;
  const char* a = data_;
  while (*a && *s && foldUpper(*a) == foldUpper(*s)) {
    ++a;
    ++s;
  }
  return *a == 0 && *s == 0;
}

bool StringBuffer::is7bit(int n) const {
  check();
  const int end = (n <= 0 || n > length_) ? length_ : n;
  for (int i = 0; i < end; ++i) {
    if (static_cast<unsigned char>(data_[i]) & 0x80) return false;
  }
  return true;
}

int StringBuffer::toInt() const {
  check();
  const char* p = data_;
  // The white space "%d" skips.
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '-' || *p == '+') {
    negative = *p == '-';
    ++p;
  }
  // Accumulated as a negative number, which reaches INT_MIN without
  // overflowing; saturates instead of wrapping.
  int64_t v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (v >= static_cast<int64_t>(INT_MIN) - 1) v = v * 10 - (*p - '0');
  }
  if (negative) return v < INT_MIN ? INT_MIN : static_cast<int>(v);
  return -v > INT_MAX ? INT_MAX : static_cast<int>(-v);
}

// ---- Tokenizing ------------------------------------------------------------

bool StringBuffer::split(ExtPtrArray& out, const char* separators, bool honourQuotes,
                         bool honourBackslash) const {
  check();
  const int end = textLength();
  if (end == 0) return true;
  const char* seps = separators ? separators : "";

  StringBuffer* token = new (std::nothrow) StringBuffer();
  if (!token || token->data_ == g_emptyString) {
    delete token;
    return false;
  }
  auto emit = [&out](StringBuffer* t) {
    t->shrinkToFit();
    if (out.append(t)) return true;
    delete t;
    return false;
  };

  bool escaped = false;
  bool inQuotes = false;
  for (int i = 0; i < end; ++i) {
    const char c = data_[i];
    bool ok = true;
    if (honourBackslash && escaped) {
      ok = token->appendChar(c);
      escaped = false;
    } else if (honourBackslash && c == '\\') {
      ok = token->appendChar(c);
      escaped = true;
    } else if (honourQuotes && c == '"') {
      ok = token->appendChar(c);
      inQuotes = !inQuotes;
    } else if (honourQuotes && inQuotes) {
      ok = token->appendChar(c);
    } else if (std::strchr(seps, c)) {
      if (!emit(token)) return false;
      token = new (std::nothrow) StringBuffer();
      if (!token || token->data_ == g_emptyString) {
        delete token;
        return false;
      }
    } else {
      ok = token->appendChar(c);
    }
    if (!ok) {
      delete token;
      return false;
    }
  }
  return emit(token);
}
