// The file road of the parser: reading, bringing the bytes to UTF-8, and
// the declared encoding afterwards.
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "core/data_buffer.h"
#include "core/string_buffer.h"
#include "encoding/encoding_convert.h"
#include "log/log_base.h"
#include "platform/platform.h"
#include "xml/tree_node.h"
#include "xml/xml_parser.h"

namespace {

const int kUtf16Le = 1200;
const int kUtf16Be = 1201;
const int kUtf8 = 65001;

// Finds "<?xml" ignoring case; the index or -1.
int64_t findXmlDeclaration(const unsigned char* p, uint32_t n) {
  static const char kOpen[] = "<?xml";
  for (uint32_t i = 0; i + 5 <= n; ++i) {
    if (p[i] != '<' || p[i + 1] != '?') continue;
    uint32_t k = 2;
    while (k < 5 && (p[i + k] | 0x20) == kOpen[k]) ++k;
    if (k == 5) return static_cast<int64_t>(i);
  }
  return -1;
}

// The encoding named in the declaration that starts at `at`, as the
// loader reads it: spaces removed and lower-cased. Empty when there is
// none (or the declaration is not closed by a ">").
std::string declaredEncoding(const unsigned char* p, uint32_t n, uint32_t at) {
  const void* close = std::memchr(p + at, '>', n - at);
  if (close == nullptr) return std::string();
  std::string decl;
  for (const unsigned char* q = p + at; q < static_cast<const unsigned char*>(close); ++q) {
    if (*q == ' ') continue;
    decl.push_back((*q >= 'A' && *q <= 'Z') ? static_cast<char>(*q + 32) : static_cast<char>(*q));
  }
  size_t start = decl.find("encoding=\"");
  if (start == std::string::npos) start = decl.find("encoding='");
  if (start == std::string::npos) return std::string();
  start += 10;
  size_t end = decl.find('"', start);
  if (end == std::string::npos) end = decl.find('\'', start);
  if (end == std::string::npos) return std::string();
  return decl.substr(start, end - start);
}

void convertWhole(DataBuffer& bytes, int fromCodePage, const char* charsetName) {
  DataBuffer converted;
  EncodingConvert converter;
  // The result replaces the text whatever the converter reports: what it
  // could not convert is missing, and an unknown name leaves nothing.
  if (charsetName != nullptr) {
    converter.convertByName(charsetName, kUtf8, bytes.getData(), bytes.getSize(), converted);
  } else {
    converter.convert(fromCodePage, kUtf8, bytes.getData(), bytes.getSize(), converted);
  }
  bytes.takeFrom(converted);
}

bool equalsNoCase(const char* a, const char* b) {
  for (; *a != 0 && *b != 0; ++a, ++b) {
    const char ca = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a + 32) : *a;
    const char cb = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b + 32) : *b;
    if (ca != cb) return false;
  }
  return *a == *b;
}

}  // namespace

void prepareXmlBytes(DataBuffer& bytes) {
  const unsigned char* p = bytes.getData();
  const uint32_t n = bytes.getSize();
  if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
    convertWhole(bytes, kUtf16Le, nullptr);
    return;
  }
  if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
    convertWhole(bytes, kUtf16Be, nullptr);
    return;
  }
  if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
    bytes.removeFront(3);
    return;
  }
  const int64_t at = findXmlDeclaration(p, n);
  if (at < 0) return;
  const std::string encoding = declaredEncoding(p, n, static_cast<uint32_t>(at));
  if (encoding.empty() || equalsNoCase(encoding.c_str(), "utf-8")) return;
  convertWhole(bytes, 0, encoding.c_str());
}

void fixDeclaredEncoding(TreeNode* root) {
  if (root == nullptr) return;
  StringBuffer encoding;
  if (!root->getEncoding(encoding)) return;
  const char* e = encoding.getString();
  if (equalsNoCase(e, "utf-16") || equalsNoCase(e, "ucs-2") || equalsNoCase(e, "unicode")) {
    root->setEncoding("utf-8");
  }
}

TreeNode* parseXmlFile(const char* path, LogBase* log, bool trimWhitespace) {
  LogNull discard;
  LogBase& sink = log ? *log : discard;
  if (path == nullptr) path = "";
  try {
    // Until the file layer takes file reading over, the UTF-8 path reaches
    // the system in its narrow form (a name the ANSI code page cannot hold
    // does not open).
    DataBuffer ansiPath;
    EncodingConvert().convert(kUtf8, static_cast<int>(platform::ansiCodePage()),
                              reinterpret_cast<const unsigned char*>(path),
                              static_cast<uint32_t>(std::strlen(path)), ansiPath);
    ansiPath.appendByte(0);
    std::string content;
    if (!platform::readWholeFileAnsi(reinterpret_cast<const char*>(ansiPath.getData()), content)) {
      const uint32_t error = platform::lastError();
      sink.addError("Failed to read the XML file");
      sink.addData("filename", path);
      sink.addData("osErrorInfo", platform::systemErrorText(error).c_str());
      return nullptr;
    }
    if (content.size() > 0x7FFFFFF0u) {
      sink.addError("File too large");
      sink.addData("filename", path);
      return nullptr;
    }
    DataBuffer bytes;
    if (!bytes.append(content.data(), static_cast<uint32_t>(content.size()))) {
      sink.addError("Out of memory");
      return nullptr;
    }
    std::string().swap(content);
    prepareXmlBytes(bytes);
    TreeNode* root = parseXmlN(reinterpret_cast<const char*>(bytes.getData()),
                               static_cast<int>(bytes.getSize()), &sink, trimWhitespace);
    fixDeclaredEncoding(root);
    return root;
  } catch (const std::bad_alloc&) {
    sink.addError("Out of memory");
    return nullptr;
  }
}
