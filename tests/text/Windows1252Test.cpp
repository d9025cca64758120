#include "text/Windows1252.h"

#include <gtest/gtest.h>

#include "TextTestData.h"

namespace tw::text {
namespace {

TEST(Windows1252, EveryByteReadsAsIconvDoesAndComesBack) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = windows1252ToUtf8(all);
  const EncodedText back = utf8ToWindows1252(utf8);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.bytes, all);

  // iconv refuses the five undefined bytes; they read as the C1 controls of their value.
  std::string defined;
  std::string expected;
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<std::uint8_t>(b);
    if (isUndefinedInWindows1252(byte)) {
      EXPECT_EQ(windows1252CodePoint(byte), char32_t(b));
    } else {
      defined += static_cast<char>(b);
    }
  }
  EXPECT_EQ(defined, test::readTextData("windows1252-defined.bin"));
  EXPECT_EQ(windows1252ToUtf8(defined), test::readTextData("windows1252-defined.utf8"));
}

TEST(Windows1252, WritesWhatItHoldsAndSaysWhereItStops) {
  struct Case {
    std::string text;
    std::string bytes;
    std::size_t unencodable;
  };
  const Case cases[] = {
      {"plain", "plain", std::string::npos},
      {"\xE2\x82\xAC 5", "\x80 5", std::string::npos},              // €
      {"caf\xC3\xA9 \xC5\xB8", "caf\xE9 \x9F", std::string::npos},  // é Ÿ
      {"ab\xD0\x96", "", 2},                                        // Ж
      {"\xE2\x82\xAC\xF0\x9F\x98\x80", "", 3},                      // € then an emoji
      {"ok\xFF", "", 2},                                            // not UTF-8
  };
  for (const Case& c : cases) {
    const EncodedText e = utf8ToWindows1252(c.text);
    EXPECT_EQ(e.bytes, c.bytes) << c.text;
    EXPECT_EQ(e.unencodable, c.unencodable) << c.text;
  }
}

}  // namespace
}  // namespace tw::text
