#include "ui/QSettingsStore.h"
#include "ui/QtText.h"

#include <QSettings>

#include <memory>
#include <utility>

namespace tw {

namespace {

QString key(const std::string& name) {
  return fromStd(name);
}

}  // namespace

QSettingsStore::QSettingsStore() = default;

QSettingsStore::QSettingsStore(const QString& iniPath) : m_iniPath(iniPath) {}

// A fresh QSettings per access, so that each value is read from and written to the store at
// once, as the program's other instances and the next start will see it.
static std::unique_ptr<QSettings> open(const QString& iniPath) {
  if (iniPath.isEmpty()) return std::make_unique<QSettings>("Brindlecove", "Textwright");
  return std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
}

bool QSettingsStore::hasValue(const std::string& name) {
  return open(m_iniPath)->contains(key(name));
}

std::optional<std::string> QSettingsStore::readString(const std::string& name) {
  auto settings = open(m_iniPath);
  if (!settings->contains(key(name))) return std::nullopt;
  return toStd(settings->value(key(name)).toString());
}

std::optional<int32_t> QSettingsStore::readInteger(const std::string& name) {
  auto settings = open(m_iniPath);
  if (!settings->contains(key(name))) return std::nullopt;
  bool ok = false;
  const int value = settings->value(key(name)).toInt(&ok);
  if (!ok) return std::nullopt;
  return int32_t(value);
}

void QSettingsStore::writeString(const std::string& name, const std::string& value) {
  auto settings = open(m_iniPath);
  settings->setValue(key(name), fromStd(value));
  settings->sync();
  noteStatus(*settings);
}

void QSettingsStore::writeInteger(const std::string& name, int32_t value) {
  auto settings = open(m_iniPath);
  settings->setValue(key(name), int(value));
  settings->sync();
  noteStatus(*settings);
}

std::string QSettingsStore::takeWriteError() {
  return std::exchange(m_writeError, {});
}

void QSettingsStore::noteStatus(const QSettings& settings) {
  if (settings.status() == QSettings::NoError || !m_writeError.empty()) return;
  m_writeError = "The settings cannot be written to " + toStd(settings.fileName()) + ".";
}

}  // namespace tw
