#pragma once
// The File commands of a configuration: New, Open (with a dialog, or a named file at
// start-up), Save and Save As, with the save question that guards New and Open, and the
// shared last folder of the file dialogs.
//
// A file that cannot be read or is not a valid configuration file changes nothing but the
// unsaved-changes flag, and FileName keeps the previous name, so a later Save cannot write
// over it. Saving writes a complete temporary file and renames it over the target, so a
// failed save leaves an existing file whole.

#include "config/Configuration.h"
#include "config/Prompts.h"
#include "config/RplFile.h"
#include "config/SettingsStore.h"
#include "platform/FileIo.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

inline constexpr const char* kNotValidConfiguration = "Not a valid Textwright configuration file";

// Whether `error` from readConfigurationFile refuses the file's content (kNotValidConfiguration,
// alone or followed by the line at fault), rather than saying it could not be read.
inline bool isNotValidConfiguration(std::string_view error) {
  return error.starts_with(kNotValidConfiguration);
}
inline constexpr const char* kSaveQuestion =
    "The configuration file has changed since your last save. Would you like to save changes?";
inline constexpr const char* kOpenConfigurationTitle = "Open Configuration";
inline constexpr const char* kSaveConfigurationTitle = "Save Configuration as";

// "Textwright configuration file (*.rpl)" and "Any file (*.*)".
const std::vector<FileFilter>& openConfigurationFilters();
// "TWright configuration file (*.rpl)" and "Any file (*.*)".
const std::vector<FileFilter>& saveConfigurationFilters();

// The name a configuration is saved under: `entered` when it ends with exactly ".rpl" (lower
// case), else `entered` + ".rpl" (conf -> conf.rpl, conf.RPL -> conf.RPL.rpl).
std::string rplTargetName(const std::string& entered);

// Writes `config` to `path` as a whole (temporary file, then rename). Refuses a file list
// holding a path with a line break, which the file could not give back.
platform::IoStatus writeConfigurationFile(const std::string& path, const Configuration& config);

// Opens the configuration file at `path` for use, as every reader of a configuration does
// (the command-line tool's commands, Open and the start-up file): reads it, checks it, and
// resolves each file path that is not absolute against the configuration's own folder, so
// that the file list holds full paths wherever the program was started. On failure returns
// nothing and sets `error` to the read error (naming the file) or to kNotValidConfiguration,
// followed by ": " and the line at fault where parseRpl names one.
std::optional<RplContent> readConfigurationFile(const std::string& path, std::string& error);

// `path` of a file list read from the configuration file `configPath`: unchanged when it is
// absolute (or empty), else taken from the configuration's folder, made absolute.
std::string resolveListedPath(const std::string& configPath, const std::string& path);

enum class SaveOutcome {
  Saved,
  Cancelled,  // the save dialog was cancelled (the cancel report the exit handling reads)
  Failed,     // the file could not be written; an error naming it was shown
};

// Save Configuration: writes to FileName, or asks for a name first when FileName is empty.
SaveOutcome SaveConfiguration(Configuration& config, Prompts& prompts, SettingsStore& settings);
// Save Configuration as: always asks for a name (in the last folder), then writes to
// rplTargetName(name); FileName becomes that name.
SaveOutcome SaveConfigurationAs(Configuration& config, Prompts& prompts, SettingsStore& settings);

enum class OpenOutcome {
  Loaded,
  Kept,          // the save question was cancelled: nothing changed
  SavedInstead,  // the save question was answered Yes: Save As ran, nothing was opened
  Cancelled,     // the open dialog was cancelled
  Missing,       // the named start-up file does not exist
  Unreadable,    // the file could not be read; an error naming it was shown
  Rejected,      // not a valid configuration file; the rejection message was shown
};

// Open Configuration with the open dialog. After the save question (when Changed is set),
// every outcome but Kept, SavedInstead and Unreadable clears Changed; only Loaded replaces the
// switches, files and pairs, sets FileName and disables the Save tool button.
OpenOutcome OpenConfiguration(Configuration& config, Prompts& prompts, SettingsStore& settings);
// The same for a named file, without a dialog (start-up): a missing file loads nothing and
// shows nothing.
OpenOutcome OpenConfigurationFile(Configuration& config, Prompts& prompts, SettingsStore& settings,
                                  const std::string& path);

// New Configuration: after the save question (when Changed is set) resets the configuration
// (Configuration::ResetConfiguration). Yes runs Save As instead and resets nothing.
void NewConfiguration(Configuration& config, Prompts& prompts, SettingsStore& settings);

}  // namespace tw
