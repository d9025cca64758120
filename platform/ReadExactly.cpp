#include "platform/ReadExactly.h"

#include "platform/Retry.h"

namespace tw::platform {

SysError readExactly(FileOps& ops, int fd, size_t size, std::string& out, const std::string& path) {
  out.resize(size + 1);  // one byte more: a file that grew is seen
  size_t have = 0;
  while (have < out.size()) {
    const ssize_t n =
        retryOnInterrupt([&] { return ops.read(fd, out.data() + have, out.size() - have); });
    if (n < 0) return SysError::fromErrno("Cannot read", path);
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  out.resize(have);
  return have == size ? SysError() : SysError(ESTALE, "Cannot read", path);
}

}  // namespace tw::platform
