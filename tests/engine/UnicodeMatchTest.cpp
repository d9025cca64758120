// Unicode letters at the seam where a pass meets them: the occurrences a pass takes, one after
// the other, for the literal matcher and the pattern language.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Searcher.h"
#include "support/UnicodeExpectations.h"
#include "text/Unicode.h"

namespace tw {
namespace {

enum Mode { Literal, WholeWords, Pattern };

struct Case {
  const char* name;
  Mode mode;
  bool caseSensitive;
  std::string find;
  std::string text;
  std::vector<std::string> expected;  // the occurrences, in order
  bool unicode = true;
};

std::vector<std::string> passOf(const Case& c) {
  const Searcher searcher =
      c.mode == Pattern
          ? Searcher::regex(c.find, c.caseSensitive, c.unicode)
          : Searcher::literal(
                c.find, LiteralOptions{c.caseSensitive, c.mode == WholeWords, true, c.unicode});
  std::vector<std::string> found;
  int64_t from = 0;
  while (const auto occ = searcher.findFrom(c.text, from)) {
    found.push_back(c.text.substr(static_cast<size_t>(occ->start),
                                  static_cast<size_t>(occ->last - occ->start + 1)));
    from = occ->last + 1;
  }
  return found;
}

TEST(UnicodeLetters, OccurrencesOfAPass) {
  const Case cases[] = {
      {"umlaut", Literal, false, "äpfel", "Äpfel, äpfel, ÄPFEL", {"Äpfel", "äpfel", "ÄPFEL"}},
      {"acute", Literal, false, "école", "ÉCOLE École", {"ÉCOLE", "École"}},
      {"sigma in three forms", Literal, false, "σ", "ΣσςS", {"Σ", "σ", "ς"}},
      {"ligature", Literal, false, "ĳs", "Ĳs ĳS", {"Ĳs", "ĳS"}},
      {"sharp s is not ss", Literal, false, "ß", "ss SS ß ẞ", {"ß", "ẞ"}},
      {"kelvin sign and long s", Literal, false, "ks", "KS \u212Aſ ks", {"KS", "\u212Aſ", "ks"}},
      {"dotted capital I only itself", Literal, false, "i", "İ I", {"I"}},
      {"case sensitive", Literal, true, "Äpfel", "äpfel Äpfel ÄPFEL", {"Äpfel"}},
      {"without unicode letters: ASCII only",
       Literal,
       false,
       "äpfel",
       "Äpfel äpfel",
       {"äpfel"},
       false},
      {"script token across characters", Literal, false, "é%anything%ü", "éxyΣÜ and é", {"éxyΣÜ"}},
      {"script token then a wide character",
       Literal,
       false,
       "a%anything%中",
       "a文 b中 a中",
       {"a文 b中", "a中"}},
      {"quotes, guillemets, dash, no-break space",
       WholeWords,
       false,
       "word",
       "“word” «Word» word—word\u00A0word sword wordy",
       {"word", "Word", "word", "word", "word"}},
      {"without unicode letters quotes join words",
       WholeWords,
       false,
       "word",
       "“word” word",
       {"word"},
       false},
      {"CJK", WholeWords, false, "中文", "中文 中文字 (中文)", {"中文", "中文"}},
      {"decomposed accent joins the word", WholeWords, false, "cafe", "cafe\u0301 cafe", {"cafe"}},
      {"underscore and digits", WholeWords, false, "x", "x_1 x1 x٣ x", {"x", "x"}},
      {"dot takes a character", Pattern, false, "caf.", "café cafe", {"café", "cafe"}},
      {"class with a range beyond ASCII", Pattern, false, "[à-ÿ]", "voilà ça", {"à", "ç"}},
      {"negated class takes a character", Pattern, false, "[^a]", "aéa", {"é"}},
      {"classes compare exactly", Pattern, false, "[σ]", "Σσς", {"σ"}},
      {"literal characters fold", Pattern, false, "(ÄPFEL|s)", "äpfel ſ", {"äpfel", "ſ"}},
      {"digits and words", Pattern, false, "\\d+", "١٢٣ 45", {"١٢٣", "45"}},
      {"words stop at punctuation", Pattern, false, "\\w+", "naïve—été", {"naïve", "été"}},
      {"code point escape", Pattern, true, "\\xE9", "é\xE9", {"é"}},
      {"odd bytes are characters of their own", Pattern, false, ".", "a\xC3z", {"a", "\xC3", "z"}},
      {"a find text that is not UTF-8 matches bytes",
       Literal,
       false,
       "caf\xE9",
       "CAF\xE9 café",
       {"CAF\xE9"}},
  };
  for (const Case& c : cases) EXPECT_EQ(passOf(c), c.expected) << c.name;
}

std::string utf8(char32_t c) {
  unsigned char bytes[4];
  const int length = text::encodeCharacter(c, bytes);
  return std::string(reinterpret_cast<char*>(bytes), static_cast<size_t>(length));
}

// Python's casefold and categories (tests/data/unicode/generate.py) through both matchers:
// every character is found by its folding ignoring case, and "x" next to a character is a
// whole word exactly when that character is not a letter, mark or digit.
TEST(UnicodeLetters, BothMatchersAgreeWithPythonsDatabase) {
  const LiteralOptions ignoringCase{false, false, true, true};
  const LiteralOptions wholeWords{true, true, true, true};
  for (const test::UnicodeExpectation& x : test::ReadUnicodeExpectations()) {
    const std::string c = utf8(x.code);
    if (x.fold) {
      const std::string folded = utf8(x.folded);
      const std::string text = "<" + c + ">";
      const auto literal = Searcher::literal(folded, ignoringCase).findFrom(text, 0);
      const auto pattern = Searcher::regex("<" + folded + ">", false, true).findFrom(text, 0);
      ASSERT_TRUE(literal && literal->start == 1 && literal->last == static_cast<int64_t>(c.size()))
          << x.line;
      ASSERT_TRUE(pattern && pattern->start == 0) << x.line;
    } else {
      for (const std::string& text : {"x" + c, c + "x"}) {
        EXPECT_EQ(Searcher::literal("x", wholeWords).findFrom(text, 0).has_value(), !x.word)
            << x.line;
      }
    }
  }
}

}  // namespace
}  // namespace tw
