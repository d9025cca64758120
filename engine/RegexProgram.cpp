#include "engine/RegexProgram.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "engine/RegexMatcher.h"

namespace tw::regex {
namespace {

constexpr int32_t kStarMax = 256;
constexpr int32_t kOpenMax = 32768;
constexpr int64_t kCountCap = std::numeric_limits<int32_t>::max();

// Fixed tables of the escapes; their indices in every Compiled::sets.
enum : uint32_t { kDigit, kNotDigit, kSpace, kNotSpace, kWord, kNotWord, kFixedSets };

constexpr bool isDigit(unsigned c) {
  return c >= '0' && c <= '9';
}

ByteTable makeSet(uint32_t which) {
  ByteTable t{};
  for (unsigned c = 0; c < 256; ++c) {
    switch (which) {
      case kDigit:
        t[c] = isDigit(c);
        break;
      case kNotDigit:
        t[c] = !isDigit(c);
        break;
      case kSpace:
        t[c] = c == ' ' || c == '\t';
        break;
      case kNotSpace:
        t[c] = !(c == ' ' || c == '\t');
        break;
      case kWord:
        t[c] = !(isDigit(c) || isRegexPunctuation(c));
        break;
      default:
        t[c] = isDigit(c) || isRegexPunctuation(c);
        break;
    }
  }
  return t;
}

int hexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The fixed set of an escape letter inside or outside a class, or -1.
int escapeSet(unsigned char letter) {
  switch (letter) {
    case 'd':
      return kDigit;
    case 'D':
      return kNotDigit;
    case 's':
      return kSpace;
    case 'S':
      return kNotSpace;
    case 'w':
      return kWord;
    case 'W':
      return kNotWord;
    default:
      return -1;
  }
}

int escapeByte(unsigned char letter) {
  switch (letter) {
    case 'r':
      return '\r';
    case 'n':
      return '\n';
    case 't':
      return '\t';
    default:
      return -1;
  }
}

// What a fixed set accepts beyond ASCII, with Unicode letters: \d the decimal digits, \s the
// space separators, \w every character that is neither a digit nor punctuation or a symbol
// (as in ASCII, where \w is everything but digits and punctuation).
bool fixedSetAccepts(uint32_t which, char32_t c) {
  switch (which) {
    case kDigit:
      return text::isDecimalDigit(c);
    case kNotDigit:
      return !text::isDecimalDigit(c);
    case kSpace:
      return text::isSpaceSeparator(c);
    case kNotSpace:
      return !text::isSpaceSeparator(c);
    case kWord:
      return !(text::isDecimalDigit(c) || text::isPunctuationOrSymbol(c));
    default:
      return text::isDecimalDigit(c) || text::isPunctuationOrSymbol(c);
  }
}

class Parser {
 public:
  explicit Parser(bool caseSensitive, Compiled& compiled)
      : m_cs(caseSensitive), m_unicode(compiled.unicode), m_compiled(compiled) {}

