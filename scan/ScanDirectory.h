#pragma once
// The directory walk of a scan.

#include "platform/FileOps.h"
#include "scan/ScanCriteria.h"

#include <chrono>
#include <string>
#include <vector>

namespace tw {

// A directory the walk could not open or list, with the reason.
struct ScanProblem {
  std::string path;
  std::string reason;
};

// What the walk tells its caller as it goes, and asks it. Both are called on the walk's own
// thread, so a window can run the walk on another thread and still show it and stop it.
class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  // The walk begins to search the folder `folder` (a full path).
  virtual void searching(const std::string& folder) = 0;
  // Asked before each folder and every few hundred names; true stops the walk at once.
  virtual bool cancelRequested() = 0;
};

// Walks `criteria.Directory` and appends to `found` the full path of every file that passes.
// Per directory: the files matching mask 1, then mask 2, ..., then (with `Recurse`) each
// subdirectory in turn, depth first. Entries are taken in byte order of their names, so a scan
// is repeatable. A file is listed when it is a regular file (a symbolic link to one counts),
// its name matches the mask as a whole and by `MatchMaskExtension`, and it meets every
// criterion that is on; a file matching two masks is appended twice. Names beginning with "."
// are never listed nor entered, and a symbolic link to a directory is not entered, so the walk
// cannot loop. A directory that cannot be opened or listed yields nothing; it is recorded in
// `problems` when given; a file that cannot be examined for a criterion that is on is left
// out. Every file-system call goes through `ops`. `now` is the moment ages are measured from
// (dates are local dates).
// Returns false when `observer` stopped the walk before its end (`found` then holds a part).
bool ScanDirectory(const ScanCriteria& criteria, std::chrono::system_clock::time_point now,
                   std::vector<std::string>& found, std::vector<ScanProblem>* problems = nullptr,
                   ScanObserver* observer = nullptr,
                   platform::FileOps& ops = platform::systemFileOps());

// The local calendar date of a moment.
LocalDate localDateOf(std::chrono::system_clock::time_point moment);

}  // namespace tw
