#include "text/Encoding.h"

#include <gtest/gtest.h>

namespace tw::text {
namespace {

using namespace std::string_literals;

TEST(Encoding, DetectsMarksThenUtf8ThenWindows1252AndReadsBackTheSameBytes) {
  struct Case {
    std::string bytes;
    TextEncoding encoding;
    std::string text;
  };
  const Case cases[] = {
      {"", TextEncoding::Utf8, ""},
      {"plain ASCII text\r\n", TextEncoding::Utf8, "plain ASCII text\r\n"},
      {"caf\xC3\xA9", TextEncoding::Utf8, "caf\xC3\xA9"},
      {"\xEF\xBB\xBFhi", TextEncoding::Utf8WithMark, "hi"},
      {"\xEF\xBB\xBF", TextEncoding::Utf8WithMark, ""},
      // A mark followed by what is not UTF-8 is no UTF-8 mark.
      {"\xEF\xBB\xBF\xE9", TextEncoding::Windows1252, "\xC3\xAF\xC2\xBB\xC2\xBF\xC3\xA9"},
      {"caf\xE9 \x80", TextEncoding::Windows1252, "caf\xC3\xA9 \xE2\x82\xAC"},
      {"long ASCII run before the one bad byte\xC0\xAF", TextEncoding::Windows1252,
       "long ASCII run before the one bad byte\xC3\x80\xC2\xAF"},
      {"\xFF\xFEh\0i\0"s, TextEncoding::Utf16Le, "hi"},
      {"\xFE\xFF\0h\0i"s, TextEncoding::Utf16Be, "hi"},
      {"\xFF\xFE", TextEncoding::Utf16Le, ""},
      {"\xFF\xFE\x00\xD8h"s, TextEncoding::Utf16Le, "\xED\xA0\x80"},  // lone high, odd byte
      {"\xFE\xFF\xD8\x3D\xDE\x00"s, TextEncoding::Utf16Be, "\xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) {
    const std::string name = testing::PrintToString(c.bytes);
    const TextEncoding encoding = detectEncoding(c.bytes);
    EXPECT_EQ(encodingName(encoding), encodingName(c.encoding)) << name;
    const DecodedText read = decodeText(c.bytes, encoding);
    EXPECT_EQ(read.text, c.text) << name;
    const EncodedText back = encodeText(read, encoding);
    ASSERT_TRUE(back.ok()) << name;
    EXPECT_EQ(back.bytes, c.bytes) << name;
  }
}

TEST(Encoding, WritingFailsWhereTheEncodingCannotHoldACharacter) {
  EXPECT_EQ(encodeText({"ab\xD0\x96", ""}, TextEncoding::Windows1252).unencodable, 2u);
  EXPECT_EQ(encodeText({"\xE2\x82\xAC", ""}, TextEncoding::Windows1252).bytes, "\x80");
  EXPECT_EQ(encodeText({"\xD0\x96", ""}, TextEncoding::Utf16Be).bytes, "\xFE\xFF\x04\x16");
  EXPECT_EQ(encodeText({"\xD0\x96", ""}, TextEncoding::Utf8WithMark).bytes, "\xEF\xBB\xBF\xD0\x96");
}

}  // namespace
}  // namespace tw::text
