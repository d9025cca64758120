#include "scan/ScanDirectory.h"

#include "support/AsNobody.h"
#include "support/FaultyFileOps.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;
using Paths = std::vector<std::string>;

// A local wall-clock moment; day and hour may run over, as mktime normalises them.
time_t localMoment(int year, int month, int day, int hour, int minute = 0, int second = 0) {
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  parts.tm_isdst = -1;
  return std::mktime(&parts);
}

void setModified(const std::string& path, time_t when) {
  timespec times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

class ScanDirectoryTest : public test::TempDirTest {
 protected:
  ScanDirectoryTest() {
    criteria.Directory = dir.path().string();
    criteria.Masks = {"*"};
  }

  Paths scan(std::vector<ScanProblem>* problems = nullptr) {
    Paths found;
    ScanDirectory(criteria, now, found, problems);
    return found;
  }

  // Paths relative to the scanned directory, for readable expectations.
  Paths scanRelative() {
    Paths relative;
    for (const std::string& path : scan()) {
      EXPECT_EQ(path.rfind(criteria.Directory + "/", 0), 0u) << path;
      relative.push_back(path.substr(criteria.Directory.size() + 1));
    }
    return relative;
  }

  ScanCriteria criteria;
  Clock::time_point now = Clock::from_time_t(localMoment(2024, 6, 15, 12));
};

TEST_F(ScanDirectoryTest, ListsMaskByMaskThenSubdirectoriesDepthFirstInByteOrder) {
  for (const char* name : {"b.txt", "a.htm", "B.HTML", "c.txt", "sub2/z.htm", "sub2/deep/y.txt",
                           "sub1/x.txt", "sub1/w.htm", "Sub0/v.htm", "both.htm.txt"}) {
    dir.write(name, "x");
  }
  criteria.Masks = {"*.txt", "*.htm*"};
  EXPECT_EQ(scanRelative(),
            (Paths{"b.txt", "both.htm.txt", "c.txt", "B.HTML", "a.htm", "Sub0/v.htm", "sub1/x.txt",
                   "sub1/w.htm", "sub2/z.htm", "sub2/deep/y.txt"}));
  criteria.Recurse = false;
  EXPECT_EQ(scanRelative(), (Paths{"b.txt", "both.htm.txt", "c.txt", "B.HTML", "a.htm"}));
}

TEST_F(ScanDirectoryTest, FindsAFileOfTwoMasksTwiceAndNothingForAnEmptyOrSpacedMask) {
  dir.write("page.htm", "x");
  dir.write("notes.txt", "x");
  criteria.Masks = {"*.htm", "page.*"};
  EXPECT_EQ(scanRelative(), (Paths{"page.htm", "page.htm"}));
  criteria.Masks = {"", " *.txt"};
  EXPECT_EQ(scanRelative(), Paths{});
}

TEST_F(ScanDirectoryTest, AppliesTheExtensionRuleAfterTheNameMatch) {
  dir.write("page.htm", "x");
  dir.write("page.html", "x");
  dir.write("page.hxxm", "x");
  criteria.Masks = {"*.htm"};
  EXPECT_EQ(scanRelative(), Paths{"page.htm"});
  criteria.Masks = {"*.h*m"};  // the name matches, the extension rule refuses the longer one
  EXPECT_EQ(scanRelative(), Paths{"page.htm"});
}

TEST_F(ScanDirectoryTest, NeverListsOrEntersHiddenEntries) {
  dir.write(".hidden.htm", "x");
  dir.write(".git/config.htm", "x");
  dir.write(".cache/a/b.htm", "x");
  dir.write("shown/.also-hidden.htm", "x");
  dir.write("shown/seen.htm", "x");
  criteria.Masks = {"*.htm", ".*"};
  EXPECT_EQ(scanRelative(), Paths{"shown/seen.htm"});
}

TEST_F(ScanDirectoryTest, ListsLinksToFilesButDoesNotEnterLinkedFolders) {
  dir.write("real/file.htm", "x");
  fs::create_directory_symlink(dir.path() / "real", dir.path() / "alias");
  fs::create_directory_symlink(dir.path(), dir.path() / "real" / "loop");
  fs::create_symlink(dir.path() / "real" / "file.htm", dir.path() / "link.htm");
  fs::create_symlink(dir.path() / "missing.htm", dir.path() / "dangling.htm");
  ::mkfifo(dir.file("fifo.htm").c_str(), 0600);
  EXPECT_EQ(scanRelative(), (Paths{"link.htm", "real/file.htm"}));
}

TEST_F(ScanDirectoryTest, KeepsTheStartDirectoryAsGivenAndReportsOneThatCannotBeOpened) {
  dir.write("a.htm", "x");
  criteria.Directory = dir.file("missing");
  std::vector<ScanProblem> problems;
  EXPECT_EQ(scan(&problems), Paths{});
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].path, criteria.Directory);
  EXPECT_EQ(problems[0].reason, "No such file or directory");
}

