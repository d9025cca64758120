#include "engine/FindOccurrences.h"

#include "engine/FilenameReferenceCheck.h"
#include "engine/ProcessRtfFile.h"
#include "engine/Region.h"
#include "engine/Run.h"
#include "engine/rtf/RtfDocument.h"
#include "text/Windows1252.h"

#include <algorithm>

namespace tw {

std::string SearchedText::shown(std::string_view piece) const {
  if (!richText && encoding == text::TextEncoding::Windows1252)
    return text::windows1252ToUtf8(piece);
  return std::string(piece);
}

bool AnyNonAscii(const std::vector<std::unique_ptr<PreparedPair>>& pairs) {
  return std::any_of(pairs.begin(), pairs.end(), [](const auto& pair) { return pair->nonAscii(); });
}

SearchedText TextToSearch(std::string_view path, std::string_view content,
                          const AdvancedSwitches& advanced, const AppOptions& options,
                          int64_t firstCount, bool nonAsciiPairs) {
  SearchedText searched;
  searched.content = content;
  if (TreatmentOf(path, options) != FileTreatment::RichText) {
    searched.encoding = ReadingEncoding(content, nonAsciiPairs);
    if (IsUtf16(searched.encoding))
      searched.visible = text::decodeText(content, searched.encoding).text;
    searched.searchedLength =
        RegionLength(searched.text(), advanced.ReplaceOnlyInFirst, firstCount, advanced.FirstUnit);
    return searched;
  }
  searched.richText = true;
  if (!rtf::looksLikeRtf(content)) {
    searched.failure = kNotAnRtfDocument;
    return searched;
  }
  searched.visible = rtf::parse(std::string(content)).plain;
  searched.searchedLength = static_cast<int64_t>(searched.visible.size());
  return searched;
}

void ForEachOccurrence(std::string_view text, const PreparedPair& pair,
                       bool guardFilenameReferences,
                       const std::function<bool(const Occurrence&)>& visit) {
  if (!pair.active()) return;
  const bool guarded = guardFilenameReferences && !pair.isUnixPair();
  FilenameReferenceCheck isFilenameReference(text);
  const auto n = static_cast<int64_t>(text.size());
  for (int64_t s = 0; s < n;) {
    const std::optional<Occurrence> found = pair.searcher().findFrom(text, s);
    if (!found) return;
    if (guarded && isFilenameReference(found->last)) {
      s = found->start + 1;
      continue;
    }
    if (!visit(*found)) return;
    s = found->last + 1;
  }
}

}  // namespace tw
