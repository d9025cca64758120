// Plain-text files read in their own encoding: runs over one text written in every encoding a
// file comes in, compared with the same text after the run as iconv wrote it
// (tests/data/encodings/generate.sh).

#include "engine/Run.h"

#include "engine/ScriptedHost.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tw {
namespace {

namespace fs = std::filesystem;
using test::FixedClock;
using test::ScriptedHost;
using test::TempDir;
using namespace std::string_literals;

const std::string kData = std::string(TEXTWRIGHT_TEST_DATA_DIR) + "/encodings/";

std::vector<std::string> EncodedFileNames() {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(kData + "before"))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class FileEncodings : public test::TempDirTest {
 protected:
  Configuration config;
  AppOptions options;
  ScriptedHost host;
  FixedClock clock;
  RunSummary summary;

  RunOutcome run(RunMode mode = {}) {
    config.Flags.CreateBackupFiles = false;
    return RunReplacement(config, options, host, clock, summary, mode);
  }
};

TEST_F(FileEncodings, OneRunChangesTheTextInEveryEncodingAndNothingElse) {
  struct Case {
    const char* what;
    StringPair pair;
    const char* expected;  // the folder of the files after the run
    int64_t count;         // replacements in each file
    bool dryRun = false;
    int64_t firstBytes = -1;  // "Replace only in first" that many bytes
    // The files whose names begin so stay unchanged (UTF-8 files with a mark, whose region
    // then holds no occurrence; Windows-1252 files, where letters fold by ASCII only).
    const char* unchangedFiles = nullptr;
    bool unicodeLetters = false;
  };
  const std::vector<Case> cases = {
      {"a non-ASCII pair", {"café", "thé"}, "cafe-the", 2},
      {"a non-ASCII pair, ignoring case", {"CAFé", "thé"}, "cafe-the", 2},
      {"an ASCII pair", {"noir", "blanc"}, "noir-blanc", 1},
      {"a dry run", {"café", "thé"}, "cafe-the", 2, true},
      {"in the first 8 bytes of the text",
       {"café", "thé"},
       "first-bytes",
       1,
       false,
       8,
       "utf8-mark"},
      {"Unicode letters, ignoring case",
       {"CAFÉ", "thé"},
       "cafe-the",
       2,
       false,
       -1,
       "windows1252",
       true},
  };
  const std::vector<std::string> names = EncodedFileNames();
  ASSERT_EQ(names.size(), 11u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = dir.path().string() + "/" + std::to_string(&c - cases.data());
    fs::copy(kData + "before", folder);
    config = Configuration();
    config.setPairs({c.pair});
    options.UnicodeLetters = c.unicodeLetters;
    if (c.firstBytes >= 0) {
      config.Advanced.ReplaceOnlyInFirst = true;
      config.Advanced.FirstCount = std::to_string(c.firstBytes);
      config.Advanced.FirstUnit = RegionUnit::Bytes;
    }
    for (const std::string& name : names) config.Files.push_back({folder + "/" + name, true});
    host = ScriptedHost();
    run(RunMode{c.dryRun});
    // Nothing failed; each changed file that is not UTF-8 is noted with its encoding.
    for (const FailedFile& noted : summary.FailedFiles) {
      EXPECT_EQ(noted.kind, FailedFile::Kind::Notice) << noted.path << ": " << noted.reason;
      const std::string name = fs::path(noted.path).filename().string();
      const char* encoding = name.starts_with("utf16le")   ? "UTF-16 LE"
                             : name.starts_with("utf16be") ? "UTF-16 BE"
                                                           : "Windows-1252";
      EXPECT_TRUE(noted.reason.ends_with(encoding)) << name << ": " << noted.reason;
      EXPECT_FALSE(name.starts_with("utf8")) << name;
      EXPECT_FALSE(c.unchangedFiles && name.starts_with(c.unchangedFiles)) << name;
    }
    size_t changed = 0;
    for (const std::string& name : names) {
      SCOPED_TRACE(name);
      const bool unchanged = c.unchangedFiles && name.starts_with(c.unchangedFiles);
      const std::string before = TempDir::read(kData + "before/" + name);
      const std::string after = TempDir::read(kData + c.expected + "/" + name);
      const std::string path = folder + "/" + name;
      EXPECT_EQ(TempDir::read(path), c.dryRun || unchanged ? before : after);
      if (c.dryRun) {
        ASSERT_LT(changed, host.changes.size());
        EXPECT_EQ(host.changes[changed].path, path);
        EXPECT_EQ(host.changes[changed].before, before);
        EXPECT_EQ(host.changes[changed].after, after);
      }
      changed += unchanged ? 0 : 1;
      EXPECT_EQ(summary.FileCounts[static_cast<size_t>(&name - names.data())],
                unchanged ? 0 : c.count);
    }
    EXPECT_EQ(summary.FilesWithReplacements, static_cast<int64_t>(changed));
  }
}

// A replace text the file's encoding cannot hold leaves the file as it was, listed with the
// reason, where the pair has an occurrence; elsewhere the run goes on as usual.
TEST_F(FileEncodings, AReplaceTextTheEncodingCannotHoldLeavesTheFileAlone) {
  const std::string windows1252 = TempDir::read(kData + "before/windows1252-lf.txt");
  struct Case {
    const char* what;
    StringPair pair;
    std::string content;
    std::string failure;  // empty: not listed
    int64_t count;
  };
  const std::vector<Case> cases = {
      {"Windows-1252 file with an occurrence",
       {"café", "Ж"},
       windows1252,
       "not changed: \"Ж\" cannot be written in this file's encoding (Windows-1252)",
       0},
      {"the first character it cannot hold is named",
       {"café", "thé ou Жук"},
       windows1252,
       "not changed: \"Ж\" cannot be written in this file's encoding (Windows-1252)",
       0},
      {"Windows-1252 file without one", {"café", "Ж"}, "Un th\xe9 noir.\n", "", 0},
      {"a find text Windows-1252 cannot hold finds nothing there",
       {"Жук", "café"},
       windows1252,
       "",
       0},
      {"UTF-8 file", {"café", "Ж"}, TempDir::read(kData + "before/utf8-lf.txt"), "", 2},
      {"UTF-16 file", {"café", "Ж"}, TempDir::read(kData + "before/utf16be-crlf.txt"), "", 2},
      {"raw bytes into a UTF-16 file",
       {"café", "\xe9"},
       TempDir::read(kData + "before/utf16le-lf.txt"),
       "not changed: the new text cannot be written in this file's encoding (UTF-16 LE)",
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.write(std::to_string(&c - cases.data()) + ".txt", c.content);
    config = Configuration();
    config.setPairs({c.pair});
    config.Files = {{path, true}};
    host = ScriptedHost();
    run();
    if (c.failure.empty()) {
      for (const FailedFile& noted : summary.FailedFiles)
        EXPECT_EQ(noted.kind, FailedFile::Kind::Notice) << noted.reason;
    } else {
      ASSERT_EQ(summary.FailedFiles.size(), 1u);
      EXPECT_EQ(summary.FailedFiles[0].path, path);
      EXPECT_EQ(summary.FailedFiles[0].reason, c.failure);
    }
    EXPECT_EQ(summary.TotalReplacements, c.count);
    if (c.count == 0)
      EXPECT_EQ(TempDir::read(path), c.content);
    else
      EXPECT_NE(TempDir::read(path), c.content);
  }
}

// The confirmation over a Windows-1252 file shows its text in UTF-8; the occurrence is keyed
// by where it is in the file's bytes.
TEST_F(FileEncodings, ConfirmationShowsAWindows1252FileAsText) {
  const std::string path = dir.write("a.txt", TempDir::read(kData + "before/windows1252-lf.txt"));
  config.setPairs({{"café", "thé"}});
  config.Flags.Confirm = true;
  config.Files = {{path, true}};
  host.answers = {ConfirmDecision::ReplaceThis, ConfirmDecision::SkipThis};
  run();
  ASSERT_EQ(host.asked.size(), 2u);
  const ConfirmRequest& first = host.asked[0];
  EXPECT_TRUE(first.excerpt.starts_with("Un café noir, un café crème.\nMerci.")) << first.excerpt;
  EXPECT_EQ(first.excerpt.substr(static_cast<size_t>(first.occurrenceStart),
                                 static_cast<size_t>(first.occurrenceLength)),
            "café");
  EXPECT_EQ(first.textOffset, 3);
  const ConfirmRequest& second = host.asked[1];
  EXPECT_TRUE(second.excerpt.starts_with("Un thé noir, un café crème.")) << second.excerpt;
  EXPECT_EQ(second.occurrenceStart, static_cast<int64_t>("Un thé noir, un "s.size()));
  EXPECT_EQ(second.occurrenceLength, static_cast<int64_t>("café"s.size()));
  EXPECT_EQ(second.textOffset, 17);
  EXPECT_EQ(second.find, "café");
  EXPECT_EQ(second.replace, "thé");
  EXPECT_EQ(TempDir::read(path), TempDir::read(kData + "first-bytes/windows1252-lf.txt"));
}

// A UTF-16 file bigger than the pieces its new content is written in: characters of every
// UTF-8 length fall on the pieces' edges (and, after an odd start, on the edges of the
// stretches each piece is encoded in), and a lone surrogate and an odd last byte stay.
TEST_F(FileEncodings, ABigUtf16FileIsWrittenPieceByPiece) {
  // "é€😀 xcafé\n" and "é€😀 xthé\n" in UTF-16 LE, written out by hand.
  const std::string before = "\xe9\0\xac\x20\x3d\xd8\x00\xde \0x\0c\0a\0f\0\xe9\0\n\0"s;
  const std::string after = "\xe9\0\xac\x20\x3d\xd8\x00\xde \0x\0t\0h\0\xe9\0\n\0"s;
  const std::string end =
      "\x00\xd8"
      "A"s;  // a lone high surrogate, then half a unit
  std::string content = "\xff\xfeo\0k\0"s, expected = content;
  for (int i = 0; i < 200000; ++i) {
    content += before;
    expected += after;
  }
  content += end;
  expected += end;
  const std::string path = dir.write("big.txt", content);
  config.setPairs({{"café", "thé"}});
  config.Files = {{path, true}};
  run();
  ASSERT_EQ(summary.FailedFiles.size(), 1u);
  EXPECT_EQ(summary.FailedFiles[0].reason, "read and written in UTF-16 LE");
  EXPECT_EQ(summary.TotalReplacements, 200000);
  EXPECT_TRUE(TempDir::read(path) == expected);
}

}  // namespace
}  // namespace tw
