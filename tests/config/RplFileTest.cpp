#include "config/RplFile.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tw {
namespace {

const std::string kDefaultSwitches =
    "CaseSensitive=false\r\nWholeWordsOnly=false\r\nCreateBackupFiles=true\r\n"
    "Confirm=false\r\nAnything=true\r\nRegular=false\r\n";

Configuration makeConfig(std::vector<FileEntry> files, std::vector<StringPair> pairs) {
  Configuration config;
  config.Files = std::move(files);
  if (!pairs.empty()) config.setPairs(std::move(pairs));
  return config;
}

// Splitting at CR LF, CR or LF and joining with CR LF, one final line break dropped: what a
// pair text looks like after a save and a load.
std::string normalized(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (i + 1 < text.size()) out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

TEST(RplFile, EmptyConfigurationIsSixSwitchLinesAndTwoEmptyBlocks) {
  Configuration config;
  EXPECT_EQ(formatRpl(config), kDefaultSwitches + "Strings=0\r\nStrings=0\r\n");
  std::optional<RplContent> back = parseRpl(formatRpl(config));
  config.setPairs({});  // no rows is the blank row, written as an empty list too
  EXPECT_EQ(formatRpl(config), kDefaultSwitches + "Strings=0\r\nStrings=0\r\n");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Flags, ReplaceFlags{});
  EXPECT_TRUE(back->Files.empty());
  ASSERT_EQ(back->Pairs.size(), 1u);
  EXPECT_EQ(back->Pairs[0], StringPair{});
}

TEST(RplFile, WritesTheDocumentedLayout) {
  Configuration config = makeConfig({{"/site/index.htm", true}, {"/site/old.htm", false}},
                                    {{"colour", "color"}, {"Old line one\r\nOld line two", ""}});
  config.Flags.CaseSensitive = true;
  const std::string expected =
      "CaseSensitive=true\r\nWholeWordsOnly=false\r\nCreateBackupFiles=true\r\n"
      "Confirm=false\r\nAnything=true\r\nRegular=false\r\n"
      "File=/site/index.htm,1\r\nFile=/site/old.htm,0\r\n"
      "Strings=1\r\ncolour\r\nStrings=1\r\ncolor\r\n"
      "Strings=2\r\nOld line one\r\nOld line two\r\nStrings=0\r\n\r\n";
  EXPECT_EQ(formatRpl(config), expected);

  std::optional<RplContent> back = parseRpl(expected);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Flags, config.Flags);
  EXPECT_EQ(back->Files, config.Files);
  EXPECT_EQ(back->Pairs, config.Pairs());
}

TEST(RplFile, CountsLinesWithoutTheFinalBreak) {
  EXPECT_EQ(rplLineCount(""), 0u);
  EXPECT_EQ(rplLineCount("a"), 1u);
  EXPECT_EQ(rplLineCount("\r\n"), 1u);
  EXPECT_EQ(rplLineCount("a\r\nb"), 2u);
  EXPECT_EQ(rplLineCount("a\r\nb\r\n"), 2u);
  EXPECT_EQ(rplLineCount("a\rb\nc"), 3u);
  EXPECT_EQ(rplLineCount("a\n\r"), 2u);
}

TEST(RplFile, TextEndingInALineBreakLosesThatBreak) {
  Configuration config = makeConfig({}, {{"abc\r\n", "x\r\n\r\n"}});
  const std::string bytes = formatRpl(config);
  EXPECT_EQ(bytes, kDefaultSwitches + "Strings=1\r\nabc\r\n\r\nStrings=2\r\nx\r\n\r\n\r\n");
  std::optional<RplContent> back = parseRpl(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Pairs, (std::vector<StringPair>{{"abc", "x\r\n"}}));
}

TEST(RplFile, PathsSplitAtTheLastComma) {
  std::optional<RplContent> back = parseRpl(kDefaultSwitches +
                                            "File=/data/a,b/x=y.txt,1\r\nFile=/c,d,0\r\nFxx=/e,\r\n"
                                            "Strings=0\r\nStrings=0\r\n");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Files,
            (std::vector<FileEntry>{{"/data/a,b/x=y.txt", true}, {"/c,d", false}, {"/e", false}}));
}

