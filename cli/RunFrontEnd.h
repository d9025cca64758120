#pragma once
// What `run` and `replace` share: their switches and options, and carrying out a run on the
// terminal with its output and exit status.

#include "cli/Cli.h"
#include "config/AppOptions.h"
#include "config/Configuration.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tw::cli {

// The command line of a run, parsed but not yet applied.
struct RunArguments {
  std::vector<std::string> positionals;
  // Switches; unset ones keep the configuration's value.
  std::optional<bool> caseSensitive;
  std::optional<bool> wholeWords;
  std::optional<bool> anything;
  std::optional<bool> regex;
  std::optional<bool> backup;
  std::optional<bool> confirm;
  // Options, at their program-start defaults.
  bool noFilenameReferences = false;
  std::optional<std::string> first;
  std::optional<std::string> unit;  // "Lines" or "Bytes"
  bool keepLeadingSpaces = false;
  bool keepTrailingSpaces = false;
  bool unix = false;
  bool touch = false;
  bool noKeepAttributes = false;
  bool rtfAsText = false;
  bool unicode = false;  // Unicode letters in case and whole words
  std::optional<std::string> report;
  std::optional<std::string> htmlReport;
  bool quiet = false;
  bool dryRun = false;
  // Outputs other than the dry run's diff (run, replace) or the matching lines (find).
  bool stat = false;              // per file its count of replacements, then the totals
  bool filesWithMatches = false;  // only the paths of the files with occurrences
  bool count = false;             // find: per file its count of matching lines
};

// The commands that share these switches: the ones that replace (`run`, `replace`) and
// `find`, which takes only the switches and options that shape the search.
enum class CommandKind { Replacing, Finding };

// Parses `args` for a command of `kind`; on a usage error returns the message.
std::optional<std::string> ParseRunArguments(std::span<const std::string> args,
                                             RunArguments& parsed, CommandKind kind);

// Applies the switches and options to `config` and `options`.
void ApplyRunArguments(const RunArguments& parsed, Configuration& config, AppOptions& options);

// The usage text of the switches and options, for --help of `run` and `replace`.
const char* RunOptionsHelp();

// Runs `config` (already carrying the command line's switches) and prints the outcome.
// Returns the exit status.
int ExecuteRun(const Configuration& config, const AppOptions& options, const RunArguments& parsed,
               CliIo& io);

// Writes "textwright-cli: <message>" and a pointer to --help on `err`; returns kExitUsage.
int UsageError(CliIo& io, const std::string& command, const std::string& message);

}  // namespace tw::cli
