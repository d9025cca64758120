#pragma once
// The slots of the text table that the program shows. Each window puts the texts of its own
// controls in place (ShowsTexts in ui/LanguageTexts.h); this list says which slots that covers,
// so that a language file can be checked for every text the windows need.

#include <span>
#include <vector>

namespace tw {

// Every slot that some control of the windows shows, sorted.
std::span<const int> shownSlots();

// Slots that a message box takes its text from rather than a control: the two refusals of Go,
// and the caption and texts of the refusal to exit while a file is being edited or browsed.
inline constexpr int kNoFilesSlot = 104;
inline constexpr int kNoPairsSlot = 105;
inline constexpr int kWarningSlot = 85;
inline constexpr int kCloseEditModeSlot = 86;
inline constexpr int kCloseBrowseModeSlot = 87;

// Every slot that the program shows somewhere: the controls' slots and the message slots,
// sorted.
std::vector<int> usedSlots();

}  // namespace tw
