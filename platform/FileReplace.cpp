#include "platform/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <random>
#include <vector>

namespace tw::platform {

namespace {

constexpr const char* kTempMark = ".twtmp-";

std::string quoted(const std::string& path) {
  return "\"" + path + "\"";
}

IoStatus fail(const std::string& what, const std::string& path, int errnum) {
  return IoStatus::failure(what + " " + quoted(path) + ": " + errorText(errnum));
}

FileIdentity identityOf(const struct stat& st) {
  FileIdentity id;
  id.device = static_cast<uint64_t>(st.st_dev);
  id.inode = static_cast<uint64_t>(st.st_ino);
  id.size = static_cast<int64_t>(st.st_size);
  id.mtimeSec = static_cast<int64_t>(st.st_mtim.tv_sec);
  id.mtimeNsec = static_cast<int64_t>(st.st_mtim.tv_nsec);
  id.links = static_cast<uint64_t>(st.st_nlink);
  return id;
}

// Same file, same size, same modification time: nobody wrote to it since it was read.
bool unchangedSince(const FileIdentity& then, const struct stat& now) {
  FileIdentity id = identityOf(now);
  return then.sameFile(id) && then.size == id.size && then.mtimeSec == id.mtimeSec &&
         then.mtimeNsec == id.mtimeNsec;
}

IoStatus changedByOthers(const std::string& path) {
  return IoStatus::failure(quoted(path) +
                           " was changed by another program since it was read; it was left "
                           "as it is");
}

// Writes every byte at `offset` on; false with `errnum` set on failure.
bool writeAllAt(FileOps& ops, int fd, std::string_view bytes, off_t offset, int& errnum) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ops.pwrite(fd, p, left, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      errnum = errno;
      return false;
    }
    if (n == 0) {
      errnum = EIO;  // no progress: never loop for ever on a device that takes nothing
      return false;
    }
    p += n;
    offset += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

std::string randomSuffix() {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 generator{
      std::random_device{}() ^
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<uint64_t>(::getpid()) << 32)};
  std::string out(6, 'x');
  for (char& c : out) c = kChars[generator() % (sizeof kChars - 1)];
  return out;
}

// The name of a temporary file beside `path`. The file name is shortened so that the
// temporary name stays within the usual limit of 255 bytes for a name.
std::string tempNameBeside(const std::string& path) {
  std::string name = fileNameOf(path);
  if (name.size() > 200) name.resize(200);
  std::string temp = folderOf(path);
  temp += '.';
  temp += name;
  temp += kTempMark;
  temp += randomSuffix();
  return temp;
}

// Creates a new, empty file beside `path` (same folder) exclusively with mode 0600 and opens
// it for writing. Returns the descriptor, or -1 with `errnum` set.
int createTempBeside(FileOps& ops, const std::string& path, std::string& tempPath, int& errnum) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = tempNameBeside(path);
    int fd = ops.open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0) return fd;
    if (errno != EEXIST) {
      errnum = errno;
      return -1;
    }
  }
  errnum = EEXIST;
  return -1;
}

std::string folderToOpen(const std::string& path) {
  std::string folder = folderOf(path);
  return folder.empty() ? std::string(".") : folder;
}

// Flushes the folder entry changes (a rename, a new link) of `folder` to disk; 0 or errno.
int syncFolder(FileOps& ops, const std::string& folder) {
  int fd = ops.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return errno;
  int errnum = 0;
  if (ops.fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) errnum = errno;
  if (ops.close(fd) != 0 && errnum == 0 && errno != EINTR) errnum = errno;
  return errnum;
}

int syncFolderOf(FileOps& ops, const std::string& path, FolderFlushes* deferred) {
  std::string folder = folderToOpen(path);
  if (deferred != nullptr) {
    deferred->add(folder);
    return 0;
  }
  return syncFolder(ops, folder);
}

// A temporary file being written: removed again unless it was renamed into place.
class TempFile {
 public:
  explicit TempFile(FileOps& ops) : m_ops(ops) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { discard(); }

  bool create(const std::string& beside, int& errnum) {
    m_fd = createTempBeside(m_ops, beside, m_path, errnum);
    return m_fd >= 0;
  }
  int fd() const { return m_fd; }
  const std::string& path() const { return m_path; }

