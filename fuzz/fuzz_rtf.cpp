// The RTF reader on any input, and the splice writer on edits derived from the input: the
// text must cover the units exactly, and in a regular document every edit must read back as
// expected.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/rtf/RtfFormattedText.h"
#include "engine/rtf/RtfSplice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tw::rtf;
  // The last 4 bytes, when there are enough, choose the edits; the rest is the document.
  std::uint32_t choice = 0;
  if (size >= 8) {
    for (int i = 0; i < 4; ++i)
      choice = (choice << 8) | data[size - 4 + static_cast<std::size_t>(i)];
    size -= 4;
  }
  const Document doc = parse(std::string(reinterpret_cast<const char*>(data), size));
  std::uint32_t at = 0;
  for (const Unit& u : doc.units) {
    if (u.plainBegin != at || u.plainEnd <= u.plainBegin || u.srcEnd() > doc.source.size())
      std::abort();
    at = u.plainEnd;
  }
  if (at != doc.plain.size()) std::abort();
  (void)formattedText(doc);
  if (doc.units.empty()) return 0;

  static const char* const kReplacements[] = {"",  "x", "{",    "}",   "\\", "é",
                                              "€", "😀", "\r\n", "a b", "-1"};
  std::vector<Edit> edits;
  std::size_t unit = choice % doc.units.size();
  for (int k = 0; k < 3 && unit < doc.units.size(); ++k) {
    const std::size_t last = std::min(doc.units.size(), unit + ((choice >> (8 + 4 * k)) & 7));
    const std::size_t begin = doc.units[unit].plainBegin;
    const std::size_t end = last < doc.units.size() ? doc.units[last].plainBegin : doc.plain.size();
    edits.push_back({begin, end - begin, kReplacements[(choice >> (20 + 3 * k)) % 11]});
    unit = last + 1 + ((choice >> (4 * k)) & 15);
  }
  const SpliceResult r = applyEdits(doc, edits);
  // The read-back check refuses a result only for documents with irregular source.
  if (!r.verified && (r.rtf != doc.source || !doc.irregular)) std::abort();
  return 0;
}
