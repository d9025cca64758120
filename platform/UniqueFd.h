#pragma once
// A descriptor with one owner: closed when its owner goes, moved but never copied. The close
// goes through the FileOps layer it was opened with, so that tests see and can fail it.

#include "platform/FileOps.h"

#include <utility>

namespace tw::platform {

class UniqueFd {
 public:
  UniqueFd() = default;
  UniqueFd(FileOps& ops, int fd) : m_ops(&ops), m_fd(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : m_ops(other.m_ops), m_fd(std::exchange(other.m_fd, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      reset();
      m_ops = other.m_ops;
      m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return m_fd; }
  explicit operator bool() const { return m_fd >= 0; }

  // Gives the descriptor up without closing it.
  int release() { return std::exchange(m_fd, -1); }
  // Closes it, whatever the close says (a descriptor only read, or one being given up).
  void reset() {
    if (m_fd >= 0) m_ops->close(std::exchange(m_fd, -1));
  }
  // Closes it and says how that went: 0, or the errno of a failed close, which for a file
  // just written is a failed write (NFS reports late errors here). EINTR counts as closed.
  int close() {
    if (m_fd < 0) return 0;
    if (m_ops->close(std::exchange(m_fd, -1)) != 0 && errno != EINTR) return errno;
    return 0;
  }
  // Closes it beside the caller's next work (see FileOps::closeLater).
  void closeLater() {
    if (m_fd >= 0) m_ops->closeLater(std::exchange(m_fd, -1));
  }

 private:
  FileOps* m_ops = nullptr;
  int m_fd = -1;
};

}  // namespace tw::platform
