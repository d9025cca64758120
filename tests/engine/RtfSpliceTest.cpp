#include "engine/rtf/RtfSplice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RtfTestData.h"

namespace tw::rtf {
namespace {

// Replaces every occurrence of `find` in the document's plain text.
SpliceResult replaceAll(const Document& doc, const std::string& find, const std::string& replace) {
  std::vector<Edit> edits;
  for (std::size_t at = doc.plain.find(find); at != std::string::npos;
       at = doc.plain.find(find, at + find.size())) {
    edits.push_back({at, find.size(), replace});
  }
  return applyEdits(doc, edits);
}

std::string replaced(const std::string& caseFile, const std::string& find,
                     const std::string& replace) {
  const Document doc = parse(test::readRtfData("cases/" + caseFile));
  const SpliceResult r = replaceAll(doc, find, replace);
  EXPECT_TRUE(r.verified) << caseFile;
  EXPECT_EQ(r.document.plain, r.expectedPlain);
  return r.rtf;
}

TEST(RtfSplice, ReplacedTextTakesTheFormattingOfTheFirstCharacter) {
  EXPECT_EQ(replaced("group-tail.rtf", "abcd", "X"), "{\\rtf1\\ansi X{\\b }}\n");
  EXPECT_EQ(replaced("group-head.rtf", "bc", "X"), "{\\rtf1\\ansi {\\b aX}d}\n");
  EXPECT_EQ(replaced("hidden.rtf", "bc", "Y"), "{\\rtf1\\ansi aY{\\v H}d}\n");
  EXPECT_EQ(
      replaced("field.rtf", "link tail", "L"),
      "{\\rtf1\\ansi {\\field{\\*\\fldinst HYPERLINK \"http://example.org/\"}{\\fldrslt L}}}\n");
  EXPECT_EQ(replaced("bin.rtf", "AB", "ok"), "{\\rtf1\\ansi ok{\\pict\\bin4 }{\\\\x}}\n");
}

TEST(RtfSplice, ParagraphMarksMergeAndSplit) {
  // The merged paragraph keeps the second paragraph's properties.
  EXPECT_EQ(replaced("paragraph-merge.rtf", "1\r\nP", "-"), "{\\rtf1\\ansi P-\\pard\\qc 2}\n");
  EXPECT_EQ(replaced("line.rtf", "follows\vnext", "A\r\nB"), "{\\rtf1\\ansi A\\par B}\n");
  // A merged list paragraph loses its list number with the mark.
  const std::string list = replaced("list.rtf", "item\r\nSecond", "and");
  EXPECT_NE(list.find("{\\listtext\\u8226\\'95\\tab}First and\n item\\par"), std::string::npos)
      << list;
  EXPECT_EQ(list.find("listtext", list.find("First and")), std::string::npos);
}

TEST(RtfSplice, UnicodeCharactersAreRemovedWhole) {
  EXPECT_EQ(replaced("creme.rtf", "crème", "cream"), "{\\rtf1\\ansi cream}\n");
  EXPECT_EQ(replaced("euro.rtf", "x€", "x$"), "{\\rtf1\\ansi\\uc1 x$\\'80y}\n");
  // Both halves go, the \uc1 between them stays, and later fallbacks still read right.
  EXPECT_EQ(replaced("surrogate.rtf", "😀", ""), "{\\rtf1\\ansi \\uc0 \\uc1 x\\u233\\'e9y}\n");
  // Inserted text uses the \uc and code page of its place.
  EXPECT_EQ(replaced("uc2.rtf", "B", "é"),
            "{\\rtf1\\ansi\\uc2 A\\u8364 ??\\u233 \\'e9?{\\uc1 C\\u8364 ?D}E\\u8364\\'80\\'80F}\n");
  EXPECT_EQ(replaced("uc2.rtf", "D", "é"),
            "{\\rtf1\\ansi\\uc2 A\\u8364 ??B{\\uc1 C\\u8364 ?\\u233 \\'e9}E\\u8364\\'80\\'80F}\n");
  EXPECT_EQ(replaced("ansicpg1251.rtf", "Привет", "Мир"),
            "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 "
            "Arial;}{\\f1\\fcharset0 "
            "Times;}}\\f0 \\u1052 \\'cc\\u1080 \\'e8\\u1088 \\'f0 {\\f1 caf\\'e9}}\n");
}

TEST(RtfSplice, SpaceSeparatesABareWordFromWhatNowFollowsIt) {
  // "\b\'e9t": without the space the result would be \bt, another word.
  EXPECT_EQ(replaced("join.rtf", "ét", "t"), "{\\rtf1\\ansi \\b t \\b0 \\fs20\\'e95}\n");
  EXPECT_EQ(replaced("join.rtf", "é5", "5"), "{\\rtf1\\ansi \\b\\'e9t \\b0 \\fs20 5}\n");
  EXPECT_EQ(replaced("join.rtf", "é", ""), "{\\rtf1\\ansi \\b t \\b0 \\fs20 5}\n");
  EXPECT_EQ(replaced("join.rtf", "é", "x"), "{\\rtf1\\ansi \\b xt \\b0 \\fs20 x5}\n");
  EXPECT_EQ(replaced("join.rtf", "é", "{"), "{\\rtf1\\ansi \\b\\{t \\b0 \\fs20\\{5}\n");
}

TEST(RtfSplice, TableAndSectionStructureIsRefused) {
  const Document doc = parse(test::readRtfData("cases/table.rtf"));
  const std::vector<Edit> edits = {
      {doc.plain.find("Before\r\nA1"), 10, "x"},  // the mark before the table
      {doc.plain.find("A1\tB1"), 5, "x"},         // a cell end
      {doc.plain.find("B2\t\r\nAfter"), 6, "x"},  // a row end
      {doc.plain.find("After\r\nNext"), 9, "x"},  // the section end
      {doc.plain.find("section"), 7, "part"},     // plain text: replaced
  };
  const SpliceResult r = applyEdits(doc, edits);
  EXPECT_EQ(r.statuses,
            (std::vector<EditStatus>{EditStatus::RemovesStructure, EditStatus::RemovesStructure,
                                     EditStatus::RemovesStructure, EditStatus::RemovesStructure,
                                     EditStatus::Applied}));
  EXPECT_EQ(r.applied, 1u);
  EXPECT_TRUE(r.changed());
  EXPECT_NE(r.rtf.find("Next part\\par"), std::string::npos);
  EXPECT_EQ(describe(EditStatus::RemovesStructure), "would remove table or section structure");
  // Text inside one cell is fine.
  EXPECT_EQ(checkRange(doc, doc.plain.find("A1"), 2), EditStatus::Applied);
}

TEST(RtfSplice, NothingToDoLeavesTheBytesAlone) {
  const Document doc = parse(test::readRtfData("pandoc-letter.rtf"));
  const SpliceResult none = replaceAll(doc, "no such text", "x");
  EXPECT_EQ(none.rtf, doc.source);
  EXPECT_FALSE(none.changed());
  const SpliceResult same = replaceAll(doc, "garden", "garden");
  EXPECT_EQ(same.applied, 0u);
  EXPECT_EQ(same.statuses.front(), EditStatus::Unchanged);
  EXPECT_EQ(same.rtf, doc.source);
  // A line end in the replacement compares in its CR LF form.
  const Document p = parse(test::readRtfData("cases/paragraph-merge.rtf"));
  EXPECT_EQ(applyEdits(p, std::vector<Edit>{{2, 2, "\n"}}).statuses.front(), EditStatus::Unchanged);
}

TEST(RtfSplice, RefusesEditsThatDoNotFitTheText) {
  const Document doc = parse("{\\rtf1\\ansi a\\'e9\\par b}");  // plain "aé\r\nb"
  const std::vector<Edit> edits = {
      {2, 1, "x"},                     // inside é
      {4, 2, "x"},                     // between CR and LF
      {0, 1, std::string("\x01", 1)},  // a control character
      {6, 2, "x"},                     // past the end
      {5, 1, "B"},
      {5, 1, "C"},  // overlaps the one before
  };
  const SpliceResult r = applyEdits(doc, edits);
  EXPECT_EQ(r.statuses,
            (std::vector<EditStatus>{EditStatus::SplitsCharacter, EditStatus::SplitsCharacter,
                                     EditStatus::InvalidReplacement, EditStatus::OutOfOrder,
                                     EditStatus::Applied, EditStatus::OutOfOrder}));
  EXPECT_EQ(r.document.plain, "aé\r\nB");
  EXPECT_EQ(describe(EditStatus::SplitsCharacter), "splits a character");
}

TEST(RtfSplice, SafetyNetKeepsTheOriginalWhenTheResultReadsWrong) {
  // Text inserted after a fallback that the end of the document cut short would be read as
  // the rest of that fallback.
  const Document doc = parse("{\\rtf1\\ansi\\uc2 a\\u937 ?}");
  ASSERT_EQ(doc.plain, "aΩ");
  const SpliceOutput raw = spliceEdits(doc, std::vector<Edit>{{doc.plain.size(), 0, "xy"}});
  ASSERT_EQ(raw.applied, 1u);
  ASSERT_NE(parse(raw.rtf).plain, raw.expectedPlain);
  const SpliceResult r = applyEdits(doc, std::vector<Edit>{{doc.plain.size(), 0, "xy"}});
  EXPECT_FALSE(r.verified);
  EXPECT_FALSE(r.changed());
  EXPECT_EQ(r.rtf, doc.source);
}

TEST(RtfSplice, SeveralEditsInOnePassKeepEverythingBetween) {
  const Document doc = parse(test::readRtfData("lo-report-html.rtf"));
  const SpliceResult r = replaceAll(doc, "e", "É");
  EXPECT_TRUE(r.changed());
  EXPECT_GT(r.applied, 20u);
  EXPECT_EQ(r.document.plain.find('e'), std::string::npos);
  const SpliceResult back = replaceAll(r.document, "É", "e");
  EXPECT_TRUE(back.changed());
  EXPECT_EQ(back.document.plain, doc.plain);
}

}  // namespace
}  // namespace tw::rtf
