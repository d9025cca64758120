#include "writeback/FileSite.h"

#include "platform/FileIo.h"

#include <sys/stat.h>
#include <unistd.h>

namespace tw::writeback {

namespace {

constexpr size_t kFoldersKept = 64;

// The real path behind the link `name` in `folder`: resolved through the open folder where
// the system shows open descriptors as paths, so that the folder cannot change in between.
bool resolveLink(const platform::Folder& folder, const std::string& name,
                 const std::string& listedPath, std::string& real) {
  static const bool haveFdPaths = ::access("/proc/self/fd", X_OK) == 0;
  if (haveFdPaths) {
    const std::string viaFd = "/proc/self/fd/" + std::to_string(folder.fd()) + "/" + name;
    return folder.ops().realPath(viaFd.c_str(), real);
  }
  return folder.ops().realPath(listedPath.c_str(), real);
}

}  // namespace

platform::SysError FolderCache::open(const std::string& path, bool noFollow,
                                     platform::FolderRef& out) {
  const auto key = std::make_pair(path, noFollow);
  if (auto found = m_open.find(key); found != m_open.end()) {
    out = found->second;
    return {};
  }
  if (m_open.size() >= kFoldersKept) m_open.clear();  // staged files still hold theirs
  if (platform::SysError error = platform::Folder::open(m_ops, path, noFollow, out);
      error.failed()) {
    return error;
  }
  m_open.emplace(key, out);
  return {};
}

platform::SysError locate(FolderCache& folders, const std::string& listedPath, FileSite& out) {
  out = FileSite{};
  out.listedPath = listedPath;
  if (listedPath.find('\0') != std::string::npos) return {EINVAL, "Cannot open", listedPath};
  out.listedName = platform::fileNameOf(listedPath);
  if (out.listedName.empty() || out.listedName == "." || out.listedName == "..")
    return {EISDIR, "Cannot read", listedPath};
  if (platform::SysError opened =
          folders.open(platform::folderOf(listedPath), false, out.listedFolder);
      opened.failed()) {
    return opened.as("Cannot open", listedPath);
  }
  out.folder = out.listedFolder;
  out.name = out.listedName;
  struct stat st {};
  if (platform::SysError looked = out.listedFolder->look(out.listedName, st); looked.failed())
    return looked.as("Cannot open", listedPath);
  if (!S_ISLNK(st.st_mode)) return {};

  std::string real;
  if (!resolveLink(*out.listedFolder, out.listedName, listedPath, real))
    return platform::SysError::fromErrno("Cannot open", listedPath);
  platform::FolderRef realFolder;
  if (platform::SysError opened = folders.open(platform::folderOf(real), true, realFolder);
      opened.failed()) {
    return opened.as("Cannot open", listedPath);
  }
  out.folder = std::move(realFolder);
  out.name = platform::fileNameOf(real);
  return {};
}

}  // namespace tw::writeback
