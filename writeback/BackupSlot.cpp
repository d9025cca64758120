#include "writeback/BackupSlot.h"

#include "platform/ErrorText.h"
#include "writeback/Trust.h"

#include <fcntl.h>

namespace tw::writeback {

using platform::quoted;

IoStatus checkBackupSlot(const FileSite& site, const struct stat& file, bool& older) {
  struct stat slot {};
  const int errnum = site.listedFolder->look(site.backupName(), slot);
  older = errnum == 0;
  if (errnum == ENOENT) return IoStatus::success();
  if (errnum != 0) return platform::fail("Cannot create the backup", site.backupPath(), errnum);
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

int dropOlderBackup(const FileSite& site, uid_t fileOwner) {
  struct stat st {};
  if (const int errnum = site.listedFolder->look(site.backupName(), st); errnum != 0)
    return errnum == ENOENT ? 0 : errnum;
  if (judge(st, Owners::thisUserAnd(fileOwner)) != Distrust::Trusted) return 0;
  platform::UniqueFd held = holdForFreeing(site);
  const int errnum = site.listedFolder->remove(site.backupName());
  held.closeLater();
  return errnum == ENOENT ? 0 : errnum;
}

platform::UniqueFd holdForFreeing(const FileSite& site) {
#ifdef O_PATH
  return platform::UniqueFd(site.listedFolder->ops(),
                            site.listedFolder->open(site.backupName(), O_PATH));
#else
  (void)site;
  return {};  // opening it could have effects of its own (a device, a pipe)
#endif
}

}  // namespace tw::writeback
