#include "xml/element_text.h"

#include <cstring>

#include "core/string_buffer.h"
#include "xml/tree_node.h"

int ElementText::entityAt(size_t i, char& becomes) const {
  // The names of one pass, in the order the pass replaces them; "amp;"
  // must come last (it keeps the "&").
  static const struct {
    const char* name;
    int length;
    char becomes;
  } kNames[] = {{"lt;", 3, '<'}, {"gt;", 3, '>'}, {"quot;", 5, '"'}, {"apos;", 5, '\''}, {"amp;", 4, '&'}};
  const size_t left = raw_.size() - i;
  for (const auto& e : kNames) {
    if (left >= static_cast<size_t>(e.length) && std::memcmp(raw_.data() + i, e.name, e.length) == 0) {
      becomes = e.becomes;
      return e.length;
    }
  }
  return 0;
}

void ElementText::track(uint32_t at) {
  // Already recorded? Only the last record can be at this position, since
  // records are added in order of position.
  Amp* amp = (!amps_.empty() && amps_.back().at == at) ? &amps_.back() : nullptr;
  if (amp != nullptr && (amp->live || amp->now != '&')) return;
  char becomes;
  const uint32_t restBegin = amp ? amp->restBegin : at + 1;
  if (entityAt(restBegin, becomes) == 0) return;
  if (amp == nullptr) {
    amps_.push_back(Amp{at, restBegin, '&', true});
  } else {
    amp->live = true;
  }
  live_.push_back(static_cast<uint32_t>(amps_.size() - 1));
}

void ElementText::append(const char* bytes, size_t n) {
  if (n == 0) return;
  const size_t old = raw_.size();
  raw_.append(bytes, n);
  // The last "&" before these bytes now has more text after it.
  if (lastAmp_ >= 0) track(static_cast<uint32_t>(lastAmp_));
  const char* base = raw_.data();
  for (const char* p = base + old; (p = static_cast<const char*>(std::memchr(p, '&', raw_.size() - (p - base)))) != nullptr; ++p) {
    lastAmp_ = p - base;
    track(static_cast<uint32_t>(lastAmp_));
  }
}

void ElementText::decodePass() {
  spare_.clear();
  for (uint32_t index : live_) {
    Amp& amp = amps_[index];
    char becomes;
    const int length = entityAt(amp.restBegin, becomes);
    amp.restBegin += static_cast<uint32_t>(length);
    if (becomes == '&') {
      // "&amp;" leaves an "&", which the next pass looks at again.
      amp.live = entityAt(amp.restBegin, becomes) != 0;
      if (amp.live) spare_.push_back(index);
    } else {
      amp.now = becomes;
      amp.live = false;
    }
  }
  live_.swap(spare_);
}

void ElementText::addPiece(const char* leadingSpace, int leadingLength, const char* piece,
                           int pieceLength, bool trimWhitespace) {
  if (!trimWhitespace) append(leadingSpace, static_cast<size_t>(leadingLength));
  if (present_ && !raw_.empty()) append(" ", 1);
  present_ = true;
  append(piece, static_cast<size_t>(pieceLength));
  decodePass();
}

void ElementText::addCdata(const char* bytes, int n) {
  present_ = true;
  cdata_ = true;
  append(bytes, static_cast<size_t>(n));
}

std::string ElementText::text() const {
  std::string out;
  out.reserve(raw_.size());
  size_t from = 0;
  for (const Amp& amp : amps_) {
    out.append(raw_, from, amp.at - from);
    out.push_back(amp.now);
    from = amp.restBegin;
  }
  out.append(raw_, from, std::string::npos);
  return out;
}

void ElementText::moveTo(TreeNode& node) {
  if (!present_) return;
  StringBuffer* content = node.contentBuffer();
  if (content != nullptr) {
    const std::string decoded = text();
    content->appendN(decoded.data(), static_cast<int>(decoded.size()));
  }
  if (cdata_) node.setCdata(true);
}
