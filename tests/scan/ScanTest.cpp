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

class ScanPathTest : public test::TempDirTest {
 protected:
  // The steps of every scan, as the scan dialog takes them.
  std::size_t scan(Configuration& config, const ScanCriteria& criteria, SettingsStore& settings,
                   ScanObserver* observer = nullptr) {
    StoreScanFolder(settings, criteria.Directory);
    found = findScanFiles(criteria, std::chrono::system_clock::now(), observer);
    return takeScanResults(config, found);
  }
  ScanFound found;
};

TEST_F(ScanPathTest, StoresTheLastFolderAndAddsOnlyWhatIsNew) {
  std::string a = dir.write("a.htm", "x");
  std::string b = dir.write("sub/b.html", "x");
  ScanCriteria criteria;
  criteria.Directory = dir.path().string();
  criteria.Masks = {"*.htm*", "a.*"};
  Configuration config;
  config.ScanResults = {"left over"};
  MemorySettingsStore settings;
  std::size_t added = scan(config, criteria, settings);
  EXPECT_EQ(ReadLastDir(settings), criteria.Directory + "/");
  // A file that two masks find is one file.
  EXPECT_EQ(config.ScanResults, (std::vector<std::string>{a, b}));
  EXPECT_EQ(added, 2u);
  EXPECT_EQ(pathsOf(config), (std::vector<std::string>{a, b}));
  EXPECT_TRUE(found.problems.empty());
  EXPECT_FALSE(found.cancelled);

  // A second scan that finds more adds only the new file; one that finds nothing new changes
  // nothing.
  std::string c = dir.write("c.htm", "x");
  config.markSaved();
  EXPECT_EQ(scan(config, criteria, settings), 1u);
  EXPECT_EQ(pathsOf(config), (std::vector<std::string>{a, b, c}));
  config.markSaved();
  EXPECT_EQ(scan(config, criteria, settings), 0u);
  EXPECT_FALSE(config.Changed || config.SaveButtonEnabled);
  EXPECT_EQ(config.ScanResults.size(), 3u);  // the last scan's own results

  criteria.Directory = "/";
  criteria.Masks = {""};
  criteria.Recurse = false;
  scan(config, criteria, settings);
  EXPECT_EQ(ReadLastDir(settings), "/");
}

// Stopped midway, a scan adds nothing; the observer hears of every folder before it is read.
TEST_F(ScanPathTest, ACancelledWalkAddsNothing) {
  for (int i = 0; i < 6; ++i) dir.write("d" + std::to_string(i) + "/f.htm", "x");
  struct StopAfter : ScanObserver {
    int folders = 0;
    int limit = 0;
    void searching(const std::string&) override { ++folders; }
    bool cancelRequested() override { return folders >= limit; }
  };
  ScanCriteria criteria;
  criteria.Directory = dir.path().string();
  criteria.Masks = {"*.htm"};
  Configuration config;
  MemorySettingsStore settings;
  StopAfter stop;
  stop.limit = 3;
  EXPECT_EQ(scan(config, criteria, settings, &stop), 0u);
  EXPECT_TRUE(found.cancelled);
  EXPECT_EQ(stop.folders, 3);
  EXPECT_TRUE(config.Files.empty());
  EXPECT_FALSE(config.Changed);

  stop = StopAfter{};
  stop.limit = 100;
  EXPECT_EQ(scan(config, criteria, settings, &stop), 6u);
  EXPECT_EQ(stop.folders, 7);  // the start folder and its six
}

}  // namespace
}  // namespace tw
