#include "config/MemorySettingsStore.h"

namespace tw {

std::optional<std::string> MemorySettingsStore::readString(const std::string& name) {
  auto it = m_values.find(name);
  if (it == m_values.end()) return std::nullopt;
  if (const std::string* text = std::get_if<std::string>(&it->second)) return *text;
  return std::nullopt;
}

std::optional<int32_t> MemorySettingsStore::readInteger(const std::string& name) {
  auto it = m_values.find(name);
  if (it == m_values.end()) return std::nullopt;
  if (const int32_t* value = std::get_if<int32_t>(&it->second)) return *value;
  return std::nullopt;
}

}  // namespace tw
