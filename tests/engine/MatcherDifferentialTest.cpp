// The fast matchers and the searcher against the step-by-step reference versions, on
// random texts, find strings and patterns. The counts are bounded so that the whole run
// stays short in the sanitizer build.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/FilenameReferenceCheck.h"
#include "engine/LiteralOracle.h"
#include "engine/MatcherReference.h"
#include "engine/RegexMatcher.h"
#include "engine/RegexProgram.h"
#include "engine/Searcher.h"
#include "engine/UnicodeLiteralOracle.h"
#include "text/Unicode.h"
#include "text/Utf8.h"

namespace tw {
namespace {

class Generator {
 public:
  explicit Generator(uint32_t seed) : m_rng(seed) {}

  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
  bool chance(int percent) { return below(100) < percent; }

  // A few characters that most texts and find strings of one round are made of, so that
  // occurrences are frequent.
  void newPalette() {
    m_palette.clear();
    const int count = 2 + below(5);
    for (int k = 0; k < count; ++k) m_palette += anyChar();
  }

  char textChar() {
    if (!m_palette.empty() && chance(85)) {
      return m_palette[static_cast<size_t>(below(static_cast<int>(m_palette.size())))];
    }
    return anyChar();
  }

  char anyChar() {
    static const std::string alphabet = "aAbBcxX12 -\r\n\t%\"=_.()|\xE9\xC9\x80\xFF";
    if (chance(3)) return static_cast<char>(below(256));
    if (chance(2)) return '\0';
    return alphabet[static_cast<size_t>(below(static_cast<int>(alphabet.size())))];
  }

  std::string text(int maxLength) {
    std::string t;
    const int length = below(maxLength + 1);
    while (static_cast<int>(t.size()) < length) {
      if (chance(3)) {
        t.append(static_cast<size_t>(below(300)), chance(50) ? 'a' : '\n');
      } else if (chance(4)) {
        t += "\r\n";
      } else {
        t += textChar();
      }
    }
    return t;
  }

  std::string findString(const std::string& text) {
    std::string f;
    const int n = static_cast<int>(text.size());
    if (n > 2 && chance(40)) {
      // Pieces of the text joined by tokens, in text order.
      int at = below(n);
      f = text.substr(static_cast<size_t>(at), static_cast<size_t>(below(3)));
      const int tokens = 1 + below(2);
      for (int k = 0; k < tokens && at < n; ++k) {
        at += static_cast<int>(f.size()) + below(8);
        if (at >= n) break;
        f += "%anything%";
        f += text.substr(static_cast<size_t>(at), static_cast<size_t>(1 + below(3)));
      }
      if (chance(15)) f += textChar();
      if (!f.empty()) return f;
    }
    if (!text.empty() && chance(40)) {
      const int start = below(static_cast<int>(text.size()));
      f = text.substr(static_cast<size_t>(start), static_cast<size_t>(1 + below(6)));
    }
    const int pieces = below(5);
    for (int k = 0; k < pieces; ++k) {
      switch (below(6)) {
        case 0:
          f += "%anything%";
          break;
        case 1:
          f += chance(50) ? "%ANYTHING%" : "%anything";
          break;
        default:
          f += textChar();
          break;
      }
    }
    if (f.empty()) f += textChar();
    if (chance(20) && f.size() > 2)
      f.insert(static_cast<size_t>(below(static_cast<int>(f.size()))), "%anything%");
    return f;
  }

  std::string quantifier() {
    static const std::vector<std::string> q = {
        "*",         "+",      "?",     "{2}", "{1,3}", "{,2}", "{2,}", "{}",       "{,}", "{0}",
        "{ 1 , 2 }", "{1000}", "{3,1}", "{1",  "{x}",   "**",   "{0,}", "{2,0300}", "?+"};
    return q[static_cast<size_t>(below(static_cast<int>(q.size())))];
  }

