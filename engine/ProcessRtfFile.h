#pragma once
// Replacing in an RTF file as rich text: the pairs are applied to the document's visible text
// (engine/rtf), never to its control words, and each accepted occurrence is spliced into the
// original bytes, so fonts, sizes, colours, styles and paragraph settings stay as they were
// and inserted text takes the formatting of the first character it replaces.
//
// A pass works as on a plain-text file (trimmed find text, every pair on the previous pass's
// output, the run's confirmation decision, a skip resumes one byte after the occurrence's
// start), except that the whole text is searched (no "Replace only in first" region) and
// the filename-reference guard does not apply. An occurrence that would split a character or
// remove table or section structure is not replaced and is reported.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ApplyPair.h"
#include "engine/rtf/RtfDocument.h"

namespace tw {

// The confirmation request for the occurrence text[start..last] of an RTF document's text:
// the excerpt runs from the nearest full stop at or before `last` (looking back at most 100
// bytes) to just before the nearest full stop at or after `last` (looking on at most 100
// bytes), cut to whole UTF-8 characters; the occurrence's part inside it is marked.
// The reason given for a ".rtf" file whose content is not an RTF document.
inline constexpr std::string_view kNotAnRtfDocument =
    "not processed: the file is not an RTF document";

ConfirmRequest BuildRtfConfirmRequest(std::string_view text, int64_t start, int64_t last);

struct RtfFileResult {
  int64_t count = 0;     // occurrences replaced (an equal replacement counts too)
  bool changed = false;  // `rtf` differs from the content read
  std::string rtf;       // the new document (empty when unchanged)
  // Occurrences left alone, as user-facing sentences ("2 occurrence(s) not replaced: ...").
  std::vector<std::string> notReplaced;
  // Set when the document is not changed at all although it had to be: not an RTF document,
  // or an edit that did not read back as expected. The file is then left as it was.
  std::string failure;
  // Set when Cancel was read before the last pass had ended; nothing else is then set.
  bool cancelled = false;
};

// Applies `pairs` in order to the RTF document `content`. Rows that are not active are
// passed over. Cancel is looked at between the passes and within them, as by ApplyPair.
RtfFileResult ReplaceInRtf(std::string content, const std::vector<const PreparedPair*>& pairs,
                           PassContext& context);

}  // namespace tw
