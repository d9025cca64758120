#include "cli/RunCommands.h"

#include "cli/RunFrontEnd.h"

#include <ostream>

namespace tw::cli {

int replaceCommand(std::span<const std::string> args, CliIo& io) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    io.out << "Usage: textwright-cli replace [switches] [options] FIND REPLACE FILE...\n"
              "Replaces FIND by REPLACE in every FILE, with the switches at their defaults\n"
              "(ignore case, %anything% allowed, backups on) unless changed. Use -- before\n"
              "FIND if it begins with a hyphen.\n\n"
           << RunOptionsHelp();
    return kExitOk;
  }
  RunArguments parsed;
  if (std::optional<std::string> error = ParseRunArguments(args, parsed, CommandKind::Replacing)) {
    return UsageError(io, "replace", *error);
  }
  if (parsed.positionals.size() < 3) {
    return UsageError(io, "replace", "replace needs FIND, REPLACE and at least one FILE");
  }
  Configuration config;
  const StringPair pair{parsed.positionals[0], parsed.positionals[1]};
  if (pair.Find.empty()) return UsageError(io, "replace", "the find text must not be empty");
  if (pair.Find == pair.Replace)
    return UsageError(io, "replace", "the find and replace texts are identical");
  config.setPairs({pair});
  for (size_t i = 2; i < parsed.positionals.size(); ++i) {
    config.Files.push_back(FileEntry{parsed.positionals[i], true});
  }
  AppOptions options;
  ApplyRunArguments(parsed, config, options);
  return ExecuteRun(config, options, parsed, io);
}

}  // namespace tw::cli
