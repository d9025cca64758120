#include "ui/MainLayout.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

int right(const LayoutRect& r) {
  return r.x + r.width;
}
int bottom(const LayoutRect& r) {
  return r.y + r.height;
}

TEST(MainLayout, SizeRulesAtTheMinimumSize) {
  // A client area of 570 x 395 stands for an outer window of 570 x 465.
  const MainLayout l = computeMainLayout(570, 395, false);
  EXPECT_EQ(l.band.height, 188);
  EXPECT_EQ(l.optionsGroup.width, 181);
  EXPECT_EQ(l.filesGroup.width, 570 - 181);
  EXPECT_EQ(l.stringsGroup.height, 465 - 262);
  EXPECT_EQ(l.stringsGroup.width, 570 - 8);
  EXPECT_EQ(l.goButton.width, 75);
  EXPECT_EQ(l.browseFile.y, 188 - 36);
  EXPECT_EQ(l.browseFile.x, l.filesGroup.width - 113);
  EXPECT_EQ(l.editFile.y, 188 - 20);
  EXPECT_EQ(l.editFile.x, l.filesGroup.width - 113);
  EXPECT_EQ(l.fileAdd.x, 8);
  EXPECT_EQ(l.fileScan.x, 88);
  EXPECT_EQ(l.fileDelete.x, 168);
  EXPECT_EQ(l.grid.height, l.stringsGroup.height - 21);
  EXPECT_EQ(l.gridColumnWidth, (l.grid.width - 5) / 2);
  EXPECT_EQ(l.findLabel, (LayoutRect{l.findLabel.x, 16, 100, l.findLabel.height}));
  const int half = (l.stringsGroup.height - 189) / 2;
  EXPECT_EQ(l.replaceLabel.y, half + 82);
  EXPECT_EQ(l.replaceLabel.width, 200);
  EXPECT_EQ(l.replaceField.y, half + 96);
  EXPECT_EQ(l.findField.height, half + 51);
  EXPECT_EQ(l.replaceField.height, half + 51);
  EXPECT_EQ(l.findField.width, l.stringsGroup.width - 352);
  EXPECT_EQ(l.replaceField.width, l.stringsGroup.width - 352);
  EXPECT_EQ(l.findMenuButton.x, 570 - 22);
  EXPECT_EQ(l.replaceMenuButton.x, 570 - 22);
  EXPECT_EQ(l.replaceMenuButton.y, half + 96);
  EXPECT_EQ(l.pairAdd.y, l.stringsGroup.height - 33);
  EXPECT_EQ(l.pairDelete.y, l.stringsGroup.height - 33);
}

TEST(MainLayout, HalvesDropTheFraction) {
  // Strings group heights 200 and 201 give the same half; 202 one more.
  const MainLayout a = computeMainLayout(600, 200 + 262 - 70, false);
  const MainLayout b = computeMainLayout(600, 201 + 262 - 70, false);
  const MainLayout c = computeMainLayout(600, 202 + 262 - 70, false);
  EXPECT_EQ(a.replaceField.y, 5 + 96);
  EXPECT_EQ(b.replaceField.y, 6 + 96);
  EXPECT_EQ(c.replaceField.y, 6 + 96);
  EXPECT_EQ(a.findField.height, 5 + 51);
}

