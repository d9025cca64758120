#include "cli/Cli.h"
#include "writeback/TemporaryName.h"

#include "support/TempDir.h"

#include "support/CliRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tw::cli {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

using test::CliRun;

CliRun run(const std::vector<std::string>& args, const std::string& input = "") {
  return test::runCliWith(args, input);
}

class ReplaceCommand : public test::TempDirTest {};

TEST_F(ReplaceCommand, PrintsTheSummaryLineThenTheResultLines) {
  const std::string a = dir.write("a.txt", "colour and Colour");
  const std::string b = dir.write("b.txt", "no match");
  const std::string c = dir.write("c.txt", "colour");
  CliRun r = run({"replace", "colour", "color", a, b, c});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "Textwright made 3 replacement(s) in 2 following file(s).\n" + a +
                       " - 2 replacements made\n" + c + " - 1 replacements made\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(TempDir::read(a), "color and color");
  EXPECT_EQ(TempDir::read(a + ".rpf"), "colour and Colour");
}

TEST_F(ReplaceCommand, NothingReplacedIsStillSuccess) {
  const std::string a = dir.write("a.txt", "plain");
  CliRun r = run({"replace", "zzz", "y", a});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, "Textwright made 0 replacement(s) in 0 following file(s).\n");
}

TEST_F(ReplaceCommand, SwitchesAndOptionsReachTheEngine) {
  const std::string a = dir.write("a.txt", "Cat cat concat\r\n");
  CliRun r = run(
      {"replace", "--case-sensitive", "--whole-words", "--no-backup", "--unix", "cat", "dog", a});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(TempDir::read(a), "Cat dog concat\n");
  EXPECT_FALSE(fs::exists(a + ".rpf"));

  const std::string b = dir.write("b.txt", "a1b a22b");
  r = run({"replace", "--regex", "--no-backup", "a\\d+b", "X", b});
  EXPECT_EQ(TempDir::read(b), "X X");

  const std::string c = dir.write("c.txt", "x\nx\nx\n");
  r = run({"replace", "--first", "2", "--unit", "bytes", "--no-backup", "x", "y", c});
  EXPECT_EQ(TempDir::read(c), "y\nx\nx\n");
  r = run({"replace", "--first=2", "--no-backup", "x", "y", c});
  EXPECT_EQ(TempDir::read(c), "y\ny\nx\n");

  const std::string d = dir.write("d.txt", "a b");
  r = run({"replace", "--keep-leading-spaces", "--no-backup", " b", "c", d});
  EXPECT_EQ(TempDir::read(d), "ac");
}

TEST_F(ReplaceCommand, FailedFilesGoToStandardErrorWithExitOne) {
  const std::string a = dir.write("a.txt", "colour");
  CliRun r = run({"replace", "colour", "color", dir.file("missing.txt"), a});
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_EQ(r.out, "Textwright made 1 replacement(s) in 1 following file(s).\n" + a +
                       " - 1 replacements made\n");
  EXPECT_NE(r.err.find(dir.file("missing.txt") + ": "), std::string::npos);
  EXPECT_EQ(TempDir::read(a), "color");
}

TEST_F(ReplaceCommand, RtfFilesAreReplacedAsRichTextUnlessAskedOtherwise) {
  const std::string rtf = dir.write("d.rtf", "{\\rtf1\\ansi {\\b colour}\\par}");
  CliRun r = run({"replace", "par", "X", rtf});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(TempDir::read(rtf), "{\\rtf1\\ansi {\\b colour}\\par}");
  r = run({"replace", "colour", "color", rtf});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(TempDir::read(rtf), "{\\rtf1\\ansi {\\b color}\\par}");
  r = run({"replace", "--rtf-as-text", "par", "X", rtf});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(TempDir::read(rtf), "{\\rtf1\\ansi {\\b color}\\X}");
  // A ".rtf" file that is no RTF document is left alone, with a hint.
  const std::string text = dir.write("t.rtf", "colour");
  r = run({"replace", "colour", "color", text});
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_NE(r.err.find("--rtf-as-text"), std::string::npos);
  EXPECT_EQ(TempDir::read(text), "colour");
}

