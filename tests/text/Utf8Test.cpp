#include "text/Utf8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tw::text {
namespace {

using namespace std::string_literals;

TEST(Utf8, AcceptsWellFormedAndRefusesEverythingElse) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"plain ASCII, longer than one machine word", true},
      {"\0"s, true},
      {"\xC2\x80\xDF\xBF", true},                      // U+0080, U+07FF
      {"\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80", true},  // U+0800, U+D7FF, U+E000
      {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", true},      // U+10000, U+10FFFF
      {"\xC0\xAF", false},                             // overlong '/'
      {"\xC1\xBF", false},                             // overlong
      {"\xE0\x9F\xBF", false},                         // overlong U+07FF
      {"\xF0\x8F\xBF\xBF", false},                     // overlong U+FFFF
      {"\xED\xA0\x80", false},                         // U+D800
      {"\xED\xBF\xBF", false},                         // U+DFFF
      {"\xF4\x90\x80\x80", false},                     // U+110000
      {"\xF5\x80\x80\x80", false},
      {"\x80", false},              // continuation without a lead
      {"abcdefgh\xE2\x82", false},  // truncated after an ASCII word
      {"\xE2\x82(", false},
      {"\xFF", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << testing::PrintToString(c.bytes);
    EXPECT_EQ(decodeUtf8(c.bytes).has_value(), c.valid) << testing::PrintToString(c.bytes);
  }
}

TEST(Utf8, EveryCodePointReadsBackAsWrittenAndSurrogatesBecomeReplacements) {
  for (char32_t cp = 0; cp <= 0x110000; ++cp) {
    std::string s;
    appendUtf8(s, cp);
    const bool scalar = cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    const DecodedCodePoint d = decodeCodePoint(s);
    ASSERT_EQ(d.length, s.size()) << std::hex << static_cast<unsigned>(cp);
    ASSERT_EQ(d.codePoint, scalar ? cp : kReplacementCharacter)
        << std::hex << static_cast<unsigned>(cp);
  }
}

// The word-at-a-time skipping of ASCII against reading one code point after another.
TEST(Utf8, FastCheckAgreesWithReadingEachCodePoint) {
  std::mt19937 random(1252);
  const std::string pieces[] = {
      "abcdefghijk",  "x",    "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
      "\xED\xA0\x80", "\x80", "\xE2\x82"};
  for (int round = 0; round < 20000; ++round) {
    std::string s;
    const int count = static_cast<int>(random() % 12);
    for (int k = 0; k < count; ++k) s += pieces[random() % std::size(pieces)];
    bool oracle = true;
    for (std::string_view rest = s; !rest.empty() && oracle;) {
      const std::size_t n = decodeCodePoint(rest).length;
      oracle = n != 0;
      rest.remove_prefix(n);
    }
    ASSERT_EQ(isValidUtf8(s), oracle) << testing::PrintToString(s);
  }
}

}  // namespace
}  // namespace tw::text
