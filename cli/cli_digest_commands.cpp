// crc32, md5, sha1, hmac-sha1 and pbkdf2-sha1: the library's checksums and
// digests over a file or standard input, printed in hex.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "core/string_buffer.h"
#include "crypto/hmac_sha1.h"
#include "crypto/md5.h"
#include "crypto/pbkdf2.h"
#include "crypto/sha1.h"
#include "crypto/zip_crc.h"
#include "log/logger.h"

namespace cli {

namespace {

// The optional FILE of the streaming commands: argv[first] if present.
bool optionalFile(const char* command, int argc, char** argv, int first, const char*& path,
                  int& exitCode) {
  if (argc > first + 1) {
    exitCode = usageError(command, "too many arguments");
    return false;
  }
  path = argc > first ? argv[first] : nullptr;
  return true;
}

}  // namespace

int runCrc32(int argc, char** argv) {
  const char* path;
  int rc;
  if (!optionalFile("crc32", argc, argv, 0, path, rc)) return rc;
  ZipCRC crc;
  crc.reset();
  rc = readInput(path, [&](const unsigned char* data, uint32_t n) { crc.update(data, n); });
  if (rc != kExitOk) return rc;
  std::printf("%08" PRIx32 "\n", crc.getValue());
  return finishOutput();
}

int runMd5(int argc, char** argv) {
  const char* path;
  int rc;
  if (!optionalFile("md5", argc, argv, 0, path, rc)) return rc;
  Md5 md5;
  md5.reset();
  rc = readInput(path, [&](const unsigned char* data, uint32_t n) { md5.update(data, n); });
  if (rc != kExitOk) return rc;
  unsigned char digest[16];
  md5.final(digest);
  return printHexLine(digest, sizeof digest);
}

int runSha1(int argc, char** argv) {
  const char* path;
  int rc;
  if (!optionalFile("sha1", argc, argv, 0, path, rc)) return rc;
  Sha1 sha;
  sha.reset();
  rc = readInput(path, [&](const unsigned char* data, uint32_t n) { sha.update(data, n); });
  if (rc != kExitOk) return rc;
  unsigned char digest[20];
  sha.final(digest);
  return printHexLine(digest, sizeof digest);
}

int runHmacSha1(int argc, char** argv) {
  if (argc < 1) return usageError("hmac-sha1", "missing KEYHEX");
  const char* path;
  int rc;
  if (!optionalFile("hmac-sha1", argc, argv, 1, path, rc)) return rc;
  std::vector<unsigned char> key;
  if (!parseHex(argv[0], key)) {
    return usageError("hmac-sha1", "KEYHEX must be an even number of hex digits");
  }
  HmacSha1 ctx;
  hmacBegin(ctx);
  hmacKey(key.data(), static_cast<uint32_t>(key.size()), ctx);
  rc = readInput(path, [&](const unsigned char* data, uint32_t n) { hmacData(data, n, ctx); });
  if (rc != kExitOk) return rc;
  unsigned char mac[20];
  hmacEnd(mac, sizeof mac, ctx);  // also right for empty input: it ends the key phase itself
  return printHexLine(mac, sizeof mac);
}

int runPbkdf2Sha1(int argc, char** argv) {
  const char* command = "pbkdf2-sha1";
  if (argc != 4) return usageError(command, argc < 4 ? "missing arguments" : "too many arguments");
  const char* password = argv[0];
  std::vector<unsigned char> salt;
  if (!parseHex(argv[1], salt)) {
    return usageError(command, "SALTHEX must be an even number of hex digits");
  }
  uint32_t iterations = 0;
  if (!parseUint32(argv[2], iterations) || iterations == 0) {
    return usageError(command, "ITERATIONS must be a whole number from 1 to 4294967295");
  }
  uint32_t length = 0;
  if (!parseUint32(argv[3], length) || length == 0) {
    return usageError(command, "LENGTH must be a whole number from 1 to 4294967295");
  }
  std::unique_ptr<unsigned char[]> key(new (std::nothrow) unsigned char[length]);
  if (!key) {
    std::fprintf(stderr, "tavlin %s: cannot allocate %" PRIu32 " bytes for the key\n", command,
                 length);
    return kExitFailure;
  }
  Logger log;
  if (!ZipAes_derive_key(reinterpret_cast<const unsigned char*>(password),
                         static_cast<uint32_t>(std::strlen(password)), salt.data(),
                         static_cast<uint32_t>(salt.size()), iterations, key.get(), length, log,
                         false)) {
    StringBuffer text;
    log.toText(text);
    std::fprintf(stderr, "tavlin %s: key derivation failed\n%s", command, text.getString());
    return kExitFailure;
  }
  return printHexLine(key.get(), length);
}

}  // namespace cli
