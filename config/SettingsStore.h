#pragma once
// The program's remembered settings, one named value at a time, no cache. The desktop program
// keeps them with QSettings("Brindlecove", "Textwright"); tests use an in-memory store.

#include <cstdint>
#include <optional>
#include <string>

namespace tw {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  virtual bool hasValue(const std::string& name) = 0;
  virtual std::optional<std::string> readString(const std::string& name) = 0;
  virtual std::optional<int32_t> readInteger(const std::string& name) = 0;
  virtual void writeString(const std::string& name, const std::string& value) = 0;
  virtual void writeInteger(const std::string& name, int32_t value) = 0;

  // Why a write since the last call did not reach the store (a message naming the store), and
  // forgets it; empty when every write succeeded.
  virtual std::string takeWriteError() { return {}; }
};

}  // namespace tw