  // Closes the descriptor; a failed close is a failed write (NFS reports late errors here).
  bool close(int& errnum) {
    int fd = m_fd;
    m_fd = -1;
    if (m_ops.close(fd) != 0 && errno != EINTR) {
      errnum = errno;
      return false;
    }
    return true;
  }
  // The file now carries another name (or was removed on purpose): nothing left to clean up.
  void keep() { m_path.clear(); }
  void discard() {
    if (m_fd >= 0) m_ops.close(m_fd);
    m_fd = -1;
    if (!m_path.empty()) m_ops.unlink(m_path.c_str());
    m_path.clear();
  }

 private:
  FileOps& m_ops;
  int m_fd = -1;
  std::string m_path;
};

// A descriptor closed on every path; its close result does not matter (read only).
class ReadFd {
 public:
  ReadFd(FileOps& ops, int fd) : m_ops(ops), m_fd(fd) {}
  ReadFd(const ReadFd&) = delete;
  ReadFd& operator=(const ReadFd&) = delete;
  ~ReadFd() {
    if (m_fd >= 0) m_ops.close(m_fd);
  }
  int get() const { return m_fd; }

 private:
  FileOps& m_ops;
  int m_fd;
};

bool ignorableAttributeError(int errnum) {
  return errnum == EPERM || errnum == EACCES || errnum == ENOTSUP || errnum == EOPNOTSUPP ||
         errnum == ENODATA;
}

// Copies the extended attributes of `from` to `to` where this process may set them.
bool copyExtendedAttributes(FileOps& ops, int from, int to, int& errnum) {
  ssize_t size = ops.flistxattr(from, nullptr, 0);
  if (size < 0) {
    if (errno == ENOTSUP || errno == EOPNOTSUPP) return true;
    errnum = errno;
    return false;
  }
  if (size == 0) return true;
  std::vector<char> names(static_cast<size_t>(size));
  size = ops.flistxattr(from, names.data(), names.size());
  if (size < 0) {
    errnum = errno;
    return false;
  }
  std::vector<char> value;
  for (size_t at = 0; at < static_cast<size_t>(size);) {
    const char* name = names.data() + at;
    at += std::strlen(name) + 1;
    ssize_t length = ops.fgetxattr(from, name, nullptr, 0);
    if (length < 0) {
      if (ignorableAttributeError(errno)) continue;
      errnum = errno;
      return false;
    }
    value.resize(static_cast<size_t>(length));
    length = ops.fgetxattr(from, name, value.data(), value.size());
    if (length < 0) {
      if (ignorableAttributeError(errno)) continue;
      errnum = errno;
      return false;
    }
    if (ops.fsetxattr(to, name, value.data(), static_cast<size_t>(length), 0) != 0) {
      if (ignorableAttributeError(errno)) continue;
      errnum = errno;
      return false;
    }
  }
  return true;
}

mode_t currentUmask() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// Gives the new file `fd` the owner, group, mode and extended attributes of the old file
// (`old`, open as `oldFd`). Where the owner or group cannot be given, setuid or setgid is
// dropped so that nobody gains rights. Without `keep`, the file gets the mode of a new file,
// but never grants others more than the old file did.
bool applyAttributes(FileOps& ops, int fd, int oldFd, const struct stat& old, bool keep,
                     int& errnum) {
  mode_t mode = old.st_mode & 07777;
  if (!keep) {
    mode = (0666 & ~currentUmask()) & ((old.st_mode & 0777) | 0700);
    if (ops.fchmod(fd, mode) != 0) {
      errnum = errno;
      return false;
    }
    return true;
  }
  if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
    if (ops.fchown(fd, old.st_uid, old.st_gid) != 0) {
      if (errno != EPERM) {
        errnum = errno;
        return false;
      }
      mode &= static_cast<mode_t>(~S_ISUID);
      // The group alone may still be ours to give.
      if (ops.fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        if (errno != EPERM) {
          errnum = errno;
          return false;
        }
        mode &= static_cast<mode_t>(~S_ISGID);
      }
    }
  }
  if (ops.fchmod(fd, mode) != 0) {
    errnum = errno;
    return false;
  }
  return copyExtendedAttributes(ops, oldFd, fd, errnum);
}

bool setModificationTime(FileOps& ops, int fd, const FileIdentity& id, int& errnum) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(id.mtimeSec);
  times[1].tv_nsec = static_cast<long>(id.mtimeNsec);
  if (ops.futimens(fd, times) != 0) {
    errnum = errno;
    return false;
  }
  return true;
}

