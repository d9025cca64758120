#pragma once
// Language files: plain text, one entry per line, `N="text"` sets slot N. Empty lines and
// lines starting with "#" are ignored, slot -1 is ignored, a later entry for a slot wins and
// anything after the closing quote is ignored. Lines end in CR LF, LF or CR.
//
// A file is UTF-8 (a leading byte order mark is skipped); a file that is not valid UTF-8 is
// read as Windows-1252, so files written by older versions still load. A malformed line
// refuses the whole file: the message names the file and the line, and nothing of the file
// is applied.

#include "lang/TextTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The reserved name of the built-in English texts: choosing it reads no file.
inline constexpr const char* kEnglishLanguage = "English.lng";

struct LanguageEntry {
  int slot = 0;
  std::string text;  // UTF-8

  bool operator==(const LanguageEntry&) const = default;
};

struct LanguageFileResult {
  std::vector<LanguageEntry> entries;  // in file order, slot -1 left out
  std::string error;                   // empty when the whole file is good

  bool ok() const { return error.empty(); }
};

// The file's bytes as UTF-8: unchanged when they are valid UTF-8 (without a leading byte order
// mark), else decoded from Windows-1252.
std::string languageFileText(std::string_view bytes);

// Reads a language file's bytes; `fileName` names it in the error message.
LanguageFileResult parseLanguageFile(std::string_view bytes, std::string_view fileName);

// Reads the file at `path` into `table`: the built-in texts first, then the file's entries.
// On any error (the file cannot be read, a malformed line) `table` is left as it was and the
// message is returned; on success the empty string.
std::string loadLanguageFile(const std::string& path, TextTable& table);

}  // namespace tw
