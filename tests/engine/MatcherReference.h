#pragma once
// Plain reference versions of the two matchers, written step by step from their rules with
// no attention to speed: the oracle that the engine's fast matchers and searcher are
// compared with (differential tests and the fuzz target). Both work on a pointer and a
// length, read nothing outside them, and interpret the pattern text anew on every call.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/RegexMatcher.h"

namespace tw::reference {

inline unsigned char toLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}
inline unsigned char toUpper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

inline bool charsMatch(unsigned char t, unsigned char f, bool caseSensitive) {
  if (caseSensitive) return t == f;
  return t == f || t == toLower(f) || t == toUpper(f);
}

inline bool isWordDelimiter(unsigned char c) {
  if (c == 32) return true;
  if (c >= 33 && c <= 47) return true;
  if (c >= 58 && c <= 64) return true;
  if (c >= 91 && c <= 96) return true;
  if (c >= 123 && c <= 126) return true;
  return c == 9 || c == 10 || c == 11 || c == 12 || c == 13;  // TAB LF VT FF CR
}

struct Flags {
  bool caseSensitive = false;
  bool wholeWords = false;
  bool anything = true;
};

// Steps 1 to 7 of the occurrence test.
inline int64_t matchLiteralAt(const unsigned char* text, int64_t n, int64_t s,
                              const unsigned char* find, int64_t m, Flags flags) {
  if (m < 1 || s < 0 || s >= n) return -1;
  static const char token[] = "%anything%";
  if (!charsMatch(text[s], find[0], flags.caseSensitive)) return -1;  // 1
  int64_t t = s;                                                      // 2
  int64_t k = 0;
  while (true) {
    if (flags.anything && k + 10 < m) {  // 3
      bool isToken = true;
      for (int64_t x = 0; x < 10; ++x)
        isToken = isToken && find[k + x] == static_cast<unsigned char>(token[x]);
      if (isToken) {
        int64_t w = t;
        while (w < n && !charsMatch(text[w], find[k + 10], flags.caseSensitive)) ++w;
        if (w >= n) return -1;
        t = w;
        k = k + 10;
      }
    }
    if (!charsMatch(text[t], find[k], flags.caseSensitive)) return -1;                    // 4
    if (t == s && s > 0 && flags.wholeWords && !isWordDelimiter(text[s - 1])) return -1;  // 5
    if (k == m - 1) {                                                                     // 6
      if (t + 1 < n && flags.wholeWords && !isWordDelimiter(text[t + 1])) return -1;
      return t;
    }
    k = k + 1;  // 7
    t = t + 1;
    if (t == n) return -1;
  }
}

inline bool isFilenameReference(const unsigned char* text, int64_t n, int64_t e) {
  if (e < 0 || e >= n) return false;
  const std::string stops = "\"#$%&*+<>\\^`";
  int64_t i = e;
  while (i >= 0 && stops.find(static_cast<char>(text[i])) == std::string::npos) --i;
  if (i < 0) return false;
  if (text[i] != '"') return false;
  i = i - 1;
  while (i >= 0 && text[i] == ' ') --i;
  if (i < 0 || text[i] != '=') return false;
  i = i - 1;
  while (i >= 0 && text[i] == ' ') --i;
  if (i < 0) return false;
  const int64_t r = i;
  if (r < 5) return false;
  std::string word;
  for (int64_t x = r - 3; x <= r; ++x) word += static_cast<char>(toUpper(text[x]));
  return word == "HREF";
}

// --- The regular-expression matcher -------------------------------------------------

inline bool isDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
inline bool isHex(unsigned char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
inline int hexOf(unsigned char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}
inline bool isPunct31(unsigned char c) {
  return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 94) || c == 96 ||
         (c >= 123 && c <= 126);
}

// Whether escape letter L (one of r n t d D s S w W) accepts c.
inline bool escapeAccepts(unsigned char letter, unsigned char c) {
  switch (letter) {
    case 'r':
      return c == 13;
    case 'n':
      return c == 10;
    case 't':
      return c == 9;
    case 'd':
      return isDigit(c);
    case 'D':
      return !isDigit(c);
    case 's':
      return c == 32 || c == 9;
    case 'S':
      return !(c == 32 || c == 9);
    case 'w':
      return !(isDigit(c) || isPunct31(c));
    case 'W':
      return isDigit(c) || isPunct31(c);
    default:
      return false;
  }
}
inline bool isEscapeLetter(unsigned char c) {
  return c == 'r' || c == 'n' || c == 't' || c == 'd' || c == 'D' || c == 's' || c == 'S' ||
         c == 'w' || c == 'W';
}

struct Quantifier {
  int64_t min = 1;
  int64_t max = 1;
  int64_t next = 0;  // pattern index after the quantifier
};

