#pragma once
// What the main window reads from the settings when it is first shown, and writes whenever it
// is asked to close. The window applies the result; the rules live here, without a display.

#include "config/AppOptions.h"
#include "config/SettingsStore.h"

#include <optional>
#include <string>

namespace tw {

// The built-in size of the main window and the sizes used in the centring formulas (the top
// is centred as if the window were 420 high).
inline constexpr int kStartWidth = 570;
inline constexpr int kStartHeight = 450;
inline constexpr int kCentringHeight = 420;
inline constexpr int kLargestSize = 3499;

struct WindowPlacement {
  int left = 0;
  int top = 0;
  int width = kStartWidth;
  int height = kStartHeight;
  bool maximized = false;

  bool operator==(const WindowPlacement&) const = default;
};

struct StartupSettings {
  bool firstRun = true;                      // no settings yet: nothing below is applied
  std::string helpFolder;                    // "Path"
  bool showTips = false;                     // "Tips" (missing: yes)
  std::optional<WindowPlacement> placement;  // only when "SavePosition" exists
  std::string previousProject;               // the configuration to open without a dialog, or empty
  std::string language;                      // "Language": empty for the built-in English texts
};

// Reads the settings in start-up order and sets AutoSavePosition, LoadPreviousProject and
// UnicodeLetters from them (each only when its value is stored). `screenWidth` and
// `screenHeight` are the screen's size for centring. On a first run (no value the program keeps
// exists yet) nothing is read and the options stay as they are.
StartupSettings readStartupSettings(SettingsStore& store, AppOptions& options, int screenWidth,
                                    int screenHeight);

// The window's geometry when it is asked to close.
struct ExitGeometry {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool maximized = false;
};

// Writes "LoadPrevious" and "PreviousProject" (`fileName`, the open configuration) and the
// placement ("SavePosition", "Left", "Top", "Height", "Width", "isMaximized") as the options
// say. A maximized window is stored with the built-in size, so that restoring it gives that.
void writeExitSettings(SettingsStore& store, const AppOptions& options, const std::string& fileName,
                       const ExitGeometry& geometry);

}  // namespace tw
