#include "scan/Scan.h"

#include "config/Settings.h"

#include <string_view>
#include <unordered_set>

namespace tw {

ScanFound findScanFiles(const ScanCriteria& criteria, std::chrono::system_clock::time_point now,
                        ScanObserver* observer) {
  ScanFound result;
  std::vector<std::string> walked;
  result.cancelled = !ScanDirectory(criteria, now, walked, &result.problems, observer);
  result.paths.reserve(walked.size());
  std::unordered_set<std::string_view> seen;
  seen.reserve(walked.size());
  for (std::string& path : walked) {
    // The views point into `walked`, which does not change while they are in use.
    if (seen.insert(path).second) result.paths.push_back(path);
  }
  return result;
}

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

std::size_t takeScanResults(Configuration& config, const ScanFound& found) {
  if (found.cancelled) return 0;
  config.ScanResults = found.paths;
  return addScanResults(config, config.ScanResults);
}

void StoreScanFolder(SettingsStore& settings, const std::string& directory) {
  StoreLastDir(settings, directory + (directory.ends_with('/') ? "" : "/") + "temp.rtf");
}

}  // namespace tw
