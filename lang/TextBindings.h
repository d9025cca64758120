#pragma once
// Which controls show which text of the text table: for each slot, the (window, control,
// property) places it is copied into. The windows are named by their class (MainWindow,
// ConfirmDialog,
// ...), the controls by their object name, optionally qualified by a parent ("GroupBox2/
// CheckBox6") where a window holds two controls of the same name. The property is empty for
// a control's caption (a button's or label's text, a group box's or menu's title) or names
// another place: "header0" and "header1" are the column headers of a table view, "tab0",
// "tab1", ... the page captions of a tab widget.
//
// The table is applied in the order of its windows: the main window, then the options dialog
// and the scan dialog. The confirmation dialog, the processing window and the results window
// put the texts into their own controls (ShowsTexts in ui/LanguageTexts.h).

#include <span>
#include <vector>

namespace tw {

struct TextBinding {
  int slot;
  const char* window;
  const char* object;
  const char* property = "";
};

std::span<const TextBinding> textBindings();

// Slots that a message box takes its text from rather than a control: the two refusals of Go,
// and the caption and texts of the refusal to exit while a file is being edited or browsed.
inline constexpr int kNoFilesSlot = 104;
inline constexpr int kNoPairsSlot = 105;
inline constexpr int kWarningSlot = 85;
inline constexpr int kCloseEditModeSlot = 86;
inline constexpr int kCloseBrowseModeSlot = 87;

// Every slot that some control of the windows shows, sorted.
std::span<const int> shownSlots();

// Every slot that the program shows somewhere: the controls' slots and the message slots,
// sorted.
std::vector<int> usedSlots();

}  // namespace tw
