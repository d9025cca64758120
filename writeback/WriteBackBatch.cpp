#include "writeback/WriteBack.h"

#include "platform/ErrorText.h"
#include "writeback/InPlaceRewrite.h"
#include "writeback/Swap.h"

#include <sys/resource.h>
#include <algorithm>
#include <map>

namespace tw::writeback {

using platform::fail;
using platform::quoted;

namespace {

// A commit of at most this many files flushes each file and folder on its own: about 0.6 ms
// per file here, against a flush of the file system that also writes out whatever other
// programs left unsaved.
constexpr size_t kFewFiles = 8;
// Staged files whose old file is held open until its swap, at most (see closeLater).
constexpr size_t kMostHeld = 1024;
// Staged files at most: each holds its temporary file open.
constexpr size_t kMostStaged = 1024;

// What the process may open, or 1024 where it cannot be told.
size_t descriptorLimit() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 1024;
  if (limit.rlim_cur == RLIM_INFINITY) return kMostHeld * 4;
  return static_cast<size_t>(limit.rlim_cur);
}

// Stages `file` up to a complete temporary file, or rewrites it in place (`done`).
IoStatus prepare(const FileFacts& file, std::string_view oldContent, std::string_view newContent,
                 const WriteBackOptions& options, platform::ProcessUser user, bool flush,
                 StagedSwap& swap, bool& done) {
  bool inPlace = false;
  if (IoStatus begun = beginSwap(file, options, user, swap, inPlace); !begun) return begun;
  if (inPlace) {
    done = true;
    return rewriteInPlace(file, oldContent, newContent, options, swap.old);
  }
  if (IoStatus written = appendToSwap(swap, newContent); !written) return written;
  return completeSwap(swap, options, user, flush);
}

// The folders a swap changed: the real file's and, where another, the listed name's.
void foldersOf(const StagedSwap& swap, std::vector<const platform::Folder*>& out) {
  out.push_back(swap.file.site.folder.get());
  if (swap.file.site.listedFolder != swap.file.site.folder)
    out.push_back(swap.file.site.listedFolder.get());
}

}  // namespace

IoStatus writeBack(const LoadedFile& file, std::string_view newContent,
                   const WriteBackOptions& options) {
  return writeBack(file, file.content, newContent, options);
}

IoStatus writeBack(const FileFacts& file, std::string_view oldContent, std::string_view newContent,
                   const WriteBackOptions& options) {
  StagedSwap swap;
  bool done = false;
  IoStatus prepared = prepare(file, oldContent, newContent, options,
                              platform::ProcessUser::current(), true, swap, done);
  if (!prepared || done) return prepared;
  if (IoStatus swapped = finishSwap(swap, options); !swapped) return swapped;
  int errnum = swap.temp.close().errnum();
  std::vector<const platform::Folder*> folders;
  foldersOf(swap, folders);
  for (const platform::Folder* folder : folders) {
    if (errnum == 0) errnum = folder->flush().errnum();
  }
  if (errnum != 0) {
    return IoStatus::failure(
        quoted(file.listedPath) +
        " was written, but it could not be flushed to disk: " + platform::errorText(errnum));
  }
  return IoStatus::success();
}

WriteBackBatch::WriteBackBatch(const WriteBackOptions& options, platform::FileOps& ops)
    : m_options(options), m_ops(ops), m_user(platform::ProcessUser::current()) {
  // Held old files take a quarter of what the process may open, temporary files another.
  const size_t limit = descriptorLimit();
  m_holdOld = std::min(kMostHeld, limit / 4);
  m_room = std::clamp<size_t>(limit / 4, 1, kMostStaged);
}

WriteBackBatch::~WriteBackBatch() = default;

WriteBackBatch::Added WriteBackBatch::add(const LoadedFile& file, std::string_view newContent) {
  return add(file, file.content, newContent);
}

WriteBackBatch::Added WriteBackBatch::add(const FileFacts& file, std::string_view oldContent,
                                          std::string_view newContent) {
  auto swap = std::make_unique<StagedSwap>();
  bool done = false;
  IoStatus prepared = prepare(file, oldContent, newContent, m_options, m_user, false, *swap, done);
  if (!prepared || done) return {std::move(prepared), false};
  return stage(std::move(swap));
}

IoStatus WriteBackBatch::beginStaged(const FileFacts& file, bool& inPlace) {
  m_open = std::make_unique<StagedSwap>();
  IoStatus begun = beginSwap(file, m_options, m_user, *m_open, inPlace);
  if (!begun || inPlace) m_open.reset();
  return begun;
}

IoStatus WriteBackBatch::appendStaged(std::string_view piece) {
  if (!m_open) return IoStatus::failure("Cannot write: no file is being staged");
  IoStatus written = appendToSwap(*m_open, piece);
  if (!written) m_open.reset();
  return written;
}

