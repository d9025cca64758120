#include "engine/ApplyPair.h"

#include "engine/ScriptedHost.h"

#include "engine/LiteralOracle.h"
#include "engine/MatcherReference.h"
#include "engine/RegexMatcher.h"

#include <gtest/gtest.h>

#include <random>

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

  std::pair<std::string, int64_t> apply(std::string_view text, const StringPair& pair,
                                        bool unixPair = false) {
    PreparedPair prepared(pair, settings, unixPair);
    PassContext context{host, decision, throttle, settings, path};
    std::string output;
    int64_t count = ApplyPair(text, prepared, context, output);
    return {count == 0 ? std::string(text) : output, count};
  }
};

TEST(ApplyPair, ReplacedOccurrencesDoNotOverlapAndInsertedTextIsNotRescanned) {
  Pass pass;
  EXPECT_EQ(pass.apply("aaaa", {"aa", "a"}), std::make_pair(std::string("aa"), int64_t{2}));
  EXPECT_EQ(pass.apply("abab", {"ab", "abab"}),
            std::make_pair(std::string("abababab"), int64_t{2}));
  EXPECT_EQ(pass.apply("", {"x", "y"}), std::make_pair(std::string(""), int64_t{0}));
  EXPECT_EQ(pass.apply("no match here", {"zz", "y"}),
            std::make_pair(std::string("no match here"), int64_t{0}));
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

// A sink that keeps every piece it takes, and refuses the piece numbered `refuseAt` (from 1).
struct RecordingSink : PassSink {
  std::vector<std::string_view> pieces;
  std::string taken;
  size_t refuseAt = 0;
  bool take(std::string_view piece) override {
    pieces.push_back(piece);
    if (pieces.size() == refuseAt) return false;
    taken.append(piece);
    return true;
  }
};

// The last pass hands its output on in pieces that are written as they come: each piece made
// in the pass's buffer is at most kPassPiece (the write path relies on that to stay in the
// processor's cache), an unchanged stretch longer than a piece goes on straight from the text,
// the pieces add up to exactly the whole output, and a refused piece ends the pass.
TEST(ApplyPair, SinkTakesTheOutputInBoundedPiecesAndLongStretchesAsTheyStand) {
  struct Case {
    const char* what;
    std::vector<size_t> occurrences;  // where "colour" is put into a text of `length` bytes
    size_t length;
    size_t refuseAt;
    bool dense;        // "colour" every 1009 bytes besides
    bool longStretch;  // a piece longer than kPassPiece, straight from the text
  };
  const size_t piece = kPassPiece;
  const std::vector<Case> cases = {
      {"dense", {}, 3 * piece + piece / 2, 0, true, false},
      {"a stretch longer than a piece",
       {5, 2 * piece + 7, 3 * piece},
       3 * piece + 100,
       0,
       false,
       true},
      {"only at the end", {4 * piece - 6}, 4 * piece, 0, false, true},
      {"nothing found", {}, 2 * piece, 0, false, false},
      {"the second piece refused", {}, 3 * piece, 2, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text(c.length, 'x');
    for (size_t at = 0; at < text.size(); at += 61) text[at] = '\n';
    if (c.dense) {
      for (size_t at = 0; at + 6 <= text.size(); at += 1009) text.replace(at, 6, "colour");
    }
    for (size_t at : c.occurrences) text.replace(at, 6, "colour");
    const bool found = text.find("colour") != std::string::npos;

    Pass pass;
    PreparedPair prepared({"colour", "color"}, pass.settings);
    PassContext context{pass.host, pass.decision, pass.throttle, pass.settings, pass.path};
    RecordingSink sink;
    sink.refuseAt = c.refuseAt;
    std::string buffer;
    ApplyPair(text, prepared, context, buffer, &sink);

    std::string expected;
    for (size_t from = 0, at; from <= text.size(); from = at + 6) {
      at = text.find("colour", from);
      expected.append(text, from, at == std::string::npos ? std::string::npos : at - from);
      if (at == std::string::npos) break;
      expected += "color";
    }
    if (c.refuseAt != 0) {
      EXPECT_EQ(sink.pieces.size(), c.refuseAt);  // nothing more after the refusal
      EXPECT_EQ(expected.compare(0, sink.taken.size(), sink.taken), 0);
      continue;
    }
    if (!found) {
      EXPECT_TRUE(sink.pieces.empty());
      continue;
    }
    EXPECT_TRUE(sink.taken == expected);
    bool longStretch = false;
    for (std::string_view p : sink.pieces) {
      const bool inText =
          p.data() >= text.data() && p.data() + p.size() <= text.data() + text.size();
      EXPECT_TRUE(p.size() <= piece || inText) << p.size();
      longStretch = longStretch || (inText && p.size() > piece);
    }
    EXPECT_EQ(longStretch, c.longStretch);
    EXPECT_LE(buffer.capacity(), 2 * piece);  // the pass's buffer holds a piece, not the file
  }
}

TEST(SearchedFindText, TrimsSpacesOnlyWhileLongerThanOneCharacter) {
  EXPECT_EQ(SearchedFindText("  a", true, true), "a");
  EXPECT_EQ(SearchedFindText("a  ", true, true), "a");
  EXPECT_EQ(SearchedFindText(" a b ", true, true), "a b");
  EXPECT_EQ(SearchedFindText(" a ", true, false), "a ");
  EXPECT_EQ(SearchedFindText(" a ", false, true), " a");
  EXPECT_EQ(SearchedFindText(" a ", false, false), " a ");
  EXPECT_EQ(SearchedFindText(" ", true, true), " ");
  EXPECT_EQ(SearchedFindText("   ", true, true), "   ");      // never trimmed to nothing
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
    auto [out, count] =
        pass.apply("abc\r\ndef\r\n\r\nlone\rcr\n", {std::string(kUnixPairFind), "\n"}, true);
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

namespace tw {
namespace {

// The simple algorithm the searcher and the filename-reference check stand in for: ask the
// position tests at every position.
int64_t ApplyPairOneByOne(std::string_view text, const std::string& find,
                          const std::string& replace, const PassSettings& settings,
                          RunDecision& decision, RunHost& host, std::string& output) {
  output.clear();
  const int64_t n = static_cast<int64_t>(text.size());
  int64_t count = 0;
  int64_t s = 0;
  const ReplaceFlags& f = settings.Flags;
  while (s < n) {
    int64_t e =
        f.Regular ? RegexMatchAt(text, s, find, f.CaseSensitive)
                  : MatchLiteralAt(text, s, find, {f.CaseSensitive, f.WholeWordsOnly, f.Anything});
    if (e >= 0 && settings.DoNotChangeFilenameReferences && reference::filenameReference(text, e))
      e = -1;
    if (e >= 0 && f.Confirm && decision.asks()) {
      ConfirmRequest request;
      decision.set(host.confirm(request));
    }
    if (e >= 0 && (!f.Confirm || decision.replaces())) {
      ++count;
      output += replace;
      s = e + 1;
    } else {
      output += text[static_cast<size_t>(s)];
      ++s;
    }
  }
  return count;
}

// Answers from a fixed pseudo-random sequence, the same for both algorithms.
class SequenceHost : public RunHost {
 public:
  explicit SequenceHost(uint32_t seed) : m_state(seed) {}
  ConfirmDecision confirm(const ConfirmRequest&) override {
    m_state = m_state * 1103515245u + 12345u;
    static constexpr ConfirmDecision kAnswers[] = {
        ConfirmDecision::ReplaceThis,      ConfirmDecision::ReplaceThis,
        ConfirmDecision::SkipThis,         ConfirmDecision::SkipThis,
        ConfirmDecision::ReplaceAllInFile, ConfirmDecision::SkipAllInFile};
    return kAnswers[(m_state >> 16) % 6];
  }

 private:
  uint32_t m_state;
};

// Random texts under every combination of the six switches that change a pass. The last
// patterns end an occurrence before the previous one's end, across a stop character of the
// filename-reference check.
TEST(ApplyPair, GivesTheResultsOfTestingEveryPosition) {
  std::mt19937 rng(4242);
  const std::string alphabet = "aab b\"=hrefHREF<>%\r\n.x";
  const std::vector<std::string> literalFinds = {
      "a",    "ab", "aa", "b a", "a%anything%b", "%anything%a", "x%anything%", "A", "\r\n",
      "href", ".x", "ba", " "};
  const std::vector<std::string> patterns = {"a+",     "a*b",    "[ab]", "^a",      "a$",
                                             "(a|b)x", "\\r\\n", ".a",   "a?b",     "[^a]b",
                                             "x{1,2}", "\\w+",   "b{}",  "(a.+|b)", "(h.+|e)"};
  auto randomText = [&](size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i) text += alphabet[rng() % alphabet.size()];
    return text;
  };
  for (int round = 0; round < 3000; ++round) {
    PassSettings settings;
    const int flags = round % 64;
    settings.Flags.Regular = (flags & 1) != 0;
    settings.Flags.CaseSensitive = (flags & 2) != 0;
    settings.Flags.WholeWordsOnly = (flags & 4) != 0;
    settings.Flags.Anything = (flags & 8) == 0;
    settings.Flags.Confirm = (flags & 16) != 0;
    settings.DoNotChangeFilenameReferences = (flags & 32) != 0;
    const std::vector<std::string>& finds = settings.Flags.Regular ? patterns : literalFinds;
    const StringPair pair{finds[rng() % finds.size()], rng() % 2 ? "R" : ""};
    std::string text = randomText(rng() % 60);
    if (rng() % 4 == 0) text = "<a href=\"" + text + "\">" + text;

    const uint32_t seed = static_cast<uint32_t>(round);
    SequenceHost fastHost(seed), slowHost(seed);
    RunDecision fastDecision, slowDecision;
    YieldThrottle throttle(fastHost);
    PreparedPair prepared(pair, settings);
    PassContext context{fastHost, fastDecision, throttle, settings, "f"};
    std::string fast, slow;
    const int64_t fastCount = ApplyPair(text, prepared, context, fast);
    if (fastCount == 0) fast = text;
    const int64_t slowCount = ApplyPairOneByOne(text, prepared.searchedFind(), pair.Replace,
                                                settings, slowDecision, slowHost, slow);
    ASSERT_EQ(fast, slow) << "find \"" << pair.Find << "\" in \"" << text << "\" round " << round;
    ASSERT_EQ(fastCount, slowCount) << round;
    ASSERT_EQ(fastDecision.value(), slowDecision.value()) << round;
  }
}

}  // namespace
}  // namespace tw
