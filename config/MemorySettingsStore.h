#pragma once
// Settings kept in memory for the life of the object: for the command-line tool, which
// remembers nothing between runs, and for tests.

#include "config/SettingsStore.h"

#include <map>
#include <variant>

namespace tw {

class MemorySettingsStore : public SettingsStore {
 public:
  bool hasValue(const std::string& name) override { return m_values.count(name) > 0; }
  // A value of the other type reads as missing.
  std::optional<std::string> readString(const std::string& name) override;
  std::optional<int32_t> readInteger(const std::string& name) override;
  void writeString(const std::string& name, const std::string& value) override {
    m_values[name] = value;
  }
  void writeInteger(const std::string& name, int32_t value) override { m_values[name] = value; }

  void clear() { m_values.clear(); }
  size_t size() const { return m_values.size(); }

 private:
  std::map<std::string, std::variant<std::string, int32_t>> m_values;
};

}  // namespace tw