WriteBackBatch::Added WriteBackBatch::finishStaged() {
  if (!m_open) return {IoStatus::failure("Cannot write: no file is being staged"), false};
  std::unique_ptr<StagedSwap> swap = std::move(m_open);
  if (IoStatus completed = completeSwap(*swap, m_options, m_user, false); !completed)
    return {std::move(completed), false};
  return stage(std::move(swap));
}

void WriteBackBatch::abandonStaged() {
  m_open.reset();
}

WriteBackBatch::Added WriteBackBatch::stage(std::unique_ptr<StagedSwap> swap) {
  // The old file stays open until its swap only while there is room for it.
  if (m_staged.size() >= m_holdOld) swap->oldFd.reset();
  m_staged.push_back(std::move(swap));
  return {IoStatus::success(), true};
}

// The new contents on disk before any name changes: a few files one by one, through the
// descriptors they were written with, more with their file systems. One errno per file.
std::vector<int> WriteBackBatch::flushStaged(std::vector<std::unique_ptr<StagedSwap>>& staged,
                                             bool few) {
  std::vector<int> errors(staged.size(), 0);
  std::map<uint64_t, int> deviceErrors;
  for (size_t i = 0; i < staged.size(); ++i) {
    StagedSwap& swap = *staged[i];
    if (few) {
      if (m_ops.fsync(swap.temp.fd()) != 0) errors[i] = errno;
      continue;
    }
    const uint64_t device = swap.file.identity.id.device;
    auto flushed = deviceErrors.find(device);
    if (flushed == deviceErrors.end()) {
      const int errnum = m_ops.syncfs(swap.temp.fd()) == 0 ? 0 : errno;
      flushed = deviceErrors.emplace(device, errnum).first;
    }
    errors[i] = flushed->second;
  }
  return errors;
}

// The names changed by the swaps done, on disk: the folders of a few files, else the file
// systems. One errno per file.
std::vector<int> WriteBackBatch::flushSwaps(std::vector<std::unique_ptr<StagedSwap>>& staged,
                                            const std::vector<bool>& swapped, bool few) {
  std::vector<int> errors(staged.size(), 0);
  std::map<platform::FileId, int> folderErrors;
  std::map<uint64_t, int> deviceErrors;
  std::vector<const platform::Folder*> folders;
  for (size_t i = 0; i < staged.size(); ++i) {
    if (!swapped[i]) continue;
    folders.clear();
    foldersOf(*staged[i], folders);
    for (const platform::Folder* folder : folders) {
      int errnum = 0;
      if (few) {
        auto [at, fresh] = folderErrors.emplace(folder->id(), 0);
        if (fresh) at->second = folder->flush().errnum();
        errnum = at->second;
      } else {
        auto [at, fresh] = deviceErrors.emplace(folder->id().device, 0);
        if (fresh) at->second = m_ops.syncfs(folder->fd()) == 0 ? 0 : errno;
        errnum = at->second;
      }
      if (errors[i] == 0) errors[i] = errnum;
    }
  }
  return errors;
}

std::vector<WriteBackBatch::Outcome> WriteBackBatch::commit() {
  std::vector<std::unique_ptr<StagedSwap>> staged = std::move(m_staged);
  m_staged.clear();
  std::vector<Outcome> outcomes;
  outcomes.reserve(staged.size());
  const bool few = staged.size() <= kFewFiles;
  const std::vector<int> flushErrors = flushStaged(staged, few);

  std::vector<bool> swapped(staged.size(), false);
  for (size_t i = 0; i < staged.size(); ++i) {
    StagedSwap& swap = *staged[i];
    if (flushErrors[i] != 0) {
      outcomes.push_back(
          {swap.file.listedPath, fail("Cannot write", swap.file.listedPath, flushErrors[i])});
    } else {
      outcomes.push_back({swap.file.listedPath, finishSwap(swap, m_options)});
      swapped[i] = outcomes.back().status.ok;
    }
    // A failed close of the new content is a late write error (NFS reports them here).
    if (const int closed = swap.temp.close().errnum(); closed != 0 && swapped[i]) {
      outcomes.back().status = IoStatus::failure(
          quoted(swap.file.listedPath) +
          " was written, but it could not be flushed to disk: " + platform::errorText(closed));
      swapped[i] = false;
    }
    // The old content, swapped out and without a backup, is freed by this close.
    swap.oldFd.closeLater();
  }

  // The swaps themselves, on disk before the files are reported written.
  const std::vector<int> swapErrors = flushSwaps(staged, swapped, few);
  for (size_t i = 0; i < staged.size(); ++i) {
    if (swapErrors[i] == 0) continue;
    outcomes[i].status = IoStatus::failure(
        quoted(outcomes[i].listedPath) +
        " was written, but it could not be flushed to disk: " + platform::errorText(swapErrors[i]));
  }
  return outcomes;
}

}  // namespace tw::writeback
