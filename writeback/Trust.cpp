#include "writeback/Trust.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>

namespace tw::writeback {

Owners Owners::thisUser() {
  const uid_t uid = ::geteuid();
  return {uid, uid};
}

Owners Owners::thisUserAnd(uid_t fileOwner) {
  return {::geteuid(), fileOwner};
}

Distrust judge(const struct stat& st, Owners owners) {
  if (S_ISLNK(st.st_mode)) return Distrust::SymbolicLink;
  if (!S_ISREG(st.st_mode)) return Distrust::NotRegular;
  if (!owners.allow(st.st_uid)) return Distrust::OtherOwner;
  if (st.st_nlink != 1) return Distrust::OtherNames;
  return Distrust::Trusted;
}

std::string distrustText(Distrust reason) {
  switch (reason) {
    case Distrust::SymbolicLink:
      return "it is a symbolic link";
    case Distrust::NotRegular:
      return "it is not a regular file";
    case Distrust::OtherOwner:
      return "it belongs to another user";
    case Distrust::OtherNames:
      return "it has other names (hard links)";
    case Distrust::Trusted:
      break;
  }
  return "it is a file of this user";
}

platform::SysError openTrusted(const platform::Folder& folder, const std::string& name,
                               Owners owners, TrustedFile& out, Distrust& reason) {
  out = TrustedFile{};
  reason = Distrust::Trusted;
  // Looked at first, so that a device is never opened (opening some has effects of its own).
  struct stat seen {};
  if (platform::SysError error = folder.look(name, seen); error.failed()) return error;
  if ((reason = judge(seen, owners)) != Distrust::Trusted) return {};
  platform::UniqueFd fd;
  if (platform::SysError error = folder.open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY, fd);
      error.failed()) {
    if (error.errnum() != ELOOP) return error;
    reason = Distrust::SymbolicLink;  // replaced by a link since it was looked at
    return {};
  }
  if (folder.ops().fstat(fd.get(), &out.st) != 0)
    return platform::SysError::fromErrno("Cannot read", folder.pathOf(name));
  if ((reason = judge(out.st, owners)) != Distrust::Trusted) return {};
  out.fd = std::move(fd);
  return {};
}

bool heldByAWriter(platform::FileOps& ops, int fd) {
  return ops.flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

}  // namespace tw::writeback
