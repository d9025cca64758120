#include "platform/FileReplace.h"

#include "platform/ErrorText.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <vector>

namespace tw::platform {

namespace {

// Leftovers keeps the listings of this many folders at most.
constexpr size_t kFoldersKept = 64;

// A commit of at most this many files flushes each file and folder on its own: about 0.6 ms
// per file here, against a flush of the file system that also writes out whatever other
// programs left unsaved.
constexpr size_t kFewFiles = 8;
// Staged files whose old file is held open until its swap, at most (see closeLater).
constexpr size_t kMostHeld = 1024;

// Files beside a listed file while it is being written. Each name holds the listed file's
// name and the writing process's id, so that a later run can tell whose it is and whether
// its process is gone: ".<name>.twtmp-<pid>-<random>".
constexpr const char* kTempMark = ".twtmp-";    // the new content, not yet renamed into place
constexpr const char* kBackupMark = ".twbak-";  // the old content, about to become "<name>.rpf"
constexpr const char* kOldMark = ".twold-";     // the old content of a file rewritten in place
constexpr size_t kNameKept = 200;  // longer names are cut, so a temporary name stays short

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

// This process's id, asked once (and again in a child after a fork).
pid_t ownPid() {
  static std::atomic<pid_t> cached{0};
  static const bool resetInChild = [] {
    ::pthread_atfork(nullptr, nullptr, [] { cached.store(0); });
    return true;
  }();
  (void)resetInChild;
  pid_t pid = cached.load();
  if (pid == 0) {
    pid = ::getpid();
    cached.store(pid);
  }
  return pid;
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
std::string tempNameBeside(const std::string& path, const char* mark = kTempMark) {
  std::string name = fileNameOf(path);
  if (name.size() > kNameKept) name.resize(kNameKept);
  std::string temp = folderOf(path);
  temp += '.';
  temp += name;
  temp += mark;
  temp += std::to_string(ownPid());
  temp += '-';
  temp += randomSuffix();
  return temp;
}

// Creates a new, empty file beside `path` (same folder) exclusively with mode 0600 and opens
// it for writing. Returns the descriptor, or -1 with `errnum` set.
int createTempBeside(FileOps& ops, const std::string& path, std::string& tempPath, int& errnum,
                     const char* mark = kTempMark) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = tempNameBeside(path, mark);
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

// A temporary file being written: removed again unless it was renamed into place.
class TempFile {
 public:
  explicit TempFile(FileOps& ops) : m_ops(ops) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { discard(); }

  bool create(const std::string& beside, int& errnum, const char* mark = kTempMark) {
    m_fd = createTempBeside(m_ops, beside, m_path, errnum, mark);
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

// Gives the new file `fd` the owner, group, mode and extended attributes of the old file
// (`old`, open as `oldFd`). Where the owner or group cannot be given, setuid or setgid is
// dropped so that nobody gains rights. Without `keep`, the file gets the mode of a new file,
// but never grants others more than the old file did.
bool applyAttributes(FileOps& ops, int fd, int oldFd, const struct stat& old, bool keep, uid_t uid,
                     gid_t gid, int& errnum) {
  mode_t mode = old.st_mode & 07777;
  if (!keep) {
    mode = newFileMode() & ((old.st_mode & 0777) | 0700);
    if (ops.fchmod(fd, mode) != 0) {
      errnum = errno;
      return false;
    }
    return true;
  }
  if (old.st_uid != uid || old.st_gid != gid) {
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

// Refuses a backup whose name leads to the file itself (a symbolic link to it): writing the
// backup would overwrite the very file, and the swap would then destroy the backup.
// `exists`: an older backup is there.
IoStatus checkBackupName(FileOps& ops, const FileFacts& file, bool& exists) {
  const std::string backup = backupNameOf(file.listedPath);
  struct stat existing {};
  exists = ops.stat(backup.c_str(), &existing) == 0;
  if (exists && static_cast<uint64_t>(existing.st_dev) == file.identity.device &&
      static_cast<uint64_t>(existing.st_ino) == file.identity.inode) {
    std::string real;
    if (!ops.realPath(backup.c_str(), real) || real == file.resolvedPath) {
      return IoStatus::failure("Cannot create the backup " + quoted(backup) +
                               ": it is the file itself");
    }
  }
  return IoStatus::success();
}

// Writes `bytes` to a new file beside `beside`, with `mode` and the date `mtime`, flushed to
// disk, and only then gives it a name with `mark`: a file so named is always complete (one
// that is still being written has the mark of new content, which a later run just removes).
// Its name goes to `copyPath`. 0 or errno; nothing left on failure.
int writeMarkedCopy(FileOps& ops, const std::string& beside, const char* mark,
                    std::string_view bytes, mode_t mode, const struct timespec& mtime,
                    std::string& copyPath) {
  TempFile temp(ops);
  int errnum = 0;
  if (!temp.create(beside, errnum)) return errnum;
  if (!writeAllAt(ops, temp.fd(), bytes, 0, errnum)) return errnum;
  if (ops.fchmod(temp.fd(), mode) != 0) return errno;
  struct timespec times[2] = {{0, UTIME_OMIT}, mtime};
  if (ops.futimens(temp.fd(), times) != 0) return errno;
  if (ops.fsync(temp.fd()) != 0) return errno;
  if (!temp.close(errnum)) return errnum;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = tempNameBeside(beside, mark);
    struct stat taken {};
    if (ops.lstat(name.c_str(), &taken) == 0) continue;
    if (ops.rename(temp.path().c_str(), name.c_str()) != 0) return errno;
    temp.keep();
    copyPath = name;
    return 0;
  }
  return EEXIST;
}

// Reads every byte of the file `path`; 0 or errno.
int readAll(FileOps& ops, const std::string& path, std::string& out) {
  int fd = ops.open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);
  if (fd < 0) return errno;
  ReadFd guard(ops, fd);
  out.clear();
  char buffer[65536];
  for (;;) {
    ssize_t n = ops.read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    out.append(buffer, static_cast<size_t>(n));
  }
}

// Gives the pending backup `pending` (the old content, on disk) the backup's name. A backup
// that already is that very file (a hard link left by an older version) only loses the
// pending name. 0 or errno.
int settleBackup(FileOps& ops, const std::string& pending, const std::string& backup) {
  if (ops.rename(pending.c_str(), backup.c_str()) != 0) return errno;
  // Both names for one file: the rename did nothing, and the pending name goes.
  struct stat left {};
  if (ops.lstat(pending.c_str(), &left) == 0) return ops.unlink(pending.c_str()) == 0 ? 0 : errno;
  return 0;
}

// Holds the file `path` (not opened for reading: a reference only) so that, once it has lost
// its name, closeLater frees it beside the caller's next work; -1 when it cannot be held.
int holdForFreeing(FileOps& ops, const std::string& path) {
#ifdef O_PATH
  return ops.open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC, 0);
#else
  (void)ops;
  (void)path;
  return -1;  // opening it could have effects of its own (a device, a pipe)
#endif
}

void releaseHeld(FileOps& ops, int fd) {
  if (fd >= 0) ops.closeLater(fd);
}

// Removes an older backup of a file changed with backups off, so that a later restore cannot
// roll the file back past this change. 0 or errno.
int dropOlderBackup(FileOps& ops, const std::string& backup) {
  struct stat st {};
  if (ops.lstat(backup.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
  if (!S_ISREG(st.st_mode)) return 0;  // not ours to remove
  const int held = holdForFreeing(ops, backup);
  const int errnum = ops.unlink(backup.c_str()) == 0 || errno == ENOENT ? 0 : errno;
  releaseHeld(ops, held);
  return errnum;
}

// Opens `path` for writing in place. A read-only file of our own is made writable for the
// owner meanwhile (`madeWritable`); its mode is given back after the write.
int openForRewrite(FileOps& ops, const std::string& path, const struct stat& old,
                   bool& madeWritable) {
  madeWritable = false;
  int fd = ops.open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0);
  if (fd >= 0 || errno != EACCES || old.st_uid != ::geteuid()) return fd;
  int errnum = errno;
  int readFd = ops.open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0);
  if (readFd < 0) {
    errno = errnum;
    return -1;
  }
  const bool changed = ops.fchmod(readFd, (old.st_mode & 07777) | S_IWUSR) == 0;
  ops.close(readFd);
  if (!changed) {
    errno = errnum;
    return -1;
  }
  madeWritable = true;
  fd = ops.open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0);
  return fd;
}

// Writes `bytes` over the file open as `fd` and cuts it to their length, gives back the mode
// when asked and the date `mtime` when given, and flushes it. 0 or errno.
int overwrite(FileOps& ops, int fd, std::string_view bytes, const mode_t* mode,
              const struct timespec* mtime) {
  int errnum = 0;
  if (!writeAllAt(ops, fd, bytes, 0, errnum)) return errnum;
  if (ops.ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) return errno;
  if (mode != nullptr && ops.fchmod(fd, *mode) != 0 && errno != EPERM) return errno;
  if (mtime != nullptr) {
    // Only the owner may set a date: someone else's file takes the date of the write.
    struct timespec times[2] = {{0, UTIME_OMIT}, *mtime};
    if (ops.futimens(fd, times) != 0 && errno != EPERM) return errno;
  }
  if (ops.fsync(fd) != 0) return errno;
  return 0;
}

// The file has more than one hard link, or is not ours to replace through its folder: its
// content is rewritten in place, so that its links stay one file and its owner stays. That
// cannot be one atomic step, so a complete copy of the old content is on disk first, named
// ".<name>.twold-<pid>-..." beside it: should the process die while the file is torn, the
// next run, restore or delete puts the old content back from that copy. Afterwards the copy
// becomes the backup, or is removed when backups are off.
IoStatus rewriteInPlace(FileOps& ops, const FileFacts& file, std::string_view oldContent,
                        std::string_view newContent, const WriteBackOptions& options,
                        const struct stat& old) {
  const std::string& path = file.listedPath;
  const std::string& real = file.resolvedPath.empty() ? file.listedPath : file.resolvedPath;
  const std::string backup = backupNameOf(path);
  if (options.createBackup) {
    bool older = false;
    if (IoStatus usable = checkBackupName(ops, file, older); !usable) return usable;
  }
  std::string copyPath;
  // The copy is the backup to be: a failure to make it is a failure to make the backup.
  auto copyFailed = [&](int errnum) {
    return options.createBackup ? fail("Cannot create the backup", backup, errnum)
                                : fail("Cannot write", path, errnum);
  };
  if (int errnum = writeMarkedCopy(ops, real, kOldMark, oldContent, old.st_mode & 0777, old.st_mtim,
                                   copyPath);
      errnum != 0) {
    return copyFailed(errnum);
  }
  if (int errnum = syncFolder(ops, folderToOpen(real)); errnum != 0) {
    ops.unlink(copyPath.c_str());
    return copyFailed(errnum);
  }
  auto dropCopy = [&]() {
    ops.unlink(copyPath.c_str());
    syncFolder(ops, folderToOpen(copyPath));
  };

  bool madeWritable = false;
  int fd = openForRewrite(ops, real, old, madeWritable);
  if (fd < 0) {
    int errnum = errno;
    dropCopy();
    return fail("Cannot write", path, errnum);
  }
  const mode_t oldMode = old.st_mode & 07777;
  // Gives a mode made writable back; used on the paths that end without a write.
  auto giveModeBack = [&]() {
    if (madeWritable) ops.fchmod(fd, oldMode);
  };
  struct stat now {};
  if (ops.fstat(fd, &now) != 0) {
    int errnum = errno;
    giveModeBack();
    ops.close(fd);
    dropCopy();
    return fail("Cannot write", path, errnum);
  }
  if (!unchangedSince(file.identity, now)) {
    giveModeBack();
    ops.close(fd);
    dropCopy();
    return changedByOthers(path);
  }

  // A write by the owner may clear setuid and setgid; the mode is given back where allowed.
  const bool restoreMode =
      madeWritable || (options.keepAttributes && (old.st_mode & (S_ISUID | S_ISGID)) != 0);
  struct timespec oldTime = old.st_mtim;
  int errnum = overwrite(ops, fd, newContent, restoreMode ? &oldMode : nullptr,
                         options.keepDate ? &oldTime : nullptr);
  if (errnum == 0) {
    int closed = ops.close(fd);
    fd = -1;
    if (closed != 0 && errno != EINTR) errnum = errno;
  }
  if (errnum == 0) {
    // The new content is on disk: the copy of the old becomes the backup, or goes.
    int settled = 0;
    if (options.createBackup) {
      settled = settleBackup(ops, copyPath, backup);
      if (settled == EXDEV) {  // the backup's name is on another file system
        settled = writeCopy(ops, backup, oldContent, old.st_mode & 0777, &oldTime);
        if (settled == 0) ops.unlink(copyPath.c_str());
      }
      if (settled == 0) settled = syncFolder(ops, folderToOpen(backup));
      if (settled != 0) {
        return IoStatus::failure(quoted(path) + " was written, but its backup " + quoted(backup) +
                                 " could not be made: " + errorText(settled) +
                                 "; its old content is kept in " + quoted(copyPath));
      }
      return IoStatus::success();
    }
    // The older backup goes while the copy still marks the rewrite as under way.
    if (int dropped = options.removeOlderBackup ? dropOlderBackup(ops, backup) : 0; dropped != 0) {
      return IoStatus::failure(quoted(path) + " was written, but its older backup " +
                               quoted(backup) + " could not be removed: " + errorText(dropped) +
                               "; its old content is kept in " + quoted(copyPath));
    }
    if (ops.unlink(copyPath.c_str()) != 0) {
      return IoStatus::failure(quoted(path) + " was written, but its temporary copy " +
                               quoted(copyPath) + " could not be removed: " + errorText(errno));
    }
    syncFolder(ops, folderToOpen(copyPath));
    return IoStatus::success();
  }

  // Put the old content back; if that fails too, the copy holds it for the next run.
  bool restored = false;
  if (fd < 0) fd = ops.open(real.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0);
  if (fd >= 0) {
    restored = overwrite(ops, fd, oldContent, madeWritable ? &oldMode : nullptr, &oldTime) == 0;
    if (ops.close(fd) != 0) restored = false;
  }
  IoStatus failure = fail("Cannot write", path, errnum);
  if (restored) {
    dropCopy();
    return failure;
  }
  failure.error +=
      "; its old content is kept in " + quoted(copyPath) + " and is put back by the next run";
  return failure;
}

}  // namespace

// A staged file being written: the old file open as it was checked, and the temporary file
// beside it. Whatever is still open or not yet handed on is closed and removed with it.
struct WriteBackBatch::OpenStage {
  OpenStage(FileOps& fileOps, uid_t userId, gid_t groupId)
      : ops(fileOps), uid(userId), gid(groupId) {}
  OpenStage(const OpenStage&) = delete;
  OpenStage& operator=(const OpenStage&) = delete;
  ~OpenStage() {
    if (tempFd >= 0) ops.close(tempFd);
    if (!tempPath.empty()) ops.unlink(tempPath.c_str());
    if (oldFd >= 0) ops.close(oldFd);
  }

