#pragma once
// The configuration file (.rpl): six switch lines, one "File=" line per file entry, then one
// block per pair ("Strings=" + line count, the text's lines; the same for the replace text).
//
// The reading is positional: the six switches are read at fixed character positions, only the
// first letters of lines 1 to 4 identify the format, and the pair section is walked by its
// counts. A file too short or malformed for that reading is refused as a whole, never read in
// part.

#include "config/Configuration.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// What a valid configuration file holds, as the program shows it.
struct RplContent {
  ReplaceFlags Flags;
  std::vector<FileEntry> Files;
  // The pair grid's rows after reading; never empty (an empty list is one blank row).
  std::vector<StringPair> Pairs{StringPair{}};

  bool operator==(const RplContent&) const = default;
};

// The number of lines of a pair text: split at CR LF, CR or LF, where a line break at the
// very end does not begin a further line ("" has 0, "a" 1, "a\r\nb" 2, "a\r\nb\r\n" 2).
size_t rplLineCount(std::string_view text);

// The whole file for `config`'s switches, files and pairs, CR LF after every line. A row
// with an empty find text in a filled list is written with the count 1 and one empty line, so
// that the file stays readable.
std::string formatRpl(const Configuration& config);

// Reads the bytes of a configuration file (CR LF, CR or LF line ends). Returns nothing for a
// file that is not a valid configuration file: lines 1 to 4 missing, empty or not beginning
// with "C", "W", "C", "C"; fewer than six lines; a switch line too short to hold its value;
// a file line without "=" or without "," after it; no pair block after the file entries; a
// count that is not a decimal number or runs past the end of the file.
//
// Each pair text comes back with its lines joined by CR LF, so a text that ended with a line
// break loses that one line break.
std::optional<RplContent> parseRpl(std::string_view bytes);

// parseRpl, saying why where the file is refused for one line: a file entry whose path holds
// a NUL byte, which no file name can hold (it would name another file, cut at the NUL). Then
// `problem` is "line N: the file entry "..." holds a NUL byte" (the NUL shown as \0);
// otherwise it is left empty.
std::optional<RplContent> parseRpl(std::string_view bytes, std::string& problem);

// Puts what a file holds into `config`: its switches, files and pairs. Nothing else changes
// (not Changed, FileName, the fields or the advanced switches).
void applyRplContent(Configuration& config, RplContent content);

}  // namespace tw
