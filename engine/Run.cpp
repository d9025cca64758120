#include "engine/Run.h"

#include "engine/ApplyPair.h"
#include "engine/ProcessRtfFile.h"
#include "engine/Region.h"
#include "engine/WritePool.h"
#include "platform/FileReplace.h"

#include <deque>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace tw {

namespace {

enum class FileStatus { PassedOver, Processed, Failed };

// Changed files are written by a few threads at once (see WritePool); the budget keeps the
// contents waiting to be written small next to the largest file.
constexpr size_t kWriters = 8;
constexpr size_t kWriteBudget = 16u << 20;
constexpr size_t kMaxWritesWaiting = 64;

struct FileOutcome {
  FileStatus status = FileStatus::PassedOver;
  bool started = false;
  int64_t count = 0;
  std::string reason;
  // Occurrences of an RTF file left alone (it is still processed), one sentence per kind.
  std::vector<std::string> notes;
  std::shared_ptr<const WritePool::Job> write;  // the file's write-back, when it has one
};

class ReplacementRun {
public:
  ReplacementRun(const Configuration& config, const AppOptions& options, RunHost& host,
                 const RunMode& mode, int64_t firstCount)
      : m_config(config),
        m_options(options),
        m_host(host),
        m_mode(mode),
        m_firstCount(firstCount),
        m_settings(PassSettings::from(config.Flags, config.Advanced, options)),
        m_throttle(host) {
    for (const StringPair& pair : config.Pairs) {
      m_pairs.push_back(std::make_unique<PreparedPair>(pair, m_settings));
    }
    if (options.SaveAsUnix) {
      m_pairs.push_back(std::make_unique<PreparedPair>(
          StringPair{std::string(kUnixPairFind), "\n"}, m_settings, true));
    }
  }

  int64_t startedCount() const { return m_started; }

  // Waits for every write, then puts the folders of the files written on disk; until then a
  // swapped file may not have reached the disk. Returns the first failure.
  platform::IoStatus flushFolders() { return m_pool ? m_pool->flushFolders() : platform::IoStatus{}; }

  bool writeDone(const WritePool::Job& job) { return m_pool->isDone(job); }
  void waitFor(const WritePool::Job& job) { m_pool->wait(job); }

  // A file written: another entry that leads to it (now perhaps under a new identity) is the
  // same file.
  void written(const WritePool::Job& job) { remember(job.file.resolvedPath); }

  // One entry of the file list.
  FileOutcome ProcessFile(const std::string& path) {
    FileOutcome outcome;
    platform::LoadedFile file;
    if (!load(path, file, outcome)) return outcome;
    if (alreadyProcessed(file)) return outcome;

    m_decision.startFile();
    ++m_started;
    outcome.started = true;
    m_host.fileStarted(path);

    const std::string_view content = file.content;
    const int64_t h = RegionLength(content, m_config.Advanced.ReplaceOnlyInFirst, m_firstCount,
                                   m_config.Advanced.FirstUnit);
    PassContext context{m_host, m_decision, m_throttle, m_settings, path};
    std::string_view text = content.substr(0, static_cast<size_t>(h));
    std::string buffers[2];
    int next = 0;
    for (const auto& pair : m_pairs) {
      if (!pair->active()) continue;
      const int64_t made = ApplyPair(text, *pair, context, buffers[next]);
      if (made == 0) continue;  // a pass without replacements leaves its text as it was
      outcome.count += made;
      text = buffers[next];
      next ^= 1;
    }
    outcome.status = FileStatus::Processed;
    if (outcome.count == 0) return outcome;

    std::string& result = buffers[next ^ 1];
    std::string().swap(buffers[next]);  // an older pass's text: not needed any more
    result.append(content.substr(static_cast<size_t>(h)));
    writeResult(file, result, outcome);
    return outcome;
  }

