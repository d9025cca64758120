#include "platform/Folder.h"

#include "platform/Retry.h"

#include <fcntl.h>
#include <unistd.h>

namespace tw::platform {

SysError Folder::open(FileOps& ops, const std::string& path, bool noFollow,
                      std::shared_ptr<const Folder>& out) {
  if (path.find('\0') != std::string::npos) return {EINVAL, "Cannot open", path};
  std::string opened = path.empty() ? std::string(".") : path;
  if (noFollow) {
    while (opened.size() > 1 && opened.back() == '/') opened.pop_back();
  }
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0);
  UniqueFd fd(ops, retryOnInterrupt([&] { return ops.open(opened.c_str(), flags, 0); }));
  if (!fd) return SysError::fromErrno("Cannot open", path);
  struct stat st {};
  if (ops.fstat(fd.get(), &st) != 0) return SysError::fromErrno("Cannot open", path);
  std::string shown = path;
  if (!shown.empty() && shown.back() != '/') shown += '/';
  out.reset(new Folder(ops, std::move(fd), FileId::of(st), std::move(shown)));
  return {};
}

std::string Folder::pathOf(std::string_view name) const {
  std::string path = m_path;
  path += name;
  return path;
}

SysError Folder::open(const std::string& name, int flags, UniqueFd& out, mode_t mode) const {
  const int fd = retryOnInterrupt([&] {
    return m_ops->openat(m_fd.get(), name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
  });
  if (fd < 0) return SysError::fromErrno("Cannot open", pathOf(name));
  out = UniqueFd(*m_ops, fd);
  return {};
}

SysError Folder::look(const std::string& name, struct stat& st) const {
  if (m_ops->fstatat(m_fd.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return {};
  return SysError::fromErrno("Cannot read", pathOf(name));
}

SysError Folder::rename(const std::string& from, const Folder& target,
                        const std::string& to) const {
  if (m_ops->renameat(m_fd.get(), from.c_str(), target.fd(), to.c_str()) == 0) return {};
  return SysError::fromErrno("Cannot rename", pathOf(from));
}

SysError Folder::link(const std::string& from, const Folder& target, const std::string& to) const {
  if (m_ops->linkat(m_fd.get(), from.c_str(), target.fd(), to.c_str()) == 0) return {};
  return SysError::fromErrno("Cannot link", target.pathOf(to));
}

SysError Folder::remove(const std::string& name) const {
  if (m_ops->unlinkat(m_fd.get(), name.c_str(), 0) == 0) return {};
  return SysError::fromErrno("Cannot delete", pathOf(name));
}

SysError Folder::list(std::vector<FolderEntry>& entries) const {
  if (m_ops->readFolder(m_fd.get(), entries)) return {};
  return SysError::fromErrno("Cannot read", m_path);
}

SysError Folder::flush() const {
  if (m_ops->fsync(m_fd.get()) == 0 || errno == EINVAL || errno == ENOTSUP) return {};
  return SysError::fromErrno("Cannot write", m_path.empty() ? std::string(".") : m_path);
}

}  // namespace tw::platform
