#include "cli/cli_support.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "cli/cli_commands.h"

namespace cli {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

const char* describe(const char* path) { return path != nullptr ? path : "-"; }

}  // namespace

int usageError(const char* command, const char* problem) {
  const Command* c = findCommand(command);
  if (c != nullptr) {
    std::fprintf(stderr, "tavlin %s: %s (usage: tavlin %s %s)\n", c->name, problem, c->name,
                 c->arguments);
  } else {
    std::fprintf(stderr, "tavlin: %s (try 'tavlin --help')\n", problem);
  }
  return kExitUsage;
}

bool parseHex(const char* text, std::vector<unsigned char>& out) {
  out.clear();
  if (text == nullptr) return false;
  size_t n = std::strlen(text);
  if (n % 2 != 0) return false;
  out.reserve(n / 2);
  for (size_t i = 0; i < n; i += 2) {
    int hi = hexValue(text[i]);
    int lo = hexValue(text[i + 1]);
    if (hi < 0 || lo < 0) {
      out.clear();
      return false;
    }
    out.push_back(static_cast<unsigned char>(hi * 16 + lo));
  }
  return true;
}

bool parseUint32(const char* text, uint32_t& out) {
  if (text == nullptr || *text == '\0') return false;
  uint64_t value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + static_cast<uint64_t>(*p - '0');
    if (value > 0xFFFFFFFFu) return false;
  }
  out = static_cast<uint32_t>(value);
  return true;
}

int readInput(const char* path, const ChunkConsumer& consume, size_t chunk) {
  bool useStdin = path == nullptr || std::strcmp(path, "-") == 0;
  std::unique_ptr<FILE, FileCloser> owned;
  FILE* in = stdin;
  if (!useStdin) {
    errno = 0;
    owned.reset(std::fopen(path, "rb"));
    if (!owned) {
      std::fprintf(stderr, "tavlin: cannot open '%s': %s\n", path, std::strerror(errno));
      return kExitFailure;
    }
    in = owned.get();
  }
  if (chunk == 0 || chunk > 0x40000000u) chunk = 1u << 20;
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[chunk]);
  if (!buffer) {
    std::fprintf(stderr, "tavlin: out of memory reading '%s'\n", describe(path));
    return kExitFailure;
  }
  for (;;) {
    errno = 0;
    size_t got = std::fread(buffer.get(), 1, chunk, in);
    if (got > 0) consume(buffer.get(), static_cast<uint32_t>(got));
    if (got < chunk) {
      if (std::ferror(in)) {
        int error = errno;
        std::fprintf(stderr, "tavlin: cannot read '%s': %s\n", describe(path),
                     error != 0 ? std::strerror(error) : "read error");
        return kExitFailure;
      }
      if (std::feof(in)) return kExitOk;
    }
  }
}

int printHexLine(const unsigned char* bytes, size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  char line[2 * 4096];
  size_t used = 0;
  for (size_t i = 0; i < n; ++i) {
    line[used++] = kDigits[bytes[i] >> 4];
    line[used++] = kDigits[bytes[i] & 15];
    if (used == sizeof line) {
      if (std::fwrite(line, 1, used, stdout) != used) break;
      used = 0;
    }
  }
  if (used > 0) std::fwrite(line, 1, used, stdout);
  std::fputc('\n', stdout);
  return finishOutput();
}

int finishOutput() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "tavlin: cannot write the result: %s\n", std::strerror(errno));
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace cli
