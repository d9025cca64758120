#pragma once
// What a new file takes over from the old one it replaces: owner, group, mode, extended
// attributes and modification time, as far as this process may give them.

#include "platform/FileIdentity.h"
#include "platform/FileOps.h"

#include <sys/stat.h>

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
// but never grants others more than the old file did. 0 or errno.
int applyAttributes(FileOps& ops, int fd, int oldFd, const struct stat& old, bool keep,
                    ProcessUser user);

// Sets the modification time of `fd` to `mtime`, leaving its access time; 0 or errno.
int setModificationTime(FileOps& ops, int fd, const struct timespec& mtime);

}  // namespace tw::platform
