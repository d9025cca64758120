#include "report/Report.h"

#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tw {
namespace {

using test::FakePrompts;
using test::TempDir;

std::string golden(const std::string& name) {
  return TempDir::read(std::string(TEXTWRIGHT_TEST_DATA_DIR) + "/reports/" + name);
}

// A run from 09:05:07 to 10:04:03 on 3 July 2026 over three files, the second unchecked.
struct Sample {
  RunSummary summary;
  std::vector<FileEntry> files;

  Sample() {
    summary.BeginTime = {9, 5, 7, 42};
    summary.BeginDate = {2026, 7, 3};
    summary.EndTime = {10, 4, 3, 99};
    summary.EndDate = {2026, 7, 3};
    summary.TotalReplacements = 3;
    summary.FilesWithReplacements = 1;
    summary.ResultLines = {"/site/index.htm - 3 replacements made"};
    summary.FileCounts = {3, 9, 0};
    summary.FailedFiles = {{"/site/gone.htm", "No such file or directory"}};
    files = {{"/site/index.htm", true}, {"/site/old.htm", false}, {"/site/a&b <x>.htm", true}};
  }
};

TEST(Report, SummaryLineAsTheResultsWindowShowsIt) {
  Sample s;
  EXPECT_EQ(resultSummary(s.summary), "3 replacement(s) in 1 following file(s).");
  EXPECT_EQ(resultSummaryLine(s.summary),
            "Textwright made 3 replacement(s) in 1 following file(s).");
  EXPECT_EQ(resultSummaryLine(RunSummary{}),
            "Textwright made 0 replacement(s) in 0 following file(s).");
}

TEST(Report, TimesDatesAndDurations) {
  EXPECT_EQ(formatRunTime({9, 5, 7, 0}), "09:05:07");
  EXPECT_EQ(formatRunTime({23, 59, 10, 0}), "23:59:10");
  EXPECT_EQ(formatRunTime({0, 0, 0, 0}), "00:00:00");
  EXPECT_EQ(formatRunDate({2026, 7, 3}), "7.3.2026");
  EXPECT_EQ(formatRunDate({2026, 12, 31}), "12.31.2026");

  EXPECT_EQ(runDuration({23, 59, 50, 0}, {0, 0, 10, 0}), (RunDuration{0, 0, 20}));
  EXPECT_EQ(runDuration({9, 5, 7, 0}, {10, 4, 3, 0}), (RunDuration{0, 58, 56}));
  EXPECT_EQ(runDuration({10, 0, 0, 0}, {9, 0, 0, 0}), (RunDuration{23, 0, 0})) << "over a day";
  EXPECT_EQ(runDuration({1, 2, 3, 99}, {1, 2, 3, 0}), (RunDuration{0, 0, 0})) << "hundredths";
}

TEST(Report, TextReportMatchesGolden) {
  Sample s;
  EXPECT_EQ(buildReport(ReportFormat::Text, s.summary, s.files), golden("sample.txt"));
}

TEST(Report, HtmlReportMatchesGoldenWithEscapedPathsAndClosedTable) {
  Sample s;
  const std::string html = buildReport(ReportFormat::Html, s.summary, s.files);
  EXPECT_EQ(html, golden("sample.html"));
  EXPECT_NE(html.find("ALIGN=\"left\">\r\n"), std::string::npos);
  EXPECT_EQ(html.find("a&b"), std::string::npos);
}

TEST(Report, ListsEveryCheckedFileEvenWithoutReplacements) {
  RunSummary summary;  // nothing replaced, nothing counted yet
  std::vector<FileEntry> files = {{"/a", true}, {"/b", false}, {"/c", true}};
  summary.FileCounts = {0, 7};
  std::vector<std::string> lines = reportLines(ReportFormat::Text, summary, files);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[1], "File to scan - /a");
  EXPECT_EQ(lines[2], "/a - 0 replacements made");
  EXPECT_EQ(lines[3], "File to scan - /c");
  EXPECT_EQ(lines[4], "/c - 0 replacements made") << "a position without a count has 0";
  EXPECT_EQ(lines[6], "\n");
  EXPECT_EQ(lines[8], "2 files have been processed");
  EXPECT_EQ(lines[9], "0 replacements made in 0 files");
  EXPECT_NE(buildReport(ReportFormat::Text, summary, files).find("\r\n\n\r\nThe"),
            std::string::npos);
}

