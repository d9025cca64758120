// restore-backups and delete-backups: the two commands of the menu "Backup Files" on the
// file list of a saved configuration.

#include "cli/BackupCommands.h"
#include "backup/Backups.h"

#include <istream>
#include <ostream>

namespace tw::cli {

namespace {

// Questions on the terminal: the question goes to standard error, the answer is one line
// of standard input; "y" or "yes" (any case) is Yes, anything else, or the end of the
// input, is No. Messages are printed by the commands themselves from what they return.
class TerminalPrompts : public Prompts {
 public:
  explicit TerminalPrompts(CliIo& io) : m_io(io) {}

  PromptAnswer ask(const std::string& text, const std::string&, PromptButtons,
                   PromptIcon) override {
    m_io.err << text << " [y/N] " << std::flush;
    std::string line;
    if (!std::getline(m_io.in, line)) {
      m_io.err << "\n";
      return PromptAnswer::No;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    for (char& c : line) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return line == "y" || line == "yes" ? PromptAnswer::Yes : PromptAnswer::No;
  }
  void inform(const std::string&, const std::string&, PromptIcon) override {}
  std::optional<std::string> chooseOpenFile(const std::string&, const std::vector<FileFilter>&,
                                            const std::string&) override {
    return std::nullopt;
  }
  std::optional<SaveChoice> chooseSaveFile(const std::string&, const std::vector<FileFilter>&,
                                           const std::string&) override {
    return std::nullopt;
  }

 private:
  CliIo& m_io;
};

int usage(CliIo& io, const char* line) {
  io.err << kErrorPrefix << "usage: textwright-cli " << line << "\n";
  return kExitUsage;
}

// What was mended and what failed, one line each on standard error; the exit status.
int reportProblems(const BackupOutcome& outcome, CliIo& io) {
  for (const std::string& notice : outcome.notices) io.err << kErrorPrefix << notice << "\n";
  for (const std::string& failure : outcome.failures) io.err << kErrorPrefix << failure << "\n";
  return outcome.failures.empty() ? kExitOk : kExitFailed;
}

}  // namespace

int restoreBackupsCommand(std::span<const std::string> args, CliIo& io) {
  if (args.size() != 1 || args[0].starts_with("-")) return usage(io, kRestoreBackupsUsage);
  std::optional<RplContent> content = LoadConfiguration(args[0], io);
  if (!content) return kExitUsage;
  TerminalPrompts prompts(io);
  BackupOutcome outcome = RestoreBackups(content->Files, prompts);
  io.out << outcome.count << " backup file(s) restored.\n";
  return reportProblems(outcome, io);
}

int deleteBackupsCommand(std::span<const std::string> args, CliIo& io) {
  std::string config;
  bool yes = false;
  for (const std::string& arg : args) {
    if (arg == "--yes" || arg == "-y") {
      yes = true;
    } else if (arg.starts_with("-") || !config.empty()) {
      return usage(io, kDeleteBackupsUsage);
    } else {
      config = arg;
    }
  }
  if (config.empty()) return usage(io, kDeleteBackupsUsage);
  std::optional<RplContent> content = LoadConfiguration(config, io);
  if (!content) return kExitUsage;
  AppOptions options;
  options.ConfirmDeleteBackups = !yes;
  TerminalPrompts prompts(io);
  BackupOutcome outcome = DeleteBackups(content->Files, options, prompts);
  if (outcome.cancelled) {
    io.err << "Nothing deleted.\n";
    return kExitOk;
  }
  io.out << outcome.count << " backup file(s) deleted.\n";
  return reportProblems(outcome, io);
}

}  // namespace tw::cli
