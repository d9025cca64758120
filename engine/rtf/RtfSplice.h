#pragma once
// Replacing text in an RTF document by splicing its source: the source bytes of the replaced
// characters are deleted, everything between them (formatting words, braces, bookmarks,
// hidden text, \ucN, raw line breaks) is kept, and the escaped replacement is inserted where
// the first replaced character was, so it takes that character's formatting. The result is
// read again and must give exactly the expected plain text; otherwise nothing is changed.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/rtf/RtfDocument.h"

namespace tw::rtf {

// Replace plain-text bytes [plainBegin, plainBegin + plainLength) with `replacement` (UTF-8).
struct Edit {
  std::size_t plainBegin = 0;
  std::size_t plainLength = 0;
  std::string replacement;
};

enum class EditStatus : std::uint8_t {
  Applied,
  Unchanged,           // the replacement reads back as the text it replaces
  SplitsCharacter,     // an end lies inside a character (inside CR LF, a UTF-8 sequence)
  RemovesStructure,    // it contains a table cell or row end, a section end, or the
                       // paragraph mark between text and a table
  InvalidReplacement,  // control characters or invalid UTF-8 in the replacement
  OutOfOrder,          // outside the text, or overlapping or before the previous edit
};

// A short English reason for a refused edit ("splits a character", ...); empty for Applied
// and Unchanged.
std::string_view describe(EditStatus status);

// Whether plain-text bytes [plainBegin, plainBegin + plainLength) can be replaced at all:
// Applied when they can, else the reason why not (never Unchanged or InvalidReplacement).
EditStatus checkRange(const Document& doc, std::size_t plainBegin, std::size_t plainLength);

struct SpliceResult {
  std::vector<EditStatus> statuses;  // one per edit, in order
  std::size_t applied = 0;           // edits with status Applied
  // False when the edited source did not read back as the expected text: `rtf` is then the
  // original source and nothing may be written.
  bool verified = true;
  std::string rtf;            // the new source (the original when nothing changed)
  std::string expectedPlain;  // the plain text the edits should give
  Document document;          // `rtf` read again (a copy of the input when unchanged)

  bool changed() const { return verified && applied > 0; }
};

// Applies `edits` (sorted by plainBegin, not overlapping) to `doc`. Refused edits are left
// out and reported in `statuses`; the others are applied together.
SpliceResult applyEdits(const Document& doc, std::span<const Edit> edits);

// Lower-level: the new source for the edits, without the check, and the plain text expected.
// Exposed for tests that break the source on purpose.
struct SpliceOutput {
  std::vector<EditStatus> statuses;
  std::size_t applied = 0;
  std::string rtf;
  std::string expectedPlain;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> deleted;  // source ranges removed
};
SpliceOutput spliceEdits(const Document& doc, std::span<const Edit> edits);

}  // namespace tw::rtf
