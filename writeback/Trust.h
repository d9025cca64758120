#pragma once
// What the write-back reads back, builds on or removes, it must be able to prove it made: a
// name beside a file proves nothing in a folder that others can write. A file is trusted
// when it is a regular file (not a symbolic link, FIFO, device or folder), owned by this
// process's user (or, for a backup, by the user who owns the listed file), with one name
// only; it is opened without following a link and without blocking, and read up to the size
// it had when it was opened, never further. Anything else is left where it is and named.

#include "platform/FileOps.h"
#include "platform/Folder.h"
#include "platform/ReadExactly.h"
#include "platform/SysError.h"
#include "platform/UniqueFd.h"

#include <sys/stat.h>

#include <string>

namespace tw::writeback {

using platform::readExactly;

// Who may own a file to be trusted: this process's user, and perhaps one more.
struct Owners {
  uid_t user;
  uid_t alsoAllowed;
  static Owners thisUser();
  // This user and `fileOwner` (the owner of the listed file, for its backup).
  static Owners thisUserAnd(uid_t fileOwner);
  bool allow(uid_t uid) const { return uid == user || uid == alsoAllowed; }
};

// Why a file is not trusted; Trusted when it is.
enum class Distrust { Trusted, SymbolicLink, NotRegular, OtherOwner, OtherNames };

// What a name is, as `look` shows it: why it cannot be trusted, or Trusted.
Distrust judge(const struct stat& st, Owners owners);
// How the reason reads in a message: "it is a symbolic link", ...
std::string distrustText(Distrust reason);

struct TrustedFile {
  platform::UniqueFd fd;
  struct stat st {};
};

// Opens `name` of `folder` for reading when it is trusted: no error with `reason` Trusted and
// the file open, or with another `reason` and nothing opened; or the error of the look or the
// open (ENOENT: there is no such name).
platform::SysError openTrusted(const platform::Folder& folder, const std::string& name,
                               Owners owners, TrustedFile& out, Distrust& reason);

// Whether the lock of a live writer is held on `fd`; otherwise this process holds it now,
// until `fd` is closed, so that no other run mends the same file meanwhile.
bool heldByAWriter(platform::FileOps& ops, int fd);

}  // namespace tw::writeback
