#pragma once
// A file made new, exclusively, in a held folder: mode 0600, never through a symbolic link,
// and locked (flock) for as long as it is open, so that another run can tell a file still
// being worked on from one a killed process left behind. It is removed again when its owner
// goes, unless it was kept (renamed into place, or left on purpose).

#include "platform/Folder.h"
#include "platform/SysError.h"
#include "platform/UniqueFd.h"

#include <sys/stat.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace tw::platform {

// Writes every byte of `bytes` at `offset` on into the file `path` open as `fd` (EIO for a
// write that takes nothing).
SysError writeAllAt(FileOps& ops, int fd, std::string_view bytes, off_t offset,
                    const std::string& path);

// `count` letters and digits drawn at random, for the names of new files.
std::string randomCharacters(size_t count);

class TempFile {
 public:
  TempFile() = default;
  TempFile(TempFile&& other) noexcept
      : m_folder(std::move(other.m_folder)),
        m_fd(std::move(other.m_fd)),
        m_name(std::exchange(other.m_name, {})) {}
  TempFile& operator=(TempFile&& other) noexcept;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { discard(); }

  // Creates the file in `folder` under a name `makeName` gives, asked again while a name is
  // taken.
  SysError create(FolderRef folder, const std::function<std::string()>& makeName);

  bool isOpen() const { return static_cast<bool>(m_fd); }
  int fd() const { return m_fd.get(); }
  const std::string& name() const { return m_name; }
  const FolderRef& folder() const { return m_folder; }

  // The file as the user would write it.
  std::string path() const { return m_folder->pathOf(m_name); }
  // Writes `bytes` at `offset` on.
  SysError write(std::string_view bytes, off_t offset) const;
  // Makes the file hold exactly `bytes` (written from the start), with `mode` and, when given,
  // the modification time `mtime`, flushed to disk: a complete copy before it gets a name.
  SysError fill(std::string_view bytes, mode_t mode, const struct timespec* mtime) const;
  // Closes the file (and so gives up its lock); a failed close is a failed write.
  SysError close();
  // Renames the file to `name` in its folder (it stays open and locked).
  SysError rename(const std::string& name);
  // The file is no longer ours to remove: it was renamed into place, or is left on purpose.
  void keep() { m_name.clear(); }
  // Closes and removes the file (nothing when it was kept).
  void discard();

 private:
  FolderRef m_folder;
  UniqueFd m_fd;
  std::string m_name;  // empty once kept
};

}  // namespace tw::platform
