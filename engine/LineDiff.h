#pragma once
// The line edit script between two versions of a text: the shortest one (Myers) while the
// texts differ in no more than a bound of lines, so that time and memory stay bounded for
// texts that differ everywhere.

#include <cstdint>
#include <string_view>
#include <vector>

namespace tw {

// The lines of `text`, each with its own line feed (the last one may have none).
std::vector<std::string_view> SplitLines(std::string_view text);

enum class LineEditOp : char { Keep = ' ', Remove = '-', Add = '+' };

struct LineEdit {
  LineEditOp op;
  int64_t a;  // line index in the text before (Keep, Remove; for Add, where it goes)
  int64_t b;  // line index in the text after (Keep, Add; for Remove, where it was)
};

// Beyond this many differing lines the shortest edit script is not searched for.
inline constexpr int64_t kMaxLineEditDistance = 2000;

// Every line of `before` and `after` in one script, in order, removals of a change before its
// additions. Lines equal at the start and end are kept first. When the middle differs in more
// than kMaxLineEditDistance lines, its lines are paired one to one if both sides have as many
// (equal lines kept, the others removed and added), or else it is removed and added whole.
std::vector<LineEdit> LineEditScript(const std::vector<std::string_view>& before,
                                     const std::vector<std::string_view>& after);

}  // namespace tw
