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

class Parser {
 public:
  Parser(bool caseSensitive, std::vector<ByteTable>& sets) : m_cs(caseSensitive), m_sets(sets) {}

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
              node.op = Op::Chars;
              node.a = node.b =
                  static_cast<unsigned char>(hexValue(uc(i + 2)) * 16 + hexValue(uc(i + 3)));
              next = i + 4;
            } else {
              node.op = Op::Fail;
              next = std::min(i + 4, len);
            }
          } else if (escapeByte(letter) >= 0) {
            node.op = Op::Chars;
            node.a = node.b = static_cast<unsigned char>(escapeByte(letter));
          } else if (escapeSet(letter) >= 0) {
            node.op = Op::Set;
            node.set = static_cast<uint32_t>(escapeSet(letter));
          } else {
            setLiteral(node, letter);
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
        setLiteral(node, c);
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
  void setLiteral(Node& node, unsigned char c) const {
    node.op = Op::Chars;
    node.a = c;
    node.b = m_cs ? c : (asciiLower(c) == c ? asciiUpper(c) : asciiLower(c));
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
    auto uc = [&](size_t k) { return static_cast<unsigned char>(p[k]); };
    auto addRange = [&](unsigned char lo, unsigned char hi) {
      int a = static_cast<signed char>(lo);
      int b = static_cast<signed char>(hi);
      if (b < a) std::swap(a, b);
      for (int v = a; v <= b; ++v) members[static_cast<unsigned char>(v)] = true;
    };
    size_t j = i + 1;
    bool negated = false;
    if (j < len && p[j] == '^') {
      negated = true;
      ++j;
    }
    while (j < len) {
      unsigned char single = uc(j);
      if (single == ']') {
        ++j;
        break;
      }
      if (single == '\\') {
        if (j + 1 == len) {
          j = len;
          break;
        }
        const unsigned char letter = uc(j + 1);
        if (letter == 'x' && j + 2 < len) {
          if (j + 3 < len && hexValue(uc(j + 2)) >= 0 && hexValue(uc(j + 3)) >= 0) {
            members[static_cast<unsigned char>(hexValue(uc(j + 2)) * 16 + hexValue(uc(j + 3)))] =
                true;
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
        if (escapeByte(letter) >= 0) {
          members[static_cast<unsigned char>(escapeByte(letter))] = true;
          j += 2;
          continue;
        }
        if (escapeSet(letter) >= 0) {
          const ByteTable& s = m_sets[static_cast<size_t>(escapeSet(letter))];
          for (unsigned v = 0; v < 256; ++v) members[v] = members[v] || s[v];
          j += 2;
          continue;
        }
        single = letter;
        j += 2;
      } else {
        ++j;
      }
      if (j + 1 < len && p[j] == '-') {
        addRange(single, uc(j + 1));
        j += 2;
      } else {
        members[single] = true;
      }
    }
    if (negated) {
      for (bool& b : members) b = !b;
    }
    node.op = Op::Set;
    node.set = static_cast<uint32_t>(m_sets.size());
    m_sets.push_back(members);
    return j;
  }

  bool m_cs;
  std::vector<ByteTable>& m_sets;
};

bool atLineEnd(const unsigned char* t, int64_t n, int64_t p) {
  if (p >= n) return true;
  if (t[p] == '\r') return p + 1 < n && t[p + 1] == '\n';
  return t[p] == '\n' && (p == 0 || t[p - 1] != '\r');
}

}  // namespace

Compiled compile(std::string_view pattern, bool caseSensitive) {
  Compiled compiled;
  for (uint32_t s = 0; s < kFixedSets; ++s) compiled.sets.push_back(makeSet(s));
  Parser parser(caseSensitive, compiled.sets);
  compiled.top = parser.parse(pattern, 0);
  return compiled;
}

int64_t matchProgram(const Compiled& compiled, const Program& program, std::string_view text,
                     int64_t s) {
  const auto* t = reinterpret_cast<const unsigned char*>(text.data());
  const auto n = static_cast<int64_t>(text.size());
  int64_t p = s;
  bool took = false;
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
        ++p;
        continue;
      case Op::Chars:
        do {
          if (p < n && (t[p] == node.a || t[p] == node.b)) {
            ++p;
            ++count;
          } else {
            break;
          }
        } while (count < node.max);
        break;
      case Op::Set: {
        const ByteTable& set = compiled.sets[node.set];
        do {
          if (p < n && set[t[p]]) {
            ++p;
            ++count;
          } else {
            break;
          }
        } while (count < node.max);
        break;
      }
      case Op::Any: {
        const int64_t left = n - p;
        count = std::min<int64_t>(left, node.max == 0 ? 1 : node.max);
        p += count;
        break;
      }
      case Op::Fail:
        break;
      case Op::Group:
        do {
          int64_t e = -1;
          for (const Program& alternative : node.alternatives) {
            e = matchProgram(compiled, alternative, text, p);
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

}  // namespace tw::regex
