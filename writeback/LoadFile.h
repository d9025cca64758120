#pragma once
// Reading a listed file for processing: every byte, once, through its held folder, with who
// the file is and in which state it was read, so that its write-back can tell whether
// anybody changed it since.

#include "platform/FileIdentity.h"
#include "platform/FileOps.h"
#include "writeback/FileSite.h"

#include <memory>
#include <string>
#include <string_view>

namespace tw::writeback {

// Which file a listed entry is, as seen when it was read.
struct FileFacts {
  std::string listedPath;    // the path as the file list holds it
  std::string resolvedPath;  // the real file behind it, as the user would write it
  FileSite site;
  platform::FileIdentity identity;
};

// A listed file as read for processing, with its bytes.
struct LoadedFile : FileFacts {
  std::string content;  // every byte of the file
};

enum class LoadResult { Loaded, Missing, Empty, Failed };

// Storage for the bytes of one file after another: it grows to the largest file read, is
// never zero-filled and never shrinks until it is destroyed or released.
class ReadBuffer {
 public:
  std::string_view view() const { return {m_data.get(), m_size}; }
  // Room for at least `capacity` bytes; what it held is gone.
  char* reserve(size_t capacity);
  void setSize(size_t size) { m_size = size; }
  size_t capacity() const { return m_capacity; }
  void release();

 private:
  std::unique_ptr<char[]> m_data;
  size_t m_capacity = 0;
  size_t m_size = 0;
};

// Reads the whole file at `site` into `buffer` (its bytes are `buffer.view()` until the next
// read). Missing and Empty are the quiet cases (a file that does not exist, or has no bytes,
// is passed over); Failed carries the reason in `error`. A FIFO, device or folder is refused
// without being opened for long: nothing blocks.
LoadResult loadFile(const FileSite& site, FileFacts& out, ReadBuffer& buffer, std::string& error);

// The same into `out.content`.
LoadResult loadFile(const FileSite& site, LoadedFile& out, std::string& error);
// The same for a path, its folder found through `folders` (opened once for all its files).
LoadResult loadFile(FolderCache& folders, const std::string& listedPath, FileFacts& out,
                    ReadBuffer& buffer, std::string& error);
// The same for a path, into `out.content`: its folder is opened for this one file.
LoadResult loadFile(const std::string& listedPath, LoadedFile& out, std::string& error,
                    platform::FileOps& ops = platform::systemFileOps());

}  // namespace tw::writeback
