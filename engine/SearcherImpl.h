#pragma once
// The compiled forms behind a Searcher (internal to the engine).

#include <memory>
#include <optional>
#include <string_view>

#include "engine/Searcher.h"

namespace tw {

class Searcher::Impl {
 public:
  virtual ~Impl() = default;
  // The first occurrence beginning in [from, until) (from < until <= n); none with `resume`
  // set to until, or to n when no start at all from there on can match.
  virtual std::optional<Occurrence> find(const unsigned char* t, int64_t n, int64_t from,
                                         int64_t until, int64_t& resume) const = 0;
};

// A literal find string (valid UTF-8, not empty) matched character by character with Unicode
// letters: see LiteralOptions::UnicodeLetters.
std::shared_ptr<const Searcher::Impl> MakeUnicodeLiteral(std::string_view find,
                                                         const LiteralOptions& options);

}  // namespace tw
