#include <cstring>

#include "cli/cli_commands.h"

namespace cli {

namespace {

const Command kCommands[] = {
    {"crc32", "[FILE]", "CRC-32 (as in ZIP and gzip), 8 hex digits", runCrc32},
    {"md5", "[FILE]", "MD5 digest, 32 hex digits", runMd5},
    {"sha1", "[FILE]", "SHA-1 digest, 40 hex digits", runSha1},
    {"hmac-sha1", "KEYHEX [FILE]", "HMAC-SHA1 with the key given in hex, 40 hex digits",
     runHmacSha1},
    {"pbkdf2-sha1", "PASSWORD SALTHEX ITERATIONS LENGTH",
     "PBKDF2 with HMAC-SHA1: LENGTH derived bytes in hex", runPbkdf2Sha1},
    {"xml", "[FILE]", "XML document (UTF-8 on standard input) rewritten in the library's layout",
     runXml},
    {"convert", "FROM TO", "standard input converted between code pages (numbers or names)", runConvert},
    {"base64-encode", "", "standard input as base64, without line breaks", runBase64Encode},
    {"base64-decode", "", "base64 on standard input decoded", runBase64Decode},
    {"qp-encode", "", "standard input as quoted-printable", runQpEncode},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

const Command* commandTable() { return kCommands; }

const Command* findCommand(const char* name) {
  if (name == nullptr) return nullptr;
  for (const Command* c = kCommands; c->name != nullptr; ++c) {
    if (std::strcmp(c->name, name) == 0) return c;
  }
  return nullptr;
}

}  // namespace cli
