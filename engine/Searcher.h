#pragma once
// The search of one pass: a find string compiled once, asked for the next occurrence.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "engine/LiteralMatcher.h"

namespace tw {

// One occurrence: text[start] to text[last], both included (last >= start).
struct Occurrence {
  int64_t start;
  int64_t last;
};

// A find string compiled for a pass. findFrom gives exactly the answers of asking whether an
// occurrence begins at from, from + 1, ... in turn (the literal rules in
// engine/LiteralMatcher.h, RegexMatchAt for a pattern), found with fast scans instead of a
// test at every position. Immutable after construction; copies share the
// compiled form and may be used from several threads.
class Searcher {
 public:
  // A literal find string with its switches. An empty find string never matches.
  static Searcher literal(std::string_view find, const LiteralOptions& options);
  // A pattern of the regular-expression language (engine/RegexMatcher.h); with
  // `unicodeLetters` and a pattern that is valid UTF-8, read and matched by characters.
  static Searcher regex(std::string_view pattern, bool caseSensitive, bool unicodeLetters = false);

  // The first start s with from <= s < text.size() at which an occurrence begins, with its
  // last index; none if there is no such s. A negative from counts as 0.
  //
  // Cost: candidates are found by memchr/memmem or byte-table scans (first bytes, a literal
  // prefix, the rarest byte of a case-insensitive needle, line starts for `^`). Within one
  // call, the look-ahead of a script token is remembered from one start to the next, so
  // "a%anything%b" over a text of "a" is linear, and a pass ends as soon as a look-ahead
  // or the find string runs out of text. Each call starts afresh.
  std::optional<Occurrence> findFrom(std::string_view text, int64_t from) const;

  // findFrom over the starts before `until` only (taken as text.size() when larger): the first
  // start s with from <= s < until at which an occurrence begins, with its last index, which
  // may lie past `until` (the whole text is still looked at). When there is none and
  // `resumeAt` is given, it is set to where the search goes on: `until`, or text.size() when
  // no later start can begin an occurrence either. Asking stretch after stretch this way finds
  // exactly what findFrom finds, and the scans of one call stay within about its stretch, so a
  // long pass can stop between stretches.
  std::optional<Occurrence> findBefore(std::string_view text, int64_t from, int64_t until,
                                       int64_t* resumeAt = nullptr) const;

  class Impl;

 private:
  explicit Searcher(std::shared_ptr<const Impl> impl);
  std::shared_ptr<const Impl> m_impl;
};

}  // namespace tw
