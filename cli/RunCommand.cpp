#include "cli/RunCommands.h"

#include "cli/RunFrontEnd.h"
#include "config/RplFile.h"
#include "platform/FileIo.h"

#include <ostream>

namespace tw::cli {

namespace {

// A path of the file list that is not absolute is taken relative to the configuration's own
// folder, so that a configuration travels with the files it lists.
std::string resolvedAgainst(const std::string& folder, const std::string& path) {
  if (path.empty() || path.front() == '/' || folder.empty()) return path;
  return folder + path;
}

}  // namespace

int RunCommand(std::span<const std::string> args, CliIo& io) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    io.out << "Usage: textwright-cli run CONFIG.rpl [switches] [options]\n"
              "Applies a saved configuration (its switches, its checked files and its pairs) as\n"
              "\"Go\" does. File paths in the configuration that are not absolute are taken\n"
              "relative to the configuration's folder.\n\n"
           << RunOptionsHelp();
    return kExitOk;
  }
  RunArguments parsed;
  if (std::optional<std::string> error = ParseRunArguments(args, parsed)) {
    return UsageError(io, "run", *error);
  }
  if (parsed.positionals.size() != 1)
    return UsageError(io, "run", "run needs exactly one CONFIG.rpl");
  const std::string& rplPath = parsed.positionals[0];

  std::string bytes;
  if (platform::IoStatus read = platform::readWholeFile(rplPath, bytes); !read) {
    io.err << "textwright-cli: " << read.error << "\n";
    return kExitUsage;
  }
  std::optional<RplContent> content = parseRpl(bytes);
  if (!content) {
    io.err << "textwright-cli: " << rplPath << ": Not a valid Textwright configuration file\n";
    return kExitUsage;
  }

  Configuration config;
  config.Flags = content->Flags;
  config.Pairs = content->Pairs;
  if (config.Pairs.empty()) config.Pairs = {StringPair{}};
  const std::string folder = platform::folderOf(rplPath);
  for (const FileEntry& entry : content->Files) {
    config.Files.push_back(FileEntry{resolvedAgainst(folder, entry.Path), entry.Checked});
  }
  config.FileName = rplPath;
  AppOptions options;
  ApplyRunArguments(parsed, config, options);
  return ExecuteRun(config, options, parsed, io);
}

}  // namespace tw::cli
