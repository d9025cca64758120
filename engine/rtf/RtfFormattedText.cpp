#include "engine/rtf/RtfFormattedText.h"

namespace tw::rtf {

std::vector<FormattedParagraph> formattedText(const Document& doc) {
  std::vector<FormattedParagraph> paragraphs;
  FormattedParagraph current;
  std::uint32_t currentFormat = 0;
  bool open = false;  // text since the last paragraph mark
  for (const Unit& u : doc.units) {
    if (u.flags & Unit::ParaMark) {
      current.alignment = u.alignment;
      paragraphs.push_back(std::move(current));
      current = {};
      open = false;
      continue;
    }
    const std::string_view text(doc.plain.data() + u.plainBegin, u.plainEnd - u.plainBegin);
    if (current.runs.empty() || u.format != currentFormat) {
      current.runs.push_back({std::string(text), doc.formats[u.format]});
      currentFormat = u.format;
    } else {
      current.runs.back().text += text;
    }
    current.alignment = u.alignment;
    open = true;
  }
  if (open) paragraphs.push_back(std::move(current));
  return paragraphs;
}

}  // namespace tw::rtf
