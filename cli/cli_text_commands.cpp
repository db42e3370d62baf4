// convert, base64-encode, base64-decode and qp-encode: the library's
// character-set conversion and content codings from standard input to
// standard output.
#include <cstdio>
#include <cstring>

#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "core/data_buffer.h"
#include "core/string_buffer.h"
#include "core/tavlin_alloc.h"
#include "encoding/content_coding.h"
#include "encoding/encoding_convert.h"

namespace cli {

namespace {

bool noArguments(const char* command, int argc, int& exitCode) {
  if (argc == 0) return true;
  exitCode = usageError(command, "takes no arguments (it reads standard input)");
  return false;
}

// The whole of standard input in one buffer; the library's codings take
// their input in one piece of at most 4 GiB.
int readAll(const char* command, DataBuffer& all) {
  bool ok = true;
  int rc = readInput(nullptr, [&](const unsigned char* data, uint32_t n) {
    if (ok && !all.append(data, n)) ok = false;
  });
  if (rc != kExitOk) return rc;
  if (!ok) {
    std::fprintf(stderr, "tavlin %s: input too large to hold in memory (4 GiB at most)\n", command);
    return kExitFailure;
  }
  return kExitOk;
}

bool writeOut(const void* data, size_t n) {
  return n == 0 || std::fwrite(data, 1, n, stdout) == n;
}

// A code page given by number or by charset name; 0 when neither.
int parseCodePage(const char* text) {
  uint32_t number;
  if (parseUint32(text, number)) return number <= 65535 ? static_cast<int>(number) : 0;
  return EncodingConvert::codePageForName(text);
}

}  // namespace

int runConvert(int argc, char** argv) {
  if (argc != 2) return usageError("convert", "needs FROM and TO");
  int from = parseCodePage(argv[0]);
  int to = parseCodePage(argv[1]);
  if (from == 0 || to == 0) {
    char problem[160];
    std::snprintf(problem, sizeof problem, "unknown code page or charset name '%.60s'",
                  from == 0 ? argv[0] : argv[1]);
    return usageError("convert", problem);
  }
  DataBuffer in;
  int rc = readAll("convert", in);
  if (rc != kExitOk) return rc;
  DataBuffer out;
  EncodingConvert ec;
  bool complete = ec.convert(from, to, in.getData(), in.getSize(), out);
  writeOut(out.getData(), out.getSize());
  rc = finishOutput();
  if (rc != kExitOk) return rc;
  if (!complete) {
    std::fprintf(stderr, "tavlin convert: not every character could be converted from %d to %d\n",
                 from, to);
    return kExitFailure;
  }
  return kExitOk;
}

int runBase64Encode(int argc, char** argv) {
  int rc;
  if (!noArguments("base64-encode", argc, rc)) return rc;
  // Groups of three bytes encode independently, so the input streams
  // through in pieces; up to two bytes wait for the next piece.
  ContentCoding coding;
  unsigned char carry[3];
  uint32_t carried = 0;
  bool ok = true;  // false after a failed encoding or write: the rest is skipped
  bool outOfMemory = false;
  StringBuffer text;
  auto emit = [&](const unsigned char* bytes, uint32_t n) {
    text.clear();
    if (!coding.encodeBase64(bytes, n, text)) {
      ok = false;
      outOfMemory = true;
      return;
    }
    if (!writeOut(text.getString(), static_cast<size_t>(text.getSize()))) ok = false;
  };
  rc = readInput(nullptr, [&](const unsigned char* data, uint32_t n) {
    if (!ok) return;
    while (carried > 0 && n > 0) {  // complete the group the last piece began
      carry[carried++] = *data++;
      --n;
      if (carried == 3) {
        emit(carry, 3);
        carried = 0;
      }
    }
    uint32_t whole = n - n % 3;
    if (whole > 0) emit(data, whole);
    for (uint32_t i = whole; i < n; ++i) carry[carried++] = data[i];
  });
  if (rc != kExitOk) return rc;
  if (ok && carried > 0) emit(carry, carried);
  if (outOfMemory) {
    std::fprintf(stderr, "tavlin base64-encode: out of memory\n");
    return kExitFailure;
  }
  return finishOutput();  // reports a failed write
}

int runBase64Decode(int argc, char** argv) {
  int rc;
  if (!noArguments("base64-decode", argc, rc)) return rc;
  DataBuffer in;
  rc = readAll("base64-decode", in);
  if (rc != kExitOk) return rc;
  if (in.getSize() == 0) return finishOutput();
  ContentCoding coding;
  uint32_t n = 0;
  unsigned char* bytes =
      coding.decodeBase64(reinterpret_cast<const char*>(in.getData()), in.getSize(), n);
  if (bytes == nullptr) {
    std::fprintf(stderr, "tavlin base64-decode: out of memory\n");
    return kExitFailure;
  }
  writeOut(bytes, n);
  tavlinFree(bytes);
  return finishOutput();
}

int runQpEncode(int argc, char** argv) {
  int rc;
  if (!noArguments("qp-encode", argc, rc)) return rc;
  DataBuffer in;
  rc = readAll("qp-encode", in);
  if (rc != kExitOk) return rc;
  ContentCoding coding;
  StringBuffer text;
  if (!coding.encodeQuotedPrintable(in.getData(), in.getSize(), text)) {
    std::fprintf(stderr, "tavlin qp-encode: out of memory\n");
    return kExitFailure;
  }
  writeOut(text.getString(), static_cast<size_t>(text.getSize()));
  return finishOutput();
}

}  // namespace cli