TEST_F(ScanDirectoryTest, AnUnreadableFolderYieldsNothingAndTheWalkGoesOn) {
  dir.write("a/locked/secret.htm", "x");
  dir.write("b/open.htm", "x");
  fs::permissions(dir.path(), fs::perms::all, fs::perm_options::add);  // reachable for nobody
  for (const char* folder : {"a", "b"}) {
    fs::permissions(dir.path() / folder, fs::perms::all, fs::perm_options::add);
  }
  fs::permissions(dir.path() / "b" / "open.htm", fs::perms::all, fs::perm_options::add);
  fs::permissions(dir.path() / "a" / "locked", fs::perms::none);
  const std::string root = criteria.Directory;
  std::string seen = test::runAsNobody([&] {
    Paths found;
    std::vector<ScanProblem> problems;
    ScanDirectory(criteria, now, found, &problems);
    std::string text;
    for (const std::string& path : found) text += path + "\n";
    for (const ScanProblem& p : problems) text += "! " + p.path + ": " + p.reason + "\n";
    return text;
  });
  EXPECT_EQ(seen, root + "/b/open.htm\n! " + root + "/a/locked: Permission denied\n");
}

TEST_F(ScanDirectoryTest, SizeCriterionHoldsAtItsBounds) {
  dir.write("small", std::string(10239, 'x'));
  dir.write("exact", std::string(10240, 'x'));
  dir.write("large", std::string(10241, 'x'));
  dir.write("empty", "");
  criteria.SizeOn = true;
  criteria.SizeLimit = 10240;
  criteria.SizeCompare = '=';
  EXPECT_EQ(scanRelative(), Paths{"exact"});
  criteria.SizeCompare = '>';
  EXPECT_EQ(scanRelative(), (Paths{"exact", "large"}));
  criteria.SizeCompare = '<';
  EXPECT_EQ(scanRelative(), (Paths{"empty", "exact", "small"}));
  criteria.SizeCompare = '>';
  criteria.SizeLimit = 0;
  EXPECT_EQ(scanRelative().size(), 4u);
}

TEST_F(ScanDirectoryTest, DateRangeIncludesBothBoundDays) {
  const std::pair<const char*, time_t> files[] = {{"before", localMoment(2001, 12, 31, 23, 59, 59)},
                                                  {"first", localMoment(2002, 1, 1, 0, 0)},
                                                  {"last", localMoment(2002, 12, 31, 23, 59, 59)},
                                                  {"after", localMoment(2003, 1, 1, 0, 0)}};
  for (auto [name, when] : files) setModified(dir.write(name, "x"), when);
  criteria.DateOn = true;
  criteria.DateFrom = {2002, 1, 1};
  criteria.DateTo = {2002, 12, 31};
  EXPECT_EQ(scanRelative(), (Paths{"first", "last"}));
  criteria.DateTo = {2002, 1, 1};
  EXPECT_EQ(scanRelative(), Paths{"first"});
  criteria.DateFrom = {2002, 1, 2};  // an empty range
  EXPECT_EQ(scanRelative(), Paths{});
}

TEST_F(ScanDirectoryTest, AgeCriterionIsStrictInEachUnit) {
  // now is 15.06.2024 12:00 local time
  const std::pair<const char*, time_t> files[] = {
      {"d00-today-early", localMoment(2024, 6, 15, 0, 1)},
      {"d01-yesterday-late", localMoment(2024, 6, 14, 23, 59)},
      {"d07", localMoment(2024, 6, 8, 1)},
      {"d08", localMoment(2024, 6, 7, 23)},
      {"d30", localMoment(2024, 5, 16, 6)},
      {"d31", localMoment(2024, 5, 15, 18)},
      {"d365", localMoment(2023, 6, 16, 6)},
      {"d366", localMoment(2023, 6, 15, 18)},
      {"h2-exact", localMoment(2024, 6, 15, 10, 0, 59)},  // seconds do not count
      {"h2-over", localMoment(2024, 6, 15, 9, 59, 59)},
      {"future", localMoment(2025, 1, 1, 0)},
  };
  for (auto [name, when] : files) setModified(dir.write(name, "x"), when);
  criteria.AgeOn = true;
  auto keep = [&](AgeUnit unit, int64_t count) {
    criteria.Unit = unit;
    criteria.AgeCount = count;
    return scanRelative();
  };
  EXPECT_EQ(keep(AgeUnit::Days, 0), (Paths{"d00-today-early", "future", "h2-exact", "h2-over"}));
  EXPECT_EQ(keep(AgeUnit::Weeks, 1), (Paths{"d00-today-early", "d01-yesterday-late", "d07",
                                            "future", "h2-exact", "h2-over"}));
  EXPECT_EQ(keep(AgeUnit::Months, 1).size(), 8u);  // up to d30
  EXPECT_EQ(keep(AgeUnit::Years, 1).size(), 10u);  // all but d366
  EXPECT_EQ(keep(AgeUnit::Hours, 2), (Paths{"future", "h2-exact"}));
  EXPECT_EQ(keep(AgeUnit::None, 0).size(), 11u);  // no unit drops nothing
  EXPECT_EQ(keep(AgeUnit::Years, INT64_MAX).size(), 11u);
  EXPECT_EQ(keep(AgeUnit::Hours, INT64_MAX).size(), 11u);
}

