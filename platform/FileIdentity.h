#pragma once
// Which file a name leads to, and in which state it was seen: value types compared, never
// names. A file is the same file while its device and inode are; it is unchanged while its
// size and modification time are too.

#include <sys/stat.h>

#include <compare>
#include <cstdint>

namespace tw::platform {

// Device and inode: the file itself, whatever names it has.
struct FileId {
  uint64_t device = 0;
  uint64_t inode = 0;

  static FileId of(const struct stat& st) {
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  }
  friend auto operator<=>(const FileId&, const FileId&) = default;
};

// Size and modification time (to the nanosecond): what a write by anybody changes.
struct FileStamp {
  int64_t size = 0;
  int64_t mtimeSec = 0;
  int64_t mtimeNsec = 0;

  static FileStamp of(const struct stat& st) {
    return {static_cast<int64_t>(st.st_size), static_cast<int64_t>(st.st_mtim.tv_sec),
            static_cast<int64_t>(st.st_mtim.tv_nsec)};
  }
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// A file as seen when it was read: used to notice a change by another program and to process
// a file reached through two list entries (a link and its target) only once.
struct FileIdentity {
  FileId id;
  FileStamp stamp;
  uint64_t links = 1;

  static FileIdentity of(const struct stat& st) {
    return {FileId::of(st), FileStamp::of(st), static_cast<uint64_t>(st.st_nlink)};
  }
  bool sameFile(const FileIdentity& other) const { return id == other.id; }
  // Same file, same size, same date: nobody wrote to it since it was seen as this.
  bool unchangedIn(const struct stat& now) const {
    return id == FileId::of(now) && stamp == FileStamp::of(now);
  }
};

}  // namespace tw::platform