  Program parse(std::string_view p, int depth) {
    Program prog;
    const size_t len = p.size();
    size_t i = 0;
    auto uc = [&](size_t k) { return static_cast<unsigned char>(p[k]); };
    while (i < len) {
      const unsigned char c = uc(i);
      Node node;
      size_t next = i + 1;
      bool quantified = true;
      if (c == '^' && i == 0) {
        node.op = Op::StartAnchor;
        quantified = false;
      } else if (c == '$') {
        node.op = Op::EndAnchor;
        prog.nodes.push_back(std::move(node));
        break;
      } else if (c == '\\') {
        if (i + 1 == len) {
          node.op = Op::Fail;  // a trailing backslash accepts nothing
          quantified = false;
        } else {
          const unsigned char letter = uc(i + 1);
          next = i + 2;
          if (letter == 'x' && i + 2 < len) {
            if (i + 3 < len && hexValue(uc(i + 2)) >= 0 && hexValue(uc(i + 3)) >= 0) {
              setCharacter(node,
                           static_cast<char32_t>(hexValue(uc(i + 2)) * 16 + hexValue(uc(i + 3))),
                           true);
              next = i + 4;
            } else {
              node.op = Op::Fail;
              next = std::min(i + 4, len);
            }
          } else if (escapeByte(letter) >= 0) {
            setCharacter(node, static_cast<char32_t>(escapeByte(letter)), true);
          } else if (escapeSet(letter) >= 0) {
            node.op = Op::Set;
            node.set = static_cast<uint32_t>(escapeSet(letter));
          } else {
            size_t length = 1;
            setCharacter(node, characterAt(p, i + 1, length), false);
            next = i + 1 + length;
          }
        }
      } else if (c == '(') {
        size_t close = len;
        int balance = 0;
        for (size_t j = i; j < len; ++j) {
          if (p[j] == '(') {
            ++balance;
          } else if (p[j] == ')' && --balance == 0) {
            close = j;
            break;
          }
        }
        if (depth + 1 > kMaxRegexGroupDepth) {
          node.op = Op::Fail;
        } else {
          node.op = Op::Group;
          const std::string_view content = p.substr(i + 1, close - (i + 1));
          int level = 0;
          size_t altStart = 0;
          for (size_t j = 0; j <= content.size(); ++j) {
            if (j == content.size() || (content[j] == '|' && level == 0)) {
              node.alternatives.push_back(parse(content.substr(altStart, j - altStart), depth + 1));
              altStart = j + 1;
            } else if (content[j] == '(') {
              ++level;
            } else if (content[j] == ')') {
              --level;
            }
          }
        }
        next = close == len ? len : close + 1;
        quantified = close != len;
      } else if (c == '[') {
        next = parseClass(p, i, node);
        quantified = false;
      } else if (c == '.') {
        node.op = Op::Any;
      } else if (c == '*' || c == '+' || c == '?' || c == '{') {
        if (i + 1 == len) {
          node.op = Op::StrayEnd;
          prog.nodes.push_back(std::move(node));
          break;
        }
        node.op = Op::Stray;
        quantified = false;
      } else {
        size_t length = 1;
        setCharacter(node, characterAt(p, i, length), false);
        next = i + length;
      }
      if (quantified) {
        next = readQuantifier(p, next, node);
      }
      prog.nodes.push_back(std::move(node));
      i = next;
    }
    return prog;
  }

 private:
  // The character at p[k] and its length: a byte, or with Unicode letters a UTF-8 sequence.
  char32_t characterAt(std::string_view p, size_t k, size_t& length) const {
    if (!m_unicode) {
      length = 1;
      return static_cast<unsigned char>(p[k]);
    }
    const text::TextCharacter c =
        text::characterAt(reinterpret_cast<const unsigned char*>(p.data()),
                          static_cast<int64_t>(p.size()), static_cast<int64_t>(k));
    length = static_cast<size_t>(c.length);
    return c.value;
  }

  // A literal character; `exact` for the escapes that always compare exactly.
  void setCharacter(Node& node, char32_t c, bool exact) const {
    node.op = Op::Chars;
    if (m_unicode) {
      node.choice = static_cast<uint32_t>(m_compiled.choices.size());
      m_compiled.choices.emplace_back(c, m_cs || exact);
      return;
    }
    const auto b = static_cast<unsigned char>(c);
    node.a = b;
    node.b = (m_cs || exact) ? b : (asciiLower(b) == b ? asciiUpper(b) : asciiLower(b));
  }

  // Reads the quantifier at p[j] into node; returns the index after it.
  static size_t readQuantifier(std::string_view p, size_t j, Node& node) {
    const size_t len = p.size();
    if (j >= len) return j;
    switch (p[j]) {
      case '*':
        node.min = 0;
        node.max = kStarMax;
        return j + 1;
      case '+':
        node.min = 1;
        node.max = kStarMax;
        return j + 1;
      case '?':
        node.min = 0;
        node.max = 1;
        return j + 1;
      case '{':
        break;
      default:
        return j;
    }
    size_t k = j + 1;
    const int64_t first = readCount(p, k, true).value_or(0);
    if (k < len && p[k] == ',') {
      ++k;
      node.min = static_cast<int32_t>(first);
      node.max = static_cast<int32_t>(readCount(p, k, false).value_or(kOpenMax));
    } else {
      node.min = node.max = static_cast<int32_t>(first);
    }
    if (k < len) ++k;  // the closing brace
    return k;
  }

  // Collects the digits up to `}` (or `,` for the first count) or the end, skipping other
  // characters; none without a digit. Any number of digits is read, saturating at 2^31 - 1.
  static std::optional<int64_t> readCount(std::string_view p, size_t& k, bool stopAtComma) {
    std::optional<int64_t> value;
    while (k < p.size() && p[k] != '}' && !(stopAtComma && p[k] == ',')) {
      const auto d = static_cast<unsigned char>(p[k]);
      if (isDigit(d)) value = std::min(kCountCap, value.value_or(0) * 10 + (d - '0'));
      ++k;
    }
    return value;
  }

