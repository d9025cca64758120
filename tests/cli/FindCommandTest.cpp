#include "cli/FindCommand.h"

#include "support/CliRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tw::cli {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::TempDir;
using namespace std::string_literals;

CliRun run(const std::vector<std::string>& args) {
  return test::runCliWith(args);
}

class FindCommand : public test::TempDirTest {};

TEST_F(FindCommand, PrintsEachLineHoldingAnOccurrenceOnceWithItsNumber) {
  const std::string a =
      dir.write("a.txt", "colour first\r\nnone\nColour and colour\n\nlast colour\r");
  const std::string b = dir.write("b.txt", "plain\n");
  const std::string c = dir.write("c.txt", "colour");
  // The files are read one after another into one buffer: an empty one after a, a short one
  // after b, hold nothing of the file before.
  const std::string empty = dir.write("empty.txt", "");
  CliRun r = run({"find", "colour", a, empty, b, c});
  EXPECT_EQ(r.status, kFindFound) << r.err;
  EXPECT_EQ(r.out, a + ":1:colour first\n" + a + ":3:Colour and colour\n" + a +
                       ":5:last colour\r\n" + c + ":1:colour\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(TempDir::read(a), "colour first\r\nnone\nColour and colour\n\nlast colour\r");
}

// The switches and options that shape the search mean for find what they mean for replace.
TEST_F(FindCommand, FindsWhatReplaceWouldReplace) {
  struct Case {
    const char* what;
    std::vector<std::string> options;
    std::string find;
    std::string content;
    std::vector<std::string> lines;  // "number:text" of each line printed
  };
  const std::vector<Case> cases = {
      {"case folded by default", {}, "CAT", "cat\nCat\ndog\n", {"1:cat", "2:Cat"}},
      {"case kept", {"--case-sensitive"}, "Cat", "cat\nCat\n", {"2:Cat"}},
      {"whole words", {"--whole-words"}, "cat", "concat\ncat.\n(cat)\n", {"2:cat.", "3:(cat)"}},
      {"%anything% within a line", {}, "<%anything%>", "x <b> y\nno\n", {"1:x <b> y"}},
      {"%anything% over a line end", {}, "a%anything%z", "a\nb\nz\nq\n", {"1:a", "2:b", "3:z"}},
      {"%anything% as text",
       {"--no-anything"},
       "a%anything%z",
       "az\na%anything%z\n",
       {"2:a%anything%z"}},
      {"regex anchors at line starts", {"--regex"}, "^\\d+$", "12\nx1\n345\r\n", {"1:12", "3:345"}},
      {"regex over CR LF", {"--regex"}, "b\\r\\nc", "a\r\nb\r\nc\r\nd\r\n", {"2:b", "3:c"}},
      {"find texts trimmed", {}, "  cat ", "a cat\nconcat\n", {"1:a cat", "2:concat"}},
      {"leading spaces kept", {"--keep-leading-spaces"}, " cat", "a cat\nconcat\n", {"1:a cat"}},
      {"first lines only", {"--first", "2"}, "x", "x\ny\nx\nx\n", {"1:x"}},
      {"first bytes only", {"--first", "3", "--unit", "bytes"}, "ab", "ab\nab\n", {"1:ab"}},
      {"filename references passed over",
       {"--no-filename-references"},
       "page",
       "<a href=\"page.htm\">\npage\n",
       {"2:page"}},
      {"filename references searched",
       {},
       "page",
       "<a href=\"page.htm\">\n",
       {"1:<a href=\"page.htm\">"}},
      {"binary bytes shown as they are",
       {},
       "key",
       "\x01key\0\rx\n\xff\xfe key\r\r\n"s,
       {"1:\x01key\0\rx"s, "2:\xff\xfe key\r"}},
  };
  for (const Case& c : cases) {
    const std::string file = dir.write("f.txt", c.content);
    std::vector<std::string> args{"find"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {c.find, file});
    std::string expected;
    for (const std::string& line : c.lines) expected += file + ":" + line + "\n";
    CliRun r = run(args);
    EXPECT_EQ(r.out, expected) << c.what;
    EXPECT_EQ(r.status, kFindFound) << c.what << ": " << r.err;
  }
}

// Every pair is searched in the file as it is, not in what the pairs before it would make of
// it, and a line with occurrences of several pairs is printed once.
TEST_F(FindCommand, ConfigurationPairsAreEachSearchedInTheOriginalText) {
  const std::string a = dir.write("proj/a.txt", "one two\nthree\ntwo\nfour\nFOUR\n");
  const std::string b = dir.write("proj/b.txt", "one\n");
  const std::string config = dir.write(
      "proj/job.rpl",
      "CaseSensitive=true\r\nWholeWordsOnly=false\r\nCreateBackupFiles=true\r\nConfirm=false\r\n"
      "Anything=true\r\nRegular=false\r\nFile=a.txt,1\r\nFile=b.txt,0\r\n"
      "Strings=1\r\none\r\nStrings=2\r\none\r\nextra\r\n"
      "Strings=1\r\ntwo\r\nStrings=1\r\n2\r\n"
      "Strings=1\r\nfour\r\nStrings=0\r\n\r\n");
  CliRun r = run({"find", config});
  EXPECT_EQ(r.status, kFindFound) << r.err;
  EXPECT_EQ(r.out, a + ":1:one two\n" + a + ":3:two\n" + a + ":4:four\n");
  EXPECT_EQ(run({"find", config, "--count"}).out, a + ":3\n");
  // The command line's switches override the configuration's.
  EXPECT_EQ(run({"find", "--whole-words", "--ignore-case", config, "-c"}).out, a + ":4\n");
  EXPECT_EQ(run({"find", "--regex", config, "-l"}).out, a + "\n");
}

TEST_F(FindCommand, CountAndFilesWithMatchesSayLessThanTheLines) {
  const std::string a = dir.write("a.txt", "cat cat\ndog\ncat\n");
  const std::string b = dir.write("b.txt", "dog\n");
  const std::string empty = dir.write("empty.txt", "");
  for (const char* option : {"-c", "--count"}) {
    CliRun r = run({"find", option, "cat", a, b, empty});
    EXPECT_EQ(r.status, kFindFound);
    EXPECT_EQ(r.out, a + ":2\n" + b + ":0\n" + empty + ":0\n");
  }
  for (const char* option : {"-l", "--files-with-matches"}) {
    CliRun r = run({"find", "cat", option, a, b, empty, a});
    EXPECT_EQ(r.status, kFindFound);
    EXPECT_EQ(r.out, a + "\n" + a + "\n");
  }
  CliRun r = run({"find", "-c", "bird", a, b});
  EXPECT_EQ(r.status, kFindNothing);
  EXPECT_EQ(r.out, a + ":0\n" + b + ":0\n");
}

// An RTF file is searched in its visible text, whose paragraphs are its lines; control words
// are never hit. --rtf-as-text searches its bytes instead.
TEST_F(FindCommand, RtfFilesShowTheLinesOfTheirVisibleText) {
  const std::string rtf =
      dir.write("d.rtf", "{\\rtf1\\ansi {\\b colour} one\\par\nsecond\\line colour\\par}");
  CliRun r = run({"find", "colour", rtf});
  EXPECT_EQ(r.status, kFindFound) << r.err;
  EXPECT_EQ(r.out, rtf + ":1:colour one\n" + rtf + ":2:second\vcolour\n");
  r = run({"find", "par", rtf});
  EXPECT_EQ(r.status, kFindNothing);
  EXPECT_EQ(r.out, "");
  r = run({"find", "--rtf-as-text", "par", rtf});
  EXPECT_EQ(r.out, rtf + ":1:{\\rtf1\\ansi {\\b colour} one\\par\n" + rtf +
                       ":2:second\\line colour\\par}\n");

  const std::string fake = dir.write("fake.rtf", "colour");
  r = run({"find", "colour", fake});
  EXPECT_EQ(r.status, kFindTrouble);
  EXPECT_EQ(r.err,
            "textwright-cli: " + fake + ": not processed: the file is not an RTF document\n");
}

// As grep: 0 when something was found, 1 when nothing was, 2 on trouble, also when something
// was found elsewhere; a file that cannot be read is said and the others are searched.
TEST_F(FindCommand, ExitStatusesAreGrepsAndUnreadableFilesDoNotStopTheSearch) {
  const std::string a = dir.write("a.txt", "cat\n");
  const std::string b = dir.write("b.txt", "dog\n");
  const std::string missing = dir.file("missing.txt");
  const std::string folder = dir.file("sub");
  fs::create_directory(folder);

  CliRun r = run({"find", "cat", missing, a, folder});
  EXPECT_EQ(r.status, kFindTrouble);
  EXPECT_EQ(r.out, a + ":1:cat\n");
  EXPECT_EQ(r.err.find("textwright-cli: " + missing + ": the file does not exist\n"), 0u) << r.err;
  EXPECT_NE(r.err.find("textwright-cli: " + folder + ": "), std::string::npos) << r.err;

  EXPECT_EQ(run({"find", "cat", b, a}).status, kFindFound);
  EXPECT_EQ(run({"find", "bird", a, b}).status, kFindNothing);
  EXPECT_EQ(run({"find", "bird", a, missing}).status, kFindTrouble);
  // --quiet stops at the first occurrence: what went wrong before it no longer matters.
  r = run({"find", "--quiet", "cat", missing, a, missing});
  EXPECT_EQ(r.status, kFindFound);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(run({"find", "--quiet", "bird", a}).status, kFindNothing);
  // A find text beginning with a hyphen, after --.
  const std::string options = dir.write("o.txt", "-x\n");
  EXPECT_EQ(run({"find", "--", "-x", options}).out, options + ":1:-x\n");
}

TEST_F(FindCommand, UsageErrorsExitTwoAndSayWhy) {
  const std::string a = dir.write("a.txt", "cat\n");
  const std::string noFiles =
      dir.write("none.rpl",
                "CaseSensitive=false\r\nWholeWordsOnly=false\r\nCreateBackupFiles=true\r\n"
                "Confirm=false\r\nAnything=true\r\nRegular=false\r\nStrings=1\r\ncat\r\n"
                "Strings=0\r\n\r\n");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"find"}, "find needs FIND and at least one FILE, or one CONFIG.rpl"},
      {{"find", "cat"}, "find needs FIND and at least one FILE, or one CONFIG.rpl"},
      {{"find", "", a}, "the find text must not be empty"},
      {{"find", "--no-backup", "cat", a}, "find does not take --no-backup: it writes nothing"},
      {{"find", "--dry-run", "cat", a}, "find does not take --dry-run: it writes nothing"},
      {{"find", "--unix", "cat", a}, "find does not take --unix: it writes nothing"},
      {{"find", "--report=r.txt", "cat", a}, "find does not take --report: it writes nothing"},
      {{"find", "--stat", "cat", a}, "find does not take --stat: it writes nothing"},
      {{"find", "-c", "-l", "cat", a},
       "--count and --files-with-matches are two different outputs"},
      {{"find", "--quiet", "-c", "cat", a}, "--quiet prints nothing, so it cannot go with --count"},
      {{"find", "--first", "1", "--unit", "words", "cat", a},
       "--unit must be lines or bytes, not \"words\""},
  };
  for (const Case& c : cases) {
    CliRun r = run(c.args);
    EXPECT_EQ(r.status, kExitUsage) << c.message;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "textwright-cli: " + c.message + " (see textwright-cli find --help)\n");
  }
  CliRun r = run({"find", noFiles});
  EXPECT_EQ(r.status, kFindTrouble);
  EXPECT_EQ(r.err, "textwright-cli: You didn't specify files to perform replacement at!\n");
  r = run({"find", "--first", "x", "cat", a});
  EXPECT_EQ(r.status, kFindTrouble);
  EXPECT_NE(r.err.find("whole number"), std::string::npos) << r.err;
  EXPECT_EQ(run({"find", dir.file("missing.rpl")}).status, kFindTrouble);
}

}  // namespace
}  // namespace tw::cli
