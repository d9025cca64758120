#pragma once
// One file's swap: the checks before its new content is written, the temporary file beside
// it, and the rename that puts it in place with its backup settled around it.

#include "platform/Attributes.h"
#include "platform/TempFile.h"
#include "platform/UniqueFd.h"
#include "writeback/WriteBack.h"

#include <sys/stat.h>

#include <string>
#include <string_view>

namespace tw::writeback {

// A file's new content on its way: the old file open as it was checked, and the temporary
// file beside it (open and locked until the swap).
struct StagedSwap {
  FileFacts file;
  platform::UniqueFd oldFd;  // the old file; held until it is swapped out, where there is room
  struct stat old {};
  platform::TempFile temp;
  off_t written = 0;
  off_t writeOutStarted = 0;  // the bytes from the start whose write-out was started
  bool olderBackup = false;   // a backup of this user's was there already
};

// "<path>" was changed by another program since it was read; it was left as it is.
IoStatus changedByOthers(const std::string& path);

// The checks before the new content of `file` is written: it must still be the file that was
// read; then the temporary file is made beside it. With `inPlace` set the file has to be
// rewritten in place instead (several names, or not this user's), and nothing is made.
IoStatus beginSwap(const FileFacts& file, const WriteBackOptions& options,
                   platform::ProcessUser user, StagedSwap& swap, bool& inPlace);
IoStatus appendToSwap(StagedSwap& swap, std::string_view piece);
// Gives the temporary file the old file's attributes and date as asked, flushed when
// `flush` (else the caller flushes it before finishSwap).
IoStatus completeSwap(StagedSwap& swap, const WriteBackOptions& options, platform::ProcessUser user,
                      bool flush);
// Renames the complete temporary file over the file, unless another program changed the
// file meanwhile (its change wins). The old content gets a pending name just before and the
// backup's name just after, so an older backup is replaced only once the file holds its new
// content. With backups off an older backup of this user's goes. On failure the temporary
// file is removed.
IoStatus finishSwap(StagedSwap& swap, const WriteBackOptions& options);

}  // namespace tw::writeback
