#include "scan/Scan.h"

#include "config/Settings.h"
#include "support/MemorySettingsStore.h"
#include "support/TempDir.h"

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

class runScanTest : public test::TempDirTest {};

TEST_F(runScanTest, StoresTheLastFolderAndAddsOnlyWhatIsNew) {
  std::string a = dir.write("a.htm", "x");
  std::string b = dir.write("sub/b.html", "x");
  ScanCriteria criteria;
  criteria.Directory = dir.path().string();
  criteria.Masks = {"*.htm*", "a.*"};
  Configuration config;
  config.ScanResults = {"left over"};
  MemorySettingsStore settings;
  ScanOutcome outcome = runScan(config, criteria, settings);
  EXPECT_EQ(ReadLastDir(settings), criteria.Directory + "/");
  EXPECT_EQ(config.ScanResults, (std::vector<std::string>{a, a, b}));
  EXPECT_EQ(outcome.Added, 2u);
  EXPECT_EQ(pathsOf(config), (std::vector<std::string>{a, b}));
  EXPECT_TRUE(outcome.Problems.empty());

  // A second scan that finds more adds only the new file; one that finds nothing new changes
  // nothing.
  std::string c = dir.write("c.htm", "x");
  config.markSaved();
  EXPECT_EQ(runScan(config, criteria, settings).Added, 1u);
  EXPECT_EQ(pathsOf(config), (std::vector<std::string>{a, b, c}));
  config.markSaved();
  EXPECT_EQ(runScan(config, criteria, settings).Added, 0u);
  EXPECT_FALSE(config.Changed || config.SaveButtonEnabled);
  EXPECT_EQ(config.ScanResults.size(), 4u);  // the last scan's own results

  criteria.Directory = "/";
  criteria.Masks = {""};
  criteria.Recurse = false;
  runScan(config, criteria, settings);
  EXPECT_EQ(ReadLastDir(settings), "/");
}

}  // namespace
}  // namespace tw
