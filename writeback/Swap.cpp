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

// From this size on a file is big: its old content leaves the page cache when its new content
// is about to be written (dropOldPages), and its new content starts on its way to disk as it is
// written (startWriteOut).
constexpr off_t kBigFile = off_t{1} << 20;

// The old content was read whole before the swap began: its pages, clean, are dropped from
// the page cache, so that the new content's pages can be the ones just freed and the cache
// does not hold both. On a virtual machine that hands unused memory back to its host, memory
// not touched for a few seconds costs a fault in the host per page when it is used again;
// writing a file of 2 GiB took three times as long without this (bench/README.md). Dirty
// pages stay (the advice starts their write-out). A backup copy made from the old file later
// reads it from disk. Only advice: its failure changes nothing.
void dropOldPages(const StagedSwap& swap) {
#ifdef POSIX_FADV_DONTNEED
  if (swap.old.st_size < kBigFile) return;
  (void)swap.file.site.folder->ops().fadvise(swap.oldFd.get(), 0, 0, POSIX_FADV_DONTNEED);
#else
  (void)swap;
#endif
}

// The disk starts on a big file's new content as each piece is written, beside the making of
// the next pieces and files, so that the flush before the swap finds little left to wait for:
// four files of 64 MiB took about a tenth less (bench/README.md). Only a head start, taken
// before each flush: that fsync still writes what is left and reports every write error, so a
// refused start changes nothing.
void startWriteOut(StagedSwap& swap) {
  if (swap.written < kBigFile || swap.written == swap.writeOutStarted) return;
  (void)swap.file.site.folder->ops().startWriteOut(swap.temp.fd(), swap.writeOutStarted,
                                                   swap.written - swap.writeOutStarted);
  swap.writeOutStarted = swap.written;
}

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
platform::SysError copyOldContent(StagedSwap& swap, uint64_t newInode, PendingBackup& pending) {
  const FileSite& site = swap.file.site;
  platform::FileOps& ops = site.folder->ops();
  std::string bytes;  // the old file was opened for this swap and not read yet
  if (platform::SysError error =
          readExactly(ops, swap.oldFd.get(), static_cast<size_t>(swap.old.st_size), bytes,
                      swap.file.listedPath);
      error.failed()) {
    return error;
  }
  const auto newName = [&] {
    return makeTemporaryName(site.listedName, {TemporaryKind::NewContent, 0, 0, {}});
  };
  platform::TempFile& copy = pending.copy;
  if (platform::SysError error = copy.create(site.listedFolder, newName); error.failed())
    return error;
  if (platform::SysError error = copy.fill(bytes, swap.old.st_mode & 0777, &swap.old.st_mtim);
      error.failed()) {
    return error;
  }
  pending.name = pendingName(swap, newInode);
  return copy.rename(pending.name);
}

IoStatus pendBackup(StagedSwap& swap, uint64_t newInode, PendingBackup& pending) {
  const FileSite& site = swap.file.site;
  // The lock on the old file tells another run that this pending name is still in use.
  site.folder->ops().flock(swap.oldFd.get(), LOCK_SH | LOCK_NB);
  platform::SysError linked;
  for (int attempt = 0; attempt < 100; ++attempt) {
    pending.name = pendingName(swap, newInode);
    linked = site.folder->link(site.name, *site.listedFolder, pending.name);
    if (linked.errnum() != EEXIST) break;
  }
  if (linked.ok()) return IoStatus::success();
  pending.name.clear();
  const int errnum = linked.errnum();
  if (errnum == EEXIST || errnum == ENOSPC || errnum == EIO || errnum == EDQUOT)
    return fail("Cannot create the backup", site.backupPath(), errnum);
  // No hard link here (another file system, a file system without links, not allowed):
  // a copy does the same.
  if (platform::SysError copied = copyOldContent(swap, newInode, pending); copied.failed()) {
    pending.copy.discard();
    pending.name.clear();
    if (copied.errnum() == ESTALE) return changedByOthers(swap.file.listedPath);
    return fail("Cannot create the backup", site.backupPath(), copied.errnum());
  }
  return IoStatus::success();
}

// Gives the pending backup the backup's name. A backup that already is that very file (a
// second name left by an older version) only loses the pending name.
platform::SysError settleBackup(const FileSite& site, PendingBackup& pending) {
  const platform::Folder& folder = *site.listedFolder;
  if (platform::SysError error = folder.rename(pending.name, folder, site.backupName());
      error.failed()) {
    return error;
  }
  pending.copy.keep();
  pending.copy.discard();
  struct stat left {};
  if (folder.look(pending.name, left).ok()) return folder.remove(pending.name);
  return {};
}

// Whether the file's new content is still the temporary file this process made: no error,
// ESTALE when its name was taken away (removed or replaced), or the error of a failed look.
// `held`: the temporary file as its descriptor shows it.
platform::SysError checkStillOurs(const StagedSwap& swap, struct stat& held) {
  const platform::Folder& folder = *swap.file.site.folder;
  struct stat named {};
  if (platform::SysError error = folder.look(swap.temp.name(), named); error.failed())
    return error.errnum() == ENOENT ? platform::SysError(ESTALE, "Cannot write", error.path())
                                    : error;
  if (folder.ops().fstat(swap.temp.fd(), &held) != 0)
    return platform::SysError::fromErrno("Cannot write", swap.temp.path());
  if (platform::FileId::of(named) == platform::FileId::of(held)) return {};
  return {ESTALE, "Cannot write", swap.temp.path()};
}

