#pragma once
// File collection by a directory scan. The dialog's field texts become `ScanCriteria`
// (ScanCriteria.h), checked as a whole before anything is walked; the walk (ScanDirectory.h)
// reads each directory once, sorts the names and serves every mask from that one listing; the
// paths found are then added to the configuration's file list, skipping those it already holds.

#include "config/Configuration.h"
#include "config/SettingsStore.h"
#include "scan/ScanCriteria.h"
#include "scan/ScanDirectory.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace tw {

// Appends to `config.Files`, checked, each path of `found` that no entry holds yet (byte for
// byte; also skips a path found twice). Each addition sets `Changed` and enables the Save tool
// button; when nothing is added neither changes. Returns how many were added.
std::size_t addScanResults(Configuration& config, const std::vector<std::string>& found);

// What a scan did: how many files it added to the list, and the folders it could not list.
struct ScanOutcome {
  std::size_t Added = 0;
  std::vector<ScanProblem> Problems;
};

// The scan once its criteria are captured: stores the start directory with "/" appended as
// the last folder, empties `config.ScanResults`, walks into it, and adds what it found to
// `config.Files` (addScanResults). `now` is the moment ages are measured from.
ScanOutcome runScan(Configuration& config, const ScanCriteria& criteria, SettingsStore& settings,
                    std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

}  // namespace tw
