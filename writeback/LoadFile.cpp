#include "writeback/LoadFile.h"
#include "platform/Retry.h"

#include "platform/ErrorText.h"
#include "platform/FileIo.h"
#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace tw::writeback {

namespace {

// Reads the file at `site` into the storage that `room(n)` gives (n bytes at least, from its
// start); its length goes to `have`.
template <typename Room>
LoadResult readSite(const FileSite& site, FileFacts& out, std::string& error, Room&& room,
                    size_t& have) {
  have = 0;
  error.clear();
  out.identity = {};
  out.site = site;
  out.listedPath = site.listedPath;
  out.resolvedPath = site.realPath();
  auto failed = [&](const char* what, int errnum) {
    error = platform::failureText(what, site.listedPath, errnum);
    return LoadResult::Failed;
  };
  platform::FileOps& ops = site.folder->ops();
  // O_NONBLOCK: opening a FIFO or a device must not hang the run.
  platform::UniqueFd fd;
  if (platform::SysError opened =
          site.folder->open(site.name, O_RDONLY | O_NOCTTY | O_NONBLOCK, fd);
      opened.failed()) {
    if (opened.errnum() == ENOENT) return LoadResult::Missing;
    return failed("Cannot open", opened.errnum());
  }
  struct stat st {};
  if (ops.fstat(fd.get(), &st) != 0) return failed("Cannot read", errno);
  if (S_ISDIR(st.st_mode)) return failed("Cannot read", EISDIR);
  if (!S_ISREG(st.st_mode)) {
    error = "Cannot read " + platform::quoted(site.listedPath) + ": Not a regular file";
    return LoadResult::Failed;
  }
  out.identity = platform::FileIdentity::of(st);
  if (st.st_size == 0) return LoadResult::Empty;

  // One byte more than the file had: a file that grew since is seen at once.
  const size_t size = static_cast<size_t>(st.st_size) + 1;
  char* data = room(size);
  while (have < size) {
    const ssize_t n =
        platform::retryOnInterrupt([&] { return ops.read(fd.get(), data + have, size - have); });
    if (n < 0) {
      const int errnum = errno;
      have = 0;
      return failed("Cannot read", errnum);
    }
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  if (static_cast<int64_t>(have) != out.identity.stamp.size) {
    have = 0;
    error = "Cannot read " + platform::quoted(site.listedPath) + ": it changed while it was read";
    return LoadResult::Failed;
  }
  return LoadResult::Loaded;
}

}  // namespace

char* ReadBuffer::reserve(size_t capacity) {
  if (capacity > m_capacity) {
    // An eighth more than asked, so that a list of files of about one size does not move it
    // (the pages beyond what is read are never touched); large pages for a big file, faulted
    // in on two processors before the read fills them: the 72 MiB for a 64 MiB file took 0.12 s
    // on one and 0.07 s on two where that memory was cold (bench/README.md).
    const size_t grown = capacity + capacity / 8;
    m_data.reset();
    m_capacity = 0;  // so that a failed allocation leaves no room behind that is not there
    m_data.reset(new char[grown]);
    m_capacity = grown;
    if (grown >= (size_t{4} << 20)) {
      platform::adviseLargePages(m_data.get(), grown);
      platform::faultIn(m_data.get(), capacity);
    }
  }
  m_size = 0;
  return m_data.get();
}

void ReadBuffer::release() {
  m_data.reset();
  m_capacity = 0;
  m_size = 0;
}

LoadResult loadFile(const FileSite& site, FileFacts& out, ReadBuffer& buffer, std::string& error) {
  size_t have = 0;
  buffer.setSize(0);
  const LoadResult result = readSite(
      site, out, error, [&](size_t size) { return buffer.reserve(size); }, have);
  buffer.setSize(have);
  return result;
}

namespace {

// Finds the folder and name of `listedPath` for a load: Missing or Failed (with the reason)
// when it cannot be, else Loaded.
LoadResult locateForLoad(FolderCache& folders, const std::string& listedPath, FileFacts& out,
                         FileSite& site, std::string& error) {
  if (platform::SysError located = locate(folders, listedPath, site); located.failed()) {
    out.listedPath = listedPath;
    out.site = site;
    if (located.errnum() == ENOENT) return LoadResult::Missing;
    error = located.message();
    return LoadResult::Failed;
  }
  return LoadResult::Loaded;
}

}  // namespace

LoadResult loadFile(FolderCache& folders, const std::string& listedPath, FileFacts& out,
                    ReadBuffer& buffer, std::string& error) {
  buffer.setSize(0);
  FileSite site;
  const LoadResult located = locateForLoad(folders, listedPath, out, site, error);
  return located == LoadResult::Loaded ? loadFile(site, out, buffer, error) : located;
}

LoadResult loadFile(const std::string& listedPath, LoadedFile& out, std::string& error,
                    platform::FileOps& ops) {
  out.content.clear();
  FolderCache folders(ops);
  FileSite site;
  const LoadResult located = locateForLoad(folders, listedPath, out, site, error);
  return located == LoadResult::Loaded ? loadFile(site, out, error) : located;
}

LoadResult loadFile(const FileSite& site, LoadedFile& out, std::string& error) {
  out.content.clear();
  size_t have = 0;
  const LoadResult result = readSite(
      site, out, error,
      [&](size_t size) {
        out.content.resize(size);
        return out.content.data();
      },
      have);
  out.content.resize(have);
  return result;
}

}  // namespace tw::writeback
