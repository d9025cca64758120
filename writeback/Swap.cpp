#include "writeback/Swap.h"

#include "platform/ErrorText.h"
#include "writeback/BackupSlot.h"
#include "writeback/TemporaryName.h"
#include "writeback/Trust.h"

#include <fcntl.h>
#include <sys/file.h>

namespace tw::writeback {

using platform::fail;
using platform::quoted;

namespace {

// The old content under its pending name in the listed folder: a second name of the old file
// (which stops being live with the rename that follows), or a flushed copy of it.
struct PendingBackup {
  std::string name;
  platform::TempFile copy;  // open while it is a copy
};

// A pending name that records the inode of the new content, which the file has once swapped.
std::string pendingName(const StagedSwap& swap, uint64_t newInode) {
  return makeTemporaryName(swap.file.site.listedName,
                           {TemporaryKind::PendingBackup, 0, newInode, {}});
}

// A copy of the old content, complete on disk, under the pending name.
int copyOldContent(StagedSwap& swap, uint64_t newInode, PendingBackup& pending) {
  const FileSite& site = swap.file.site;
  platform::FileOps& ops = site.folder->ops();
  std::string bytes;  // the old file was opened for this swap and not read yet
  if (const int errnum =
          readExactly(ops, swap.oldFd.get(), static_cast<size_t>(swap.old.st_size), bytes);
      errnum != 0) {
    return errnum;
  }
  const auto newName = [&] {
    return makeTemporaryName(site.listedName, {TemporaryKind::NewContent, 0, 0, {}});
  };
  if (const int errnum = pending.copy.create(site.listedFolder, newName); errnum != 0)
    return errnum;
  const int fd = pending.copy.fd();
  if (const int errnum = platform::writeAllAt(ops, fd, bytes, 0); errnum != 0) return errnum;
  if (ops.fchmod(fd, swap.old.st_mode & 0777) != 0) return errno;
  if (const int errnum = platform::setModificationTime(ops, fd, swap.old.st_mtim); errnum != 0)
    return errnum;
  if (ops.fsync(fd) != 0) return errno;
  pending.name = pendingName(swap, newInode);
  return pending.copy.rename(pending.name);
}

IoStatus pendBackup(StagedSwap& swap, uint64_t newInode, PendingBackup& pending) {
  const FileSite& site = swap.file.site;
  // The lock on the old file tells another run that this pending name is still in use.
  site.folder->ops().flock(swap.oldFd.get(), LOCK_SH | LOCK_NB);
  int errnum = EEXIST;
  for (int attempt = 0; attempt < 100 && errnum == EEXIST; ++attempt) {
    pending.name = pendingName(swap, newInode);
    errnum = site.folder->link(site.name, *site.listedFolder, pending.name);
  }
  if (errnum == 0) return IoStatus::success();
  pending.name.clear();
  if (errnum == EEXIST || errnum == ENOSPC || errnum == EIO || errnum == EDQUOT)
    return fail("Cannot create the backup", site.backupPath(), errnum);
  // No hard link here (another file system, a file system without links, not allowed):
  // a copy does the same.
  if (const int copied = copyOldContent(swap, newInode, pending); copied != 0) {
    pending.copy.discard();
    pending.name.clear();
    if (copied == ESTALE) return changedByOthers(swap.file.listedPath);
    return fail("Cannot create the backup", site.backupPath(), copied);
  }
  return IoStatus::success();
}

// Gives the pending backup the backup's name. A backup that already is that very file (a
// second name left by an older version) only loses the pending name. 0 or errno.
int settleBackup(const FileSite& site, PendingBackup& pending) {
  const platform::Folder& folder = *site.listedFolder;
  if (const int errnum = folder.rename(pending.name, folder, site.backupName()); errnum != 0)
    return errnum;
  pending.copy.keep();
  pending.copy.discard();
  struct stat left {};
  if (folder.look(pending.name, left) == 0) return folder.remove(pending.name);
  return 0;
}

// Whether the file's new content is still the temporary file this process made: 0, ESTALE
// when its name was taken away (removed or replaced), or the errno of a failed look. `held`:
// the temporary file as its descriptor shows it.
int checkStillOurs(const StagedSwap& swap, struct stat& held) {
  const platform::Folder& folder = *swap.file.site.folder;
  struct stat named {};
  if (const int errnum = folder.look(swap.temp.name(), named); errnum != 0)
    return errnum == ENOENT ? ESTALE : errnum;
  if (folder.ops().fstat(swap.temp.fd(), &held) != 0) return errno;
  return platform::FileId::of(named) == platform::FileId::of(held) ? 0 : ESTALE;
}

// The old file as it is now, open: the one that was read, or nothing.
IoStatus holdOldFile(StagedSwap& swap) {
  const FileSite& site = swap.file.site;
  platform::FileOps& ops = site.folder->ops();
  struct stat now {};
  if (const int errnum = site.folder->look(site.name, now); errnum != 0) {
    if (errnum == ENOENT) return changedByOthers(swap.file.listedPath);
    return fail("Cannot write", swap.file.listedPath, errnum);
  }
  if (!swap.file.identity.unchangedIn(now) || !S_ISREG(now.st_mode))
    return changedByOthers(swap.file.listedPath);
  if (!swap.oldFd) {
    swap.oldFd = platform::UniqueFd(ops, site.folder->open(site.name, O_RDONLY | O_NONBLOCK));
    if (!swap.oldFd) return fail("Cannot write", swap.file.listedPath, errno);
    if (ops.fstat(swap.oldFd.get(), &now) != 0 || !swap.file.identity.unchangedIn(now))
      return changedByOthers(swap.file.listedPath);
  }
  return IoStatus::success();
}

}  // namespace

IoStatus changedByOthers(const std::string& path) {
  return IoStatus::failure(quoted(path) +
                           " was changed by another program since it was read; it was left "
                           "as it is");
}

IoStatus beginSwap(const FileFacts& file, const WriteBackOptions& options,
                   platform::ProcessUser user, StagedSwap& swap, bool& inPlace) {
  inPlace = false;
  const std::string& path = file.listedPath;
  const FileSite& site = file.site;
  platform::FileOps& ops = site.folder->ops();
  swap.oldFd = platform::UniqueFd(ops, site.folder->open(site.name, O_RDONLY | O_NONBLOCK));
  if (!swap.oldFd) {
    if (errno == ENOENT || errno == ELOOP) return changedByOthers(path);
    return fail("Cannot write", path, errno);
  }
  if (ops.fstat(swap.oldFd.get(), &swap.old) != 0) return fail("Cannot write", path, errno);
  if (!file.identity.unchangedIn(swap.old)) return changedByOthers(path);
  if (options.createBackup) {
    if (IoStatus usable = checkBackupSlot(site, swap.old, swap.olderBackup); !usable) return usable;
  }
  if (swap.old.st_uid != user.uid && user.uid != 0) {
    // A new file would be ours, not its owner's: write in place where we may, else refuse.
    platform::UniqueFd probe(ops, site.folder->open(site.name, O_WRONLY | O_NONBLOCK));
    if (!probe) return fail("Cannot write", path, errno);
    inPlace = true;
    return IoStatus::success();
  }
  if (swap.old.st_nlink > 1) {
    inPlace = true;
    return IoStatus::success();
  }
  swap.file = file;
  const auto newName = [&] {
    return makeTemporaryName(site.name, {TemporaryKind::NewContent, 0, 0, {}});
  };
  if (const int errnum = swap.temp.create(site.folder, newName); errnum != 0)
    return fail("Cannot write", path, errnum);
  return IoStatus::success();
}

IoStatus appendToSwap(StagedSwap& swap, std::string_view piece) {
  platform::FileOps& ops = swap.file.site.folder->ops();
  if (const int errnum = platform::writeAllAt(ops, swap.temp.fd(), piece, swap.written);
      errnum != 0) {
    return fail("Cannot write", swap.file.listedPath, errnum);
  }
  swap.written += static_cast<off_t>(piece.size());
  return IoStatus::success();
}

IoStatus completeSwap(StagedSwap& swap, const WriteBackOptions& options, platform::ProcessUser user,
                      bool flush) {
  platform::FileOps& ops = swap.file.site.folder->ops();
  const std::string& path = swap.file.listedPath;
  const int fd = swap.temp.fd();
  if (const int errnum = platform::applyAttributes(ops, fd, swap.oldFd.get(), swap.old,
                                                   options.keepAttributes, user);
      errnum != 0) {
    return fail("Cannot write", path, errnum);
  }
  if (options.keepDate) {
    if (const int errnum = platform::setModificationTime(ops, fd, swap.old.st_mtim); errnum != 0)
      return fail("Cannot write", path, errnum);
  }
  if (flush && ops.fsync(fd) != 0) return fail("Cannot write", path, errno);
  return IoStatus::success();
}

IoStatus finishSwap(StagedSwap& swap, const WriteBackOptions& options) {
  const FileSite& site = swap.file.site;
  const std::string& path = swap.file.listedPath;
  if (IoStatus held = holdOldFile(swap); !held) return held;
  struct stat temp {};
  if (const int errnum = checkStillOurs(swap, temp); errnum == ESTALE) {
    swap.temp.keep();  // whatever carries its name now is not ours to remove
    return IoStatus::failure(quoted(path) + " was left as it is: its new content was removed " +
                             "or replaced by another program before it was put in place");
  } else if (errnum != 0) {
    return fail("Cannot write", path, errnum);
  }
  PendingBackup pending;
  if (options.createBackup) {
    if (IoStatus made = pendBackup(swap, static_cast<uint64_t>(temp.st_ino), pending); !made)
      return made;
  } else if (options.removeOlderBackup) {
    // Right before the swap: should the process die in between, the run it belonged to was
    // going to remove this backup anyway, and the file still holds its old content.
    if (const int errnum = dropOlderBackup(site, swap.old.st_uid); errnum != 0) {
      return IoStatus::failure("Cannot delete the older backup " + quoted(site.backupPath()) +
                               ": " + platform::errorText(errnum) + "; " + quoted(path) +
                               " was left as it is");
    }
  }
  if (const int errnum = site.folder->rename(swap.temp.name(), *site.folder, site.name);
      errnum != 0) {
    if (!pending.name.empty()) site.listedFolder->remove(pending.name);
    return fail("Cannot write", path, errnum);
  }
  swap.temp.keep();
  if (!options.createBackup) return IoStatus::success();
  // The older backup loses its name here; its blocks are freed beside the next swaps.
  platform::UniqueFd older = swap.olderBackup ? holdForFreeing(site) : platform::UniqueFd();
  const int settled = settleBackup(site, pending);
  older.closeLater();
  if (const int errnum = settled; errnum != 0) {
    pending.copy.keep();
    return IoStatus::failure(
        quoted(path) + " was written, but its backup " + quoted(site.backupPath()) +
        " could not be made: " + platform::errorText(errnum) + "; its old content is kept in " +
        quoted(site.listedFolder->pathOf(pending.name)));
  }
  return IoStatus::success();
}

}  // namespace tw::writeback
