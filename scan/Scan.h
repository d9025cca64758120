#pragma once
// File collection by a directory scan. The dialog's fields (or the command line's options)
// become `ScanCriteria` (ScanCriteria.h), checked as a whole before anything is walked; the
// walk (ScanDirectory.h) reads each directory once, sorts the names and serves every mask from
// that one listing. Every scan then takes the same two steps: findScanFiles walks (on any
// thread, with progress and Cancel through a ScanObserver) and gives each path once;
// takeScanResults adds them to the configuration's file list, skipping those it already holds.

#include "config/Configuration.h"
#include "config/SettingsStore.h"
#include "scan/ScanCriteria.h"
#include "scan/ScanDirectory.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace tw {

// What a walk found: each path once, in the order first found, and the folders it could not
// list. `cancelled`: the observer stopped the walk, and `paths` holds only a part.
struct ScanFound {
  std::vector<std::string> paths;
  std::vector<ScanProblem> problems;
  bool cancelled = false;
};

// The walk of a scan: ScanDirectory, with a file that two masks found kept once. Touches no
// shared state, so it may run on a thread of its own. `now` is the moment ages are measured
// from.
ScanFound findScanFiles(
    const ScanCriteria& criteria,
    std::chrono::system_clock::time_point now = std::chrono::system_clock::now(),
    ScanObserver* observer = nullptr);

// Appends to `config.Files`, checked, each path of `found` that no entry holds yet (byte for
// byte; also skips a path found twice). Each addition sets `Changed` and enables the Save tool
// button; when nothing is added neither changes. Returns how many were added.
std::size_t addScanResults(Configuration& config, const std::vector<std::string>& found);

// Takes a finished walk into the configuration: its paths become `config.ScanResults` and the
// new ones are added to `config.Files` (addScanResults). A cancelled walk changes nothing.
// Returns how many were added.
std::size_t takeScanResults(Configuration& config, const ScanFound& found);

// Stores the start directory of a scan, with "/" appended, as the shared last folder.
void StoreScanFolder(SettingsStore& settings, const std::string& directory);

}  // namespace tw
