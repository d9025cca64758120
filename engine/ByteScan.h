#pragma once
// Fast forward scans over a byte buffer (internal to the engine): one byte (memchr), either
// of two bytes (eight bytes at a time), a byte table, and a short needle whose positions
// each accept one or two bytes (memmem, or a scan for its rarest byte and a check).

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/ByteClasses.h"

namespace tw {

// Each returns the first index in [from, n) holding a wanted byte, or n.
inline int64_t scanByte(const unsigned char* t, int64_t n, int64_t from, unsigned char c) {
  if (from >= n) return n;
  const void* hit = std::memchr(t + from, c, static_cast<size_t>(n - from));
  return hit ? static_cast<const unsigned char*>(hit) - t : n;
}

namespace detail {
constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHighs = 0x8080808080808080ULL;
// Marks the zero bytes of x; the lowest marked byte is always a true zero.
constexpr uint64_t zeroBytes(uint64_t x) {
  return (x - kOnes) & ~x & kHighs;
}
}  // namespace detail

inline int64_t scanEither(const unsigned char* t, int64_t n, int64_t from, unsigned char a,
                          unsigned char b) {
  if (a == b) return scanByte(t, n, from, a);
  int64_t i = from;
  const uint64_t wa = detail::kOnes * a;
  const uint64_t wb = detail::kOnes * b;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, t + i, 8);
    const uint64_t hits = detail::zeroBytes(w ^ wa) | detail::zeroBytes(w ^ wb);
    if (hits) {
      // Find the first real hit byte by byte: only the lowest mark is exact.
      for (int64_t j = i; j < i + 8; ++j) {
        if (t[j] == a || t[j] == b) return j;
      }
    }
  }
  for (; i < n; ++i) {
    if (t[i] == a || t[i] == b) return i;
  }
  return n;
}

inline int64_t scanTable(const unsigned char* t, int64_t n, int64_t from, const ByteTable& set) {
  int64_t i = from;
  for (; i + 4 <= n; i += 4) {
    const int any = static_cast<int>(set[t[i]]) | static_cast<int>(set[t[i + 1]]) |
                    static_cast<int>(set[t[i + 2]]) | static_cast<int>(set[t[i + 3]]);
    if (any != 0) break;
  }
  for (; i < n; ++i) {
    if (set[t[i]]) return i;
  }
  return n;
}

// How common a byte is in everyday prose and markup, roughly; used to pick the byte of a
// needle that is scanned for.
int byteCommonness(unsigned char c);

// A needle of one or more positions, each accepting the byte `a` or the byte `b`.
class NeedleScanner {
 public:
  NeedleScanner() = default;
  explicit NeedleScanner(std::vector<std::pair<unsigned char, unsigned char>> needle);

  bool empty() const { return m_a.empty(); }
  int64_t size() const { return static_cast<int64_t>(m_a.size()); }

  // The first p in [from, n - size()] at which the needle matches, or n.
  int64_t find(const unsigned char* t, int64_t n, int64_t from) const;

  // Whether the needle matches at p (p + size() <= n).
  bool matchesAt(const unsigned char* t, int64_t p) const {
    for (size_t k = 0; k < m_a.size(); ++k) {
      const unsigned char c = t[p + static_cast<int64_t>(k)];
      if (c != m_a[k] && c != m_b[k]) return false;
    }
    return true;
  }

 private:
  std::vector<unsigned char> m_a;
  std::vector<unsigned char> m_b;
  bool m_exact = true;   // every position accepts one byte
  int64_t m_rare = 0;    // the position scanned for
  int64_t m_second = 0;  // the next rarest position, checked together with it
};

}  // namespace tw
