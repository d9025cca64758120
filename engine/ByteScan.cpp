#include "engine/ByteScan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    case ' ':
      return 120;
    case '<':
    case '>':
    case '/':
    case '"':
    case '=':
    case '.':
    case ',':
    case '\n':
      return 40;
    case '\r':
    case '\t':
    case '-':
    case ':':
    case ';':
    case '\'':
    case '(':
    case ')':
      return 20;
    default:
      break;
  }
  if (c >= '0' && c <= '9') return 20;
  if (c < 32 || c >= 127) return 2;
  return 8;
}

NeedleScanner::NeedleScanner(std::vector<std::pair<unsigned char, unsigned char>> needle) {
  int best = 1 << 30;
  int second = 1 << 30;
  for (size_t k = 0; k < needle.size(); ++k) {
    const auto [a, b] = needle[k];
    m_a.push_back(a);
    m_b.push_back(b);
    m_exact = m_exact && a == b;
    const int score = byteCommonness(a) + (a == b ? 0 : byteCommonness(b));
    if (score < best) {
      second = best;
      m_second = m_rare;
      best = score;
      m_rare = static_cast<int64_t>(k);
    } else if (score < second) {
      second = score;
      m_second = static_cast<int64_t>(k);
    }
  }
  if (needle.size() > 1 && m_second == m_rare) m_second = m_rare == 0 ? 1 : 0;
}

int64_t NeedleScanner::find(const unsigned char* t, int64_t n, int64_t from) const {
  const int64_t m = size();
  if (from < 0) from = 0;
  if (m == 0 || from > n - m) return n;
  if (m_exact && m > 1) {
    const void* hit = memmem(t + from, static_cast<size_t>(n - from), m_a.data(), m_a.size());
    return hit ? static_cast<const unsigned char*>(hit) - t : n;
  }
#if defined(__SSE2__)
  if (m > 1) {
    // Sixteen start positions at a time: a start is a candidate when both of the needle's two
    // rarest positions accept their text bytes; candidates are then checked whole. Every
    // load stays inside the text: p + 15 is a valid start, so p + 15 + (m - 1) < n.
    const auto r1 = m_rare;
    const auto r2 = m_second;
    const __m128i a1 = _mm_set1_epi8(static_cast<char>(m_a[static_cast<size_t>(r1)]));
    const __m128i b1 = _mm_set1_epi8(static_cast<char>(m_b[static_cast<size_t>(r1)]));
    const __m128i a2 = _mm_set1_epi8(static_cast<char>(m_a[static_cast<size_t>(r2)]));
    const __m128i b2 = _mm_set1_epi8(static_cast<char>(m_b[static_cast<size_t>(r2)]));
    const int64_t lastP = n - m;
    int64_t p = from;
    for (; p + 15 <= lastP; p += 16) {
      const __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + p + r1));
      const __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + p + r2));
      const __m128i hit1 = _mm_or_si128(_mm_cmpeq_epi8(x1, a1), _mm_cmpeq_epi8(x1, b1));
      const __m128i hit2 = _mm_or_si128(_mm_cmpeq_epi8(x2, a2), _mm_cmpeq_epi8(x2, b2));
      auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(hit1, hit2)));
      while (mask != 0) {
        const int64_t q = p + __builtin_ctz(mask);
        if (matchesAt(t, q)) return q;
        mask &= mask - 1;
      }
    }
    for (; p <= lastP; ++p) {
      if (matchesAt(t, p)) return p;
    }
    return n;
  }
#endif
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
