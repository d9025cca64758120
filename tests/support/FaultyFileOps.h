#pragma once
// The real file operations, except that one chosen call fails with a chosen errno: the Nth
// call overall, or the Nth call of one kind ("rename", "fsync", ...). Every call is recorded
// by kind, so a test can first count the calls of a clean run and then fail each in turn.

#include "platform/FileOps.h"

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

namespace tw::test {

class FaultyFileOps : public platform::SystemFileOps {
 public:
  // Fail the `nth` (from 1) call, counting only calls of `kind` unless it is empty.
  void failCall(int nth, int errnum, std::string kind = {}) {
    m_failAt = nth;
    m_errno = errnum;
    m_kind = std::move(kind);
  }
  const std::vector<std::string>& calls() const { return m_calls; }
  // Called before every call with its kind: a test changes the world between two steps here.
  std::function<void(const std::string& kind)> beforeCall;
  bool failed() const { return m_failed; }
  void reset() {
    m_calls.clear();
    m_counted = 0;
    m_failAt = 0;
    m_failed = false;
  }

  int open(const char* p, int f, mode_t m) override {
    return fault("open") ? -1 : SystemFileOps::open(p, f, m);
  }
  ssize_t read(int fd, void* b, size_t n) override {
    return fault("read") ? -1 : SystemFileOps::read(fd, b, n);
  }
  ssize_t pwrite(int fd, const void* b, size_t n, off_t o) override {
    return fault("write") ? -1 : SystemFileOps::pwrite(fd, b, n, o);
  }
  int fsync(int fd) override { return fault("fsync") ? -1 : SystemFileOps::fsync(fd); }
  int fadvise(int fd, off_t o, off_t n, int advice) override {
    return fault("fadvise") ? m_errno : SystemFileOps::fadvise(fd, o, n, advice);
  }
  int startWriteOut(int fd, off_t o, off_t n) override {
    return fault("startwriteout") ? m_errno : SystemFileOps::startWriteOut(fd, o, n);
  }
  int syncfs(int fd) override { return fault("syncfs") ? -1 : SystemFileOps::syncfs(fd); }
  int close(int fd) override {
    // A failed close still releases the descriptor, as on Linux.
    if (fault("close")) {
      SystemFileOps::close(fd);
      errno = m_errno;
      return -1;
    }
    return SystemFileOps::close(fd);
  }
  // At once and counted as a close, so that every run makes its calls in one order.
  void closeLater(int fd) override { close(fd); }
  int fstat(int fd, struct stat* st) override {
    return fault("fstat") ? -1 : SystemFileOps::fstat(fd, st);
  }
  int stat(const char* p, struct stat* st) override {
    return fault("stat") ? -1 : SystemFileOps::stat(p, st);
  }
  int lstat(const char* p, struct stat* st) override {
    return fault("lstat") ? -1 : SystemFileOps::lstat(p, st);
  }
  int rename(const char* a, const char* b) override {
    return fault("rename") ? -1 : SystemFileOps::rename(a, b);
  }
  int link(const char* a, const char* b) override {
    return fault("link") ? -1 : SystemFileOps::link(a, b);
  }
  int unlink(const char* p) override { return fault("unlink") ? -1 : SystemFileOps::unlink(p); }
  int ftruncate(int fd, off_t n) override {
    return fault("ftruncate") ? -1 : SystemFileOps::ftruncate(fd, n);
  }
  int fchmod(int fd, mode_t m) override {
    return fault("fchmod") ? -1 : SystemFileOps::fchmod(fd, m);
  }
  int fchown(int fd, uid_t u, gid_t g) override {
    return fault("fchown") ? -1 : SystemFileOps::fchown(fd, u, g);
  }
  int futimens(int fd, const struct timespec t[2]) override {
    return fault("futimens") ? -1 : SystemFileOps::futimens(fd, t);
  }
  ssize_t flistxattr(int fd, char* l, size_t n) override {
    return fault("flistxattr") ? -1 : SystemFileOps::flistxattr(fd, l, n);
  }
  ssize_t fgetxattr(int fd, const char* k, void* v, size_t n) override {
    return fault("fgetxattr") ? -1 : SystemFileOps::fgetxattr(fd, k, v, n);
  }
  int fsetxattr(int fd, const char* k, const void* v, size_t n, int f) override {
    return fault("fsetxattr") ? -1 : SystemFileOps::fsetxattr(fd, k, v, n, f);
  }
  bool realPath(const char* p, std::string& out) override {
    return fault("realpath") ? false : SystemFileOps::realPath(p, out);
  }
  bool listFolder(const char* p, std::vector<std::string>& names) override {
    return fault("listfolder") ? false : SystemFileOps::listFolder(p, names);
  }
  int openat(int d, const char* n, int f, mode_t m) override {
    return fault("openat") ? -1 : SystemFileOps::openat(d, n, f, m);
  }
  int renameat(int fd, const char* a, int td, const char* b) override {
    return fault("renameat") ? -1 : SystemFileOps::renameat(fd, a, td, b);
  }
  int linkat(int fd, const char* a, int td, const char* b) override {
    return fault("linkat") ? -1 : SystemFileOps::linkat(fd, a, td, b);
  }
  int unlinkat(int d, const char* n, int f) override {
    return fault("unlinkat") ? -1 : SystemFileOps::unlinkat(d, n, f);
  }
  int flock(int fd, int op) override { return fault("flock") ? -1 : SystemFileOps::flock(fd, op); }
  int fstatat(int d, const char* n, struct stat* st, int f) override {
    return fault("fstatat") ? -1 : SystemFileOps::fstatat(d, n, st, f);
  }
  bool readFolder(int d, std::vector<platform::FolderEntry>& entries) override {
    return fault("readfolder") ? false : SystemFileOps::readFolder(d, entries);
  }
  bool currentFolder(std::string& out) override {
    return fault("getcwd") ? false : SystemFileOps::currentFolder(out);
  }

 private:
  bool fault(const char* kind) {
    m_calls.emplace_back(kind);
    if (beforeCall) beforeCall(m_calls.back());
    if (m_failAt <= 0 || m_failed) return false;
    if (!m_kind.empty() && m_kind != kind) return false;
    if (++m_counted != m_failAt) return false;
    m_failed = true;
    errno = m_errno;
    return true;
  }

  std::vector<std::string> m_calls;
  int m_counted = 0;
  int m_failAt = 0;
  int m_errno = EIO;
  std::string m_kind;
  bool m_failed = false;
};

}  // namespace tw::test
