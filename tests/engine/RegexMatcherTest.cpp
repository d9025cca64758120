#include "engine/RegexMatcher.h"

#include <gtest/gtest.h>

#include <string>

namespace tw {
namespace {

int64_t rx(std::string_view text, std::string_view pattern, int64_t s = 0, bool cs = true) {
  return RegexMatchAt(text, s, pattern, cs);
}

TEST(RegexMatchAt, LiteralsAndCase) {
  EXPECT_EQ(rx("xxabcxx", "abc", 2), 4);
  EXPECT_EQ(rx("xxabcxx", "abc", 1), -1);
  EXPECT_EQ(rx("xxabcxx", "abc", 3), -1);
  EXPECT_EQ(rx("Q", "q", 0, false), 0);
  EXPECT_EQ(rx("Q", "q", 0, true), -1);
  EXPECT_EQ(rx("\xC9", "\xE9", 0, false), -1);
  EXPECT_EQ(rx("a|b", "a|b"), 2);  // alternation outside a group is literal text
  EXPECT_EQ(rx("a)]}", "a)]}"), 3);
  EXPECT_EQ(rx("x^", "x^"), 1);
  EXPECT_EQ(rx("abc", ""), -1);
  EXPECT_EQ(rx("abc", "c", 3), -1);
  EXPECT_EQ(rx("abc", "a", -1), -1);
}

TEST(RegexMatchAt, QuantifiersAreGreedyAndNeverGiveBack) {
  EXPECT_EQ(rx("color", "colou?r"), 4);
  EXPECT_EQ(rx("colour", "colou?r"), 5);
  EXPECT_EQ(rx("xyz", "a*"), -1);  // empty match
  EXPECT_EQ(rx("aaab", "a*"), 2);
  EXPECT_EQ(rx("aaaa", "a*a"), -1);
  EXPECT_EQ(rx(std::string(300, 'a'), "a+"), 255);
  EXPECT_EQ(rx(std::string(300, 'a'), "a*"), 255);
  EXPECT_EQ(rx(std::string(40000, 'a'), "a{0,}"), 32767);
  EXPECT_EQ(rx(std::string(40000, 'a'), "a{,}"), 32767);
  EXPECT_EQ(rx("aaaa", "a{2,3}"), 2);
  EXPECT_EQ(rx("ab", "a{2,3}"), -1);
  EXPECT_EQ(rx("aaaa", "a{ 2 , 3 }"), 2);
  EXPECT_EQ(rx("aaaa", "a{2}"), 1);
  EXPECT_EQ(rx("aaab", "a{,2}b"), -1);
  EXPECT_EQ(rx("aab", "a{,2}b"), 2);
  EXPECT_EQ(rx("aaa", "a{3,2}"), -1);  // minimum above maximum
  EXPECT_EQ(rx("aab", "a{2"), 1);      // unclosed brace runs to the end
  EXPECT_EQ(rx("b", "a{x}b"), 0);      // non-digits are skipped: {x} is {}
  EXPECT_EQ(rx("ab", "a{x}b"), -1);
}

TEST(RegexMatchAt, ZeroRepetitionsStillTestOnce) {
  EXPECT_EQ(rx("y", "x{0}y"), 0);
  EXPECT_EQ(rx("xy", "x{0}y"), -1);
  EXPECT_EQ(rx("y", "x{}y"), 0);
  EXPECT_EQ(rx("y", "x{0}"), -1);
  EXPECT_EQ(rx("ab", ".{0}b"), -1);
  EXPECT_EQ(rx("abab", "(ab){0}x"), -1);
}

TEST(RegexMatchAt, BraceCountsOfFourOrMoreDigits) {
  EXPECT_EQ(rx(std::string(1200, 'a'), "a{1000}"), 999);
  EXPECT_EQ(rx(std::string(999, 'a'), "a{1000}"), -1);
  EXPECT_EQ(rx(std::string(5000, 'a'), "a{0,01500}"), 1499);
  EXPECT_EQ(rx(std::string(40000, 'a'), "a{40000,}"), -1);
  EXPECT_EQ(rx(std::string(10, 'a'), "a{1,99999999999999999999}"), 9);
}

TEST(RegexMatchAt, AnyCharacterTakesAllItMay) {
  EXPECT_EQ(rx("abc", "."), 0);
  EXPECT_EQ(rx("abc", ".?"), 0);
  EXPECT_EQ(rx(std::string(300, '\n'), ".*"), 255);
  EXPECT_EQ(rx("abc", ".*"), 2);
  EXPECT_EQ(rx("abcdefg", ".{2,5}"), 4);
  std::string t = "a" + std::string(256, '-') + "b";
  EXPECT_EQ(rx(t, "a.*b"), 257);
  EXPECT_EQ(rx("a-b", "a.*b"), -1);
}

TEST(RegexMatchAt, Escapes) {
  EXPECT_EQ(rx("555-1234x", "\\d{3}-\\d{4}"), 7);
  EXPECT_EQ(rx("55-1234", "\\d{3}-\\d{4}"), -1);
  EXPECT_EQ(rx("  =  x", "\\s*=\\s*"), 4);
  EXPECT_EQ(rx("\r\n\r\nx", "(\\r\\n)+"), 3);
  EXPECT_EQ(rx("2024x", "\\d+"), 3);
  EXPECT_EQ(rx("7", "\\w"), -1);
  EXPECT_EQ(rx(" ", "\\w"), 0);
  EXPECT_EQ(rx("_\x80\n", "\\w+"), 2);
  EXPECT_EQ(rx("7.", "\\W\\W"), 1);
  EXPECT_EQ(rx("\t", "\\s"), 0);
  EXPECT_EQ(rx("\n", "\\s"), -1);
  EXPECT_EQ(rx("\n", "\\S"), 0);
  EXPECT_EQ(rx("5", "\\D"), -1);
  EXPECT_EQ(rx("A", "\\x41"), 0);
  EXPECT_EQ(rx("a", "\\x41", 0, false), -1);
  EXPECT_EQ(rx("\xFF", "\\xfF"), 0);
  EXPECT_EQ(rx(".", "\\."), 0);
  EXPECT_EQ(rx("a", "\\."), -1);
  EXPECT_EQ(rx("q", "\\q"), 0);
  EXPECT_EQ(rx("Q", "\\q", 0, false), 0);
  EXPECT_EQ(rx("Q", "\\q", 0, true), -1);
  EXPECT_EQ(rx("x", "\\x"), 0);  // \x at the very end is the letter
  EXPECT_EQ(rx("X", "\\x", 0, false), 0);
}

TEST(RegexMatchAt, MalformedEscapes) {
  EXPECT_EQ(rx("a\\", "a\\"), -1);  // a trailing backslash accepts nothing
  EXPECT_EQ(rx("xG1", "\\xG1"), -1);
  EXPECT_EQ(rx("ab", "a\\xG1?b"), 1);  // an invalid \x with zero repetitions allowed
  EXPECT_EQ(rx("ab", "a\\xG1{0}b"), 1);
  EXPECT_EQ(rx("ab", "a\\x4"), -1);   // only one character after the x
  EXPECT_EQ(rx("ab", "a\\x4*"), -1);  // the * belongs to the invalid escape's text
}

TEST(RegexMatchAt, Anchors) {
  EXPECT_EQ(rx("x\r\nabc", "^abc", 3), 5);
  EXPECT_EQ(rx("x\nabc", "^abc", 2), 4);   // after a lone LF
  EXPECT_EQ(rx("abc", "^abc", 0), 2);      // at the start of the text
  EXPECT_EQ(rx("x\rabc", "^abc", 2), -1);  // a lone CR is not a line end
  EXPECT_EQ(rx("xabc", "^abc", 1), -1);
  EXPECT_EQ(rx("end\r\n", "end$"), 2);
  EXPECT_EQ(rx("end\n", "end$"), 2);
  EXPECT_EQ(rx("end", "end$"), 2);
  EXPECT_EQ(rx("end\r", "end$"), -1);
  EXPECT_EQ(rx("endx", "end$"), -1);
  EXPECT_EQ(rx("a\r\n", "a\\r$"), -1);  // between CR and LF is not before a line end
  EXPECT_EQ(rx("a\r\n", "a$bc"), 0);    // the rest after $ is ignored
  EXPECT_EQ(rx("a", "$"), -1);
  EXPECT_EQ(rx("x^", "x^"), 1);
  EXPECT_EQ(rx("\nab", "(^a|b)+", 1), 2);
}

TEST(RegexMatchAt, Groups) {
  EXPECT_EQ(rx("abcbd", "a(b|c)*d"), 4);
  EXPECT_EQ(rx("ad", "a(b|c)*d"), 1);
  EXPECT_EQ(rx("abxd", "a(b|c)*d"), -1);
  EXPECT_EQ(rx("ababc", "(ab)"), 1);
  EXPECT_EQ(rx("ababc", "(ab)+"), 3);
  EXPECT_EQ(rx("ababab", "(ab){2}"), 3);
  EXPECT_EQ(rx("abcdabx", "(ab|cd)+"), 5);
  EXPECT_EQ(rx("abcdabx", "(ab|cd)+x"), 6);
  EXPECT_EQ(rx("abc", "(a|ab)c"), -1);
  EXPECT_EQ(rx("ac", "(a|ab)c"), 1);
  EXPECT_EQ(rx("b", "(|b)"), 0);  // an empty alternative never matches
  EXPECT_EQ(rx("ab", "(a(b|c))"), 1);
  EXPECT_EQ(rx("a|b", "(a\\|b)"), -1);  // an escaped | splits too
  EXPECT_EQ(rx("b", "(a\\|b)"), 0);
  EXPECT_EQ(rx("abc", "(abc"), 2);  // an unbalanced group runs to the end
  EXPECT_EQ(rx("a)", "a)"), 1);
  EXPECT_EQ(rx("x(y", "x\\(y"), 2);
  EXPECT_EQ(rx("b", "(a\\)?b"), 0);  // an escaped ) still closes the group
  EXPECT_EQ(rx("AB", "(ab)", 0, false), 1);
  EXPECT_EQ(rx("aaa", "(a*)"), 2);
  EXPECT_EQ(rx("xab", "(*ab)", 0), 2);  // a stray quantifier at an alternative's start
}

TEST(RegexMatchAt, GroupAlternativesOfAnyLength) {
  const std::string longAlt(5000, 'a');
  std::string text = longAlt + "b";
  EXPECT_EQ(rx(text, "(" + longAlt + "b|c)"), 5000);
  text[4500] = 'x';
  EXPECT_EQ(rx(text, "(" + longAlt + "b|c)"), -1);
}

TEST(RegexMatchAt, NestingBeyondTheLimitAcceptsNothing) {
  auto nested = [](int depth, const std::string& core, const std::string& quantifier) {
    return std::string(static_cast<size_t>(depth), '(') + core +
           std::string(static_cast<size_t>(depth), ')') + quantifier;
  };
  EXPECT_EQ(rx("ab", nested(kMaxRegexGroupDepth, "a", "") + "b"), 1);
  EXPECT_EQ(rx("ab", nested(kMaxRegexGroupDepth + 1, "a", "") + "b"), -1);
  EXPECT_EQ(rx("ab", "a" + nested(kMaxRegexGroupDepth + 1, "b", "?")), 0);
  EXPECT_EQ(rx("ab", std::string(100000, '(') + "a"), -1);  // no stack exhaustion
  EXPECT_EQ(rx("ab", "a" + std::string(100000, '(') + "b"), -1);
}

TEST(RegexMatchAt, Classes) {
  EXPECT_EQ(rx("q", "[a-z]", 0, false), 0);
  EXPECT_EQ(rx("Q", "[a-z]", 0, false), -1);
  EXPECT_EQ(rx("x", "[^0-9]"), 0);
  EXPECT_EQ(rx("5", "[^0-9]"), -1);
  EXPECT_EQ(rx("-", "[ac\\-]"), 0);
  EXPECT_EQ(rx("a", "[ac\\-]"), 0);
  EXPECT_EQ(rx("b", "[ac\\-]"), -1);
  EXPECT_EQ(rx("m", "[z-a]"), 0);
  EXPECT_EQ(rx("ab1", "[a-z]+"), 0);  // the + is a stray quantifier ending the pattern
  EXPECT_EQ(rx("ab1", "[a-z]+1"), 2);
  EXPECT_EQ(rx("a", "[]"), -1);
  EXPECT_EQ(rx("\n", "[^]"), 0);
  EXPECT_EQ(rx("", "[^]"), -1);
  EXPECT_EQ(rx("]", "[]]"), -1);  // [] then a literal ]
  EXPECT_EQ(rx("]]", "[\\]]]"), 1);
  EXPECT_EQ(rx("^", "[a^]"), 0);
  EXPECT_EQ(rx("\xE9", "[\\x00-\\x7f]"), -1);
  EXPECT_EQ(rx("\xE9", "[\x80-z]"), 0);  // signed order: 128..255 sort below ASCII
  EXPECT_EQ(rx("\xE9", "[a-\x80]"), 0);  // swapped when the last is below the first
  EXPECT_EQ(rx("7", "[\\d]"), 0);
  EXPECT_EQ(rx("-", "[\\d-z]"), 0);  // an escape class does not start a range
  EXPECT_EQ(rx("5", "[\\d-z]"), 0);
  EXPECT_EQ(rx("y", "[\\d-z]"), -1);
  EXPECT_EQ(rx("\t", "[\\t]"), 0);
  EXPECT_EQ(rx("b", "[a-]"), -1);  // a-] is a range; the class runs to the end
  EXPECT_EQ(rx("]", "[a-]"), 0);
  EXPECT_EQ(rx("abc", "[a"), 0);      // an unclosed class runs to the end
  EXPECT_EQ(rx("x", "[\\x"), 0);      // \x at the end is the letter
  EXPECT_EQ(rx("x", "[\\xZZx]"), 0);  // an invalid \x member accepts nothing
  EXPECT_EQ(rx("Z", "[\\xZZx]"), -1);
  EXPECT_EQ(rx("\\", "[\\"), -1);
  EXPECT_EQ(rx("ab", "[a]b"), 1);
}

TEST(RegexMatchAt, StrayQuantifiersPassOverOneCharacter) {
  EXPECT_EQ(rx("xab", "*ab"), 2);
  EXPECT_EQ(rx("ab", "*ab"), -1);
  EXPECT_EQ(rx("aab", "a**b"), -1);  // * then stray * passes over b, then b fails at end
  EXPECT_EQ(rx("aaxb", "a**b"), 3);
  EXPECT_EQ(rx("a", "a*?"), 0);  // a last stray quantifier ends the pattern
  EXPECT_EQ(rx("x", "*"), -1);
  EXPECT_EQ(rx("xy", "{y"), 1);
  EXPECT_EQ(rx("aa", "[a]{2}"), -1);  // after a class, { is stray and 2} are literals
  EXPECT_EQ(rx("ab2}", "[a]{2}"), 3);
}

}  // namespace
}  // namespace tw