  // Reads the class that opens at p[i]; returns the index after it.
  size_t parseClass(std::string_view p, size_t i, Node& node) {
    const size_t len = p.size();
    ByteTable members{};
    WideSet wide;
    auto uc = [&](size_t k) { return static_cast<unsigned char>(p[k]); };
    auto addMember = [&](char32_t c) {
      if (c < (m_unicode ? 0x80U : 0x100U)) {
        members[c] = true;
      } else {
        wide.ranges.emplace_back(c, c);
      }
    };
    auto addRange = [&](char32_t lo, char32_t hi) {
      if (!m_unicode) {
        // Byte ranges compare as signed chars.
        int a = static_cast<signed char>(lo);
        int b = static_cast<signed char>(hi);
        if (b < a) std::swap(a, b);
        for (int v = a; v <= b; ++v) members[static_cast<unsigned char>(v)] = true;
        return;
      }
      if (hi < lo) std::swap(lo, hi);
      for (char32_t v = lo; v <= std::min<char32_t>(hi, 0x7F); ++v) members[v] = true;
      if (hi >= 0x80) wide.ranges.emplace_back(std::max<char32_t>(lo, 0x80), hi);
    };
    size_t j = i + 1;
    bool negated = false;
    if (j < len && p[j] == '^') {
      negated = true;
      ++j;
    }
    while (j < len) {
      size_t length = 1;
      char32_t single = characterAt(p, j, length);
      if (single == ']') {
        ++j;
        break;
      }
      if (single == '\\') {
        if (j + 1 == len) {
          j = len;
          break;
        }
        size_t letterLength = 1;
        const char32_t letter = characterAt(p, j + 1, letterLength);
        if (letter == 'x' && j + 2 < len) {
          if (j + 3 < len && hexValue(uc(j + 2)) >= 0 && hexValue(uc(j + 3)) >= 0) {
            addMember(static_cast<char32_t>(hexValue(uc(j + 2)) * 16 + hexValue(uc(j + 3))));
            j += 4;
          } else {
            j = std::min(j + 4, len);
          }
          continue;
        }
        if (letter == 'x') {  // `\x` at the very end: the letter x
          members['x'] = true;
          j += 2;
          continue;
        }
        if (letter < 0x80 && escapeByte(static_cast<unsigned char>(letter)) >= 0) {
          members[static_cast<unsigned char>(escapeByte(static_cast<unsigned char>(letter)))] =
              true;
          j += 2;
          continue;
        }
        if (letter < 0x80 && escapeSet(static_cast<unsigned char>(letter)) >= 0) {
          const auto which = static_cast<uint32_t>(escapeSet(static_cast<unsigned char>(letter)));
          const ByteTable& s = m_compiled.sets[which];
          for (unsigned v = 0; v < 256; ++v) members[v] = members[v] || s[v];
          wide.classes = static_cast<uint8_t>(wide.classes | (1U << which));
          j += 2;
          continue;
        }
        single = letter;
        j += 1 + letterLength;
      } else {
        j += length;
      }
      if (j + 1 < len && p[j] == '-') {
        size_t highLength = 1;
        addRange(single, characterAt(p, j + 1, highLength));
        j += 1 + highLength;
      } else {
        addMember(single);
      }
    }
    if (negated) {
      for (bool& b : members) b = !b;
      wide.negated = true;
    }
    node.op = Op::Set;
    node.set = static_cast<uint32_t>(m_compiled.sets.size());
    m_compiled.sets.push_back(members);
    if (m_unicode) m_compiled.wide.push_back(std::move(wide));
    return j;
  }

