#include "engine/Run.h"

#include "engine/ApplyPair.h"
#include "engine/ScriptedHost.h"
#include "support/FaultyFileOps.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tw {
namespace {

namespace fs = std::filesystem;
using test::FixedClock;
using test::ScriptedHost;
using test::TempDir;

struct Stamp {
  ino_t inode;
  timespec mtime;
};

Stamp stampOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return {info.st_ino, info.st_mtim};
}

bool sameStamp(const Stamp& a, const Stamp& b) {
  return a.inode == b.inode && a.mtime.tv_sec == b.mtime.tv_sec &&
         a.mtime.tv_nsec == b.mtime.tv_nsec;
}

class RunTest : public test::TempDirTest {
 protected:
  Configuration config;
  AppOptions options;
  ScriptedHost host;
  FixedClock clock;
  RunSummary summary;

  RunTest() { config.setPairs({{"colour", "color"}}); }

  std::string add(const std::string& name, const std::string& content, bool checked = true) {
    std::string path = dir.write(name, content);
    config.Files.push_back({path, checked});
    return path;
  }

  RunOutcome run(RunMode mode = {}) {
    return RunReplacement(config, options, host, clock, summary, mode);
  }
};

TEST_F(RunTest, ResultLinesTotalsAndCountsOfEveryProcessedFile) {
  const std::string a = add("a.txt", "colour colour colour colour colour colour colour");
  const std::string b = add("b.txt", "nothing here");
  const std::string c = add("c.txt", "one colour");
  clock.moments = {LocalMoment{{23, 59, 50, 12}, {2026, 7, 3}},
                   LocalMoment{{0, 0, 10, 3}, {2026, 7, 4}}};
  RunOutcome outcome = run();
  EXPECT_FALSE(outcome.refused);
  EXPECT_EQ(outcome.checkedCount, 3);
  EXPECT_EQ(summary.TotalReplacements, 8);
  EXPECT_EQ(summary.FilesWithReplacements, 2);
  EXPECT_EQ(summary.ResultLines,
            (std::vector<std::string>{a + " - 7 replacements made", c + " - 1 replacements made"}));
  EXPECT_EQ(summary.FileCounts, (std::vector<int64_t>{7, 0, 1}));
  EXPECT_EQ(summary.BeginTime, (RunTime{23, 59, 50, 12}));
  EXPECT_EQ(summary.BeginDate, (RunDate{2026, 7, 3}));
  EXPECT_EQ(summary.EndTime, (RunTime{0, 0, 10, 3}));
  EXPECT_EQ(summary.EndDate, (RunDate{2026, 7, 4}));
  EXPECT_EQ(TempDir::read(a), "color color color color color color color");
  EXPECT_EQ(TempDir::read(c), "one color");
  EXPECT_EQ(host.started, (std::vector<std::string>{a, b, c}));
  EXPECT_EQ(host.progressSeen, (std::vector<int>{0, 33, 66, 100}));
}

TEST_F(RunTest, PairsActInOrderOnThePreviousPassOutput) {
  config.setPairs({{"a", "b"}, {"b", "c"}});
  const std::string p = add("p.txt", "abba cab");
  run();
  EXPECT_EQ(TempDir::read(p), "cccc ccc");
  EXPECT_EQ(summary.TotalReplacements, 3 + 6);
}

TEST_F(RunTest, MissingFileIsReportedAndDoesNotMoveTheGauge) {
  add("one.txt", "colour");
  config.Files.push_back({dir.file("missing.txt"), true});
  add("three.txt", "colour");
  run();
  ASSERT_EQ(summary.FailedFiles.size(), 1u);
  EXPECT_EQ(summary.FailedFiles[0].path, dir.file("missing.txt"));
  EXPECT_FALSE(summary.FailedFiles[0].reason.empty());
  EXPECT_EQ(host.progressSeen.back(), 66);
  EXPECT_EQ(summary.FilesWithReplacements, 2);
}

