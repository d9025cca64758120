#include "engine/UnicodeChars.h"

#include <algorithm>
#include <utility>

namespace tw {

CharChoice::CharChoice(char32_t c, bool caseSensitive) {
  if (!caseSensitive) {
    const char32_t folded = text::foldCase(c);
    const auto variants = text::caseVariants(folded);
    m_accepted.assign(variants.begin(), variants.end());
    if (m_accepted.empty()) m_accepted.push_back(folded);
  } else {
    m_accepted.push_back(c);
  }
}

namespace {

// The bytes of a character's forms, when there are at most two of one length.
bool formBytes(const CharChoice& choice,
               std::vector<std::pair<unsigned char, unsigned char>>& out) {
  const auto& forms = choice.accepted();
  if (forms.size() > 2) return false;
  unsigned char a[4];
  unsigned char b[4];
  const int length = text::encodeCharacter(forms.front(), a);
  if (text::encodeCharacter(forms.back(), b) != length) return false;
  for (int k = 0; k < length; ++k) out.emplace_back(a[k], b[k]);
  return true;
}

}  // namespace

CandidateScan::CandidateScan(const std::vector<CharChoice>& run) {
  // The bytes of the first stretch of characters that have them, and the lengths the
  // characters before it may take.
  std::vector<std::pair<unsigned char, unsigned char>> bytes;
  size_t j = 0;
  while (j < run.size() && !formBytes(run[j], bytes)) ++j;
  for (size_t k = j + 1; k < run.size() && formBytes(run[k], bytes);) ++k;
  if (!bytes.empty()) {
    for (size_t k = 0; k < j; ++k) {
      int shortest = 4;
      int longest = 1;
      for (char32_t form : run[k].accepted()) {
        unsigned char encoded[4];
        const int length = text::encodeCharacter(form, encoded);
        shortest = std::min(shortest, length);
        longest = std::max(longest, length);
      }
      m_beforeShortest += shortest;
      m_beforeLongest += longest;
    }
    m_bytes = NeedleScanner(std::move(bytes));
    return;
  }
  for (char32_t form : run.front().accepted()) {
    unsigned char encoded[4];
    text::encodeCharacter(form, encoded);
    m_first[encoded[0]] = true;
  }
  for (unsigned c = 0; c < 256; ++c) {
    if (!m_first[c]) continue;
    (m_firstCount++ == 0 ? m_firstA : m_firstB) = static_cast<unsigned char>(c);
  }
  if (m_firstCount == 1) m_firstB = m_firstA;
}

int64_t CandidateScan::find(const unsigned char* t, int64_t limit, int64_t from,
                            int64_t end) const {
  if (from >= end) return end;
  if (!m_bytes.empty()) {
    // A start s puts the stretch at s + m_beforeShortest to s + m_beforeLongest; the first
    // stretch found from from + m_beforeShortest on, at q, leaves no start before
    // q - m_beforeLongest.
    const int64_t scanEnd = std::min(limit, end - 1 + m_beforeLongest + m_bytes.size());
    const int64_t q = m_bytes.find(t, scanEnd, from + m_beforeShortest);
    if (q > scanEnd - m_bytes.size()) return end;
    return std::min(end, std::max(from, q - m_beforeLongest));
  }
  if (m_firstCount <= 2) return scanEither(t, end, from, m_firstA, m_firstB);
  return scanTable(t, end, from, m_first);
}

int64_t scanForChoice(const unsigned char* t, int64_t n, int64_t from, const CharChoice& choice,
                      const CandidateScan& firstBytes) {
  for (int64_t q = firstBytes.find(t, n, from, n); q < n; q = firstBytes.find(t, n, q + 1, n)) {
    if (acceptedAt(choice, t, n, q) > 0) return q;
  }
  return n;
}

}  // namespace tw