  bool m_cs;
  bool m_unicode;
  Compiled& m_compiled;
};

bool atLineEnd(const unsigned char* t, int64_t n, int64_t p) {
  if (p >= n) return true;
  if (t[p] == '\r') return p + 1 < n && t[p + 1] == '\n';
  return t[p] == '\n' && (p == 0 || t[p - 1] != '\r');
}

}  // namespace

bool WideSet::accepts(char32_t c) const {
  bool in = false;
  for (const auto& [lo, hi] : ranges) {
    if (c >= lo && c <= hi) {
      in = true;
      break;
    }
  }
  for (uint32_t which = 0; !in && which < kFixedSets; ++which) {
    in = (classes & (1U << which)) != 0 && fixedSetAccepts(which, c);
  }
  return in != negated;
}

Compiled compile(std::string_view pattern, bool caseSensitive, bool unicode) {
  Compiled compiled;
  compiled.unicode = unicode;
  for (uint32_t s = 0; s < kFixedSets; ++s) {
    compiled.sets.push_back(makeSet(s));
    if (unicode) compiled.wide.push_back(WideSet{{}, static_cast<uint8_t>(1U << s), false});
  }
  Parser parser(caseSensitive, compiled);
  compiled.top = parser.parse(pattern, 0);
  return compiled;
}

namespace {

// One text unit at p (p < n) as an element takes it: a byte, or with Unicode letters (Characters)
// a whole character. Each returns the unit's length when the element accepts it, else 0.
template <bool Characters>
struct Units;

template <>
struct Units<false> {
  static int64_t any(const unsigned char*, int64_t, int64_t) { return 1; }
  static int64_t chars(const Compiled&, const Node& node, const unsigned char* t, int64_t,
                       int64_t p) {
    return t[p] == node.a || t[p] == node.b ? 1 : 0;
  }
  static int64_t set(const Compiled& compiled, const Node& node, const unsigned char* t, int64_t,
                     int64_t p) {
    return compiled.sets[node.set][t[p]] ? 1 : 0;
  }
};

template <>
struct Units<true> {
  static int64_t any(const unsigned char* t, int64_t n, int64_t p) {
    return text::characterAt(t, n, p).length;
  }
  static int64_t chars(const Compiled& compiled, const Node& node, const unsigned char* t,
                       int64_t n, int64_t p) {
    return acceptedAt(compiled.choices[node.choice], t, n, p);
  }
  static int64_t set(const Compiled& compiled, const Node& node, const unsigned char* t, int64_t n,
                     int64_t p) {
    const text::TextCharacter c = text::characterAt(t, n, p);
    const bool in = c.value < 0x80 ? compiled.sets[node.set][c.value]
                                   : compiled.wide[node.set].accepts(c.value);
    return in ? c.length : 0;
  }
};

template <bool Characters>
int64_t matchUnits(const Compiled& compiled, const Program& program, std::string_view text,
                   int64_t s) {
  using U = Units<Characters>;
  const auto* t = reinterpret_cast<const unsigned char*>(text.data());
  const auto n = static_cast<int64_t>(text.size());
  int64_t p = s;
  bool took = false;
  // Repeats an element that takes one unit: at least one try, so `a{0}` fails where an "a"
  // stands, then as often as the element allows.
  auto repeat = [&](const Node& node, auto takes) {
    int64_t count = 0;
    do {
      const int64_t length = p < n ? takes(p) : 0;
      if (length == 0) break;
      p += length;
      ++count;
    } while (count < node.max);
    return count;
  };
  for (const Node& node : program.nodes) {
    int64_t count = 0;
    switch (node.op) {
      case Op::StartAnchor:
        if (!(p == 0 || t[p - 1] == '\n')) return -1;
        continue;
      case Op::EndAnchor:
        if (!atLineEnd(t, n, p)) return -1;
        return took ? p - 1 : -1;
      case Op::StrayEnd:
        return took ? p - 1 : -1;
      case Op::Stray:
        if (p >= n) return -1;
        p += U::any(t, n, p);
        continue;
      case Op::Chars:
        count = repeat(node, [&](int64_t q) { return U::chars(compiled, node, t, n, q); });
        break;
      case Op::Set:
        count = repeat(node, [&](int64_t q) { return U::set(compiled, node, t, n, q); });
        break;
      case Op::Any: {
        // Takes as many units as it may, one even for `.{0}` (which then fails).
        const int64_t most = node.max == 0 ? 1 : node.max;
        if constexpr (Characters) {
          while (count < most && p < n) {
            p += U::any(t, n, p);
            ++count;
          }
        } else {
          count = std::min<int64_t>(n - p, most);
          p += count;
        }
        break;
      }
      case Op::Fail:
        break;
      case Op::Group:
        do {
          int64_t e = -1;
          for (const Program& alternative : node.alternatives) {
            e = matchUnits<Characters>(compiled, alternative, text, p);
            if (e >= 0) break;
          }
          if (e < 0) break;
          p = e + 1;
          ++count;
        } while (count < node.max);
        break;
    }
    if (count < node.min || count > node.max) return -1;
    took = took || count > 0;
  }
  return took ? p - 1 : -1;
}

}  // namespace

int64_t matchProgram(const Compiled& compiled, const Program& program, std::string_view text,
                     int64_t s) {
  return compiled.unicode ? matchUnits<true>(compiled, program, text, s)
                          : matchUnits<false>(compiled, program, text, s);
}

}  // namespace tw::regex