TEST(MainLayout, NothingOverlapsOrLeavesItsGroupAtSeveralSizes) {
  for (auto [w, h] : {std::pair{570, 395}, {800, 600}, {1024, 700}, {1920, 1100}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const MainLayout l = computeMainLayout(w, h, false);
    // The groups tile the client area.
    EXPECT_EQ(right(l.filesGroup), l.optionsGroup.x);
    EXPECT_EQ(right(l.optionsGroup), w);
    EXPECT_EQ(l.stringsGroup.y, bottom(l.band));
    EXPECT_EQ(bottom(l.stringsGroup), h - 4);
    EXPECT_EQ(right(l.stringsGroup), w - 4);
    // Strings: grid left of the fields, fields above Add and Delete, menu buttons beside.
    EXPECT_LE(right(l.grid), l.findField.x);
    EXPECT_LE(bottom(l.grid), l.stringsGroup.height);
    EXPECT_LE(bottom(l.findLabel), l.findField.y);
    EXPECT_LE(bottom(l.findField), l.replaceLabel.y);
    EXPECT_LE(bottom(l.replaceLabel), l.replaceField.y);
    EXPECT_LE(bottom(l.replaceField), l.pairAdd.y);
    EXPECT_LE(bottom(l.pairAdd), l.stringsGroup.height);
    EXPECT_LE(right(l.findField), l.findMenuButton.x);
    EXPECT_LE(right(l.findMenuButton), l.stringsGroup.width);
    EXPECT_LE(right(l.pairAdd), l.pairDelete.x);
    // Files: the list above its buttons, the small buttons right of Delete.
    EXPECT_LE(bottom(l.fileList), l.fileAdd.y);
    EXPECT_LE(right(l.fileDelete), l.browseFile.x);
    EXPECT_LE(bottom(l.browseFile), l.editFile.y);
    EXPECT_LE(bottom(l.editFile), l.filesGroup.height);
    // Options: the switches above the two buttons, Go right of Advanced, inside the box.
    EXPECT_LE(bottom(l.switches[5]), l.advancedButton.y);
    EXPECT_LE(right(l.advancedButton), l.goButton.x);
    EXPECT_LE(right(l.goButton), l.optionsGroup.width);
  }
}

TEST(MainLayout, AdvancedViewGivesTheWholeBandToOptions) {
  const MainLayout normal = computeMainLayout(700, 500, false);
  const MainLayout advanced = computeMainLayout(700, 500, true);
  EXPECT_TRUE(normal.filesVisible);
  EXPECT_FALSE(advanced.filesVisible);
  EXPECT_EQ(advanced.optionsGroup, (LayoutRect{0, 0, 700, 188}));
  EXPECT_EQ(normal.optionsGroup, (LayoutRect{700 - 181, 0, 181, 188}));
  // The advanced controls sit right of the six switches and inside the box.
  EXPECT_GE(advanced.doNotChangeFilenameReferences.x, right(advanced.switches[0]));
  EXPECT_LE(right(advanced.firstUnit), advanced.optionsGroup.width);
  // The strings group is the same in both views.
  EXPECT_EQ(normal.stringsGroup, advanced.stringsGroup);
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

TEST(MainLayout, BrowseAndEditModesFillTheClientArea) {
  for (auto [w, h] : {std::pair{570, 395}, {801, 600}, {1920, 1100}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    for (bool advanced : {false, true}) {
      const MainLayout b = computeMainLayout(w, h, advanced, FileMode::Browse);
      EXPECT_EQ(b.mode, FileMode::Browse);
      EXPECT_TRUE(b.filesVisible);
      EXPECT_EQ(b.filesGroup, (LayoutRect{0, 0, w, h}));
      EXPECT_EQ(b.viewer, (LayoutRect{6, 14, w - 15, h - 53}));
      EXPECT_EQ(b.returnButton.width, w - 23);
      EXPECT_LE(bottom(b.viewer), b.returnButton.y);
      EXPECT_LE(bottom(b.returnButton), h);

      const MainLayout e = computeMainLayout(w, h, advanced, FileMode::Edit);
      EXPECT_EQ(e.viewer, (LayoutRect{6, 14, w - 15, h - 65}));
      const int half = (w - 20) / 2;
      EXPECT_EQ(e.saveButton, (LayoutRect{8, h - 32, half, e.saveButton.height}));
      EXPECT_EQ(e.discardButton, (LayoutRect{half + 13, h - 32, half, e.saveButton.height}));
      EXPECT_EQ(e.wrapText.x, 8);
      EXPECT_EQ(e.wrapText.y, h - 50);
      EXPECT_LE(bottom(e.viewer), e.wrapText.y);
      EXPECT_LE(bottom(e.wrapText), e.saveButton.y);
      EXPECT_LE(right(e.saveButton), e.discardButton.x);
      EXPECT_LE(right(e.discardButton), w);
    }
  }
}

}  // namespace
}  // namespace tw
