// The command-line tool over files in UTF-16 and Windows-1252: what it prints is their text in
// UTF-8 (tests/data/encodings/generate.sh made the files).

#include "cli/Cli.h"
#include "cli/FindCommand.h"

#include "support/CliRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tw::cli {
namespace {

using test::CliRun;
using test::TempDir;

const std::string kData = std::string(TEXTWRIGHT_TEST_DATA_DIR) + "/encodings/";

class CliEncodings : public test::TempDirTest {
 protected:
  std::string copy(const std::string& name) {
    return dir.write(name, TempDir::read(kData + "before/" + name));
  }
};

TEST_F(CliEncodings, DryRunAndFindShowTheTextOfEachFile) {
  struct Case {
    const char* name;
    const char* lineEnd;
  };
  for (const Case& c : {Case{"utf16le-crlf.txt", "\r\n"}, Case{"utf16be-lf.txt", "\n"},
                        Case{"windows1252-crlf.txt", "\r\n"}}) {
    SCOPED_TRACE(c.name);
    const std::string path = copy(c.name);
    const std::string end = c.lineEnd;
    CliRun r = test::runCliWith({"replace", "--dry-run", "café", "thé", path});
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_NE(r.out.find("-Un café noir, un café crème." + end + "+Un thé noir, un thé crème." +
                         end + " Merci." + end),
              std::string::npos)
        << r.out;
    EXPECT_EQ(TempDir::read(path), TempDir::read(kData + "before/" + c.name));

    r = test::runCliWith({"find", "CRÈME", path});
    EXPECT_EQ(r.status, kFindNothing) << "non-ASCII letters keep their case";
    r = test::runCliWith({"find", "crème", path});
    EXPECT_EQ(r.out, path + ":1:Un café noir, un café crème.\n");
  }
  // With ASCII pairs an 8-bit file is read byte for byte, and its diff shows its bytes as before.
  const std::string eightBit = copy("windows1252-lf.txt");
  const CliRun r = test::runCliWith({"replace", "--dry-run", "noir", "blanc", eightBit});
  EXPECT_NE(r.out.find("-Un caf\xE9 noir, un caf\xE9 cr\xE8me.\n+Un caf\xE9 blanc"),
            std::string::npos)
      << r.out;
}

TEST_F(CliEncodings, ReplaceListsAFileWhoseEncodingCannotHoldTheNewText) {
  const std::string path = copy("windows1252-lf.txt");
  const std::string utf16 = copy("utf16le-lf.txt");
  CliRun r = test::runCliWith({"replace", "--no-backup", "café", "Ж", path, utf16});
  EXPECT_NE(r.err.find(path + ": not changed: \"Ж\" cannot be written in this file's encoding "
                              "(Windows-1252)"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.out.find(utf16 + " - 2 replacements made"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find(utf16 + ": read and written in UTF-16 LE"), std::string::npos) << r.err;
  EXPECT_EQ(TempDir::read(path), TempDir::read(kData + "before/windows1252-lf.txt"));

  // A UTF-16 file whose write fails is listed with the write's own reason, not its encoding's.
  std::filesystem::create_symlink(path, utf16 + ".rpf");
  r = test::runCliWith({"replace", "Ж", "café", utf16});
  EXPECT_NE(r.err.find(utf16 + ": Cannot create the backup"), std::string::npos) << r.err;
}

// --unicode: ignoring case folds every letter and whole words end at any punctuation in UTF-8
// and UTF-16 text; without it, and in a Windows-1252 file, only ASCII letters count.
TEST_F(CliEncodings, UnicodeFoldsEveryLetterAndEndsWordsAtAnyPunctuation) {
  struct Case {
    const char* what;
    std::vector<std::string> switches;
    std::string find;
    std::string replace;
    std::string content;
    std::string withUnicode;  // the content after the run with --unicode
  };
  const std::vector<Case> cases = {
      {"case", {}, "äpfel", "birnen", "ÄPFEL, Äpfel\n", "birnen, birnen\n"},
      {"Greek sigmas", {}, "ΣΟΦΟΣ", "x", "σοφος σοφοσ\n", "x x\n"},
      {"words in quotes", {"--whole-words"}, "word", "term", "“word” sword\n", "“term” sword\n"},
      {"words beside a no-break space and a dash",
       {"--whole-words"},
       "word",
       "term",
       "a\u00A0word—words\n",
       "a\u00A0term—words\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.write("u.txt", c.content);
    for (const bool unicode : {false, true}) {
      std::vector<std::string> args = {"replace", "--no-backup"};
      if (unicode) args.push_back("--unicode");
      args.insert(args.end(), c.switches.begin(), c.switches.end());
      args.insert(args.end(), {c.find, c.replace, path});
      const CliRun r = test::runCliWith(args);
      EXPECT_EQ(r.status, kExitOk) << r.err;
      EXPECT_EQ(TempDir::read(path), unicode ? c.withUnicode : c.content)
          << "--unicode " << unicode;
    }
  }
  const std::string utf16 = copy("utf16le-lf.txt");
  CliRun r = test::runCliWith({"find", "--unicode", "CRÈME", utf16});
  EXPECT_EQ(r.out, utf16 + ":1:Un café noir, un café crème.\n");
  const std::string eightBit = copy("windows1252-lf.txt");
  r = test::runCliWith({"find", "--unicode", "CRÈME", eightBit});
  EXPECT_EQ(r.status, kFindNothing) << "Windows-1252 keeps the byte rules";
}

}  // namespace
}  // namespace tw::cli
