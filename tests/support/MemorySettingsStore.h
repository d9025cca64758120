#pragma once
// Settings kept in memory for the life of the object: the tests' stand-in for the settings
// the desktop program keeps between sessions.

#include "config/SettingsStore.h"

#include <map>
#include <variant>

namespace tw {

class MemorySettingsStore : public SettingsStore {
 public:
  bool hasValue(const std::string& name) override { return m_values.count(name) > 0; }
  // A value of the other type reads as missing.
  std::optional<std::string> readString(const std::string& name) override {
    return read<std::string>(name);
  }
  std::optional<int32_t> readInteger(const std::string& name) override {
    return read<int32_t>(name);
  }
  void writeString(const std::string& name, const std::string& value) override {
    m_values[name] = value;
  }
  void writeInteger(const std::string& name, int32_t value) override { m_values[name] = value; }

  void clear() { m_values.clear(); }
  size_t size() const { return m_values.size(); }

 private:
  template <typename T>
  std::optional<T> read(const std::string& name) const {
    auto it = m_values.find(name);
    if (it == m_values.end()) return std::nullopt;
    if (const T* value = std::get_if<T>(&it->second)) return *value;
    return std::nullopt;
  }

  std::map<std::string, std::variant<std::string, int32_t>> m_values;
};

}  // namespace tw
