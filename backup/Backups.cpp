#include "backup/Backups.h"

#include "platform/FileIo.h"
#include "platform/SysError.h"
#include "writeback/BackupFiles.h"
#include "writeback/FileSite.h"
#include "writeback/Mending.h"

#include <cerrno>

namespace tw {

namespace {

constexpr const char* kCaption = "Backup Files";

// The loop both commands share: each listed file's leftovers are mended first (so that a
// pending backup has its name, and a torn file its old content), then `action` handles its
// backup. A file that cannot be reached is named among the failures; the others go on.
template <typename Action>
BackupOutcome forEachBackup(const std::vector<FileEntry>& files, platform::FileOps& ops,
                            Action&& action) {
  BackupOutcome outcome;
  writeback::FolderCache folders(ops);
  writeback::Leftovers leftovers;
  for (const FileEntry& entry : files) {
    if (entry.Path.empty()) continue;  // no file, so no backup (".rpf" alone is no one's)
    writeback::FileSite site;
    const platform::SysError located = writeback::locate(folders, entry.Path, site);
    if (!site.listedFolder) {
      // No folder, so no backup either.
      if (located.errnum() != ENOENT && located.errnum() != ENOTDIR)
        outcome.failures.push_back(located.message());
      continue;
    }
    if (located.failed() && located.errnum() != ENOENT) {
      outcome.failures.push_back(located.message());
      continue;
    }
    if (platform::IoStatus mended = leftovers.mend(site, outcome.notices); !mended) {
      outcome.failures.push_back(mended.error);
      continue;
    }
    bool done = false;
    if (platform::IoStatus status = action(site, done); !status) {
      outcome.failures.push_back(status.error);
    } else if (done) {
      ++outcome.count;
      outcome.handled.push_back(site.backupPath());
    }
  }
  outcome.completed = outcome.failures.empty();
  return outcome;
}

void tell(BackupOutcome& outcome, const std::string& counted, Prompts& prompts) {
  outcome.message = std::to_string(outcome.count) + counted;
  for (const std::string& line : outcome.notices) outcome.message += "\n" + line;
  for (const std::string& line : outcome.failures) outcome.message += "\n" + line;
  prompts.inform(outcome.message, kCaption,
                 outcome.failures.empty() ? PromptIcon::Information : PromptIcon::Warning);
}

}  // namespace

std::string BackupName(const std::string& path) {
  return platform::backupNameOf(path);
}

std::string WorkName(const std::string& path) {
  return path + ".rpf1";
}

BackupOutcome RestoreBackups(const std::vector<FileEntry>& files, Prompts& prompts,
                             platform::FileOps& ops) {
  BackupOutcome outcome = forEachBackup(files, ops, writeback::restoreBackup);
  tell(outcome, " backup file(s) restored.", prompts);
  return outcome;
}

BackupOutcome DeleteBackups(const std::vector<FileEntry>& files, const AppOptions& options,
                            Prompts& prompts, platform::FileOps& ops) {
  if (options.ConfirmDeleteBackups &&
      prompts.ask("Really delete all backup files?", "Question", PromptButtons::YesNo,
                  PromptIcon::Question) != PromptAnswer::Yes) {
    BackupOutcome outcome;
    outcome.cancelled = true;
    return outcome;
  }
  BackupOutcome outcome = forEachBackup(files, ops, writeback::deleteBackup);
  tell(outcome, " backup file(s) deleted.", prompts);
  return outcome;
}

BackupOutcome RestoreBackupsCommand(Configuration& config, Prompts& prompts) {
  BackupOutcome outcome = RestoreBackups(config.Files, prompts);
  config.SaveButtonEnabled = true;
  return outcome;
}

BackupOutcome DeleteBackupsCommand(Configuration& config, const AppOptions& options,
                                   Prompts& prompts) {
  BackupOutcome outcome = DeleteBackups(config.Files, options, prompts);
  if (!outcome.cancelled) {
    config.Changed = true;
    config.SaveButtonEnabled = true;
  }
  return outcome;
}

}  // namespace tw
