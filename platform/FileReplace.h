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
#include "platform/FileOps.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// Which file a listed entry is, as seen when it was read.
struct FileFacts {
  std::string listedPath;    // the path as the file list holds it
  std::string resolvedPath;  // the real file behind it (symbolic links followed)
  FileIdentity identity;
};

// A listed file as read for processing, with its bytes.
struct LoadedFile : FileFacts {
  std::string content;  // every byte of the file
};

enum class LoadResult { Loaded, Missing, Empty, Failed };

// Reads the whole file behind `listedPath`. Missing and Empty are the quiet cases (a file
// that does not exist, or has no bytes, is passed over); Failed carries the reason in `error`.
LoadResult loadFile(const std::string& listedPath, LoadedFile& out, std::string& error);

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

// loadFile into a reused buffer: the bytes are `buffer.view()` until the next read. With
// `resolvedPath` given (the real file behind `listedPath`, as realpath gave it just before),
// the path is not resolved again.
LoadResult loadFile(const std::string& listedPath, const std::string& resolvedPath, FileFacts& out,
                    ReadBuffer& buffer, std::string& error, FileOps& ops);

struct WriteBackOptions {
  bool createBackup = true;    // keep the old content as "<listed path>.rpf"
  bool keepDate = true;        // give the file back its modification time (to the nanosecond)
  bool keepAttributes = true;  // give the file back its mode, owner, group and extended attributes
  // With createBackup off: an older "<listed path>.rpf" is removed once the file holds its new
  // content, so that a later restore cannot roll the file back past this change.
  bool removeOlderBackup = false;
};

// Replaces the content of `file` with `newContent` by the rules above. On failure the message
// names the file and the reason, and the file keeps its old content with no temporary file
// left beside it; the only exceptions say so in the message: "... was written, but ..." (the
// swap was done, a later flush or clean-up failed) and "... its old content is kept in ..."
// (a hard-linked file whose old content could not be put back).
IoStatus writeBack(const LoadedFile& file, std::string_view newContent,
                   const WriteBackOptions& options);

// The same two calls through a chosen file-operations layer (tests inject failures here).
LoadResult loadFile(const std::string& listedPath, LoadedFile& out, std::string& error,
                    FileOps& ops);
IoStatus writeBack(const LoadedFile& file, std::string_view newContent,
                   const WriteBackOptions& options, FileOps& ops);

// Where a swap stands between WriteBackBatch::add and commit.
struct PreparedSwap {
  std::string listedPath;
  std::string real;  // the file the temporary file will be renamed over
  std::string temp;  // the complete temporary file beside it
  FileIdentity identity;
  bool backup = false;             // keep the old content as "<listed path>.rpf"
  bool olderBackup = false;        // an older backup was there when the file was staged
  bool removeOlderBackup = false;  // without a backup: an older "<listed path>.rpf" goes
  int fd = -1;     // the temporary file, still open for its own flush in a small commit
  int oldFd = -1;  // the old file, held open until it is swapped out (then closeLater)
};

// Many files written back with two flushes of the file system per commit instead of two
// flushes per file, by the same rules as writeBack. add() does everything up to a complete
// temporary file beside the file (and the backup) without flushing; commit() flushes them
// all at once, swaps each in, and flushes the swaps. A commit of a few files flushes each
// file and its folder instead of the whole file system, which would also write out what
// other programs have not saved yet. A file is written only once commit()
// reports it so. A file with several hard links is rewritten in place by add() at once.
// Destroying a batch with files still staged removes their temporary files; those files
// keep their old content.
class WriteBackBatch {
 public:
  explicit WriteBackBatch(const WriteBackOptions& options, FileOps& ops = systemFileOps());
  ~WriteBackBatch();
  WriteBackBatch(const WriteBackBatch&) = delete;
  WriteBackBatch& operator=(const WriteBackBatch&) = delete;

