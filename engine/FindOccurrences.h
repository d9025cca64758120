#pragma once
// Finding without replacing: the occurrences a run's passes would meet in a file as it was
// read, for `textwright-cli find`. The same searchers and the same searched text as the run
// (the "Replace only in first" region of a plain-text file, the visible text of an RTF
// document); no output is built and nothing is written. Each pair is searched in the text as
// read: no pair sees what another would have replaced.

#include "config/AppOptions.h"
#include "config/ReplaceFlags.h"
#include "engine/ApplyPair.h"
#include "engine/Run.h"
#include "engine/Searcher.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The text of one file in which a run's passes search.
struct SearchedText {
  std::string_view content;  // the file's bytes as read
  bool richText = false;     // searched in `visible`; the filename-reference guard is off
  // An RTF document's visible text (UTF-8, paragraphs end in CR LF), or a UTF-16 file's text
  // in UTF-8.
  std::string visible;
  // How a plain-text file is read (ReadingEncoding in engine/Run.h).
  text::TextEncoding encoding = text::TextEncoding::Utf8;
  int64_t searchedLength = 0;  // the passes search text()[0, searchedLength)
  std::string failure;         // set when the file is not searched: why

  // The text whose lines hold the occurrences: the content, or the visible or decoded text.
  std::string_view text() const {
    return richText || IsUtf16(encoding) ? std::string_view(visible) : content;
  }
  std::string_view searched() const {
    return text().substr(0, static_cast<size_t>(searchedLength));
  }
  // `pair` as the passes search and write it in this text.
  const PreparedPair& pass(const PreparedPair& pair) const {
    return encoding == text::TextEncoding::Windows1252 ? pair.inWindows1252() : pair;
  }
  // A piece of text() as UTF-8 for display: a Windows-1252 file's bytes are read in that
  // code page.
  std::string shown(std::string_view piece) const;
};

// The text a run searches in `content`, the bytes of the file at `path` (which must outlive
// the result): for a plain-text file the content (a UTF-16 file's text) up to the end of its
// "Replace only in first" region (`firstCount`, the count as the run parsed it), read as
// ReadingEncoding says for the run's pairs (`nonAsciiPairs`: some active pair is non-ASCII);
// for a file treated as rich text (TreatmentOf) all of its visible text. A ".rtf" file that is
// not an RTF document is not searched (failure kNotAnRtfDocument).
SearchedText TextToSearch(std::string_view path, std::string_view content,
                          const AdvancedSwitches& advanced, const AppOptions& options,
                          int64_t firstCount, bool nonAsciiPairs = false);

// Whether some pair of `pairs` is non-ASCII (PreparedPair::nonAscii).
bool AnyNonAscii(const std::vector<std::unique_ptr<PreparedPair>>& pairs);

// Calls `visit` with each occurrence of `pair` in `text` that a pass replacing every
// occurrence would replace, in order: after an occurrence the search goes on past its end.
// With `guardFilenameReferences`, one inside the value of an HREF attribute is not reported
// and the search goes on one byte after its start, as the pass does. `visit` returns false
// to stop. A pair that is not active has no occurrence.
void ForEachOccurrence(std::string_view text, const PreparedPair& pair,
                       bool guardFilenameReferences,
                       const std::function<bool(const Occurrence&)>& visit);

}  // namespace tw
