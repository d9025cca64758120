#pragma once
// The remembered settings: their value names, defaults and readers. Values are read and
// written one at a time through a SettingsStore, with no cache; a missing value takes its
// default.

#include "config/AppOptions.h"
#include "config/SettingsStore.h"

#include <cstdint>
#include <string>

namespace tw::settings {

// Value names. Integers are 32-bit; "LastDir" is a folder ending in "/".
inline constexpr const char* kPath = "Path";                  // string: folder of the help
inline constexpr const char* kTips = "Tips";                  // 1 or 0, missing: 1
inline constexpr const char* kSavePosition = "SavePosition";  // 1 or 0
inline constexpr const char* kLeft = "Left";
inline constexpr const char* kTop = "Top";
inline constexpr const char* kHeight = "Height";
inline constexpr const char* kWidth = "Width";
inline constexpr const char* kIsMaximized = "isMaximized";          // 1 or 0
inline constexpr const char* kLoadPrevious = "LoadPrevious";        // 1 or 0
inline constexpr const char* kPreviousProject = "PreviousProject";  // full path
inline constexpr const char* kLastDir = "LastDir";
inline constexpr const char* kLanguage = "Language";  // file name in Language/; empty: English
inline constexpr const char* kUnicodeLetters = "UnicodeLetters";  // 1 or 0, missing: 0

// A string value, or `fallback` when it is missing.
std::string readString(SettingsStore& store, const char* name, const std::string& fallback = {});
// An integer value, or `fallback` when it is missing.
int32_t readInteger(SettingsStore& store, const char* name, int32_t fallback);

// "Tips": whether the tip of the day is shown at start-up (missing: yes).
bool readShowTips(SettingsStore& store);

// Sets AutoSavePosition, LoadPreviousProject and UnicodeLetters from "SavePosition",
// "LoadPrevious" and "UnicodeLetters" (on only when the value is 1); the other options are
// never stored.
void readKeptOptions(SettingsStore& store, AppOptions& options);

// Stores `on` as "UnicodeLetters" unless the store already holds that choice (a missing value
// is off), so that confirming an unchanged choice writes nothing. Returns whether it wrote.
bool storeUnicodeLetters(SettingsStore& store, bool on);

}  // namespace tw::settings

namespace tw {

// The shared last folder of the file dialogs and the scan dialog; empty when never stored.
std::string ReadLastDir(SettingsStore& store);

// Stores the folder part of `path` (up to and including its last "/") as the last folder.
// Callers pass a chosen file's full name; the scan passes its folder followed by "/temp.rtf".
void StoreLastDir(SettingsStore& store, const std::string& path);

}  // namespace tw
