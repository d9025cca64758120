#pragma once
// The position test of a literal find string, written for clarity and asked at one position
// at a time: the second oracle, beside the step-by-step reference (MatcherReference.h), that
// the Searcher is compared with. It keeps no state between calls and never reads outside the
// text or the find string. It uses the engine's own byte tables, so the tests of CharsMatch
// and IsWordDelimiter pin the tables the Searcher uses.

#include <cstdint>
#include <string_view>

#include "engine/ByteClasses.h"
#include "engine/LiteralMatcher.h"

namespace tw {

// Whether text character t matches find character f. Without case sensitivity only the
// ASCII letters fold (A-Z with a-z); the bytes 128 to 255 match only themselves.
inline bool CharsMatch(unsigned char t, unsigned char f, bool caseSensitive) {
  return caseSensitive ? t == f : asciiLower(t) == asciiLower(f);
}

// The word delimiters: space, the 32 printable ASCII characters that are neither letters
// nor digits, and TAB, LF, VT, FF and CR (so a word at the start or end of a line is whole).
inline bool IsWordDelimiter(unsigned char c) {
  return kWordDelimiters[c];
}

// The index of the last character of the occurrence of `find` that begins exactly at `s`,
// or -1 if there is none (also for an s outside the text and for an empty find string).
//
// With options.Anything, each "%anything%" followed by at least one find character matches
// the shortest run of text (possibly empty, across line ends) up to the first character
// that matches the find character after it; nothing is tried again if what follows then
// fails. A token that ends the find string is literal text, and the first character of the
// occurrence is always compared with find[0] itself. With options.WholeWordsOnly the
// character before s (when the occurrence's first character is compared at s) and the
// character after the end must be word delimiters or the edges of the text.
inline int64_t MatchLiteralAt(std::string_view text, int64_t s, std::string_view find,
                              const LiteralOptions& options) {
  const auto n = static_cast<int64_t>(text.size());
  const auto m = static_cast<int64_t>(find.size());
  if (m == 0 || s < 0 || s >= n) return -1;
  auto tc = [&](int64_t i) { return static_cast<unsigned char>(text[static_cast<size_t>(i)]); };
  auto fc = [&](int64_t i) { return static_cast<unsigned char>(find[static_cast<size_t>(i)]); };
  const bool cs = options.CaseSensitive;
  if (!CharsMatch(tc(s), fc(0), cs)) return -1;
  int64_t t = s;
  int64_t k = 0;
  for (;;) {
    if (options.Anything && k + kAnythingLength < m &&
        find.substr(static_cast<size_t>(k), kAnythingToken.size()) == kAnythingToken) {
      const unsigned char next = fc(k + kAnythingLength);
      int64_t w = t;
      while (w < n && !CharsMatch(tc(w), next, cs)) ++w;
      if (w == n) return -1;
      t = w;
      k += kAnythingLength;
    }
    if (!CharsMatch(tc(t), fc(k), cs)) return -1;
    if (t == s && s > 0 && options.WholeWordsOnly && !IsWordDelimiter(tc(s - 1))) return -1;
    if (k == m - 1) {
      if (t + 1 < n && options.WholeWordsOnly && !IsWordDelimiter(tc(t + 1))) return -1;
      return t;
    }
    ++k;
    ++t;
    if (t == n) return -1;
  }
}

}  // namespace tw
