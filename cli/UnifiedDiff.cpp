#include "cli/UnifiedDiff.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tw::cli {

namespace {

constexpr int64_t kContext = 3;
// Beyond this many differing lines the middle part is shown as one replaced block instead of
// searching for the shortest edit script, to keep time and memory bounded.
constexpr int64_t kMaxEditDistance = 2000;

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

enum class Op : char { Keep = ' ', Remove = '-', Add = '+' };

struct Edit {
  Op op;
  int64_t a;  // line index in before (Keep, Remove)
  int64_t b;  // line index in after (Keep, Add)
};

// The shortest edit script between a[lo..] and b[lo..] ranges (Myers), or nothing when it
// would be longer than kMaxEditDistance.
bool shortestEdits(const std::vector<std::string_view>& a, int64_t aBegin, int64_t aEnd,
                   const std::vector<std::string_view>& b, int64_t bBegin, int64_t bEnd,
                   std::vector<Edit>& edits) {
  const int64_t n = aEnd - aBegin;
  const int64_t m = bEnd - bBegin;
  const int64_t maxD = std::min(n + m, kMaxEditDistance);
  const int64_t offset = maxD + 1;
  std::vector<int64_t> v(static_cast<size_t>(2 * offset + 1), 0);
  std::vector<std::vector<int64_t>> trace;
  int64_t found = -1;
  for (int64_t d = 0; d <= maxD && found < 0; ++d) {
    trace.push_back(v);
    for (int64_t k = -d; k <= d; k += 2) {
      int64_t x;
      if (k == -d || (k != d && v[static_cast<size_t>(offset + k - 1)] <
                                    v[static_cast<size_t>(offset + k + 1)])) {
        x = v[static_cast<size_t>(offset + k + 1)];
      } else {
        x = v[static_cast<size_t>(offset + k - 1)] + 1;
      }
      int64_t y = x - k;
      while (x < n && y < m &&
             a[static_cast<size_t>(aBegin + x)] == b[static_cast<size_t>(bBegin + y)]) {
        ++x;
        ++y;
      }
      v[static_cast<size_t>(offset + k)] = x;
      if (x >= n && y >= m) {
        found = d;
        break;
      }
    }
  }
  if (found < 0) return false;
  // Walk the trace back from the end.
  std::vector<Edit> reversed;
  int64_t x = n;
  int64_t y = m;
  for (int64_t d = found; d > 0; --d) {
    const std::vector<int64_t>& prev = trace[static_cast<size_t>(d)];
    const int64_t k = x - y;
    int64_t prevK;
    if (k == -d || (k != d && prev[static_cast<size_t>(offset + k - 1)] <
                                  prev[static_cast<size_t>(offset + k + 1)])) {
      prevK = k + 1;
    } else {
      prevK = k - 1;
    }
    const int64_t prevX = prev[static_cast<size_t>(offset + prevK)];
    const int64_t prevY = prevX - prevK;
    while (x > prevX && y > prevY) {
      --x;
      --y;
      reversed.push_back({Op::Keep, aBegin + x, bBegin + y});
    }
    if (x == prevX) {
      --y;
      reversed.push_back({Op::Add, aBegin + x, bBegin + y});
    } else {
      --x;
      reversed.push_back({Op::Remove, aBegin + x, bBegin + y});
    }
  }
  while (x > 0 && y > 0) {
    --x;
    --y;
    reversed.push_back({Op::Keep, aBegin + x, bBegin + y});
  }
  edits.insert(edits.end(), reversed.rbegin(), reversed.rend());
  return true;
}

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
  const std::vector<std::string_view> a = splitLines(before);
  const std::vector<std::string_view> b = splitLines(after);
  const int64_t n = static_cast<int64_t>(a.size());
  const int64_t m = static_cast<int64_t>(b.size());
  int64_t prefix = 0;
  while (prefix < n && prefix < m &&
         a[static_cast<size_t>(prefix)] == b[static_cast<size_t>(prefix)])
    ++prefix;
  int64_t suffix = 0;
  while (suffix < n - prefix && suffix < m - prefix &&
         a[static_cast<size_t>(n - 1 - suffix)] == b[static_cast<size_t>(m - 1 - suffix)]) {
    ++suffix;
  }

  std::vector<Edit> edits;
  for (int64_t i = 0; i < prefix; ++i) edits.push_back({Op::Keep, i, i});
  if (!shortestEdits(a, prefix, n - suffix, b, prefix, m - suffix, edits)) {
    for (int64_t i = prefix; i < n - suffix; ++i) edits.push_back({Op::Remove, i, prefix});
    for (int64_t j = prefix; j < m - suffix; ++j) edits.push_back({Op::Add, n - suffix, j});
  }
  for (int64_t i = 0; i < suffix; ++i) edits.push_back({Op::Keep, n - suffix + i, m - suffix + i});

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
    const Edit& head = edits[static_cast<size_t>(first)];
    out += "@@ -" + range(head.a, aCount) + " +" + range(head.b, bCount) + " @@\n";
    for (int64_t e = first; e < end; ++e) {
      const Edit& edit = edits[static_cast<size_t>(e)];
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
