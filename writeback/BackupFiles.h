#pragma once
// A listed file's backup put back in place, or deleted. Only a backup that this user or the
// file's owner made is read or removed: one that is a symbolic link, a FIFO, a device, a
// folder, another user's file or a file with other names is left where it is and named.

#include "platform/FileIo.h"
#include "writeback/FileSite.h"

namespace tw::writeback {

// Gives the file at `site` exactly its backup's bytes in one atomic step (made anew when it
// is missing; its mode, owner and hard links kept), and only then removes the backup.
// `restored`: there was a backup, and it is back in place.
platform::IoStatus restoreBackup(const FileSite& site, bool& restored);

// Removes the backup of the file at `site`. `deleted`: there was one, and it is gone.
platform::IoStatus deleteBackup(const FileSite& site, bool& deleted);

}  // namespace tw::writeback
