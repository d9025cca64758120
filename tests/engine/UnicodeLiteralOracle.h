#pragma once
// The position test of a literal find string with Unicode letters, written for clarity: the
// text is read into characters from its start and the rules of engine/LiteralMatcher.h are
// followed character by character, comparing simple case foldings and asking whether a
// character is a word character. The Searcher's character matching is compared with it.

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/LiteralMatcher.h"
#include "text/Unicode.h"

namespace tw {

struct Character {
  char32_t value;
  int64_t at;
  int length;
};

inline std::vector<Character> CharactersOf(std::string_view s) {
  std::vector<Character> out;
  const auto* t = reinterpret_cast<const unsigned char*>(s.data());
  const auto n = static_cast<int64_t>(s.size());
  for (int64_t p = 0; p < n;) {
    const text::TextCharacter c = text::characterAt(t, n, p);
    out.push_back({c.value, p, c.length});
    p += c.length;
  }
  return out;
}

// The literal rules step by step on characters (engine/LiteralMatcher.h), from the text's
// characters as read from its start: the last index of the occurrence at byte s, or -1.
inline int64_t MatchUnicodeLiteralAt(std::string_view text, int64_t s, std::string_view find,
                                     const LiteralOptions& options) {
  const std::vector<Character> tc = CharactersOf(text);
  const std::vector<Character> fc = CharactersOf(find);
  const auto n = static_cast<int64_t>(tc.size());
  const auto m = static_cast<int64_t>(fc.size());
  int64_t i = 0;
  while (i < n && tc[static_cast<size_t>(i)].at < s) ++i;
  if (m == 0 || i == n || tc[static_cast<size_t>(i)].at != s) return -1;
  auto same = [&](int64_t ti, int64_t fi) {
    const char32_t a = tc[static_cast<size_t>(ti)].value;
    const char32_t b = fc[static_cast<size_t>(fi)].value;
    return options.CaseSensitive ? a == b : text::foldCase(a) == text::foldCase(b);
  };
  auto delimiter = [&](int64_t ti) {
    return ti < 0 || ti >= n || !text::isWordCharacter(tc[static_cast<size_t>(ti)].value);
  };
  auto tokenAt = [&](int64_t k) {
    if (k + kAnythingLength >= m) return false;
    for (int64_t j = 0; j < kAnythingLength; ++j) {
      if (fc[static_cast<size_t>(k + j)].value !=
          static_cast<char32_t>(kAnythingToken[static_cast<size_t>(j)]))
        return false;
    }
    return true;
  };
  if (!same(i, 0)) return -1;
  const int64_t first = i;
  int64_t t = i;
  int64_t k = 0;
  for (;;) {
    if (options.Anything && tokenAt(k)) {
      int64_t w = t;
      while (w < n && !same(w, k + kAnythingLength)) ++w;
      if (w == n) return -1;
      t = w;
      k += kAnythingLength;
    }
    if (!same(t, k)) return -1;
    if (t == first && options.WholeWordsOnly && !delimiter(first - 1)) return -1;
    if (k == m - 1) {
      if (options.WholeWordsOnly && !delimiter(t + 1)) return -1;
      const Character& last = tc[static_cast<size_t>(t)];
      return last.at + last.length - 1;
    }
    ++k;
    if (++t == n) return -1;
  }
}

}  // namespace tw
