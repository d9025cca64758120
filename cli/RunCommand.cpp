#include "cli/RunCommands.h"

#include "cli/RunFrontEnd.h"
#include "config/ConfigurationCommands.h"

#include <ostream>

namespace tw::cli {

int runCommand(std::span<const std::string> args, CliIo& io) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    io.out << "Usage: textwright-cli run CONFIG.rpl [switches] [options]\n"
              "Applies a saved configuration (its switches, its checked files and its pairs) as\n"
              "\"Go\" does. File paths in the configuration that are not absolute are taken\n"
              "relative to the configuration's folder.\n\n"
           << RunOptionsHelp();
    return kExitOk;
  }
  RunArguments parsed;
  if (std::optional<std::string> error = ParseRunArguments(args, parsed, CommandKind::Replacing)) {
    return UsageError(io, "run", *error);
  }
  if (parsed.positionals.size() != 1)
    return UsageError(io, "run", "run needs exactly one CONFIG.rpl");
  const std::string& rplPath = parsed.positionals[0];

  std::optional<RplContent> content = LoadConfiguration(rplPath, io);
  if (!content) return kExitUsage;

  Configuration config;
  config.Flags = content->Flags;
  config.setPairs(content->Pairs);
  config.Files = std::move(content->Files);
  config.FileName = rplPath;
  AppOptions options;
  ApplyRunArguments(parsed, config, options);
  return ExecuteRun(config, options, parsed, io);
}

}  // namespace tw::cli