  std::string element(int depth) {
    static const std::vector<std::string> escapes = {
        "\\d",   "\\D",   "\\s",  "\\S", "\\w", "\\W", "\\r",  "\\n", "\\t", "\\x41", "\\x61",
        "\\xe9", "\\xG1", "\\x4", "\\.", "\\(", "\\)", "\\\\", "\\q", "\\A", "\\|",   "\\-"};
    static const std::vector<std::string> members = {
        "a", "b", "A",     "a-c",   "z-a", "\\d", "\\s",  "\\w",    "\\W", "\\-",   "\\]",
        "-", "^", "\\x41", "\\xZZ", "\\n", "\r",  "\xE9", "\x80-z", "0-9", "\\a-c", "]"};
    std::string e;
    switch (below(depth > 3 ? 7 : 9)) {
      case 0:
      case 1:
      case 2:
        e = std::string(1, textChar());
        break;
      case 3:
        e = escapes[static_cast<size_t>(below(static_cast<int>(escapes.size())))];
        break;
      case 4:
        e = ".";
        break;
      case 5: {
        e = chance(30) ? "[^" : "[";
        const int count = below(4);
        for (int k = 0; k < count; ++k)
          e += members[static_cast<size_t>(below(static_cast<int>(members.size())))];
        if (chance(90)) e += "]";
        break;
      }
      case 6: {
        static const std::string odd = "^$*+?{}|)]";
        e = std::string(1, odd[static_cast<size_t>(below(static_cast<int>(odd.size())))]);
        break;
      }
      default: {
        e = "(";
        const int alternatives = 1 + below(3);
        for (int k = 0; k < alternatives; ++k) {
          if (k > 0) e += "|";
          e += pattern(depth + 1, 3);
        }
        if (chance(92)) e += ")";
        break;
      }
    }
    if (chance(35)) e += quantifier();
    return e;
  }

  std::string pattern(int depth, int maxElements) {
    std::string p = chance(10) ? "^" : "";
    const int count = below(maxElements + 1);
    for (int k = 0; k < count; ++k) p += element(depth);
    if (chance(8)) p += "$";
    if (chance(5)) p += "\\";
    return p;
  }

  // A pattern made of the text's own characters, so that it often matches.
  std::string patternFromText(const std::string& text) {
    if (text.empty()) return "a";
    const int start = below(static_cast<int>(text.size()));
    std::string p = text.substr(static_cast<size_t>(start), static_cast<size_t>(1 + below(4)));
    if (chance(50))
      p.insert(static_cast<size_t>(below(static_cast<int>(p.size()) + 1)), element(1));
    return p;
  }

 private:
  std::mt19937 m_rng;
  std::string m_palette;
};

// A string in a heap block of its exact size, so that the sanitizer build catches a read
// past its end (a std::string has a terminating zero and often spare capacity).
class ExactCopy {
 public:
  explicit ExactCopy(std::string_view s)
      : m_bytes(new char[std::max<size_t>(s.size(), 1)]), m_size(s.size()) {
    if (!s.empty()) std::memcpy(m_bytes.get(), s.data(), s.size());
  }
  std::string_view view() const { return {m_bytes.get(), m_size}; }

