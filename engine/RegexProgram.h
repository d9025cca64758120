#pragma once
// The compiled form of a regular-expression pattern (internal to the engine): the pattern is
// read once into a tree of elements, which the matcher then interprets at each start
// position. Reading it is the only place where the pattern's text rules live.

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/ByteClasses.h"

namespace tw::regex {

enum class Op : uint8_t {
  StartAnchor,  // `^` first in its pattern: takes nothing
  EndAnchor,    // `$`: ends the pattern, takes nothing
  StrayEnd,     // a stray quantifier as the last pattern character: ends the pattern
  Stray,        // a stray quantifier elsewhere: passes over one text character
  Chars,        // a literal character: accepts `a` or `b` (equal when compared exactly)
  Set,          // an escape or a class: accepts the bytes of a table
  Any,          // `.`
  Fail,         // accepts no character (trailing `\`, invalid \xHH, a group nested too deep)
  Group,
};

struct Program;

struct Node {
  Op op = Op::Fail;
  unsigned char a = 0;
  unsigned char b = 0;
  uint32_t set = 0;  // index into Compiled::sets
  int32_t min = 1;
  int32_t max = 1;
  std::vector<Program> alternatives;  // Group only
};

// One pattern (the whole find string, or one group alternative), in element order.
struct Program {
  std::vector<Node> nodes;
};

struct Compiled {
  Program top;
  std::vector<ByteTable> sets;
};

Compiled compile(std::string_view pattern, bool caseSensitive);

// The last index of the match of `program` that begins at s (0 <= s <= text size), or -1.
int64_t matchProgram(const Compiled& compiled, const Program& program, std::string_view text,
                     int64_t s);

inline int64_t matchAt(const Compiled& compiled, std::string_view text, int64_t s) {
  return matchProgram(compiled, compiled.top, text, s);
}

}  // namespace tw::regex
