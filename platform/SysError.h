#pragma once
// The error of one system call on one file: which errno, what was being done, to which path.
// Every building block of the write-back returns one; the product's rules turn it into the
// message the user reads ("Cannot write "/a/b.txt": No space left on device").

#include "platform/ErrorText.h"
#include "platform/FileIo.h"

#include <cerrno>
#include <string>
#include <string_view>
#include <utility>

namespace tw::platform {

class [[nodiscard]] SysError {
 public:
  SysError() = default;  // no error
  SysError(int errnum, std::string_view operation, std::string path)
      : m_errnum(errnum), m_operation(operation), m_path(std::move(path)) {}
  // The error the last failed call left in errno.
  static SysError fromErrno(std::string_view operation, std::string path) {
    return {errno, operation, std::move(path)};
  }
  // 0 (no error) or an errno, for a call whose failure is told by its return value.
  static SysError check(int errnum, std::string_view operation, std::string path) {
    return errnum == 0 ? SysError() : SysError(errnum, operation, std::move(path));
  }

  bool ok() const { return m_errnum == 0; }
  bool failed() const { return m_errnum != 0; }
  int errnum() const { return m_errnum; }
  const std::string& operation() const { return m_operation; }
  const std::string& path() const { return m_path; }

  // The same error told as another operation (a failed copy is a failed backup); no error
  // stays none.
  SysError as(std::string_view operation, const std::string& path) const {
    return ok() ? SysError() : SysError(m_errnum, operation, path);
  }
  std::string message() const { return failureText(m_operation, m_path, m_errnum); }
  IoStatus status() const { return ok() ? IoStatus::success() : IoStatus::failure(message()); }

 private:
  int m_errnum = 0;
  std::string m_operation;
  std::string m_path;
};

}  // namespace tw::platform
