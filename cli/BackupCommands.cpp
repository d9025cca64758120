// restore-backups and delete-backups: the two commands of the menu "Backup Files" on the
// file list of a saved configuration.

#include "cli/BackupCommands.h"
#include "backup/Backups.h"
#include "config/RplFile.h"
#include "platform/FileIo.h"

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

// The file list of the configuration file `path`; nothing (and a message) when it cannot
// be read or is not a configuration file.
std::optional<std::vector<FileEntry>> readFileList(const std::string& path, CliIo& io) {
  std::string bytes;
  if (platform::IoStatus read = platform::readWholeFile(path, bytes); !read) {
    io.err << "textwright-cli: " << read.error << "\n";
    return std::nullopt;
  }
  std::optional<RplContent> content = parseRpl(bytes);
  if (!content) {
    io.err << "textwright-cli: \"" << path << "\" is not a Textwright configuration file\n";
    return std::nullopt;
  }
  return content->Files;
}

int usage(CliIo& io, const char* line) {
  io.err << "textwright-cli: usage: textwright-cli " << line << "\n";
  return kExitUsage;
}

}  // namespace

int restoreBackupsCommand(std::span<const std::string> args, CliIo& io) {
  if (args.size() != 1 || args[0].starts_with("-")) return usage(io, kRestoreBackupsUsage);
  std::optional<std::vector<FileEntry>> files = readFileList(args[0], io);
  if (!files) return kExitUsage;
  TerminalPrompts prompts(io);
  BackupOutcome outcome = RestoreBackups(*files, prompts);
  if (!outcome.completed) {
    io.err << "textwright-cli: " << outcome.message << "\n";
    if (outcome.count > 0) io.err << outcome.count << " backup file(s) restored before.\n";
    return kExitFailed;
  }
  io.out << outcome.message << "\n";
  return kExitOk;
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
  std::optional<std::vector<FileEntry>> files = readFileList(config, io);
  if (!files) return kExitUsage;
  AppOptions options;
  options.ConfirmDeleteBackups = !yes;
  TerminalPrompts prompts(io);
  BackupOutcome outcome = DeleteBackups(*files, options, prompts);
  if (outcome.cancelled) {
    io.err << "Nothing deleted.\n";
    return kExitOk;
  }
  io.out << outcome.count << " backup file(s) deleted.\n";
  for (const std::string& failure : outcome.failures) io.err << failure << "\n";
  return outcome.failures.empty() ? kExitOk : kExitFailed;
}

}  // namespace tw::cli
