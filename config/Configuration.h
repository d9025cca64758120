#pragma once
// The one working set the user edits and a run consumes: pairs, files, six stored switches,
// the advanced switches, the configuration file's name and the unsaved-changes flag.

#include "config/ReplaceFlags.h"
#include "config/StringPair.h"

#include <string>
#include <vector>

namespace tw {

class Configuration {
public:
  // The rows of the pair grid, in order. Never empty: an empty pair list is exactly one row
  // whose two texts are both empty (the blank row).
  std::vector<StringPair> Pairs{StringPair{}};
  std::vector<FileEntry> Files;
  ReplaceFlags Flags;
  AdvancedSwitches Advanced;
  std::string FileName;  // the .rpl file last opened or saved; empty until then
  bool Changed = false;  // unsaved changes
  bool SaveButtonEnabled = false;  // the tool button "Save current configuration"

  // The test of emptiness the operations use: one row, both cells empty.
  bool pairListEmpty() const {
    return Pairs.size() == 1 && Pairs[0].Find.empty() && Pairs[0].Replace.empty();
  }
};

}  // namespace tw
