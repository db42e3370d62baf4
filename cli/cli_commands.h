// The subcommands of the tavlin front end.
//
// Each command receives the arguments that follow its name and returns the
// process exit code. Commands print their result to standard output and
// their complaints, one line each, to standard error.
#pragma once

namespace cli {

enum ExitCode {
  kExitOk = 0,
  kExitFailure = 1,  // the work could not be done (unreadable file, ...)
  kExitUsage = 2,    // the command line was wrong
};

struct Command {
  const char* name;
  const char* arguments;  // for the usage text, e.g. "[FILE]"
  const char* summary;
  int (*run)(int argc, char** argv);
};

// The command table (cli_command_table.cpp), in the order of the usage
// text, ended by an entry with a null name.
const Command* commandTable();
// The command of that name; null when there is none.
const Command* findCommand(const char* name);

// ---- Digests (cli_digest_commands.cpp) ----
int runCrc32(int argc, char** argv);
int runMd5(int argc, char** argv);
int runSha1(int argc, char** argv);
int runHmacSha1(int argc, char** argv);
int runPbkdf2Sha1(int argc, char** argv);

// ---- Text (cli_text_commands.cpp) ----
int runConvert(int argc, char** argv);
int runBase64Encode(int argc, char** argv);
int runBase64Decode(int argc, char** argv);
int runQpEncode(int argc, char** argv);

// ---- XML (cli_xml_commands.cpp) ----
int runXml(int argc, char** argv);

}  // namespace cli
