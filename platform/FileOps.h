#pragma once
// The file-system calls of the program's core, behind one interface so that tests can make
// any single call fail with a chosen errno (see tests/support/FaultyFileOps.h). Each method
// has the contract of the POSIX call it is named after: -1 (or nullptr) and errno on failure.

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace tw::platform {

// One name of a folder listing with the type the listing gives it: a DT_* value of
// <dirent.h>, DT_UNKNOWN where the file system does not say.
struct FolderEntry {
  std::string name;
  unsigned char type;
};

class FileOps {
 public:
  virtual ~FileOps() = default;

  virtual int open(const char* path, int flags, mode_t mode) = 0;
  virtual ssize_t read(int fd, void* buffer, size_t count) = 0;
  virtual ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) = 0;
  virtual int fsync(int fd) = 0;
  // posix_fadvise(2): 0 or an error number (errno is left as it was).
  virtual int fadvise(int fd, off_t offset, off_t length, int advice) = 0;
  // Starts writing the bytes of `length` from `offset` to disk without waiting for them
  // (sync_file_range(2) with SYNC_FILE_RANGE_WRITE): only a head start for a later fsync,
  // which still reports every write error. 0 or an error number (errno is left as it was);
  // 0 where the system has no such call.
  virtual int startWriteOut(int fd, off_t offset, off_t length) = 0;
  // Flushes the whole file system that `fd` is on (syncfs(2); sync(2) where there is none).
  virtual int syncfs(int fd) = 0;
  virtual int close(int fd) = 0;
  // Closes `fd`, a file that was only read, whose close has nothing to report. The last close
  // of a file that lost its last name frees its blocks, which takes as long as writing a
  // small file: the system's layer closes on a thread of its own, so that the freeing runs
  // beside the caller's next work. Here: at once, through close().
  virtual void closeLater(int fd) { close(fd); }
  virtual int fstat(int fd, struct stat* st) = 0;
  virtual int stat(const char* path, struct stat* st) = 0;
  virtual int lstat(const char* path, struct stat* st) = 0;
  virtual int rename(const char* from, const char* to) = 0;
  virtual int link(const char* from, const char* to) = 0;
  virtual int unlink(const char* path) = 0;
  virtual int ftruncate(int fd, off_t length) = 0;
  virtual int fchmod(int fd, mode_t mode) = 0;
  virtual int fchown(int fd, uid_t owner, gid_t group) = 0;
  virtual int futimens(int fd, const struct timespec times[2]) = 0;
  virtual ssize_t flistxattr(int fd, char* list, size_t size) = 0;
  virtual ssize_t fgetxattr(int fd, const char* name, void* value, size_t size) = 0;
  virtual int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) = 0;
  // realpath(3) into `out`; false and errno on failure.
  virtual bool realPath(const char* path, std::string& out) = 0;
  // The names in the folder `path` (without "." and ".."); false and errno on failure.
  virtual bool listFolder(const char* path, std::vector<std::string>& names) = 0;

  // --- The folder walk of a scan, and paths relative to the current folder ---------------
  // openat(2) and fstatat(2): `name` relative to the folder open as `folderFd`.
  virtual int openat(int folderFd, const char* name, int flags, mode_t mode) = 0;
  virtual int fstatat(int folderFd, const char* name, struct stat* st, int flags) = 0;
  // renameat(2), linkat(2) (no flags: a symbolic link is linked, not followed), unlinkat(2).
  virtual int renameat(int fromFd, const char* from, int toFd, const char* to) = 0;
  virtual int linkat(int fromFd, const char* from, int toFd, const char* to) = 0;
  virtual int unlinkat(int folderFd, const char* name, int flags) = 0;
  // flock(2): the lock a writer holds on the temporary files it is working with.
  virtual int flock(int fd, int operation) = 0;
  // Every entry of the folder open as `folderFd` (without "." and "..") in the order the file
  // system gives them; `folderFd` stays open and owned by the caller. False and errno when
  // the listing cannot be read to its end (`entries` then holds a part).
  virtual bool readFolder(int folderFd, std::vector<FolderEntry>& entries) = 0;
  // getcwd(3) into `out`; false and errno on failure.
  virtual bool currentFolder(std::string& out) = 0;
};

// The real calls of the operating system.
class SystemFileOps : public FileOps {
 public:
  int open(const char* path, int flags, mode_t mode) override;
  ssize_t read(int fd, void* buffer, size_t count) override;
  ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) override;
  int fsync(int fd) override;
  int fadvise(int fd, off_t offset, off_t length, int advice) override;
  int startWriteOut(int fd, off_t offset, off_t length) override;
  int syncfs(int fd) override;
  int close(int fd) override;
  void closeLater(int fd) override;
  int fstat(int fd, struct stat* st) override;
  int stat(const char* path, struct stat* st) override;
  int lstat(const char* path, struct stat* st) override;
  int rename(const char* from, const char* to) override;
  int link(const char* from, const char* to) override;
  int unlink(const char* path) override;
  int ftruncate(int fd, off_t length) override;
  int fchmod(int fd, mode_t mode) override;
  int fchown(int fd, uid_t owner, gid_t group) override;
  int futimens(int fd, const struct timespec times[2]) override;
  ssize_t flistxattr(int fd, char* list, size_t size) override;
  ssize_t fgetxattr(int fd, const char* name, void* value, size_t size) override;
  int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) override;
  bool realPath(const char* path, std::string& out) override;
  bool listFolder(const char* path, std::vector<std::string>& names) override;

  int openat(int folderFd, const char* name, int flags, mode_t mode) override;
  int fstatat(int folderFd, const char* name, struct stat* st, int flags) override;
  int renameat(int fromFd, const char* from, int toFd, const char* to) override;
  int linkat(int fromFd, const char* from, int toFd, const char* to) override;
  int unlinkat(int folderFd, const char* name, int flags) override;
  int flock(int fd, int operation) override;
  bool readFolder(int folderFd, std::vector<FolderEntry>& entries) override;
  bool currentFolder(std::string& out) override;
};

// The process-wide instance of SystemFileOps.
FileOps& systemFileOps();

}  // namespace tw::platform
