#include "backup/Backups.h"

#include "platform/ErrorText.h"
#include "platform/FileIo.h"
#include "platform/FileReplace.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace tw {

namespace {

constexpr const char* kCaption = "Backup Files";

// Whether a file (or a link, even a dangling one) named `path` exists; false with `error`
// when that cannot be told.
bool exists(platform::FileOps& ops, const std::string& path, bool& isThere, std::string& error) {
  struct stat st {};
  if (ops.lstat(path.c_str(), &st) == 0) {
    isThere = true;
    return true;
  }
  isThere = false;
  if (errno == ENOENT || errno == ENOTDIR) return true;
  error = platform::failureText("Cannot read", path, errno);
  return false;
}

// Gives the file at `path` exactly `bytes` in one atomic step; a missing file is created.
platform::IoStatus restoreContent(platform::FileOps& ops, const std::string& path,
                                  const std::string& bytes) {
  platform::LoadedFile current;
  std::string error;
  switch (platform::loadFile(path, current, error, ops)) {
    case platform::LoadResult::Failed:
      return platform::IoStatus::failure(error);
    case platform::LoadResult::Missing:
      return platform::writeCopySafely(path, bytes, platform::newFileMode(), nullptr, ops);
    case platform::LoadResult::Empty:
    case platform::LoadResult::Loaded:
      break;
  }
  if (current.content == bytes) return platform::IoStatus::success();
  platform::WriteBackOptions options;
  options.createBackup = false;
  options.keepDate = false;  // the file changes now: tools that go by dates must see it
  options.keepAttributes = true;
  return platform::writeBack(current, bytes, options, ops);
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
  BackupOutcome outcome;
  platform::Leftovers leftovers(ops);
  for (const FileEntry& entry : files) {
    if (entry.Path.empty()) continue;  // no file, so no backup (".rpf" alone is no one's)
    // A killed run's leftovers first, so that a pending backup has its name.
    if (platform::IoStatus mended = leftovers.mend(entry.Path, outcome.notices); !mended) {
      outcome.failures.push_back(mended.error);
      continue;
    }
    const std::string backup = BackupName(entry.Path);
    bool isThere = false;
    std::string error;
    if (!exists(ops, backup, isThere, error)) {
      outcome.failures.push_back(error);
      continue;
    }
    if (!isThere) continue;
    std::string bytes;
    if (platform::IoStatus read = platform::readWholeFile(backup, bytes, ops); !read) {
      outcome.failures.push_back(read.error);
      continue;
    }
    if (platform::IoStatus written = restoreContent(ops, entry.Path, bytes); !written) {
      outcome.failures.push_back(written.error);
      continue;
    }
    // The file holds the backup's content now; only so may the backup go.
    if (ops.unlink(backup.c_str()) != 0) {
      outcome.failures.push_back(platform::failureText("Cannot delete", backup, errno));
      continue;
    }
    ++outcome.count;
    outcome.handled.push_back(backup);
  }
  outcome.completed = outcome.failures.empty();
  outcome.message = std::to_string(outcome.count) + " backup file(s) restored.";
  for (const std::string& line : outcome.notices) outcome.message += "\n" + line;
  for (const std::string& line : outcome.failures) outcome.message += "\n" + line;
  prompts.inform(outcome.message, kCaption,
                 outcome.failures.empty() ? PromptIcon::Information : PromptIcon::Warning);
  return outcome;
}

BackupOutcome DeleteBackups(const std::vector<FileEntry>& files, const AppOptions& options,
                            Prompts& prompts, platform::FileOps& ops) {
  BackupOutcome outcome;
  if (options.ConfirmDeleteBackups &&
      prompts.ask("Really delete all backup files?", "Question", PromptButtons::YesNo,
                  PromptIcon::Question) != PromptAnswer::Yes) {
    outcome.cancelled = true;
    return outcome;
  }
  platform::Leftovers leftovers(ops);
  for (const FileEntry& entry : files) {
    if (entry.Path.empty()) continue;  // no file, so no backup (".rpf" alone is no one's)
    // A torn file gets its old content back before its backups go.
    if (platform::IoStatus mended = leftovers.mend(entry.Path, outcome.notices); !mended) {
      outcome.failures.push_back(mended.error);
      continue;
    }
    const std::string backup = BackupName(entry.Path);
    bool isThere = false;
    std::string error;
    if (!exists(ops, backup, isThere, error)) {
      outcome.failures.push_back(error);
      continue;
    }
    if (!isThere) continue;
    if (ops.unlink(backup.c_str()) != 0) {
      outcome.failures.push_back(platform::failureText("Cannot delete", backup, errno));
      continue;
    }
    ++outcome.count;
    outcome.handled.push_back(backup);
  }
  outcome.completed = true;
  outcome.message = std::to_string(outcome.count) + " backup file(s) deleted.";
  for (const std::string& line : outcome.notices) outcome.message += "\n" + line;
  for (const std::string& line : outcome.failures) outcome.message += "\n" + line;
  prompts.inform(outcome.message, kCaption,
                 outcome.failures.empty() ? PromptIcon::Information : PromptIcon::Warning);
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
