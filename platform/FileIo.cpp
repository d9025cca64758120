#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tw::platform {

namespace {

// Closes a descriptor once; a failed close is reported by the caller that cares.
class Fd {
 public:
  explicit Fd(int fd) : m_fd(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  int get() const { return m_fd; }
  int release() {
    int fd = m_fd;
    m_fd = -1;
    return fd;
  }

 private:
  int m_fd;
};

IoStatus fail(const std::string& what, const std::string& path, int errnum) {
  return IoStatus::failure(what + " \"" + path + "\": " + errorText(errnum));
}

bool writeAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

void syncFolder(const std::string& path) {
  const std::string folder = folderOf(path);
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

std::string errorText(int errnum) {
  return std::strerror(errnum);
}

std::string backupNameOf(const std::string& path) {
  return path + ".rpf";
}

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string fileNameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

IoStatus readWholeFile(const std::string& path, std::string& out, FileOps& ops) {
  const int fd = ops.open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return fail("Cannot open", path, errno);
  struct Closer {
    FileOps& ops;
    int fd;
    ~Closer() { ops.close(fd); }
  } closer{ops, fd};
  struct stat st {};
  if (ops.fstat(fd, &st) != 0) return fail("Cannot read", path, errno);
  if (S_ISDIR(st.st_mode)) return fail("Cannot read", path, EISDIR);
  out.clear();
  if (st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ops.read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("Cannot read", path, errno);
    }
    if (n == 0) break;
    out.append(buffer, static_cast<size_t>(n));
  }
  return IoStatus::success();
}

IoStatus writeFileAtomically(const std::string& givenPath, std::string_view bytes) {
  // A symbolic link stays a link: the file it points to is the one replaced.
  std::string path = givenPath;
  struct stat link {};
  if (::lstat(givenPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    char* resolved = ::realpath(givenPath.c_str(), nullptr);
    if (resolved == nullptr) return fail("Cannot write", givenPath, errno);
    path = resolved;
    std::free(resolved);
  }
  std::string folder = folderOf(path);
  std::string temp = folder + "." + fileNameOf(path) + ".twtmp-XXXXXX";
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return fail("Cannot create", path, errno);

  // A new file gets the usual mode for a created file; an existing one keeps its mode.
  struct stat old {};
  mode_t mode;
  if (::stat(path.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  auto abandon = [&](const char* what, int errnum) {
    ::close(fd.release());
    ::unlink(temp.c_str());
    return fail(what, path, errnum);
  };
  if (!writeAll(fd.get(), bytes)) return abandon("Cannot write", errno);
  if (::fchmod(fd.get(), mode) != 0) return abandon("Cannot write", errno);
  if (::fsync(fd.get()) != 0) return abandon("Cannot write", errno);
  if (::close(fd.release()) != 0) {
    int errnum = errno;
    ::unlink(temp.c_str());
    return fail("Cannot write", path, errnum);
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    int errnum = errno;
    ::unlink(temp.c_str());
    return fail("Cannot write", path, errnum);
  }
  syncFolder(path);
  return IoStatus::success();
}

}  // namespace tw::platform
