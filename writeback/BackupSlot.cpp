#include "writeback/BackupSlot.h"

#include "platform/ErrorText.h"
#include "writeback/Trust.h"

#include <fcntl.h>

namespace tw::writeback {

using platform::quoted;

IoStatus checkBackupSlot(const FileSite& site, const struct stat& file, bool& older) {
  struct stat slot {};
  const platform::SysError looked = site.listedFolder->look(site.backupName(), slot);
  older = looked.ok();
  if (looked.errnum() == ENOENT) return IoStatus::success();
  if (looked.failed()) return looked.as("Cannot create the backup", site.backupPath()).status();
  if (platform::FileId::of(slot) == platform::FileId::of(file)) {
    // The listed name leads to its own backup name: the backup would overwrite the file.
    if (site.listedFolder->id() == site.folder->id() && site.name == site.backupName())
      return IoStatus::failure("Cannot create the backup " + quoted(site.backupPath()) +
                               ": it is the file itself");
    return IoStatus::success();
  }
  const Distrust reason = judge(slot, Owners::thisUserAnd(file.st_uid));
  if (reason == Distrust::Trusted) return IoStatus::success();
  return IoStatus::failure("Cannot create the backup " + quoted(site.backupPath()) + ": " +
                           distrustText(reason) + "; " + quoted(site.listedPath) +
                           " was left as it is");
}

platform::SysError dropOlderBackup(const FileSite& site, uid_t fileOwner) {
  struct stat st {};
  if (platform::SysError looked = site.listedFolder->look(site.backupName(), st); looked.failed())
    return looked.errnum() == ENOENT ? platform::SysError() : looked;
  if (judge(st, Owners::thisUserAnd(fileOwner)) != Distrust::Trusted) return {};
  platform::UniqueFd held = holdForFreeing(site);
  platform::SysError removed = site.listedFolder->remove(site.backupName());
  held.closeLater();
  return removed.errnum() == ENOENT ? platform::SysError() : removed;
}

platform::UniqueFd holdForFreeing(const FileSite& site) {
#ifdef O_PATH
  platform::UniqueFd held;
  (void)site.listedFolder->open(site.backupName(), O_PATH, held);  // nothing held: freed at once
  return held;
#else
  (void)site;
  return {};  // opening it could have effects of its own (a device, a pipe)
#endif
}

}  // namespace tw::writeback
