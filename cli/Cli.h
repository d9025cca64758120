#pragma once
// textwright-cli: the batch front end of the core. Every command runs exactly the engine
// the desktop program runs; this layer only parses arguments, answers the engine's
// questions on the terminal and prints results.

#include "config/RplFile.h"

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tw::cli {

// Exit statuses of every command.
enum ExitStatus : int {
  kExitOk = 0,      // everything asked was done (also when nothing was replaced)
  kExitFailed = 1,  // some file could not be processed
  kExitUsage = 2,   // a usage error, or an invalid configuration or input
};

// The streams a command talks through; tests hand in string streams.
struct CliIo {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool errIsTerminal = false;  // progress bars go to `err` only when it is a terminal
};

// Runs the tool with `args` (without the program name) and returns the exit status.
int runCli(const std::vector<std::string>& args, CliIo io);

// One sub-command: its name, its usage for --help (one line per form of the command), and
// its entry point, which gets the arguments after the command name.
struct Command {
  const char* name;
  const char* usage;
  int (*run)(std::span<const std::string> args, CliIo& io);
};

// The prefix of every line the tool writes to standard error about a problem.
inline constexpr const char* kErrorPrefix = "textwright-cli: ";

// Opens the configuration file `path` for use (paths resolved against its folder, see
// readConfigurationFile); on failure says why on standard error and returns nothing.
std::optional<RplContent> LoadConfiguration(const std::string& path, CliIo& io);

// The sub-commands, in the order --help lists them.
std::span<const Command> commands();

// The forms of a command's usage, each a line of --help after "textwright-cli ".
std::vector<std::string> usageForms(const Command& command);

}  // namespace tw::cli