 private:
  std::unique_ptr<char[]> m_bytes;
  size_t m_size;
};

// The answers of the reference at every start, and the first start at or after each one.
struct Expected {
  std::vector<int64_t> at;
  std::vector<int64_t> next;  // next[s]: the first start >= s with an occurrence, or n
};

template <typename Ask>
Expected expectedFor(const std::string& text, Ask ask) {
  const auto n = static_cast<int64_t>(text.size());
  Expected x;
  x.at.resize(static_cast<size_t>(n));
  x.next.assign(static_cast<size_t>(n) + 1, n);
  for (int64_t s = n - 1; s >= 0; --s) {
    x.at[static_cast<size_t>(s)] = ask(s);
    x.next[static_cast<size_t>(s)] =
        x.at[static_cast<size_t>(s)] >= 0 ? s : x.next[static_cast<size_t>(s) + 1];
  }
  return x;
}

// Asks the searcher from every start of a short text; in a long one, from the starts a pass
// would resume at (after each occurrence) and from some others.
::testing::AssertionResult searcherAgrees(const Searcher& searcher, std::string_view text,
                                          const Expected& x) {
  const auto n = static_cast<int64_t>(text.size());
  std::vector<bool> ask(static_cast<size_t>(n) + 1, n <= 64);
  for (int64_t s = 0; s < n; ++s) {
    ask[static_cast<size_t>(s)] = ask[static_cast<size_t>(s)] || s % 37 == 0;
    if (x.at[static_cast<size_t>(s)] >= 0) {
      ask[static_cast<size_t>(s) + 1] = true;
      ask[static_cast<size_t>(x.at[static_cast<size_t>(s)]) + 1] = true;
    }
  }
  std::vector<int64_t> froms;
  for (int64_t from = 0; from <= n; ++from) {
    if (ask[static_cast<size_t>(from)]) froms.push_back(from);
  }
  for (int64_t from : froms) {
    const auto occ = searcher.findFrom(text, from);
    const int64_t s = x.next[static_cast<size_t>(from)];
    if (s == n) {
      if (occ)
        return ::testing::AssertionFailure()
               << "from " << from << ": found " << occ->start << " but none expected";
    } else if (!occ || occ->start != s || occ->last != x.at[static_cast<size_t>(s)]) {
      return ::testing::AssertionFailure()
             << "from " << from << ": expected " << s << ".." << x.at[static_cast<size_t>(s)]
             << ", found "
             << (occ ? std::to_string(occ->start) + ".." + std::to_string(occ->last) : "none");
    }
  }
  return ::testing::AssertionSuccess();
}

std::string printable(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 32 && c < 127 && c != '\\') {
      out += static_cast<char>(c);
    } else {
      static const char* hex = "0123456789abcdef";
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

TEST(MatcherDifferential, LiteralMatchesReferenceAtEveryPosition) {
  Generator gen(20261208);
  for (int round = 0; round < 1500; ++round) {
    gen.newPalette();
    const std::string text = gen.text(round % 10 == 0 ? 700 : 60);
    const std::string find = gen.findString(text);
    const ExactCopy exactText(text);
    const ExactCopy exactFind(find);
    for (int flags = 0; flags < 8; ++flags) {
      const LiteralOptions options{(flags & 1) != 0, (flags & 2) != 0, (flags & 4) == 0};
      const reference::Flags refFlags{options.CaseSensitive, options.WholeWordsOnly,
                                      options.Anything};
      const Expected x = expectedFor(
          text, [&](int64_t s) { return reference::literalAt(text, s, find, refFlags); });
      for (int64_t s = 0; s < static_cast<int64_t>(text.size()); ++s) {
        ASSERT_EQ(MatchLiteralAt(exactText.view(), s, exactFind.view(), options),
                  x.at[static_cast<size_t>(s)])
            << "text \"" << printable(text) << "\" find \"" << printable(find) << "\" s " << s
            << " flags " << flags;
      }
      ASSERT_TRUE(searcherAgrees(Searcher::literal(exactFind.view(), options), exactText.view(), x))
          << "text \"" << printable(text) << "\" find \"" << printable(find) << "\" flags "
          << flags;
    }
  }
}

TEST(MatcherDifferential, RegexMatchesReferenceAtEveryPosition) {
  Generator gen(8122026);
  for (int round = 0; round < 3000; ++round) {
    gen.newPalette();
    const std::string text = gen.text(round % 10 == 0 ? 400 : 40);
    const std::string pattern = gen.chance(25) ? gen.patternFromText(text) : gen.pattern(0, 5);
    const bool cs = gen.chance(50);
    const Expected x =
        expectedFor(text, [&](int64_t s) { return reference::regexAt(text, s, pattern, cs); });
    const ExactCopy exactText(text);
    const ExactCopy exactPattern(pattern);
    if (text.size() <= 64) {
      for (int64_t s = 0; s < static_cast<int64_t>(text.size()); ++s) {
        ASSERT_EQ(RegexMatchAt(exactText.view(), s, exactPattern.view(), cs),
                  x.at[static_cast<size_t>(s)])
            << "text \"" << printable(text) << "\" pattern \"" << printable(pattern) << "\" s " << s
            << " cs " << cs;
      }
    }
    ASSERT_TRUE(searcherAgrees(Searcher::regex(exactPattern.view(), cs), exactText.view(), x))
        << "text \"" << printable(text) << "\" pattern \"" << printable(pattern) << "\" cs " << cs;
  }
}

// Every occurrence a pass takes (resuming after each), found with one search at a time.
std::vector<Occurrence> passOf(const Searcher& searcher, std::string_view text) {
  std::vector<Occurrence> found;
  int64_t from = 0;
  while (auto occ = searcher.findFrom(text, from)) {
    found.push_back(*occ);
    from = occ->last + 1;
  }
  return found;
}

// The same, asking a stretch of starts at a time as a long pass does between its looks at
// Cancel, and going on where each answer says.
std::vector<Occurrence> passInStretches(const Searcher& searcher, std::string_view text,
                                        Generator& gen) {
  std::vector<Occurrence> found;
  const auto n = static_cast<int64_t>(text.size());
  int64_t from = 0;
  while (from < n) {
    const int64_t until = from + 1 + gen.below(12);
    int64_t resume = -1;
    if (auto occ = searcher.findBefore(text, from, until, &resume)) {
      EXPECT_LT(occ->start, until);
      found.push_back(*occ);
      from = occ->last + 1;
    } else {
      EXPECT_GE(resume, std::min(until, n));
      from = resume;
    }
  }
  return found;
}

bool same(const std::vector<Occurrence>& a, const std::vector<Occurrence>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](Occurrence x, Occurrence y) {
    return x.start == y.start && x.last == y.last;
  });
}

TEST(MatcherDifferential, SearchInStretchesFindsWhatOneSearchFinds) {
  Generator gen(5042026);
  for (int round = 0; round < 2000; ++round) {
    gen.newPalette();
    const std::string text = gen.text(round % 10 == 0 ? 400 : 60);
    const bool regex = gen.chance(40);
    const std::string find = regex
                                 ? (gen.chance(25) ? gen.patternFromText(text) : gen.pattern(0, 4))
                                 : gen.findString(text);
    const Searcher searcher =
        regex ? Searcher::regex(find, gen.chance(50))
              : Searcher::literal(find,
                                  LiteralOptions{gen.chance(50), gen.chance(30), gen.chance(80)});
    ASSERT_TRUE(same(passOf(searcher, text), passInStretches(searcher, text, gen)))
        << (regex ? "pattern" : "find") << " \"" << printable(find) << "\" text \""
        << printable(text) << "\"";
  }
}

// Unicode letters: texts made of characters that fold in one or several ways, of different
// lengths, word delimiters beyond ASCII, a combining accent and odd bytes.
const std::vector<std::string> kUnicodePieces = {
    "a",      "A",      "k",       "K",      "\u212A",     "s",      "S",      "\u017F",
    "\u00E9", "\u00C9", "e\u0301", "\u03C3", "\u03A3",     "\u03C2", "\u00DF", "\u1E9E",
    "\u4E2D", " ",      "\u00AB",  "\u00A0", "\u2014",     "-",      ".",      "\n",
    "1",      "\u0663", "\xC3",    "\x80",   "\U0001F600", "\u0130", "i"};

std::string unicodeText(Generator& gen, int pieces) {
  std::string t;
  const int count = gen.below(pieces + 1);
  for (int k = 0; k < count; ++k)
    t += kUnicodePieces[static_cast<size_t>(gen.below(static_cast<int>(kUnicodePieces.size())))];
  return t;
}

// A find string from the pieces, sometimes with a script token, often a stretch of the text.
std::string unicodeFind(Generator& gen, const std::string& text) {
  const std::vector<Character> tc = CharactersOf(text);
  std::string find;
  if (!tc.empty() && gen.chance(60)) {
    const int from = gen.below(static_cast<int>(tc.size()));
    const int count = 1 + gen.below(3);
    for (int k = from; k < std::min<int>(from + count, static_cast<int>(tc.size())); ++k) {
      unsigned char bytes[4];
      const int length =
          text::encodeCharacter(text::foldCase(tc[static_cast<size_t>(k)].value), bytes);
      find.append(reinterpret_cast<char*>(bytes), static_cast<size_t>(length));
    }
  } else {
    find = unicodeText(gen, 3);
  }
  if (gen.chance(30))
    find.insert(gen.chance(50) ? 0 : find.size(),
                gen.chance(50) ? "%anything%" : "%anything%\u00C9");
  return text::isValidUtf8(find) ? find : "a";
}

TEST(MatcherDifferential, UnicodeLiteralMatchesCharacterReference) {
  Generator gen(10122026);
  for (int round = 0; round < 1500; ++round) {
    const std::string text = unicodeText(gen, round % 10 == 0 ? 120 : 16);
    const std::string find = unicodeFind(gen, text);
    for (int flags = 0; flags < 8; ++flags) {
      const LiteralOptions options{(flags & 1) != 0, (flags & 2) != 0, (flags & 4) == 0, true};
      const Expected x = expectedFor(
          text, [&](int64_t s) { return MatchUnicodeLiteralAt(text, s, find, options); });
      const Searcher searcher = Searcher::literal(find, options);
      ASSERT_TRUE(searcherAgrees(searcher, text, x)) << "text \"" << printable(text) << "\" find \""
                                                     << printable(find) << "\" flags " << flags;
      ASSERT_TRUE(same(passOf(searcher, text), passInStretches(searcher, text, gen)))
          << "text \"" << printable(text) << "\" find \"" << printable(find) << "\"";
    }
  }
}

// Patterns with Unicode letters: the searcher finds exactly the starts at which the compiled
// pattern matches, never inside a character; for an ASCII pattern on ASCII text without the
// letters that have other forms beyond ASCII (k, s), the same occurrences as byte matching.
TEST(MatcherDifferential, UnicodePatternSearchMatchesItsMatcher) {
  Generator gen(20261210);
  const std::vector<std::string> elements = {
      "a",   "\u00E9", "\u03C3", "k",          "s",      ".",     "[\u00E0-\u00FF]", "[^a]", "\\w",
      "\\W", "\\d",    "\\s",    "(a|\u00C9)", "\u4E2D", "\\xE9", "[\u03C3\\d]",     "^",    "$"};
  const std::vector<std::string> quantifiers = {"", "", "", "*", "+", "?", "{2}", "{0,2}"};
  for (int round = 0; round < 2000; ++round) {
    std::string pattern;
    const int count = 1 + gen.below(4);
    for (int k = 0; k < count; ++k) {
      const std::string& e =
          elements[static_cast<size_t>(gen.below(static_cast<int>(elements.size())))];
      pattern += e;
      if (e[0] != '[' && e != "^" && e != "$")
        pattern +=
            quantifiers[static_cast<size_t>(gen.below(static_cast<int>(quantifiers.size())))];
    }
    const bool cs = gen.chance(50);
    const std::string text = unicodeText(gen, round % 10 == 0 ? 120 : 16);
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const auto n = static_cast<int64_t>(text.size());
    const regex::Compiled compiled = regex::compile(pattern, cs, true);
    const Expected x = expectedFor(text, [&](int64_t s) {
      return text::insideCharacter(t, n, s) ? -1 : regex::matchAt(compiled, text, s);
    });
    const Searcher searcher = Searcher::regex(pattern, cs, true);
    ASSERT_TRUE(searcherAgrees(searcher, text, x))
        << "pattern \"" << printable(pattern) << "\" text \"" << printable(text) << "\"";
    ASSERT_TRUE(same(passOf(searcher, text), passInStretches(searcher, text, gen)))
        << "pattern \"" << printable(pattern) << "\" text \"" << printable(text) << "\"";
    if (pattern.find_first_of("ks\\[") == std::string::npos &&
        text::asciiPrefixLength(pattern) == pattern.size()) {
      std::string ascii;
      for (char c : text)
        ascii +=
            (static_cast<unsigned char>(c) < 0x80 && c != 'k' && c != 's' && c != 'K' && c != 'S')
                ? c
                : 'x';
      ASSERT_TRUE(same(passOf(searcher, ascii), passOf(Searcher::regex(pattern, cs), ascii)))
          << "pattern \"" << printable(pattern) << "\" text \"" << printable(ascii) << "\"";
    }
  }
}

TEST(MatcherDifferential, FilenameReferenceMatchesReference) {
  Generator gen(4242);
  const std::vector<std::string> pieces = {"href", "HREF", "HrEf",  "title", " ",  "=", "\"",  "'",
                                           "<a ",  ">",    "x.htm", "#",     "\\", "a", "\r\n"};
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int count = gen.below(12);
    for (int k = 0; k < count; ++k) {
      text += gen.chance(90)
                  ? pieces[static_cast<size_t>(gen.below(static_cast<int>(pieces.size())))]
                  : std::string(1, gen.textChar());
    }
    FilenameReferenceCheck inOrder(text);
    FilenameReferenceCheck anyOrder(text);
    for (int64_t e = -1; e <= static_cast<int64_t>(text.size()); ++e) {
      const bool expected = reference::filenameReference(text, e);
      ASSERT_EQ(FilenameReferenceCheck(text)(e), expected)
          << "text \"" << printable(text) << "\" e " << e;
      ASSERT_EQ(inOrder(e), expected) << "text \"" << printable(text) << "\" e " << e;
      const int64_t other = gen.below(static_cast<int>(text.size()) + 1);
      ASSERT_EQ(anyOrder(other), reference::filenameReference(text, other))
          << "text \"" << printable(text) << "\" e " << other;
    }
  }
}

}  // namespace
}  // namespace tw
