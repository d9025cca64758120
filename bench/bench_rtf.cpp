// The RTF reader and the splice writer on a large document.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/rtf/RtfSplice.h"

namespace {

// A document in the manner of a word processor, about 4 MiB: a style sheet and font table,
// then paragraphs with direct formatting, \uN characters with fallbacks, bookmarks, fields
// and table rows.
const std::string& bigDocument() {
  static const std::string doc = [] {
    std::string out =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
        "{\\f1\\fswiss\\fcharset204 Arial;}}{\\colortbl;\\red192\\green0\\blue0;}"
        "{\\stylesheet{\\s0\\snext0\\rtlch\\ltrch\\fs24 Normal;}{\\s1\\sbasedon0\\b\\fs32 Heading "
        "1;}}\n";
    const std::string paragraph =
        "\\pard\\plain\\s0\\sa120\\ql{\\rtlch\\ltrch\\loch\\fs24 The garden was planted in March; "
        "the cr\\u232\\'e8me of the {\\b\\i seeds} came from a {\\*\\bkmkstart "
        "b1}friend{\\*\\bkmkend b1}.}"
        "{\\field{\\*\\fldinst HYPERLINK \"https://example.org/garden\"}{\\fldrslt {\\ul\\cf1 the "
        "garden "
        "society}}}{\\f1 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2} \\u8364\\'80 12\\par\n"
        "\\trowd\\cellx3000\\cellx6000\\pard\\intbl Tomato\\cell 1.2 m\\cell\\row\n";
    while (out.size() < (4u << 20)) out += paragraph;
    out += "}";
    return out;
  }();
  return doc;
}

void BM_RtfParse(benchmark::State& state) {
  const std::string& src = bigDocument();
  for (auto _ : state) {
    tw::rtf::Document doc = tw::rtf::parse(src);
    benchmark::DoNotOptimize(doc.plain.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * src.size()));
}
BENCHMARK(BM_RtfParse)->Unit(benchmark::kMillisecond);

// Every "garden" replaced: the splice, and reading the result again to check it.
void BM_RtfReplaceEveryOccurrence(benchmark::State& state) {
  const tw::rtf::Document doc = tw::rtf::parse(bigDocument());
  std::vector<tw::rtf::Edit> edits;
  for (std::size_t at = doc.plain.find("garden"); at != std::string::npos;
       at = doc.plain.find("garden", at + 6)) {
    edits.push_back({at, 6, "orchard"});
  }
  for (auto _ : state) {
    tw::rtf::SpliceResult r = tw::rtf::applyEdits(doc, edits);
    benchmark::DoNotOptimize(r.rtf.data());
  }
  state.counters["edits"] = static_cast<double>(edits.size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc.source.size()));
}
BENCHMARK(BM_RtfReplaceEveryOccurrence)->Unit(benchmark::kMillisecond);

}  // namespace