TEST(RplFile, LinesOfThePairSectionStartingWithFAreText) {
  Configuration config = makeConfig({{"/a", true}}, {{"File=/b,1", "F"}, {"x", "File=\r\nF"}});
  std::optional<RplContent> back = parseRpl(formatRpl(config));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Files, config.Files);
  EXPECT_EQ(back->Pairs, config.Pairs());
}

TEST(RplFile, OnlyTheInitialsAndValuePositionsOfTheSwitchLinesCount) {
  // Misspelt keys of the same length are accepted.
  std::optional<RplContent> misspelt = parseRpl(
      "CxxxxxxxxxxxX=true\r\nWxxxxxxxxxxxxX=true\r\nCxxxxxxxxxxxxxxxX=false\r\n"
      "CxxxxxX=true\r\nxxxxxxxX=true\r\nxxxxxxX=true\r\nStrings=0\r\nStrings=0\r\n");
  ASSERT_TRUE(misspelt);
  EXPECT_EQ(misspelt->Flags, (ReplaceFlags{true, true, false, true, true, true}));

  // Only a lower-case t is true; whatever follows it is ignored.
  std::optional<RplContent> letters = parseRpl(
      "CaseSensitive=tea\r\nWholeWordsOnly=True\r\nCreateBackupFiles=t\r\n"
      "Confirm=yes\r\nAnything=TRUE\r\nRegular=t\r\nStrings=0\r\nStrings=0\r\n");
  ASSERT_TRUE(letters);
  EXPECT_EQ(letters->Flags, (ReplaceFlags{true, false, true, false, false, true}));

  std::string wrongInitial = kDefaultSwitches + "Strings=0\r\nStrings=0\r\n";
  wrongInitial[wrongInitial.find("CreateBackup")] = 'X';
  EXPECT_FALSE(parseRpl(wrongInitial));
}

TEST(RplFile, AcceptsCrAndLfLineEnds) {
  Configuration config = makeConfig({{"/a b", false}}, {{"one\r\ntwo", "three"}, {"4", ""}});
  const std::string crlf = formatRpl(config);
  std::string lf, cr;
  for (size_t i = 0; i < crlf.size(); ++i) {
    if (crlf[i] == '\r') continue;
    lf += crlf[i];
  }
  for (char c : lf) cr += c == '\n' ? '\r' : c;
  for (const std::string& bytes : {crlf, lf, cr}) {
    std::optional<RplContent> back = parseRpl(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Files, config.Files);
    EXPECT_EQ(back->Pairs, config.Pairs());
  }
  // No line end after the last line is fine too.
  EXPECT_TRUE(parseRpl(kDefaultSwitches + "Strings=1\r\na\r\nStrings=1\r\nb"));
}

