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

// A new temporary file for the file named `fileName` in `folder`, filled as TempFile::fill.
platform::SysError makeCopy(const platform::FolderRef& folder, const std::string& fileName,
                            std::string_view bytes, const struct stat& old,
                            platform::TempFile& copy) {
  const auto newName = [&] {
    return makeTemporaryName(fileName, {TemporaryKind::NewContent, 0, 0, {}});
  };
  if (platform::SysError error = copy.create(folder, newName); error.failed()) return error;
  return copy.fill(bytes, old.st_mode & 0777, &old.st_mtim);
}

// The complete copy of the old content, flushed, under its recording name beside the file.
platform::SysError makeOldCopy(const FileFacts& file, std::string_view oldContent,
                               std::string_view newContent, const struct stat& old, bool forBackup,
                               platform::TempFile& copy) {
  const FileSite& site = file.site;
  if (platform::SysError error = makeCopy(site.folder, site.name, oldContent, old, copy);
      error.failed()) {
    return error;
  }
  TemporaryName what;
  what.kind = TemporaryKind::OldContent;
  what.rewrite = {platform::FileId::of(old), platform::FileStamp::of(old),
                  static_cast<int64_t>(newContent.size()), contentHash(newContent), forBackup};
  if (platform::SysError error = copy.rename(makeTemporaryName(site.name, what)); error.failed())
    return error;
  return site.folder->flush();
}

// The old content in the backup's name, beside the listed name: the copy renamed, or where
// that is another file system, written anew there.
platform::SysError copyToBackup(const FileSite& site, platform::TempFile& copy,
                                std::string_view oldContent, const struct stat& old) {
  platform::SysError moved =
      copy.folder()->rename(copy.name(), *site.listedFolder, site.backupName());
  if (moved.ok()) {
    copy.keep();
  } else if (moved.errnum() == EXDEV) {
    platform::TempFile backup;
    if (platform::SysError error =
            makeCopy(site.listedFolder, site.listedName, oldContent, old, backup);
        error.failed()) {
      return error;
    }
    if (platform::SysError error = backup.rename(site.backupName()); error.failed()) return error;
    backup.keep();
    copy.discard();
  } else {
    return moved;
  }
  return site.listedFolder->flush();
}

// The copy of a finished rewrite that could not be settled: kept under a name no run puts
// back (but makes the backup it was meant to be, while its file is as the rewrite left it).
// Its path, for the message.
std::string keepCopy(platform::TempFile& copy) {
  const std::string kept = renamedTemporary(copy.name(), TemporaryKind::KeptOldContent);
  (void)copy.rename(kept);  // else it keeps its name, and says so
  std::string path = copy.path();
  copy.keep();
  return path;
}

// "<path>" was written, but `what` `whose` could not be made or removed: why; where the old
// content is.
IoStatus writtenBut(const std::string& path, const std::string& what, const std::string& whose,
                    const platform::SysError& error, platform::TempFile& copy) {
  return IoStatus::failure(quoted(path) + " was written, but " + what + " " + quoted(whose) +
                           " could not be " + (what == "its backup" ? "made" : "removed") + ": " +
                           platform::errorText(error.errnum()) + "; its old content is kept in " +
                           quoted(keepCopy(copy)));
}

// The new content is on disk: the copy of the old becomes the backup, or goes.
IoStatus settleCopy(const FileFacts& file, platform::TempFile& copy, std::string_view oldContent,
                    const WriteBackOptions& options, const struct stat& old) {
  const FileSite& site = file.site;
  const std::string& path = file.listedPath;
  if (options.createBackup) {
    platform::UniqueFd older = holdForFreeing(site);
    const platform::SysError made = copyToBackup(site, copy, oldContent, old);
    older.closeLater();
    if (made.ok()) return IoStatus::success();
    return writtenBut(path, "its backup", site.backupPath(), made, copy);
  }
  // The older backup goes while the copy still marks the rewrite as under way.
  if (options.removeOlderBackup) {
    if (platform::SysError error = dropOlderBackup(site, old.st_uid); error.failed())
      return writtenBut(path, "its older backup", site.backupPath(), error, copy);
  }
  if (platform::SysError error = site.folder->remove(copy.name()); error.failed())
    return writtenBut(path, "its temporary copy", copy.path(), error, copy);
  copy.keep();
  copy.discard();
  (void)site.folder->flush();  // the copy is gone either way; the file is written
  return IoStatus::success();
}

}  // namespace

