#include "engine/ProcessRtfFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "engine/Run.h"
#include "engine/ScriptedHost.h"
#include "support/TempDir.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

class ProcessRtfFile : public test::TempDirTest {
 protected:
  Configuration config;
  AppOptions options;
  test::ScriptedHost host;
  test::FixedClock clock;
  RunSummary summary;

  std::string add(const std::string& name, const std::string& content) {
    std::string path = dir.write(name, content);
    config.Files.push_back({path, true});
    return path;
  }
  RunOutcome run(RunMode mode = {}) {
    return RunReplacement(config, options, host, clock, summary, mode);
  }
};

TEST_F(ProcessRtfFile, ControlWordsAreNoTextUnlessRtfIsTreatedAsText) {
  config.setPairs({{"par", "X"}});
  const std::string doc = "{\\rtf1\\ansi first\\par second\\par}";
  const std::string p = add("d.rtf", doc);
  struct stat before {};
  ASSERT_EQ(::stat(p.c_str(), &before), 0);
  run();
  EXPECT_EQ(TempDir::read(p), doc);
  struct stat after {};
  ASSERT_EQ(::stat(p.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_TRUE(summary.ResultLines.empty());
  EXPECT_FALSE(fs::exists(p + ".rpf"));

  options.RtfAsRichText = false;
  run();
  EXPECT_EQ(TempDir::read(p), "{\\rtf1\\ansi first\\X second\\X}");
}

TEST_F(ProcessRtfFile, OneReplacementIsListedAndBackedUpByTheSwitch) {
  config.setPairs({{"colour", "color"}});
  const std::string doc = "{\\rtf1\\ansi {\\b colour} of {\\i night}}";
  const std::string p = add("d.rtf", doc);
  run();
  EXPECT_EQ(TempDir::read(p), "{\\rtf1\\ansi {\\b color} of {\\i night}}");
  EXPECT_EQ(summary.ResultLines, (std::vector<std::string>{p + " - 1 replacements made"}));
  EXPECT_EQ(TempDir::read(p + ".rpf"), doc);
  EXPECT_FALSE(fs::exists(p + ".rpf1"));

  config.Flags.CreateBackupFiles = false;
  fs::remove(p + ".rpf");
  dir.write("d.rtf", doc);
  run();
  EXPECT_EQ(TempDir::read(p), "{\\rtf1\\ansi {\\b color} of {\\i night}}");
  EXPECT_FALSE(fs::exists(p + ".rpf"));
}

TEST_F(ProcessRtfFile, RunCountsTextAndRtfFilesAlikeAndLimitsOnlyTextFiles) {
  config.setPairs({{"colour", "color"}});
  config.Advanced.ReplaceOnlyInFirst = true;
  config.Advanced.FirstCount = "1";
  config.Advanced.FirstUnit = RegionUnit::Lines;
  const std::string a = add("a.txt", "colour\r\ncolour\r\n");
  const std::string b = add("b.rtf", "{\\rtf1\\ansi\r\ncolour\\par\r\ncolour\\par\r\ncolour}");
  const std::string c = add("c.txt", "colour colour\r\n");
  run();
  EXPECT_EQ(TempDir::read(a), "color\r\ncolour\r\n");
  EXPECT_EQ(TempDir::read(b), "{\\rtf1\\ansi\r\ncolor\\par\r\ncolor\\par\r\ncolor}");
  EXPECT_EQ(TempDir::read(c), "color color\r\n");
  EXPECT_EQ(summary.TotalReplacements, 6);
  EXPECT_EQ(summary.FilesWithReplacements, 3);
  EXPECT_EQ(summary.ResultLines.size(), 3u);
  EXPECT_EQ(summary.FileCounts, (std::vector<int64_t>{1, 3, 2}));
}

TEST_F(ProcessRtfFile, ExcerptRunsBetweenFullStops) {
  const std::string text = "First sentence. The word here. Next.";
  const std::size_t at = text.find("word");
  ConfirmRequest r =
      BuildRtfConfirmRequest(text, static_cast<int64_t>(at), static_cast<int64_t>(at + 3));
  EXPECT_EQ(r.excerpt, ". The word here");
  EXPECT_EQ(r.excerpt.substr(static_cast<size_t>(r.occurrenceStart),
                             static_cast<size_t>(r.occurrenceLength)),
            "word");
  // An occurrence that ends with a full stop has an empty excerpt.
  r = BuildRtfConfirmRequest(text, 26, 29);
  EXPECT_EQ(r.excerpt, "");
  EXPECT_EQ(r.occurrenceLength, 0);
  // Without full stops the excerpt reaches 100 bytes either way, in whole characters.
  std::string wide;
  for (int i = 0; i < 100; ++i) wide += "é";
  wide += "xy";
  r = BuildRtfConfirmRequest(wide, 201, 201);
  std::string expected;
  for (int i = 0; i < 49; ++i) expected += "é";
  EXPECT_EQ(r.excerpt, expected + "xy");
  EXPECT_EQ(r.occurrenceStart, 99);
  EXPECT_EQ(r.occurrenceLength, 1);
}

TEST_F(ProcessRtfFile, ConfirmationAsksWithTheExcerptAndSkipsResumeOneByteOn) {
  config.Flags.Confirm = true;
  config.setPairs({{"word", "term"}, {"aa", "X"}});
  const std::string p =
      add("d.rtf", "{\\rtf1\\ansi First sentence. The {\\b word} here. Next aaa.}");
  host.answers = {ConfirmDecision::ReplaceThis, ConfirmDecision::SkipThis,
                  ConfirmDecision::ReplaceThis};
  run();
  ASSERT_EQ(host.asked.size(), 3u);
  EXPECT_EQ(host.asked[0].excerpt, ". The word here");
  EXPECT_EQ(host.asked[0].occurrenceStart, 6);
  EXPECT_EQ(host.asked[0].occurrenceLength, 4);
  EXPECT_EQ(host.asked[0].path, p);
  EXPECT_EQ(host.asked[0].find, "word");
  // The second pair reads the first one's result; the skipped "aa" at 0 is followed by one at 1.
  EXPECT_EQ(host.asked[1].excerpt, ". Next aaa");
  EXPECT_EQ(host.asked[1].occurrenceStart, 7);
  EXPECT_EQ(host.asked[2].occurrenceStart, 8);
  EXPECT_EQ(TempDir::read(p), "{\\rtf1\\ansi First sentence. The {\\b term} here. Next aX.}");
  EXPECT_EQ(summary.FileCounts, (std::vector<int64_t>{2}));
}

TEST_F(ProcessRtfFile, StructureIsKeptAndReportedWhileTheRestIsReplaced) {
  config.setPairs({{"A1\tB1", "x"}, {"B2", "Z"}});
  const std::string p =
      add("t.rtf",
          "{\\rtf1\\ansi\\trowd\\cellx2000\\cellx4000\\pard\\intbl A1\\cell B1\\cell\\row "
          "\\pard\\intbl A2\\cell B2\\cell\\row}");
  run();
  EXPECT_EQ(TempDir::read(p),
            "{\\rtf1\\ansi\\trowd\\cellx2000\\cellx4000\\pard\\intbl A1\\cell B1\\cell\\row "
            "\\pard\\intbl A2\\cell Z\\cell\\row}");
  EXPECT_EQ(summary.ResultLines, (std::vector<std::string>{p + " - 1 replacements made"}));
  EXPECT_EQ(summary.FailedFiles,
            (std::vector<FailedFile>{
                {p, "1 occurrence(s) not replaced: would remove table or section structure",
                 FailedFile::Kind::Refused}}));
}

TEST_F(ProcessRtfFile, AReplacementRtfTextCannotHoldIsRefusedWithoutAsking) {
  config.Flags.Confirm = true;
  config.setPairs({{"colour", std::string("col\0r", 5)}, {"night", "day"}});
  const std::string p = add("d.rtf", "{\\rtf1\\ansi colour and colour at night}");
  host.answers = {ConfirmDecision::ReplaceThis};
  run();
  EXPECT_EQ(host.asked.size(), 1u);
  EXPECT_EQ(TempDir::read(p), "{\\rtf1\\ansi colour and colour at day}");
  EXPECT_EQ(
      summary.FailedFiles,
      (std::vector<FailedFile>{
          {p, "2 occurrence(s) not replaced: the replacement holds characters RTF text cannot",
           FailedFile::Kind::Refused}}));
}

TEST_F(ProcessRtfFile, AFileThatIsNoRtfDocumentIsReportedAndKept) {
  config.setPairs({{"colour", "color"}});
  const std::string p = add("plain.rtf", "colour, not RTF");
  run();
  EXPECT_EQ(TempDir::read(p), "colour, not RTF");
  EXPECT_EQ(summary.FailedFiles,
            (std::vector<FailedFile>{{p, "not processed: the file is not an RTF document"}}));
}

TEST_F(ProcessRtfFile, DryRunShowsTheNewDocumentWithoutWriting) {
  config.setPairs({{"é", "€"}});
  const std::string doc = "{\\rtf1\\ansi caf\\'e9}";
  const std::string p = add("d.rtf", doc);
  run(RunMode{true});
  EXPECT_EQ(TempDir::read(p), doc);
  ASSERT_EQ(host.changes.size(), 1u);
  EXPECT_EQ(host.changes[0].after, "{\\rtf1\\ansi caf\\u8364 \\'80}");
  EXPECT_EQ(summary.TotalReplacements, 1);
}

}  // namespace
}  // namespace tw
