#include "cli/Cli.h"

#include "cli/BackupCommands.h"
#include "cli/FindCommand.h"
#include "cli/RunCommands.h"
#include "cli/ScanCommand.h"
#include "config/ConfigurationCommands.h"

#include <array>
#include <ostream>

namespace tw::cli {

namespace {

constexpr std::array kCommands{
    Command{"run", "run CONFIG.rpl [switches] [options]", &runCommand},
    Command{"replace", "replace [switches] [options] FIND REPLACE FILE...", &replaceCommand},
    Command{"find", kFindUsage, &findCommand},
    Command{"scan", kScanUsage, &scanCommand},
    Command{"restore-backups", kRestoreBackupsUsage, &restoreBackupsCommand},
    Command{"delete-backups", kDeleteBackupsUsage, &deleteBackupsCommand},
};

void printHelp(std::ostream& out) {
  out << "textwright-cli: find and replace text in many files at once.\n\nUsage:\n";
  for (const Command& command : commands()) {
    for (const std::string& form : usageForms(command)) out << "  textwright-cli " << form << "\n";
  }
  out << "  textwright-cli --help | --version\n";
}

}  // namespace

std::optional<RplContent> LoadConfiguration(const std::string& path, CliIo& io) {
  std::string error;
  std::optional<RplContent> content = readConfigurationFile(path, error);
  if (!content) {
    io.err << kErrorPrefix << (isNotValidConfiguration(error) ? path + ": " + error : error)
           << "\n";
  }
  return content;
}

std::vector<std::string> usageForms(const Command& command) {
  std::vector<std::string> forms;
  std::string_view usage = command.usage;
  for (size_t end = usage.find('\n'); end != std::string_view::npos; end = usage.find('\n')) {
    forms.emplace_back(usage.substr(0, end));
    usage.remove_prefix(end + 1);
  }
  forms.emplace_back(usage);
  return forms;
}

std::span<const Command> commands() {
  return kCommands;
}

int runCli(const std::vector<std::string>& args, CliIo io) {
  if (args.empty()) {
    printHelp(io.err);
    return kExitUsage;
  }
  const std::string& first = args.front();
  if (first == "--help" || first == "-h") {
    printHelp(io.out);
    return kExitOk;
  }
  if (first == "--version") {
    io.out << "textwright-cli " << TEXTWRIGHT_VERSION << "\n";
    return kExitOk;
  }
  for (const Command& command : commands()) {
    if (first == command.name) {
      return command.run(std::span<const std::string>(args).subspan(1), io);
    }
  }
  io.err << "textwright-cli: unknown command \"" << first << "\" (see textwright-cli --help)\n";
  return kExitUsage;
}

}  // namespace tw::cli
