#include "platform/FileOps.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace tw::platform {

namespace {

// Closes descriptors on a thread of its own, in the order given. The thread starts with the
// first descriptor and lives as long as the process; what is still queued at exit is closed
// by the system. Should the thread fall behind, the caller closes: at most an eighth of the
// descriptors the process may open wait here.
class BackgroundCloser {
 public:
  void close(int fd) {
    const size_t pending = m_pending.load();
    if (pending >= kAlwaysPending && pending >= mostPending()) {
      ::close(fd);
      return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_started) {
      try {
        std::thread([this] { work(); }).detach();
        m_started = true;
      } catch (const std::system_error&) {
        lock.unlock();
        ::close(fd);  // no thread to be had: closed here and now
        return;
      }
    }
    ++m_pending;
    m_fds.push_back(fd);
    m_wake.notify_one();
  }

 private:
  // So many may always wait; the limit is asked only beyond.
  static constexpr size_t kAlwaysPending = 8;

  static size_t mostPending() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
    if (limit.rlim_cur == RLIM_INFINITY) return 256;
    return std::min<size_t>(256, static_cast<size_t>(limit.rlim_cur / 8));
  }

  [[noreturn]] void work() {
    std::vector<int> fds;
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [this] { return !m_fds.empty(); });
        fds.swap(m_fds);
      }
      for (int fd : fds) {
        ::close(fd);
        --m_pending;
      }
      fds.clear();
    }
  }

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::vector<int> m_fds;
  std::atomic<size_t> m_pending{0};  // queued or being closed
  bool m_started = false;
};

}  // namespace

int SystemFileOps::open(const char* path, int flags, mode_t mode) {
  return ::open(path, flags, mode);
}
ssize_t SystemFileOps::read(int fd, void* buffer, size_t count) {
  return ::read(fd, buffer, count);
}
ssize_t SystemFileOps::pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  return ::pwrite(fd, buffer, count, offset);
}
int SystemFileOps::fsync(int fd) {
  return ::fsync(fd);
}
int SystemFileOps::fadvise(int fd, off_t offset, off_t length, int advice) {
#ifdef POSIX_FADV_DONTNEED
  return ::posix_fadvise(fd, offset, length, advice);
#else
  (void)fd, (void)offset, (void)length, (void)advice;
  return 0;  // no such advice here: taking none is what advice allows
#endif
}
int SystemFileOps::startWriteOut(int fd, off_t offset, off_t length) {
#ifdef SYNC_FILE_RANGE_WRITE
  const int saved = errno;
  const int errnum = ::sync_file_range(fd, offset, length, SYNC_FILE_RANGE_WRITE) == 0 ? 0 : errno;
  errno = saved;
  return errnum;
#else
  (void)fd, (void)offset, (void)length;
  return 0;  // no head start here: the fsync before the swap writes everything
#endif
}
int SystemFileOps::syncfs(int fd) {
#ifdef __linux__
  return ::syncfs(fd);
#else
  (void)fd;
  ::sync();
  return 0;
#endif
}
int SystemFileOps::close(int fd) {
  return ::close(fd);
}
void SystemFileOps::closeLater(int fd) {
  // Never destroyed: the thread may still be closing while the process exits.
  static BackgroundCloser* closer = new BackgroundCloser;
  closer->close(fd);
}
int SystemFileOps::fstat(int fd, struct stat* st) {
  return ::fstat(fd, st);
}
int SystemFileOps::stat(const char* path, struct stat* st) {
  return ::stat(path, st);
}
int SystemFileOps::lstat(const char* path, struct stat* st) {
  return ::lstat(path, st);
}
int SystemFileOps::rename(const char* from, const char* to) {
  return ::rename(from, to);
}
int SystemFileOps::link(const char* from, const char* to) {
  return ::link(from, to);
}
int SystemFileOps::unlink(const char* path) {
  return ::unlink(path);
}
int SystemFileOps::ftruncate(int fd, off_t length) {
  return ::ftruncate(fd, length);
}
int SystemFileOps::fchmod(int fd, mode_t mode) {
  return ::fchmod(fd, mode);
}
int SystemFileOps::fchown(int fd, uid_t owner, gid_t group) {
  return ::fchown(fd, owner, group);
}
int SystemFileOps::futimens(int fd, const struct timespec times[2]) {
  return ::futimens(fd, times);
}
ssize_t SystemFileOps::flistxattr(int fd, char* list, size_t size) {
  return ::flistxattr(fd, list, size);
}
ssize_t SystemFileOps::fgetxattr(int fd, const char* name, void* value, size_t size) {
  return ::fgetxattr(fd, name, value, size);
}
int SystemFileOps::fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) {
  return ::fsetxattr(fd, name, value, size, flags);
}
bool SystemFileOps::realPath(const char* path, std::string& out) {
  char* resolved = ::realpath(path, nullptr);
  if (resolved == nullptr) return false;
  out = resolved;
  std::free(resolved);
  return true;
}

bool SystemFileOps::listFolder(const char* path, std::vector<std::string>& names) {
  names.clear();
  DIR* dir = ::opendir(path);
  if (dir == nullptr) return false;
  errno = 0;
  while (const struct dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
    errno = 0;
  }
  const int errnum = errno;
  ::closedir(dir);
  errno = errnum;
  return errnum == 0;
}

int SystemFileOps::openat(int folderFd, const char* name, int flags, mode_t mode) {
  return ::openat(folderFd, name, flags, mode);
}

int SystemFileOps::renameat(int fromFd, const char* from, int toFd, const char* to) {
  return ::renameat(fromFd, from, toFd, to);
}

int SystemFileOps::linkat(int fromFd, const char* from, int toFd, const char* to) {
  return ::linkat(fromFd, from, toFd, to, 0);
}

int SystemFileOps::unlinkat(int folderFd, const char* name, int flags) {
  return ::unlinkat(folderFd, name, flags);
}

int SystemFileOps::flock(int fd, int operation) {
  return ::flock(fd, operation);
}

int SystemFileOps::fstatat(int folderFd, const char* name, struct stat* st, int flags) {
  return ::fstatat(folderFd, name, st, flags);
}

bool SystemFileOps::readFolder(int folderFd, std::vector<FolderEntry>& entries) {
  entries.clear();
  // The listing reads through a copy of the descriptor, which closedir releases; the caller's
  // stays open for the calls relative to the folder.
  const int copy = ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return false;
  DIR* dir = ::fdopendir(copy);
  if (dir == nullptr) {
    const int errnum = errno;
    ::close(copy);
    errno = errnum;
    return false;
  }
  for (;;) {
    errno = 0;  // readdir tells the end from an error only through errno
    const struct dirent* entry = ::readdir(dir);
    if (entry == nullptr) break;
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    entries.push_back({name, entry->d_type});
  }
  const int errnum = errno;
  ::closedir(dir);
  errno = errnum;
  return errnum == 0;
}

bool SystemFileOps::currentFolder(std::string& out) {
  char* folder = ::getcwd(nullptr, 0);
  if (folder == nullptr) return false;
  out = folder;
  std::free(folder);
  return true;
}

FileOps& systemFileOps() {
  static SystemFileOps ops;
  return ops;
}

}  // namespace tw::platform
