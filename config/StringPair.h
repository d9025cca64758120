#pragma once

#include <string>

namespace tw {

// One find/replace pair. Texts are bytes; line breaks inside them are CR LF.
// A stored pair never has an empty Find, except the blank row of an empty pair list.
struct StringPair {
  std::string Find;
  std::string Replace;

  bool operator==(const StringPair&) const = default;
};

// One entry of the file list. Two entries are the same file only if their paths are equal
// byte for byte. Only checked entries take part in a run; new entries are checked.
struct FileEntry {
  std::string Path;
  bool Checked = true;

  bool operator==(const FileEntry&) const = default;
};

}  // namespace tw
