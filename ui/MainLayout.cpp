#include "ui/MainLayout.h"

#include <cstddef>

namespace tw {

namespace {

constexpr int kMargin = 4;  // between the groups and the window's sides
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kSmallButtonWidth = 105;
constexpr int kSmallButtonHeight = 16;
constexpr int kMenuButtonSize = 10;
constexpr int kGroupTop = 16;  // below a group's title
constexpr int kGridLeft = 8;
constexpr int kGridWidth = 320;  // the fields take what grows
constexpr int kFieldsLeft = 336;
constexpr int kFindFieldTop = 30;
constexpr int kSwitchTop = 18;
constexpr int kSwitchHeight = 18;
constexpr int kSwitchStep = 19;
constexpr int kSwitchWidth = MainLayout::kOptionsWidth - 8 - 6;
constexpr int kAdvancedLeft = 190;  // the advanced controls, right of the six switches

// Browse and edit mode: the band and the "Files" group take the whole client area; the
// viewer or editor fills the group above the mode's own buttons.
MainLayout computeModeLayout(int W, int clientHeight, FileMode mode) {
  MainLayout l;
  l.mode = mode;
  l.band = {0, 0, W, clientHeight};
  l.filesGroup = l.band;
  const int bw = l.band.width;
  const int bh = l.band.height;
  const int fw = l.filesGroup.width;
  const int fh = l.filesGroup.height;
  if (mode == FileMode::Browse) {
    l.viewer = {6, 14, bw - 15, bh - 53};
    l.returnButton = {8, fh - 32, W - 23, kButtonHeight};
  } else {
    l.viewer = {6, 14, bw - 15, bh - 65};
    const int half = (fw - 20) / 2;
    l.saveButton = {8, fh - 32, half, kButtonHeight};
    l.discardButton = {half + 13, fh - 32, half, kButtonHeight};
    l.wrapText = {8, fh - 50, fw - 16, kSwitchHeight};
  }
  return l;
}

}  // namespace

MainLayout computeMainLayout(int clientWidth, int clientHeight, bool advanced, FileMode mode) {
  if (mode != FileMode::Normal) return computeModeLayout(clientWidth, clientHeight, mode);
  MainLayout l;
  const int W = clientWidth;
  const int H = clientHeight + MainLayout::kHeightAboveClient;

  l.band = {0, 0, W, MainLayout::kBandHeight};
  const int bandHeight = l.band.height;

  // "Files" and "Options" share the band; the advanced view hides "Files" and gives the whole
  // band to "Options".
  l.filesVisible = !advanced;
  // Both keep the margin of the "Strings" group from the window's sides.
  const int m = kMargin;
  l.filesGroup = {m, 0, W - MainLayout::kOptionsWidth - 2 * m, bandHeight};
  if (advanced)
    l.optionsGroup = {m, 0, W - 2 * m, bandHeight};
  else
    l.optionsGroup = {W - MainLayout::kOptionsWidth - m, 0, MainLayout::kOptionsWidth, bandHeight};

  // "Strings" fills the rest: its height first, then its width.
  l.stringsGroup.x = m;
  l.stringsGroup.y = bandHeight;
  l.stringsGroup.height = H - 262;
  l.stringsGroup.width = W - 2 * m;

  const int fw = l.filesGroup.width;
  const int fh = l.filesGroup.height;
  l.fileAdd = {8, fh - 36, kButtonWidth, kButtonHeight};
  l.fileScan = {88, fh - 36, kButtonWidth, kButtonHeight};
  l.fileDelete = {168, fh - 36, kButtonWidth, kButtonHeight};
  l.browseFile = {fw - 113, fh - 36, kSmallButtonWidth, kSmallButtonHeight};
  l.editFile = {fw - 113, fh - 20, kSmallButtonWidth, kSmallButtonHeight};
  l.fileList = {8, kGroupTop, fw - 16, fh - 36 - 4 - kGroupTop};

  for (int i = 0; i < 6; ++i)
    l.switches[std::size_t(i)] = {8, kSwitchTop + i * kSwitchStep, kSwitchWidth, kSwitchHeight};
  l.advancedButton = {8, bandHeight - 32, kButtonWidth, kButtonHeight};
  l.goButton = {8 + kButtonWidth + 15, bandHeight - 32, 75, kButtonHeight};
  const int advancedWidth = 250;
  l.doNotChangeFilenameReferences = {kAdvancedLeft, kSwitchTop, advancedWidth, kSwitchHeight};
  l.replaceOnlyInFirst = {kAdvancedLeft, kSwitchTop + kSwitchStep, advancedWidth, kSwitchHeight};
  l.firstCount = {kAdvancedLeft + 18, kSwitchTop + 2 * kSwitchStep + 4, 70, 22};
  l.firstUnit = {kAdvancedLeft + 18 + 70 + 8, kSwitchTop + 2 * kSwitchStep + 4, 80, 22};

  const int sw = l.stringsGroup.width;
  const int sh = l.stringsGroup.height;
  const int half = (sh - 189) / 2;
  l.grid = {kGridLeft, kGroupTop, kGridWidth, sh - 21};
  l.gridColumnWidth = (l.grid.width - 5) / 2;
  l.findLabel = {kFieldsLeft, 16, 100, 14};
  l.replaceLabel = {kFieldsLeft, half + 82, 200, 14};
  const int fieldHeight = half + 51;
  const int fieldWidth = sw - 352;
  l.findField = {kFieldsLeft, kFindFieldTop, fieldWidth, fieldHeight};
  l.replaceField = {kFieldsLeft, half + 96, fieldWidth, fieldHeight};
  l.findMenuButton = {W - 22, kFindFieldTop, kMenuButtonSize, kMenuButtonSize};
  l.replaceMenuButton = {W - 22, half + 96, kMenuButtonSize, kMenuButtonSize};
  l.pairAdd = {kFieldsLeft, sh - 33, kButtonWidth, kButtonHeight};
  l.pairDelete = {kFieldsLeft + kButtonWidth + 8, sh - 33, kButtonWidth, kButtonHeight};
  return l;
}

}  // namespace tw
