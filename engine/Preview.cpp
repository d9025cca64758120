#include "engine/Preview.h"

#include "engine/ApplyPair.h"
#include "engine/Clock.h"
#include "engine/FindOccurrences.h"
#include "engine/LineDiff.h"
#include "engine/OccurrenceLines.h"
#include "engine/Region.h"
#include "engine/Run.h"
#include "engine/rtf/RtfDocument.h"
#include "text/Encoding.h"
#include "text/Windows1252.h"
#include "writeback/LoadFile.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>

namespace tw {

// --- Fingerprints -------------------------------------------------------------------------

namespace {

// A word-at-a-time hash in four lanes (the xxh64 mixing): about as fast as memory is read.
constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

uint64_t rotateLeft(uint64_t x, int bits) {
  return (x << bits) | (x >> (64 - bits));
}

uint64_t load64(const char* at) {
  uint64_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

uint64_t mixLane(uint64_t lane, uint64_t input) {
  lane += input * kPrime2;
  return rotateLeft(lane, 31) * kPrime1;
}

uint64_t mergeLane(uint64_t hash, uint64_t lane) {
  hash ^= mixLane(0, lane);
  return hash * kPrime1 + kPrime4;
}

}  // namespace

ContentFingerprint FingerprintOf(std::string_view content) {
  const char* at = content.data();
  const char* const end = at + content.size();
  uint64_t hash = kPrime5;
  if (content.size() >= 32) {
    uint64_t lanes[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
    for (; end - at >= 32; at += 32) {
      lanes[0] = mixLane(lanes[0], load64(at));
      lanes[1] = mixLane(lanes[1], load64(at + 8));
      lanes[2] = mixLane(lanes[2], load64(at + 16));
      lanes[3] = mixLane(lanes[3], load64(at + 24));
    }
    hash = rotateLeft(lanes[0], 1) + rotateLeft(lanes[1], 7) + rotateLeft(lanes[2], 12) +
           rotateLeft(lanes[3], 18);
    for (uint64_t lane : lanes) hash = mergeLane(hash, lane);
  }
  hash += content.size();
  for (; end - at >= 8; at += 8) {
    hash ^= mixLane(0, load64(at));
    hash = rotateLeft(hash, 27) * kPrime1 + kPrime4;
  }
  for (; at < end; ++at) {
    hash ^= static_cast<unsigned char>(*at) * kPrime5;
    hash = rotateLeft(hash, 11) * kPrime1;
  }
  hash ^= hash >> 33;
  hash *= kPrime2;
  hash ^= hash >> 29;
  hash *= kPrime3;
  hash ^= hash >> 32;
  return {content.size(), hash};
}

namespace {

// --- Shared pieces ------------------------------------------------------------------------

// What a run reads of a configuration (its pairs, switches and files), without the rest.
Configuration RunnableCopy(const Configuration& config, std::vector<FileEntry> files) {
  Configuration copy;
  copy.Flags = config.Flags;
  copy.Advanced = config.Advanced;
  copy.setPairs(config.Pairs());
  copy.Files = std::move(files);
  return copy;
}

std::vector<std::unique_ptr<PreparedPair>> ActivePairs(const Configuration& config,
                                                       const PassSettings& settings) {
  std::vector<std::unique_ptr<PreparedPair>> pairs;
  for (const StringPair& pair : config.Pairs()) {
    auto prepared = std::make_unique<PreparedPair>(pair, settings);
    if (prepared->active()) pairs.push_back(std::move(prepared));
  }
  return pairs;
}

std::string FailureOf(const std::exception& e) {
  return dynamic_cast<const std::bad_alloc*>(&e) != nullptr ||
                 dynamic_cast<const std::length_error*>(&e) != nullptr
             ? "it is too large to be searched in memory"
             : e.what();
}

// Line numbers of offsets of one text asked in ascending order, counted on from the last one.
class LineNumbers {
 public:
  explicit LineNumbers(std::string_view text) : m_text(text) {}
  int64_t at(int64_t offset) {
    if (offset > m_counted) {
      m_line += std::count(m_text.begin() + m_counted, m_text.begin() + offset, '\n');
      m_counted = offset;
    }
    return m_line;
  }

 private:
  std::string_view m_text;
  int64_t m_counted = 0;
  int64_t m_line = 1;
};

// The occurrences of every active pair in a file as read (each pair searched in the text as
// read), with the spans of the lines holding them.
struct FoundInText {
  int64_t count = 0;
  std::vector<LineSpan> spans;
  // With marks asked for: every occurrence's bytes [begin, end), in order, overlaps merged.
  std::vector<std::pair<int64_t, int64_t>> marks;
  bool cancelled = false;
};

FoundInText FindInText(const SearchedText& searched,
                       const std::vector<std::unique_ptr<PreparedPair>>& pairs,
                       bool guardFilenameReferences, bool withMarks,
                       const std::function<bool()>& cancelled) {
  FoundInText found;
  uint32_t ticks = 0;
  for (const auto& pair : pairs) {
    if (cancelled && cancelled()) {
      found.cancelled = true;
      return found;
    }
    LineSpanCollector collector(searched.text());
    ForEachOccurrence(searched.searched(), searched.pass(*pair),
                      guardFilenameReferences && !searched.richText,
                      [&](const Occurrence& occurrence) {
                        ++found.count;
                        collector.add(occurrence);
                        if (withMarks)
                          found.marks.push_back({occurrence.start, occurrence.last + 1});
                        if (++ticks % 64 == 0 && cancelled && cancelled()) {
                          found.cancelled = true;
                          return false;
                        }
                        return true;
                      });
    if (found.cancelled) return found;
    found.spans = UniteLineSpans(found.spans, collector.take());
  }
  if (withMarks && pairs.size() > 1) {
    std::sort(found.marks.begin(), found.marks.end());
    std::vector<std::pair<int64_t, int64_t>> merged;
    for (const auto& mark : found.marks) {
      if (!merged.empty() && mark.first <= merged.back().second) {
        merged.back().second = std::max(merged.back().second, mark.second);
      } else {
        merged.push_back(mark);
      }
    }
    found.marks = std::move(merged);
  }
  return found;
}

// --- Preview of a whole run ---------------------------------------------------------------

// The host of a preview's dry run: it passes the run's steps on to the receiver and reports
// each file the run would change, or could not process, as its outcome is final.
class PreviewRunHost : public RunHost {
 public:
  PreviewRunHost(const Configuration& config, PreviewReceiver& receiver)
      : m_config(config), m_receiver(receiver) {}

  ConfirmDecision confirm(const ConfirmRequest&) override {
    return ConfirmDecision::ReplaceAllFiles;  // not asked: confirmation is off
  }
  void fileStarted(const std::string& path) override { m_receiver.fileStarted(path); }
  void progress(int percent) override { m_receiver.progress(percent); }
  bool cancelRequested() override { return m_receiver.cancelRequested(); }
  void fileChanged(const std::string&, std::string_view oldContent, std::string_view) override {
    m_changed = FingerprintOf(oldContent);
  }
  void fileRecorded(size_t entry, int64_t count, std::string_view failure) override {
    PreviewedFile file;
    file.entry = entry;
    file.path = m_config.Files[entry].Path;
    const std::optional<ContentFingerprint> changed = std::exchange(m_changed, std::nullopt);
    if (!failure.empty()) {
      // The file Cancel stopped is no finding: the preview itself was cancelled.
      if (failure == kCancelledReason) return;
      file.failure = std::string(failure);
    } else {
      // A file whose replacements leave its bytes as they were is not written either.
      if (count == 0 || !changed) return;
      file.count = count;
      file.fingerprint = *changed;
    }
    m_receiver.found(std::move(file));
  }

 private:
  const Configuration& m_config;
  PreviewReceiver& m_receiver;
  std::optional<ContentFingerprint> m_changed;  // of the file just processed, if it changed
};

PreviewOutcome FindPreview(const Configuration& config, const AppOptions& options,
                           PreviewReceiver& receiver) {
  PreviewOutcome outcome;
  const std::optional<int64_t> firstCount = RunFirstCount(config.Advanced);
  if (!firstCount) {
    outcome.refused = true;
    outcome.refusal = FirstCountRefusal(config.Advanced.FirstCount);
    return outcome;
  }
  const PassSettings settings = PassSettings::from(config.Flags, config.Advanced, options);
  const std::vector<std::unique_ptr<PreparedPair>> pairs = ActivePairs(config, settings);
  bool cancelSeen = false;
  const std::function<bool()> cancelled = [&] {
    return cancelSeen || (cancelSeen = receiver.cancelRequested());
  };

  int64_t checkedCount = 0;
  for (const FileEntry& entry : config.Files) checkedCount += entry.Checked ? 1 : 0;
  receiver.progress(0);
  // The same file reached through two entries is searched once, as a run processes it once.
  std::set<std::pair<uint64_t, uint64_t>> seen;
  bool anyHandled = false;
  for (size_t index = 0; index < config.Files.size(); ++index) {
    const FileEntry& entry = config.Files[index];
    if (!entry.Checked) continue;
    if (anyHandled && cancelled()) {
      outcome.cancelled = true;
      break;
    }
    anyHandled = true;
    if (TreatmentOf(entry.Path, options) == FileTreatment::PassedOver) continue;

    PreviewedFile file;
    file.entry = index;
    file.path = entry.Path;
    try {
      writeback::LoadedFile loaded;
      std::string error;
      const writeback::LoadResult result = writeback::loadFile(entry.Path, loaded, error);
      if (result == writeback::LoadResult::Empty) continue;
      if (result == writeback::LoadResult::Missing) {
        file.failure = error.empty() ? "the file does not exist" : error;
      } else if (result == writeback::LoadResult::Failed) {
        file.failure = error.empty() ? "the file could not be read" : error;
      } else {
        if (!seen.insert({loaded.identity.id.device, loaded.identity.id.inode}).second) continue;
        ++outcome.searchedCount;
        receiver.fileStarted(entry.Path);
        const SearchedText searched = TextToSearch(entry.Path, loaded.content, config.Advanced,
                                                   options, *firstCount, AnyNonAscii(pairs));
        file.fingerprint = FingerprintOf(loaded.content);
        if (!searched.failure.empty()) {
          file.failure = searched.failure;
        } else {
          const FoundInText found =
              FindInText(searched, pairs, settings.DoNotChangeFilenameReferences, false, cancelled);
          if (found.cancelled) {
            outcome.cancelled = true;
            break;
          }
          file.count = found.count;
          for (const LineSpan& span : found.spans)
            file.lines += LinesIn(searched.text(), span.begin, span.end);
        }
        receiver.progress(static_cast<int>(outcome.searchedCount * 100 / checkedCount));
      }
    } catch (const std::exception& e) {
      file = PreviewedFile{};
      file.entry = index;
      file.path = entry.Path;
      file.failure = "Cannot search \"" + entry.Path + "\": " + FailureOf(e);
    }
    if (file.count > 0 || !file.failure.empty()) receiver.found(std::move(file));
  }
  return outcome;
}

// --- The rows of one file's changes -------------------------------------------------------

int64_t PreviousLineStart(std::string_view text, int64_t lineStart) {
  if (lineStart <= 1) return 0;
  const size_t lineFeed = text.rfind('\n', static_cast<size_t>(lineStart - 2));
  return lineFeed == std::string_view::npos ? 0 : static_cast<int64_t>(lineFeed) + 1;
}

// One change of a page: whole lines of the text before, with where its neighbours are.
struct PageChange {
  int64_t begin = 0;
  int64_t end = 0;
  int64_t line = 1;          // the number of the line at `begin`
  bool hasPrevious = false;  // a change comes before it in the file
  int64_t previousEnd = 0;   // where that change ends (0 when none)
  int64_t nextBegin = 0;     // where the next change begins (the text's end when none)
};

// Appends the rows of a page, change after change, with their context: every unchanged line
// between two changes belongs to one of them (up to `context` lines after the first, then up
// to `context` before the second), so that pages laid end to end give each line once.
class PageRows {
 public:
  PageRows(std::string_view before, int context, std::vector<DiffRow>& rows)
      : m_before(before), m_context(std::max(context, 0)), m_rows(rows) {}

  void leadingContext(const PageChange& change, bool firstOnPage) {
    const int64_t between = LinesIn(m_before, change.previousEnd, change.begin);
    int64_t lead = std::min(m_context, between);
    if (change.hasPrevious) {
      lead = std::min(m_context, between - std::min(m_context, between));
      if (!firstOnPage && between > 2 * m_context) {
        DiffRow gap;
        gap.kind = DiffRow::Kind::Gap;
        m_rows.push_back(std::move(gap));
      }
    }
    int64_t from = change.begin;
    for (int64_t i = 0; i < lead; ++i) from = PreviousLineStart(m_before, from);
    lines(m_before, from, change.begin, change.line - lead, DiffRow::Kind::Context);
  }

  void trailingContext(const PageChange& change) {
    const int64_t after = std::min(m_context, LinesIn(m_before, change.end, change.nextBegin));
    int64_t to = change.end;
    for (int64_t i = 0; i < after; ++i) to = NextLineStart(m_before, to);
    const int64_t line = change.line + std::count(m_before.begin() + change.begin,
                                                  m_before.begin() + change.end, '\n');
    lines(m_before, change.end, to, line, DiffRow::Kind::Context);
  }

  // Appends the lines of text[begin, end), the first numbered `number`; returns the index of
  // the first row appended.
  size_t lines(std::string_view text, int64_t begin, int64_t end, int64_t number,
               DiffRow::Kind kind) {
    const size_t first = m_rows.size();
    for (int64_t at = begin; at < end; ++number) {
      DiffRow row;
      row.kind = kind;
      row.number = number;
      row.offset = at;
      row.text = std::string(LineAt(text, at));
      m_rows.push_back(std::move(row));
      at = NextLineStart(text, at);
    }
    return first;
  }

  // Where row `row` begins in its text.
  int64_t offsetOf(size_t row) const { return m_rows[row].offset; }
  std::vector<DiffRow>& rows() { return m_rows; }

 private:
  std::string_view m_before;
  int64_t m_context;
  std::vector<DiffRow>& m_rows;
};

// Marks the part of [from, to) that lies on `row` (beginning at `rowBegin` of its text),
// joining it to the last mark when they touch.
void Mark(DiffRow& row, int64_t rowBegin, int64_t from, int64_t to) {
  const int64_t length = static_cast<int64_t>(row.text.size());
  const int64_t begin = std::clamp<int64_t>(from - rowBegin, 0, length);
  const int64_t end = std::clamp<int64_t>(to - rowBegin, 0, length);
  if (begin >= end) return;
  if (!row.marks.empty() && begin <= row.marks.back().second) {
    row.marks.back().second = std::max(row.marks.back().second, end);
  } else {
    row.marks.push_back({begin, end});
  }
}

// The page [firstChange, firstChange + maxChanges) of `changeCount` changes.
std::pair<int64_t, int64_t> PageOf(int64_t changeCount, int64_t firstChange, int64_t maxChanges) {
  const int64_t first = std::clamp<int64_t>(firstChange, 0, changeCount);
  const int64_t last =
      std::clamp<int64_t>(first + std::max<int64_t>(maxChanges, 0), first, changeCount);
  return {first, last};
}

PageChange ChangeOfSpans(const std::vector<LineSpan>& spans, size_t i, std::string_view text,
                         LineNumbers& numbers) {
  PageChange change;
  change.begin = spans[i].begin;
  change.end = spans[i].end;
  change.line = numbers.at(change.begin);
  change.hasPrevious = i > 0;
  change.previousEnd = i > 0 ? spans[i - 1].end : 0;
  change.nextBegin = i + 1 < spans.size() ? spans[i + 1].begin : static_cast<int64_t>(text.size());
  return change;
}

// Find: each span of lines holding occurrences is a change, shown as context.
void FindRows(std::string_view text, const FoundInText& found, int64_t firstChange,
              int64_t maxChanges, int context, FileChanges& result) {
  result.changeCount = static_cast<int64_t>(found.spans.size());
  const auto [first, last] = PageOf(result.changeCount, firstChange, maxChanges);
  PageRows page(text, context, result.rows);
  LineNumbers numbers(text);
  for (int64_t i = first; i < last; ++i) {
    const PageChange change = ChangeOfSpans(found.spans, static_cast<size_t>(i), text, numbers);
    page.leadingContext(change, i == first);
    const size_t firstRow =
        page.lines(text, change.begin, change.end, change.line, DiffRow::Kind::Context);
    auto mark = std::lower_bound(found.marks.begin(), found.marks.end(), change.begin,
                                 [](const auto& m, int64_t at) { return m.second <= at; });
    for (size_t r = firstRow; r < page.rows().size(); ++r) {
      const int64_t rowBegin = page.offsetOf(r);
      const int64_t rowEnd = NextLineStart(text, rowBegin);
      for (auto m = mark; m != found.marks.end() && m->first < rowEnd; ++m)
        Mark(page.rows()[r], rowBegin, m->first, m->second);
      while (mark != found.marks.end() && mark->second <= rowEnd) ++mark;
    }
    page.trailingContext(change);
  }
}

// Replace, occurrences chosen one by one: each span of lines touched by occurrences is a
// change; with an occurrence replaced its lines are removed and the lines made of them added,
// with every occurrence left alone its lines are context.
void ChosenRows(std::string_view text, const std::vector<PreviewOccurrence>& occurrences,
                std::string_view replace, int64_t firstChange, int64_t maxChanges, int context,
                FileChanges& result) {
  LineSpanCollector collector(text);
  for (const PreviewOccurrence& o : occurrences)
    collector.add({o.offset, o.offset + std::max<int64_t>(o.length, 1) - 1});
  const std::vector<LineSpan> spans = collector.take();
  result.changeCount = static_cast<int64_t>(spans.size());
  const auto [first, last] = PageOf(result.changeCount, firstChange, maxChanges);
  if (first == last) return;

  const int64_t replaceFeeds = std::count(replace.begin(), replace.end(), '\n');
  auto feedsIn = [&](const PreviewOccurrence& o) {
    return std::count(text.begin() + o.offset, text.begin() + o.offset + o.length, '\n');
  };
  // How many more lines the text after has than the text before, up to the occurrence `next`.
  int64_t addedLines = 0;
  size_t next = 0;
  auto passOccurrencesBefore = [&](int64_t offset) {
    for (; next < occurrences.size() && occurrences[next].offset < offset; ++next) {
      if (occurrences[next].replaced) addedLines += replaceFeeds - feedsIn(occurrences[next]);
    }
  };

  PageRows page(text, context, result.rows);
  LineNumbers numbers(text);
  for (int64_t i = first; i < last; ++i) {
    const PageChange change = ChangeOfSpans(spans, static_cast<size_t>(i), text, numbers);
    passOccurrencesBefore(change.begin);
    const size_t firstOccurrence = next;
    size_t endOccurrence = next;
    bool anyReplaced = false;
    while (endOccurrence < occurrences.size() && occurrences[endOccurrence].offset < change.end)
      anyReplaced = occurrences[endOccurrence++].replaced || anyReplaced;

    page.leadingContext(change, i == first);
    const size_t firstRow =
        page.lines(text, change.begin, change.end, change.line,
                   anyReplaced ? DiffRow::Kind::Removed : DiffRow::Kind::Context);
    size_t from = firstOccurrence;  // no occurrence before it reaches the row
    for (size_t r = firstRow; r < page.rows().size(); ++r) {
      DiffRow& row = page.rows()[r];
      const int64_t rowBegin = page.offsetOf(r);
      const int64_t rowEnd = NextLineStart(text, rowBegin);
      for (size_t k = from; k < endOccurrence && occurrences[k].offset < rowEnd; ++k) {
        const PreviewOccurrence& o = occurrences[k];
        Mark(row, rowBegin, o.offset, o.offset + o.length);
        if (o.offset >= rowBegin) {
          row.occurrences.push_back(k);
          row.occurrenceMarks.push_back({o.offset - rowBegin, o.offset - rowBegin + o.length});
        }
      }
      while (from < endOccurrence && occurrences[from].offset + occurrences[from].length <= rowEnd)
        ++from;
    }

    if (anyReplaced) {
      // The lines the run makes of the change's lines, built for this page only.
      std::string made;
      std::vector<std::pair<int64_t, int64_t>> madeMarks;
      int64_t copied = change.begin;
      for (size_t k = firstOccurrence; k < endOccurrence; ++k) {
        const PreviewOccurrence& o = occurrences[k];
        if (!o.replaced) continue;
        made.append(
            text.substr(static_cast<size_t>(copied), static_cast<size_t>(o.offset - copied)));
        madeMarks.push_back({static_cast<int64_t>(made.size()),
                             static_cast<int64_t>(made.size() + replace.size())});
        made.append(replace);
        copied = o.offset + o.length;
      }
      made.append(
          text.substr(static_cast<size_t>(copied), static_cast<size_t>(change.end - copied)));
      const size_t firstAdded = page.lines(made, 0, static_cast<int64_t>(made.size()),
                                           change.line + addedLines, DiffRow::Kind::Added);
      for (size_t r = firstAdded; r < page.rows().size(); ++r) {
        const int64_t rowBegin = page.offsetOf(r);
        const int64_t rowEnd = NextLineStart(made, rowBegin);
        for (const auto& [b, e] : madeMarks) {
          if (b < rowEnd && e > rowBegin) Mark(page.rows()[r], rowBegin, b, e);
        }
      }
    }
    page.trailingContext(change);
  }
}

// The rows of a Windows-1252 file's text shown in UTF-8, their marks moved with the bytes.
void ShowWindows1252Rows(std::vector<DiffRow>& rows) {
  std::vector<int64_t> at;  // where each byte of a row's text (and its end) went
  for (DiffRow& row : rows) {
    if (text::asciiPrefixLength(row.text) == row.text.size()) continue;
    std::string shown;
    at.clear();
    for (const char c : row.text) {
      at.push_back(static_cast<int64_t>(shown.size()));
      text::appendUtf8(shown, text::windows1252CodePoint(static_cast<uint8_t>(c)));
    }
    at.push_back(static_cast<int64_t>(shown.size()));
    const auto length = static_cast<int64_t>(row.text.size());
    auto moved = [&](int64_t offset) {
      const int64_t within = std::clamp<int64_t>(offset, 0, length);
      return at[static_cast<size_t>(within)] + (offset - within);
    };
    for (auto* marks : {&row.marks, &row.occurrenceMarks}) {
      for (auto& [begin, end] : *marks) {
        begin = moved(begin);
        end = moved(end);
      }
    }
    row.text = std::move(shown);
  }
}

// Whether the rows of `content` (a plain-text file's bytes) are read in Windows-1252.
bool ShownInWindows1252(std::string_view content, bool richText) {
  return !richText && text::detectEncoding(content) == text::TextEncoding::Windows1252;
}

// Replace with several passes: the line diff of the texts before and after, each run of
// differing lines a change; a removed line and the added line at the same place in its change
// are marked where they differ.
void DiffedRows(std::string_view before, std::string_view after, int64_t firstChange,
                int64_t maxChanges, int context, FileChanges& result) {
  if (before == after) return;
  const std::vector<std::string_view> a = SplitLines(before);
  const std::vector<std::string_view> b = SplitLines(after);
  const std::vector<LineEdit> edits = LineEditScript(a, b);
  struct DifferingLines {
    int64_t removedFrom, removedTo, addedFrom, addedTo;  // line indexes
  };
  std::vector<DifferingLines> runs;
  for (size_t i = 0; i < edits.size();) {
    if (edits[i].op == LineEditOp::Keep) {
      ++i;
      continue;
    }
    DifferingLines run{edits[i].a, edits[i].a, edits[i].b, edits[i].b};
    for (; i < edits.size() && edits[i].op != LineEditOp::Keep; ++i)
      ++(edits[i].op == LineEditOp::Remove ? run.removedTo : run.addedTo);
    runs.push_back(run);
  }
  result.changeCount = static_cast<int64_t>(runs.size());
  const auto [first, last] = PageOf(result.changeCount, firstChange, maxChanges);

  auto offsetIn = [](std::string_view text, const std::vector<std::string_view>& lines,
                     int64_t index) {
    return index < static_cast<int64_t>(lines.size())
               ? static_cast<int64_t>(lines[static_cast<size_t>(index)].data() - text.data())
               : static_cast<int64_t>(text.size());
  };
  PageRows page(before, context, result.rows);
  for (int64_t i = first; i < last; ++i) {
    const DifferingLines& run = runs[static_cast<size_t>(i)];
    PageChange change;
    change.begin = offsetIn(before, a, run.removedFrom);
    change.end = offsetIn(before, a, run.removedTo);
    change.line = run.removedFrom + 1;
    change.hasPrevious = i > 0;
    change.previousEnd =
        i > 0 ? offsetIn(before, a, runs[static_cast<size_t>(i - 1)].removedTo) : 0;
    change.nextBegin = i + 1 < static_cast<int64_t>(runs.size())
                           ? offsetIn(before, a, runs[static_cast<size_t>(i + 1)].removedFrom)
                           : static_cast<int64_t>(before.size());
    page.leadingContext(change, i == first);
    const size_t removed =
        page.lines(before, change.begin, change.end, change.line, DiffRow::Kind::Removed);
    const size_t added =
        page.lines(after, offsetIn(after, b, run.addedFrom), offsetIn(after, b, run.addedTo),
                   run.addedFrom + 1, DiffRow::Kind::Added);
    for (size_t k = 0; removed + k < added && added + k < page.rows().size(); ++k) {
      DiffRow& old = page.rows()[removed + k];
      DiffRow& made = page.rows()[added + k];
      const size_t shorter = std::min(old.text.size(), made.text.size());
      size_t prefix = 0;
      while (prefix < shorter && old.text[prefix] == made.text[prefix]) ++prefix;
      size_t suffix = 0;
      while (suffix < shorter - prefix &&
             old.text[old.text.size() - 1 - suffix] == made.text[made.text.size() - 1 - suffix])
        ++suffix;
      Mark(old, 0, static_cast<int64_t>(prefix), static_cast<int64_t>(old.text.size() - suffix));
      Mark(made, 0, static_cast<int64_t>(prefix), static_cast<int64_t>(made.text.size() - suffix));
    }
    page.trailingContext(change);
  }
}

// The host of the dry run that builds one file's changes: it answers each occurrence by the
// user's choices and keeps what the run read and would write.
class ChangesHost : public RunHost {
 public:
  ChangesHost(const std::set<int64_t>& declined, const std::function<bool()>& cancelled,
              bool keepNewText, bool richText)
      : m_declined(declined),
        m_cancelled(cancelled),
        m_keepNewText(keepNewText),
        m_richText(richText) {}

  ConfirmDecision confirm(const ConfirmRequest& request) override {
    const bool replaced = !m_declined.contains(request.textOffset);
    occurrences.push_back({request.textOffset, 0, 0, replaced});
    return replaced ? ConfirmDecision::ReplaceThis : ConfirmDecision::SkipThis;
  }
  bool cancelRequested() override { return m_cancelled && m_cancelled(); }
  std::string refuseContent(const std::string&, std::string_view asRead) override {
    read = true;
    content.assign(asRead);
    return {};
  }
  void fileChanged(const std::string&, std::string_view, std::string_view newContent) override {
    changed = true;
    if (!m_keepNewText) return;
    // Of an RTF document only its visible text is shown, of a UTF-16 file its text.
    const text::TextEncoding encoding = ReadingEncoding(newContent, false);
    newText = m_richText          ? rtf::parse(std::string(newContent)).plain
              : IsUtf16(encoding) ? text::decodeText(newContent, encoding).text
                                  : std::string(newContent);
  }
  void fileRecorded(size_t, int64_t made, std::string_view why) override {
    count = made;
    failure = std::string(why);
  }

  std::vector<PreviewOccurrence> occurrences;  // every occurrence asked about, in order
  bool read = false;
  std::string content;  // the file as the run read it
  bool changed = false;
  std::string newText;  // the text after (when kept)
  int64_t count = 0;
  std::string failure;

 private:
  const std::set<int64_t>& m_declined;
  const std::function<bool()>& m_cancelled;
  bool m_keepNewText;
  bool m_richText;
};

FileChanges ReplaceChanges(const Configuration& config, const AppOptions& options,
                           const std::string& path, const std::set<int64_t>& declined,
                           int64_t firstChange, int64_t maxChanges, int context,
                           const std::function<bool()>& cancelled) {
  FileChanges result;
  result.choosable = OccurrencesChoosable(config, options);
  const bool richText = TreatmentOf(path, options) == FileTreatment::RichText;
  Configuration one = RunnableCopy(config, {FileEntry{path, true}});
  // Asked about every occurrence, the run leaves alone exactly those the user left alone.
  one.Flags.Confirm = result.choosable;
  static const std::set<int64_t> kNone;
  ChangesHost host(result.choosable ? declined : kNone, cancelled, !result.choosable || richText,
                   richText);
  SystemClock clock;
  RunSummary summary;
  const RunOutcome outcome = RunReplacement(one, options, host, clock, summary, RunMode{true});
  if (outcome.refused) {
    result.failure = outcome.refusal;
    return result;
  }
  if (outcome.cancelled) return result;
  result.fingerprint = FingerprintOf(host.content);
  if (!host.failure.empty()) {
    result.failure = host.failure;
    return result;
  }
  if (!host.read) return result;
  result.count = host.count;

  const PassSettings settings = PassSettings::from(config.Flags, config.Advanced, options);
  const std::vector<std::unique_ptr<PreparedPair>> pairs = ActivePairs(config, settings);
  const SearchedText searched =
      TextToSearch(path, host.content, config.Advanced, options,
                   RunFirstCount(config.Advanced).value_or(0), AnyNonAscii(pairs));
  result.richText = searched.richText;
  if (!searched.failure.empty()) {
    result.failure = searched.failure;
    return result;
  }
  const std::string_view before = searched.text();
  if (result.choosable) {
    const PreparedPair& pair = searched.pass(*pairs.front());
    LineNumbers numbers(before);
    int64_t replaced = 0;
    int64_t sizeAfter = static_cast<int64_t>(before.size());
    for (PreviewOccurrence& o : host.occurrences) {
      const std::optional<Occurrence> found =
          pair.searcher().findFrom(searched.searched(), o.offset);
      o.length = found && found->start == o.offset ? found->last + 1 - o.offset : 0;
      o.line = numbers.at(o.offset);
      if (o.replaced) {
        ++replaced;
        sizeAfter += static_cast<int64_t>(pair.replacement().size()) - o.length;
      }
    }
    result.occurrences = std::move(host.occurrences);
    // An RTF document's edits may still be refused as they are spliced in; the occurrences
    // then no longer tell the text after, and the texts are compared instead.
    const bool occurrencesTell =
        !richText ||
        (replaced == result.count &&
         sizeAfter == static_cast<int64_t>(host.changed ? host.newText.size() : before.size()));
    if (occurrencesTell) {
      ChosenRows(before, result.occurrences, pair.replacement(), firstChange, maxChanges, context,
                 result);
      if (ShownInWindows1252(host.content, richText)) ShowWindows1252Rows(result.rows);
      return result;
    }
  }
  DiffedRows(before, host.changed ? std::string_view(host.newText) : before, firstChange,
             maxChanges, context, result);
  if (ShownInWindows1252(host.content, richText)) ShowWindows1252Rows(result.rows);
  return result;
}

FileChanges FindChanges(const Configuration& config, const AppOptions& options,
                        const std::string& path, int64_t firstChange, int64_t maxChanges,
                        int context, const std::function<bool()>& cancelled) {
  FileChanges result;
  const std::optional<int64_t> firstCount = RunFirstCount(config.Advanced);
  if (!firstCount) {
    result.failure = FirstCountRefusal(config.Advanced.FirstCount);
    return result;
  }
  if (TreatmentOf(path, options) == FileTreatment::PassedOver) return result;
  writeback::LoadedFile loaded;
  std::string error;
  switch (writeback::loadFile(path, loaded, error)) {
    case writeback::LoadResult::Missing:
      result.failure = error.empty() ? "the file does not exist" : error;
      return result;
    case writeback::LoadResult::Failed:
      result.failure = error.empty() ? "the file could not be read" : error;
      return result;
    case writeback::LoadResult::Empty:
    case writeback::LoadResult::Loaded:
      break;
  }
  result.fingerprint = FingerprintOf(loaded.content);
  const PassSettings settings = PassSettings::from(config.Flags, config.Advanced, options);
  const std::vector<std::unique_ptr<PreparedPair>> pairs = ActivePairs(config, settings);
  const SearchedText searched =
      TextToSearch(path, loaded.content, config.Advanced, options, *firstCount, AnyNonAscii(pairs));
  result.richText = searched.richText;
  if (!searched.failure.empty()) {
    result.failure = searched.failure;
    return result;
  }
  const FoundInText found =
      FindInText(searched, pairs, settings.DoNotChangeFilenameReferences, true, cancelled);
  if (found.cancelled) return result;
  result.count = found.count;
  FindRows(searched.text(), found, firstChange, maxChanges, context, result);
  if (ShownInWindows1252(loaded.content, searched.richText)) ShowWindows1252Rows(result.rows);
  return result;
}

}  // namespace

PreviewOutcome RunPreview(const Configuration& config, const AppOptions& options, PreviewKind kind,
                          PreviewReceiver& receiver) {
  if (kind == PreviewKind::Find) return FindPreview(config, options, receiver);
  Configuration dry = RunnableCopy(config, config.Files);
  dry.Flags.Confirm = false;
  PreviewRunHost host(dry, receiver);
  SystemClock clock;
  RunSummary summary;
  const RunOutcome run = RunReplacement(dry, options, host, clock, summary, RunMode{true});
  PreviewOutcome outcome;
  outcome.refused = run.refused;
  outcome.refusal = run.refusal;
  outcome.cancelled = run.cancelled;
  outcome.searchedCount = run.startedCount;
  return outcome;
}

bool OccurrencesChoosable(const Configuration& config, const AppOptions& options) {
  if (options.SaveAsUnix) return false;
  int active = 0;
  for (const StringPair& pair : config.Pairs()) {
    const std::string searched =
        SearchedFindText(pair.Find, options.RemoveLeadingSpaces, options.RemoveTrailingSpaces);
    active += searched.empty() ? 0 : 1;
  }
  return active == 1;
}

FileChanges ChangesInFile(const Configuration& config, const AppOptions& options, size_t entry,
                          PreviewKind kind, const std::set<int64_t>& declined, int64_t firstChange,
                          int64_t maxChanges, int context, const std::function<bool()>& cancelled) {
  if (entry >= config.Files.size()) {
    FileChanges result;
    result.failure = "the file is no longer in the file list";
    return result;
  }
  const std::string& path = config.Files[entry].Path;
  try {
    return kind == PreviewKind::Find
               ? FindChanges(config, options, path, firstChange, maxChanges, context, cancelled)
               : ReplaceChanges(config, options, path, declined, firstChange, maxChanges, context,
                                cancelled);
  } catch (const std::exception& e) {
    FileChanges result;
    result.failure = "Cannot search \"" + path + "\": " + FailureOf(e);
    return result;
  }
}

Configuration ConfigurationForChoices(const Configuration& config, const PreviewChoices& choices) {
  Configuration chosen = config;
  for (FileEntry& entry : chosen.Files) entry.Checked = false;
  for (const auto& [entry, choice] : choices.files) {
    if (entry >= chosen.Files.size()) continue;
    chosen.Files[entry].Checked = true;
    if (!choice.declined.empty()) chosen.Flags.Confirm = true;
  }
  return chosen;
}

PreviewChoiceHost::PreviewChoiceHost(RunHost& inner, const Configuration& config,
                                     const PreviewChoices& choices, bool askUser)
    : m_inner(inner), m_config(config), m_choices(choices), m_askUser(askUser) {}

void PreviewChoiceHost::fileStarted(const std::string& path) {
  // The run goes down the file list as the choices do: the search goes on from the last one
  // found, and only a file met out of order costs a search from the start.
  m_current = nullptr;
  const size_t count = m_choices.files.size();
  for (size_t looked = 0; looked < count && m_current == nullptr; ++looked) {
    const size_t i = (m_nextChoice + looked) % count;
    const auto& [entry, choice] = m_choices.files[i];
    if (entry < m_config.Files.size() && m_config.Files[entry].Path == path) {
      m_current = &choice;
      m_nextChoice = i + 1;
    }
  }
  m_userDecision.startFile();
  m_inner.fileStarted(path);
}

std::string PreviewChoiceHost::refuseContent(const std::string& path, std::string_view content) {
  if (m_current != nullptr && FingerprintOf(content) != m_current->fingerprint)
    return std::string(kChangedSincePreviewReason);
  return m_inner.refuseContent(path, content);
}

ConfirmDecision PreviewChoiceHost::confirm(const ConfirmRequest& request) {
  if (m_current != nullptr && m_current->declined.contains(request.textOffset))
    return ConfirmDecision::SkipThis;
  if (!m_askUser) return ConfirmDecision::ReplaceThis;
  if (m_userDecision.asks()) m_userDecision.set(m_inner.confirm(request));
  return m_userDecision.replaces() ? ConfirmDecision::ReplaceThis : ConfirmDecision::SkipThis;
}

}  // namespace tw
