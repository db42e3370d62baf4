// xml: reads an XML document and writes it back in the library's layout.
//
//   tavlin xml [FILE]
//
// Without FILE the document is UTF-8 text on standard input, loaded as the
// self-extractor loads its configuration (white space around texts
// trimmed). With FILE it is read as a file: a byte-order mark or the
// declared encoding brings it to UTF-8 first. The serialized document goes
// to standard output; when no element comes out the exit code is 1 and the
// document's log goes to standard error.
#include <cstdio>
#include <string>

#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "core/string_buffer.h"
#include "encoding/x_string.h"
#include "xml/cls_xml.h"

namespace cli {

int runXml(int argc, char** argv) {
  if (argc > 1) return usageError("xml", "too many arguments");
  const char* path = argc == 1 ? argv[0] : nullptr;
  const bool fromStdin = path == nullptr || std::string(path) == "-";

  ClsXml xml;
  bool loaded;
  if (fromStdin) {
    std::string text;
    const int rc = readInput(nullptr, [&](const unsigned char* data, uint32_t n) {
      text.append(reinterpret_cast<const char*>(data), n);
    });
    if (rc != kExitOk) return rc;
    if (text.size() > 0x7FFFFFF0u) {
      std::fprintf(stderr, "tavlin xml: input too large\n");
      return kExitFailure;
    }
    XString document;
    document.setFromUtf8N(text.data(), static_cast<int>(text.size()));
    loaded = xml.LoadXml(document, true);
  } else {
    XString file;
    file.setFromAnsi(path);
    loaded = xml.LoadXmlFile(file, true);
  }
  if (!loaded) {
    StringBuffer log;
    xml.lastErrorText(log);
    std::fprintf(stderr, "tavlin xml: no element in the input\n%s", log.getString());
    return kExitFailure;
  }
  StringBuffer out;
  if (!xml.WriteXml(out)) {
    std::fprintf(stderr, "tavlin xml: out of memory writing the document\n");
    return kExitFailure;
  }
  std::fwrite(out.getString(), 1, static_cast<size_t>(out.getSize()), stdout);
  return finishOutput();
}

}  // namespace cli
