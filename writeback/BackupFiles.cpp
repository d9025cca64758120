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
  fileThere = site.folder->look(site.name, file).ok();
  return Owners::thisUserAnd(fileThere ? file.st_uid : ::geteuid());
}

// A new file `site.name` with exactly `bytes`, written beside and renamed into place.
IoStatus createFile(const FileSite& site, const std::string& bytes) {
  platform::TempFile temp;
  const auto newName = [&] {
    return makeTemporaryName(site.name, {TemporaryKind::NewContent, 0, 0, {}});
  };
  platform::SysError error = temp.create(site.folder, newName);
  if (error.ok()) error = temp.fill(bytes, platform::newFileMode(), nullptr);
  if (error.ok()) error = temp.close();
  if (error.ok()) error = site.folder->rename(temp.name(), *site.folder, site.name);
  if (error.ok()) temp.keep();
  if (error.ok()) error = site.folder->flush();
  return error.as("Cannot write", site.listedPath).status();
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
  if (fileThere && folder.look(backup, seen).ok() &&
      platform::FileId::of(seen) == platform::FileId::of(file)) {
    // A second name of the file itself, left by an older version: nothing to put back.
    const platform::SysError removed = folder.remove(backup);
    restored = removed.ok();
    return removed.status();
  }
  TrustedFile held;
  Distrust reason = Distrust::Trusted;
  if (platform::SysError opened = openTrusted(folder, backup, owners, held, reason);
      opened.failed()) {
    return opened.errnum() == ENOENT ? IoStatus::success() : opened.status();
  }
  if (reason != Distrust::Trusted) return leftAsItIs("Cannot restore", site.backupPath(), reason);
  std::string bytes;
  if (platform::SysError read =
          readExactly(folder.ops(), held.fd.get(), static_cast<size_t>(held.st.st_size), bytes,
                      site.backupPath());
      read.failed()) {
    if (read.errnum() != ESTALE) return read.status();
    return IoStatus::failure("Cannot read " + quoted(site.backupPath()) +
                             ": it changed while it was read");
  }
  if (IoStatus written = fileThere ? replaceContent(site, bytes) : createFile(site, bytes);
      !written) {
    return written;
  }
  // The file holds the backup's content now; only so may the backup go, and only the one
  // that was read.
  if (platform::SysError looked = folder.look(backup, seen); looked.failed())
    return looked.as("Cannot delete", site.backupPath()).status();
  if (platform::FileId::of(seen) == platform::FileId::of(held.st)) {
    if (platform::SysError removed = folder.remove(backup); removed.failed())
      return removed.status();
    (void)folder.flush();  // the file is restored; the name's removal may come back
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
  if (platform::SysError looked = folder.look(site.backupName(), backup); looked.failed())
    return looked.errnum() == ENOENT ? IoStatus::success() : looked.status();
  const bool itself = fileThere && platform::FileId::of(backup) == platform::FileId::of(file);
  if (const Distrust reason = judge(backup, owners); reason != Distrust::Trusted && !itself)
    return leftAsItIs("Cannot delete", site.backupPath(), reason);
  if (platform::SysError removed = folder.remove(site.backupName()); removed.failed())
    return removed.status();
  deleted = true;
  return IoStatus::success();
}

}  // namespace tw::writeback
