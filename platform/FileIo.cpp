#include "platform/FileIo.h"

#include "platform/ErrorText.h"
#include "platform/Folder.h"
#include "platform/ReadExactly.h"
#include "platform/TempFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

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

void faultIn(void* data, size_t size) {
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  auto touch = [page](char* from, size_t length) {
    volatile char* bytes = from;
    for (size_t at = 0; at < length; at += page) bytes[at] = 0;
    if (length > 0) bytes[length - 1] = 0;
  };
  char* bytes = static_cast<char*>(data);
  // The halves meet on a large page's boundary, so that no large page is faulted twice over.
  const size_t half = (size / 2) & ~((size_t{2} << 20) - 1);
  if (half == 0) {
    touch(bytes, size);
    return;
  }
  try {
    std::thread back([&] { touch(bytes + half, size - half); });
    touch(bytes, half);
    back.join();
  } catch (const std::system_error&) {
    touch(bytes, size);  // no second thread to be had: all on this one
  }
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
  const SysError read = readExactly(ops, fd, static_cast<size_t>(st.st_size), out, path);
  if (read.ok()) return IoStatus::success();
  out.clear();
  if (read.errnum() != ESTALE) return read.status();
  return IoStatus::failure("Cannot read " + quoted(path) + ": it changed while it was read");
}

namespace {

// A temporary name beside `name` (cut, so that it stays within 255 bytes).
std::string temporaryNameFor(const std::string& name) {
  return "." + name.substr(0, 48) + ".twtmp-" + randomCharacters(8);
}

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
  FolderRef opened;
  if (SysError error = Folder::open(ops, folder, true, opened); error.failed())
    return fail("Cannot write", path, error.errnum());

  // A new file gets the usual mode for a created file; an existing one of ours keeps its mode.
  mode_t mode = newFileMode();
  struct stat old {};
  if (const SysError looked = opened->look(name, old); looked.ok()) {
    if (S_ISLNK(old.st_mode)) {
      struct stat folderStat {};
      if (ops.fstat(opened->fd(), &folderStat) != 0) return fail("Cannot write", path, errno);
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
  } else if (looked.errnum() != ENOENT) {
    return fail("Cannot write", path, looked.errnum());
  }

  TempFile temp;
  SysError error = temp.create(opened, [&] { return temporaryNameFor(name); });
  if (error.ok()) error = temp.fill(bytes, mode, nullptr);
  if (error.ok()) error = temp.close();
  if (error.ok()) error = opened->rename(temp.name(), *opened, name);
  if (error.ok()) temp.keep();
  // The rename is on disk only once the folder is flushed.
  if (error.ok()) error = opened->flush();
  if (error.failed()) return fail("Cannot write", path, error.errnum());
  return IoStatus::success();
}

}  // namespace

IoStatus writeFileAtomically(const std::string& path, std::string_view bytes, FileOps& ops) {
  return writeInFolder(path, bytes, ops, true);
}

}  // namespace tw::platform
