// Argument parsing and input reading shared by the tavlin subcommands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace cli {

// Reports a wrong command line: one line on standard error naming the
// command, the problem and the command's usage. Returns kExitUsage.
int usageError(const char* command, const char* problem);

// Hex digits (either case), two per byte; "" gives no bytes. False for an
// odd count or any other character.
bool parseHex(const char* text, std::vector<unsigned char>& out);

// A decimal number of 0 .. 4294967295: digits only (no sign, no spaces).
bool parseUint32(const char* text, uint32_t& out);

// Feeds the content of path (standard input for null or "-") to consume in
// pieces of at most `chunk` bytes, so that input of any size, larger than
// memory or than 4 GiB, streams through. On a read failure prints an error
// naming the file and the system's reason and returns kExitFailure;
// otherwise kExitOk.
using ChunkConsumer = std::function<void(const unsigned char* data, uint32_t n)>;
int readInput(const char* path, const ChunkConsumer& consume, size_t chunk = 1u << 20);

// Prints the bytes as lower-case hex followed by "\n". Returns kExitOk, or
// kExitFailure (with a message) when standard output cannot be written.
int printHexLine(const unsigned char* bytes, size_t n);

// Finishes standard output: kExitFailure with a message when it failed.
int finishOutput();

}  // namespace cli
