#pragma once
// The text table: 300 numbered user-interface texts. Slots 1 to 105 hold built-in English
// texts; a language file may override any slot. Texts are UTF-8. Which controls show which
// slot is data as well (TextBindings.h), so that the windows only copy texts into controls.

#include <array>
#include <string>

namespace tw {

inline constexpr int kTextSlots = 300;
inline constexpr int kBuiltinSlots = 105;

// The built-in English text of `slot`; empty for a slot that has none (1, 30, 31, 72, 73,
// 88 to 92, 106 to 300) and for numbers outside the table.
const char* builtinText(int slot);

class TextTable {
 public:
  TextTable() { loadBuiltinTexts(); }

  // Slots 1 to 105 take their built-in texts; slots 106 to 300 stay as they are.
  void loadBuiltinTexts();

  // The text of `slot`; empty outside 1 to 300.
  const std::string& text(int slot) const;
  // Sets `slot` (1 to 300); other numbers are ignored.
  void set(int slot, std::string text);

  bool operator==(const TextTable&) const = default;

 private:
  std::array<std::string, kTextSlots> m_slots;
};

}  // namespace tw
