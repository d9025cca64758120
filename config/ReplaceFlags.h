#pragma once

#include <string>
#include <string_view>

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

// The unit of "Replace only in first".
enum class RegionUnit { Lines, Bytes };

// The unit named by the text of the unit choice: exactly "Lines" counts lines, any other text
// counts bytes.
inline RegionUnit regionUnitOf(std::string_view text) {
  return text == "Lines" ? RegionUnit::Lines : RegionUnit::Bytes;
}

// Switches of the advanced view: they last while the program runs, are never stored in a
// configuration file and are not touched by New or Open.
struct AdvancedSwitches {
  bool DoNotChangeFilenameReferences = false;  // "Do not change filename references"
  bool ReplaceOnlyInFirst = false;             // "Replace only in first"
  std::string FirstCount = "0";                // the count as typed
  RegionUnit FirstUnit = RegionUnit::Lines;    // the choice "Lines" or "Bytes"

  bool operator==(const AdvancedSwitches&) const = default;
};

}  // namespace tw
