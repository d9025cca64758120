#pragma once
// The compiled form of a regular-expression pattern (internal to the engine): the pattern is
// read once into a tree of elements, which the matcher then interprets at each start
// position. Reading it is the only place where the pattern's text rules live.

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/ByteClasses.h"
#include "engine/UnicodeChars.h"

namespace tw::regex {

enum class Op : uint8_t {
  StartAnchor,  // `^` first in its pattern: takes nothing
  EndAnchor,    // `$`: ends the pattern, takes nothing
  StrayEnd,     // a stray quantifier as the last pattern character: ends the pattern
  Stray,        // a stray quantifier elsewhere: passes over one text character
  Chars,        // a literal character: accepts `a` or `b` (equal when compared exactly), or
                // with Unicode letters the characters of Compiled::choices[choice]
  Set,          // an escape or a class: accepts the bytes of a table (with Unicode letters,
                // the characters of the table below 128 and of Compiled::wide beyond)
  Any,          // `.`
  Fail,         // accepts no character (trailing `\`, invalid \xHH, a group nested too deep)
  Group,
};

struct Program;

struct Node {
  Op op = Op::Fail;
  unsigned char a = 0;
  unsigned char b = 0;
  uint32_t set = 0;     // index into Compiled::sets (and Compiled::wide)
  uint32_t choice = 0;  // index into Compiled::choices
  int32_t min = 1;
  int32_t max = 1;
  std::vector<Program> alternatives;  // Group only
};

// One pattern (the whole find string, or one group alternative), in element order.
struct Program {
  std::vector<Node> nodes;
};

// What a set accepts beyond ASCII, with Unicode letters: a character in one of the ranges or
// of one of the escape classes, or (negated) in none of them.
struct WideSet {
  std::vector<std::pair<char32_t, char32_t>> ranges;  // inclusive
  uint8_t classes = 0;                                // bits: 1 << the fixed set's index
  bool negated = false;

  bool accepts(char32_t c) const;
};

struct Compiled {
  Program top;
  std::vector<ByteTable> sets;
  // With Unicode letters (the pattern valid UTF-8): the pattern is read and matched by
  // characters; `.`, a class and a stray quantifier take one character.
  bool unicode = false;
  std::vector<WideSet> wide;  // one per set
  std::vector<CharChoice> choices;
};

Compiled compile(std::string_view pattern, bool caseSensitive, bool unicode = false);

// The last index of the match of `program` that begins at s (0 <= s <= text size), or -1.
int64_t matchProgram(const Compiled& compiled, const Program& program, std::string_view text,
                     int64_t s);

inline int64_t matchAt(const Compiled& compiled, std::string_view text, int64_t s) {
  return matchProgram(compiled, compiled.top, text, s);
}

}  // namespace tw::regex
