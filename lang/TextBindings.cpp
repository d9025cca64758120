#include "lang/TextBindings.h"

#include <algorithm>

namespace tw {

namespace {

constexpr TextBinding kBindings[] = {
    // The confirmation dialog; its three lines are overwritten for each occurrence.
    {2, "ConfirmDialog", "Label1"},
    {39, "ConfirmDialog", "Label2"},
    {40, "ConfirmDialog", "Label3"},
    {93, "ConfirmDialog", "Button1"},
    {94, "ConfirmDialog", "Button3"},
    {95, "ConfirmDialog", "Button2"},
    {96, "ConfirmDialog", "Button4"},
    {97, "ConfirmDialog", "Button5"},
    {98, "ConfirmDialog", "Button6"},
    // The processing window.
    {79, "ProcessingDialog", "Label1"},
    {80, "ProcessingDialog", "Label2"},
    {81, "ProcessingDialog", "Label3"},
    // The results window.
    {82, "ResultsDialog", "Button2"},
};

}  // namespace

std::span<const TextBinding> textBindings() {
  return kBindings;
}

std::span<const int> shownSlots() {
  static constexpr int kShown[] = {
      2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17,  18,  19, 20, 21, 22,
      23, 24, 25, 26, 27, 28, 29, 32, 33, 34, 35, 36, 37, 38, 39, 40,  41,  42, 43, 44, 45,
      46, 47, 48, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62,  63,  64, 65, 66, 67,
      68, 69, 70, 71, 79, 80, 81, 82, 93, 94, 95, 96, 97, 98, 99, 101, 102, 103};
  return kShown;
}

std::vector<int> usedSlots() {
  std::vector<int> slots(shownSlots().begin(), shownSlots().end());
  slots.insert(slots.end(), {kNoFilesSlot, kNoPairsSlot, kWarningSlot, kCloseEditModeSlot,
                             kCloseBrowseModeSlot});
  std::sort(slots.begin(), slots.end());
  return slots;
}

}  // namespace tw
