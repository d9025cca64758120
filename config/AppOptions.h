#pragma once

namespace tw {

// The application-wide switches, at their program-start defaults. Only AutoSavePosition and
// LoadPreviousProject outlive the program (settings "SavePosition" and "LoadPrevious").
//
// "Confirm every replacement" (ConfirmEveryReplacement) is not stored here: it is the very
// switch ReplaceFlags::Confirm of the configuration, seen from the options dialog, so the two
// can never disagree.
struct AppOptions {
  bool AutoSavePosition = false;
  bool LoadPreviousProject = false;
  bool ConfirmDeleteFile = false;      // "Confirm deletion of the selected files"
  bool ConfirmDeleteAllFiles = false;  // "Confirm delettion of all files"
  bool ConfirmDeletePair = false;      // "Confirm deletion of the selected strings"
  bool ConfirmDeleteBackups = true;
  bool ConfirmOnExit = true;
  bool RemoveTrailingSpaces = true;  // trim spaces at the end of each find text as searched
  bool RemoveLeadingSpaces = true;   // trim spaces at the start of each find text as searched
  bool SaveAsUnix = false;           // write processed files with LF line ends
  bool SaveOldDate = true;           // give a processed file back its modification time
  bool SaveOldAttributes = true;     // give a processed file back its permission bits
  bool RtfAsRichText = true;         // process "*.rtf" files as rich text
  // "Unicode letters in case and whole words": in text read as UTF-8 or UTF-16, ignoring case
  // folds every letter by Unicode simple case folding, whole words are told by Unicode letters,
  // digits and marks, and the pattern language's `.` and classes take whole characters.
  // Off, letters are the ASCII ones and the matchers work on bytes.
  bool UnicodeLetters = false;

  bool operator==(const AppOptions&) const = default;
};

}  // namespace tw
