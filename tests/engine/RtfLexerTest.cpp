#include "engine/rtf/RtfLexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tw::rtf {
namespace {

std::vector<Token> lexAll(std::string_view src) {
  RtfLexer lexer(src);
  std::vector<Token> tokens;
  for (Token t = lexer.next(); t.kind != TokenKind::End; t = lexer.next()) tokens.push_back(t);
  return tokens;
}

TEST(RtfLexer, ControlWordTakesExactlyOneSpace) {
  const auto t = lexAll("\\b  x");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].kind, TokenKind::ControlWord);
  EXPECT_EQ(t[0].name, "b");
  EXPECT_EQ(t[0].end, 3u);  // "\b " : the second space is text
  EXPECT_FALSE(t[0].bare);
  EXPECT_EQ(t[1].kind, TokenKind::Text);
  EXPECT_EQ(t[1].param, ' ');
}

TEST(RtfLexer, OtherDelimitersAreNotConsumedAndMakeTheWordBare) {
  const auto t = lexAll("\\b\\i{\\fs24}\\par\r\nx\\ul-y");
  ASSERT_GE(t.size(), 9u);
  EXPECT_EQ(t[0].name, "b");
  EXPECT_TRUE(t[0].bare);
  EXPECT_EQ(t[0].end, 2u);
  EXPECT_EQ(t[1].name, "i");
  EXPECT_EQ(t[2].kind, TokenKind::GroupOpen);
  EXPECT_EQ(t[3].name, "fs");
  EXPECT_TRUE(t[3].hasParam);
  EXPECT_EQ(t[3].param, 24);
  EXPECT_TRUE(t[3].bare);
  EXPECT_EQ(t[5].name, "par");
  EXPECT_EQ(t[6].kind, TokenKind::LineBreak);
  EXPECT_EQ(t[7].kind, TokenKind::LineBreak);
  EXPECT_EQ(t[8].kind, TokenKind::Text);
  // '-' without a digit is not a parameter sign.
  EXPECT_EQ(t[9].name, "ul");
  EXPECT_FALSE(t[9].hasParam);
  EXPECT_EQ(t[10].param, '-');
}

TEST(RtfLexer, ParametersAreSignedAndSaturate) {
  const auto t = lexAll("\\u-10179 \\li99999999999999x\\fi-0");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0].param, -10179);
  EXPECT_EQ(t[0].end, 9u);
  EXPECT_EQ(t[1].param, 2147483647);
  EXPECT_TRUE(t[1].bare);
  EXPECT_EQ(t[2].param, 'x');
  EXPECT_TRUE(t[3].hasParam);
  EXPECT_EQ(t[3].param, 0);
}

TEST(RtfLexer, SymbolsHexBytesAndTruncatedEscapes) {
  const auto t = lexAll("\\'e9\\'E9\\~\\\\\\{\\*\\\n\\'4\\");
  ASSERT_EQ(t.size(), 10u);
  EXPECT_EQ(t[0].kind, TokenKind::HexByte);
  EXPECT_EQ(t[0].param, 0xE9);
  EXPECT_EQ(t[0].end, 4u);
  EXPECT_EQ(t[1].param, 0xE9);
  for (int i : {2, 3, 4, 5, 6}) EXPECT_EQ(t[i].kind, TokenKind::ControlSymbol) << i;
  EXPECT_EQ(t[2].name, "~");
  EXPECT_EQ(t[3].name, "\\");
  EXPECT_EQ(t[6].name, "\n");  // backslash + LF
  // \'4 followed by the end is not a hex byte: the ' is a symbol, the 4 text.
  EXPECT_EQ(t[7].kind, TokenKind::ControlSymbol);
  EXPECT_EQ(t[8].kind, TokenKind::Text);
  EXPECT_EQ(t[9].kind, TokenKind::ControlSymbol);
  EXPECT_EQ(t[9].end, 22u);
}

TEST(RtfLexer, BinaryDataIsOneTokenWhateverItHolds) {
  const std::string src = std::string("{\\bin4 }{\\\\x}\\bin3\0\\{x", 22);
  const auto t = lexAll(src);
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t[1].kind, TokenKind::Binary);
  EXPECT_EQ(t[1].begin, 1u);
  EXPECT_EQ(t[1].end, 11u);  // "\bin4 " and the 4 bytes "}{\\"
  EXPECT_EQ(t[2].param, 'x');
  EXPECT_EQ(t[3].kind, TokenKind::GroupClose);
  EXPECT_EQ(t[4].kind, TokenKind::Binary);  // no space: the data starts right after the digits
  EXPECT_EQ(t[4].end, 21u);
  EXPECT_EQ(t[5].param, 'x');
  // A length past the end takes what there is.
  const auto cut = lexAll("\\bin100 abc");
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut[0].end, 11u);
}

}  // namespace
}  // namespace tw::rtf
