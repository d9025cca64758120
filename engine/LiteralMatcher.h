#pragma once
// Literal matching: does an occurrence of a find string begin exactly at a given position?
//
// Both matchers answer the same position question: an occurrence that begins at `s` and
// ends at the returned index (both included), or -1. They keep no state between calls and
// never read outside the text or the find string. The run asks through a Searcher
// (engine/Searcher.h), which gives the same answers as asking at every position in turn.

#include <cstdint>
#include <string_view>

namespace tw {

// The three switches that the literal test honours.
struct LiteralOptions {
  bool CaseSensitive = false;
  bool WholeWordsOnly = false;
  bool Anything = true;  // "%anything%" inside a find string stands for a run of text
};

// The script token, in lower case exactly as written; other spellings are ordinary text.
inline constexpr std::string_view kAnythingToken = "%anything%";

// Whether text character t matches find character f. Without case sensitivity only the
// ASCII letters fold (A-Z with a-z); the bytes 128 to 255 match only themselves.
bool CharsMatch(unsigned char t, unsigned char f, bool caseSensitive);

// The word delimiters: space, the 32 printable ASCII characters that are neither letters
// nor digits, and TAB, LF, VT, FF and CR (so a word at the start or end of a line is whole).
bool IsWordDelimiter(unsigned char c);

// Whether the occurrence whose last character is text[e] stands inside the double-quoted
// value of an HREF attribute (name in any case, spaces allowed around "="). False for an e
// outside the text.
bool IsFilenameReference(std::string_view text, int64_t e);

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
int64_t MatchLiteralAt(std::string_view text, int64_t s, std::string_view find,
                       const LiteralOptions& options);

}  // namespace tw
