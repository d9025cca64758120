#pragma once
// Reading a listed file for processing and swapping its new content in safely.
//
// The old content never leaves the file's own name: the new content is written to a temporary
// file created exclusively in the same folder, every write and the close checked, flushed,
// given the old mode, owner, extended attributes and date as asked, and renamed over the file
// in one atomic step; then the folder is flushed. A backup "<listed path>.rpf" is made from
// the old content (a hard link where possible, else a safely written copy) before the swap.
// A file with several hard links is rewritten in place, after a complete copy of its old
// content is on disk. A file changed by another program since it was read is left alone.
// Any failure leaves the old content in place, removes temporaries and says why.

#include "platform/FileIo.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tw::platform {

// Who a file is, as seen when it was read; used to notice a change by another program and to
// process a file reached through two list entries (a link and its target) only once.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t mtimeSec = 0;
  int64_t mtimeNsec = 0;
  uint64_t links = 1;

  bool sameFile(const FileIdentity& other) const {
    return device == other.device && inode == other.inode;
  }
};

// A listed file as read for processing.
struct LoadedFile {
  std::string listedPath;    // the path as the file list holds it
  std::string resolvedPath;  // the real file behind it (symbolic links followed)
  FileIdentity identity;
  std::string content;       // every byte of the file
};

enum class LoadResult { Loaded, Missing, Empty, Failed };

// Reads the whole file behind `listedPath`. Missing and Empty are the quiet cases (a file
// that does not exist, or has no bytes, is passed over); Failed carries the reason in `error`.
LoadResult loadFile(const std::string& listedPath, LoadedFile& out, std::string& error);

struct WriteBackOptions {
  bool createBackup = true;    // keep the old content as "<listed path>.rpf"
  bool keepDate = true;        // give the file back its modification time (to the nanosecond)
  bool keepAttributes = true;  // give the file back its mode, owner, group and extended attributes
};

// Replaces the content of `file` with `newContent` by the rules above.
IoStatus writeBack(const LoadedFile& file, std::string_view newContent,
                   const WriteBackOptions& options);

}  // namespace tw::platform
