#include "engine/ApplyPair.h"

#include "engine/ScriptedHost.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

using test::ScriptedHost;

// One pass of `pair` over `text` with the given settings; the host and decision persist
// across calls of the same harness, as they do across the passes of a run.
struct Pass {
  PassSettings settings;
  ScriptedHost host;
  RunDecision decision;
  YieldThrottle throttle{host};
  std::string path = "/data/site/page.htm";

  std::pair<std::string, int64_t> apply(std::string_view text, const StringPair& pair, bool unixPair = false) {
    PreparedPair prepared(pair, settings, unixPair);
    PassContext context{host, decision, throttle, settings, path};
    std::string output;
    int64_t count = ApplyPair(text, prepared, context, output);
    return {output, count};
  }
};

TEST(ApplyPair, ReplacedOccurrencesDoNotOverlapAndInsertedTextIsNotRescanned) {
  Pass pass;
  EXPECT_EQ(pass.apply("aaaa", {"aa", "a"}), std::make_pair(std::string("aa"), int64_t{2}));
  EXPECT_EQ(pass.apply("abab", {"ab", "abab"}), std::make_pair(std::string("abababab"), int64_t{2}));
  EXPECT_EQ(pass.apply("", {"x", "y"}), std::make_pair(std::string(""), int64_t{0}));
  EXPECT_EQ(pass.apply("no match here", {"zz", "y"}), std::make_pair(std::string("no match here"), int64_t{0}));
}

TEST(ApplyPair, KeepsEveryByteOutsideOccurrences) {
  Pass pass;
  const std::string text = std::string("\0\xff\xe9-colour-\r\n\x80", 14);
  auto [out, count] = pass.apply(text, {"colour", "color"});
  EXPECT_EQ(count, 1);
  EXPECT_EQ(out, std::string("\0\xff\xe9-color-\r\n\x80", 13));
}

TEST(ApplyPair, SkippedOccurrenceResumesOneByteAfterItsStart) {
  Pass pass;
  pass.settings.Flags.Confirm = true;
  pass.host.answers = {ConfirmDecision::SkipThis, ConfirmDecision::ReplaceThis};
  auto [out, count] = pass.apply("aaa", {"aa", "X"});
  EXPECT_EQ(out, "aX");
  EXPECT_EQ(count, 1);
  ASSERT_EQ(pass.host.asked.size(), 2u);
  EXPECT_EQ(pass.host.asked[1].excerpt, "aaa");
  EXPECT_EQ(pass.host.asked[1].occurrenceStart, 1);
}

TEST(ApplyPair, FilenameReferencesAreLeftAloneWhenAsked) {
  Pass pass;
  const std::string text = "<a href=\"page.htm\">page.htm</a> <a title=\"page.htm\">";
  pass.settings.DoNotChangeFilenameReferences = true;
  auto [guarded, n1] = pass.apply(text, {"page.htm", "new.htm"});
  EXPECT_EQ(guarded, "<a href=\"page.htm\">new.htm</a> <a title=\"new.htm\">");
  EXPECT_EQ(n1, 2);
  pass.settings.DoNotChangeFilenameReferences = false;
  auto [all, n2] = pass.apply(text, {"page.htm", "new.htm"});
  EXPECT_EQ(n2, 3);
}

TEST(ApplyPair, RefusedReferenceIsNotOfferedForConfirmation) {
  Pass pass;
  pass.settings.DoNotChangeFilenameReferences = true;
  pass.settings.Flags.Confirm = true;
  pass.host.answers = {ConfirmDecision::ReplaceThis};
  auto [out, count] = pass.apply("<a href=\"x.htm\">x.htm", {"x.htm", "y"});
  EXPECT_EQ(out, "<a href=\"x.htm\">y");
  EXPECT_EQ(pass.host.asked.size(), 1u);
}

TEST(SearchedFindText, TrimsSpacesOnlyWhileLongerThanOneCharacter) {
  EXPECT_EQ(SearchedFindText("  a", true, true), "a");
  EXPECT_EQ(SearchedFindText("a  ", true, true), "a");
  EXPECT_EQ(SearchedFindText(" a b ", true, true), "a b");
  EXPECT_EQ(SearchedFindText(" a ", true, false), "a ");
  EXPECT_EQ(SearchedFindText(" a ", false, true), " a");
  EXPECT_EQ(SearchedFindText(" a ", false, false), " a ");
  EXPECT_EQ(SearchedFindText(" ", true, true), " ");
  EXPECT_EQ(SearchedFindText("   ", true, true), "   ");  // never trimmed to nothing
  EXPECT_EQ(SearchedFindText("\ta\t", true, true), "\ta\t");  // only spaces are trimmed
}