// Writes `bytes` under `path` through a flushed temporary file renamed into place, then
// flushes the folder; 0 or errno. Nothing is left behind on failure.
int writeCopy(FileOps& ops, const std::string& path, std::string_view bytes, mode_t mode,
              const struct timespec* mtime) {
  TempFile temp(ops);
  int errnum = 0;
  if (!temp.create(path, errnum)) return errnum;
  if (!writeAllAt(ops, temp.fd(), bytes, 0, errnum)) return errnum;
  if (ops.fchmod(temp.fd(), mode) != 0) return errno;
  if (mtime != nullptr) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1] = *mtime;
    if (ops.futimens(temp.fd(), times) != 0) return errno;
  }
  if (ops.fsync(temp.fd()) != 0) return errno;
  if (!temp.close(errnum)) return errnum;
  if (ops.rename(temp.path().c_str(), path.c_str()) != 0) return errno;
  temp.keep();
  return syncFolder(ops, folderToOpen(path));
}

// Makes "<listed path>.rpf" hold `content`, the old content of the file behind `file`.
// A hard link to the old file where the file system allows it and the file is about to be
// replaced by a rename (`mayLink`); else a copy written the safe way, with the old mode and
// date. Either way the backup is complete on disk before this returns success.
IoStatus makeBackup(FileOps& ops, const LoadedFile& file, const struct stat& old, bool mayLink,
                    bool flush) {
  const std::string backup = file.listedPath + ".rpf";
  struct stat existing {};
  if (ops.stat(backup.c_str(), &existing) == 0 &&
      static_cast<uint64_t>(existing.st_dev) == file.identity.device &&
      static_cast<uint64_t>(existing.st_ino) == file.identity.inode) {
    // The backup's name leads to the file itself (through a link): writing the backup
    // would overwrite the very file, and the swap would then destroy the backup.
    std::string real;
    if (!ops.realPath(backup.c_str(), real) || real == file.resolvedPath) {
      return IoStatus::failure("Cannot create the backup " + quoted(backup) +
                               ": it is the file itself");
    }
  }
  if (mayLink) {
    std::string temp;
    for (int attempt = 0; attempt < 100; ++attempt) {
      temp = tempNameBeside(backup);
      if (ops.link(file.resolvedPath.c_str(), temp.c_str()) == 0) break;
      if (errno != EEXIST) {
        temp.clear();
        break;
      }
      temp.clear();
    }
    if (!temp.empty()) {
      if (ops.rename(temp.c_str(), backup.c_str()) != 0) {
        int errnum = errno;
        ops.unlink(temp.c_str());
        return fail("Cannot create the backup", backup, errnum);
      }
      if (!flush) return IoStatus::success();
      if (int errnum = syncFolder(ops, folderToOpen(backup)); errnum != 0) {
        return fail("Cannot create the backup", backup, errnum);
      }
      return IoStatus::success();
    }
    // No hard link here (another file system, a file system without links, not allowed):
    // a copy does the same.
  }
  struct timespec mtime = old.st_mtim;
  if (int errnum = writeCopy(ops, backup, file.content, old.st_mode & 0777, &mtime); errnum != 0) {
    return fail("Cannot create the backup", backup, errnum);
  }
  return IoStatus::success();
}