  // One RTF entry, processed as rich text: its visible text is searched, and replacements
  // are spliced into the document so that its formatting stays.
  FileOutcome ProcessRtfFile(const std::string& path) {
    FileOutcome outcome;
    platform::LoadedFile file;
    if (!load(path, file, outcome)) return outcome;
    if (alreadyProcessed(file)) return outcome;

    m_decision.startFile();
    ++m_started;
    outcome.started = true;
    m_host.fileStarted(path);

    std::vector<const PreparedPair*> pairs;
    for (size_t i = 0; i < m_pairs.size(); ++i) {
      // The Unix pair converts line ends; an RTF document's paragraph marks are none.
      if (m_options.SaveAsUnix && i + 1 == m_pairs.size()) break;
      pairs.push_back(m_pairs[i].get());
    }
    PassContext context{m_host, m_decision, m_throttle, m_settings, path};
    RtfFileResult rtf = ReplaceInRtf(file.content, pairs, context);
    if (!rtf.failure.empty()) {
      outcome.status = FileStatus::Failed;
      outcome.reason = rtf.failure;
      return outcome;
    }
    outcome.status = FileStatus::Processed;
    outcome.count = rtf.count;
    outcome.notes = std::move(rtf.notReplaced);
    if (rtf.changed) writeResult(file, rtf.rtf, outcome);
    return outcome;
  }

private:
  // Loads an entry; false when it is passed over (empty) or failed (reason set).
  bool load(const std::string& path, platform::LoadedFile& file, FileOutcome& outcome) {
    std::string error;
    switch (platform::loadFile(path, file, error)) {
      case platform::LoadResult::Empty:
        return false;
      case platform::LoadResult::Missing:
        outcome.status = FileStatus::Failed;
        outcome.reason = error.empty() ? "the file does not exist" : error;
        return false;
      case platform::LoadResult::Failed:
        outcome.status = FileStatus::Failed;
        outcome.reason = error.empty() ? "the file could not be read" : error;
        return false;
      case platform::LoadResult::Loaded:
        break;
    }
    return true;
  }

  // Hands a changed file to the host and writes it back (not in a dry run).
  // The write itself happens on the write pool; the outcome carries it.
  void writeResult(platform::LoadedFile& file, std::string& result, FileOutcome& outcome) {
    m_host.fileChanged(file.listedPath, file.content, result);
    if (m_mode.DryRun) return;
    platform::WriteBackOptions writeOptions;
    writeOptions.createBackup = m_config.Flags.CreateBackupFiles;
    writeOptions.keepDate = m_options.SaveOldDate;
    writeOptions.keepAttributes = m_options.SaveOldAttributes;
    if (!m_pool) m_pool = std::make_unique<WritePool>(kWriters, kWriteBudget, kMaxWritesWaiting);
    outcome.write = m_pool->submit(std::move(file), std::move(result), writeOptions);
  }

  // True when this file was already processed in this run through another entry.
  bool alreadyProcessed(const platform::LoadedFile& file) {
    const std::pair<uint64_t, uint64_t> id{file.identity.device, file.identity.inode};
    if (m_seenIds.count(id) != 0) return true;
    if (!file.resolvedPath.empty() && m_seenPaths.count(file.resolvedPath) != 0) return true;
    m_seenIds.insert(id);
    if (!file.resolvedPath.empty()) m_seenPaths.insert(file.resolvedPath);
    return false;
  }

  // A rewritten file may have a new identity; another entry leading to it is the same file.
  void remember(const std::string& resolvedPath) {
    struct stat info {};
    if (!resolvedPath.empty() && ::stat(resolvedPath.c_str(), &info) == 0) {
      m_seenIds.insert({static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)});
    }
  }

  const Configuration& m_config;
  const AppOptions& m_options;
  RunHost& m_host;
  const RunMode& m_mode;
  int64_t m_firstCount;
  PassSettings m_settings;
  YieldThrottle m_throttle;
  RunDecision m_decision;
  std::vector<std::unique_ptr<PreparedPair>> m_pairs;
  std::unique_ptr<WritePool> m_pool;
  std::set<std::pair<uint64_t, uint64_t>> m_seenIds;
  std::set<std::string> m_seenPaths;
  int64_t m_started = 0;
};

}  // namespace

std::string ResultLine(const std::string& path, int64_t count) {
  return path + " - " + std::to_string(count) + " replacements made";
}

