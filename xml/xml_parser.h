// The XML parser: text to a TreeNode tree, and the file road in front of it.
//
// The parser is lenient and single-pass. It never rejects a document for
// being malformed: what is left open at the end is closed, an end tag
// closes the open element whatever its name, text outside elements is
// ignored, and of two top-level elements the second is the result. It
// reports three kinds of trouble to the log, as errors: "Unclosed comment"
// (parsing stops there), "Failed to parse DTD" (the incomplete DOCTYPE text
// stays in the document) and "Error in closing tag" (followed by the data
// item "error_tag" with the tag of the element being closed).
//
// The parser recurses nowhere, so documents nested to any depth parse with
// a flat stack; its working memory is a few bytes per open element.
#pragma once

class DataBuffer;
class LogBase;
class TreeNode;

// Parses UTF-8 text (NUL-terminated) into a new tree whose document
// information carries the declaration, stylesheets, DOCTYPE and
// processing-instruction texts. With trimWhitespace, leading and trailing
// white space of text pieces is dropped; without, it is kept. log may be
// null. Null when no element came out (the caller owns the result).
TreeNode* parseXml(const char* text, LogBase* log, bool trimWhitespace);
// As parseXml over n bytes (a NUL among them ends the text).
TreeNode* parseXmlN(const char* text, int n, LogBase* log, bool trimWhitespace);

// Reads the whole file at path (UTF-8), brings it to UTF-8
// (prepareXmlBytes), parses it, and fixes the declared encoding
// (fixDeclaredEncoding). Null when the file cannot be read or no element
// came out.
TreeNode* parseXmlFile(const char* path, LogBase* log, bool trimWhitespace);

// Brings the bytes of an XML file to UTF-8: a UTF-16 byte-order mark (either
// order) converts the whole buffer from UTF-16; a UTF-8 one is removed;
// otherwise the encoding named in the XML declaration, when it is not
// utf-8, converts the whole buffer from that character set. The converted
// bytes replace the buffer whatever the converter reports, so a name it does
// not know leaves an empty text.
void prepareXmlBytes(DataBuffer& bytes);

// After a file was converted, a declared "utf-16", "ucs-2" or "unicode"
// (any case) becomes "utf-8": the tree holds UTF-8.
void fixDeclaredEncoding(TreeNode* root);