TEST_F(RunTest, UncheckedEmptyAndMp3EntriesArePassedOverKeepingTheirCounts) {
  const std::string unchecked = add("u.txt", "colour", false);
  const std::string empty = add("e.txt", "");
  const std::string song = add("Song.MP3", "colour");
  summary.FileCounts = {5, 6, 7};
  RunOutcome outcome = run();
  EXPECT_EQ(outcome.checkedCount, 2);
  EXPECT_EQ(outcome.startedCount, 0);
  EXPECT_EQ(summary.FileCounts, (std::vector<int64_t>{5, 6, 7}));
  EXPECT_TRUE(summary.FailedFiles.empty());
  EXPECT_TRUE(summary.ResultLines.empty());
  EXPECT_EQ(TempDir::read(unchecked), "colour");
  EXPECT_EQ(TempDir::read(song), "colour");
  EXPECT_TRUE(host.started.empty());
  EXPECT_FALSE(fs::exists(empty + ".rpf"));
}

TEST_F(RunTest, UnchangedFileIsNotRewrittenAndKeepsItsOldBackup) {
  const std::string p = add("p.txt", "nothing to do");
  dir.write("p.txt.rpf", "older backup");
  const Stamp before = stampOf(p);
  run();
  EXPECT_TRUE(sameStamp(before, stampOf(p)));
  EXPECT_EQ(TempDir::read(p + ".rpf"), "older backup");
  EXPECT_EQ(summary.FileCounts, (std::vector<int64_t>{0}));
}

TEST_F(RunTest, BackupHoldsTheOldContentOnlyWhenAskedAndNoWorkingCopyIsLeft) {
  const std::string kept = add("kept.txt", "colour");
  run();
  EXPECT_EQ(TempDir::read(kept + ".rpf"), "colour");
  EXPECT_FALSE(fs::exists(kept + ".rpf1"));

  config.Files.clear();
  config.Flags.CreateBackupFiles = false;
  const std::string plain = add("plain.txt", "colour");
  run();
  EXPECT_EQ(TempDir::read(plain), "color");
  EXPECT_FALSE(fs::exists(plain + ".rpf"));
  EXPECT_FALSE(fs::exists(plain + ".rpf1"));
}

TEST_F(RunTest, ExistingWorkingCopyFromAnOlderProgramIsLeftUntouched) {
  const std::string p = add("p.txt", "colour");
  dir.write("p.txt.rpf1", "only copy of something");
  run();
  EXPECT_EQ(TempDir::read(p), "color");
  EXPECT_EQ(TempDir::read(p + ".rpf1"), "only copy of something");
}

TEST_F(RunTest, OnlyTheFirstLinesAreSearchedAndTheRestCopiedAsRead) {
  config.Advanced.ReplaceOnlyInFirst = true;
  config.Advanced.FirstCount = "2";
  config.Advanced.FirstUnit = RegionUnit::Lines;
  const std::string p = add("p.txt", "colour\r\ncolour\r\ncolour\r\n");
  run();
  EXPECT_EQ(TempDir::read(p), "color\r\ncolor\r\ncolour\r\n");
}

TEST_F(RunTest, RegionEndingPastTheLastLineFeedSearchesNothing) {
  config.Advanced.ReplaceOnlyInFirst = true;
  config.Advanced.FirstCount = "5";
  const std::string p = add("p.txt", "colour\ncolour\ncolour\n");
  const Stamp before = stampOf(p);
  run();
  EXPECT_TRUE(sameStamp(before, stampOf(p)));
  EXPECT_FALSE(fs::exists(p + ".rpf"));
  EXPECT_EQ(summary.FileCounts, (std::vector<int64_t>{0}));
}

