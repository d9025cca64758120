#pragma once
// Backup copies of the listed files. A file changed by a run keeps its previous content as
// "<path>.rpf" beside it; these commands put the backups of every listed file (checked or
// not) back in place, or delete them. Only names made by BackupName are ever looked at, so
// a file no longer in the list keeps its backup. The commands report through Prompts and
// also return what they did, for front ends that report it their own way.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "config/Prompts.h"
#include "config/StringPair.h"
#include "platform/FileOps.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// The backup of `path`: the full path followed by ".rpf" ("a.txt" gives "a.txt.rpf").
std::string BackupName(const std::string& path);

// The work name an older program used while processing `path` ("a.txt.rpf1"). We never
// create, use or delete such a file: one that exists may hold the only copy of a content.
std::string WorkName(const std::string& path);

// What a backup command did.
struct BackupOutcome {
  bool cancelled = false;             // the question was answered with anything but Yes
  bool completed = false;             // every entry was handled without a failure
  int64_t count = 0;                  // files restored, or backups really deleted
  std::vector<std::string> handled;   // the backup names restored or deleted, in list order
  std::vector<std::string> failures;  // one message per backup that failed, naming it
  std::vector<std::string> notices;   // what was mended first (an interrupted rewrite put back)
  std::string message;                // the text shown at the end
};

// Puts each existing backup of `files` back in place of its file: the file gets exactly the
// backup's bytes in one atomic step (created if missing; its mode, owner and hard links
// kept), and only then is the backup removed. A backup that cannot be read or a file that
// cannot be written keeps its backup and is named below the count, and the command goes on
// with the next entry: "<n> backup file(s) restored." and one line per failure. What a killed
// run left beside a file is mended first (see writeback::Leftovers) and said. Only a backup
// this user or the file's owner made is read: a backup name held by a link, a pipe, a folder
// or another user's file is named with the reason and left as it is.
BackupOutcome RestoreBackups(const std::vector<FileEntry>& files, Prompts& prompts,
                             platform::FileOps& ops = platform::systemFileOps());

// Deletes each existing backup of `files`, after the question "Really delete all backup
// files?" when `options.ConfirmDeleteBackups` is on. The count shown, "<n> backup file(s)
// deleted.", holds only the backups really deleted; each one that could not be deleted is
// named below it with the reason. What a killed run left beside a file is mended first.
BackupOutcome DeleteBackups(const std::vector<FileEntry>& files, const AppOptions& options,
                            Prompts& prompts, platform::FileOps& ops = platform::systemFileOps());

// The menu commands "Restore Backup Files" and "Delete Backup Files" on the configuration:
// the above plus their effect on the unsaved-changes flag and the Save tool button (restore
// enables the button and leaves Changed; delete, once confirmed, sets both).
BackupOutcome RestoreBackupsCommand(Configuration& config, Prompts& prompts);
BackupOutcome DeleteBackupsCommand(Configuration& config, const AppOptions& options,
                                   Prompts& prompts);

}  // namespace tw
