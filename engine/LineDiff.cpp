#include "engine/LineDiff.h"

#include <algorithm>

namespace tw {

namespace {

// The shortest edit script between a[aBegin, aEnd) and b[bBegin, bEnd) (Myers), or false when
// it would be longer than kMaxLineEditDistance.
bool shortestEdits(const std::vector<std::string_view>& a, int64_t aBegin, int64_t aEnd,
                   const std::vector<std::string_view>& b, int64_t bBegin, int64_t bEnd,
                   std::vector<LineEdit>& edits) {
  const int64_t n = aEnd - aBegin;
  const int64_t m = bEnd - bBegin;
  const int64_t maxD = std::min(n + m, kMaxLineEditDistance);
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
  std::vector<LineEdit> reversed;
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
      reversed.push_back({LineEditOp::Keep, aBegin + x, bBegin + y});
    }
    if (x == prevX) {
      --y;
      reversed.push_back({LineEditOp::Add, aBegin + x, bBegin + y});
    } else {
      --x;
      reversed.push_back({LineEditOp::Remove, aBegin + x, bBegin + y});
    }
  }
  while (x > 0 && y > 0) {
    --x;
    --y;
    reversed.push_back({LineEditOp::Keep, aBegin + x, bBegin + y});
  }
  edits.insert(edits.end(), reversed.rbegin(), reversed.rend());
  return true;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
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

std::vector<LineEdit> LineEditScript(const std::vector<std::string_view>& a,
                                     const std::vector<std::string_view>& b) {
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

  std::vector<LineEdit> edits;
  for (int64_t i = 0; i < prefix; ++i) edits.push_back({LineEditOp::Keep, i, i});
  if (!shortestEdits(a, prefix, n - suffix, b, prefix, m - suffix, edits)) {
    if (n == m) {
      // As many lines on both sides (replacements that leave line ends alone): line by line.
      for (int64_t i = prefix; i < n - suffix;) {
        if (a[static_cast<size_t>(i)] == b[static_cast<size_t>(i)]) {
          edits.push_back({LineEditOp::Keep, i, i});
          ++i;
          continue;
        }
        int64_t end = i;
        while (end < n - suffix && a[static_cast<size_t>(end)] != b[static_cast<size_t>(end)])
          ++end;
        for (int64_t r = i; r < end; ++r) edits.push_back({LineEditOp::Remove, r, i});
        for (int64_t r = i; r < end; ++r) edits.push_back({LineEditOp::Add, end, r});
        i = end;
      }
    } else {
      for (int64_t i = prefix; i < n - suffix; ++i)
        edits.push_back({LineEditOp::Remove, i, prefix});
      for (int64_t j = prefix; j < m - suffix; ++j)
        edits.push_back({LineEditOp::Add, n - suffix, j});
    }
  }
  for (int64_t i = 0; i < suffix; ++i)
    edits.push_back({LineEditOp::Keep, n - suffix + i, m - suffix + i});
  return edits;
}

}  // namespace tw
