#pragma once
// The switches of a literal find string and its script token. The Searcher
// (engine/Searcher.h) finds the occurrences; an occurrence that begins at s is found by
// these rules:
//
// Text character t matches find character f when they are equal or, without case
// sensitivity, are the same ASCII letter in either case (the bytes 128 to 255 match only
// themselves). With Anything, each "%anything%" followed by at least one find character
// matches the shortest run of text (possibly empty, across line ends) up to the first
// character that matches the find character after it; nothing is tried again if what
// follows then fails. A token that ends the find string is literal text, and the first
// character of the occurrence is always compared with the find string's first character
// itself. With WholeWordsOnly the character before s (when the occurrence's first character
// is compared at s) and the character after the end must be word delimiters
// (engine/ByteClasses.h: space, ASCII punctuation, TAB, LF, VT, FF, CR) or the text's edges. An
// empty find string never matches.
//
// With UnicodeLetters, and a find string that is valid UTF-8, the same rules hold for
// characters instead of bytes (text/Unicode.h reads the text): without case sensitivity a
// find character matches every character with the same Unicode simple case folding (Ä ä,
// Σ σ ς, K and the Kelvin sign; ß only itself), the script token's run ends at the first
// character the next find character matches, and the word delimiters are every character
// that is not a letter, a combining mark or a decimal digit (so "«", the no-break space and
// "—" delimit words, and "é" written as "e" and a combining accent is one word). A find
// string that is not valid UTF-8 is matched byte for byte.

#include <cstddef>
#include <string_view>

namespace tw {

// The three switches that the literal test honours.
struct LiteralOptions {
  bool CaseSensitive = false;
  bool WholeWordsOnly = false;
  bool Anything = true;         // "%anything%" inside a find string stands for a run of text
  bool UnicodeLetters = false;  // characters, case and words by Unicode (see above)
};

// The script token, in lower case exactly as written; other spellings are ordinary text.
inline constexpr std::string_view kAnythingToken = "%anything%";
// Its length: the find character it stands before is at k + kAnythingLength.
inline constexpr std::ptrdiff_t kAnythingLength =
    static_cast<std::ptrdiff_t>(kAnythingToken.size());

}  // namespace tw
