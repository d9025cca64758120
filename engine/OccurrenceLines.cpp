#include "engine/OccurrenceLines.h"

#include <iterator>

namespace tw {

void LineSpanCollector::add(const Occurrence& found) {
  if (!m_spans.empty() && found.start < m_spans.back().end) {
    if (found.last >= m_spans.back().end) m_spans.back().end = lineEndAfter(found.last);
    return;
  }
  const int64_t floor = m_spans.empty() ? 0 : m_spans.back().end;
  const size_t lineFeed =
      m_text.substr(static_cast<size_t>(floor), static_cast<size_t>(found.start - floor))
          .rfind('\n');
  const int64_t begin =
      lineFeed == std::string_view::npos ? floor : floor + static_cast<int64_t>(lineFeed) + 1;
  m_spans.push_back({begin, lineEndAfter(found.last)});
}

int64_t LineSpanCollector::lineEndAfter(int64_t at) const {
  return NextLineStart(m_text, at);
}

std::vector<LineSpan> UniteLineSpans(const std::vector<LineSpan>& a,
                                     const std::vector<LineSpan>& b) {
  std::vector<LineSpan> all;
  all.reserve(a.size() + b.size());
  std::merge(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(all),
             [](const LineSpan& x, const LineSpan& y) { return x.begin < y.begin; });
  std::vector<LineSpan> united;
  for (const LineSpan& span : all) {
    if (!united.empty() && span.begin < united.back().end) {
      united.back().end = std::max(united.back().end, span.end);
    } else {
      united.push_back(span);
    }
  }
  return united;
}

int64_t NextLineStart(std::string_view text, int64_t at) {
  const size_t lineFeed = text.find('\n', static_cast<size_t>(at));
  return lineFeed == std::string_view::npos ? static_cast<int64_t>(text.size())
                                            : static_cast<int64_t>(lineFeed) + 1;
}

std::string_view LineAt(std::string_view text, int64_t at) {
  const size_t lineFeed = text.find('\n', static_cast<size_t>(at));
  int64_t stop = static_cast<int64_t>(text.size());
  if (lineFeed != std::string_view::npos) {
    stop = static_cast<int64_t>(lineFeed);
    if (stop > at && text[static_cast<size_t>(stop - 1)] == '\r') --stop;
  }
  return text.substr(static_cast<size_t>(at), static_cast<size_t>(stop - at));
}

int64_t LinesIn(std::string_view text, int64_t begin, int64_t end) {
  if (end <= begin) return 0;
  const int64_t feeds = std::count(text.begin() + begin, text.begin() + end, '\n');
  return feeds + (text[static_cast<size_t>(end - 1)] == '\n' ? 0 : 1);
}

}  // namespace tw