// The file has more than one hard link: the links must stay one file, so its content is
// rewritten in place. A complete copy of the old content is on disk first (the backup, or a
// temporary copy removed afterwards), and a failed write puts the old content back.
IoStatus rewriteInPlace(FileOps& ops, const LoadedFile& file, std::string_view newContent,
                        const WriteBackOptions& options, const struct stat& old) {
  const std::string& path = file.listedPath;
  std::string copyPath;
  if (options.createBackup) {
    IoStatus backedUp = makeBackup(ops, file, old, false, true);
    if (!backedUp) return backedUp;
    copyPath = file.listedPath + ".rpf";
  } else {
    copyPath = tempNameBeside(file.resolvedPath);
    struct timespec mtime = old.st_mtim;
    if (int errnum = writeCopy(ops, copyPath, file.content, 0600, &mtime); errnum != 0) {
      ops.unlink(copyPath.c_str());  // it may have got its name before the folder flush failed
      return fail("Cannot write", path, errnum);
    }
  }
  // Removes the temporary copy; 0 or errno.
  auto dropCopy = [&]() -> int {
    if (options.createBackup) return 0;
    if (ops.unlink(copyPath.c_str()) != 0) return errno;
    syncFolder(ops, folderToOpen(copyPath));
    return 0;
  };

  int fd = ops.open(file.resolvedPath.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0);
  if (fd < 0) {
    int errnum = errno;
    dropCopy();
    return fail("Cannot write", path, errnum);
  }
  struct stat now {};
  if (ops.fstat(fd, &now) != 0) {
    int errnum = errno;
    ops.close(fd);
    dropCopy();
    return fail("Cannot write", path, errnum);
  }
  if (!unchangedSince(file.identity, now)) {
    ops.close(fd);
    dropCopy();
    return changedByOthers(path);
  }

  int errnum = 0;
  bool ok =
      writeAllAt(ops, fd, newContent, 0, errnum) &&
      (ops.ftruncate(fd, static_cast<off_t>(newContent.size())) == 0 || (errnum = errno, false));
  if (ok && options.keepAttributes && (old.st_mode & (S_ISUID | S_ISGID)) != 0) {
    // A write by the owner may have cleared setuid and setgid; give them back where allowed.
    if (ops.fchmod(fd, old.st_mode & 07777) != 0 && errno != EPERM) ok = (errnum = errno, false);
  }
  if (ok && options.keepDate) ok = setModificationTime(ops, fd, file.identity, errnum);
  if (ok && ops.fsync(fd) != 0) ok = (errnum = errno, false);
  if (ok) {
    int closed = ops.close(fd);
    fd = -1;
    if (closed != 0 && errno != EINTR) ok = (errnum = errno, false);
  }
  if (ok) {
    if (int errnum2 = dropCopy(); errnum2 != 0) {
      return IoStatus::failure(quoted(path) + " was written, but its temporary copy " +
                               quoted(copyPath) + " could not be removed: " + errorText(errnum2));
    }
    return IoStatus::success();
  }

  // Put the old content back; if that fails too, the copy is all that holds it now.
  bool restored = false;
  if (fd < 0) fd = ops.open(file.resolvedPath.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0);
  if (fd >= 0) {
    int ignored = 0;
    restored = writeAllAt(ops, fd, file.content, 0, ignored) &&
               ops.ftruncate(fd, static_cast<off_t>(file.content.size())) == 0 &&
               setModificationTime(ops, fd, file.identity, ignored) && ops.fsync(fd) == 0;
    if (ops.close(fd) != 0) restored = false;
  }
  IoStatus failure = fail("Cannot write", path, errnum);
  if (restored) {
    dropCopy();
    return failure;
  }
  failure.error += "; its old content is kept in " + quoted(copyPath);
  return failure;
}

// Everything of a swap up to a complete temporary file beside the file (and the backup):
// the file is not touched yet. With `flush` the temporary file and the backup's folder are
// flushed to disk here; without, the caller flushes them before finishSwap. A file with
// several hard links is rewritten in place instead; then `done` is set and the result is
// that of the whole write.
IoStatus prepareSwap(FileOps& ops, const LoadedFile& file, std::string_view newContent,
                     const WriteBackOptions& options, bool flush, PreparedSwap& swap, bool& done) {
  const std::string& path = file.listedPath;
  const std::string& real = file.resolvedPath.empty() ? file.listedPath : file.resolvedPath;

  // The old file, as it is now: it must still be the one that was read.
  int oldFd = ops.open(real.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0);
  if (oldFd < 0) {
    if (errno == ENOENT || errno == ELOOP) return changedByOthers(path);
    return fail("Cannot write", path, errno);
  }
  ReadFd oldGuard(ops, oldFd);
  struct stat old {};
  if (ops.fstat(oldFd, &old) != 0) return fail("Cannot write", path, errno);
  if (!unchangedSince(file.identity, old)) return changedByOthers(path);

  if (old.st_nlink > 1) {
    done = true;
    return rewriteInPlace(ops, file, newContent, options, old);
  }

  if (options.createBackup) {
    IoStatus backedUp = makeBackup(ops, file, old, true, flush);
    if (!backedUp) return backedUp;
  }

  TempFile temp(ops);
  int errnum = 0;
  if (!temp.create(real, errnum)) return fail("Cannot write", path, errnum);
  if (!writeAllAt(ops, temp.fd(), newContent, 0, errnum) ||
      !applyAttributes(ops, temp.fd(), oldFd, old, options.keepAttributes, errnum) ||
      (options.keepDate && !setModificationTime(ops, temp.fd(), file.identity, errnum))) {
    return fail("Cannot write", path, errnum);
  }
  if (flush && ops.fsync(temp.fd()) != 0) return fail("Cannot write", path, errno);
  if (!temp.close(errnum)) return fail("Cannot write", path, errnum);
  swap.listedPath = path;
  swap.real = real;
  swap.temp = temp.path();
  swap.identity = file.identity;
  temp.keep();
  return IoStatus::success();
}

