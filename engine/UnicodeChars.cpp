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

CandidateScan::CandidateScan(const std::vector<CharChoice>& run) {
  std::vector<std::pair<unsigned char, unsigned char>> bytes;
  for (const CharChoice& choice : run) {
    const auto& forms = choice.accepted();
    if (forms.size() > 2) break;
    unsigned char a[4];
    unsigned char b[4];
    const int length = text::encodeCharacter(forms.front(), a);
    if (text::encodeCharacter(forms.back(), b) != length) break;
    for (int k = 0; k < length; ++k) bytes.emplace_back(a[k], b[k]);
  }
  if (!bytes.empty()) {
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
    const int64_t scanEnd = std::min(limit, end + m_bytes.size() - 1);
    return std::min(m_bytes.find(t, scanEnd, from), end);
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