// Reads the quantifier directly behind an element that ends before pattern index j.
inline Quantifier readQuantifier(const unsigned char* pat, int64_t m, int64_t j) {
  Quantifier q;
  q.next = j;
  if (j >= m) return q;
  if (pat[j] == '*') return {0, 256, j + 1};
  if (pat[j] == '+') return {1, 256, j + 1};
  if (pat[j] == '?') return {0, 1, j + 1};
  if (pat[j] != '{') return q;
  const int64_t cap = 2147483647;
  int64_t k = j + 1;
  int64_t first = 0;
  while (k < m && pat[k] != ',' && pat[k] != '}') {
    if (isDigit(pat[k])) first = std::min(cap, first * 10 + (pat[k] - '0'));
    ++k;
  }
  if (k < m && pat[k] == ',') {
    ++k;
    int64_t second = 0;
    bool any = false;
    while (k < m && pat[k] != '}') {
      if (isDigit(pat[k])) {
        second = std::min(cap, second * 10 + (pat[k] - '0'));
        any = true;
      }
      ++k;
    }
    q.min = first;
    q.max = any ? second : 32768;
  } else {
    q.min = first;
    q.max = first;
  }
  if (k < m) ++k;  // '}'
  q.next = k;
  return q;
}

// One member of a class.
struct Member {
  enum Kind { Range, Escape, Nothing } kind = Nothing;
  int lo = 0;  // signed codes
  int hi = 0;
  unsigned char letter = 0;
};

inline int64_t regexMatchAt(const unsigned char* text, int64_t n, int64_t s,
                            const unsigned char* pat, int64_t m, bool cs, int depth = 0);

