// Formatting kept, as another program sees it: LibreOffice converts a document before and
// after replacements to flat ODF, and the two must differ only in the replaced words, each
// keeping the character style of the text it replaced. Skipped where soffice is missing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "RtfTestData.h"
#include "engine/rtf/RtfSplice.h"
#include "support/TempDir.h"

namespace tw::rtf {
namespace {

bool haveSoffice() {
  return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The styles and the body of a flat ODF document: what the text and its formatting are,
// without the statistics and settings that change with every conversion.
std::string stylesAndBody(const std::string& fodt) {
  const std::size_t from = fodt.find("<office:automatic-styles>");
  const std::size_t to = fodt.find("</office:body>");
  if (from == std::string::npos || to == std::string::npos) return {};
  return fodt.substr(from, to - from);
}

void replaceEvery(std::string& s, const std::string& from, const std::string& to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
}

// An XML text split into its tags (with their attributes: the styles) and the texts between.
struct Markup {
  std::vector<std::string> tags;
  std::vector<std::string> texts;
};

Markup split(const std::string& xml) {
  Markup m;
  std::size_t at = 0;
  while (at < xml.size()) {
    const std::size_t open = xml.find('<', at);
    m.texts.push_back(xml.substr(at, (open == std::string::npos ? xml.size() : open) - at));
    if (open == std::string::npos) break;
    const std::size_t close = xml.find('>', open);
    m.tags.push_back(xml.substr(open, close - open + 1));
    at = close + 1;
  }
  return m;
}

class RtfLibreOffice : public ::testing::TestWithParam<const char*> {};

TEST_P(RtfLibreOffice, SeesTheSameFormattingAfterReplacements) {
  if (!haveSoffice()) GTEST_SKIP() << "soffice is not installed";
  const std::vector<std::pair<std::string, std::string>> words = {
      {"steady", "firm"},   {"quarter", "Quartal €"}, {"Red figures", "Losses"},
      {"large", "huge"},    {"garden", "orchard"},    {"seeds", "bulbs"},
      {"Tomato", "Pepper"}, {"North", "Nord"},        {"Nested item", "Inner point"},
      {"Ωμέγα", "Omega"}};
  Document doc = parse(test::readRtfData(GetParam()));
  std::size_t applied = 0;
  for (const auto& [find, replace] : words) {
    std::vector<Edit> edits;
    for (std::size_t at = doc.plain.find(find); at != std::string::npos;
         at = doc.plain.find(find, at + 1)) {
      edits.push_back({at, find.size(), replace});
    }
    SpliceResult r = applyEdits(doc, edits);
    ASSERT_TRUE(r.verified) << find;
    applied += r.applied;
    doc = std::move(r.document);
  }
  ASSERT_GE(applied, 4u);

  test::TempDir dir;
  dir.write("before.rtf", test::readRtfData(GetParam()));
  dir.write("after.rtf", doc.source);
  const std::string command =
      "cd '" + dir.path().string() + "' && timeout 300 soffice -env:UserInstallation=file://" +
      dir.path().string() +
      "/profile --headless --convert-to fodt before.rtf after.rtf >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const Markup before = split(stylesAndBody(readText(dir.file("before.fodt"))));
  const Markup after = split(stylesAndBody(readText(dir.file("after.fodt"))));
  ASSERT_FALSE(before.tags.empty());
  // Every paragraph, span and style the same; the texts differ by the replaced words only.
  EXPECT_EQ(after.tags, before.tags);
  std::vector<std::string> expected = before.texts;
  for (std::string& text : expected) {
    for (const auto& [find, replace] : words) replaceEvery(text, find, replace);
  }
  EXPECT_EQ(after.texts, expected);
}

INSTANTIATE_TEST_SUITE_P(Documents, RtfLibreOffice,
                         ::testing::Values("lo-report-html.rtf", "pandoc-letter.rtf",
                                           "lo-letter.rtf"));

}  // namespace
}  // namespace tw::rtf
