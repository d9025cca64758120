#include "cli/UnifiedDiff.h"

#include "engine/LineDiff.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tw::cli {

namespace {

constexpr int64_t kContext = 3;
using Op = LineEditOp;

void appendLine(std::string& out, char mark, std::string_view line) {
  out.push_back(mark);
  out.append(line);
  if (line.empty() || line.back() != '\n') out.append("\n\\ No newline at end of file\n");
}

std::string range(int64_t start, int64_t count) {
  // diff -u numbers lines from 1; an empty range names the line before it.
  std::string text = std::to_string(count == 0 ? start : start + 1);
  if (count != 1) text += "," + std::to_string(count);
  return text;
}

}  // namespace

std::string UnifiedDiff(const std::string& path, std::string_view before, std::string_view after) {
  if (before == after) return {};
  const std::vector<std::string_view> a = SplitLines(before);
  const std::vector<std::string_view> b = SplitLines(after);
  const std::vector<LineEdit> edits = LineEditScript(a, b);

  std::string out = "--- " + path + "\n+++ " + path + "\n";
  const int64_t total = static_cast<int64_t>(edits.size());
  int64_t i = 0;
  while (i < total) {
    while (i < total && edits[static_cast<size_t>(i)].op == Op::Keep) ++i;
    if (i == total) break;
    // A hunk: from kContext lines before this change to kContext lines after the last change
    // that is no more than 2 * kContext unchanged lines from the one before it.
    const int64_t first = std::max<int64_t>(0, i - kContext);
    int64_t last = i;
    int64_t j = i;
    while (j < total) {
      if (edits[static_cast<size_t>(j)].op != Op::Keep) {
        last = j;
        ++j;
        continue;
      }
      int64_t run = j;
      while (run < total && edits[static_cast<size_t>(run)].op == Op::Keep) ++run;
      if (run == total || run - j > 2 * kContext) break;
      j = run;
    }
    const int64_t end = std::min(total, last + 1 + kContext);
    int64_t aCount = 0;
    int64_t bCount = 0;
    for (int64_t e = first; e < end; ++e) {
      const Op op = edits[static_cast<size_t>(e)].op;
      aCount += op != Op::Add ? 1 : 0;
      bCount += op != Op::Remove ? 1 : 0;
    }
    const LineEdit& head = edits[static_cast<size_t>(first)];
    out += "@@ -" + range(head.a, aCount) + " +" + range(head.b, bCount) + " @@\n";
    for (int64_t e = first; e < end; ++e) {
      const LineEdit& edit = edits[static_cast<size_t>(e)];
      if (edit.op == Op::Add) {
        appendLine(out, '+', b[static_cast<size_t>(edit.b)]);
      } else {
        appendLine(out, static_cast<char>(edit.op), a[static_cast<size_t>(edit.a)]);
      }
    }
    i = end;
  }
  return out;
}

}  // namespace tw::cli
