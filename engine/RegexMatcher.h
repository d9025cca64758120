#pragma once
// The regular-expression language of the find strings, and its matcher.
//
// Elements, recognised in this order at each pattern position: `^` (only as the first
// character of a pattern or of a group alternative), `$` (ends the pattern: the rest is
// ignored), `\` escapes (\r \n \t \d \D \s \S \w \W \xHH, any other character stands for
// itself), groups `( | )`, classes `[ ]` (no quantifier), `.`, stray quantifiers and literal
// characters. Quantifiers `*` `+` (at most 256), `?` and `{m,n}` (`{m,}` at most 32768) are
// greedy and never give back: there is no backtracking between elements, and a group takes
// the first alternative that matches, not the longest. An empty match is never reported.
//
// Anchors: `^` matches at the start of the text and after an LF (alone or in CR LF);
// `$` matches before CR LF, before an LF that does not follow a CR, and at the end of text.
//
// Case: without case sensitivity, literal characters (plain or escaped) compare after the
// run-time library's single-byte upper-casing in the "C" locale, i.e. the ASCII letters
// only. Classes, \xHH and the other escapes always compare exactly.
//
// With Unicode letters (Searcher::regex's switch, for a pattern that is valid UTF-8), the
// pattern and the text are read as characters (text/Unicode.h): a literal character, `.`, a
// class and a stray quantifier each take one character; without case sensitivity literal
// characters compare by Unicode simple case folding; a class may hold non-ASCII characters and
// ranges of code points, still compared exactly; `\xHH` stands for the code point U+00HH;
// beyond ASCII `\d` takes the decimal digits (Nd), `\s` the space separators (Zs) and `\w`
// every character that is neither a digit nor punctuation (P*) nor a symbol (S*), as in ASCII
// where `\w` is everything but digits and punctuation. A match never begins inside a character.
//
// Decisions where the language leaves a choice:
// - A brace count is read in full, whatever its number of digits; values above 2^31 - 1
//   read as 2^31 - 1. So `a{1000}` needs 1000 "a" and `a{40000,}` never matches (its
//   minimum is above the 32768 that the empty second count stands for).
// - A group alternative may be of any length; nothing is truncated.
// - Groups nest at most kMaxRegexGroupDepth deep. A group deeper than that is an element
//   that accepts nothing: the pattern fails wherever it is tried unless the group's
//   quantifier allows zero repetitions, in which case the group takes nothing.
// - Inside a class, a `\` that is the last pattern character adds no member, and an invalid
//   `\xHH` (the two characters after x are not both hexadecimal digits) is a member that
//   accepts no character; it spans the x and up to two more characters, as outside a class.

#include <cstdint>
#include <string_view>

namespace tw {

// The deepest group nesting that is matched; see above for what happens beyond it.
inline constexpr int kMaxRegexGroupDepth = 128;

// The index of the last character of the match of `pattern` that begins exactly at `s`, or
// -1 if there is none (also for an s outside the text and for an empty pattern). Every
// pattern is accepted; malformed ones have a defined reading (see above). The pattern is
// compiled on every call: to search, compile once through Searcher::regex.
int64_t RegexMatchAt(std::string_view text, int64_t s, std::string_view pattern,
                     bool caseSensitive);

}  // namespace tw