TEST_F(ScanDirectoryTest, AttributeBoxesSelectReadOnlyAndNotYetBackedUpFiles) {
  std::string locked = dir.write("locked.txt", "x");
  dir.write("open.txt", "x");
  std::string backedUp = dir.write("saved.txt", "x");
  dir.write("saved.txt.rpf", "old");
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
  criteria.Masks = {"*.txt"};
  criteria.AttrOn = true;
  EXPECT_EQ(scanRelative(), (Paths{"locked.txt", "open.txt", "saved.txt"}));
  criteria.ReadOnly = true;
  EXPECT_EQ(scanRelative(), Paths{"locked.txt"});
  criteria.ReadOnly = false;
  criteria.Archive = true;
  EXPECT_EQ(scanRelative(), (Paths{"locked.txt", "open.txt"}));
  criteria.AttrOn = false;  // the boxes count only with "With attributes"
  EXPECT_EQ(scanRelative().size(), 3u);
}

// Each file-system call of a walk fails in turn: the walk names the folder it could not open or
// list and goes on, leaves out a file it could not examine, and never lists a file it should not.
TEST_F(ScanDirectoryTest, AFailedCallCostsAtMostWhatItCouldNotReadAndNeverAddsAFile) {
  dir.write("a.htm", "x");
  dir.write("saved.htm", "x");  // has a backup, so it is never listed
  dir.write("saved.htm.rpf", "old");
  dir.write("sub/c.htm", "x");
  dir.write("sub/deep/d.htm", "x");
  fs::create_symlink(dir.path() / "sub" / "c.htm", dir.path() / "link.htm");
  criteria.Masks = {"*.htm"};
  criteria.AttrOn = criteria.Archive = true;  // looks for each file's backup
  criteria.SizeOn = true;                     // examines each file
  criteria.SizeCompare = '>';
  const std::string root = criteria.Directory;

  test::FaultyFileOps ops;
  Paths clean;
  std::vector<ScanProblem> problems;
  ASSERT_TRUE(ScanDirectory(criteria, now, clean, &problems, nullptr, ops));
  ASSERT_EQ(clean, (Paths{root + "/a.htm", root + "/link.htm", root + "/sub/c.htm",
                          root + "/sub/deep/d.htm"}));
  ASSERT_TRUE(problems.empty());
  const std::vector<std::string> calls = ops.calls();

  struct Effect {
    bool namesFolder;     // the failure is reported, naming a folder
    std::size_t mayLose;  // files it may cost when no folder is named
  };
  const std::map<std::string, Effect> effects = {{"open", {true, 0}},
                                                 {"readfolder", {true, 0}},
                                                 {"openat", {true, 0}},
                                                 {"fstatat", {false, 1}},
                                                 {"close", {false, 0}}};
  for (std::size_t n = 1; n <= calls.size(); ++n) {
    SCOPED_TRACE("call " + std::to_string(n) + ": " + calls[n - 1]);
    ASSERT_TRUE(effects.contains(calls[n - 1]));
    const Effect effect = effects.at(calls[n - 1]);
    ops.reset();
    ops.failCall(static_cast<int>(n), EIO);
    Paths found;
    problems.clear();
    EXPECT_TRUE(ScanDirectory(criteria, now, found, &problems, nullptr, ops));
    EXPECT_TRUE(ops.failed());
    Paths lost;
    std::set_difference(clean.begin(), clean.end(), found.begin(), found.end(),
                        std::back_inserter(lost));
    EXPECT_TRUE(std::includes(clean.begin(), clean.end(), found.begin(), found.end()));
    EXPECT_EQ(found.size() + lost.size(), clean.size());
    if (effect.namesFolder) {
      ASSERT_EQ(problems.size(), 1u);
      const std::string& folder = problems[0].path;
      EXPECT_TRUE(folder == root || folder == root + "/sub" || folder == root + "/sub/deep");
      EXPECT_EQ(problems[0].reason, "Input/output error");
      for (const std::string& path : lost) EXPECT_EQ(path.rfind(folder + "/", 0), 0u) << path;
    } else {
      EXPECT_TRUE(problems.empty());
      EXPECT_LE(lost.size(), effect.mayLose);
    }
  }
}

}  // namespace
}  // namespace tw