bool HasExtension(std::string_view path, std::string_view extension) {
  if (path.size() < extension.size()) return false;
  const std::string_view tail = path.substr(path.size() - extension.size());
  for (size_t i = 0; i < tail.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != extension[i]) return false;
  }
  return true;
}

RunOutcome RunReplacement(const Configuration& config, const AppOptions& options, RunHost& host,
                          Clock& clock, RunSummary& summary, const RunMode& mode) {
  RunOutcome outcome;
  int64_t firstCount = 0;
  if (config.Advanced.ReplaceOnlyInFirst) {
    const std::optional<int64_t> parsed = ParseFirstCount(config.Advanced.FirstCount);
    if (!parsed) {
      outcome.Refused = true;
      outcome.Refusal = FirstCountRefusal(config.Advanced.FirstCount);
      return outcome;
    }
    firstCount = *parsed;
  }

  summary.ResultLines.clear();
  summary.FailedFiles.clear();
  summary.TotalReplacements = 0;
  summary.FilesWithReplacements = 0;
  if (summary.FileCounts.size() < config.Files.size()) summary.FileCounts.resize(config.Files.size(), 0);

  for (const FileEntry& entry : config.Files) outcome.CheckedCount += entry.Checked ? 1 : 0;
  host.progress(0);
  const LocalMoment begin = clock.now();
  summary.BeginTime = begin.time;
  summary.BeginDate = begin.date;

  ReplacementRun run(config, options, host, mode, firstCount);

  // Each checked entry's outcome is recorded in list order, a changed file once its write
  // has ended.
  struct Pending {
    size_t index;
    FileOutcome file;
  };
  std::deque<Pending> pending;
  auto record = [&](Pending& done) {
    const std::string& path = config.Files[done.index].Path;
    FileOutcome& file = done.file;
    if (file.write) {
      if (!file.write->status) {
        file.status = FileStatus::Failed;
        file.reason = file.write->status.error.empty() ? "the file could not be written" : file.write->status.error;
      } else {
        run.written(*file.write);
      }
    }
    if (file.status == FileStatus::Failed) {
      summary.FailedFiles.push_back({path, file.reason});
      return;
    }
    if (file.status != FileStatus::Processed) return;
    for (const std::string& note : file.notes) summary.FailedFiles.push_back({path, note});
    if (file.count > 0) {
      ++summary.FilesWithReplacements;
      summary.TotalReplacements += file.count;
      summary.ResultLines.push_back(ResultLine(path, file.count));
    }
    summary.FileCounts[done.index] = file.count;
  };
  auto recordFinished = [&](bool all) {
    while (!pending.empty()) {
      Pending& front = pending.front();
      if (front.file.write) {
        if (all) {
          run.waitFor(*front.file.write);
        } else if (!run.writeDone(*front.file.write)) {
          return;
        }
      }
      record(front);
      pending.pop_front();
    }
  };

  bool anyHandled = false;
  for (size_t index = 0; index < config.Files.size(); ++index) {
    const FileEntry& entry = config.Files[index];
    if (!entry.Checked) continue;
    // Cancel takes effect between files only: no file is ever left half done.
    if (anyHandled && host.cancelRequested()) {
      outcome.Cancelled = true;
      break;
    }
    anyHandled = true;
    const bool richText = options.RtfAsRichText && HasExtension(entry.Path, ".rtf");
    if (!richText && HasExtension(entry.Path, ".mp3")) continue;

    FileOutcome file = richText ? run.ProcessRtfFile(entry.Path) : run.ProcessFile(entry.Path);
    if (file.started) {
      host.progress(static_cast<int>(run.startedCount() * 100 / outcome.CheckedCount));
    }
    pending.push_back({index, std::move(file)});
    recordFinished(false);
  }
  recordFinished(true);
  outcome.StartedCount = run.startedCount();
  if (const platform::IoStatus flushed = run.flushFolders(); !flushed) {
    summary.FailedFiles.push_back({"", "the changed files may not be on disk: " + flushed.error});
  }

  const LocalMoment end = clock.now();
  summary.EndTime = end.time;
  summary.EndDate = end.date;
  return outcome;
}

}  // namespace tw
