#pragma once
// Finding without replacing: the occurrences a run's passes would meet in a file as it was
// read, for `textwright-cli find`. The same searchers and the same searched text as the run
// (the "Replace only in first" region of a plain-text file, the visible text of an RTF
// document); no output is built and nothing is written. Each pair is searched in the text as
// read: no pair sees what another would have replaced.

#include "config/AppOptions.h"
#include "config/ReplaceFlags.h"
#include "engine/ApplyPair.h"
#include "engine/Searcher.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tw {

// The text of one file in which a run's passes search.
struct SearchedText {
  std::string_view content;    // the file's bytes as read
  bool richText = false;       // searched in `visible`; the filename-reference guard is off
  std::string visible;         // an RTF document's visible text (UTF-8, paragraphs end in CR LF)
  int64_t searchedLength = 0;  // the passes search text()[0, searchedLength)
  std::string failure;         // set when the file is not searched: why

  // The text whose lines hold the occurrences: the content, or the visible text.
  std::string_view text() const { return richText ? std::string_view(visible) : content; }
  std::string_view searched() const {
    return text().substr(0, static_cast<size_t>(searchedLength));
  }
};

// The text a run searches in `content`, the bytes of the file at `path` (which must outlive
// the result): for a plain-text file the content up to the end of its "Replace only in
// first" region (`firstCount`, the count as the run parsed it), for a file treated as rich
// text (TreatmentOf) all of its visible text. A ".rtf" file that is not an RTF document is
// not searched (failure kNotAnRtfDocument).
SearchedText TextToSearch(std::string_view path, std::string_view content,
                          const AdvancedSwitches& advanced, const AppOptions& options,
                          int64_t firstCount);

// Calls `visit` with each occurrence of `pair` in `text` that a pass replacing every
// occurrence would replace, in order: after an occurrence the search goes on past its end.
// With `guardFilenameReferences`, one inside the value of an HREF attribute is not reported
// and the search goes on one byte after its start, as the pass does. `visit` returns false
// to stop. A pair that is not active has no occurrence.
void ForEachOccurrence(std::string_view text, const PreparedPair& pair,
                       bool guardFilenameReferences,
                       const std::function<bool(const Occurrence&)>& visit);

}  // namespace tw
