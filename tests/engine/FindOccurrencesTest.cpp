#include "engine/FindOccurrences.h"

#include "engine/ScriptedHost.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tw {
namespace {

// The occurrences find reports are the ones a pass replaces: rebuilding the pass's output
// from them gives the pass's output, under every switch and with the filename-reference guard
// on and off, over random texts.
TEST(ForEachOccurrence, ReportsExactlyWhatAPassReplaces) {
  std::mt19937 random(20240611);
  const std::string alphabet = "aAb \n\r\"=href>%";
  const std::vector<std::string> finds = {"a",           "ab",   "A a",    "a%anything%b",
                                          "%anything%a", "href", "a\r\nb", "\"a"};
  const std::vector<std::string> patterns = {"a+b?", "^a", "b$", "[ab]+\\s", "(ab|a)a", "\\r\\n"};
  const auto randomText = [&] {
    std::string text(random() % 40, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    return text;
  };
  for (int round = 0; round < 400; ++round) {
    PassSettings settings;
    settings.Flags.CaseSensitive = random() % 2 == 0;
    settings.Flags.WholeWordsOnly = random() % 2 == 0;
    settings.Flags.Anything = random() % 2 == 0;
    settings.Flags.Regular = random() % 3 == 0;
    settings.DoNotChangeFilenameReferences = random() % 2 == 0;
    const std::vector<std::string>& choices = settings.Flags.Regular ? patterns : finds;
    const StringPair pair{choices[random() % choices.size()], "<>"};
    std::string text = randomText();
    if (random() % 2 == 0) text = "<a href=\"" + text + "\">" + randomText();

    test::ScriptedHost host;
    RunDecision decision;
    YieldThrottle throttle(host);
    PassContext context{host, decision, throttle, settings, "page.htm"};
    const PreparedPair prepared(pair, settings);
    std::string passOutput;
    if (ApplyPair(text, prepared, context, passOutput) == 0) passOutput = text;

    std::string rebuilt;
    int64_t copied = 0;
    ForEachOccurrence(text, prepared, settings.DoNotChangeFilenameReferences,
                      [&](const Occurrence& found) {
                        EXPECT_GE(found.start, copied);
                        rebuilt.append(text, copied, found.start - copied).append(pair.Replace);
                        copied = found.last + 1;
                        return true;
                      });
    rebuilt.append(text, copied);
    EXPECT_EQ(rebuilt, passOutput) << "find \"" << pair.Find << "\" in \"" << text << "\"";
  }
}

// An occurrence left alone inside an HREF value is passed over one byte at a time, so one
// that begins inside it and ends outside the value is still found.
TEST(ForEachOccurrence, AReferenceLeftAloneResumesOneByteAfterItsStart) {
  PassSettings settings;
  settings.Flags.Regular = true;
  const PreparedPair pair(StringPair{"(ab|bc\"x)", ""}, settings);
  std::vector<std::pair<int64_t, int64_t>> found;
  const auto collect = [&](const Occurrence& o) {
    found.emplace_back(o.start, o.last);
    return true;
  };
  ForEachOccurrence("<a href=\"abc\"x\">", pair, true, collect);
  EXPECT_EQ(found, (std::vector<std::pair<int64_t, int64_t>>{{10, 13}}));
  found.clear();
  ForEachOccurrence("<a href=\"abc\"x\">", pair, false, collect);
  EXPECT_EQ(found, (std::vector<std::pair<int64_t, int64_t>>{{9, 10}}));
}

TEST(ForEachOccurrence, StopsWhenAsked) {
  PassSettings settings;
  const PreparedPair pair(StringPair{"a", ""}, settings);
  int visits = 0;
  ForEachOccurrence("aaaa", pair, false, [&](const Occurrence&) { return ++visits < 2; });
  EXPECT_EQ(visits, 2);
}

}  // namespace
}  // namespace tw
