#include "engine/rtf/RtfDocument.h"

#include <gtest/gtest.h>

#include <string>

#include "RtfTestData.h"

namespace tw::rtf {
namespace {

std::string plainOf(const std::string& body, ParseOptions options = {}) {
  return parse("{\\rtf1\\ansi " + body + "}", options).plain;
}

TEST(RtfDocument, MapsEscapesAndSpecialWordsToTheirCharacters) {
  EXPECT_EQ(plainOf("a\\\\b\\{c\\}"), "a\\b{c}");
  EXPECT_EQ(plainOf("a\\par b\\\r\nc\\sect d\\row e"), "a\r\nb\r\nc\r\nd\r\ne");
  EXPECT_EQ(plainOf("a\\cell b\\nestcell c\\tab d\te"), "a\tb\tc\td\te");
  EXPECT_EQ(plainOf("a\\line b\\page c\\column d"), "a\vb\fc\fd");
  EXPECT_EQ(plainOf("\\~\\-\\_\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote"),
            "\u00A0\u00AD\u2011\u2014\u2013\u2022\u2018\u2019\u201C\u201D");
  EXPECT_EQ(plainOf("\\enspace\\emspace\\zwj\\zwnj x"), "\u2002\u2003\u200D\u200Cx");
  // Raw line breaks, unknown words and control bytes are not text.
  EXPECT_EQ(plainOf("a\r\nb\\unknownword12 c\\foo d\x01"), "abcd");
}

TEST(RtfDocument, DecodesBytesInTheCodePageOfTheCurrentFont) {
  const Document doc = parse(test::readRtfData("cases/ansicpg1251.rtf"));
  EXPECT_EQ(doc.plain, "Привет café");
  EXPECT_EQ(doc.units[0].codePage, 1251);
  EXPECT_EQ(doc.units.back().codePage, 1252);  // \f1 is \fcharset0
  // \cpg wins over the charset; the document default applies to fonts without either.
  EXPECT_EQ(parse("{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fcharset204\\cpg1253 X;}{\\f1 Y;}}"
                  "\\f0\\'e1{\\f1\\'e1}\\'e1}")
                .plain,
            "αáα");
  EXPECT_EQ(plainOf("\\mac \\'8e"), "é");
  EXPECT_EQ(parse("{\\rtf1\\pc \\'82}").plain, "é");
  EXPECT_EQ(parse("{\\rtf1\\pca \\'d5}").plain, "ı");
  // The symbol charset reads as the private-use area.
  EXPECT_EQ(parse("{\\rtf1\\ansi{\\fonttbl{\\f1\\fcharset2 Symbol;}}{\\f1 \\'b7a}}").plain,
            "\uF0B7\uF061");
  // An unknown code page, a double-byte character and an undefined byte read as U+FFFD.
  EXPECT_EQ(parse("{\\rtf1\\ansi\\ansicpg999 \\'e9}").plain, "\uFFFD");
  const Document dbcs = parse("{\\rtf1\\ansi\\ansicpg932 a\\'82\\'a0b}");
  EXPECT_EQ(dbcs.plain, "a\uFFFDb");
  EXPECT_EQ(dbcs.units[1].srcEnd() - dbcs.units[1].srcBegin(), 8u);
  EXPECT_EQ(plainOf("\\'81"), "\uFFFD");
}

TEST(RtfDocument, ReadsUtf8Documents) {
  const Document doc = parse(test::readRtfData("cases/utf8.rtf"));
  EXPECT_EQ(doc.plain, "café naïve € end\r\n");
  // A broken sequence gives one U+FFFD and the rest reads on.
  EXPECT_EQ(parse("{\\rtf1\\ansicpg65001 \\'c3x\\'e2\\'82\\b y}").plain, "\uFFFDx\uFFFDy");
}

TEST(RtfDocument, UnicodeSkipsItsFallbackByTheUcInForce) {
  const Document doc = parse(test::readRtfData("cases/uc2.rtf"));
  EXPECT_EQ(doc.plain, "A€BC€DE€F");
  EXPECT_EQ(doc.units[1].uc, 2);
  EXPECT_EQ(doc.units[4].uc, 1);  // inside {\uc1 ...}
  EXPECT_EQ(doc.units[7].uc, 2);  // the group ended: \uc2 again
  // The unit covers \uN, its space and its fallback.
  EXPECT_EQ(
      doc.source.substr(doc.units[1].srcBegin(), doc.units[1].srcEnd() - doc.units[1].srcBegin()),
      "\\u8364 ??");
  // A negative N is N + 65536; the second \'80 after a one-character fallback is text.
  EXPECT_EQ(parse(test::readRtfData("cases/euro.rtf")).plain, "x€€y");
  EXPECT_EQ(plainOf("\\u-4064 ?"), "\uF020");
  // A control word, a symbol and a whole \bin count as one fallback character each;
  // skipping stops at a brace.
  EXPECT_EQ(plainOf("\\uc1 \\u233\\b x"), "éx");
  EXPECT_EQ(plainOf("\\uc1 \\u233\\bin2 ab x"), "é x");
  EXPECT_EQ(plainOf("\\uc3 \\u233{x}y"), "éxy");
  EXPECT_EQ(plainOf("\\uc0 \\u233 x"), "éx");
}

TEST(RtfDocument, SurrogatePairWithUcBetweenIsOneUnitInTwoPieces) {
  const Document doc = parse(test::readRtfData("cases/surrogate.rtf"));
  EXPECT_EQ(doc.plain, "😀xéy");
  const Unit& u = doc.units[0];
  ASSERT_EQ(u.pieces, 2);
  EXPECT_EQ(doc.source.substr(u.src[0][0], u.src[0][1] - u.src[0][0]), "\\u55357");
  EXPECT_EQ(doc.source.substr(u.src[1][0], u.src[1][1] - u.src[1][0]), "\\u56832\\'3f");
  EXPECT_EQ(u.uc, 0);  // the state at the first piece
  // Written by Word: both halves with fallbacks, one piece.
  const Document word = parse("{\\rtf1\\ansi \\u-10179 ?\\u-8704 ?}");
  EXPECT_EQ(word.plain, "😀");
  EXPECT_EQ(word.units[0].pieces, 1);
  // Lone halves read as U+FFFD.
  EXPECT_EQ(plainOf("\\u55357 ?x\\u56832 ?"), "\uFFFDx\uFFFD");
}

TEST(RtfDocument, DestinationsAndHiddenTextAreNotText) {
  const Document symbols = parse(test::readRtfData("cases/symbols.rtf"));
  EXPECT_EQ(symbols.plain.find("Header"), std::string::npos);
  EXPECT_EQ(symbols.plain.find("Not text"), std::string::npos);
  EXPECT_EQ(symbols.plain.substr(0, 3), "a\u00A0");
  const Document field = parse(test::readRtfData("cases/field.rtf"));
  EXPECT_EQ(field.plain, "link tail");
  EXPECT_EQ(parse(test::readRtfData("cases/upr.rtf")).plain, "xΩ");
  EXPECT_EQ(parse(test::readRtfData("cases/bin.rtf")).plain, "AB");
  EXPECT_EQ(plainOf("a{\\*\\unknowndest b}{\\pict c}{\\footnote d}{\\*\\fldinst e}f"), "af");
  const Document list = parse(test::readRtfData("cases/list.rtf"));
  EXPECT_EQ(list.plain, "First item\r\nSecond item\r\nPlain paragraph with  text.\r\n");
  EXPECT_EQ(list.listNumberGroups.size(), 2u);

  EXPECT_EQ(plainOf("ab{\\v H}cd\\v e\\v0 f\\v g\\plain h"), "abcdfh");
  EXPECT_EQ(plainOf("ab{\\v H}cd", {.includeHidden = true}), "abHcd");
  // A new group copies its parent's state rather than resetting it.
  EXPECT_EQ(plainOf("\\v {a}\\v0 b"), "b");
  // Text outside the document group is not the document's.
  EXPECT_EQ(parse("x{\\rtf1 a}y{b}").plain, "a");
}

TEST(RtfDocument, TableAndSectionStructureIsProtected) {
  const Document doc = parse(test::readRtfData("cases/table.rtf"));
  EXPECT_EQ(doc.plain, "Before\r\nA1\tB1\t\r\nA2\tB2\t\r\nAfter\r\nNext section\r\n");
  std::string marks;
  for (const Unit& u : doc.units) {
    if (u.flags & Unit::Protected)
      marks += doc.plain.substr(u.plainBegin, u.plainEnd - u.plainBegin) == "\t" ? 'C' : 'P';
  }
  // The mark before the table, every cell and row end, the section end; not the last mark.
  EXPECT_EQ(marks, "PCCPCCPP");
  EXPECT_FALSE(doc.units.back().flags & Unit::Protected);
  EXPECT_TRUE(doc.units.back().flags & Unit::ParaMark);
}

TEST(RtfDocument, UnitsCoverThePlainTextAndFindTheirStart) {
  const Document doc = parse("{\\rtf1\\ansi a\\'e9\\par \\u8364 ?}");
  ASSERT_EQ(doc.units.size(), 4u);
  std::uint32_t at = 0;
  for (const Unit& u : doc.units) {
    EXPECT_EQ(u.plainBegin, at);
    at = u.plainEnd;
  }
  EXPECT_EQ(at, doc.plain.size());
  EXPECT_EQ(doc.unitAt(0), 0u);
  EXPECT_EQ(doc.unitAt(1), 1u);
  EXPECT_EQ(doc.unitAt(2), std::nullopt);  // inside é
  EXPECT_EQ(doc.unitAt(3), 2u);
  EXPECT_EQ(doc.unitAt(4), std::nullopt);  // between CR and LF
  EXPECT_EQ(doc.unitAt(doc.plain.size()), 4u);
  EXPECT_EQ(doc.unitAt(doc.plain.size() + 1), std::nullopt);
  EXPECT_TRUE(doc.endsBareWord(6));    // "{\rtf1" ended by a backslash
  EXPECT_FALSE(doc.endsBareWord(12));  // "\ansi " took its space
}

TEST(RtfDocument, RecognisesRtfByItsStart) {
  EXPECT_TRUE(looksLikeRtf("{\\rtf1\\ansi x}"));
  EXPECT_TRUE(looksLikeRtf("\xEF\xBB\xBF\r\n {\\rtf1}"));
  EXPECT_FALSE(looksLikeRtf("plain text"));
  EXPECT_FALSE(looksLikeRtf("{\\rt"));
}

}  // namespace
}  // namespace tw::rtf
