#include "ui/MainLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tw {
namespace {

int right(const LayoutRect& r) {
  return r.x + r.width;
}
int bottom(const LayoutRect& r) {
  return r.y + r.height;
}

bool overlap(const LayoutRect& a, const LayoutRect& b) {
  return a.x < right(b) && b.x < right(a) && a.y < bottom(b) && b.y < bottom(a);
}

struct Named {
  const char* name;
  LayoutRect rect;
};

// The visible controls of each group, in the group's coordinates.
std::vector<std::pair<Named, std::vector<Named>>> groupsOf(const MainLayout& l, bool advanced) {
  std::vector<Named> options;
  for (size_t i = 0; i < l.switches.size(); ++i) options.push_back({"switch", l.switches[i]});
  options.insert(options.end(), {{"advancedButton", l.advancedButton}, {"goButton", l.goButton}});
  if (advanced) {
    options.insert(options.end(),
                   {{"doNotChangeFilenameReferences", l.doNotChangeFilenameReferences},
                    {"replaceOnlyInFirst", l.replaceOnlyInFirst},
                    {"firstCount", l.firstCount},
                    {"firstUnit", l.firstUnit}});
  }
  std::vector<std::pair<Named, std::vector<Named>>> groups = {
      {{"optionsGroup", l.optionsGroup}, options},
      {{"stringsGroup", l.stringsGroup},
       {{"grid", l.grid},
        {"findLabel", l.findLabel},
        {"findField", l.findField},
        {"findMenuButton", l.findMenuButton},
        {"replaceLabel", l.replaceLabel},
        {"replaceField", l.replaceField},
        {"replaceMenuButton", l.replaceMenuButton},
        {"pairAdd", l.pairAdd},
        {"pairDelete", l.pairDelete}}}};
  if (l.filesVisible) {
    groups.push_back({{"filesGroup", l.filesGroup},
                      {{"fileList", l.fileList},
                       {"fileAdd", l.fileAdd},
                       {"fileScan", l.fileScan},
                       {"fileDelete", l.fileDelete},
                       {"browseFile", l.browseFile},
                       {"editFile", l.editFile}}});
  }
  return groups;
}

// At every size from the minimum up, in both views: the groups lie inside the client area
// and apart, every control inside its group and apart from the others, nothing below its
// minimum size, and nothing smaller than at a smaller window.
TEST(MainLayout, ControlsStayInsideApartAndUsableAtEverySize) {
  const int minHeight = MainLayout::kMinimumHeight - MainLayout::kHeightAboveClient;
  for (bool advanced : {false, true}) {
    MainLayout previous = computeMainLayout(MainLayout::kMinimumWidth, minHeight, advanced);
    for (int k = 0; k < 40; ++k) {
      const int w = MainLayout::kMinimumWidth + k * 37;
      const int h = minHeight + k * 19;
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + (advanced ? " advanced" : ""));
      const MainLayout l = computeMainLayout(w, h, advanced);
      EXPECT_EQ(l.filesVisible, !advanced);
      const auto groups = groupsOf(l, advanced);
      for (size_t g = 0; g < groups.size(); ++g) {
        const auto& [group, controls] = groups[g];
        EXPECT_TRUE(group.rect.x >= 0 && group.rect.y >= 0 && right(group.rect) <= w &&
                    bottom(group.rect) <= h)
            << group.name << " leaves the window";
        for (size_t o = g + 1; o < groups.size(); ++o)
          EXPECT_FALSE(overlap(group.rect, groups[o].first.rect))
              << group.name << " overlaps " << groups[o].first.name;
        for (size_t c = 0; c < controls.size(); ++c) {
          const LayoutRect& r = controls[c].rect;
          EXPECT_TRUE(r.x >= 0 && r.y >= 0 && right(r) <= group.rect.width &&
                      bottom(r) <= group.rect.height)
              << controls[c].name << " leaves " << group.name;
          EXPECT_TRUE(r.width >= 10 && r.height >= 10) << controls[c].name << " is too small";
          for (size_t d = c + 1; d < controls.size(); ++d)
            EXPECT_FALSE(overlap(r, controls[d].rect))
                << controls[c].name << " overlaps " << controls[d].name;
        }
      }
      for (const LayoutRect& b : {l.fileAdd, l.fileScan, l.fileDelete, l.advancedButton, l.goButton,
                                  l.pairAdd, l.pairDelete})
        EXPECT_TRUE(b.width >= 75 && b.height >= 25) << "a button below 75 x 25";
      for (const LayoutRect& field : {l.findField, l.replaceField})
        EXPECT_TRUE(field.width >= 200 && field.height >= 3 * 16) << "a field below three lines";
      EXPECT_GE(l.grid.height, 150);
      EXPECT_GE(l.fileList.height, 100);
      for (auto [now, before] : {std::pair{l.grid, previous.grid},
                                 {l.findField, previous.findField},
                                 {l.replaceField, previous.replaceField},
                                 {l.fileList, previous.fileList},
                                 {l.stringsGroup, previous.stringsGroup}}) {
        EXPECT_TRUE(now.width >= before.width && now.height >= before.height)
            << "a control shrank as the window grew";
      }
      previous = l;
    }
  }
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
    // The groups tile the client area within a margin of 4 pixels, as "Strings" does.
    EXPECT_EQ(l.filesGroup.x, 4);
    EXPECT_EQ(right(l.filesGroup), l.optionsGroup.x);
    EXPECT_EQ(right(l.optionsGroup), w - 4);
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
  EXPECT_EQ(advanced.optionsGroup, (LayoutRect{4, 0, 700 - 8, 188}));
  EXPECT_EQ(normal.optionsGroup, (LayoutRect{700 - 181 - 4, 0, 181, 188}));
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
