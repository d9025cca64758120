// Differential and crash-finding target for the two matchers and the searcher.
//
// Input: one byte of switches (bit 0 case sensitive, bit 1 whole words, bit 2 script token
// off, bit 3 regular expression, bits 4 to 6: the text is repeated 2^k times, bit 7 Unicode
// letters), one byte
// giving the length of the find string, the find string, then the text. Short texts are
// compared with the step-by-step reference at every position; longer ones are searched
// through in full and checked against the position test (tests/engine/LiteralOracle.h,
// RegexMatchAt) at every position. With Unicode letters the position test is the character
// oracle (tests/engine/UnicodeLiteralOracle.h) or the compiled pattern asked at every
// character.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FilenameReferenceCheck.h"
#include "engine/LiteralOracle.h"
#include "engine/MatcherReference.h"
#include "engine/RegexMatcher.h"
#include "engine/RegexProgram.h"
#include "engine/Searcher.h"
#include "engine/UnicodeLiteralOracle.h"
#include "text/Utf8.h"

namespace {

[[noreturn]] void mismatch(const char* what, int64_t at, int64_t fast, int64_t slow) {
  std::fprintf(stderr, "%s differs at %lld: fast %lld, reference %lld\n", what,
               static_cast<long long>(at), static_cast<long long>(fast),
               static_cast<long long>(slow));
  std::abort();
}

// A whole pass must stay inside the text and agree with the position test at every occurrence
// it reports and, when `everyPosition`, at every start it passes over.
template <typename PositionTest>
void checkPass(const tw::Searcher& searcher, std::string_view text, PositionTest positionTest,
               bool everyPosition) {
  const auto n = static_cast<int64_t>(text.size());
  int64_t from = 0;
  while (true) {
    const auto occ = searcher.findFrom(text, from);
    const int64_t until = occ ? occ->start : n;
    if (occ && (occ->start < from || occ->last < occ->start || occ->last >= n)) std::abort();
    for (int64_t s = from; everyPosition && s < until; ++s) {
      if (positionTest(s) >= 0)
        mismatch("findFrom passed over an occurrence", s, -1, positionTest(s));
    }
    if (!occ) break;
    const int64_t at = positionTest(occ->start);
    if (at != occ->last) mismatch("findFrom against the position test", occ->start, occ->last, at);
    from = occ->start + 1;
  }
}

void checkUnicodeLetters(std::string_view find, std::string_view text, bool isRegex,
                         const tw::LiteralOptions& byteOptions) {
  tw::LiteralOptions options = byteOptions;
  options.UnicodeLetters = true;
  const bool characters = tw::text::isValidUtf8(find);
  const tw::Searcher searcher = isRegex ? tw::Searcher::regex(find, options.CaseSensitive, true)
                                        : tw::Searcher::literal(find, options);
  const tw::regex::Compiled compiled = tw::regex::compile(find, options.CaseSensitive, characters);
  const auto* t = reinterpret_cast<const unsigned char*>(text.data());
  const auto n = static_cast<int64_t>(text.size());
  auto positionTest = [&](int64_t s) -> int64_t {
    if (isRegex) {
      if (find.empty() || (characters && tw::text::insideCharacter(t, n, s))) return -1;
      return tw::regex::matchAt(compiled, text, s);
    }
    return characters ? tw::MatchUnicodeLiteralAt(text, s, find, options)
                      : tw::MatchLiteralAt(text, s, find, byteOptions);
  };
  checkPass(searcher, text, positionTest, n <= 512 && find.size() <= 64);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t switches = data[0];
  const size_t findLength = std::min<size_t>(data[1], size - 2);
  // The find string and the text each in a heap block of their exact size, so that a read
  // past either end is caught.
  const std::unique_ptr<char[]> findBytes(new char[std::max<size_t>(findLength, 1)]);
  std::memcpy(findBytes.get(), data + 2, findLength);
  const std::string_view find(findBytes.get(), findLength);
  const size_t onceLength = size - 2 - findLength;
  const size_t repeats = size_t{1} << ((switches >> 4) & 7);
  const std::unique_ptr<char[]> textBytes(new char[std::max<size_t>(onceLength * repeats, 1)]);
  for (size_t k = 0; k < repeats; ++k)
    std::memcpy(textBytes.get() + k * onceLength, data + 2 + findLength, onceLength);
  const std::string_view text(textBytes.get(), onceLength * repeats);
  const auto n = static_cast<int64_t>(text.size());

  const bool cs = (switches & 1) != 0;
  const bool isRegex = (switches & 8) != 0;
  const tw::LiteralOptions options{cs, (switches & 2) != 0, (switches & 4) == 0};
  if ((switches & 0x80) != 0) {
    checkUnicodeLetters(find, text, isRegex, options);
    return 0;
  }
  const tw::reference::Flags flags{options.CaseSensitive, options.WholeWordsOnly, options.Anything};
  const tw::Searcher searcher =
      isRegex ? tw::Searcher::regex(find, cs) : tw::Searcher::literal(find, options);

  auto reference = [&](int64_t s) {
    return isRegex ? tw::reference::regexAt(text, s, find, cs)
                   : tw::reference::literalAt(text, s, find, flags);
  };

  if (n <= 256 && find.size() <= 64) {
    std::vector<int64_t> expected(static_cast<size_t>(n));
    for (int64_t s = 0; s < n; ++s) {
      const int64_t slow = reference(s);
      const int64_t fast = isRegex ? tw::RegexMatchAt(text, s, find, cs)
                                   : tw::MatchLiteralAt(text, s, find, options);
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
    tw::FilenameReferenceCheck isFilenameReference(text);
    for (int64_t e = 0; e < n; ++e) {
      const bool expected = tw::reference::filenameReference(text, e);
      if (isFilenameReference(e) != expected)
        mismatch("FilenameReferenceCheck", e, !expected, expected);
    }
  } else {
    // Longer inputs: no reference, but a whole pass must stay inside the text and agree
    // with the position test at every occurrence it reports.
    auto positionTest = [&](int64_t s) {
      return isRegex ? tw::RegexMatchAt(text, s, find, cs)
                     : tw::MatchLiteralAt(text, s, find, options);
    };
    checkPass(searcher, text, positionTest, n <= (isRegex ? 1024 : 8192) && find.size() <= 64);
  }
  return 0;
}