TEST(RplFile, RejectsWhatThePositionalReadingCannotRead) {
  const std::string pairs = "Strings=1\r\na\r\nStrings=1\r\nb\r\n";
  EXPECT_TRUE(parseRpl(kDefaultSwitches + pairs));

  EXPECT_FALSE(parseRpl(""));
  EXPECT_FALSE(
      parseRpl("CaseSensitive=true\r\n\r\nCreateBackupFiles=true\r\nConfirm=false\r\n"
               "Anything=true\r\nRegular=false\r\n" +
               pairs))
      << "empty line 2";
  EXPECT_FALSE(
      parseRpl("CaseSensitive=true\r\nWholeWordsOnly=false\r\nCreateBackupFiles=true\r\n"
               "Confirm=false\r\nAnything=true\r\n"))
      << "five lines";
  EXPECT_FALSE(
      parseRpl("CaseSensitive=\r\nWholeWordsOnly=false\r\nCreateBackupFiles=true\r\n"
               "Confirm=false\r\nAnything=true\r\nRegular=false\r\n" +
               pairs))
      << "value missing after =";
  EXPECT_FALSE(
      parseRpl("CaseSensitive=true\r\nWholeWordsOnly=false\r\nCreateBackupFiles=true\r\n"
               "Confirm=false\r\nAnything=true\r\nRegular\r\n" +
               pairs))
      << "short line 6";
  EXPECT_FALSE(parseRpl(kDefaultSwitches)) << "no pair block";
  EXPECT_FALSE(parseRpl(kDefaultSwitches + "File=/a,1\r\n")) << "no pair block after files";
  EXPECT_FALSE(parseRpl(kDefaultSwitches + "File/a,1\r\n" + pairs)) << "file line without =";
  EXPECT_FALSE(parseRpl(kDefaultSwitches + "File=/a\r\n" + pairs)) << "file line without ,";
  EXPECT_FALSE(parseRpl(kDefaultSwitches + "F,x=/a\r\n" + pairs)) << "comma before =";
  EXPECT_FALSE(parseRpl(kDefaultSwitches + "\r\n" + pairs)) << "empty line before the pairs";
  EXPECT_FALSE(parseRpl(kDefaultSwitches + "Strings=x\r\na\r\nStrings=1\r\nb\r\n"));
  EXPECT_FALSE(parseRpl(kDefaultSwitches + "Strings=\r\na\r\nStrings=1\r\nb\r\n"));
  EXPECT_FALSE(parseRpl(kDefaultSwitches + "Strings=-1\r\na\r\nStrings=1\r\nb\r\n"));
  EXPECT_FALSE(parseRpl(kDefaultSwitches + "Strings= 1\r\na\r\nStrings=1\r\nb\r\n"));
  EXPECT_FALSE(parseRpl(kDefaultSwitches + "Strings=1\r\na\r\nStrings=2\r\nb\r\n"))
      << "replace count past the end";
  EXPECT_FALSE(parseRpl(kDefaultSwitches + "Strings=5\r\na\r\nStrings=1\r\nb\r\n"))
      << "find count past the end";
  EXPECT_FALSE(parseRpl(kDefaultSwitches + "Strings=99999999999999999999999\r\na\r\n"));
  EXPECT_FALSE(parseRpl(kDefaultSwitches + "Strings=1\r\na\r\n")) << "no replace header";
  EXPECT_FALSE(parseRpl(kDefaultSwitches + pairs + "Strings=1\r\nc\r\n")) << "half a block";
}

TEST(RplFile, PositionalReadingQuirks) {
  // Each "Strings=0" of an empty list is read as an empty block and lands in the blank row.
  std::optional<RplContent> leading =
      parseRpl(kDefaultSwitches + "Strings=0\r\nStrings=0\r\nStrings=1\r\na\r\nStrings=1\r\nb\r\n");
  ASSERT_TRUE(leading);
  EXPECT_EQ(leading->Pairs, (std::vector<StringPair>{{"a", "b"}}));

  // After a real pair, an empty block adds a blank row.
  std::optional<RplContent> trailing =
      parseRpl(kDefaultSwitches + "Strings=1\r\na\r\nStrings=1\r\nb\r\nStrings=0\r\n");
  ASSERT_TRUE(trailing);
  EXPECT_EQ(trailing->Pairs, (std::vector<StringPair>{{"a", "b"}, {"", ""}}));

  // Only one empty line after a block is passed over; the key of a header is not compared.
  std::optional<RplContent> keys =
      parseRpl(kDefaultSwitches +
               "Xxxxxxx=1\r\na\r\n\r\nYyyyyyy=1\r\nb\r\n\r\nZzzzzzz=1\r\n"
               "\r\nQqqqqqq=0\r\n");
  ASSERT_TRUE(keys);
  EXPECT_EQ(keys->Pairs, (std::vector<StringPair>{{"a", "b"}, {"", ""}}));

  // A file line must follow the switch lines directly; later F lines are pair text.
  std::optional<RplContent> late =
      parseRpl(kDefaultSwitches + "Strings=1\r\nFile=/a,1\r\nStrings=0\r\n\r\n");
  ASSERT_TRUE(late);
  EXPECT_TRUE(late->Files.empty());
  EXPECT_EQ(late->Pairs, (std::vector<StringPair>{{"File=/a,1", ""}}));

  // The same path twice gives two entries.
  std::optional<RplContent> twice =
      parseRpl(kDefaultSwitches + "File=/a,1\r\nFile=/a,0\r\nStrings=0\r\nStrings=0\r\n");
  ASSERT_TRUE(twice);
  EXPECT_EQ(twice->Files.size(), 2u);
}

