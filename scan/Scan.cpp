#include "scan/Scan.h"

#include "config/Settings.h"

#include <string_view>
#include <unordered_set>

namespace tw {

std::size_t addScanResults(Configuration& config, const std::vector<std::string>& found) {
  // Reserved first so that the views into existing paths stay valid while the list grows;
  // views of new paths point into `found`.
  config.Files.reserve(config.Files.size() + found.size());
  std::unordered_set<std::string_view> present;
  present.reserve(config.Files.size() + found.size());
  for (const FileEntry& entry : config.Files) present.insert(entry.Path);
  std::size_t added = 0;
  for (const std::string& path : found) {
    if (!present.insert(path).second) continue;
    config.Files.push_back(FileEntry{path, true});
    config.markChanged();
    ++added;
  }
  return added;
}

ScanOutcome runScan(Configuration& config, const ScanCriteria& criteria, SettingsStore& settings,
                    std::chrono::system_clock::time_point now) {
  const std::string& directory = criteria.Directory;
  StoreLastDir(settings, directory + (directory.ends_with('/') ? "" : "/") + "temp.rtf");
  ScanOutcome outcome;
  config.ScanResults.clear();
  ScanDirectory(criteria, now, config.ScanResults, &outcome.Problems);
  outcome.Added = addScanResults(config, config.ScanResults);
  return outcome;
}

}  // namespace tw
