#include "config/StartupSettings.h"

#include "config/Settings.h"

namespace tw {

namespace {

bool anySettingKept(SettingsStore& store) {
  using namespace settings;
  for (const char* name : {kPath, kTips, kSavePosition, kLoadPrevious, kPreviousProject, kLanguage,
                           kLastDir, kUnicodeLetters})
    if (store.hasValue(name)) return true;
  return false;
}

int sizeOr(int value, int fallback) {
  return value >= 1 && value <= kLargestSize ? value : fallback;
}

}  // namespace

StartupSettings readStartupSettings(SettingsStore& store, AppOptions& options, int screenWidth,
                                    int screenHeight) {
  using namespace settings;
  StartupSettings s;
  if (!anySettingKept(store)) return s;
  s.firstRun = false;
  s.helpFolder = readString(store, kPath);
  s.showTips = readShowTips(store);

  if (store.hasValue(kSavePosition)) {
    const int centredLeft = (screenWidth - kStartWidth) / 2;
    const int centredTop = (screenHeight - kCentringHeight) / 2;
    WindowPlacement p;
    options.AutoSavePosition = readInteger(store, kSavePosition, 0) == 1;
    if (options.AutoSavePosition) {
      const int left = readInteger(store, kLeft, -1);
      const int top = readInteger(store, kTop, -1);
      p.left = left >= 0 ? left : centredLeft;
      p.top = top >= 0 ? top : centredTop;
      p.height = sizeOr(readInteger(store, kHeight, 0), kStartHeight);
      p.width = sizeOr(readInteger(store, kWidth, 0), kStartWidth);
      p.maximized = readInteger(store, kIsMaximized, 0) == 1;
    } else {
      p.left = centredLeft;
      p.top = centredTop;
    }
    s.placement = p;
  }

  if (store.hasValue(kLoadPrevious)) {
    options.LoadPreviousProject = readInteger(store, kLoadPrevious, 0) == 1;
    if (options.LoadPreviousProject) s.previousProject = readString(store, kPreviousProject);
  }
  s.language = readString(store, kLanguage);
  if (store.hasValue(kUnicodeLetters))
    options.UnicodeLetters = readInteger(store, kUnicodeLetters, 0) == 1;
  return s;
}

void writeExitSettings(SettingsStore& store, const AppOptions& options, const std::string& fileName,
                       const ExitGeometry& geometry) {
  using namespace settings;
  if (options.LoadPreviousProject) {
    store.writeInteger(kLoadPrevious, 1);
    store.writeString(kPreviousProject, fileName);
  } else {
    store.writeInteger(kLoadPrevious, 0);
    store.writeString(kPreviousProject, "");
  }
  if (options.AutoSavePosition) {
    store.writeInteger(kSavePosition, 1);
    store.writeInteger(kLeft, geometry.left);
    store.writeInteger(kTop, geometry.top);
    store.writeInteger(kHeight, geometry.maximized ? kStartHeight : geometry.height);
    store.writeInteger(kWidth, geometry.maximized ? kStartWidth : geometry.width);
    store.writeInteger(kIsMaximized, geometry.maximized ? 1 : 0);
  } else {
    for (const char* name : {kSavePosition, kLeft, kTop, kHeight, kWidth})
      store.writeInteger(name, 0);
  }
}

}  // namespace tw
