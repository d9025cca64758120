#pragma once
// The one working set the user edits and a run consumes: pairs, files, six stored switches,
// the advanced switches, the configuration file's name and the unsaved-changes flag.
//
// The configuration is the model the main window binds to: the pair grid shows Pairs() (its
// rows), the check list shows Files, the find and replace fields are FindField and
// ReplaceField, and the check boxes, menu entries and the Save tool button read the switches
// and queries below. Every user event is one call; the selected pair or file is passed in.
// Questions and messages go through Prompts.

#include "config/AppOptions.h"
#include "config/Prompts.h"
#include "config/ReplaceFlags.h"
#include "config/StringPair.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// How a pair is removed: the three ways differ in asking and in marking a change.
enum class PairRemoval {
  Button,     // the Delete button, its tool button, the grid's pop-up entry: may ask, marks
  MenuEntry,  // Strings menu "Delete String": never asks, leaves Changed alone
  Key,        // Backspace or Delete in the grid: may ask, leaves Changed alone
};

// Splits `text` at CR LF, CR or LF and joins the lines with CR LF; one line break at the very
// end is dropped. What a moved pair's texts become, and what a saved text reads back as.
std::string normalizeLineBreaks(std::string_view text);

// Every line break of `text` (CR LF, CR or LF) as CR LF; a break at the end stays.
std::string withCrLfLineBreaks(std::string_view text);

class Configuration {
 public:
  std::vector<FileEntry> Files;
  ReplaceFlags Flags;
  AdvancedSwitches Advanced;
  std::string FileName;            // the .rpl file last opened or saved; empty until then
  bool Changed = false;            // unsaved changes
  bool SaveButtonEnabled = false;  // the tool button "Save current configuration"

  // The main window's find and replace fields (multi-line, CR LF between lines).
  std::string FindField;
  std::string ReplaceField;

  // The paths found by the last scan, in the order found; the scan fills it, ClearFiles
  // empties it.
  std::vector<std::string> ScanResults;

  // --- The pair list ----------------------------------------------------------------------
  // The rows of the pair grid, in order. Never empty: an empty pair list is exactly one row
  // whose two texts are both empty (the blank row). Changed only through the operations
  // below, none of which marks a change.
  const std::vector<StringPair>& Pairs() const { return m_pairs; }
  // The test of emptiness the operations use: one row, both cells empty.
  bool pairListEmpty() const {
    return m_pairs.size() == 1 && m_pairs[0].Find.empty() && m_pairs[0].Replace.empty();
  }
  // Replaces the whole list (a loaded file, a command line); no pairs is the blank row.
  void setPairs(std::vector<StringPair> pairs);
  // Appends `pair`, filling the blank row of an empty list instead.
  void appendPair(StringPair pair);

  // --- Changed and the Save tool button -------------------------------------------------
  // Sets Changed and enables the Save tool button (also for the Strings menu "Add String"
  // and a confirmed Delete Backup Files).
  void markChanged() {
    Changed = true;
    SaveButtonEnabled = true;
  }
  // Clears Changed and disables the Save tool button (a successful save or open, New).
  void markSaved() {
    Changed = false;
    SaveButtonEnabled = false;
  }
  // Restore Backup Files enables the Save tool button without marking a change.
  void enableSaveButton() { SaveButtonEnabled = true; }

  // --- The switches ----------------------------------------------------------------------
  // A change of CaseSensitive, WholeWordsOnly, CreateBackupFiles or Confirm marks a change;
  // setting a switch to the value it has does nothing. The check box and the menu entry
  // "Create Backup Files" both show Flags.CreateBackupFiles and both call
  // setCreateBackupFiles. The options dialog's "Confirm every replacement" is Flags.Confirm.
  void setCaseSensitive(bool on) { setMarked(Flags.CaseSensitive, on); }
  void setWholeWordsOnly(bool on) { setMarked(Flags.WholeWordsOnly, on); }
  void setCreateBackupFiles(bool on) { setMarked(Flags.CreateBackupFiles, on); }
  void setConfirm(bool on) { setMarked(Flags.Confirm, on); }
  // Anything and Regular do not mark a change.
  void setAnything(bool on) { Flags.Anything = on; }
  void setRegular(bool on) { Flags.Regular = on; }

  bool ConfirmEveryReplacement() const { return Flags.Confirm; }
  void setConfirmEveryReplacement(bool on) { setConfirm(on); }
  // While Regular is on, the controls of WholeWordsOnly and Anything are disabled; their
  // values stay as they are.
  bool wholeWordsOnlyEnabled() const { return !Flags.Regular; }
  bool anythingEnabled() const { return !Flags.Regular; }

  // --- Pair operations (rows are indexes into Pairs()) ----------------------------------
  // Takes FindField and ReplaceField; marks a change first, then refuses (with its message)
  // both empty, find equal to replace, find empty, or a pair already in the list; otherwise
  // appends the pair (filling the blank row of an empty list) and empties both fields.
  // Returns whether the pair was added.
  bool AddPair(Prompts& prompts);
  // Removes row `row`, after the question when asking is on for `via`
  // (AppOptions::ConfirmDeletePair). A single row is emptied instead. Returns whether the
  // removal went ahead (not refused at the question).
  bool RemovePair(size_t row, PairRemoval via, const AppOptions& options, Prompts& prompts);
  // Copies row `row`'s texts into the two fields and removes the row, without asking.
  void TakePairForEditing(size_t row);
  // Moves the pair of grid row `from` to grid row `to` (grid rows: 0 is the header, 1 the
  // first pair; anything outside 1..Pairs().size() is outside the rows). The moved pair's texts
  // are normalised (normalizeLineBreaks). Returns whether a pair moved.
  bool MovePair(int from, int to);
  // Makes the pair list empty (one blank row).
  void ClearPairs() { m_pairs.assign(1, StringPair{}); }

  // --- File operations ------------------------------------------------------------------
  // Appends each path not yet in Files (byte for byte), checked, in order; marks a change.
  // A path holding a NUL byte names no file (the system would read it cut at the NUL) and is
  // left out.
  void AddFiles(const std::vector<std::string>& paths);
  // Removes the selected entry (none: nothing is removed), after the question when
  // AppOptions::ConfirmDeleteFile is on; marks a change. Returns false when refused.
  bool RemoveFile(std::optional<size_t> selected, const AppOptions& options, Prompts& prompts);
  // Empties Files and ScanResults, after the question when ConfirmDeleteAllFiles is on.
  bool ClearFiles(const AppOptions& options, Prompts& prompts);
  // Sets every entry's check mark, or one entry's; neither marks a change.
  void SetAllChecked(bool checked);
  void setChecked(size_t index, bool checked);

  // The New command's reset: both fields and both lists emptied, CaseSensitive,
  // WholeWordsOnly and Confirm off, CreateBackupFiles on, Changed cleared and the Save tool
  // button disabled. Anything, Regular, Advanced, FileName and ScanResults stay.
  void ResetConfiguration();

 private:
  void setMarked(bool& flag, bool on) {
    if (flag == on) return;
    flag = on;
    markChanged();
  }
  void removeRow(size_t row);

  std::vector<StringPair> m_pairs{StringPair{}};
};

}  // namespace tw
