#include "xml/xml_entities.h"

#include "core/string_buffer.h"

void decodeXmlEntities(StringBuffer& text) {
  if (!text.containsChar('&')) return;
  text.replaceAll("&lt;", "<");
  text.replaceAll("&gt;", ">");
  text.replaceAll("&quot;", "\"");
  text.replaceAll("&apos;", "'");
  text.replaceAll("&amp;", "&");
}

namespace {

const char* entityFor(char c) {
  switch (c) {
    case '"': return "&quot;";
    case '&': return "&amp;";
    case '\'': return "&apos;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    default: return nullptr;
  }
}

// Appends text with the five characters escaped; an "&" for which
// keepAmpersand says so is copied as it is.
template <typename KeepAmpersand>
bool appendEscaped(StringBuffer& out, const char* text, int n, KeepAmpersand keepAmpersand) {
  bool ok = true;
  int runStart = 0;
  for (int i = 0; i < n; ++i) {
    const char* entity = entityFor(text[i]);
    if (entity == nullptr || (text[i] == '&' && keepAmpersand(text + i, n - i))) continue;
    ok = out.appendN(text + runStart, i - runStart) && ok;
    ok = out.append(entity) && ok;
    runStart = i + 1;
  }
  return out.appendN(text + runStart, n - runStart) && ok;
}

}  // namespace

bool appendEscapedContent(StringBuffer& out, const char* text, int n) {
  return appendEscaped(out, text, n, [](const char*, int) { return false; });
}

bool appendEscapedAttribute(StringBuffer& out, const char* text, int n) {
  return appendEscaped(out, text, n, [](const char* p, int left) {
    return left >= 3 && p[1] == '#' && ((p[2] >= '0' && p[2] <= '9') || p[2] == 'x');
  });
}