TEST_F(ReplaceCommand, RefusedRtfOccurrencesAreSaidAsWhatHappened) {
  const std::string rtf =
      dir.write("t.rtf",
                "{\\rtf1\\ansi\\trowd\\cellx2000\\cellx4000\\pard\\intbl A1\\cell "
                "B1\\cell\\row \\pard A1\\tab B1\\par}");
  CliRun r = run({"replace", "A1\tB1", "Z", rtf});
  EXPECT_EQ(r.status, kExitFailed) << "not everything asked was done";
  EXPECT_NE(r.out.find(rtf + " - 1 replacements made"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("textwright-cli: " + rtf + ": 1 occurrence(s) not replaced: "),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("textwright-cli: occurrences were left alone in 1 file(s)"),
            std::string::npos);
  EXPECT_EQ(r.err.find("could not be processed"), std::string::npos) << r.err;
}

// With "Create Backup Files" off, a changed file keeps no backup: an older one goes (a later
// restore would roll back two runs); an unchanged file keeps its older backup.
TEST_F(ReplaceCommand, BackupsOffRemovesTheOlderBackupOfAChangedFileOnly) {
  const std::string changed = dir.write("a.txt", "colour"), same = dir.write("b.txt", "same");
  dir.write("a.txt.rpf", "older"), dir.write("b.txt.rpf", "older");
  const std::string linked = dir.write("c.txt", "colour");
  dir.write("c.txt.rpf", "older");
  fs::create_hard_link(linked, dir.file("twin.txt"));
  CliRun r = run({"replace", "--no-backup", "colour", "color", changed, same, linked});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_FALSE(fs::exists(changed + ".rpf"));
  EXPECT_FALSE(fs::exists(linked + ".rpf"));
  EXPECT_EQ(TempDir::read(same + ".rpf"), "older");
}

// What a killed run left beside a file is mended before the file is read: the old content of
// an interrupted rewrite in place is put back (and said), a pending backup becomes the backup
// once its file holds the new content it was made for, and new content that never got its
// name goes, unless a live writer holds it locked.
TEST_F(ReplaceCommand, LeftoversOfAKilledRunAreMendedFirst) {
  using writeback::TemporaryKind;
  using writeback::TemporaryName;
  const auto idOf = [](const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st;
  };
  // Killed halfway through rewriting "needle" as "pin" in place.
  const std::string old = "needle one\nneedle two\nlast line\n";
  const std::string torn = dir.write("f.txt", "pin one\npin two\nlast line\n line\n");
  fs::create_hard_link(torn, dir.file("l.txt"));
  TemporaryName copy{TemporaryKind::OldContent, 0, 0, {}};
  copy.rewrite = {platform::FileId::of(idOf(torn)),
                  {},
                  26,
                  writeback::contentHash("pin one\npin two\nlast line\n")};
  const std::string copyName = writeback::makeTemporaryName("f.txt", copy);
  dir.write(copyName, old);
  // Killed between the swap and the backup's new name.
  const std::string swapped = dir.write("g.txt", "new content");
  dir.write("g.txt.rpf", "two runs back");
  TemporaryName pending{TemporaryKind::PendingBackup, 0, idOf(swapped).st_ino, {}};
  dir.write(writeback::makeTemporaryName("g.txt", pending), "old content");
  const TemporaryName fresh{TemporaryKind::NewContent, 0, 0, {}};
  const std::string stale = dir.write(writeback::makeTemporaryName("g.txt", fresh), "never named");
  const std::string alive = dir.write(writeback::makeTemporaryName("g.txt", fresh), "");
  const int held = ::open(alive.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);

  CliRun r = run({"replace", "--no-backup", "needle", "pin", torn, swapped});
  ::close(held);
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(TempDir::read(torn), "pin one\npin two\nlast line\n");
  EXPECT_EQ(TempDir::read(dir.file("l.txt")), TempDir::read(torn));
  EXPECT_NE(r.err.find("textwright-cli: " + torn + ": a rewrite of \"" + torn +
                       "\" was interrupted; its old content was put back"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(TempDir::read(swapped + ".rpf"), "old content");
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_FALSE(fs::exists(dir.file(copyName)));
  EXPECT_TRUE(fs::exists(alive)) << "a temporary file of a live writer is not touched";
}

TEST_F(ReplaceCommand, UnixLineEndsAreConvertedInsideFilenameReferencesToo) {
  const std::string page = dir.write("p.htm", "<a href=\"a\r\nb\">x</a>\r\n");
  CliRun r = run({"replace", "--unix", "--no-filename-references", "zzz", "y", page});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(TempDir::read(page), "<a href=\"a\nb\">x</a>\n");
}

TEST_F(ReplaceCommand, UsageErrorsExitTwoAndTouchNothing) {
  const std::string a = dir.write("a.txt", "colour");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"replace", "colour", "color"},
        {"replace", "--frobnicate", "colour", "color", a},
        {"replace", "", "x", a},
        {"replace", "--unit", "words", "--first", "1", "colour", "color", a},
        {"replace", "--unit", "bytes", "colour", "color", a},
        {"replace", "--first", "-1", "colour", "color", a},
        {"replace", "--first", "two", "colour", "color", a},
        {"replace", "colour", "color", a, "--first"},
        {"replace", "colour", "colour", a},
        {"replace", "--stat", "colour", "color", a},
        {"replace", "-l", "colour", "color", a},
        {"replace", "--dry-run", "--stat", "-l", "colour", "color", a},
        {"replace", "--dry-run", "--quiet", "--files-with-matches", "colour", "color", a},
        {"replace", "--dry-run", "--count", "colour", "color", a}}) {
    CliRun r = run(args);
    EXPECT_EQ(r.status, kExitUsage) << args[1];
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("textwright-cli: "), std::string::npos);
  }
  EXPECT_EQ(TempDir::read(a), "colour");
  EXPECT_NE(run({"replace", "--first", "x", "colour", "color", a}).err.find("whole number"),
            std::string::npos);
  EXPECT_EQ(
      run({"replace", "--stat", "colour", "color", a}).err,
      "textwright-cli: --stat works only with --dry-run (see textwright-cli replace --help)\n");
}

