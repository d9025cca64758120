#include "platform/Attributes.h"

#include "platform/FileIo.h"

#include <sys/xattr.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <vector>

namespace tw::platform {

namespace {

bool ignorableAttributeError(int errnum) {
  return errnum == EPERM || errnum == EACCES || errnum == ENOTSUP || errnum == EOPNOTSUPP ||
         errnum == ENODATA;
}

// The value of the attribute `name` of `from` into `value`; 0, -1 for one to pass over, or
// an errno.
int readAttribute(FileOps& ops, int from, const char* name, std::vector<char>& value) {
  ssize_t length = ops.fgetxattr(from, name, nullptr, 0);
  if (length >= 0) {
    value.resize(static_cast<size_t>(length));
    length = ops.fgetxattr(from, name, value.data(), value.size());
  }
  if (length < 0) return ignorableAttributeError(errno) ? -1 : errno;
  value.resize(static_cast<size_t>(length));
  return 0;
}

// Copies the extended attributes of `from` to `to` where this process may set them.
int copyExtendedAttributes(FileOps& ops, int from, int to) {
  ssize_t size = ops.flistxattr(from, nullptr, 0);
  if (size < 0) return errno == ENOTSUP || errno == EOPNOTSUPP ? 0 : errno;
  if (size == 0) return 0;
  std::vector<char> names(static_cast<size_t>(size));
  size = ops.flistxattr(from, names.data(), names.size());
  if (size < 0) return errno;
  std::vector<char> value;
  for (size_t at = 0; at < static_cast<size_t>(size);) {
    const char* name = names.data() + at;
    at += std::strlen(name) + 1;
    const int read = readAttribute(ops, from, name, value);
    if (read < 0) continue;
    if (read > 0) return read;
    if (ops.fsetxattr(to, name, value.data(), value.size(), 0) != 0 &&
        !ignorableAttributeError(errno)) {
      return errno;
    }
  }
  return 0;
}

// The owner and group of `old` for `fd`; the mode bits that may stay set come back.
int giveOwner(FileOps& ops, int fd, const struct stat& old, ProcessUser user, mode_t& mode) {
  if (old.st_uid == user.uid && old.st_gid == user.gid) return 0;
  if (ops.fchown(fd, old.st_uid, old.st_gid) == 0) return 0;
  if (errno != EPERM) return errno;
  mode &= static_cast<mode_t>(~S_ISUID);
  // The group alone may still be ours to give.
  if (ops.fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0) return 0;
  if (errno != EPERM) return errno;
  mode &= static_cast<mode_t>(~S_ISGID);
  return 0;
}

}  // namespace

ProcessUser ProcessUser::current() {
  return {::geteuid(), ::getegid()};
}

SysError applyAttributes(FileOps& ops, int fd, int oldFd, const struct stat& old, bool keep,
                         ProcessUser user, const std::string& path) {
  mode_t mode = old.st_mode & 07777;
  int errnum = 0;
  if (!keep) {
    mode = newFileMode() & ((old.st_mode & 0777) | 0700);
  } else {
    errnum = giveOwner(ops, fd, old, user, mode);
  }
  if (errnum == 0 && ops.fchmod(fd, mode) != 0) errnum = errno;
  if (errnum == 0 && keep) errnum = copyExtendedAttributes(ops, oldFd, fd);
  return SysError::check(errnum, "Cannot write", path);
}

SysError setModificationTime(FileOps& ops, int fd, const struct timespec& mtime,
                             const std::string& path) {
  const struct timespec times[2] = {{0, UTIME_OMIT}, mtime};
  if (ops.futimens(fd, times) == 0) return {};
  return SysError::fromErrno("Cannot write", path);
}

}  // namespace tw::platform
