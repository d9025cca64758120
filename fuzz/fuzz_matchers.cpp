// Differential and crash-finding target for the two matchers and the searcher.
//
// Input: one byte of switches (bit 0 case sensitive, bit 1 whole words, bit 2 script token
// off, bit 3 regular expression), one byte giving the length of the find string, the find
// string, then the text. Short inputs are compared with the step-by-step reference at every
// position; every input is searched through in full.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string_view>
#include <vector>

#include "engine/LiteralMatcher.h"
#include "engine/MatcherReference.h"
#include "engine/RegexMatcher.h"
#include "engine/Searcher.h"

namespace {

[[noreturn]] void mismatch(const char* what, int64_t at, int64_t fast, int64_t slow) {
  std::fprintf(stderr, "%s differs at %lld: fast %lld, reference %lld\n", what, static_cast<long long>(at),
               static_cast<long long>(fast), static_cast<long long>(slow));
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t switches = data[0];
  const size_t findLength = std::min<size_t>(data[1], size - 2);
  const std::string_view find(reinterpret_cast<const char*>(data + 2), findLength);
  const std::string_view text(reinterpret_cast<const char*>(data + 2 + findLength), size - 2 - findLength);
  const auto n = static_cast<int64_t>(text.size());

  const bool cs = (switches & 1) != 0;
  const bool isRegex = (switches & 8) != 0;
  const tw::LiteralOptions options{cs, (switches & 2) != 0, (switches & 4) == 0};
  const tw::reference::Flags flags{options.CaseSensitive, options.WholeWordsOnly, options.Anything};
  const tw::Searcher searcher = isRegex ? tw::Searcher::regex(find, cs) : tw::Searcher::literal(find, options);

  auto reference = [&](int64_t s) {
    return isRegex ? tw::reference::regexAt(text, s, find, cs) : tw::reference::literalAt(text, s, find, flags);
  };

  if (n <= 256 && find.size() <= 64) {
    std::vector<int64_t> expected(static_cast<size_t>(n));
    for (int64_t s = 0; s < n; ++s) {
      const int64_t slow = reference(s);
      const int64_t fast = isRegex ? tw::RegexMatchAt(text, s, find, cs) : tw::MatchLiteralAt(text, s, find, options);
      if (fast != slow) mismatch(isRegex ? "RegexMatchAt" : "MatchLiteralAt", s, fast, slow);
      expected[static_cast<size_t>(s)] = slow;
    }
    // The searcher, resumed the way a pass resumes: after an occurrence, or at the next byte.
    for (int64_t from = 0; from < n; ++from) {
      int64_t s = from;
      while (s < n && expected[static_cast<size_t>(s)] < 0) ++s;
      const auto occ = searcher.findFrom(text, from);
      if (s == n) {
        if (occ) mismatch("findFrom (none expected)", from, occ->start, -1);
      } else if (!occ || occ->start != s || occ->last != expected[static_cast<size_t>(s)]) {
        mismatch("findFrom", from, occ ? occ->start : -1, s);
      }
    }
    for (int64_t e = 0; e < n; ++e) {
      if (tw::IsFilenameReference(text, e) != tw::reference::filenameReference(text, e)) {
        mismatch("IsFilenameReference", e, !tw::reference::filenameReference(text, e), tw::reference::filenameReference(text, e));
      }
    }
  } else {
    // Longer inputs: no reference, but a whole pass must stay inside the text and agree
    // with the position test at every occurrence it reports.
    int64_t from = 0;
    while (auto occ = searcher.findFrom(text, from)) {
      if (occ->start < from || occ->last < occ->start || occ->last >= n) std::abort();
      const int64_t at = isRegex ? tw::RegexMatchAt(text, occ->start, find, cs)
                                 : tw::MatchLiteralAt(text, occ->start, find, options);
      if (at != occ->last) mismatch("findFrom against the position test", occ->start, occ->last, at);
      from = occ->last + 1;
    }
  }
  return 0;
}
