#include "scan/MaskMatch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tw {
namespace {

TEST(MatchMaskExtension, AcceptsWhatTheMaskExtensionAllows) {
  EXPECT_TRUE(MatchMaskExtension("page.htm", "*.htm"));
  EXPECT_TRUE(MatchMaskExtension("PAGE.HTM", "*.htm"));
  EXPECT_FALSE(MatchMaskExtension("page.html", "*.htm"));
  EXPECT_TRUE(MatchMaskExtension("page.htm", "*.htm*"));
  EXPECT_TRUE(MatchMaskExtension("page.html", "*.htm*"));
  EXPECT_TRUE(MatchMaskExtension("page.html", "*.ht?"));  // a trailing "?" does not end it
  EXPECT_TRUE(MatchMaskExtension("page.ht", "*.ht?"));    // "?" takes nothing at the end
  for (const char* name : {"a", "a.b", "archive.tar.gz", "x."}) {
    EXPECT_TRUE(MatchMaskExtension(name, "*.*")) << name;
    EXPECT_TRUE(MatchMaskExtension(name, "*")) << name;
  }
}

TEST(MatchMaskExtension, UsesTheTextAfterTheLastDot) {
  EXPECT_TRUE(MatchMaskExtension("report.2002.txt", "*.txt"));
  EXPECT_FALSE(MatchMaskExtension("report.txt.bak", "*.txt"));
  EXPECT_FALSE(MatchMaskExtension("README", "*.txt"));  // no extension against "txt"
  EXPECT_TRUE(MatchMaskExtension("README", "README"));  // no mask extension accepts all
  EXPECT_FALSE(MatchMaskExtension("a.tx", "*.txt"));    // the end of x equals nothing
}

TEST(MatchMaskExtension, InnerStarSkipsToTheNextCharacterWithCaseCounting) {
  EXPECT_TRUE(MatchMaskExtension("a.hxm", "*.h*m"));
  EXPECT_FALSE(MatchMaskExtension("a.hXM", "*.h*m"));  // looks for "m" exactly, finds none
  EXPECT_FALSE(MatchMaskExtension("a.hm", "*.h*mx"));
  // The length check uses the position in the mask: x longer than the mask's extension fails
  // only when the mask ends in a plain character.
  EXPECT_FALSE(MatchMaskExtension("a.hxmm", "*.h*m"));
  EXPECT_FALSE(MatchMaskExtension("a.hxxm", "*.h*m"));
  EXPECT_TRUE(MatchMaskExtension("a.hmm", "*.h*m"));
}

TEST(matchesMask, MatchesTheWholeNameWithoutRegardToCase) {
  EXPECT_TRUE(matchesMask("index.html", "*.htm*"));
  EXPECT_TRUE(matchesMask("INDEX.HTM", "*.htm*"));
  EXPECT_FALSE(matchesMask("index.xhtml", "*.htm*"));
  EXPECT_FALSE(matchesMask("index.html.bak", "*.htm"));
  EXPECT_TRUE(matchesMask("a.txt", "?.txt"));
  EXPECT_FALSE(matchesMask("ab.txt", "?.txt"));
  EXPECT_FALSE(matchesMask("Makefile", "*.*"));
  EXPECT_TRUE(matchesMask("Makefile", "*"));
  EXPECT_FALSE(matchesMask("a.txt", ""));
  EXPECT_FALSE(matchesMask("a.txt", " *.txt"));  // a leading space is part of the mask
  EXPECT_TRUE(matchesMask("\xC4.txt", "\xC4.TXT"));
  EXPECT_FALSE(matchesMask("\xE4.txt", "\xC4.txt"));  // only ASCII letters fold
}

// The plain recursive definition, as the oracle for the backtracking matcher.
bool oracle(const std::string& name, std::size_t n, const std::string& mask, std::size_t m) {
  if (m == mask.size()) return n == name.size();
  if (mask[m] == '*') {
    for (std::size_t k = n; k <= name.size(); ++k) {
      if (oracle(name, k, mask, m + 1)) return true;
    }
    return false;
  }
  if (n == name.size()) return false;
  auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  if (mask[m] != '?' && up(mask[m]) != up(name[n])) return false;
  return oracle(name, n + 1, mask, m + 1);
}

TEST(matchesMask, AgreesWithTheRecursiveDefinitionOnRandomInputs) {
  std::mt19937 random(20021231);
  const std::string nameChars = "abAB.";
  const std::string maskChars = "abAB.*?";
  for (int round = 0; round < 20000; ++round) {
    std::string name, mask;
    for (int i = static_cast<int>(random() % 9); i > 0; --i) name += nameChars[random() % 5];
    for (int i = static_cast<int>(random() % 7); i > 0; --i) mask += maskChars[random() % 7];
    ASSERT_EQ(matchesMask(name, mask), oracle(name, 0, mask, 0)) << name << " / " << mask;
  }
}

}  // namespace
}  // namespace tw
