#include "platform/FileIo.h"

#include "platform/ErrorText.h"
#include "platform/Folder.h"
#include "platform/TempFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
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
  FolderRef folder;
  if (SysError opened = Folder::open(ops, folderOf(path), false, folder); opened.failed())
    return fail("Cannot write", givenPath, opened.errnum());
  const std::string name = fileNameOf(path);
  TempFile temp;
  const auto tempName = [&] {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    return "." + name.substr(0, 48) + ".twtmp-" + std::to_string(random() % 1000000000);
  };
  int errnum = temp.create(folder, tempName);
  if (errnum == 0) errnum = writeAllAt(ops, temp.fd(), bytes, 0);
  if (errnum == 0 && ops.fchmod(temp.fd(), mode) != 0) errnum = errno;
  if (errnum == 0 && ops.fsync(temp.fd()) != 0) errnum = errno;
  if (errnum == 0) errnum = temp.close();
  if (errnum == 0) errnum = folder->rename(temp.name(), *folder, name);
  if (errnum != 0) return fail("Cannot write", path, errnum);
  temp.keep();
  if (const int flushed = folder->flush(); flushed != 0) return fail("Cannot write", path, flushed);
  return IoStatus::success();
}

}  // namespace tw::platform
