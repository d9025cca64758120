#include "engine/Run.h"

#include "engine/ApplyPair.h"
#include "engine/Region.h"
#include "platform/FileReplace.h"

#include <memory>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace tw {

namespace {

constexpr const char* kRichTextUnavailable =
    "not processed: RTF files cannot be processed as rich text yet";

enum class FileStatus { PassedOver, Processed, Failed };

struct FileOutcome {
  FileStatus status = FileStatus::PassedOver;
  bool started = false;
  int64_t count = 0;
  std::string reason;
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

  // Puts the folders of the files written so far on disk; until then a swapped file may not
  // have reached the disk. Returns the first failure.
  platform::IoStatus flushFolders() { return m_flushes.flush(); }

  // One entry of the file list.
  FileOutcome ProcessFile(const std::string& path) {
    FileOutcome outcome;
    platform::LoadedFile file;
    std::string error;
    switch (platform::loadFile(path, file, error)) {
      case platform::LoadResult::Empty:
        return outcome;
      case platform::LoadResult::Missing:
        outcome.status = FileStatus::Failed;
        outcome.reason = error.empty() ? "the file does not exist" : error;
        return outcome;
      case platform::LoadResult::Failed:
        outcome.status = FileStatus::Failed;
        outcome.reason = error.empty() ? "the file could not be read" : error;
        return outcome;
      case platform::LoadResult::Loaded:
        break;
    }
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
    result.append(content.substr(static_cast<size_t>(h)));
    m_host.fileChanged(path, content, result);
    if (m_mode.DryRun) return outcome;
    platform::WriteBackOptions writeOptions;
    writeOptions.createBackup = m_config.Flags.CreateBackupFiles;
    writeOptions.keepDate = m_options.SaveOldDate;
    writeOptions.keepAttributes = m_options.SaveOldAttributes;
    writeOptions.deferredFlushes = &m_flushes;
    const platform::IoStatus written = platform::writeBack(file, result, writeOptions);
    if (!written) {
      outcome.status = FileStatus::Failed;
      outcome.reason = written.error.empty() ? "the file could not be written" : written.error;
      return outcome;
    }
    remember(file.resolvedPath);
    return outcome;
  }

private:
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
  platform::FolderFlushes m_flushes;
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
    if (options.RtfAsRichText && HasExtension(entry.Path, ".rtf")) {
      summary.FailedFiles.push_back({entry.Path, kRichTextUnavailable});
      continue;
    }
    if (HasExtension(entry.Path, ".mp3")) continue;

    const FileOutcome file = run.ProcessFile(entry.Path);
    if (file.started) {
      host.progress(static_cast<int>(run.startedCount() * 100 / outcome.CheckedCount));
    }
    if (file.status == FileStatus::Failed) {
      summary.FailedFiles.push_back({entry.Path, file.reason});
      continue;
    }
    if (file.status != FileStatus::Processed) continue;
    if (file.count > 0) {
      ++summary.FilesWithReplacements;
      summary.TotalReplacements += file.count;
      summary.ResultLines.push_back(ResultLine(entry.Path, file.count));
    }
    summary.FileCounts[index] = file.count;
  }
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