TEST_F(RunTest, OccurrenceStraddlingTheRegionEndIsNotFound) {
  config.Advanced = {false, true, "5", RegionUnit::Bytes};
  config.setPairs({{"abc", "X"}});
  const std::string p = add("p.txt", "abcabc");
  run();
  EXPECT_EQ(TempDir::read(p), "Xabc");
}

TEST_F(RunTest, RestIsCopiedFromTheRegionEndAsReadWhenPassesChangeTheLength) {
  config.Advanced = {false, true, "8", RegionUnit::Bytes};
  config.setPairs({{"long", "s"}, {"s", "SS"}});
  const std::string p = add("p.txt", "longlong|longlong");
  run();
  EXPECT_EQ(TempDir::read(p), "SSSS|longlong");
}

TEST_F(RunTest, MalformedFirstCountRefusesTheRunBeforeAnyFileIsTouched) {
  config.Advanced.ReplaceOnlyInFirst = true;
  const std::string p = add("p.txt", "colour");
  summary.ResultLines = {"from an earlier run"};
  for (const char* bad : {"-1", "abc", "", "2.5"}) {
    config.Advanced.FirstCount = bad;
    RunOutcome outcome = run();
    EXPECT_TRUE(outcome.refused) << bad;
    EXPECT_NE(outcome.refusal.find("whole number"), std::string::npos);
  }
  EXPECT_EQ(TempDir::read(p), "colour");
  EXPECT_TRUE(host.started.empty());
  EXPECT_EQ(summary.ResultLines, std::vector<std::string>{"from an earlier run"});
}

TEST_F(RunTest, SaveAsUnixConvertsLineEndsAndCountsEach) {
  options.SaveAsUnix = true;
  config.setPairs({{"absent", "x"}});
  const std::string p = add("p.txt", "one\r\ntwo\r\nthree\r\n");
  run();
  EXPECT_EQ(TempDir::read(p), "one\ntwo\nthree\n");
  EXPECT_EQ(summary.ResultLines, std::vector<std::string>{p + " - 3 replacements made"});
  EXPECT_EQ(config.Pairs().size(), 1u);
}

TEST_F(RunTest, CancelStopsBetweenFiles) {
  std::vector<std::string> paths;
  for (int i = 0; i < 5; ++i) paths.push_back(add("f" + std::to_string(i) + ".txt", "colour"));
  host.cancelAfterStarted = 3;
  RunOutcome outcome = run();
  EXPECT_TRUE(outcome.cancelled);
  EXPECT_EQ(summary.FilesWithReplacements, 3);
  EXPECT_EQ(TempDir::read(paths[2]), "color");
  EXPECT_EQ(TempDir::read(paths[3]), "colour");
  EXPECT_EQ(TempDir::read(paths[4]), "colour");
}