TEST_F(ReplaceCommand, DoubleHyphenEndsOptions) {
  const std::string a = dir.write("a.txt", "--x--");
  CliRun r = run({"replace", "--no-backup", "--", "--x", "-y", a});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(TempDir::read(a), "-y--");
}

TEST_F(ReplaceCommand, QuietPrintsNothingOnSuccess) {
  const std::string a = dir.write("a.txt", "colour");
  CliRun r = run({"replace", "--quiet", "colour", "color", a});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(TempDir::read(a), "color");
}

TEST_F(ReplaceCommand, DryRunPrintsADiffAndWritesNothing) {
  const std::string a = dir.write("a.txt", "one\ncolour\nthree\n");
  CliRun r = run({"replace", "--dry-run", "colour", "color", a});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, "--- " + a + "\n+++ " + a +
                       "\n@@ -1,3 +1,3 @@\n one\n-colour\n+color\n three\n" +
                       "Textwright made 1 replacement(s) in 1 following file(s).\n" + a +
                       " - 1 replacements made\n");
  EXPECT_EQ(TempDir::read(a), "one\ncolour\nthree\n");
  EXPECT_FALSE(fs::exists(a + ".rpf"));
}

// --stat and --files-with-matches are other outputs of the same dry run: the files with
// replacements in list order, the failures still on standard error with their exit status.
TEST_F(ReplaceCommand, DryRunStatAndFilesWithMatchesListTheFilesThatWouldChange) {
  const std::string a = dir.write("a.txt", "colour\nColour colour\n");
  const std::string plain = dir.write("plain.txt", "plain");
  const std::string longer = dir.write("a-longer-name.txt", "colour");
  const std::string missing = dir.file("missing.txt");
  const std::string rtf = dir.write("d.rtf", "{\\rtf1\\ansi {\\b colour}\\par colour}");
  const std::vector<std::string> files{a, plain, missing, longer, rtf};
  const auto replace = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "replace");
    args.insert(args.end(), {"colour", "color"});
    args.insert(args.end(), files.begin(), files.end());
    return run(args);
  };
  const std::string pad(longer.size() - a.size(), ' ');
  CliRun r = replace({"--dry-run", "--stat"});
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_EQ(r.out, a + pad + " | 3\n" + longer + " | 1\n" + rtf + pad + " | 2\n" +
                       "3 file(s), 6 replacement(s)\n");
  EXPECT_EQ(r.err, "textwright-cli: " + missing +
                       ": the file does not exist\ntextwright-cli: dry run, no file was written\n"
                       "textwright-cli: 1 file(s) could not be processed\n");

  for (const char* option : {"-l", "--files-with-matches"}) {
    r = replace({option, "--dry-run"});
    EXPECT_EQ(r.status, kExitFailed);
    EXPECT_EQ(r.out, a + "\n" + longer + "\n" + rtf + "\n") << option;
    EXPECT_EQ(r.err.find("dry run"), std::string::npos) << r.err;
  }

  r = run({"replace", "--dry-run", "--stat", "zzz", "y", a, plain});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, "0 file(s), 0 replacement(s)\n");
  EXPECT_EQ(run({"replace", "--dry-run", "-l", "zzz", "y", a, plain}).out, "");
  EXPECT_EQ(TempDir::read(a), "colour\nColour colour\n");
  EXPECT_EQ(TempDir::read(rtf), "{\\rtf1\\ansi {\\b colour}\\par colour}");
}

