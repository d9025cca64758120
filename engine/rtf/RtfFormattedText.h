#pragma once
// The visible text of an RTF document as paragraphs of formatted runs, for showing a document
// read-only (browse mode). Hidden text and destinations are left out, as in the plain text.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/rtf/RtfDocument.h"

namespace tw::rtf {

struct TextRun {
  std::string text;  // UTF-8; TAB for tabs and table cells, VT for a line break (\line)
  CharFormat format;
  double pointSize() const { return format.halfPoints / 2.0; }
};

struct FormattedParagraph {
  std::vector<TextRun> runs;  // adjacent runs differ in format; none for an empty paragraph
  Alignment alignment = Alignment::Left;
};

// The document's paragraphs: one per paragraph mark (\par, \sect, \row), plus the text after
// the last mark when there is any. A paragraph is aligned as its mark says (the text after the
// last mark: as its last character says).
std::vector<FormattedParagraph> formattedText(const Document& doc);

}  // namespace tw::rtf