  FileOps& ops;
  uid_t uid;  // the process's effective user and group
  gid_t gid;
  FileFacts file;
  int oldFd = -1;
  struct stat old {};
  int tempFd = -1;
  std::string tempPath;
  off_t written = 0;
  bool olderBackup = false;  // an older backup was there
};

namespace {

using OpenStage = WriteBackBatch::OpenStage;

// The checks before a file's new content is staged: the old file must still be the one that
// was read, be ours to replace through its folder, have one link, and its backup name must be
// usable. Then the temporary file is created beside it. With `inPlace` set the file has to be
// rewritten in place instead, and no temporary file is made.
IoStatus openStage(FileOps& ops, const FileFacts& file, const WriteBackOptions& options,
                   OpenStage& stage, bool& inPlace) {
  inPlace = false;
  const std::string& path = file.listedPath;
  const std::string& real = file.resolvedPath.empty() ? file.listedPath : file.resolvedPath;

  // The old file, as it is now: it must still be the one that was read.
  stage.oldFd = ops.open(real.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0);
  if (stage.oldFd < 0) {
    if (errno == ENOENT || errno == ELOOP) return changedByOthers(path);
    return fail("Cannot write", path, errno);
  }
  if (ops.fstat(stage.oldFd, &stage.old) != 0) return fail("Cannot write", path, errno);
  if (!unchangedSince(file.identity, stage.old)) return changedByOthers(path);

  if (stage.old.st_uid != stage.uid && stage.uid != 0) {
    // A new file would be ours, not its owner's: write in place where we may, else refuse.
    int probe = ops.open(real.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0);
    if (probe < 0) return fail("Cannot write", path, errno);
    ops.close(probe);
    inPlace = true;
    return IoStatus::success();
  }
  if (stage.old.st_nlink > 1) {
    inPlace = true;
    return IoStatus::success();
  }
  if (options.createBackup) {
    if (IoStatus usable = checkBackupName(ops, file, stage.olderBackup); !usable) return usable;
  }
  int errnum = 0;
  stage.tempFd = createTempBeside(ops, real, stage.tempPath, errnum);
  if (stage.tempFd < 0) {
    stage.tempPath.clear();
    return fail("Cannot write", path, errnum);
  }
  stage.file = file;
  return IoStatus::success();
}

IoStatus appendToStage(OpenStage& stage, std::string_view piece) {
  int errnum = 0;
  if (!writeAllAt(stage.ops, stage.tempFd, piece, stage.written, errnum))
    return fail("Cannot write", stage.file.listedPath, errnum);
  stage.written += static_cast<off_t>(piece.size());
  return IoStatus::success();
}

// Completes the temporary file (the old file's attributes and date as asked; flushed with
// `flush`, else the caller flushes it before finishSwap) and describes its swap. With
// `holdOld` the swap keeps the old file open (for closeLater once it is swapped out).
IoStatus closeStage(OpenStage& stage, const WriteBackOptions& options, bool flush, bool keepOpen,
                    bool holdOld, PreparedSwap& swap) {
  FileOps& ops = stage.ops;
  const FileFacts& file = stage.file;
  int errnum = 0;
  if (!applyAttributes(ops, stage.tempFd, stage.oldFd, stage.old, options.keepAttributes, stage.uid,
                       stage.gid, errnum) ||
      (options.keepDate && !setModificationTime(ops, stage.tempFd, file.identity, errnum))) {
    return fail("Cannot write", file.listedPath, errnum);
  }
  if (flush && ops.fsync(stage.tempFd) != 0) return fail("Cannot write", file.listedPath, errno);
  const int fd = stage.tempFd;
  stage.tempFd = -1;
  if (keepOpen) {
    swap.fd = fd;
  } else if (ops.close(fd) != 0 && errno != EINTR) {
    return fail("Cannot write", file.listedPath, errno);
  }
  if (holdOld) {
    swap.oldFd = stage.oldFd;
    stage.oldFd = -1;
  }
  swap.listedPath = file.listedPath;
  swap.real = file.resolvedPath.empty() ? file.listedPath : file.resolvedPath;
  swap.temp = std::move(stage.tempPath);
  stage.tempPath.clear();
  swap.identity = file.identity;
  swap.backup = options.createBackup;
  swap.olderBackup = stage.olderBackup;
  swap.removeOlderBackup = !options.createBackup && options.removeOlderBackup;
  return IoStatus::success();
}

// Everything of a swap up to a complete temporary file beside the file: neither the file nor
// its backup is touched yet. With `flush` the temporary file is flushed to disk here;
// without, the caller flushes it before finishSwap. A file with several hard links, or one
// that is not ours, is rewritten in place instead; then `done` is set and the result is that
// of the whole write.
IoStatus prepareSwap(FileOps& ops, const FileFacts& file, std::string_view oldContent,
                     std::string_view newContent, const WriteBackOptions& options, bool flush,
                     bool keepOpen, bool holdOld, PreparedSwap& swap, bool& done, uid_t uid,
                     gid_t gid) {
  OpenStage stage(ops, uid, gid);
  bool inPlace = false;
  if (IoStatus opened = openStage(ops, file, options, stage, inPlace); !opened) return opened;
  if (inPlace) {
    done = true;
    return rewriteInPlace(ops, file, oldContent, newContent, options, stage.old);
  }
  if (IoStatus written = appendToStage(stage, newContent); !written) return written;
  return closeStage(stage, options, flush, keepOpen, holdOld, swap);
}

// The old content as the pending backup, made right before the swap: a hard link to the
// file (which stops being live with the rename that follows), else a flushed copy.
IoStatus pendBackup(FileOps& ops, const PreparedSwap& swap, const struct stat& now,
                    std::string& pending) {
  const std::string backup = backupNameOf(swap.listedPath);
  int errnum = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = tempNameBeside(swap.listedPath, kBackupMark);
    if (ops.link(swap.real.c_str(), name.c_str()) == 0) {
      pending = name;
      return IoStatus::success();
    }
    errnum = errno;
    if (errnum != EEXIST) break;
  }
  if (errnum == EEXIST || errnum == ENOSPC || errnum == EIO || errnum == EDQUOT) {
    return fail("Cannot create the backup", backup, errnum);
  }
  // No hard link here (another file system, a file system without links, not allowed):
  // a copy does the same.
  std::string bytes;
  if (int read = readAll(ops, swap.real, bytes); read != 0) {
    return fail("Cannot create the backup", backup, read);
  }
  if (static_cast<int64_t>(bytes.size()) != swap.identity.size) return changedByOthers(swap.real);
  if (int written = writeMarkedCopy(ops, swap.listedPath, kBackupMark, bytes, now.st_mode & 0777,
                                    now.st_mtim, pending);
      written != 0) {
    return fail("Cannot create the backup", backup, written);
  }
  return IoStatus::success();
}

// Renames the complete temporary file over the file, unless another program changed the
// file meanwhile (its change wins). The backup is settled around the rename: the old content
// gets a pending name just before it and the backup's name just after, so an older backup is
// replaced only once the file holds its new content. With backups off an older backup goes.
// On failure the temporary file is removed.
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
  std::string pending;
  const std::string backup = backupNameOf(swap.listedPath);
  if (swap.backup) {
    if (IoStatus made = pendBackup(ops, swap, now, pending); !made) return abandon(made);
  } else if (swap.removeOlderBackup) {
    // Right before the swap: should the process die in between, the run it belonged to was
    // going to remove this backup anyway, and the file still holds its old content.
    if (int errnum = dropOlderBackup(ops, backup); errnum != 0) {
      return abandon(IoStatus::failure("Cannot delete the older backup " + quoted(backup) + ": " +
                                       errorText(errnum) + "; " + quoted(swap.listedPath) +
                                       " was left as it is"));
    }
  }
  if (ops.rename(swap.temp.c_str(), swap.real.c_str()) != 0) {
    int errnum = errno;
    if (!pending.empty()) ops.unlink(pending.c_str());
    return abandon(fail("Cannot write", swap.listedPath, errnum));
  }
  if (swap.backup) {
    // The older backup loses its name here.
    const int held = swap.olderBackup ? holdForFreeing(ops, backup) : -1;
    const int errnum = settleBackup(ops, pending, backup);
    releaseHeld(ops, held);
    if (errnum != 0) {
      return IoStatus::failure(quoted(swap.listedPath) + " was written, but its backup " +
                               quoted(backup) + " could not be made: " + errorText(errnum) +
                               "; its old content is kept in " + quoted(pending));
    }
  }
  return IoStatus::success();
}

// A temporary file of ours, taken apart: what it is, whose file, which process wrote it.
struct TemporaryName {
  const char* mark = nullptr;
  std::string target;  // the listed file's name (cut at kNameKept characters)
  long pid = 0;        // 0: a name of an older version, without the process
};

std::optional<TemporaryName> parseTemporaryName(const std::string& fileName) {
  if (fileName.size() < 2 || fileName[0] != '.') return std::nullopt;
  for (const char* mark : {kTempMark, kBackupMark, kOldMark}) {
    const size_t at = fileName.rfind(mark);
    if (at == std::string::npos || at < 1) continue;
    const std::string tail = fileName.substr(at + std::strlen(mark));
    TemporaryName parsed;
    parsed.mark = mark;
    parsed.target = fileName.substr(1, at - 1);
    if (tail.size() == 6) return parsed;  // an older version's name
    const size_t dash = tail.find('-');
    if (dash == std::string::npos || dash == 0 || tail.size() != dash + 7) continue;
    for (size_t i = 0; i < dash; ++i) {
      if (tail[i] < '0' || tail[i] > '9') return std::nullopt;
    }
    if (dash > 9) return std::nullopt;
    parsed.pid = std::stol(tail.substr(0, dash));
    return parsed;
  }
  return std::nullopt;
}

// Whether the process that wrote a temporary file is gone (so the file is a leftover).
bool processGone(long pid) {
  if (pid <= 0 || pid == static_cast<long>(ownPid())) return false;
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

bool isTemporaryName(const std::string& fileName) {
  return parseTemporaryName(fileName).has_value();
}

IoStatus Leftovers::mend(const std::string& listedPath, std::vector<std::string>& notes) {
  std::string real;
  if (!m_ops.realPath(listedPath.c_str(), real)) real = listedPath;
  return mend(listedPath, real, notes);
}

IoStatus Leftovers::mend(const std::string& listedPath, const std::string& real,
                         std::vector<std::string>& notes) {
  IoStatus result = IoStatus::success();
  auto failed = [&](IoStatus status) {
    if (result) result = std::move(status);
  };
  // The folder's leftovers: the temporary files of processes that are gone, listed once.
  auto leftoversIn = [&](const std::string& folder) -> std::vector<std::string>& {
    auto found = m_folders.find(folder);
    if (found != m_folders.end()) return found->second;
    // A few folders are kept: a list is mostly in folder order, and a folder listed again
    // finds what was not mended yet, as the first listing did.
    if (m_folders.size() >= kFoldersKept) m_folders.clear();
    std::vector<std::string>& stale = m_folders[folder];
    std::vector<std::string> names;
    if (!m_ops.listFolder(folder.c_str(), names)) return stale;
    for (const std::string& name : names) {
      std::optional<TemporaryName> parsed = parseTemporaryName(name);
      if (parsed && processGone(parsed->pid)) stale.push_back(name);
    }
    return stale;
  };
  auto forFile = [&](const std::string& path, auto&& handle) {
    const std::string folder = folderToOpen(path);
    std::string name = fileNameOf(path);
    if (name.size() > kNameKept) return;  // a cut name cannot tell whose it is
    std::vector<std::string>& stale = leftoversIn(folder);
    for (auto it = stale.begin(); it != stale.end();) {
      std::optional<TemporaryName> parsed = parseTemporaryName(*it);
      if (parsed && parsed->target == name && handle(folderOf(path) + *it, parsed->mark)) {
        it = stale.erase(it);
      } else {
        ++it;
      }
    }
  };

  // Beside the real file: new content that never got its name goes; the old content of an
  // interrupted rewrite in place is put back before anything else happens to the file.
  forFile(real, [&](const std::string& leftover, const char* mark) {
    if (mark == kTempMark) {
      if (m_ops.unlink(leftover.c_str()) != 0 && errno != ENOENT) {
        failed(fail("Cannot delete", leftover, errno));
        return false;
      }
      return true;
    }
    if (mark != kOldMark) return false;
    std::string bytes;
    struct stat copy {};
    if (int errnum = readAll(m_ops, leftover, bytes); errnum != 0) {
      failed(fail("Cannot read", leftover, errnum));
      return false;
    }
    if (m_ops.stat(leftover.c_str(), &copy) != 0) {
      failed(fail("Cannot read", leftover, errno));
      return false;
    }
    struct stat old {};
    if (m_ops.stat(real.c_str(), &old) != 0) {
      failed(IoStatus::failure("Cannot put back the old content of " + quoted(listedPath) +
                               " from " + quoted(leftover) + ": " + errorText(errno)));
      return false;
    }
    old.st_mode = copy.st_mode;
    old.st_uid = ::geteuid();
    bool madeWritable = false;
    int fd = openForRewrite(m_ops, real, old, madeWritable);
    const mode_t mode = copy.st_mode & 0777;
    const struct timespec mtime = copy.st_mtim;
    int errnum = fd < 0 ? errno : overwrite(m_ops, fd, bytes, &mode, &mtime);
    if (fd >= 0 && m_ops.close(fd) != 0 && errnum == 0 && errno != EINTR) errnum = errno;
    if (errnum != 0) {
      failed(IoStatus::failure("Cannot put back the old content of " + quoted(listedPath) +
                               " from " + quoted(leftover) + ": " + errorText(errnum)));
      return false;
    }
    m_ops.unlink(leftover.c_str());
    syncFolder(m_ops, folderToOpen(leftover));
    notes.push_back("a rewrite of " + quoted(listedPath) +
                    " was interrupted; its old content was put back");
    return true;
  });

  // Beside the listed name: the old content on its way to the backup. Once the file holds
  // other content, the swap was done and the backup is settled; else it never happened.
  forFile(listedPath, [&](const std::string& leftover, const char* mark) {
    if (mark != kBackupMark) return false;
    struct stat pending {
    }, file{};
    bool swapped = false;
    if (m_ops.stat(leftover.c_str(), &pending) != 0) return errno == ENOENT;
    if (m_ops.stat(listedPath.c_str(), &file) == 0) {
      if (pending.st_dev != file.st_dev || pending.st_ino != file.st_ino) {
        std::string a, b;
        swapped = readAll(m_ops, leftover, a) == 0 && readAll(m_ops, listedPath, b) == 0 && a != b;
      }
    }
    int errnum = swapped ? settleBackup(m_ops, leftover, backupNameOf(listedPath))
                         : (m_ops.unlink(leftover.c_str()) == 0 ? 0 : errno);
    if (errnum != 0 && errnum != ENOENT) {
      failed(fail(swapped ? "Cannot create the backup" : "Cannot delete",
                  swapped ? backupNameOf(listedPath) : leftover, errnum));
      return false;
    }
    syncFolder(m_ops, folderToOpen(leftover));
    return true;
  });
  return result;
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

namespace {

// Reads the file behind `listedPath` into the storage that `room(n)` gives (n bytes at
// least, from its start); its length goes to `have`.
template <typename Room>
LoadResult readListed(const std::string& listedPath, const std::string& resolved, FileOps& ops,
                      FileFacts& out, std::string& error, Room&& room, size_t& have) {
  out = FileFacts{};
  out.listedPath = listedPath;
  error.clear();
  have = 0;
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
  if (!resolved.empty()) {
    out.resolvedPath = resolved;
  } else if (!ops.realPath(listedPath.c_str(), out.resolvedPath)) {
    return failed("Cannot open", errno);
  }
  if (st.st_size == 0) return LoadResult::Empty;

  // One byte more than the file had: a file that grew since is seen at once.
  const size_t size = static_cast<size_t>(st.st_size) + 1;
  char* data = room(size);
  while (have < size) {
    ssize_t n = ops.read(fd, data + have, size - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      int errnum = errno;
      have = 0;
      return failed("Cannot read", errnum);
    }
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  if (static_cast<int64_t>(have) != out.identity.size) {
    have = 0;
    error = "Cannot read " + quoted(listedPath) + ": it changed while it was read";
    return LoadResult::Failed;
  }
  return LoadResult::Loaded;
}

}  // namespace

LoadResult loadFile(const std::string& listedPath, LoadedFile& out, std::string& error,
                    FileOps& ops) {
  out.content.clear();
  size_t have = 0;
  const LoadResult result = readListed(
      listedPath, std::string(), ops, out, error,
      [&](size_t size) {
        out.content.resize(size);
        return out.content.data();
      },
      have);
  out.content.resize(have);
  return result;
}

char* ReadBuffer::reserve(size_t capacity) {
  if (capacity > m_capacity) {
    // An eighth more than asked, so that a list of files of about one size does not move it
    // (the pages beyond what is read are never touched); large pages for a big file.
    const size_t grown = capacity + capacity / 8;
    m_data.reset();
    m_data.reset(new char[grown]);
    m_capacity = grown;
    if (grown >= (size_t{4} << 20)) adviseLargePages(m_data.get(), grown);
  }
  m_size = 0;
  return m_data.get();
}

void ReadBuffer::release() {
  m_data.reset();
  m_capacity = 0;
  m_size = 0;
}

LoadResult loadFile(const std::string& listedPath, const std::string& resolvedPath, FileFacts& out,
                    ReadBuffer& buffer, std::string& error, FileOps& ops) {
  size_t have = 0;
  buffer.setSize(0);
  const LoadResult result = readListed(
      listedPath, resolvedPath, ops, out, error, [&](size_t size) { return buffer.reserve(size); },
      have);
  buffer.setSize(have);
  return result;
}

IoStatus writeBack(const LoadedFile& file, std::string_view newContent,
                   const WriteBackOptions& options) {
  return writeBack(file, newContent, options, systemFileOps());
}

IoStatus writeBack(const LoadedFile& file, std::string_view newContent,
                   const WriteBackOptions& options, FileOps& ops) {
  PreparedSwap swap;
  bool done = false;
  IoStatus prepared = prepareSwap(ops, file, file.content, newContent, options, true, false, false,
                                  swap, done, ::geteuid(), ::getegid());
  if (!prepared || done) return prepared;
  if (IoStatus swapped = finishSwap(ops, swap); !swapped) return swapped;
  int flushError = syncFolder(ops, folderToOpen(swap.real));
  if (flushError == 0 && folderToOpen(swap.listedPath) != folderToOpen(swap.real)) {
    flushError = syncFolder(ops, folderToOpen(swap.listedPath));  // the backup's
  }
  if (flushError != 0) {
    return IoStatus::failure(
        quoted(file.listedPath) +
        " was written, but its folder could not be flushed to disk: " + errorText(flushError));
  }
  return IoStatus::success();
}

WriteBackBatch::WriteBackBatch(const WriteBackOptions& options, FileOps& ops)
    : m_options(options), m_ops(ops), m_uid(::geteuid()), m_gid(::getegid()) {
  // Old files held open take descriptors: a quarter of what the process may open at most.
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
    m_holdOld = limit.rlim_cur == RLIM_INFINITY
                    ? kMostHeld
                    : std::min<size_t>(kMostHeld, static_cast<size_t>(limit.rlim_cur / 4));
  }
}

WriteBackBatch::~WriteBackBatch() {
  m_open.reset();
  for (const PreparedSwap& swap : m_staged) {
    if (swap.fd >= 0) m_ops.close(swap.fd);
    if (swap.oldFd >= 0) m_ops.close(swap.oldFd);
    m_ops.unlink(swap.temp.c_str());
  }
  for (const auto& [device, fd] : m_deviceFds) m_ops.close(fd);
}

IoStatus WriteBackBatch::keepFolderOpen(const PreparedSwap& swap) {
  if (m_deviceFds.find(swap.identity.device) != m_deviceFds.end()) return IoStatus::success();
  // Kept open from now on, so that a write error of the file system after this point is
  // reported by the flush of commit().
  int fd = m_ops.open(folderToOpen(swap.real).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return fail("Cannot write", swap.listedPath, errno);
  m_deviceFds.emplace(swap.identity.device, fd);
  return IoStatus::success();
}

WriteBackBatch::Added WriteBackBatch::add(const LoadedFile& file, std::string_view newContent) {
  return add(file, file.content, newContent);
}

WriteBackBatch::Added WriteBackBatch::add(const FileFacts& file, std::string_view oldContent,
                                          std::string_view newContent) {
  PreparedSwap swap;
  bool done = false;
  IoStatus prepared = prepareSwap(m_ops, file, oldContent, newContent, m_options, false,
                                  m_staged.size() < kFewFiles, m_staged.size() < m_holdOld, swap,
                                  done, m_uid, m_gid);
  if (!prepared || done) return {std::move(prepared), false};
  return stage(std::move(swap));
}

IoStatus WriteBackBatch::beginStaged(const FileFacts& file, bool& inPlace) {
  m_open = std::make_unique<OpenStage>(m_ops, m_uid, m_gid);
  IoStatus opened = openStage(m_ops, file, m_options, *m_open, inPlace);
  if (!opened || inPlace) m_open.reset();
  return opened;
}

IoStatus WriteBackBatch::appendStaged(std::string_view piece) {
  if (!m_open) return IoStatus::failure("Cannot write: no file is being staged");
  IoStatus written = appendToStage(*m_open, piece);
  if (!written) m_open.reset();
  return written;
}

WriteBackBatch::Added WriteBackBatch::finishStaged() {
  if (!m_open) return {IoStatus::failure("Cannot write: no file is being staged"), false};
  std::unique_ptr<OpenStage> open = std::move(m_open);
  PreparedSwap swap;
  if (IoStatus closed = closeStage(*open, m_options, false, m_staged.size() < kFewFiles,
                                   m_staged.size() < m_holdOld, swap);
      !closed)
    return {std::move(closed), false};
  open.reset();
  return stage(std::move(swap));
}

WriteBackBatch::Added WriteBackBatch::stage(PreparedSwap swap) {
  if (IoStatus kept = keepFolderOpen(swap); !kept) {
    if (swap.fd >= 0) m_ops.close(swap.fd);
    if (swap.oldFd >= 0) m_ops.close(swap.oldFd);
    m_ops.unlink(swap.temp.c_str());
    return {std::move(kept), false};
  }
  m_staged.push_back(std::move(swap));
  return {IoStatus::success(), true};
}

void WriteBackBatch::abandonStaged() {
  m_open.reset();
}

std::vector<WriteBackBatch::Outcome> WriteBackBatch::commit() {
  std::vector<PreparedSwap> staged = std::move(m_staged);
  m_staged.clear();
  std::vector<Outcome> outcomes;
  outcomes.reserve(staged.size());
  // A few files are flushed one by one through the descriptors they were written with, so
  // that a write error since is reported; more are flushed with their file systems.
  const bool few = staged.size() <= kFewFiles;

  // The new contents and the backups, on disk before any name changes.
  std::vector<int> flushErrors(staged.size(), 0);
  std::map<uint64_t, int> deviceErrors;
  if (!few) {
    for (const auto& [device, fd] : m_deviceFds) {
      if (m_ops.syncfs(fd) != 0) deviceErrors[device] = errno;
    }
  }
  for (size_t i = 0; i < staged.size(); ++i) {
    PreparedSwap& swap = staged[i];
    if (few && m_ops.fsync(swap.fd) != 0) flushErrors[i] = errno;
    if (swap.fd >= 0 && m_ops.close(swap.fd) != 0 && errno != EINTR && flushErrors[i] == 0)
      flushErrors[i] = errno;
    swap.fd = -1;
    if (auto failed = deviceErrors.find(swap.identity.device); failed != deviceErrors.end())
      flushErrors[i] = failed->second;
  }
  std::vector<bool> swapped(staged.size(), false);
  for (size_t i = 0; i < staged.size(); ++i) {
    PreparedSwap& swap = staged[i];
    if (flushErrors[i] != 0) {
      m_ops.unlink(swap.temp.c_str());
      outcomes.push_back({swap.listedPath, fail("Cannot write", swap.listedPath, flushErrors[i])});
    } else {
      outcomes.push_back({swap.listedPath, finishSwap(m_ops, swap)});
      swapped[i] = outcomes.back().status.ok;
    }
    // The old content, swapped out and without a backup, is freed by this close.
    if (swap.oldFd >= 0) m_ops.closeLater(swap.oldFd);
    swap.oldFd = -1;
  }

  // The swaps themselves, on disk before the files are reported written: the folders of a
  // few files (the file's, and the backup's where that differs), else the file systems.
  std::map<std::string, int> folderErrors;
  if (few) {
    for (size_t i = 0; i < staged.size(); ++i) {
      if (!swapped[i]) continue;
      for (const std::string* path : {&staged[i].real, &staged[i].listedPath}) {
        const std::string folder = folderToOpen(*path);
        if (folderErrors.count(folder) == 0) folderErrors[folder] = syncFolder(m_ops, folder);
      }
    }
  }
  std::map<uint64_t, int> swapErrors;
  for (const auto& [device, fd] : m_deviceFds) {
    if (!few && m_ops.syncfs(fd) != 0) swapErrors[device] = errno;
    m_ops.close(fd);
  }
  m_deviceFds.clear();
  for (size_t i = 0; i < staged.size(); ++i) {
    if (!swapped[i]) continue;
    int errnum = 0;
    if (few) {
      errnum = folderErrors[folderToOpen(staged[i].real)];
      if (errnum == 0) errnum = folderErrors[folderToOpen(staged[i].listedPath)];
    } else if (auto failed = swapErrors.find(staged[i].identity.device);
               failed != swapErrors.end()) {
      errnum = failed->second;
    }
    if (errnum != 0) {
      outcomes[i].status = IoStatus::failure(
          quoted(outcomes[i].listedPath) +
          " was written, but it could not be flushed to disk: " + errorText(errnum));
    }
  }
  return outcomes;
}

}  // namespace tw::platform
