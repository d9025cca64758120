#pragma once
// The lines that hold occurrences: spans of whole lines of a text, gathered from occurrences
// given in order, united across pairs and walked line by line. Lines are numbered from 1 by
// line feeds; a line is shown without its line feed and a carriage return before it.

#include "engine/Searcher.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tw {

// Whole lines of a text: from a line's first byte to just past the line feed of the same or
// a later line, or to the end of the text.
struct LineSpan {
  int64_t begin;
  int64_t end;
};

// The spans of the lines touched by one pair's occurrences, given in order of their starts: an
// occurrence that runs over line ends touches every line it runs over. Each byte of the text
// is looked at no more than once, however many occurrences share a long line.
class LineSpanCollector {
 public:
  explicit LineSpanCollector(std::string_view text) : m_text(text) {}

  void add(const Occurrence& found);
  std::vector<LineSpan> take() { return std::move(m_spans); }

 private:
  int64_t lineEndAfter(int64_t at) const;

  std::string_view m_text;
  std::vector<LineSpan> m_spans;
};

// Both lists in order of their starts, as one list in which no two spans share a line.
std::vector<LineSpan> UniteLineSpans(const std::vector<LineSpan>& a,
                                     const std::vector<LineSpan>& b);

// Where the line after the one holding `at` begins: just past the next line feed, or the end.
int64_t NextLineStart(std::string_view text, int64_t at);

// The line beginning at `at` without its line feed and a carriage return before it.
std::string_view LineAt(std::string_view text, int64_t at);

// The number of lines in text[begin, end), `begin` a line's first byte.
int64_t LinesIn(std::string_view text, int64_t begin, int64_t end);

// Calls `show(number, line)` for each line of `spans` in `text`, numbered from 1 by line
// feeds, without its line feed and a carriage return before it.
template <typename Show>
void ForEachLine(std::string_view text, const std::vector<LineSpan>& spans, Show show) {
  int64_t number = 1;
  int64_t numberedUpTo = 0;  // `number` is the number of the line holding this byte
  for (const LineSpan& span : spans) {
    number += std::count(text.begin() + numberedUpTo, text.begin() + span.begin, '\n');
    for (int64_t at = span.begin; at < span.end; ++number) {
      show(number, LineAt(text, at));
      at = NextLineStart(text, at);
    }
    numberedUpTo = span.end;
  }
}

}  // namespace tw