// The main loop, with the pattern index i, the text position p and the consumed count c.
inline int64_t regexMatchAt(const unsigned char* text, int64_t n, int64_t s,
                            const unsigned char* pat, int64_t m, bool cs, int depth) {
  int64_t i = 0;
  int64_t p = s;
  int64_t c = 0;
  auto litEq = [cs](unsigned char t, unsigned char f) {
    return cs ? t == f : toUpper(t) == toUpper(f);
  };
  while (i < m) {
    const unsigned char ch = pat[i];
    // 1. start anchor (also at the start of the text and after a lone LF)
    if (ch == '^' && i == 0) {
      if (p == 0 || (p >= 1 && text[p - 1] == 10)) {
        i = 1;
        continue;
      }
      return -1;
    }
    // 2. end anchor (also before a lone LF and at the end of the text)
    if (ch == '$') {
      const bool crlf = p + 1 < n && text[p] == 13 && text[p + 1] == 10;
      const bool loneLf = p < n && text[p] == 10 && (p == 0 || text[p - 1] != 13);
      if (crlf || loneLf || p == n) break;
      return -1;
    }
    // 5. class: one character, no quantifier
    if (ch == '[') {
      std::vector<Member> members;
      int64_t j = i + 1;
      bool negated = false;
      if (j < m && pat[j] == '^') {
        negated = true;
        ++j;
      }
      while (j < m && pat[j] != ']') {
        int single = -1;
        if (pat[j] == '\\') {
          if (j + 1 >= m) {
            j = m;
            break;
          }
          const unsigned char letter = pat[j + 1];
          if (letter == 'x' && j + 2 < m) {
            Member mem;
            if (j + 3 < m && isHex(pat[j + 2]) && isHex(pat[j + 3])) {
              mem.kind = Member::Range;
              mem.lo = mem.hi =
                  static_cast<signed char>(hexOf(pat[j + 2]) * 16 + hexOf(pat[j + 3]));
            }
            members.push_back(mem);
            j = std::min(j + 4, m);
            continue;
          }
          if (letter == 'x') {
            members.push_back({Member::Range, 'x', 'x', 0});
            j += 2;
            continue;
          }
          if (isEscapeLetter(letter)) {
            members.push_back({Member::Escape, 0, 0, letter});
            j += 2;
            continue;
          }
          single = letter;
          j += 2;
        } else {
          single = pat[j];
          j += 1;
        }
        Member mem{Member::Range, static_cast<signed char>(single),
                   static_cast<signed char>(single), 0};
        if (j + 1 < m && pat[j] == '-') {
          mem.hi = static_cast<signed char>(pat[j + 1]);
          if (mem.hi < mem.lo) std::swap(mem.lo, mem.hi);
          j += 2;
        }
        members.push_back(mem);
      }
      if (j < m) ++j;  // ']'
      if (p >= n) return -1;
      bool accepted = false;
      for (const Member& mem : members) {
        const int sc = static_cast<signed char>(text[p]);
        if (mem.kind == Member::Range && mem.lo <= sc && sc <= mem.hi) accepted = true;
        if (mem.kind == Member::Escape && escapeAccepts(mem.letter, text[p])) accepted = true;
      }
      if (accepted == negated) return -1;
      p += 1;
      c += 1;
      i = j;
      continue;
    }
    // 7. stray quantifier
    if (ch == '*' || ch == '+' || ch == '?' || ch == '{') {
      if (i == m - 1) break;
      if (p >= n) return -1;
      i += 1;
      p += 1;
      continue;
    }
    // 3, 4, 6, 8: elements with a quantifier. test(q) gives the characters taken at q or -1.
    int64_t end = i + 1;  // pattern index after the element
    bool quantified = true;
    enum { OneChar, Group, Never } kind = OneChar;
    int acceptLetter = -1;  // escape letter, or -1
    int exact = -1;         // exact byte, or -1
    int literal = -1;       // literal byte compared with the case flag, or -1
    bool any = false;
    std::vector<std::string> alternatives;
    if (ch == '\\') {
      if (i + 1 >= m) {
        kind = Never;
        quantified = false;
      } else {
        const unsigned char letter = pat[i + 1];
        end = i + 2;
        if (letter == 'x' && i + 2 < m) {
          if (i + 3 < m && isHex(pat[i + 2]) && isHex(pat[i + 3])) {
            exact = hexOf(pat[i + 2]) * 16 + hexOf(pat[i + 3]);
            end = i + 4;
          } else {
            kind = Never;
            end = std::min(i + 4, m);
          }
        } else if (isEscapeLetter(letter)) {
          acceptLetter = letter;
        } else {
          literal = letter;
        }
      }
    } else if (ch == '(') {
      int64_t count = 0;
      int64_t close = -1;
      for (int64_t j = i; j < m; ++j) {
        if (pat[j] == '(') ++count;
        if (pat[j] == ')') --count;
        if (count == 0) {
          close = j;
          break;
        }
      }
      const int64_t contentEnd = close < 0 ? m : close;
      end = close < 0 ? m : close + 1;
      quantified = close >= 0;
      std::string current;
      int level = 0;
      for (int64_t j = i + 1; j < contentEnd; ++j) {
        if (pat[j] == '|' && level == 0) {
          alternatives.push_back(current);
          current.clear();
          continue;
        }
        if (pat[j] == '(') ++level;
        if (pat[j] == ')') --level;
        current += static_cast<char>(pat[j]);
      }
      alternatives.push_back(current);
      kind = depth + 1 > kMaxRegexGroupDepth ? Never : Group;
    } else if (ch == '.') {
      any = true;
    } else {
      literal = ch;
    }
    const Quantifier q = quantified ? readQuantifier(pat, m, end) : Quantifier{1, 1, end};
    auto test = [&](int64_t at) -> int64_t {
      if (kind == Never) return -1;
      if (kind == Group) {
        for (const std::string& alt : alternatives) {
          const int64_t e =
              regexMatchAt(text, n, at, reinterpret_cast<const unsigned char*>(alt.data()),
                           static_cast<int64_t>(alt.size()), cs, depth + 1);
          if (e >= 0) return e - at + 1;
        }
        return -1;
      }
      if (at >= n) return -1;
      const unsigned char t = text[at];
      if (any) return 1;
      if (acceptLetter >= 0)
        return escapeAccepts(static_cast<unsigned char>(acceptLetter), t) ? 1 : -1;
      if (exact >= 0) return t == exact ? 1 : -1;
      return litEq(t, static_cast<unsigned char>(literal)) ? 1 : -1;
    };
    // The common repetition rule.
    int64_t count = 0;
    int64_t taken = 0;
    int64_t at = p;
    while (true) {
      const int64_t got = test(at);
      if (got < 0) break;
      at += got;
      taken += got;
      count += 1;
      if (count >= q.max) break;
    }
    if (count < q.min || count > q.max) return -1;
    c += taken;
    p = at;
    i = q.next;
  }
  return c >= 1 ? p - 1 : -1;
}

// --- Convenience forms and the naive search -----------------------------------------

inline const unsigned char* bytes(std::string_view s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}
inline int64_t size(std::string_view s) {
  return static_cast<int64_t>(s.size());
}

inline int64_t literalAt(std::string_view text, int64_t s, std::string_view find, Flags flags) {
  return matchLiteralAt(bytes(text), size(text), s, bytes(find), size(find), flags);
}
inline int64_t regexAt(std::string_view text, int64_t s, std::string_view pattern, bool cs) {
  return regexMatchAt(bytes(text), size(text), s, bytes(pattern), size(pattern), cs, 0);
}
inline bool filenameReference(std::string_view text, int64_t e) {
  return isFilenameReference(bytes(text), size(text), e);
}

// The first occurrence at or after `from`, asking at every position in turn.
template <typename AskAt>
std::optional<std::pair<int64_t, int64_t>> firstFrom(std::string_view text, int64_t from,
                                                     AskAt ask) {
  for (int64_t s = std::max<int64_t>(from, 0); s < size(text); ++s) {
    const int64_t e = ask(s);
    if (e >= 0) return std::make_pair(s, e);
  }
  return std::nullopt;
}

}  // namespace tw::reference
