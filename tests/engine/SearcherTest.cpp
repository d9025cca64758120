#include "engine/Searcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/RegexMatcher.h"

namespace tw {
namespace {

using Found = std::vector<std::pair<int64_t, int64_t>>;

// Every occurrence as a pass would take them: resume after each one.
Found allOf(const Searcher& searcher, std::string_view text) {
  Found found;
  int64_t from = 0;
  while (auto occ = searcher.findFrom(text, from)) {
    found.emplace_back(occ->start, occ->last);
    from = occ->last + 1;
  }
  return found;
}

TEST(Searcher, LiteralFindsSuccessiveOccurrences) {
  const LiteralOptions cs{true, false, true};
  EXPECT_EQ(allOf(Searcher::literal("aa", cs), "aaaaa"), (Found{{0, 1}, {2, 3}}));
  EXPECT_EQ(
      allOf(Searcher::literal("cat", LiteralOptions{false, true, true}), "Cat concat CAT\ncat"),
      (Found{{0, 2}, {11, 13}, {15, 17}}));
  EXPECT_EQ(allOf(Searcher::literal("a%anything%b", cs), "a1b a2 b"), (Found{{0, 2}, {4, 7}}));
  EXPECT_TRUE(allOf(Searcher::literal("", cs), "abc").empty());
  EXPECT_TRUE(allOf(Searcher::literal("a", cs), "").empty());
}

TEST(Searcher, FromPositionIsRespected) {
  const Searcher s = Searcher::literal("ab", LiteralOptions{true, false, true});
  EXPECT_EQ(s.findFrom("abab", 1)->start, 2);
  EXPECT_EQ(s.findFrom("abab", -5)->start, 0);
  EXPECT_FALSE(s.findFrom("abab", 3).has_value());
  EXPECT_FALSE(s.findFrom("abab", 99).has_value());
}

TEST(Searcher, RegexFindsSuccessiveOccurrences) {
  EXPECT_EQ(allOf(Searcher::regex("colou?r", false), "Color, colour; COLOUR"),
            (Found{{0, 4}, {7, 12}, {15, 20}}));
  EXPECT_EQ(allOf(Searcher::regex("^ab", true), "ab\nab\r\nxab"), (Found{{0, 1}, {3, 4}}));
  EXPECT_EQ(allOf(Searcher::regex("\\d{3}-\\d{4}", true), "call 555-1234 or 5555-12345"),
            (Found{{5, 12}, {18, 25}}));
  EXPECT_TRUE(allOf(Searcher::regex("", true), "abc").empty());
}

TEST(Searcher, ScriptTokenOverLongRuns) {
  const LiteralOptions o{true, false, true};
  std::string text(100000, 'a');
  EXPECT_FALSE(Searcher::literal("a%anything%b", o).findFrom(text, 0).has_value());
  text += "xb";
  const auto n = static_cast<int64_t>(text.size());
  const Searcher s = Searcher::literal("a%anything%b", o);
  EXPECT_EQ(s.findFrom(text, 0)->last, n - 1);
  EXPECT_EQ(s.findFrom(text, 77777)->start, 77777);
  EXPECT_EQ(s.findFrom(text, 77777)->last, n - 1);
  // The first character must be followed directly by x; the scan for b is shared.
  EXPECT_EQ(Searcher::literal("ax%anything%b", o).findFrom(text, 0)->start, 99999);
  // Whole words: every start after the first follows an "a".
  EXPECT_FALSE(Searcher::literal("a%anything%b", LiteralOptions{true, true, true})
                   .findFrom(text, 1)
                   .has_value());
}

TEST(Searcher, AnchoredPatternsOnlyAtLineStarts) {
  std::string text;
  for (int k = 0; k < 1000; ++k)
    text += (k % 3 == 0) ? "abc\n" : (k % 3 == 1 ? "xabc\r\n" : "abc\r");
  const Searcher s = Searcher::regex("^abc", true);
  Found expected;
  for (int64_t p = 0; p < static_cast<int64_t>(text.size()); ++p) {
    const int64_t e = RegexMatchAt(text, p, "^abc", true);
    if (e >= 0) expected.emplace_back(p, e);
  }
  EXPECT_EQ(allOf(s, text), expected);
  EXPECT_EQ(expected.size(), 334u);
}

TEST(Searcher, CopiesShareTheCompiledForm) {
  Searcher a = Searcher::regex("(ab|cd)+x", true);
  const Searcher b = a;
  a = Searcher::regex("zz", true);
  EXPECT_EQ(allOf(b, "xabcdx"), (Found{{1, 5}}));
  EXPECT_EQ(allOf(a, "xabcdx"), Found{});
}

}  // namespace
}  // namespace tw
