#include "writeback/InPlaceRewrite.h"

#include "platform/ErrorText.h"
#include "platform/TempFile.h"
#include "platform/UniqueFd.h"
#include "writeback/BackupSlot.h"
#include "writeback/Swap.h"
#include "writeback/TemporaryName.h"

#include <fcntl.h>
#include <unistd.h>

namespace tw::writeback {

using platform::fail;
using platform::quoted;

namespace {

// The complete copy of the old content, flushed, under its recording name beside the file.
int makeOldCopy(const FileFacts& file, std::string_view oldContent, std::string_view newContent,
                const struct stat& old, bool forBackup, platform::TempFile& copy) {
  const FileSite& site = file.site;
  platform::FileOps& ops = site.folder->ops();
  const auto newName = [&] {
    return makeTemporaryName(site.name, {TemporaryKind::NewContent, 0, 0, {}});
  };
  if (const int errnum = copy.create(site.folder, newName); errnum != 0) return errnum;
  if (const int errnum = platform::writeAllAt(ops, copy.fd(), oldContent, 0); errnum != 0)
    return errnum;
  if (ops.fchmod(copy.fd(), old.st_mode & 0777) != 0) return errno;
  if (const int errnum = platform::setModificationTime(ops, copy.fd(), old.st_mtim); errnum != 0)
    return errnum;
  if (ops.fsync(copy.fd()) != 0) return errno;
  TemporaryName what;
  what.kind = TemporaryKind::OldContent;
  what.rewrite = {platform::FileId::of(old), platform::FileStamp::of(old),
                  static_cast<int64_t>(newContent.size()), contentHash(newContent), forBackup};
  if (const int errnum = copy.rename(makeTemporaryName(site.name, what)); errnum != 0)
    return errnum;
  return site.folder->flush();
}

// The old content in the backup's name, beside the listed name: the copy renamed, or where
// that is another file system, written anew there. 0 or errno.
int copyToBackup(const FileSite& site, platform::TempFile& copy, std::string_view oldContent,
                 const struct stat& old) {
  int errnum = copy.folder()->rename(copy.name(), *site.listedFolder, site.backupName());
  if (errnum == 0) {
    copy.keep();
  } else if (errnum == EXDEV) {
    platform::TempFile backup;
    platform::FileOps& ops = site.listedFolder->ops();
    const auto newName = [&] {
      return makeTemporaryName(site.listedName, {TemporaryKind::NewContent, 0, 0, {}});
    };
    if ((errnum = backup.create(site.listedFolder, newName)) != 0) return errnum;
    if ((errnum = platform::writeAllAt(ops, backup.fd(), oldContent, 0)) != 0) return errnum;
    if (ops.fchmod(backup.fd(), old.st_mode & 0777) != 0) return errno;
    if ((errnum = platform::setModificationTime(ops, backup.fd(), old.st_mtim)) != 0) return errnum;
    if (ops.fsync(backup.fd()) != 0) return errno;
    if ((errnum = backup.folder()->rename(backup.name(), *site.listedFolder, site.backupName())) !=
        0)
      return errnum;
    backup.keep();
    copy.discard();
  } else {
    return errnum;
  }
  return site.listedFolder->flush();
}

// The copy of a finished rewrite that could not be settled: kept under a name no run puts
// back. Its path, for the message.
std::string keepCopy(platform::TempFile& copy) {
  const std::string kept = renamedTemporary(copy.name(), TemporaryKind::KeptOldContent);
  const std::string& name = copy.rename(kept) == 0 ? kept : copy.name();
  std::string path = copy.folder()->pathOf(name);
  copy.keep();
  return path;
}

// The new content is on disk: the copy of the old becomes the backup, or goes.
IoStatus settleCopy(const FileFacts& file, platform::TempFile& copy, std::string_view oldContent,
                    const WriteBackOptions& options, const struct stat& old) {
  const FileSite& site = file.site;
  const std::string& path = file.listedPath;
  if (options.createBackup) {
    platform::UniqueFd older = holdForFreeing(site);
    const int errnum = copyToBackup(site, copy, oldContent, old);
    older.closeLater();
    if (errnum == 0) return IoStatus::success();
    return IoStatus::failure(quoted(path) + " was written, but its backup " +
                             quoted(site.backupPath()) +
                             " could not be made: " + platform::errorText(errnum) +
                             "; its old content is kept in " + quoted(keepCopy(copy)));
  }
  // The older backup goes while the copy still marks the rewrite as under way.
  if (const int errnum = options.removeOlderBackup ? dropOlderBackup(site, old.st_uid) : 0;
      errnum != 0) {
    return IoStatus::failure(quoted(path) + " was written, but its older backup " +
                             quoted(site.backupPath()) +
                             " could not be removed: " + platform::errorText(errnum) +
                             "; its old content is kept in " + quoted(keepCopy(copy)));
  }
  if (const int errnum = site.folder->remove(copy.name()); errnum != 0) {
    return IoStatus::failure(quoted(path) + " was written, but its temporary copy " +
                             quoted(keepCopy(copy)) +
                             " could not be removed: " + platform::errorText(errnum));
  }
  copy.keep();
  copy.discard();
  site.folder->flush();
  return IoStatus::success();
}

}  // namespace

int openForRewrite(const platform::Folder& folder, const std::string& name, const struct stat& old,
                   bool& madeWritable) {
  madeWritable = false;
  platform::FileOps& ops = folder.ops();
  int fd = folder.open(name, O_WRONLY | O_NONBLOCK);
  if (fd >= 0 || errno != EACCES || old.st_uid != ::geteuid()) return fd;
  const int errnum = errno;
  platform::UniqueFd reading(ops, folder.open(name, O_RDONLY | O_NONBLOCK));
  struct stat now {};
  if (!reading || ops.fstat(reading.get(), &now) != 0 || now.st_ino != old.st_ino ||
      ops.fchmod(reading.get(), (old.st_mode & 07777) | S_IWUSR) != 0) {
    errno = errnum;
    return -1;
  }
  madeWritable = true;
  return folder.open(name, O_WRONLY | O_NONBLOCK);
}

int overwrite(platform::FileOps& ops, int fd, std::string_view bytes, const mode_t* mode,
              const struct timespec* mtime) {
  if (const int errnum = platform::writeAllAt(ops, fd, bytes, 0); errnum != 0) return errnum;
  if (ops.ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) return errno;
  if (mode != nullptr && ops.fchmod(fd, *mode) != 0 && errno != EPERM) return errno;
  if (mtime != nullptr) {
    // Only the owner may set a date: someone else's file takes the date of the write.
    const int errnum = platform::setModificationTime(ops, fd, *mtime);
    if (errnum != 0 && errnum != EPERM) return errnum;
  }
  return ops.fsync(fd) == 0 ? 0 : errno;
}

IoStatus rewriteInPlace(const FileFacts& file, std::string_view oldContent,
                        std::string_view newContent, const WriteBackOptions& options,
                        const struct stat& old) {
  const FileSite& site = file.site;
  const std::string& path = file.listedPath;
  platform::FileOps& ops = site.folder->ops();
  platform::TempFile copy;
  if (const int errnum = makeOldCopy(file, oldContent, newContent, old, options.createBackup, copy);
      errnum != 0) {
    return options.createBackup ? fail("Cannot create the backup", site.backupPath(), errnum)
                                : fail("Cannot write", path, errnum);
  }
  bool madeWritable = false;
  platform::UniqueFd fd(ops, openForRewrite(*site.folder, site.name, old, madeWritable));
  if (!fd) return fail("Cannot write", path, errno);
  const mode_t oldMode = old.st_mode & 07777;
  struct stat now {};
  const bool looked = ops.fstat(fd.get(), &now) == 0;
  if (!looked || !file.identity.unchangedIn(now)) {
    const int errnum = errno;
    if (madeWritable) ops.fchmod(fd.get(), oldMode);
    return looked ? changedByOthers(path) : fail("Cannot write", path, errnum);
  }
  // A write by the owner may clear setuid and setgid; the mode is given back where allowed.
  const bool restoreMode =
      madeWritable || (options.keepAttributes && (old.st_mode & (S_ISUID | S_ISGID)) != 0);
  const struct timespec oldTime = old.st_mtim;
  int errnum = overwrite(ops, fd.get(), newContent, restoreMode ? &oldMode : nullptr,
                         options.keepDate ? &oldTime : nullptr);
  if (errnum == 0) errnum = fd.close();
  if (errnum == 0) return settleCopy(file, copy, oldContent, options, old);

  // Put the old content back; if that fails too, the copy holds it for the next run.
  if (!fd) fd = platform::UniqueFd(ops, site.folder->open(site.name, O_WRONLY | O_NONBLOCK));
  const bool restored =
      fd &&
      overwrite(ops, fd.get(), oldContent, madeWritable ? &oldMode : nullptr, &oldTime) == 0 &&
      fd.close() == 0;
  IoStatus failure = fail("Cannot write", path, errnum);
  if (restored) return failure;  // the copy goes with `copy`
  failure.error += "; its old content is kept in " + quoted(site.folder->pathOf(copy.name())) +
                   " and is put back by the next run";
  copy.keep();
  return failure;
}

}  // namespace tw::writeback