TEST(ApplyPair, TrimmedFindIsSearchedButTheDialogShowsTheListedTexts) {
  Pass pass;
  pass.settings.Flags.Confirm = true;
  pass.host.answers = {ConfirmDecision::ReplaceThis};
  auto [out, count] = pass.apply("x b y", {"  b", " B "});
  EXPECT_EQ(out, "x  B  y");
  ASSERT_EQ(pass.host.asked.size(), 1u);
  EXPECT_EQ(pass.host.asked[0].find, "  b");
  EXPECT_EQ(pass.host.asked[0].replace, " B ");
  EXPECT_EQ(pass.host.asked[0].path, pass.path);
}

TEST(ApplyPair, UnixPairConvertsEveryCrLfEvenWithWholeWordsOnly) {
  for (bool regular : {false, true}) {
    Pass pass;
    pass.settings.Flags.WholeWordsOnly = true;
    pass.settings.Flags.Regular = regular;
    auto [out, count] = pass.apply("abc\r\ndef\r\n\r\nlone\rcr\n", {std::string(kUnixPairFind), "\n"}, true);
    EXPECT_EQ(out, "abc\ndef\n\nlone\rcr\n");
    EXPECT_EQ(count, 3);
  }
}

TEST(ApplyPair, RowWithoutFindTextChangesNothing) {
  Pass pass;
  EXPECT_EQ(pass.apply("abc", {"", "x"}), std::make_pair(std::string("abc"), int64_t{0}));
}

TEST(ApplyPair, ExcerptShowsUpTo300BytesBeforeFromTheOutputAnd500FromTheInput) {
  Pass pass;
  pass.settings.Flags.Confirm = true;
  pass.host.answers = {ConfirmDecision::ReplaceThis, ConfirmDecision::ReplaceThis};
  std::string text = "0123456789cat" + std::string(1000, '.') + "cat" + std::string(600, '-');
  pass.apply(text, {"cat", "DOG"});
  ASSERT_EQ(pass.host.asked.size(), 2u);
  const ConfirmRequest& first = pass.host.asked[0];
  EXPECT_EQ(first.occurrenceStart, 10);
  EXPECT_EQ(first.occurrenceLength, 3);
  EXPECT_EQ(first.excerpt.substr(0, 13), "0123456789cat");
  EXPECT_EQ(first.excerpt.size(), 510u);
  const ConfirmRequest& second = pass.host.asked[1];
  EXPECT_EQ(second.occurrenceStart, 300);
  EXPECT_EQ(second.excerpt.substr(300, 3), "cat");
  EXPECT_EQ(second.excerpt.size(), 800u);
  EXPECT_EQ(second.excerpt.substr(0, 300), std::string(300, '.'));
}

TEST(ApplyPair, ExcerptShowsEarlierReplacementsOfThePass) {
  Pass pass;
  pass.settings.Flags.Confirm = true;
  pass.host.answers = {ConfirmDecision::ReplaceThis, ConfirmDecision::SkipThis};
  pass.apply("cat cat", {"cat", "DOG"});
  ASSERT_EQ(pass.host.asked.size(), 2u);
  EXPECT_EQ(pass.host.asked[1].excerpt, "DOG cat");
  EXPECT_EQ(pass.host.asked[1].occurrenceStart, 4);
}

TEST(BuildConfirmRequest, LongOccurrenceAndZeroBytesAreCut) {
  const std::string longText = "ab" + std::string(700, 'x');
  ConfirmRequest cut = BuildConfirmRequest(longText, "ab", 2, 700);
  EXPECT_EQ(cut.excerpt.size(), 502u);
  EXPECT_EQ(cut.occurrenceStart, 2);
  EXPECT_EQ(cut.occurrenceLength, 500);

  const std::string withZero = std::string("abc\0def", 7);
  ConfirmRequest zeroAfter = BuildConfirmRequest(withZero, "ab", 2, 3);
  EXPECT_EQ(zeroAfter.excerpt, "abc");
  EXPECT_EQ(zeroAfter.occurrenceLength, 1);

  ConfirmRequest zeroBefore = BuildConfirmRequest("xyz", std::string("a\0b", 3), 0, 2);
  EXPECT_EQ(zeroBefore.excerpt, "a");
  EXPECT_EQ(zeroBefore.occurrenceStart, 1);
  EXPECT_EQ(zeroBefore.occurrenceLength, 0);
}

TEST(ApplyPair, SkipAllFilesEndsTheQuestionsAndTheReplacements) {
  Pass pass;
  pass.settings.Flags.Confirm = true;
  pass.host.answers = {ConfirmDecision::ReplaceThis, ConfirmDecision::SkipAllFiles};
  auto [out, count] = pass.apply("a a a a", {"a", "b"});
  EXPECT_EQ(out, "b a a a");
  EXPECT_EQ(count, 1);
  EXPECT_EQ(pass.host.asked.size(), 2u);
  auto [again, none] = pass.apply("a a", {"a", "b"});
  EXPECT_EQ(none, 0);
  EXPECT_EQ(pass.host.asked.size(), 2u);
}

}  // namespace
}  // namespace tw
