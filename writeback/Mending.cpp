#include "writeback/Mending.h"

#include "platform/ErrorText.h"
#include "writeback/BackupSlot.h"
#include "writeback/InPlaceRewrite.h"
#include "writeback/Trust.h"

#include <fcntl.h>
#include <unistd.h>

namespace tw::writeback {

using platform::IoStatus;
using platform::quoted;

namespace {

// Leftovers keeps the listings of this many folders at most.
constexpr size_t kFoldersKept = 64;

// One leftover being mended: where it is, and where its messages go.
struct Mend {
  const FileSite& site;
  const platform::Folder& folder;  // the leftover's
  const std::string& name;
  std::vector<std::string>& notes;
  IoStatus& result;

  std::string path() const { return folder.pathOf(name); }
  void leftAlone(const std::string& why) const {
    notes.push_back(quoted(path()) + " was left as it is: " + why);
  }
  void failed(IoStatus status) const {
    if (result) result = std::move(status);
  }
};

// New content that never got its file's name: removed when it is this user's and no live
// writer holds it. Removing a name never touches what a link leads to.
void removeNewContent(const Mend& m) {
  struct stat st {};
  if (m.folder.look(m.name, st).failed()) return;
  if (st.st_uid != ::geteuid()) return m.leftAlone(distrustText(Distrust::OtherOwner));
  if (S_ISDIR(st.st_mode)) return m.leftAlone(distrustText(Distrust::NotRegular));
  platform::UniqueFd fd;
  if (S_ISREG(st.st_mode) && m.folder.open(m.name, O_RDONLY | O_NONBLOCK, fd).ok() &&
      heldByAWriter(m.folder.ops(), fd.get())) {
    return;
  }
  if (platform::SysError error = m.folder.remove(m.name);
      error.failed() && error.errnum() != ENOENT)
    m.failed(error.status());
}

// Whether `now` is what the rewrite makes of `old` on its way to `newSize` bytes: it writes
// the new content from the start, then cuts the file to its length; until the cut, the file
// holds new content up to some point and the old beyond it.
bool tornByRewrite(std::string_view now, std::string_view old, int64_t newSize) {
  const auto limit = static_cast<size_t>(newSize);
  if (now.size() > old.size()) return now.size() <= limit;
  if (now.size() < old.size()) return false;  // cut: the rewrite was done writing
  size_t from = now.size();
  while (from > 0 && now[from - 1] == old[from - 1]) --from;
  return from <= limit;
}

// The content of the file at `site` when it is still the file `expected`, read whole (`st`:
// how it was seen); false when it is gone, another file, or cannot be read whole.
bool readFileAs(const FileSite& site, platform::FileId expected, struct stat& st,
                std::string& bytes) {
  platform::FileOps& ops = site.folder->ops();
  platform::UniqueFd fd;
  if (site.folder->open(site.name, O_RDONLY | O_NONBLOCK | O_NOCTTY, fd).failed() ||
      ops.fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
      platform::FileId::of(st) != expected) {
    return false;
  }
  return readExactly(ops, fd.get(), static_cast<size_t>(st.st_size), bytes, site.listedPath).ok();
}

// Keeps the copy under a name that no run puts back, and says where.
void keepAside(const Mend& m, platform::UniqueFd& copy, const std::string& what) {
  copy.reset();
  const std::string kept = renamedTemporary(m.name, TemporaryKind::KeptOldContent);
  const bool renamed = m.folder.rename(m.name, m.folder, kept).ok();
  m.notes.push_back(what + "; its old content is kept in " +
                    quoted(m.folder.pathOf(renamed ? kept : m.name)));
}

// Puts the old content `bytes` of the copy `copy` back into the torn file `st`.
bool putBack(const Mend& m, const struct stat& copy, struct stat st, const std::string& bytes) {
  const FileSite& site = m.site;
  platform::FileOps& ops = site.folder->ops();
  st.st_mode = copy.st_mode;
  bool madeWritable = false;
  platform::UniqueFd fd;
  const mode_t mode = copy.st_mode & 0777;
  platform::SysError error = openForRewrite(*site.folder, site.name, st, fd, madeWritable);
  if (error.ok()) error = overwrite(ops, fd.get(), bytes, &mode, &copy.st_mtim, site.listedPath);
  if (error.ok()) error = platform::SysError::check(fd.close(), "Cannot write", site.listedPath);
  if (error.failed()) {
    m.failed(IoStatus::failure("Cannot put back the old content of " + quoted(site.listedPath) +
                               " from " + quoted(m.path()) + ": " +
                               platform::errorText(error.errnum())));
    return false;
  }
  return true;
}

// A rewrite that was done when its process died: its copy becomes the backup as the process
// would have made it, or goes.
void finishRewrite(const Mend& m, const RewriteRecord& record, platform::UniqueFd& copy,
                   const struct stat& file) {
  copy.reset();
  if (!record.forBackup) {
    (void)m.folder.remove(m.name);  // a copy left: the next run takes it again
    return;
  }
  bool older = false;
  if (IoStatus usable = checkBackupSlot(m.site, file, older); !usable) return m.failed(usable);
  const platform::Folder& target = *m.site.listedFolder;
  if (m.folder.rename(m.name, target, m.site.backupName()).failed()) {
    platform::UniqueFd none;
    return keepAside(m, none, "the backup of " + quoted(m.site.listedPath) + " could not be made");
  }
  (void)target.flush();
}

// The copy of a rewrite in place: put back only over the file it was made for, while that
// file is still torn by that rewrite.
// A kept copy (its rewrite could not settle it, or its file had changed) is only ever made
// the backup it was meant to be, once its file still holds the rewrite's new content.
void mendRewrite(const Mend& m, const RewriteRecord& record, bool kept) {
  TrustedFile copy;
  Distrust reason = Distrust::Trusted;
  const platform::SysError opened = openTrusted(m.folder, m.name, Owners::thisUser(), copy, reason);
  if (opened.errnum() == ENOENT || (kept && (opened.failed() || reason != Distrust::Trusted)))
    return;
  if (opened.failed()) return m.failed(opened.status());
  if (reason != Distrust::Trusted) return m.leftAlone(distrustText(reason));
  platform::FileOps& ops = m.folder.ops();
  if (heldByAWriter(ops, copy.fd.get())) return;
  std::string old, now;
  if (platform::SysError read =
          readExactly(ops, copy.fd.get(), static_cast<size_t>(copy.st.st_size), old, m.path());
      read.failed()) {
    return m.failed(read.status());
  }
  const std::string file = quoted(m.site.listedPath);
  struct stat st {};
  const bool there = readFileAs(m.site, record.file, st, now);
  const bool finished = there && static_cast<int64_t>(now.size()) == record.newSize &&
                        contentHash(now) == record.newHash;
  if (finished) return finishRewrite(m, record, copy.fd, st);
  if (kept) return;
  if (!there)
    return keepAside(m, copy.fd, "the file a rewrite of " + file + " was made for is gone");
  if (now == old) {
    copy.fd.reset();
    (void)m.folder.remove(m.name);  // nothing torn; a copy left is taken again next time
    return;
  }
  if (!tornByRewrite(now, old, record.newSize))
    return keepAside(m, copy.fd, file + " was changed after a rewrite of it was interrupted");
  if (!putBack(m, copy.st, st, old)) return;
  copy.fd.reset();
  (void)m.folder.remove(m.name);  // the file is whole; a copy left is taken again next time
  (void)m.folder.flush();
  m.notes.push_back("a rewrite of " + file + " was interrupted; its old content was put back");
}

// The old content on its way to the backup: the backup once the file holds the new content
// it was made for; removed when the file was never swapped.
void settlePending(const Mend& m, uint64_t newInode) {
  const FileSite& site = m.site;
  platform::FileOps& ops = m.folder.ops();
  struct stat pending {
  }, file{};
  if (m.folder.look(m.name, pending).failed()) return;
  const bool fileThere = site.folder->look(site.name, file).ok();
  if (fileThere && platform::FileId::of(file) == platform::FileId::of(pending)) {
    // A second name of the file as it still is: the swap never happened.
    platform::UniqueFd fd;
    if (!S_ISREG(pending.st_mode) ||
        m.folder.open(m.name, O_RDONLY | O_NONBLOCK | O_NOCTTY, fd).failed() ||
        heldByAWriter(ops, fd.get())) {
      return;
    }
    (void)m.folder.remove(m.name);  // a name of the file itself: left, it is taken again
    return;
  }
  TrustedFile held;
  Distrust reason = Distrust::Trusted;
  const Owners owners = Owners::thisUserAnd(fileThere ? file.st_uid : ::geteuid());
  const platform::SysError opened = openTrusted(m.folder, m.name, owners, held, reason);
  if (opened.errnum() == ENOENT) return;
  if (opened.failed()) return m.failed(opened.status());
  if (reason != Distrust::Trusted) return m.leftAlone(distrustText(reason));
  if (heldByAWriter(ops, held.fd.get())) return;
  if (!fileThere || static_cast<uint64_t>(file.st_ino) != newInode) {
    // A copy (made where no second name could be) of a file that was never swapped.
    std::string copy, now;
    struct stat seen {};
    if (fileThere &&
        readExactly(ops, held.fd.get(), static_cast<size_t>(held.st.st_size), copy, m.path())
            .ok() &&
        readFileAs(site, platform::FileId::of(file), seen, now) && now == copy) {
      held.fd.reset();
      (void)m.folder.remove(m.name);  // left, it is taken again
      return;
    }
    return m.leftAlone("the file it holds the old content of has changed since");
  }
  bool older = false;
  if (IoStatus usable = checkBackupSlot(site, file, older); !usable) return m.failed(usable);
  held.fd.reset();
  if (platform::SysError renamed = m.folder.rename(m.name, m.folder, site.backupName());
      renamed.failed()) {
    return m.failed(renamed.as("Cannot create the backup", site.backupPath()).status());
  }
  (void)m.folder.flush();  // the backup has its name; a flush that fails loses no content
}

}  // namespace

std::vector<Leftovers::Found> Leftovers::leftoversOf(const platform::Folder& folder,
                                                     const std::string& fileName) {
  auto listed = m_folders.find(folder.id());
  if (listed == m_folders.end()) {
    // A few folders are kept: a list is mostly in folder order, and a folder listed again
    // finds what was not mended yet, as the first listing did.
    if (m_folders.size() >= kFoldersKept) m_folders.clear();
    listed = m_folders.emplace(folder.id(), std::vector<Found>()).first;
    std::vector<platform::FolderEntry> entries;
    (void)folder.list(entries);  // a folder that cannot be listed has no leftovers to mend
    for (platform::FolderEntry& entry : entries) {
      if (entry.name[0] != '.') continue;
      if (std::optional<TemporaryName> parsed = parseTemporaryName(entry.name))
        listed->second.push_back({std::move(entry.name), *parsed});
    }
  }
  std::vector<Found> mine;
  const uint64_t hash = nameHash(fileName);
  for (const Found& found : listed->second) {
    if (found.parsed.ownerHash == hash) mine.push_back(found);
  }
  return mine;
}

IoStatus Leftovers::mend(const FileSite& site, std::vector<std::string>& notes) {
  IoStatus result = IoStatus::success();
  // Beside the real file: new content and the copies of rewrites in place.
  for (const Found& found : leftoversOf(*site.folder, site.name)) {
    const Mend m{site, *site.folder, found.name, notes, result};
    if (found.parsed.kind == TemporaryKind::NewContent) removeNewContent(m);
    if (found.parsed.kind == TemporaryKind::OldContent ||
        found.parsed.kind == TemporaryKind::KeptOldContent) {
      mendRewrite(m, found.parsed.rewrite, found.parsed.kind == TemporaryKind::KeptOldContent);
    }
  }
  // Beside the listed name: the old content on its way to the backup.
  for (const Found& found : leftoversOf(*site.listedFolder, site.listedName)) {
    const Mend m{site, *site.listedFolder, found.name, notes, result};
    if (found.parsed.kind == TemporaryKind::PendingBackup) settlePending(m, found.parsed.newInode);
  }
  return result;
}

}  // namespace tw::writeback
