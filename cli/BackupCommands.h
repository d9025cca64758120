#pragma once
// The commands restore-backups and delete-backups of textwright-cli.

#include "cli/Cli.h"

#include <span>
#include <string>

namespace tw::cli {

inline constexpr const char* kRestoreBackupsUsage = "restore-backups CONFIG.rpl";
inline constexpr const char* kDeleteBackupsUsage = "delete-backups CONFIG.rpl [--yes]";

// Puts back the backup of every file in the configuration's list; exit 1 when one could
// not be restored (the command stops there).
int restoreBackupsCommand(std::span<const std::string> args, CliIo& io);

// Deletes the backup of every file in the configuration's list, after a question on the
// terminal unless --yes is given; exit 1 when one could not be deleted.
int deleteBackupsCommand(std::span<const std::string> args, CliIo& io);

}  // namespace tw::cli
