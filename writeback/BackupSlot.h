#pragma once
// The backup's name beside a listed file: whether a new backup may take it, and the removal
// of an older backup when a file is changed without one.

#include "platform/SysError.h"
#include "platform/UniqueFd.h"
#include "writeback/FileSite.h"
#include "writeback/WriteBack.h"

#include <sys/stat.h>

namespace tw::writeback {

// Whether the backup name of `site` can take a new backup: free, a backup this user (or the
// file's owner) made, or another name of the file itself (left by an older version).
// Anything else refuses the file before it is written. `older`: a backup is there.
IoStatus checkBackupSlot(const FileSite& site, const struct stat& file, bool& older);

// Removes an older backup of a file changed with backups off, so that a later restore cannot
// roll the file back past this change; one that is not a backup of this user's or of the
// file's owner (`fileOwner`) is no backup of ours and stays.
platform::SysError dropOlderBackup(const FileSite& site, uid_t fileOwner);

// Holds the backup of `site` (by reference only, never opened for reading) so that, once it
// has lost its name, closeLater frees it beside the caller's next work; nothing where it
// cannot be held.
platform::UniqueFd holdForFreeing(const FileSite& site);

}  // namespace tw::writeback