  // How a file handed to the batch ended: a failure (the file is as it was, `status` says
  // why), staged for the next commit, or written at once (a file rewritten in place).
  struct Added {
    IoStatus status;
    bool staged = false;
    explicit operator bool() const { return status.ok; }
  };

  // Stages the new content of `file`.
  Added add(const LoadedFile& file, std::string_view newContent);
  // The same for a file whose old bytes are held elsewhere.
  Added add(const FileFacts& file, std::string_view oldContent, std::string_view newContent);

  // The new content in pieces, for a file too big to hold twice: beginStaged() makes the
  // same checks as add() and opens the temporary file, appendStaged() writes the next piece
  // to it, finishStaged() stages it as add() would, abandonStaged() removes it again (as
  // does a failed append, another begin, or the end of the batch). One file at a time.
  // A file that has to be rewritten in place takes no pieces: then `inPlace` is set,
  // nothing is begun, and its whole new content goes to add().
  IoStatus beginStaged(const FileFacts& file, bool& inPlace);
  IoStatus appendStaged(std::string_view piece);
  Added finishStaged();
  void abandonStaged();

  // Files staged and not yet committed. Commit every few hundred files: each staged file
  // holds its new content in a temporary file until then.
  size_t staged() const { return m_staged.size(); }

  struct Outcome {
    std::string listedPath;
    IoStatus status;
  };
  // Swaps every staged file in; one outcome per staged file, in the order of add().
  std::vector<Outcome> commit();

  struct OpenStage;  // a staged file being written

 private:
  IoStatus keepFolderOpen(const PreparedSwap& swap);
  Added stage(PreparedSwap swap);

  WriteBackOptions m_options;
  FileOps& m_ops;
  std::vector<PreparedSwap> m_staged;
  std::map<uint64_t, int> m_deviceFds;  // one open folder per file system, for its flush
  std::unique_ptr<OpenStage> m_open;
  uid_t m_uid;  // who this process is, asked once per batch
  gid_t m_gid;
  size_t m_holdOld = 0;  // how many staged files may hold their old file open
};

// Writes `bytes` to `path` the safe way (temporary file, flushed, renamed over `path`,
// folder flushed), with mode `mode` and, when `mtime` is given, that modification time.
// Used for copies that must be complete on disk before they carry their name.
IoStatus writeCopySafely(const std::string& path, std::string_view bytes, mode_t mode,
                         const struct timespec* mtime, FileOps& ops);

// Whether `fileName` is the name of a temporary file as writeBack makes them beside a file:
// a dot, the file's name, a mark (".twtmp-" new content, ".twbak-" the old content about to
// become the backup, ".twold-" the old content of a file rewritten in place), the writing
// process's id, "-" and six random characters. Files named so may be left by a killed run.
bool isTemporaryName(const std::string& fileName);

// What a killed run (or a failed one that could not clean up) left beside the files, mended
// before a file is read again. Only files whose writing process is gone are touched:
// - new content that never got the file's name is removed;
// - the old content of a rewrite in place that was interrupted is put back into the file
//   (it may be torn), and a note says so;
// - the old content on its way to the backup becomes "<file>.rpf" when the file was swapped
//   meanwhile, and is removed when it was not.
// A folder is listed once while its files are reached one after another.
class Leftovers {
 public:
  explicit Leftovers(FileOps& ops = systemFileOps()) : m_ops(ops) {}
  // Mends the leftovers of `listedPath` (and of the real file behind it). Messages for the
  // user go to `notes`; a failure names the file: the file must not be processed then.
  IoStatus mend(const std::string& listedPath, std::vector<std::string>& notes);
  // The same with the real file behind `listedPath` already known.
  IoStatus mend(const std::string& listedPath, const std::string& real,
                std::vector<std::string>& notes);

 private:
  FileOps& m_ops;
  std::map<std::string, std::vector<std::string>> m_folders;
};

}  // namespace tw::platform
