#pragma once
// The main window's own commands that have rules of their own: adding files through the open
// dialog, loading the find or the replace text from a file, the input check of Go, and the
// save question when the window closes. The window only forwards the event and shows the
// configuration afterwards.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "config/Prompts.h"
#include "config/SettingsStore.h"

#include <string>
#include <string_view>
#include <vector>

namespace tw {

inline constexpr const char* kAddFilesTitle = "Add files";
inline constexpr const char* kNoFilesMessage =
    "You didn't specify files to perform replacement at!";
inline constexpr const char* kNoPairsMessage = "You didn't specify find and replace string!";
inline constexpr const char* kExitQuestion =
    "The configuration file has changed since your last save. \nWould you like to save changes?";

// The filter entries of the "Add files" dialog, HTML files first, "All Files (*.*)" last.
const std::vector<FileFilter>& addFilesFilters();

// Add files: the open dialog (several files, in the last folder); when it is confirmed the
// chosen files' folder becomes the last folder and AddFiles appends the paths not yet listed,
// marking a change. Returns whether the dialog was confirmed.
bool AddFilesCommand(Configuration& config, Prompts& prompts, SettingsStore& settings);

enum class PairField { Find, Replace };

// "Load Find string from file" / "Load Replace string from file": an open dialog with the
// filter "Any file (*.*)" in the last folder; the chosen file's whole text, with its line
// breaks as CR LF, replaces the field (FindField or ReplaceField). Does not mark a change.
// A file that cannot be read changes nothing and shows an error naming it. Returns whether
// the field was loaded.
bool LoadFieldFromFile(Configuration& config, PairField field, Prompts& prompts,
                       SettingsStore& settings);

// Go's input check: the file list holds at least one entry (checked or not) and the pair list
// is not empty. Otherwise the message about the missing files, or else about the missing
// pairs, is shown (caption "Textwright", information icon) and false returned. The two
// messages are those of the language in use.
bool CheckGoInput(const Configuration& config, Prompts& prompts,
                  const std::string& noFilesMessage = kNoFilesMessage,
                  const std::string& noPairsMessage = kNoPairsMessage);

// Whether the configuration is in its empty state: the four switches New resets at their
// reset values, no files, and the pair grid one blank row.
bool isEmptyState(const Configuration& config);

// The question when the main window is asked to close. With ConfirmOnExit off, or nothing
// unsaved (an empty-state configuration counts as nothing unsaved), the window may close.
// Otherwise Yes/No/Cancel: No resets the configuration (and enables the Save tool button) and
// lets it close; Yes saves and lets it close only when the save succeeded; Cancel keeps it
// open. Returns whether the window may close.
bool ConfirmClose(Configuration& config, const AppOptions& options, Prompts& prompts,
                  SettingsStore& settings);

}  // namespace tw