// Cancel read within a file: between its passes, at the 64th occurrence, right after a
// question, and every few MiB a pass scans (finding nothing, or with part of the new content
// already staged beside the file), in a text and in an RTF file. The run stops there: the file
// in progress is left exactly as it was with nothing beside it and listed as not processed, the
// file before it is written, the one after it is not touched, and the host is not asked again
// once it said yes.
TEST_F(RunTest, CancelWithinAFileLeavesItAsItWasAndListsIt) {
  struct CancellingHost : ScriptedHost {
    std::string target;
    int cancelAtLook = 0;  // counted from the start of `target`
    int looks = 0;
    std::function<void()> whenCancelled;
    bool cancelRequested() override {
      if (started.empty() || started.back() != target) return false;
      if (++looks == cancelAtLook && whenCancelled) whenCancelled();
      return looks >= cancelAtLook;
    }
  };
  struct Case {
    const char* what;
    const char* name;
    std::string text;
    std::vector<StringPair> pairs;
    bool confirm;
    int cancelAtLook;
    bool staged;  // part of the new content is beside the file when Cancel is read
  };
  // Looks come at least kCancelStride bytes apart; the new content goes beside the file in
  // pieces of kPassPiece, the first once that much of it is made.
  const std::string quiet(size_t{2} << 20, 'x');
  std::string sparse(kPassPiece + (size_t{5} << 20), 'x');
  const int lookAfterFirstPiece = int((kPassPiece + (size_t{2} << 20)) / kCancelStride);
  for (size_t at = 1000; at + 6 < sparse.size(); at += size_t{1} << 20)
    sparse.replace(at, 6, "colour");
  std::string dense;
  for (int i = 0; i < 200; ++i) dense += "colour ";
  const std::vector<StringPair> twoPairs = {{"colour", "color"}, {"grey", "gray"}};
  const std::vector<StringPair> onePair = {{"colour", "color"}};
  const Case cases[] = {
      {"between passes", "t.txt", "colour grey", twoPairs, false, 1, false},
      {"at the 64th occurrence", "t.txt", dense, onePair, false, 1, false},
      {"after a question", "t.txt", "colour colour", onePair, true, 1, false},
      {"in a long pass finding nothing", "t.txt", quiet, onePair, false, 2, false},
      {"in a long last pass, partly staged", "t.txt", sparse, onePair, false, lookAfterFirstPiece,
       true},
      {"between passes of an RTF file", "t.rtf", "{\\rtf1\\ansi colour grey}", twoPairs, false, 1,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir.path());
    fs::create_directories(dir.path());
    config.Files.clear();
    config.setPairs(c.pairs);
    config.Flags.Confirm = c.confirm;
    config.Flags.CreateBackupFiles = true;
    summary = {};
    const std::string before = add("before.txt", "colour");
    CancellingHost cancelling;
    cancelling.target = add(c.name, c.text);
    const std::string after = add("after.txt", "colour");
    cancelling.cancelAtLook = c.cancelAtLook;
    cancelling.answers = {ConfirmDecision::ReplaceThis, ConfirmDecision::ReplaceThis};
    bool stagedAtCancel = false;
    cancelling.whenCancelled = [&] {
      for (const auto& entry : fs::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(std::string(".") + c.name + ".twtmp-")) stagedAtCancel = true;
      }
    };
    const RunOutcome outcome = RunReplacement(config, options, cancelling, clock, summary, {});
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(cancelling.looks, c.cancelAtLook);
    EXPECT_EQ(stagedAtCancel, c.staged);
    EXPECT_TRUE(TempDir::read(cancelling.target) == c.text);
    EXPECT_EQ(TempDir::read(before), "color");
    EXPECT_EQ(TempDir::read(after), "colour");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"after.txt", "before.txt", "before.txt.rpf", c.name}));
    EXPECT_EQ(summary.ResultLines, (std::vector<std::string>{ResultLine(before, 1)}));
    EXPECT_EQ(summary.FailedFiles,
              (std::vector<FailedFile>{{cancelling.target, std::string(kCancelledReason)}}));
    EXPECT_EQ(summary.FileCounts, (std::vector<int64_t>{1, 0, 0}));
    EXPECT_EQ(cancelling.asked.size(), c.confirm ? 2u : 0u);
  }
}

TEST_F(RunTest, FileWideAnswerCoversLaterPairsAndEndsWithTheFile) {
  config.Flags.Confirm = true;
  config.setPairs({{"colour", "color"}, {"grey", "gray"}});
  const std::string first = add("1.txt", "colour colour grey");
  const std::string second = add("2.txt", "colour grey");
  host.answers = {ConfirmDecision::ReplaceAllInFile, ConfirmDecision::SkipThis,
                  ConfirmDecision::ReplaceThis};
  run();
  EXPECT_EQ(TempDir::read(first), "color color gray");
  EXPECT_EQ(TempDir::read(second), "colour gray");
  ASSERT_EQ(host.asked.size(), 3u);
  EXPECT_EQ(host.asked[1].path, second);
}

