#include "platform/FileIo.h"

#include "platform/ErrorText.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>

namespace tw::platform {

std::string errorText(int errnum) {
  return std::strerror(errnum);
}

void adviseLargePages(void* data, size_t size) {
#ifdef MADV_HUGEPAGE
  const uintptr_t page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const uintptr_t from = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
  const uintptr_t to = (reinterpret_cast<uintptr_t>(data) + size) & ~(page - 1);
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
  (void)data, (void)size;
#endif
}

mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

std::string backupNameOf(const std::string& path) {
  return path + ".rpf";
}

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::optional<std::string> absolutePath(const std::string& path, FileOps& ops) {
  if (path.empty()) return std::nullopt;
  if (path.front() == '/') return path;
  std::string folder;
  if (!ops.currentFolder(folder)) return std::nullopt;
  if (!folder.ends_with('/')) folder += '/';
  return folder + path;
}

bool pathExists(const std::string& path, FileOps& ops) {
  struct stat st {};
  return ops.stat(path.c_str(), &st) == 0;
}

std::string fileNameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

IoStatus readWholeFile(const std::string& path, std::string& out, FileOps& ops) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; O_NOCTTY: a terminal named here
  // must not become the process's own.
  const int fd = ops.open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0);
  if (fd < 0) return fail("Cannot open", path, errno);
  struct Closer {
    FileOps& ops;
    int fd;
    ~Closer() { ops.close(fd); }
  } closer{ops, fd};
  struct stat st {};
  if (ops.fstat(fd, &st) != 0) return fail("Cannot read", path, errno);
  if (S_ISDIR(st.st_mode)) return fail("Cannot read", path, EISDIR);
  if (!S_ISREG(st.st_mode)) {
    return IoStatus::failure("Cannot read " + quoted(path) + ": Not a regular file");
  }
  // One byte more than the file had: a file that grows while it is read is noticed at once,
  // and nothing is read past its size however long it goes on.
  const size_t size = static_cast<size_t>(st.st_size);
  out.resize(size + 1);
  size_t have = 0;
  while (have < out.size()) {
    const ssize_t n = ops.read(fd, out.data() + have, out.size() - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int errnum = errno;
      out.clear();
      return fail("Cannot read", path, errnum);
    }
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  if (have != size) {
    out.clear();
    return IoStatus::failure("Cannot read " + quoted(path) + ": it changed while it was read");
  }
  out.resize(size);
  return IoStatus::success();
}

namespace {

// The calls relative to an open folder that FileOps does not offer, made on the system
// itself. Everything else goes through FileOps, where tests can make it fail.
struct FolderCalls {
  static int createExclusive(int folderFd, const std::string& name) {
    return ::openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                    0600);
  }
  static int rename(int folderFd, const std::string& from, const std::string& to) {
    return ::renameat(folderFd, from.c_str(), folderFd, to.c_str());
  }
  static void remove(int folderFd, const std::string& name) {
    ::unlinkat(folderFd, name.c_str(), 0);
  }
};

// Longer names are cut in a temporary name, so that it stays within 255 bytes.
constexpr size_t kNameKept = 200;

