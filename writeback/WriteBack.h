#pragma once
// Writing a listed file's new content back, safely, in a folder others may write.
//
// The old content never leaves the file's own name: the new content is written to a
// temporary file created exclusively beside it, every write and the close checked, flushed,
// given the old mode, owner, extended attributes and date as asked, and renamed over the
// file in one atomic step; then the folder is flushed. A backup "<listed name>.rpf" is made
// from the old content (a hard link where possible, else a safely written copy) around the
// swap. A file with several hard links, or not this user's, is rewritten in place, after a
// complete copy of its old content is on disk. A file changed by another program since it
// was read is left alone. Any failure leaves the old content in place, removes temporaries
// and says why.
//
// Every step works relative to the file's held folder (FileSite.h); what the write-back
// reads back or builds on, it made itself and can prove so (Trust.h); its temporaries say
// whose they are and are locked while their writer lives (TemporaryName.h); what a killed
// run left is mended by Leftovers (Mending.h). docs/ARCHITECTURE.md shows the states.

#include "platform/Attributes.h"
#include "platform/FileIo.h"
#include "platform/FileOps.h"
#include "writeback/LoadFile.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tw::writeback {

using platform::IoStatus;

struct WriteBackOptions {
  bool createBackup = true;    // keep the old content as "<listed path>.rpf"
  bool keepDate = true;        // give the file back its modification time (to the nanosecond)
  bool keepAttributes = true;  // give the file back its mode, owner, group and extended attributes
  // With createBackup off: an older "<listed path>.rpf" of this user's is removed once the
  // file holds its new content, so that a later restore cannot roll the file back past it.
  bool removeOlderBackup = false;
};

// Replaces the content of `file` with `newContent` by the rules above. On failure the message
// names the file and the reason, and the file keeps its old content with no temporary file
// left beside it; the only exceptions say so in the message: "... was written, but ..." (the
// swap was done, a later flush or clean-up failed) and "... its old content is kept in ..."
// (a hard-linked file whose old content could not be put back).
IoStatus writeBack(const LoadedFile& file, std::string_view newContent,
                   const WriteBackOptions& options);
// The same for a file whose old bytes are held elsewhere.
IoStatus writeBack(const FileFacts& file, std::string_view oldContent, std::string_view newContent,
                   const WriteBackOptions& options);

struct StagedSwap;

// Many files written back with two flushes of the file system per commit instead of two
// flushes per file, by the same rules as writeBack. add() does everything up to a complete
// temporary file beside the file without flushing; commit() flushes them all at once, swaps
// each in (with its backup), and flushes the swaps. A commit of a few files flushes each file
// and its folder instead of the whole file system, which would also write out what other
// programs have not saved yet. A file is written only once commit() reports it so. A file
// rewritten in place is written by add() at once. Destroying a batch with files still staged
// removes their temporary files; those files keep their old content.
class WriteBackBatch {
 public:
  explicit WriteBackBatch(const WriteBackOptions& options,
                          platform::FileOps& ops = platform::systemFileOps());
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

  Added add(const LoadedFile& file, std::string_view newContent);
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

  // Files staged and not yet committed. Each holds its temporary file open (and locked)
  // until then: commit once staged() reaches room().
  size_t staged() const { return m_staged.size(); }
  size_t room() const { return m_room; }

  struct Outcome {
    std::string listedPath;
    IoStatus status;
  };
  // Swaps every staged file in; one outcome per staged file, in the order of add().
  std::vector<Outcome> commit();

 private:
  Added stage(std::unique_ptr<StagedSwap> swap);
  std::vector<int> flushStaged(std::vector<std::unique_ptr<StagedSwap>>& staged, bool few);
  std::vector<int> flushSwaps(std::vector<std::unique_ptr<StagedSwap>>& staged,
                              const std::vector<bool>& swapped, bool few);

  WriteBackOptions m_options;
  platform::FileOps& m_ops;
  std::vector<std::unique_ptr<StagedSwap>> m_staged;
  std::unique_ptr<StagedSwap> m_open;
  platform::ProcessUser m_user;
  size_t m_holdOld = 0;  // how many staged files may hold their old file open
  size_t m_room = 0;     // how many files may be staged at once
};

}  // namespace tw::writeback
