#pragma once
// What a run leaves for the results window and the reports.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// A local time of day to hundredths of a second (the milliseconds divided by 10).
struct RunTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int hundredths = 0;

  bool operator==(const RunTime&) const = default;
};

// A local calendar date.
struct RunDate {
  int32_t year = 0;
  int month = 0;
  int day = 0;

  bool operator==(const RunDate&) const = default;
};

// A checked file that could not be processed, and why (a user-facing reason); or a file that
// was processed, with something the user must know about it.
struct FailedFile {
  enum class Kind {
    Failed,   // not processed (missing, unreadable, not writable, changed meanwhile, cancelled)
    Refused,  // processed, but some occurrences were left alone: not all that was asked
    Notice,   // processed; the reason tells what else happened (an interrupted rewrite mended)
  };
  std::string path;
  std::string reason;
  Kind kind = Kind::Failed;

  bool operator==(const FailedFile&) const = default;
};

// The reason listed for the file in progress when the run was cancelled: it is left exactly
// as it was.
inline constexpr std::string_view kCancelledReason = "not processed: the run was cancelled";

struct RunSummary {
  RunTime BeginTime;
  RunDate BeginDate;
  RunTime EndTime;
  RunDate EndDate;
  int64_t TotalReplacements = 0;
  int64_t FilesWithReplacements = 0;
  // One line per file with replacements, in processing order:
  // "<full path> - <count> replacements made". No fixed bound.
  std::vector<std::string> ResultLines;
  // The replacement count of each position of the file list, set for every file processed;
  // other positions keep their earlier values. Grows with the file list.
  std::vector<int64_t> FileCounts;
  // Files that could not be processed (missing, unreadable, not writable, changed meanwhile),
  // and what else happened to processed files (see Kind), in list order.
  std::vector<FailedFile> FailedFiles;
};

}  // namespace tw