// A temporary name beside `name` in the form of every temporary file of the program,
// ".<name>.twtmp-<process id>-<six characters>": what a killed process left is known by it.
std::string temporaryNameFor(const std::string& name) {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 generator{
      std::random_device{}() ^
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
  std::string temp = "." + name.substr(0, kNameKept) + ".twtmp-" + std::to_string(::getpid());
  temp += '-';
  for (int i = 0; i < 6; ++i) temp += kChars[generator() % (sizeof kChars - 1)];
  return temp;
}

// A folder open for calls relative to it, and the temporary file being written in it: the
// temporary file is removed and both are closed on every way out, unless the file was
// renamed into place.
class FolderWrite {
 public:
  FolderWrite(FileOps& ops, int folderFd) : m_ops(ops), m_folderFd(folderFd) {}
  FolderWrite(const FolderWrite&) = delete;
  FolderWrite& operator=(const FolderWrite&) = delete;
  ~FolderWrite() {
    if (m_fd >= 0) m_ops.close(m_fd);
    if (!m_temp.empty()) FolderCalls::remove(m_folderFd, m_temp);
    if (m_folderFd >= 0) m_ops.close(m_folderFd);
  }

  int folder() const { return m_folderFd; }
  int fd() const { return m_fd; }

  // 0 or errno.
  int createTemporary(const std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string temp = temporaryNameFor(name);
      m_fd = FolderCalls::createExclusive(m_folderFd, temp);
      if (m_fd >= 0) {
        m_temp = std::move(temp);
        return 0;
      }
      if (errno != EEXIST) return errno;
    }
    return EEXIST;
  }

  int write(std::string_view bytes) {
    for (size_t done = 0; done < bytes.size();) {
      const ssize_t n =
          m_ops.pwrite(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return errno;
      if (n == 0) return EIO;  // no progress: never loop for ever
      done += static_cast<size_t>(n);
    }
    return 0;
  }

  // A failed close is a failed write (NFS reports late errors here).
  int close() {
    const int fd = m_fd;
    m_fd = -1;
    return m_ops.close(fd) != 0 && errno != EINTR ? errno : 0;
  }

  int renameOver(const std::string& name) {
    if (FolderCalls::rename(m_folderFd, m_temp, name) != 0) return errno;
    m_temp.clear();
    return 0;
  }

 private:
  FileOps& m_ops;
  int m_folderFd;
  int m_fd = -1;
  std::string m_temp;
};

// Whether someone other than this process's user may put a name into the folder: a group or
// world write bit, the sticky bit of a shared folder such as /tmp, or another owner.
bool othersCanWrite(const struct stat& folder) {
  return (folder.st_mode & (S_IWGRP | S_IWOTH | S_ISVTX)) != 0 || folder.st_uid != ::geteuid();
}

// writeFileAtomically in the folder of `path`, resolved once and then used only through its
// descriptor, so that no name swapped in meanwhile redirects the write. A symbolic link as
// the target is followed once, when `followLink` is set and only this user can write the
// folder.
IoStatus writeInFolder(const std::string& path, std::string_view bytes, FileOps& ops,
                       bool followLink) {
  const std::string name = fileNameOf(path);
  if (name.empty() || name == "." || name == "..") return fail("Cannot write", path, EISDIR);
  const std::string given = folderOf(path);
  std::string folder;
  if (!ops.realPath(given.empty() ? "." : given.c_str(), folder)) {
    return fail("Cannot write", path, errno);
  }
  FolderWrite write(ops,
                    ops.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0));
  if (write.folder() < 0) return fail("Cannot write", path, errno);

  // A new file gets the usual mode for a created file; an existing one of ours keeps its mode.
  mode_t mode = newFileMode();
  struct stat old {};
  if (ops.fstatat(write.folder(), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISLNK(old.st_mode)) {
      struct stat folderStat {};
      if (ops.fstat(write.folder(), &folderStat) != 0) return fail("Cannot write", path, errno);
      if (othersCanWrite(folderStat)) {
        return IoStatus::failure(quoted(path) +
                                 " is a symbolic link in a folder others can write; it was not "
                                 "followed");
      }
      // A link of the user's own stays a link: the file it points to is the one replaced.
      if (!followLink) return fail("Cannot write", path, ELOOP);
      std::string target;
      if (!ops.realPath(path.c_str(), target)) return fail("Cannot write", path, errno);
      return writeInFolder(target, bytes, ops, false);
    }
    if (old.st_uid == ::geteuid()) mode = old.st_mode & 07777;
  } else if (errno != ENOENT) {
    return fail("Cannot write", path, errno);
  }

  int errnum = write.createTemporary(name);
  if (errnum == 0) errnum = write.write(bytes);
  if (errnum == 0 && ops.fchmod(write.fd(), mode) != 0) errnum = errno;
  if (errnum == 0 && ops.fsync(write.fd()) != 0) errnum = errno;
  if (errnum == 0) errnum = write.close();
  if (errnum == 0) errnum = write.renameOver(name);
  // The rename is on disk only once the folder is flushed; some file systems cannot flush one.
  if (errnum == 0 && ops.fsync(write.folder()) != 0 && errno != EINVAL && errno != ENOTSUP) {
    errnum = errno;
  }
  if (errnum != 0) return fail("Cannot write", path, errnum);
  return IoStatus::success();
}

}  // namespace

IoStatus writeFileAtomically(const std::string& path, std::string_view bytes, FileOps& ops) {
  return writeInFolder(path, bytes, ops, true);
}

}  // namespace tw::platform