TEST_F(RunTest, SkipAllFilesLeavesTheRestAloneWithoutAsking) {
  config.Flags.Confirm = true;
  const std::string first = add("1.txt", "colour colour");
  const std::string second = add("2.txt", "colour");
  host.answers = {ConfirmDecision::ReplaceThis, ConfirmDecision::SkipAllFiles};
  run();
  EXPECT_EQ(TempDir::read(first), "color colour");
  EXPECT_EQ(TempDir::read(second), "colour");
  EXPECT_EQ(host.asked.size(), 2u);
  EXPECT_EQ(summary.FileCounts, (std::vector<int64_t>{1, 0}));
}

TEST_F(RunTest, RtfFilesGoToRichTextProcessingUnlessTreatedAsText) {
  config.setPairs({{"colour", "color"}, {"ansi", "x"}});
  const std::string rtf = add("doc.RTF", "{\\rtf1\\ansi colour}");
  run();
  EXPECT_EQ(TempDir::read(rtf), "{\\rtf1\\ansi color}");  // the control word \ansi is no text
  EXPECT_TRUE(summary.FailedFiles.empty());

  options.RtfAsRichText = false;
  run();
  EXPECT_EQ(TempDir::read(rtf), "{\\rtf1\\x color}");
}

TEST_F(RunTest, SameFileThroughTwoEntriesIsProcessedOnce) {
  config.setPairs({{"a", "aa"}});
  const std::string target = add("target.txt", "a");
  fs::create_symlink(target, dir.path() / "link.txt");
  config.Files.push_back({dir.file("link.txt"), true});
  fs::create_hard_link(target, dir.path() / "hard.txt");
  config.Files.push_back({dir.file("hard.txt"), true});
  // Many files, each listed twice: the second time after the run has seen hundreds more.
  for (int i = 0; i < 300; ++i) add("f" + std::to_string(i), "a");
  for (int i = 0; i < 300; ++i) config.Files.push_back({dir.file("f" + std::to_string(i)), true});
  config.Files.push_back({target, true});
  run();
  EXPECT_EQ(TempDir::read(target), "aa");
  EXPECT_EQ(TempDir::read(dir.file("f299")), "aa");
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.txt"));
  EXPECT_EQ(summary.TotalReplacements, 301);
}

TEST_F(RunTest, DryRunWritesNothingAndHandsEveryChangeToTheHost) {
  const std::string p = add("p.txt", "colour\n");
  add("q.txt", "plain\n");
  const Stamp before = stampOf(p);
  run(RunMode{true});
  EXPECT_TRUE(sameStamp(before, stampOf(p)));
  EXPECT_FALSE(fs::exists(p + ".rpf"));
  ASSERT_EQ(host.changes.size(), 1u);
  EXPECT_EQ(host.changes[0].before, "colour\n");
  EXPECT_EQ(host.changes[0].after, "color\n");
  EXPECT_EQ(summary.TotalReplacements, 1);
}

TEST_F(RunTest, KeepsDateAndModeAsAsked) {
  const std::string p = add("p.txt", "colour");
  ::chmod(p.c_str(), 0640);
  timespec times[2] = {{1000000000, 123456789}, {1000000000, 123456789}};
  ::utimensat(AT_FDCWD, p.c_str(), times, 0);
  run();
  struct stat info {};
  ::stat(p.c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);
  EXPECT_EQ(info.st_mtim.tv_nsec, 123456789);

  options.SaveOldDate = false;
  dir.write("p.txt", "colour");
  ::utimensat(AT_FDCWD, p.c_str(), times, 0);
  run();
  ::stat(p.c_str(), &info);
  EXPECT_NE(info.st_mtim.tv_sec, 1000000000);
}

