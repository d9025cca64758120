#pragma once
// Reading a file of known size whole, and never past it: a file that grows or shrinks while it
// is read (or one that never ends) is noticed, not followed.

#include "platform/FileOps.h"
#include "platform/SysError.h"

#include <string>

namespace tw::platform {

// Reads the `size` bytes that the file `path`, open as `fd`, had when it was looked at;
// ESTALE when it holds more or fewer bytes now.
SysError readExactly(FileOps& ops, int fd, size_t size, std::string& out, const std::string& path);

}  // namespace tw::platform
