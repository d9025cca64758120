#pragma once

#include <string>

namespace tw {

// The six switches that travel with a configuration file, at their program-start values.
struct ReplaceFlags {
  bool CaseSensitive = false;     // "Case Sensitive"
  bool WholeWordsOnly = false;    // "Whole Words Only"
  bool CreateBackupFiles = true;  // "Create Backup Files"
  bool Confirm = false;           // "Confirm every replacement" (also an application option)
  bool Anything = true;           // "Allow script %anything%"
  bool Regular = false;           // "Regular expressions"

  bool operator==(const ReplaceFlags&) const = default;
};

// Switches of the advanced view: they last while the program runs, are never stored in a
// configuration file and are not touched by New or Open.
struct AdvancedSwitches {
  bool DoNotChangeFilenameReferences = false;  // "Do not change filename references"
  bool ReplaceOnlyInFirst = false;             // "Replace only in first"
  std::string FirstCount = "0";                // the count as typed
  std::string FirstUnit = "Lines";             // "Lines" or "Bytes"

  bool operator==(const AdvancedSwitches&) const = default;
};

}  // namespace tw