TEST(Report, HtmlEscapingAndFileUrls) {
  EXPECT_EQ(htmlEscape("a&b<c>\"d\"'e'\xe9"), "a&amp;b&lt;c&gt;&quot;d&quot;&#39;e&#39;\xe9");
  EXPECT_EQ(fileUrl("/home/me/My Site/x#1?.htm"), "file:///home/me/My%20Site/x%231%3F.htm");
  EXPECT_EQ(fileUrl("/a\"><script>"), "file:///a%22%3E%3Cscript%3E");
  EXPECT_EQ(fileUrl("/\xc3\xa9-_.~"), "file:///%C3%A9-_.~");
  // A relative path links to the file it names from the current folder.
  EXPECT_EQ(fileUrl("sub/a b.htm"),
            fileUrl(std::filesystem::current_path().string() + "/sub/a b.htm"));
  EXPECT_TRUE(fileUrl("a.htm").starts_with("file:///"));
}

TEST(Report, SaveNameFollowsTheSelectedFilter) {
  EXPECT_EQ(reportFilters().size(), 3u);
  EXPECT_EQ(reportFilters()[1], (FileFilter{"HTML file (*.html)", "*.html"}));
  EXPECT_EQ(reportFormatForFilter(0), ReportFormat::Text);
  EXPECT_EQ(reportFormatForFilter(1), ReportFormat::Html);
  EXPECT_EQ(reportFormatForFilter(2), ReportFormat::Text);
  EXPECT_EQ(reportFileName("summary", ReportFormat::Text), "summary.txt");
  EXPECT_EQ(reportFileName("summary.txt", ReportFormat::Text), "summary.txt.txt");
  EXPECT_EQ(reportFileName("report.txt", ReportFormat::Html), "report.txt.html");
}

class SaveResultsTest : public test::TempDirTest {};

TEST_F(SaveResultsTest, WritesTheChosenFormatUnderTheAppendedName) {
  Sample s;
  FakePrompts prompts;
  prompts.saveNames = {SaveChoice{dir.file("out"), 2}, SaveChoice{dir.file("report.txt"), 1},
                       std::nullopt};
  EXPECT_EQ(SaveResults(prompts, s.summary, s.files), dir.file("out.txt"));
  EXPECT_EQ(TempDir::read(dir.file("out.txt")), golden("sample.txt"));
  EXPECT_EQ(prompts.shown[0].text, "Saving replacement results");
  EXPECT_EQ(prompts.shown[0].filters, reportFilters());

  EXPECT_EQ(SaveResults(prompts, s.summary, s.files), dir.file("report.txt.html"));
  EXPECT_EQ(TempDir::read(dir.file("report.txt.html")), golden("sample.html"));

  EXPECT_EQ(SaveResults(prompts, s.summary, s.files), "");
  EXPECT_EQ(prompts.shown.size(), 3u);
}

TEST_F(SaveResultsTest, FailureIsShownWithTheFileName) {
  Sample s;
  FakePrompts prompts;
  prompts.saveNames = {SaveChoice{dir.file("missing/folder/out"), 0}};
  EXPECT_EQ(SaveResults(prompts, s.summary, s.files), "");
  ASSERT_EQ(prompts.shown.size(), 2u);
  EXPECT_EQ(prompts.shown[1].kind, "inform");
  EXPECT_NE(prompts.shown[1].text.find(dir.file("missing/folder/out.txt")), std::string::npos);
  EXPECT_EQ(prompts.shown[1].icon, PromptIcon::Error);

  // writeReport replaces an existing file as a whole.
  const std::string path = dir.write("r.html", "old");
  EXPECT_TRUE(writeReport(path, ReportFormat::Html, s.summary, s.files));
  EXPECT_EQ(TempDir::read(path), golden("sample.html"));
}

}  // namespace
}  // namespace tw