// The old file as it is now, open: the one that was read, or nothing.
IoStatus holdOldFile(StagedSwap& swap) {
  const FileSite& site = swap.file.site;
  const std::string& path = swap.file.listedPath;
  struct stat now {};
  if (platform::SysError error = site.folder->look(site.name, now); error.failed()) {
    if (error.errnum() == ENOENT) return changedByOthers(path);
    return fail("Cannot write", path, error.errnum());
  }
  if (!swap.file.identity.unchangedIn(now) || !S_ISREG(now.st_mode)) return changedByOthers(path);
  if (!swap.oldFd) {
    if (platform::SysError error = site.folder->open(site.name, O_RDONLY | O_NONBLOCK, swap.oldFd);
        error.failed()) {
      return fail("Cannot write", path, error.errnum());
    }
    if (site.folder->ops().fstat(swap.oldFd.get(), &now) != 0 ||
        !swap.file.identity.unchangedIn(now)) {
      return changedByOthers(path);
    }
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
  if (platform::SysError error = site.folder->open(site.name, O_RDONLY | O_NONBLOCK, swap.oldFd);
      error.failed()) {
    if (error.errnum() == ENOENT || error.errnum() == ELOOP) return changedByOthers(path);
    return error.as("Cannot write", path).status();
  }
  if (ops.fstat(swap.oldFd.get(), &swap.old) != 0) return fail("Cannot write", path, errno);
  if (!file.identity.unchangedIn(swap.old)) return changedByOthers(path);
  if (options.createBackup) {
    if (IoStatus usable = checkBackupSlot(site, swap.old, swap.olderBackup); !usable) return usable;
  }
  if (swap.old.st_uid != user.uid && user.uid != 0) {
    // A new file would be ours, not its owner's: write in place where we may, else refuse.
    platform::UniqueFd probe;
    if (platform::SysError error = site.folder->open(site.name, O_WRONLY | O_NONBLOCK, probe);
        error.failed()) {
      return error.as("Cannot write", path).status();
    }
    inPlace = true;
    return IoStatus::success();
  }
  if (swap.old.st_nlink > 1) {
    inPlace = true;
    return IoStatus::success();
  }
  swap.file = file;
  dropOldPages(swap);
  const auto newName = [&] {
    return makeTemporaryName(site.name, {TemporaryKind::NewContent, 0, 0, {}});
  };
  return swap.temp.create(site.folder, newName).as("Cannot write", path).status();
}

IoStatus appendToSwap(StagedSwap& swap, std::string_view piece) {
  if (platform::SysError error = swap.temp.write(piece, swap.written); error.failed())
    return error.as("Cannot write", swap.file.listedPath).status();
  swap.written += static_cast<off_t>(piece.size());
  startWriteOut(swap);
  return IoStatus::success();
}

IoStatus completeSwap(StagedSwap& swap, const WriteBackOptions& options, platform::ProcessUser user,
                      bool flush) {
  platform::FileOps& ops = swap.file.site.folder->ops();
  const std::string& path = swap.file.listedPath;
  const int fd = swap.temp.fd();
  if (platform::SysError error = platform::applyAttributes(ops, fd, swap.oldFd.get(), swap.old,
                                                           options.keepAttributes, user, path);
      error.failed()) {
    return error.status();
  }
  if (options.keepDate) {
    if (platform::SysError error = platform::setModificationTime(ops, fd, swap.old.st_mtim, path);
        error.failed()) {
      return error.status();
    }
  }
  if (flush && ops.fsync(fd) != 0) return fail("Cannot write", path, errno);
  return IoStatus::success();
}

IoStatus finishSwap(StagedSwap& swap, const WriteBackOptions& options) {
  const FileSite& site = swap.file.site;
  const std::string& path = swap.file.listedPath;
  if (IoStatus held = holdOldFile(swap); !held) return held;
  struct stat temp {};
  if (platform::SysError error = checkStillOurs(swap, temp); error.errnum() == ESTALE) {
    swap.temp.keep();  // whatever carries its name now is not ours to remove
    return IoStatus::failure(quoted(path) + " was left as it is: its new content was removed " +
                             "or replaced by another program before it was put in place");
  } else if (error.failed()) {
    return error.as("Cannot write", path).status();
  }
  PendingBackup pending;
  if (options.createBackup) {
    if (IoStatus made = pendBackup(swap, static_cast<uint64_t>(temp.st_ino), pending); !made)
      return made;
  } else if (options.removeOlderBackup) {
    // Right before the swap: should the process die in between, the run it belonged to was
    // going to remove this backup anyway, and the file still holds its old content.
    if (platform::SysError error = dropOlderBackup(site, swap.old.st_uid); error.failed()) {
      return IoStatus::failure("Cannot delete the older backup " + quoted(site.backupPath()) +
                               ": " + platform::errorText(error.errnum()) + "; " + quoted(path) +
                               " was left as it is");
    }
  }
  if (platform::SysError error = site.folder->rename(swap.temp.name(), *site.folder, site.name);
      error.failed()) {
    if (!pending.name.empty()) (void)site.listedFolder->remove(pending.name);
    return error.as("Cannot write", path).status();
  }
  swap.temp.keep();
  if (!options.createBackup) return IoStatus::success();
  // The older backup loses its name here; its blocks are freed beside the next swaps.
  platform::UniqueFd older = swap.olderBackup ? holdForFreeing(site) : platform::UniqueFd();
  const platform::SysError settled = settleBackup(site, pending);
  older.closeLater();
  if (settled.failed()) {
    pending.copy.keep();
    return IoStatus::failure(
        quoted(path) + " was written, but its backup " + quoted(site.backupPath()) +
        " could not be made: " + platform::errorText(settled.errnum()) +
        "; its old content is kept in " + quoted(site.listedFolder->pathOf(pending.name)));
  }
  return IoStatus::success();
}

}  // namespace tw::writeback
