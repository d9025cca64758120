#include "platform/FileIo.h"

#include "platform/ErrorText.h"
#include "platform/FileReplace.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

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

IoStatus writeFileAtomically(const std::string& givenPath, std::string_view bytes, FileOps& ops) {
  // A symbolic link stays a link: the file it points to is the one replaced.
  std::string path = givenPath;
  struct stat link {};
  if (ops.lstat(givenPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode) &&
      !ops.realPath(givenPath.c_str(), path)) {
    return fail("Cannot write", givenPath, errno);
  }
  // A new file gets the usual mode for a created file; an existing one keeps its mode.
  struct stat old {};
  const mode_t mode = ops.stat(path.c_str(), &old) == 0 ? old.st_mode & 07777 : newFileMode();
  // The one writer of whole files: its temporaries carry the process id, so that what a
  // killed process left can be told from what a live one is writing.
  return writeCopySafely(path, bytes, mode, nullptr, ops);
}

}  // namespace tw::platform
