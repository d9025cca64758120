#include "engine/ByteScan.h"

namespace tw {

int byteCommonness(unsigned char c) {
  static constexpr char kLetters[] = "etaoinshrdlcumwfgypbvkjxqz";  // most common first
  if (c >= 'A' && c <= 'Z') return byteCommonness(asciiLower(c)) / 4;
  if (c >= 'a' && c <= 'z') {
    for (int k = 0; kLetters[k] != 0; ++k) {
      if (static_cast<unsigned char>(kLetters[k]) == c) return 100 - 3 * k;
    }
  }
  switch (c) {
    case ' ': return 120;
    case '<': case '>': case '/': case '"': case '=': case '.': case ',': case '\n': return 40;
    case '\r': case '\t': case '-': case ':': case ';': case '\'': case '(': case ')': return 20;
    default: break;
  }
  if (c >= '0' && c <= '9') return 20;
  if (c < 32 || c >= 127) return 2;
  return 8;
}

NeedleScanner::NeedleScanner(std::vector<std::pair<unsigned char, unsigned char>> needle) {
  int best = 1 << 30;
  for (size_t k = 0; k < needle.size(); ++k) {
    const auto [a, b] = needle[k];
    m_a.push_back(a);
    m_b.push_back(b);
    m_exact = m_exact && a == b;
    const int score = byteCommonness(a) + (a == b ? 0 : byteCommonness(b));
    if (score < best) {
      best = score;
      m_rare = static_cast<int64_t>(k);
    }
  }
}

int64_t NeedleScanner::find(const unsigned char* t, int64_t n, int64_t from) const {
  const int64_t m = size();
  if (from < 0) from = 0;
  if (m == 0 || from > n - m) return n;
  if (m_exact && m > 1) {
    const void* hit = memmem(t + from, static_cast<size_t>(n - from), m_a.data(), m_a.size());
    return hit ? static_cast<const unsigned char*>(hit) - t : n;
  }
  const auto r = static_cast<size_t>(m_rare);
  int64_t q = from + m_rare;
  const int64_t lastQ = n - m + m_rare;
  while (q <= lastQ) {
    q = scanEither(t, lastQ + 1, q, m_a[r], m_b[r]);
    if (q > lastQ) break;
    if (matchesAt(t, q - m_rare)) return q - m_rare;
    ++q;
  }
  return n;
}

}  // namespace tw
