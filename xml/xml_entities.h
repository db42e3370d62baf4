// The five XML entities: decoding on input, escaping on output.
//
// Decoding knows exactly "&lt;", "&gt;", "&quot;", "&apos;" and "&amp;",
// replaced in that order over the whole text, "&amp;" last so that an
// escaped reference ("&amp;lt;") comes out once decoded ("&lt;"). Numeric
// character references stay as they are.
#pragma once

class StringBuffer;

// One decoding pass over the whole text (nothing happens without "&").
void decodeXmlEntities(StringBuffer& text);

// Element content: '"', '&', '\'', '<' and '>' become entities. False when
// out could not grow.
bool appendEscapedContent(StringBuffer& out, const char* text, int n);

// Attribute values: as content, except that an "&" followed by "#" and a
// digit or "x" is written unchanged, so character references survive.
bool appendEscapedAttribute(StringBuffer& out, const char* text, int n);
