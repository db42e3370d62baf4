// The XML serializer: a node and its subtree as text.
//
// The layout is fixed: CR LF line ends, four spaces of indentation per level
// (at most 50 levels deep: deeper elements stay at 200 spaces), the XML
// declaration, stylesheet instructions, DOCTYPE and processing-instruction
// texts in front of the document's root, " />" for elements without
// content and children. A first child starts on a new line; an element with
// only text content stays on one line.
//
// The subtree is walked with an explicit stack, not by recursion, so any
// depth the parser accepted can be written back.
#pragma once

class StringBuffer;
class TreeNode;

// Appends the text of node and its subtree to out. index is the node's
// position among its siblings (0 starts it on a new line), depth its
// indentation level. Unless omitDeclaration, a document root is preceded by
// its declaration; writing moves a "standalone" attribute of the
// declaration to the end of its attributes. False only when memory ran out
// (out then holds a partial text).
bool serialize(TreeNode* node, StringBuffer& out, int index, int depth, bool omitDeclaration);
