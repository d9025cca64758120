#include <gtest/gtest.h>

#include <string>

#include "engine/FilenameReferenceCheck.h"
#include "engine/LiteralOracle.h"

namespace tw {
namespace {

LiteralOptions opts(bool caseSensitive, bool wholeWords, bool anything = true) {
  return LiteralOptions{caseSensitive, wholeWords, anything};
}

TEST(CharsMatch, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(CharsMatch('A', 'a', false));
  EXPECT_TRUE(CharsMatch('a', 'A', false));
  EXPECT_FALSE(CharsMatch('a', 'A', true));
  EXPECT_TRUE(CharsMatch('Z', 'Z', true));
  EXPECT_FALSE(CharsMatch(201, 233, false));
  EXPECT_FALSE(CharsMatch(233, 201, false));
  EXPECT_FALSE(CharsMatch('@', '`', false));  // 64 and 96 differ by 32 but are not letters
  EXPECT_FALSE(CharsMatch('[', '{', false));
  for (int t = 0; t < 256; ++t) {
    for (int f = 0; f < 256; ++f) {
      const bool folded =
          CharsMatch(static_cast<unsigned char>(t), static_cast<unsigned char>(f), false);
      EXPECT_EQ(folded,
                CharsMatch(static_cast<unsigned char>(f), static_cast<unsigned char>(t), false));
    }
  }
}

TEST(IsWordDelimiter, PunctuationSpaceAndLineControls) {
  std::string delimiters;
  for (int c = 0; c < 256; ++c) {
    if (IsWordDelimiter(static_cast<unsigned char>(c))) delimiters += static_cast<char>(c);
  }
  EXPECT_EQ(delimiters, "\t\n\v\f\r !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~");
}

TEST(MatchLiteralAt, PlainFindAtExactPosition) {
  const std::string text = "xxabcxx";
  EXPECT_EQ(MatchLiteralAt(text, 2, "abc", opts(true, false)), 4);
  EXPECT_EQ(MatchLiteralAt(text, 1, "abc", opts(true, false)), -1);
  EXPECT_EQ(MatchLiteralAt(text, 3, "abc", opts(true, false)), -1);
  EXPECT_EQ(MatchLiteralAt("ab", 0, "abc", opts(true, false)), -1);  // runs past the end
  EXPECT_EQ(MatchLiteralAt("xab", 1, "abc", opts(true, false)), -1);
  EXPECT_EQ(MatchLiteralAt(text, 7, "abc", opts(true, false)), -1);
  EXPECT_EQ(MatchLiteralAt(text, -1, "abc", opts(true, false)), -1);
  EXPECT_EQ(MatchLiteralAt(text, 2, "", opts(true, false)), -1);
  EXPECT_EQ(MatchLiteralAt("", 0, "a", opts(true, false)), -1);
}

TEST(MatchLiteralAt, CaseInsensitiveFoldsAsciiOnly) {
  for (const char* text : {"ABC", "aBc", "abc"}) {
    EXPECT_EQ(MatchLiteralAt(text, 0, "abc", opts(false, false)), 2) << text;
  }
  EXPECT_EQ(MatchLiteralAt("ABC", 0, "abc", opts(true, false)), -1);
  EXPECT_EQ(MatchLiteralAt("\xC9", 0, "\xE9", opts(false, false)), -1);
  EXPECT_EQ(MatchLiteralAt("x\xC9y", 0, "X\xC9Y", opts(false, false)), 2);
}

TEST(MatchLiteralAt, WholeWords) {
  const LiteralOptions ww = opts(true, true);
  EXPECT_EQ(MatchLiteralAt("the cat.", 4, "cat", ww), 6);
  EXPECT_EQ(MatchLiteralAt("concat", 3, "cat", ww), -1);
  EXPECT_EQ(MatchLiteralAt("cats", 0, "cat", ww), -1);
  EXPECT_EQ(MatchLiteralAt("cat_s", 0, "cat", ww), 2);
  EXPECT_EQ(MatchLiteralAt("cat]", 0, "cat", ww), 2);
  EXPECT_EQ(MatchLiteralAt("foo-bar", 0, "foo", ww), 2);
  EXPECT_EQ(MatchLiteralAt("ab x", 3, "x", ww), 3);
  EXPECT_EQ(MatchLiteralAt("x\xE9", 0, "x", ww), -1);  // high bytes are word characters
  EXPECT_EQ(MatchLiteralAt("1cat", 1, "cat", ww), -1);
}

TEST(MatchLiteralAt, WholeWordsAtLineStartsAndEnds) {
  const LiteralOptions ww = opts(true, true);
  EXPECT_EQ(MatchLiteralAt("a\ncat\n", 2, "cat", ww), 4);
  EXPECT_EQ(MatchLiteralAt("a\r\ncat\r\n", 3, "cat", ww), 5);
  EXPECT_EQ(MatchLiteralAt("\tcat\v", 1, "cat", ww), 3);
  EXPECT_EQ(MatchLiteralAt("\fcat\f", 1, "cat", ww), 3);
  EXPECT_EQ(MatchLiteralAt("\x01"
                           "cat",
                           1, "cat", ww),
            -1);
}

TEST(MatchLiteralAt, ScriptTokenTakesShortestRunWithoutBacktracking) {
  const LiteralOptions o = opts(true, false);
  EXPECT_EQ(MatchLiteralAt("A12BC", 0, "A%anything%BC", o), 4);
  EXPECT_EQ(MatchLiteralAt("A1B2BC", 0, "A%anything%BC", o), -1);
  EXPECT_EQ(MatchLiteralAt("A--B--C--C", 0, "A%anything%C", o), 6);
  EXPECT_EQ(MatchLiteralAt("AC", 0, "A%anything%C", o), 1);  // the run may be empty
  EXPECT_EQ(MatchLiteralAt("A\r\n\nC", 0, "A%anything%C", o), 4);
  EXPECT_EQ(MatchLiteralAt("A---", 0, "A%anything%C", o), -1);
  EXPECT_EQ(MatchLiteralAt("X%YYC", 1, "%anything%C", o), 4);
  EXPECT_EQ(MatchLiteralAt("X%YYC", 0, "%anything%C", o), -1);  // starts only at a percent sign
  EXPECT_EQ(MatchLiteralAt("a1b2c", 0, "a%anything%b%anything%c", o), 4);
  // Case-insensitive: the next character is looked for under the same rule.
  EXPECT_EQ(MatchLiteralAt("a..B", 0, "A%anything%b", opts(false, false)), 3);
  EXPECT_EQ(MatchLiteralAt("a..B", 0, "A%anything%b", opts(true, false)), -1);
}

TEST(MatchLiteralAt, ScriptTokenIsLiteralAtTheEndOrWhenOff) {
  const LiteralOptions o = opts(true, false);
  EXPECT_EQ(MatchLiteralAt("%anything%", 0, "%anything%", o), 9);
  EXPECT_EQ(MatchLiteralAt("ab%anything%", 0, "ab%anything%", o), 11);
  EXPECT_EQ(MatchLiteralAt("abXc", 0, "ab%anything%", o), -1);
  EXPECT_EQ(MatchLiteralAt("a--b", 0, "a%anything%b", opts(true, false, false)), -1);
  EXPECT_EQ(MatchLiteralAt("a%anything%b", 0, "a%anything%b", opts(true, false, false)), 11);
  EXPECT_EQ(MatchLiteralAt("a--b", 0, "a%ANYTHING%b", opts(false, false)), -1);
  EXPECT_EQ(MatchLiteralAt("a%Anything%b", 0, "a%ANYTHING%b", opts(false, false)), 11);
}

TEST(MatchLiteralAt, ScriptTokenWithWholeWords) {
  const LiteralOptions ww = opts(true, true);
  EXPECT_EQ(MatchLiteralAt("a xy b", 2, "x%anything%y", ww), 3);
  EXPECT_EQ(MatchLiteralAt("a xyb", 2, "x%anything%y", ww), -1);
  // A leading token: the boundary before the start is checked only when the run is empty.
  EXPECT_EQ(MatchLiteralAt("a%xy", 1, "%anything%y", ww), 3);
  EXPECT_EQ(MatchLiteralAt("ay%", 2, "%anything%%", ww), -1);
  EXPECT_EQ(MatchLiteralAt("a %", 2, "%anything%%", ww), 2);
}

// One question to a fresh check.
bool IsFilenameReference(std::string_view text, int64_t e) {
  return FilenameReferenceCheck(text)(e);
}

TEST(FilenameReferenceCheck, DoubleQuotedHrefValuesOnly) {
  const std::string a = "<a href=\"index.html\">index</a>";
  EXPECT_TRUE(IsFilenameReference(a, static_cast<int64_t>(a.find("index.html") + 4)));
  EXPECT_FALSE(IsFilenameReference(a, static_cast<int64_t>(a.find(">index") + 5)));
  const std::string spaced = "<A HREF  =  \"x.htm\">";
  EXPECT_TRUE(IsFilenameReference(spaced, static_cast<int64_t>(spaced.find("x.htm"))));
  const std::string single = "<a href='x.htm'>";
  EXPECT_FALSE(IsFilenameReference(single, static_cast<int64_t>(single.find("x.htm"))));
  const std::string title = "<a title=\"x.htm\">";
  EXPECT_FALSE(IsFilenameReference(title, static_cast<int64_t>(title.find("x.htm"))));
  const std::string hash = "<a href=\"x#y\">";
  EXPECT_FALSE(IsFilenameReference(hash, static_cast<int64_t>(hash.find('y'))));
  // The occurrence's own characters take part: a quotation mark ending it is the stop.
  const std::string quote = "  href=\"";
  EXPECT_TRUE(IsFilenameReference(quote, 7));
  EXPECT_FALSE(IsFilenameReference(" href=\"", 6));  // the keyword begins too early
  EXPECT_FALSE(IsFilenameReference("=\"", 1));
  EXPECT_FALSE(IsFilenameReference(quote, 8));
  EXPECT_FALSE(IsFilenameReference(quote, -1));
}

}  // namespace
}  // namespace tw
