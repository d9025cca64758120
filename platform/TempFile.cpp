#include "platform/TempFile.h"

#include <fcntl.h>
#include <sys/file.h>

namespace tw::platform {

int writeAllAt(FileOps& ops, int fd, std::string_view bytes, off_t offset) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ops.pwrite(fd, p, left, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;  // no progress: never loop for ever on a device that takes nothing
    p += n;
    offset += n;
    left -= static_cast<size_t>(n);
  }
  return 0;
}

TempFile& TempFile::operator=(TempFile&& other) noexcept {
  if (this != &other) {
    discard();
    m_folder = std::move(other.m_folder);
    m_fd = std::move(other.m_fd);
    m_name = std::exchange(other.m_name, {});
  }
  return *this;
}

int TempFile::create(FolderRef folder, const std::function<std::string()>& makeName) {
  discard();
  FileOps& ops = folder->ops();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = makeName();
    const int fd = folder->open(name, O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return errno;
    }
    m_folder = std::move(folder);
    m_fd = UniqueFd(ops, fd);
    m_name = std::move(name);
    // A file system without locks still takes the file: only a concurrent run could then
    // take it for a leftover, and its writer would find its file gone and say so.
    ops.flock(fd, LOCK_EX | LOCK_NB);
    return 0;
  }
  return EEXIST;
}

int TempFile::rename(const std::string& name) {
  if (const int errnum = m_folder->rename(m_name, *m_folder, name); errnum != 0) return errnum;
  m_name = name;
  return 0;
}

void TempFile::discard() {
  m_fd.reset();
  if (!m_name.empty() && m_folder) m_folder->remove(m_name);
  m_name.clear();
}

}  // namespace tw::platform
