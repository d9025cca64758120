#include "lang/TextBindings.h"

#include <algorithm>

namespace tw {

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
