#pragma once
// Characters compared with Unicode letters (internal to the engine): which text characters a
// find character accepts, and the fast scan for where a run of such characters may begin.

#include <cstdint>
#include <vector>

#include "engine/ByteScan.h"
#include "text/Unicode.h"

namespace tw {

// The text characters that one find character accepts: itself, and without case sensitivity
// every character with the same simple case folding.
class CharChoice {
 public:
  CharChoice(char32_t c, bool caseSensitive);

  bool accepts(char32_t c) const {
    for (char32_t a : m_accepted) {
      if (a == c) return true;
    }
    return false;
  }
  const std::vector<char32_t>& accepted() const { return m_accepted; }

 private:
  std::vector<char32_t> m_accepted;
};

// The length of the character at t[p] when `choice` accepts it, else 0.
inline int acceptedAt(const CharChoice& choice, const unsigned char* t, int64_t n, int64_t p) {
  const text::TextCharacter c = text::characterAt(t, n, p);
  return choice.accepts(c.value) ? c.length : 0;
}

// Candidate starts for a run of find characters: a superset of the positions where the run
// matches, found by byte scans. The first stretch of characters whose accepted forms are at
// most two of one length goes to a NeedleScanner (each byte position accepting the byte of
// either form), and a start is looked for as far before a stretch found as the characters
// before the stretch may take ("section": "ection" is scanned for, one or two bytes after the
// s or long s). When no character has such forms, the scan is for the first character's
// possible first bytes.
class CandidateScan {
 public:
  CandidateScan() = default;
  explicit CandidateScan(const std::vector<CharChoice>& run);

  // The first candidate p in [from, end), or end; the scan reads no byte at or past `limit`
  // (end <= limit <= n; a candidate needs its bytes to lie before `limit`).
  int64_t find(const unsigned char* t, int64_t limit, int64_t from, int64_t end) const;

 private:
  NeedleScanner m_bytes;
  int64_t m_beforeShortest = 0;  // the bytes the characters before the stretch take at least
  int64_t m_beforeLongest = 0;   // and at most
  ByteTable m_first{};
  int m_firstCount = 0;
  unsigned char m_firstA = 0;
  unsigned char m_firstB = 0;
};

// The first position q in [from, n) at which a character that `choice` accepts begins, or n.
int64_t scanForChoice(const unsigned char* t, int64_t n, int64_t from, const CharChoice& choice,
                      const CandidateScan& firstBytes);

}  // namespace tw
