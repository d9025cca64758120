#include "engine/rtf/RtfFormattedText.h"

#include <gtest/gtest.h>

#include "RtfTestData.h"

namespace tw::rtf {
namespace {

TEST(RtfFormattedText, RunsCarryBoldItalicUnderlineSizeAndColour) {
  const Document doc = parse(
      "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}"
      "Plain {\\b bold {\\i both}}\\ul under\\ulnone  {\\fs36\\cf1 big red}\\cf2 navy\\cf0 "
      "auto\\par "
      "\\pard {\\i\\b0 x}\\plain y}");
  const auto paragraphs = formattedText(doc);
  ASSERT_EQ(paragraphs.size(), 2u);
  const auto& runs = paragraphs[0].runs;
  ASSERT_EQ(runs.size(), 8u);
  EXPECT_EQ(runs[0].text, "Plain ");
  EXPECT_EQ(runs[0].format, CharFormat{});
  EXPECT_EQ(runs[1].text, "bold ");
  EXPECT_TRUE(runs[1].format.bold);
  EXPECT_FALSE(runs[1].format.italic);
  EXPECT_EQ(runs[2].text, "both");
  EXPECT_TRUE(runs[2].format.bold && runs[2].format.italic);
  EXPECT_EQ(runs[3].text, "under");
  EXPECT_TRUE(runs[3].format.underline);
  EXPECT_EQ(runs[4].text, " ");
  EXPECT_EQ(runs[5].text, "big red");
  EXPECT_EQ(runs[5].pointSize(), 18.0);
  EXPECT_EQ(runs[5].format.colour, 0xFF0000u);
  EXPECT_EQ(runs[6].text, "navy");
  EXPECT_EQ(runs[6].format.colour, 0x000080u);
  EXPECT_EQ(runs[7].text, "auto");  // \cf0: the automatic colour
  EXPECT_FALSE(runs[7].format.colour);
  ASSERT_EQ(paragraphs[1].runs.size(), 2u);
  EXPECT_EQ(paragraphs[1].runs[0].text, "x");
  EXPECT_TRUE(paragraphs[1].runs[0].format.italic);
  EXPECT_EQ(paragraphs[1].runs[1].text, "y");
  EXPECT_EQ(paragraphs[1].runs[1].format, CharFormat{});
}

TEST(RtfFormattedText, RunsNameTheirFont) {
  const Document doc = parse(
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}"
      "{\\f1\\fmodern\\fcharset0 Courier New{\\*\\falt Courier};}}"
      "serif {\\f1 code}\\f7 , unknown}");
  ASSERT_EQ(doc.fonts.size(), 2u);
  EXPECT_EQ(doc.fonts.at(0).name, "Times New Roman");
  EXPECT_FALSE(doc.fonts.at(0).fixedPitch);
  EXPECT_EQ(doc.fonts.at(1).name, "Courier New");
  EXPECT_TRUE(doc.fonts.at(1).fixedPitch);
  const auto runs = formattedText(doc).at(0).runs;
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].format.font, 0);
  EXPECT_EQ(runs[1].text, "code");
  EXPECT_EQ(runs[1].format.font, 1);
  EXPECT_EQ(runs[2].format.font, 7);  // not in the table: the viewer's own font
  EXPECT_EQ(doc.plain, "serif code, unknown");
}

TEST(RtfFormattedText, ParagraphsFollowTheMarksAndKeepEmptyOnes) {
  const Document doc = parse("{\\rtf1\\ansi a\\line b\\par\\par c\\cell d\\row}");
  const auto paragraphs = formattedText(doc);
  ASSERT_EQ(paragraphs.size(), 3u);
  EXPECT_EQ(paragraphs[0].runs.at(0).text, "a\vb");
  EXPECT_TRUE(paragraphs[1].runs.empty());
  EXPECT_EQ(paragraphs[2].runs.at(0).text, "c\td");
}

// A paragraph is aligned as the words in force at its mark say; \pard and the end of a group
// go back, and the text after the last mark takes what holds at its end.
TEST(RtfFormattedText, ParagraphsCarryTheAlignmentOfTheirMark) {
  const Document doc = parse(
      "{\\rtf1\\ansi {\\pard\\qc centred\\par}\\qr right\\par\\qj justified {\\ql left\\par}"
      "both\\par\\pard reset\\par{\\qc inner} outside\\par\\qc tail}");
  EXPECT_EQ(doc.plain,
            "centred\r\nright\r\njustified left\r\nboth\r\nreset\r\ninner outside\r\ntail");
  const std::pair<const char*, Alignment> expected[] = {
      {"centred", Alignment::Centred},     {"right", Alignment::Right},
      {"justified left", Alignment::Left}, {"both", Alignment::Justified},
      {"reset", Alignment::Left},          {"inner outside", Alignment::Left},
      {"tail", Alignment::Centred}};
  const auto paragraphs = formattedText(doc);
  ASSERT_EQ(paragraphs.size(), std::size(expected));
  for (std::size_t i = 0; i < paragraphs.size(); ++i) {
    ASSERT_EQ(paragraphs[i].runs.size(), 1u) << i;
    EXPECT_EQ(paragraphs[i].runs[0].text, expected[i].first);
    EXPECT_EQ(paragraphs[i].alignment, expected[i].second) << expected[i].first;
  }
}

TEST(RtfFormattedText, WordProcessorFormattingComesThrough) {
  const Document doc = parse(test::readRtfData("lo-report-html.rtf"));
  bool bold = false, italic = false, underline = false, red = false, large = false;
  for (const auto& p : formattedText(doc)) {
    for (const auto& run : p.runs) {
      bold |= run.text == "quarter" && run.format.bold;
      italic |= run.text == "steady" && run.format.italic;
      underline |= run.text == "underlined notes" && run.format.underline;
      red |= run.text == "Red figures" && run.format.colour == 0xC00000u;
      large |= run.text == "large" && run.pointSize() == 18.0;
    }
  }
  EXPECT_TRUE(bold);
  EXPECT_TRUE(italic);
  EXPECT_TRUE(underline);
  EXPECT_TRUE(red);
  EXPECT_TRUE(large);
}

}  // namespace
}  // namespace tw::rtf
