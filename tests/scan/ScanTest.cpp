#include "scan/Scan.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

std::vector<std::string> pathsOf(const Configuration& config) {
  std::vector<std::string> paths;
  for (const FileEntry& entry : config.Files) paths.push_back(entry.Path);
  return paths;
}

TEST(addScanResults, AddsEachNewPathOnceCheckedAndMarksTheConfigurationChanged) {
  Configuration config;
  config.Files = {{"/d/a.htm", false}, {"/d/b.htm", true}};
  std::size_t added =
      addScanResults(config, {"/d/b.htm", "/d/c.htm", "/d/A.htm", "/d/c.htm", "/d/a.htm"});
  EXPECT_EQ(added, 2u);
  EXPECT_EQ(pathsOf(config),
            (std::vector<std::string>{"/d/a.htm", "/d/b.htm", "/d/c.htm", "/d/A.htm"}));
  EXPECT_FALSE(config.Files[0].Checked);  // an entry already present keeps its state
  EXPECT_TRUE(config.Files[2].Checked && config.Files[3].Checked);
  EXPECT_TRUE(config.Changed);
  EXPECT_TRUE(config.SaveButtonEnabled);
}

TEST(addScanResults, AScanThatAddsNothingChangesNeitherFlag) {
  Configuration config;
  config.Files = {{"/d/a.htm", true}};
  EXPECT_EQ(addScanResults(config, {"/d/a.htm", "/d/a.htm"}), 0u);
  EXPECT_EQ(addScanResults(config, {}), 0u);
  EXPECT_FALSE(config.Changed);
  EXPECT_FALSE(config.SaveButtonEnabled);
  EXPECT_EQ(config.Files.size(), 1u);
}

// Regression: views of the old paths must survive the list growing past its capacity.
TEST(addScanResults, KeepsComparingCorrectlyWhileTheListGrows) {
  Configuration config;
  config.Files = {{"x", true}};
  config.Files.shrink_to_fit();
  std::vector<std::string> found;
  for (int i = 0; i < 1000; ++i) found.push_back(std::to_string(i % 500));
  found.push_back("x");
  EXPECT_EQ(addScanResults(config, found), 500u);
  EXPECT_EQ(config.Files.size(), 501u);
}

}  // namespace
}  // namespace tw
