#include "config/Settings.h"

#include "platform/FileIo.h"

namespace tw::settings {

std::string readString(SettingsStore& store, const char* name, const std::string& fallback) {
  return store.readString(name).value_or(fallback);
}

int32_t readInteger(SettingsStore& store, const char* name, int32_t fallback) {
  return store.readInteger(name).value_or(fallback);
}

bool readShowTips(SettingsStore& store) {
  return readInteger(store, kTips, 1) == 1;
}

void readKeptOptions(SettingsStore& store, AppOptions& options) {
  options.AutoSavePosition = readInteger(store, kSavePosition, 0) == 1;
  options.LoadPreviousProject = readInteger(store, kLoadPrevious, 0) == 1;
  options.UnicodeLetters = readInteger(store, kUnicodeLetters, 0) == 1;
}

bool storeUnicodeLetters(SettingsStore& store, bool on) {
  if ((readInteger(store, kUnicodeLetters, 0) == 1) == on) return false;
  store.writeInteger(kUnicodeLetters, on ? 1 : 0);
  return true;
}

}  // namespace tw::settings

namespace tw {

std::string ReadLastDir(SettingsStore& store) {
  return settings::readString(store, settings::kLastDir);
}

void StoreLastDir(SettingsStore& store, const std::string& path) {
  store.writeString(settings::kLastDir, platform::folderOf(path));
}

}  // namespace tw
