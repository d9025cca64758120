#pragma once
// The program's remembered settings in QSettings("Brindlecove", "Textwright"): an INI file in
// the user's configuration folder on Linux, the registry key on Windows. Every call reads or
// writes one value at once; nothing is cached here.

#include "config/SettingsStore.h"

#include <QString>

class QSettings;

namespace tw {

class QSettingsStore : public SettingsStore {
 public:
  // The program's own store.
  QSettingsStore();
  // A store kept in the INI file `iniPath` (tests, portable installs).
  explicit QSettingsStore(const QString& iniPath);

  bool hasValue(const std::string& name) override;
  std::optional<std::string> readString(const std::string& name) override;
  std::optional<int32_t> readInteger(const std::string& name) override;
  void writeString(const std::string& name, const std::string& value) override;
  void writeInteger(const std::string& name, int32_t value) override;
  std::string takeWriteError() override;

 private:
  void noteStatus(const QSettings& settings);

  QString m_iniPath;  // empty: the program's own store
  std::string m_writeError;
};

}  // namespace tw
