#include "scan/Scan.h"

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
    config.Changed = true;
    config.SaveButtonEnabled = true;
    ++added;
  }
  return added;
}

}  // namespace tw
