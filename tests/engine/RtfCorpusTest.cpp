// The reader and the splice writer on every document of the corpus: documents written by
// pandoc and LibreOffice from texts of ours, and the hand-written cases.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "RtfTestData.h"
#include "engine/rtf/RtfSplice.h"

namespace tw::rtf {
namespace {

TEST(RtfCorpus, WordProcessorDocumentsReadAsTheirText) {
  for (const char* name : {"pandoc-letter.rtf", "lo-letter.rtf"}) {
    const Document doc = parse(test::readRtfData(name));
    for (const char* expected :
         {"Thornbury,\r\n", "The crème brûlée recipe was a delight, and the price of €12",
          "Here is a link to the society and a footnote about soil.\r\n",
          "Lines of a verse\vkept together\vwith hard breaks.\r\n", "Second item, naïve and café",
          "Привет, мир", "Greek: Ωμέγα. Emoji: 😀 and 🌱. Symbols: — – … ‘quoted’ “double”.",
          "Yours sincerely,\vThe Gardener"}) {
      EXPECT_NE(doc.plain.find(expected), std::string::npos) << name << ": " << expected;
    }
    // The footnote, the link target and the font names are not text.
    EXPECT_EQ(doc.plain.find("humus"), std::string::npos) << name;
    EXPECT_EQ(doc.plain.find("example.org"), std::string::npos) << name;
    EXPECT_EQ(doc.plain.find("Times"), std::string::npos) << name;
  }
  for (const char* name : {"pandoc-report.rtf", "lo-report-odt.rtf", "lo-report-html.rtf"}) {
    const Document doc = parse(test::readRtfData(name));
    for (const char* expected :
         {"Red figures were rare; underlined notes follow.", "Über-große Änderungen",
          "π ≈ 3.14159, 😀 smile, Ελληνικά, 日本語.", "Centered closing line."}) {
      EXPECT_NE(doc.plain.find(expected), std::string::npos) << name << ": " << expected;
    }
  }
  // LibreOffice writes list numbers as \listtext, which is not text, and tables with \cell/\row.
  const Document lo = parse(test::readRtfData("lo-report-html.rtf"));
  EXPECT_NE(lo.plain.find("\r\nRevenue rose by 4 %\r\n"), std::string::npos);
  EXPECT_NE(lo.plain.find("North\tup\t\r\n"), std::string::npos);
}

// True when `part` is a subsequence of `whole`.
bool keptInOrder(const std::string& part, const std::string& whole) {
  std::size_t at = 0;
  for (char c : part) {
    at = whole.find(c, at);
    if (at == std::string::npos) return false;
    ++at;
  }
  return true;
}

// Several passes of random replacements of whole characters on every corpus document. Each
// pass must read back as exactly the expected text (the safety net never has to step in),
// and every source byte outside the deleted characters must still be there, in order.
TEST(RtfCorpus, RandomEditsReadBackAsExpectedAndKeepEverythingElse) {
  const std::vector<std::string> replacements = {"{",    "}",  "\\", "é", "€",  "😀",
                                                 "\r\n", "x1", "-",  "",  "a b"};
  std::size_t passes = 0;
  std::size_t applied = 0;
  for (const std::string& name : test::rtfCorpus()) {
    std::mt19937 rng(static_cast<unsigned>(std::hash<std::string>{}(name)));
    const Document original = parse(test::readRtfData(name));
    for (int round = 0; round < 40; ++round) {
      Document doc = original;
      for (int pass = 0; pass < 3 && !doc.units.empty(); ++pass) {
        std::vector<Edit> edits;
        std::size_t unit = std::uniform_int_distribution<std::size_t>(0, doc.units.size() - 1)(rng);
        const int count = std::uniform_int_distribution<int>(1, 3)(rng);
        for (int k = 0; k < count && unit < doc.units.size(); ++k) {
          const std::size_t length = std::uniform_int_distribution<std::size_t>(0, 6)(rng);
          const std::size_t last = std::min(doc.units.size(), unit + length);
          const std::size_t begin = doc.units[unit].plainBegin;
          const std::size_t end =
              last < doc.units.size() ? doc.units[last].plainBegin : doc.plain.size();
          edits.push_back({begin, end - begin, replacements[rng() % replacements.size()]});
          unit = last + std::uniform_int_distribution<std::size_t>(0, 40)(rng);
        }
        const SpliceOutput raw = spliceEdits(doc, edits);
        std::string kept;
        std::uint32_t at = 0;
        for (const auto& [from, to] : raw.deleted) {
          if (from > at) kept.append(doc.source, at, from - at);
          at = std::max(at, to);
        }
        kept.append(doc.source, at, std::string::npos);
        ASSERT_TRUE(keptInOrder(kept, raw.rtf)) << name << " round " << round << " pass " << pass;

        SpliceResult r = applyEdits(doc, edits);
        ASSERT_TRUE(r.verified) << name << " round " << round << " pass " << pass << "\n"
                                << doc.source << "\n---\n"
                                << raw.rtf;
        ASSERT_EQ(r.rtf, raw.applied ? raw.rtf : doc.source);
        ++passes;
        applied += r.applied;
        doc = std::move(r.document);
      }
    }
  }
  EXPECT_GT(passes, 1000u);
  EXPECT_GT(applied, passes / 2);  // most random edits are applied, not refused
}

}  // namespace
}  // namespace tw::rtf