// An empty find text in a filled list made the rest of the file unreadable.
TEST(RplFile, RowWithEmptyFindStaysReadable) {
  std::optional<RplContent> loaded =
      parseRpl(kDefaultSwitches + "Strings=1\r\n\r\n\r\nStrings=1\r\nx\r\n");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->Pairs, (std::vector<StringPair>{{"", "x"}}));

  Configuration config = makeConfig({}, {{"a", "b"}, {"", "x"}, {"", ""}});
  const std::string bytes = formatRpl(config);
  EXPECT_NE(bytes.find("Strings=1\r\nb\r\nStrings=1\r\n\r\nStrings=1\r\nx\r\n"), std::string::npos);
  std::optional<RplContent> back = parseRpl(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Pairs, config.Pairs());
}

// A save and a load over random pair texts and paths give back what was saved, except one
// final line break of each text and lone CR or LF, which come back as CR LF.
TEST(RplFile, RoundTripOverRandomTexts) {
  std::mt19937 rng(20261208);
  const std::vector<std::string> pieces = {"a",        "Zz", " ",    ",",  "=",  "File=", "F",
                                           "Strings=", "1",  "\r\n", "\r", "\n", "\t",    "\xe9"};
  auto randomText = [&](size_t maxPieces) {
    std::string text;
    size_t n = std::uniform_int_distribution<size_t>(0, maxPieces)(rng);
    for (size_t k = 0; k < n; ++k) {
      text += pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(rng)];
    }
    return text;
  };
  for (int round = 0; round < 500; ++round) {
    const bool crLfOnly = round % 2 == 0;
    auto pairText = [&](size_t maxPieces) {
      std::string text = randomText(maxPieces);
      if (!crLfOnly) return text;
      std::string out;  // line breaks as the model keeps them: CR LF only
      for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
          if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
          out += "\r\n";
        } else {
          out += text[i];
        }
      }
      return out;
    };
    Configuration config;
    config.Flags = ReplaceFlags{rng() % 2 == 0, rng() % 2 == 0, rng() % 2 == 0,
                                rng() % 2 == 0, rng() % 2 == 0, rng() % 2 == 0};
    for (size_t k = rng() % 4; k > 0; --k) {
      std::string path = "/" + randomText(6);
      std::erase_if(path, [](char c) { return c == '\r' || c == '\n'; });
      config.Files.push_back({path, rng() % 2 == 0});
    }
    std::vector<StringPair> pairs;
    for (size_t k = rng() % 4; k > 0; --k) {
      std::string find;
      while (normalized(find).empty()) find = pairText(8);
      pairs.push_back({find, pairText(8)});
    }
    config.setPairs(std::move(pairs));

    std::optional<RplContent> back = parseRpl(formatRpl(config));
    ASSERT_TRUE(back) << formatRpl(config);
    EXPECT_EQ(back->Flags, config.Flags);
    EXPECT_EQ(back->Files, config.Files);
    ASSERT_EQ(back->Pairs.size(), config.Pairs().size());
    for (size_t k = 0; k < config.Pairs().size(); ++k) {
      StringPair expected = config.Pairs()[k];
      if (crLfOnly) {
        for (std::string* text : {&expected.Find, &expected.Replace}) {
          if (text->ends_with("\r\n")) text->resize(text->size() - 2);
        }
      } else {
        expected = {normalized(expected.Find), normalized(expected.Replace)};
      }
      EXPECT_EQ(back->Pairs[k], expected) << "pair " << k << " of\n" << formatRpl(config);
    }
  }
}

}  // namespace
}  // namespace tw
