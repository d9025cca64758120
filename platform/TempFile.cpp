#include "platform/TempFile.h"
#include "platform/Retry.h"

#include "platform/Attributes.h"

#include <fcntl.h>
#include <unistd.h>

#include <sys/file.h>
#include <chrono>
#include <random>

namespace tw::platform {

std::string randomCharacters(size_t count) {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 generator{
      std::random_device{}() ^
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<uint64_t>(::getpid()) << 32)};
  std::string out(count, 'x');
  for (char& c : out) c = kChars[generator() % (sizeof kChars - 1)];
  return out;
}

SysError writeAllAt(FileOps& ops, int fd, std::string_view bytes, off_t offset,
                    const std::string& path) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = retryOnInterrupt([&] { return ops.pwrite(fd, p, left, offset); });
    if (n < 0) return SysError::fromErrno("Cannot write", path);
    // No progress: never loop for ever on a device that takes nothing.
    if (n == 0) return {EIO, "Cannot write", path};
    p += n;
    offset += n;
    left -= static_cast<size_t>(n);
  }
  return {};
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

SysError TempFile::create(FolderRef folder, const std::function<std::string()>& makeName) {
  discard();
  SysError error;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = makeName();
    error = folder->open(name, O_WRONLY | O_CREAT | O_EXCL, m_fd, 0600);
    if (error.errnum() == EEXIST) continue;
    if (error.failed()) return error;
    m_folder = std::move(folder);
    m_name = std::move(name);
    // A file system without locks still takes the file: only a concurrent run could then
    // take it for a leftover, and its writer would find its file gone and say so.
    m_folder->ops().flock(m_fd.get(), LOCK_EX | LOCK_NB);
    return {};
  }
  return error;
}

SysError TempFile::write(std::string_view bytes, off_t offset) const {
  const SysError error = writeAllAt(m_folder->ops(), m_fd.get(), bytes, offset, m_name);
  return error.ok() ? error : error.as("Cannot write", path());
}

SysError TempFile::fill(std::string_view bytes, mode_t mode, const struct timespec* mtime) const {
  FileOps& ops = m_folder->ops();
  if (SysError error = write(bytes, 0); error.failed()) return error;
  if (ops.fchmod(m_fd.get(), mode) != 0) return SysError::fromErrno("Cannot write", path());
  if (mtime != nullptr) {
    if (SysError error = setModificationTime(ops, m_fd.get(), *mtime, path()); error.failed())
      return error;
  }
  if (ops.fsync(m_fd.get()) != 0) return SysError::fromErrno("Cannot write", path());
  return {};
}

SysError TempFile::close() {
  const int errnum = m_fd.close();
  return errnum == 0 ? SysError() : SysError(errnum, "Cannot write", path());
}

SysError TempFile::rename(const std::string& name) {
  if (SysError error = m_folder->rename(m_name, *m_folder, name); error.failed()) return error;
  m_name = name;
  return {};
}

void TempFile::discard() {
  m_fd.reset();
  if (!m_name.empty() && m_folder) (void)m_folder->remove(m_name);
  m_name.clear();
}

}  // namespace tw::platform
