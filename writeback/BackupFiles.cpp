#include "writeback/BackupFiles.h"

#include "platform/ErrorText.h"
#include "platform/TempFile.h"
#include "writeback/TemporaryName.h"
#include "writeback/Trust.h"
#include "writeback/WriteBack.h"

#include <fcntl.h>
#include <unistd.h>

namespace tw::writeback {

using platform::IoStatus;
using platform::quoted;

namespace {

IoStatus leftAsItIs(const std::string& what, const std::string& path, Distrust reason) {
  return IoStatus::failure(what + " " + quoted(path) + ": " + distrustText(reason) +
                           "; it was left as it is");
}

// The owner whose backups are trusted beside this user's: the file's, when it is there.
Owners backupOwners(const FileSite& site, struct stat& file, bool& fileThere) {
  fileThere = site.folder->look(site.name, file) == 0;
  return Owners::thisUserAnd(fileThere ? file.st_uid : ::geteuid());
}

// A new file `site.name` with exactly `bytes`, written beside and renamed into place.
IoStatus createFile(const FileSite& site, const std::string& bytes) {
  platform::FileOps& ops = site.folder->ops();
  platform::TempFile temp;
  const auto newName = [&] {
    return makeTemporaryName(site.name, {TemporaryKind::NewContent, 0, 0, {}});
  };
  int errnum = temp.create(site.folder, newName);
  if (errnum == 0) errnum = platform::writeAllAt(ops, temp.fd(), bytes, 0);
  if (errnum == 0 && ops.fchmod(temp.fd(), platform::newFileMode()) != 0) errnum = errno;
  if (errnum == 0 && ops.fsync(temp.fd()) != 0) errnum = errno;
  if (errnum == 0) errnum = temp.close();
  if (errnum == 0) errnum = site.folder->rename(temp.name(), *site.folder, site.name);
  if (errnum == 0) temp.keep();
  if (errnum == 0) errnum = site.folder->flush();
  return errnum == 0 ? IoStatus::success()
                     : platform::fail("Cannot write", site.listedPath, errnum);
}

// Gives the existing file at `site` exactly `bytes`, unless it holds them already.
IoStatus replaceContent(const FileSite& site, const std::string& bytes) {
  FileFacts facts;
  ReadBuffer buffer;
  std::string error;
  switch (loadFile(site, facts, buffer, error)) {
    case LoadResult::Failed:
      return IoStatus::failure(error);
    case LoadResult::Missing:
      return createFile(site, bytes);
    case LoadResult::Empty:
    case LoadResult::Loaded:
      break;
  }
  if (buffer.view() == bytes) return IoStatus::success();
  WriteBackOptions options;
  options.createBackup = false;
  options.keepDate = false;  // the file changes now: tools that go by dates must see it
  options.keepAttributes = true;
  return writeBack(facts, buffer.view(), bytes, options);
}

}  // namespace

IoStatus restoreBackup(const FileSite& site, bool& restored) {
  restored = false;
  const platform::Folder& folder = *site.listedFolder;
  const std::string backup = site.backupName();
  struct stat file {};
  bool fileThere = false;
  const Owners owners = backupOwners(site, file, fileThere);
  struct stat seen {};
  if (fileThere && folder.look(backup, seen) == 0 &&
      platform::FileId::of(seen) == platform::FileId::of(file)) {
    // A second name of the file itself, left by an older version: nothing to put back.
    const int errnum = folder.remove(backup);
    restored = errnum == 0;
    return errnum == 0 ? IoStatus::success()
                       : platform::fail("Cannot delete", site.backupPath(), errnum);
  }
  TrustedFile held;
  Distrust reason = Distrust::Trusted;
  if (const int errnum = openTrusted(folder, backup, owners, held, reason); errnum != 0)
    return errnum == ENOENT ? IoStatus::success()
                            : platform::fail("Cannot read", site.backupPath(), errnum);
  if (reason != Distrust::Trusted) return leftAsItIs("Cannot restore", site.backupPath(), reason);
  std::string bytes;
  if (const int errnum =
          readExactly(folder.ops(), held.fd.get(), static_cast<size_t>(held.st.st_size), bytes);
      errnum != 0) {
    if (errnum == ESTALE)
      return IoStatus::failure("Cannot read " + quoted(site.backupPath()) +
                               ": it changed while it was read");
    return platform::fail("Cannot read", site.backupPath(), errnum);
  }
  if (IoStatus written = fileThere ? replaceContent(site, bytes) : createFile(site, bytes);
      !written)
    return written;
  // The file holds the backup's content now; only so may the backup go, and only the one
  // that was read.
  if (const int errnum = folder.look(backup, seen); errnum != 0)
    return platform::fail("Cannot delete", site.backupPath(), errnum);
  if (platform::FileId::of(seen) == platform::FileId::of(held.st)) {
    if (const int errnum = folder.remove(backup); errnum != 0)
      return platform::fail("Cannot delete", site.backupPath(), errnum);
    folder.flush();
  }
  restored = true;
  return IoStatus::success();
}

IoStatus deleteBackup(const FileSite& site, bool& deleted) {
  deleted = false;
  const platform::Folder& folder = *site.listedFolder;
  struct stat file {
  }, backup{};
  bool fileThere = false;
  const Owners owners = backupOwners(site, file, fileThere);
  if (const int errnum = folder.look(site.backupName(), backup); errnum != 0)
    return errnum == ENOENT ? IoStatus::success()
                            : platform::fail("Cannot read", site.backupPath(), errnum);
  const bool itself = fileThere && platform::FileId::of(backup) == platform::FileId::of(file);
  if (const Distrust reason = judge(backup, owners); reason != Distrust::Trusted && !itself)
    return leftAsItIs("Cannot delete", site.backupPath(), reason);
  if (const int errnum = folder.remove(site.backupName()); errnum != 0)
    return platform::fail("Cannot delete", site.backupPath(), errnum);
  deleted = true;
  return IoStatus::success();
}

}  // namespace tw::writeback
