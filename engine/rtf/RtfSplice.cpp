#include "engine/rtf/RtfSplice.h"

#include <algorithm>
#include <optional>

#include "engine/rtf/RtfEscape.h"

namespace tw::rtf {

std::string_view describe(EditStatus status) {
  switch (status) {
    case EditStatus::Applied:
    case EditStatus::Unchanged:
      return {};
    case EditStatus::SplitsCharacter:
      return "splits a character";
    case EditStatus::RemovesStructure:
      return "would remove table or section structure";
    case EditStatus::InvalidReplacement:
      return "the replacement holds characters RTF text cannot";
    case EditStatus::OutOfOrder:
      return "lies outside the text or overlaps another replacement";
  }
  return {};
}

namespace {

struct Span {
  std::size_t first = 0;  // first unit
  std::size_t last = 0;   // one past the last unit
};

EditStatus locate(const Document& doc, std::size_t begin, std::size_t length, Span& span) {
  if (begin > doc.plain.size() || length > doc.plain.size() - begin) return EditStatus::OutOfOrder;
  const std::optional<std::size_t> first = doc.unitAt(begin);
  const std::optional<std::size_t> last = doc.unitAt(begin + length);
  if (!first || !last) return EditStatus::SplitsCharacter;
  if (*first == doc.units.size() && doc.units.empty()) return EditStatus::OutOfOrder;
  for (std::size_t i = *first; i < *last; ++i) {
    if (doc.units[i].flags & Unit::Protected) return EditStatus::RemovesStructure;
  }
  span = {*first, *last};
  return EditStatus::Applied;
}

bool joinsWord(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
         c == '-';
}

}  // namespace

EditStatus checkRange(const Document& doc, std::size_t plainBegin, std::size_t plainLength) {
  Span span;
  return locate(doc, plainBegin, plainLength, span);
}

SpliceOutput spliceEdits(const Document& doc, std::span<const Edit> edits) {
  SpliceOutput result;
  struct Insertion {
    std::uint32_t at;
    std::string text;
  };
  std::vector<Insertion> insertions;
  std::vector<std::pair<std::uint32_t, std::uint32_t>>& deleted = result.deleted;
  std::size_t plainDone = 0;  // plain text copied to expectedPlain so far
  std::size_t previousEnd = 0;

  for (const Edit& edit : edits) {
    Span span;
    EditStatus status = locate(doc, edit.plainBegin, edit.plainLength, span);
    if (status == EditStatus::Applied && edit.plainBegin < previousEnd)
      status = EditStatus::OutOfOrder;
    std::optional<std::string> escaped;
    if (status == EditStatus::Applied) {
      const Unit& at = span.first < doc.units.size() ? doc.units[span.first] : doc.units.back();
      escaped = escapeText(edit.replacement, at.codePage, at.uc);
      if (!escaped) status = EditStatus::InvalidReplacement;
    }
    const std::string plainReplacement = normalisedPlain(edit.replacement);
    if (status == EditStatus::Applied &&
        std::string_view(doc.plain).substr(edit.plainBegin, edit.plainLength) == plainReplacement) {
      status = EditStatus::Unchanged;
    }
    result.statuses.push_back(status);
    if (status != EditStatus::Applied) continue;
    ++result.applied;
    previousEnd = edit.plainBegin + edit.plainLength;

    result.expectedPlain.append(doc.plain, plainDone, edit.plainBegin - plainDone);
    result.expectedPlain += plainReplacement;
    plainDone = previousEnd;

    const std::uint32_t insertAt = span.first < doc.units.size() ? doc.units[span.first].srcBegin()
                                                                 : doc.units.back().srcEnd();
    insertions.push_back({insertAt, std::move(*escaped)});
    for (std::size_t i = span.first; i < span.last; ++i) {
      const Unit& u = doc.units[i];
      for (std::uint8_t p = 0; p < u.pieces; ++p) deleted.emplace_back(u.src[p][0], u.src[p][1]);
      // A merged paragraph loses the list number of the paragraph that followed the mark.
      if ((u.flags & Unit::ParaMark) && i + 1 < span.last) {
        const std::uint32_t from = u.srcEnd();
        const std::uint32_t to = doc.units[i + 1].srcBegin();
        auto it = std::lower_bound(doc.listNumberGroups.begin(), doc.listNumberGroups.end(),
                                   std::make_pair(from, std::uint32_t{0}));
        for (; it != doc.listNumberGroups.end() && it->second <= to; ++it) deleted.push_back(*it);
      }
    }
  }
  result.expectedPlain.append(doc.plain, plainDone, std::string::npos);

  if (result.applied == 0) {
    result.rtf = doc.source;
    return result;
  }

  std::sort(deleted.begin(), deleted.end());
  const std::string_view src = doc.source;
  std::string& out = result.rtf;
  out.reserve(src.size() + 64);
  std::uint32_t cursor = 0;
  bool leftIsBareWord = false;  // the last byte written ends a bare control word
  bool seam = false;            // bytes were removed since that byte was written

  auto copyTo = [&](std::uint32_t end) {
    if (end <= cursor) return;
    if (seam && leftIsBareWord && joinsWord(src[cursor])) out += ' ';
    out.append(src.substr(cursor, end - cursor));
    leftIsBareWord = doc.endsBareWord(end);
    seam = false;
    cursor = end;
  };

  std::size_t ins = 0;
  std::size_t del = 0;
  while (ins < insertions.size() || del < deleted.size()) {
    // At one position the insertion comes first: it goes where the first replaced byte was.
    if (ins < insertions.size() &&
        (del == deleted.size() || insertions[ins].at <= deleted[del].first)) {
      copyTo(insertions[ins].at);
      const std::string& text = insertions[ins].text;
      if (!text.empty()) {
        if (leftIsBareWord && joinsWord(text.front())) out += ' ';
        out += text;
        leftIsBareWord = false;  // inserted text never ends in a bare control word
        seam = false;
      }
      ++ins;
    } else {
      copyTo(deleted[del].first);
      cursor = std::max(cursor, deleted[del].second);
      seam = true;
      ++del;
    }
  }
  copyTo(static_cast<std::uint32_t>(src.size()));
  return result;
}

SpliceResult applyEdits(const Document& doc, std::span<const Edit> edits) {
  SpliceOutput spliced = spliceEdits(doc, edits);
  SpliceResult result;
  result.statuses = std::move(spliced.statuses);
  result.applied = spliced.applied;
  result.expectedPlain = std::move(spliced.expectedPlain);
  if (spliced.applied == 0) {
    result.rtf = doc.source;
    result.document = doc;
    return result;
  }
  Document reread = parse(spliced.rtf, doc.options);
  if (reread.plain != result.expectedPlain) {
    result.verified = false;
    result.rtf = doc.source;
    result.document = doc;
    return result;
  }
  result.rtf = std::move(spliced.rtf);
  result.document = std::move(reread);
  return result;
}

}  // namespace tw::rtf
