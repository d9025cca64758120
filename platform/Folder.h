#pragma once
// A folder held open by a descriptor. Every step on a file in it (open, look, rename, link,
// remove, flush) is made relative to that descriptor and never follows a symbolic link in
// the file's own name, so that a folder renamed, or replaced by a link to another folder,
// after it was opened changes nothing: the folder that was checked is the folder written.

#include "platform/FileIdentity.h"
#include "platform/FileOps.h"
#include "platform/SysError.h"
#include "platform/UniqueFd.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tw::platform {

class Folder {
 public:
  // Opens the folder at `path` ("" is the current folder); symbolic links on the way are
  // followed as the path says, but the folder's own name is not followed when `noFollow`.
  // The path is kept as given, for messages and for the names of files in it.
  static SysError open(FileOps& ops, const std::string& path, bool noFollow,
                       std::shared_ptr<const Folder>& out);

  FileOps& ops() const { return *m_ops; }
  int fd() const { return m_fd.get(); }
  FileId id() const { return m_id; }
  // `name` in this folder, as the user would write it ("dir/name").
  std::string pathOf(std::string_view name) const;

  // openat(2) of `name` into `out`, never through a symbolic link.
  SysError open(const std::string& name, int flags, UniqueFd& out, mode_t mode = 0) const;
  // What `name` is (a symbolic link itself, not what it leads to).
  SysError look(const std::string& name, struct stat& st) const;
  // Renames `from` of this folder to `to` in `target` (this folder or another).
  SysError rename(const std::string& from, const Folder& target, const std::string& to) const;
  // A new name `to` in `target` for the file `from` of this folder.
  SysError link(const std::string& from, const Folder& target, const std::string& to) const;
  // Removes the name `name` (never a folder).
  SysError remove(const std::string& name) const;
  // Every name in the folder, without "." and "..".
  SysError list(std::vector<FolderEntry>& entries) const;
  // Flushes the folder's names (renames, new links) to disk.
  SysError flush() const;

 private:
  Folder(FileOps& ops, UniqueFd fd, FileId id, std::string path)
      : m_ops(&ops), m_fd(std::move(fd)), m_id(id), m_path(std::move(path)) {}

  FileOps* m_ops;
  UniqueFd m_fd;
  FileId m_id;
  std::string m_path;  // as given, ending in "/" (empty for the current folder)
};

using FolderRef = std::shared_ptr<const Folder>;

}  // namespace tw::platform