// A folder that even root cannot write in (immutable), where the tool is available.
class ImmutableFolder {
 public:
  explicit ImmutableFolder(std::string path) : m_path(std::move(path)) {
    m_ok = std::system(("chattr +i '" + m_path + "' 2>/dev/null").c_str()) == 0;
  }
  ~ImmutableFolder() {
    if (m_ok) (void)std::system(("chattr -i '" + m_path + "'").c_str());
  }
  bool ok() const { return m_ok; }

 private:
  std::string m_path;
  bool m_ok = false;
};

TEST_F(RunTest, FileThatCannotBeWrittenIsReportedInListOrderAndKeepsItsContent) {
  const std::string first = add("a/1.txt", "colour");
  const std::string locked = add("b/2.txt", "colour");
  const std::string last = add("c/3.txt", "colour");
  ImmutableFolder guard(dir.file("b"));
  if (!guard.ok()) GTEST_SKIP() << "chattr +i is not available here";
  run();
  ASSERT_EQ(summary.FailedFiles.size(), 1u);
  EXPECT_EQ(summary.FailedFiles[0].path, locked);
  EXPECT_NE(summary.FailedFiles[0].reason.find(locked), std::string::npos)
      << summary.FailedFiles[0].reason;
  EXPECT_EQ(TempDir::read(locked), "colour");
  EXPECT_EQ(summary.ResultLines, (std::vector<std::string>{first + " - 1 replacements made",
                                                           last + " - 1 replacements made"}));
  EXPECT_EQ(summary.FileCounts, (std::vector<int64_t>{1, 0, 1}));
}

TEST_F(RunTest, ManyChangedFilesAreAllWrittenAndRecordedInListOrder) {
  std::vector<std::string> expected;
  for (int i = 0; i < 300; ++i) {
    const bool changes = i % 3 != 1;
    const std::string path =
        add("d" + std::to_string(i % 7) + "/f" + std::to_string(i) + ".txt",
            std::string(static_cast<size_t>(i) * 37, 'x') + (changes ? "colour" : "plain"));
    if (changes) expected.push_back(ResultLine(path, 1));
  }
  run();
  EXPECT_EQ(summary.ResultLines, expected);
  for (const FileEntry& entry : config.Files) {
    const std::string content = TempDir::read(entry.Path);
    EXPECT_EQ(content.find("colour"), std::string::npos) << entry.Path;
  }
}

// With confirmation on, a file whose occurrences are all answered is on disk, with its backup,
// before the next question: what was confirmed survives a user who stops there (or a kill).
// A file whose processing throws (a document too large for memory) is listed; the run goes on.
TEST_F(RunTest, AnsweredFilesAreWrittenBeforeTheNextQuestionAndOneFileNeverEndsTheRun) {
  struct Host : ScriptedHost {
    std::function<void(const ConfirmRequest&)> onAsk;
    ConfirmDecision confirm(const ConfirmRequest& request) override {
      onAsk(request);
      return ScriptedHost::confirm(request);
    }
  } asking;
  config.Flags.Confirm = true;
  const std::string first = add("1.txt", "colour");
  const std::string huge = add("2.txt", "colour");
  const std::string last = add("3.txt", "colour");
  std::vector<std::string> firstWhenAsked;
  asking.onAsk = [&](const ConfirmRequest& request) {
    firstWhenAsked.push_back(TempDir::read(first) + "|" + TempDir::read(first + ".rpf"));
    if (request.path == huge) throw std::length_error("basic_string::_M_create");
  };
  asking.answers = {ConfirmDecision::ReplaceThis, ConfirmDecision::ReplaceThis};
  RunReplacement(config, options, asking, clock, summary, {});
  EXPECT_EQ(firstWhenAsked, (std::vector<std::string>{"colour|", "color|colour", "color|colour"}));
  EXPECT_EQ(TempDir::read(huge), "colour");
  EXPECT_EQ(TempDir::read(last), "color");
  ASSERT_EQ(summary.FailedFiles.size(), 1u);
  EXPECT_EQ(summary.FailedFiles[0].path, huge);
  EXPECT_EQ(summary.FailedFiles[0].reason,
            "Cannot process \"" + huge + "\": it is too large to be processed in memory");
  EXPECT_EQ(summary.ResultLines.size(), 2u);
}