TEST_F(ReplaceCommand, ConfirmAnswersComeLineByLineAndEndOfInputSkipsTheRest) {
  const std::string a = dir.write("a.txt", "cat cat cat");
  const std::string b = dir.write("b.txt", "cat cat");
  CliRun r = run({"replace", "--confirm", "--no-backup", "cat", "dog", a, b}, "n\nwhat\nf\n");
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(TempDir::read(a), "cat dog dog");
  EXPECT_EQ(TempDir::read(b), "cat cat");
  EXPECT_NE(r.err.find("File : a.txt\nFind : cat\nReplace with : dog\nText:\n[[cat]] cat cat\n"),
            std::string::npos);
  EXPECT_NE(r.err.find("Please answer y, n, f, s, a or q."), std::string::npos);
  EXPECT_NE(r.err.find("File : b.txt"), std::string::npos);
}

TEST_F(ReplaceCommand, ReportsAreWrittenToExactlyTheNamesGiven) {
  const std::string a = dir.write("a.txt", "colour");
  const std::string b = dir.write("b.txt", "plain");
  CliRun r = run({"replace", "--report", dir.file("out"), "--html-report=" + dir.file("out.htm"),
                  "colour", "color", a, b});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  const std::string text = TempDir::read(dir.file("out"));
  EXPECT_EQ(text.rfind("The replacement process began at ", 0), 0u);
  EXPECT_NE(text.find("\r\nFile to scan - " + a + "\r\n" + a + " - 1 replacements made\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("File to scan - " + b + "\r\n" + b + " - 0 replacements made\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("2 files have been processed\r\n1 replacements made in 1 files\r\n"),
            std::string::npos);
  EXPECT_EQ(TempDir::read(dir.file("out.htm")).rfind("<HTML>\r\n", 0), 0u);
  EXPECT_FALSE(fs::exists(dir.file("out.txt")));
}

TEST_F(ReplaceCommand, UnwritableReportIsAFailureAfterTheRun) {
  const std::string a = dir.write("a.txt", "colour");
  CliRun r = run({"replace", "--report", dir.file("no/such/folder/r.txt"), "colour", "color", a});
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_NE(r.err.find("the report was not written: "), std::string::npos);
  EXPECT_EQ(TempDir::read(a), "color");
}

TEST_F(ReplaceCommand, DryRunRefusesToWriteAReport) {
  const std::string a = dir.write("a.txt", "colour");
  CliRun r = run({"replace", "--dry-run", "--report", dir.file("r.txt"), "colour", "color", a});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_FALSE(fs::exists(dir.file("r.txt")));
}

TEST_F(ReplaceCommand, ProgressBarOnlyOnATerminal) {
  const std::string a = dir.write("a.txt", "colour");
  const std::string b = dir.write("b.txt", "colour");
  std::istringstream in;
  std::ostringstream out, err;
  EXPECT_EQ(runCli({"replace", "colour", "color", a, b}, {in, out, err, true}), kExitOk);
  EXPECT_NE(err.str().find("\r[###############               ] 50%  a.txt"), std::string::npos)
      << err.str();
  EXPECT_NE(err.str().find("] 100%"), std::string::npos);
  EXPECT_EQ(out.str().find('\r'), std::string::npos);
  EXPECT_EQ(run({"replace", "colour", "color", a}).err, "");

  // Over many files the bar is drawn at each new percent, not for every file.
  std::vector<std::string> args = {"replace", "colour", "color"};
  for (int i = 0; i < 1000; ++i) args.push_back(dir.write("m" + std::to_string(i), "colour"));
  std::ostringstream manyOut, manyErr;
  EXPECT_EQ(runCli(args, {in, manyOut, manyErr, true}), kExitOk);
  size_t draws = 0;
  for (size_t at = manyErr.str().find("\r["); at != std::string::npos;
       at = manyErr.str().find("\r[", at + 1))
    ++draws;
  EXPECT_GE(draws, 100u);
  EXPECT_LT(draws, 200u);
  EXPECT_NE(manyErr.str().find("] 100%  m999"), std::string::npos);
}

}  // namespace
}  // namespace tw::cli
