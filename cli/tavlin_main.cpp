// tavlin: the library's command-line front end.
//
//   tavlin COMMAND [ARGUMENTS...]
//
// The first argument picks a command from the table in
// cli_command_table.cpp; the command gets the rest. Exit codes: 0 done,
// 1 the work failed, 2 the command line was wrong.
#include <cstdio>
#include <cstring>

#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "platform/platform.h"

namespace {

void printUsage(FILE* to) {
  std::fprintf(to, "usage: tavlin COMMAND [ARGUMENTS...]\n\ncommands:\n");
  for (const cli::Command* c = cli::commandTable(); c->name != nullptr; ++c) {
    std::fprintf(to, "  tavlin %s %s\n      %s\n", c->name, c->arguments, c->summary);
  }
  std::fprintf(to,
               "\nFILE defaults to standard input (also \"-\"). Hex arguments take two digits\n"
               "per byte. Exit codes: 0 done, 1 failure, 2 bad command line.\n");
}

}  // namespace

int main(int argc, char** argv) {
  // Input is hashed byte for byte and output lines end in a bare "\n" on
  // every system.
  platform::setBinaryStdio();
  if (argc < 2) return cli::usageError(nullptr, "no command given");
  const char* name = argv[1];
  if (std::strcmp(name, "--help") == 0 || std::strcmp(name, "-h") == 0 ||
      std::strcmp(name, "help") == 0) {
    printUsage(stdout);
    return cli::finishOutput();
  }
  const cli::Command* command = cli::findCommand(name);
  if (command == nullptr) {
    std::fprintf(stderr, "tavlin: unknown command '%s' (try 'tavlin --help')\n", name);
    return cli::kExitUsage;
  }
  return command->run(argc - 2, argv + 2);
}