// Every file-system call of a run, failed in turn: a file holds its old or its new content,
// never less, a backup holds the old content, and a file whose writing failed is not counted.
TEST_F(RunTest, EveryFailingFileCallLeavesWholeFilesAndIsNotCountedAsWritten) {
  config.Flags.CreateBackupFiles = true;
  const std::string a = add("a.txt", "colour");
  const std::string b = add("b.txt", "colour");
  test::FaultyFileOps faulty;
  RunMode mode;
  mode.files = &faulty;
  run(mode);
  const size_t calls = faulty.calls().size();
  ASSERT_GT(calls, 4u);
  for (size_t n = 1; n <= calls; ++n) {
    for (const std::string& path : {a, b}) {
      dir.write(fs::path(path).filename().string(), "colour");
      fs::remove(path + ".rpf");
    }
    faulty.reset();
    faulty.failCall(static_cast<int>(n), EIO);
    summary = {};
    run(mode);
    EXPECT_TRUE(faulty.failed()) << "call " << n;
    for (const std::string& path : {a, b}) {
      const std::string content = TempDir::read(path);
      EXPECT_TRUE(content == "colour" || content == "color") << "call " << n << ": " << content;
      if (fs::exists(path + ".rpf")) {
        EXPECT_EQ(TempDir::read(path + ".rpf"), "colour");
      }
      const bool counted = std::find(summary.ResultLines.begin(), summary.ResultLines.end(),
                                     path + " - 1 replacements made") != summary.ResultLines.end();
      if (content == "colour") {
        EXPECT_FALSE(counted) << "call " << n << " " << path;
      }
    }
  }
}

// Every occurrence of `find` in `text` replaced, left to right.
std::string replacedAll(std::string text, const std::string& find, const std::string& by) {
  std::string out;
  size_t from = 0;
  for (size_t at; (at = text.find(find, from)) != std::string::npos; from = at + find.size())
    out.append(text, from, at - from).append(by);
  return out.append(text, from);
}

// Big files are read into one buffer kept from file to file and their new content is written
// in pieces as the last pass makes it. Files larger and smaller than the buffer so far, larger
// than a piece, with a stretch longer than a piece between occurrences, hard-linked (rewritten
// in place): each comes out exactly as replacing in memory gives it.
TEST_F(RunTest, BigFilesBeforeAndAfterSmallOnesComeOutExact) {
  // Several pieces long, with a stretch longer than a piece before the second occurrence.
  std::string big(4 * kPassPiece + kPassPiece / 2, 'x');
  for (size_t at = 0; at < big.size(); at += 997) big[at] = '\n';
  for (size_t at : {size_t{5}, 2 * kPassPiece, 2 * kPassPiece + 40, big.size() - 6})
    big.replace(at, 6, "colour");
  const std::string half = big.substr(big.size() / 2);
  // Two pairs: the first pass is held in memory, the last one is written as it is made.
  config.setPairs({{"colour", "colours!"}, {"\nx", "\n-"}});
  const std::vector<std::string> texts = {"a colour", big, "colour", half, big + "colour"};
  std::vector<std::string> paths;
  for (size_t i = 0; i < texts.size(); ++i)
    paths.push_back(add(std::to_string(i) + ".txt", texts[i]));
  fs::create_hard_link(paths[4], dir.path() / "linked");
  run();
  for (size_t i = 0; i < texts.size(); ++i) {
    std::string expected = replacedAll(replacedAll(texts[i], "colour", "colours!"), "\nx", "\n-");
    EXPECT_TRUE(TempDir::read(paths[i]) == expected) << paths[i];
    EXPECT_TRUE(TempDir::read(paths[i] + ".rpf") == texts[i]) << paths[i];
  }
  EXPECT_TRUE(summary.FailedFiles.empty());

  // The confirmation after a long unchanged stretch still shows what comes before.
  config.setPairs({{"colour", "color"}});
  config.Flags.Confirm = true;
  config.Files.clear();
  std::string sparse = big;
  sparse.replace(5, 6, "xxxxxx");
  add("sparse.txt", sparse);
  host.answers = {ConfirmDecision::ReplaceAllInFile};
  run();
  ASSERT_EQ(host.asked.size(), 1u);
  EXPECT_EQ(host.asked[0].excerpt.substr(0, 300), sparse.substr(2 * kPassPiece - 300, 300));
}