// Renames the complete temporary file over the file, unless another program changed the
// file meanwhile (its change wins). On failure the temporary file is removed.
IoStatus finishSwap(FileOps& ops, const PreparedSwap& swap) {
  auto abandon = [&](IoStatus status) {
    ops.unlink(swap.temp.c_str());
    return status;
  };
  struct stat now {};
  if (ops.stat(swap.real.c_str(), &now) != 0) {
    if (errno == ENOENT) return abandon(changedByOthers(swap.listedPath));
    return abandon(fail("Cannot write", swap.listedPath, errno));
  }
  if (!unchangedSince(swap.identity, now)) return abandon(changedByOthers(swap.listedPath));
  if (ops.rename(swap.temp.c_str(), swap.real.c_str()) != 0) {
    return abandon(fail("Cannot write", swap.listedPath, errno));
  }
  return IoStatus::success();
}

}  // namespace

IoStatus FolderFlushes::flush(FileOps& ops) {
  IoStatus result = IoStatus::success();
  for (const std::string& folder : m_folders) {
    int errnum = syncFolder(ops, folder);
    if (errnum != 0 && result) result = fail("Cannot flush the folder", folder, errnum);
  }
  m_folders.clear();
  return result;
}

bool isTemporaryName(const std::string& fileName) {
  size_t mark = fileName.rfind(kTempMark);
  return !fileName.empty() && fileName[0] == '.' && mark != std::string::npos &&
         mark + std::strlen(kTempMark) + 6 == fileName.size();
}

IoStatus writeCopySafely(const std::string& path, std::string_view bytes, mode_t mode,
                         const struct timespec* mtime, FileOps& ops) {
  if (int errnum = writeCopy(ops, path, bytes, mode, mtime); errnum != 0) {
    return fail("Cannot write", path, errnum);
  }
  return IoStatus::success();
}

LoadResult loadFile(const std::string& listedPath, LoadedFile& out, std::string& error) {
  return loadFile(listedPath, out, error, systemFileOps());
}

