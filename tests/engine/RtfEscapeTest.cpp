#include "engine/rtf/RtfEscape.h"

#include <gtest/gtest.h>

#include "engine/rtf/CodePages.h"
#include "engine/rtf/RtfDocument.h"

namespace tw::rtf {
namespace {

TEST(RtfEscape, WritesUnicodeWithExactlyUcFallbacks) {
  EXPECT_EQ(escapeText("Ω€é😀 {x}", 1252, 1),
            "\\u937 ?\\u8364 \\'80\\u233 \\'e9\\u-10179 ?\\u-8704 ? \\{x\\}");
  EXPECT_EQ(escapeText("é", 1252, 0), "\\u233 ");
  EXPECT_EQ(escapeText("é", 1252, 3), "\\u233 \\'e9??");
  EXPECT_EQ(escapeText("Ж", 1251, 1), "\\u1046 \\'c6");
  EXPECT_EQ(escapeText("Ж", 1252, 1), "\\u1046 ?");
}

TEST(RtfEscape, LineEndsAndSpecialCharactersBecomeControlWords) {
  EXPECT_EQ(escapeText("a\r\nb\rc\nd", 1252, 1), "a\\par b\\par c\\par d");
  EXPECT_EQ(escapeText("\t\v\f\\", 1252, 1), "\\tab \\line \\page \\\\");
  EXPECT_EQ(escapeText("\u00A0\u00AD\u2011", 1252, 1), "\\~\\-\\_");
  EXPECT_EQ(normalisedPlain("a\rb\nc\r\nd"), "a\r\nb\r\nc\r\nd");
}

TEST(RtfEscape, RefusesWhatTextCannotHold) {
  EXPECT_EQ(escapeText(std::string("a\0b", 3), 1252, 1), std::nullopt);
  EXPECT_EQ(escapeText("a\x7f", 1252, 1), std::nullopt);
  EXPECT_EQ(escapeText("\xC3", 1252, 1), std::nullopt);          // truncated
  EXPECT_EQ(escapeText("\xC0\xAF", 1252, 1), std::nullopt);      // overlong
  EXPECT_EQ(escapeText("\xED\xA0\x80", 1252, 1), std::nullopt);  // surrogate
  EXPECT_EQ(escapeText("\uFFF9", 1252, 1), std::nullopt);
}

TEST(RtfEscape, SymbolFontTextGetsUnicodeEvenForAscii) {
  EXPECT_EQ(escapeText("a\uF0B7", kCodePageSymbol, 1), "\\u97 ?\\u-3913 \\'b7");
}

// Reading the escaped text back where it was written gives the normalised text.
class RtfEscapeRoundTrip : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(RtfEscapeRoundTrip, ReadsBackAsTheSameText) {
  const auto [codePage, uc] = GetParam();
  const char* samples[] = {"plain ASCII",
                           "crème brûlée €5",
                           "Привет мир",
                           "Ωμέγα",
                           "😀🌱 and 日本語",
                           "{braces} \\ back",
                           "a\r\nb\nc\rd\te\vf\fg",
                           "\u00A0\u00AD\u2011",
                           "\u0080\u009F\uF0B7\uFFFD",
                           "-1 x"};
  for (const char* sample : samples) {
    const auto escaped =
        escapeText(sample, static_cast<std::uint16_t>(codePage), static_cast<std::uint16_t>(uc));
    ASSERT_TRUE(escaped) << sample;
    // The font table gives the code page; \uc is set in the group; an x follows, which a
    // fallback too many would swallow.
    std::string doc = "{\\rtf1\\ansi\\ansicpg" +
                      std::to_string(codePage == kCodePageSymbol ? 1252 : codePage) +
                      "{\\fonttbl{\\f0" + (codePage == kCodePageSymbol ? "\\fcharset2" : "") +
                      " F;}}\\f0\\uc" + std::to_string(uc) + " " + *escaped +
                      *escapeText("x", static_cast<std::uint16_t>(codePage), 0) + "}";
    EXPECT_EQ(parse(doc).plain, normalisedPlain(sample) + "x") << sample << " in " << doc;
  }
}

INSTANTIATE_TEST_SUITE_P(CodePagesAndUc, RtfEscapeRoundTrip,
                         ::testing::Combine(::testing::Values(1252, 1251, 1253, 437, 10000, 65001,
                                                              932, kCodePageSymbol),
                                            ::testing::Values(0, 1, 2)));

}  // namespace
}  // namespace tw::rtf