// A file its host refuses once read (plain or RTF) is left exactly as it was and listed with
// the host's reason; the outcome of every entry reaches the host in list order as it is final.
TEST_F(RunTest, AFileTheHostRefusesIsLeftAsItWasAndListed) {
  const std::string plain = add("a.txt", "colour");
  const std::string rich = add("b.rtf", "{\\rtf1\\ansi colour}");
  const std::string kept = add("c.txt", "colour colour");
  config.Files.push_back({dir.file("missing.txt"), true});
  host.refusals = {{plain, "not now"}, {rich, "not this one"}};
  const Stamp before = stampOf(plain);
  run();
  EXPECT_TRUE(sameStamp(before, stampOf(plain)));
  EXPECT_EQ(TempDir::read(plain), "colour");
  EXPECT_EQ(TempDir::read(rich), "{\\rtf1\\ansi colour}");
  EXPECT_EQ(TempDir::read(kept), "color color");
  ASSERT_EQ(summary.FailedFiles.size(), 3u);
  EXPECT_EQ(summary.FailedFiles[0], (FailedFile{plain, "not now"}));
  EXPECT_EQ(summary.FailedFiles[1], (FailedFile{rich, "not this one"}));
  EXPECT_EQ(summary.TotalReplacements, 2);
  EXPECT_EQ(summary.FileCounts, (std::vector<int64_t>{0, 0, 2, 0}));
  using Recorded = ScriptedHost::Recorded;
  EXPECT_EQ(host.recorded, (std::vector<Recorded>{{0, 0, "not now"},
                                                  {1, 0, "not this one"},
                                                  {2, 2, ""},
                                                  {3, 0, summary.FailedFiles[2].reason}}));
}

// Another program cuts the file short or adds to it while it is read: the file is left as the
// other program made it, reported, and nothing of the run is left beside it.
TEST_F(RunTest, AFileChangedWhileItIsReadIsLeftAlone) {
  struct ChangingOps : test::FaultyFileOps {
    std::string target, change;
    int targetFd = -1;
    int openat(int d, const char* n, int f, mode_t m) override {
      const int fd = FaultyFileOps::openat(d, n, f, m);
      if (fs::path(target).filename() == n && (f & O_ACCMODE) == O_RDONLY && targetFd < 0)
        targetFd = fd;
      return fd;
    }
    ssize_t read(int fd, void* b, size_t n) override {
      if (fd == targetFd && !change.empty()) {
        std::ofstream(target, std::ios::binary | std::ios::trunc) << change;
        change.clear();
      }
      return FaultyFileOps::read(fd, b, n);
    }
  };
  const std::string text(size_t{3} << 20, 'x');
  for (const std::string& theirs : {std::string("colour"), text + text + "colour"}) {
    ChangingOps ops;
    config.Files.clear();
    ops.target = add("f.txt", text + "colour");
    ops.change = theirs;
    summary = {};
    run(RunMode{false, &ops});
    EXPECT_TRUE(TempDir::read(ops.target) == theirs);
    ASSERT_EQ(summary.FailedFiles.size(), 1u);
    EXPECT_NE(summary.FailedFiles[0].reason.find("changed"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
  }
}

}  // namespace
}  // namespace tw
