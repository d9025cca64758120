#pragma once
// Where a listed file lives. Its folder is opened once, and every later step on the file, its
// temporaries and its backup is made relative to that descriptor.
//
// The name the list gives ("listed name") is looked at in the folder the list's path leads
// to. Its backup and the old content on the way to it are beside that name. When the listed
// name is a symbolic link, the file it leads to ("real file") is resolved once and its own
// folder opened without following a link; the new content and the copies of a rewrite in
// place are beside the real file.

#include "platform/FileOps.h"
#include "platform/Folder.h"
#include "platform/SysError.h"

#include <map>
#include <string>

namespace tw::writeback {

struct FileSite {
  std::string listedPath;  // as the file list holds it: what messages name
  platform::FolderRef listedFolder;
  std::string listedName;
  platform::FolderRef folder;  // the real file's folder (the listed one unless a link leads away)
  std::string name;            // the real file's name in it

  std::string backupName() const { return listedName + ".rpf"; }
  std::string backupPath() const { return listedPath + ".rpf"; }
  // The real file's path as the user would write it.
  std::string realPath() const { return folder->pathOf(name); }
};

// Folders opened for a run, by the path they were opened with: the files of one folder share
// one descriptor. A few dozen are kept; older ones are closed once no file holds them.
class FolderCache {
 public:
  explicit FolderCache(platform::FileOps& ops) : m_ops(ops) {}
  platform::FileOps& ops() const { return m_ops; }
  platform::SysError open(const std::string& path, bool noFollow, platform::FolderRef& out);

 private:
  platform::FileOps& m_ops;
  std::map<std::pair<std::string, bool>, platform::FolderRef> m_open;
};

// Finds where `listedPath` lives. When the listed name (or what its link leads to) does not
// exist, the error is ENOENT and `out` still names the listed folder and name as the real
// ones (where a restored file would be made); when the folder cannot be opened, `out` has
// none. A path holding a NUL byte is refused (EINVAL): no file can have such a name.
platform::SysError locate(FolderCache& folders, const std::string& listedPath, FileSite& out);

}  // namespace tw::writeback