platform::SysError openForRewrite(const platform::Folder& folder, const std::string& name,
                                  const struct stat& old, platform::UniqueFd& out,
                                  bool& madeWritable) {
  madeWritable = false;
  platform::SysError opened = folder.open(name, O_WRONLY | O_NONBLOCK, out);
  if (opened.ok() || opened.errnum() != EACCES || old.st_uid != ::geteuid()) return opened;
  platform::FileOps& ops = folder.ops();
  platform::UniqueFd reading;
  struct stat now {};
  if (folder.open(name, O_RDONLY | O_NONBLOCK, reading).failed() ||
      ops.fstat(reading.get(), &now) != 0 || now.st_ino != old.st_ino ||
      ops.fchmod(reading.get(), (old.st_mode & 07777) | S_IWUSR) != 0) {
    return opened;
  }
  madeWritable = true;
  return folder.open(name, O_WRONLY | O_NONBLOCK, out);
}

platform::SysError overwrite(platform::FileOps& ops, int fd, std::string_view bytes,
                             const mode_t* mode, const struct timespec* mtime,
                             const std::string& path) {
  if (platform::SysError error = platform::writeAllAt(ops, fd, bytes, 0, path); error.failed())
    return error;
  if (ops.ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 ||
      (mode != nullptr && ops.fchmod(fd, *mode) != 0 && errno != EPERM)) {
    return platform::SysError::fromErrno("Cannot write", path);
  }
  if (mtime != nullptr) {
    // Only the owner may set a date: someone else's file takes the date of the write.
    platform::SysError error = platform::setModificationTime(ops, fd, *mtime, path);
    if (error.failed() && error.errnum() != EPERM) return error;
  }
  if (ops.fsync(fd) != 0) return platform::SysError::fromErrno("Cannot write", path);
  return {};
}

IoStatus rewriteInPlace(const FileFacts& file, std::string_view oldContent,
                        std::string_view newContent, const WriteBackOptions& options,
                        const struct stat& old) {
  const FileSite& site = file.site;
  const std::string& path = file.listedPath;
  platform::FileOps& ops = site.folder->ops();
  platform::TempFile copy;
  if (platform::SysError error =
          makeOldCopy(file, oldContent, newContent, old, options.createBackup, copy);
      error.failed()) {
    return options.createBackup ? error.as("Cannot create the backup", site.backupPath()).status()
                                : error.as("Cannot write", path).status();
  }
  bool madeWritable = false;
  platform::UniqueFd fd;
  if (platform::SysError error = openForRewrite(*site.folder, site.name, old, fd, madeWritable);
      error.failed()) {
    return error.as("Cannot write", path).status();
  }
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
  platform::SysError written =
      overwrite(ops, fd.get(), newContent, restoreMode ? &oldMode : nullptr,
                options.keepDate ? &oldTime : nullptr, path);
  if (written.ok()) written = platform::SysError::check(fd.close(), "Cannot write", path);
  if (written.ok()) return settleCopy(file, copy, oldContent, options, old);

  // Put the old content back; if that fails too, the copy holds it for the next run.
  if (!fd) (void)site.folder->open(site.name, O_WRONLY | O_NONBLOCK, fd);
  const bool restored =
      fd &&
      overwrite(ops, fd.get(), oldContent, madeWritable ? &oldMode : nullptr, &oldTime, path)
          .ok() &&
      fd.close() == 0;
  IoStatus failure = written.as("Cannot write", path).status();
  if (restored) return failure;  // the copy goes with `copy`
  failure.error +=
      "; its old content is kept in " + quoted(copy.path()) + " and is put back by the next run";
  copy.keep();
  return failure;
}

}  // namespace tw::writeback
