#pragma once
// What a new file takes over from the old one it replaces: owner, group, mode, extended
// attributes and modification time, as far as this process may give them.

#include "platform/FileIdentity.h"
#include "platform/FileOps.h"
#include "platform/SysError.h"

#include <sys/stat.h>

#include <string>

namespace tw::platform {

// Who this process is, asked once per batch of files.
struct ProcessUser {
  uid_t uid;
  gid_t gid;
  static ProcessUser current();
};

// Gives the new file `fd` the owner, group, mode and extended attributes of the old file
// (`old`, open as `oldFd`). Where the owner or group cannot be given, setuid or setgid is
// dropped so that nobody gains rights. Without `keep`, the file gets the mode of a new file,
// but never grants others more than the old file did. A failure names `path`.
SysError applyAttributes(FileOps& ops, int fd, int oldFd, const struct stat& old, bool keep,
                         ProcessUser user, const std::string& path);

// Sets the modification time of the file `path`, open as `fd`, to `mtime`, leaving its access
// time.
SysError setModificationTime(FileOps& ops, int fd, const struct timespec& mtime,
                             const std::string& path);

}  // namespace tw::platform