LoadResult loadFile(const std::string& listedPath, LoadedFile& out, std::string& error,
                    FileOps& ops) {
  out = LoadedFile{};
  out.listedPath = listedPath;
  error.clear();
  auto failed = [&](const char* what, int errnum) {
    error = fail(what, listedPath, errnum).error;
    return LoadResult::Failed;
  };

  // O_NONBLOCK: opening a FIFO or a device must not hang the run.
  int fd = ops.open(listedPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0);
  if (fd < 0) {
    if (errno == ENOENT) return LoadResult::Missing;
    return failed("Cannot open", errno);
  }
  ReadFd guard(ops, fd);
  struct stat st {};
  if (ops.fstat(fd, &st) != 0) return failed("Cannot read", errno);
  if (S_ISDIR(st.st_mode)) return failed("Cannot read", EISDIR);
  if (!S_ISREG(st.st_mode)) {
    error = "Cannot read " + quoted(listedPath) + ": Not a regular file";
    return LoadResult::Failed;
  }
  out.identity = identityOf(st);
  if (!ops.realPath(listedPath.c_str(), out.resolvedPath)) return failed("Cannot open", errno);
  if (st.st_size == 0) return LoadResult::Empty;

  out.content.resize(static_cast<size_t>(st.st_size));
  size_t have = 0;
  for (;;) {
    if (have == out.content.size()) {
      // A file that grew since fstat: read on, the change check of writeBack will see it.
      out.content.resize(have + 65536);
    }
    ssize_t n = ops.read(fd, out.content.data() + have, out.content.size() - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      int errnum = errno;
      out.content.clear();
      return failed("Cannot read", errnum);
    }
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  out.content.resize(have);
  if (static_cast<int64_t>(have) != out.identity.size) {
    out.content.clear();
    error = "Cannot read " + quoted(listedPath) + ": it changed while it was read";
    return LoadResult::Failed;
  }
  return have == 0 ? LoadResult::Empty : LoadResult::Loaded;
}

IoStatus writeBack(const LoadedFile& file, std::string_view newContent,
                   const WriteBackOptions& options) {
  return writeBack(file, newContent, options, systemFileOps());
}

IoStatus writeBack(const LoadedFile& file, std::string_view newContent,
                   const WriteBackOptions& options, FileOps& ops) {
  PreparedSwap swap;
  bool done = false;
  IoStatus prepared = prepareSwap(ops, file, newContent, options, true, swap, done);
  if (!prepared || done) return prepared;
  if (IoStatus swapped = finishSwap(ops, swap); !swapped) return swapped;
  if (int flushError = syncFolderOf(ops, swap.real, options.deferredFlushes); flushError != 0) {
    return IoStatus::failure(
        quoted(file.listedPath) +
        " was written, but its folder could not be flushed to disk: " + errorText(flushError));
  }
  return IoStatus::success();
}

WriteBackBatch::WriteBackBatch(const WriteBackOptions& options, FileOps& ops)
    : m_options(options), m_ops(ops) {
  m_options.deferredFlushes = nullptr;
}

WriteBackBatch::~WriteBackBatch() {
  for (const PreparedSwap& swap : m_staged) m_ops.unlink(swap.temp.c_str());
  for (const auto& [device, fd] : m_deviceFds) m_ops.close(fd);
}

IoStatus WriteBackBatch::add(const LoadedFile& file, std::string_view newContent) {
  PreparedSwap swap;
  bool done = false;
  IoStatus prepared = prepareSwap(m_ops, file, newContent, m_options, false, swap, done);
  if (!prepared || done) return prepared;
  if (m_deviceFds.find(swap.identity.device) == m_deviceFds.end()) {
    // Kept open from now on, so that a write error of the file system after this point is
    // reported by the flush of commit().
    int fd = m_ops.open(folderToOpen(swap.real).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) {
      int errnum = errno;
      m_ops.unlink(swap.temp.c_str());
      return fail("Cannot write", file.listedPath, errnum);
    }
    m_deviceFds.emplace(swap.identity.device, fd);
  }
  m_staged.push_back(std::move(swap));
  return IoStatus::success();
}

std::vector<WriteBackBatch::Outcome> WriteBackBatch::commit() {
  std::vector<PreparedSwap> staged = std::move(m_staged);
  m_staged.clear();
  std::vector<Outcome> outcomes;
  outcomes.reserve(staged.size());

  // The new contents and the backups, on disk before any name changes.
  std::map<uint64_t, int> flushErrors;
  for (const auto& [device, fd] : m_deviceFds) {
    if (m_ops.syncfs(fd) != 0) flushErrors[device] = errno;
  }
  std::vector<const PreparedSwap*> swapped;
  for (PreparedSwap& swap : staged) {
    auto failed = flushErrors.find(swap.identity.device);
    if (failed != flushErrors.end()) {
      m_ops.unlink(swap.temp.c_str());
      outcomes.push_back({swap.listedPath, fail("Cannot write", swap.listedPath, failed->second)});
      continue;
    }
    outcomes.push_back({swap.listedPath, finishSwap(m_ops, swap)});
    if (outcomes.back().status) swapped.push_back(&swap);
  }

  // The swaps themselves, on disk before the files are reported written.
  std::map<uint64_t, int> swapErrors;
  for (const auto& [device, fd] : m_deviceFds) {
    if (m_ops.syncfs(fd) != 0) swapErrors[device] = errno;
    m_ops.close(fd);
  }
  m_deviceFds.clear();
  for (Outcome& outcome : outcomes) {
    if (!outcome.status) continue;
    for (const PreparedSwap* swap : swapped) {
      if (swap->listedPath != outcome.listedPath) continue;
      auto failed = swapErrors.find(swap->identity.device);
      if (failed != swapErrors.end()) {
        outcome.status = IoStatus::failure(
            quoted(outcome.listedPath) +
            " was written, but it could not be flushed to disk: " + errorText(failed->second));
      }
      break;
    }
  }
  return outcomes;
}

}  // namespace tw::platform
