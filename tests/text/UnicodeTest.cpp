#include "text/Unicode.h"

#include <gtest/gtest.h>

#include "support/UnicodeExpectations.h"

#include <algorithm>
#include <string>

namespace tw::text {
namespace {

// Python's casefold and categories (tests/data/unicode/generate.py), an independent source.
TEST(Unicode, FoldingAndWordCharactersAgreeWithPythonsDatabase) {
  int folds = 0;
  int words = 0;
  for (const test::UnicodeExpectation& x : test::ReadUnicodeExpectations()) {
    if (x.fold) {
      ++folds;
      ASSERT_EQ(foldCase(x.code), x.folded) << x.line;
      const auto variants = caseVariants(x.folded);
      ASSERT_NE(std::find(variants.begin(), variants.end(), x.code), variants.end()) << x.line;
      ASSERT_NE(std::find(variants.begin(), variants.end(), x.folded), variants.end()) << x.line;
    } else {
      ++words;
      ASSERT_EQ(isWordCharacter(x.code), x.word) << x.line;
    }
  }
  EXPECT_GT(folds, 1400);
  EXPECT_GT(words, 1000);
}

TEST(Unicode, SimpleFoldingOfCharactersWithoutAOneCharacterCasefold) {
  EXPECT_EQ(foldCase(U'ß'), U'ß');            // full folding would give "ss"
  EXPECT_EQ(foldCase(U'\u1E9E'), U'ß');       // capital sharp s: its simple folding
  EXPECT_EQ(foldCase(U'\u0130'), U'\u0130');  // İ: only Turkish rules fold it to i
  EXPECT_EQ(foldCase(kRawByteBase + 0xC3), kRawByteBase + 0xC3);
  const auto sigma = caseVariants(U'σ');
  EXPECT_EQ(std::vector<char32_t>(sigma.begin(), sigma.end()),
            (std::vector<char32_t>{U'Σ', U'ς', U'σ'}));
  const auto k = caseVariants(U'k');
  EXPECT_EQ(std::vector<char32_t>(k.begin(), k.end()),
            (std::vector<char32_t>{U'K', U'k', U'\u212A'}));
  EXPECT_TRUE(caseVariants(U'1').empty());
}

TEST(Unicode, CharactersAreReadWholeAndOddBytesOneByOne) {
  // é, a lone surrogate (as a UTF-16 file's decodes), a stray continuation byte, a 4-byte
  // emoji, an overlong "/" and a sequence cut short at the end.
  const std::string s =
      "\xC3\xA9\xED\xA0\x80\x80\xF0\x9F\x98\x80\xC0\xAF"
      "a\xE2\x82";
  const auto* t = reinterpret_cast<const unsigned char*>(s.data());
  const auto n = static_cast<int64_t>(s.size());
  struct Step {
    int64_t at;
    char32_t value;
    int length;
  };
  const Step steps[] = {{0, U'é', 2},
                        {2, 0xD800, 3},
                        {5, kRawByteBase + 0x80, 1},
                        {6, U'\U0001F600', 4},
                        {10, kRawByteBase + 0xC0, 1},
                        {11, kRawByteBase + 0xAF, 1},
                        {12, U'a', 1},
                        {13, kRawByteBase + 0xE2, 1},
                        {14, kRawByteBase + 0x82, 1}};
  for (const Step& step : steps) {
    const TextCharacter forward = characterAt(t, n, step.at);
    EXPECT_EQ(forward.value, step.value) << step.at;
    EXPECT_EQ(forward.length, step.length) << step.at;
    const TextCharacter backward = characterBefore(t, step.at + step.length);
    EXPECT_EQ(backward.value, step.value) << step.at;
    EXPECT_EQ(backward.length, step.length) << step.at;
    EXPECT_FALSE(insideCharacter(t, n, step.at)) << step.at;
    for (int k = 1; k < step.length; ++k) EXPECT_TRUE(insideCharacter(t, n, step.at + k));
    unsigned char bytes[4];
    ASSERT_EQ(encodeCharacter(step.value, bytes), step.length);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), static_cast<size_t>(step.length)),
              s.substr(static_cast<size_t>(step.at), static_cast<size_t>(step.length)));
  }
}

}  // namespace
}  // namespace tw::text
