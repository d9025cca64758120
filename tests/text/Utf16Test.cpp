#include "text/Utf16.h"

#include <gtest/gtest.h>

#include <vector>

#include "TextTestData.h"

namespace tw::text {
namespace {

using namespace std::string_literals;

std::string bytesOf(const std::vector<char16_t>& units, ByteOrder order) {
  std::string out;
  for (char16_t u : units) {
    const char high = static_cast<char>(u >> 8);
    const char low = static_cast<char>(u & 0xFF);
    out += order == ByteOrder::LittleEndian ? std::string{low, high} : std::string{high, low};
  }
  return out;
}

TEST(Utf16, AnyBytesReadAndWriteBackUnchanged) {
  struct Case {
    std::vector<char16_t> units;
    std::string odd;   // a last byte that is half a unit
    std::string text;  // generalized UTF-8
  };
  const Case cases[] = {
      {{}, "", ""},
      {{}, "\x42", ""},
      {{0x0000, 'A'}, "", "\0A"s},
      {{0xFEFF, 'A'},
       "",
       "\xEF\xBB\xBF"
       "A"},                                               // a mark is a character
      {{0xD83D, 0xDE00}, "", "\xF0\x9F\x98\x80"},          // a pair
      {{0xD83D}, "", "\xED\xA0\xBD"},                      // high at the end
      {{0xD83D, 'x'}, "", "\xED\xA0\xBDx"},                // high before a non-low
      {{0xDC00}, "", "\xED\xB0\x80"},                      // low alone
      {{0xDE00, 0xD83D}, "", "\xED\xB8\x80\xED\xA0\xBD"},  // a pair the wrong way round
      {{0xD800, 0xD800, 0xDC00}, "", "\xED\xA0\x80\xF0\x90\x80\x80"},
      {{'A', 0xD83D}, "\xDE", "A\xED\xA0\xBD"},  // odd length splits a pair
  };
  Utf16Reader reader;  // one for all: each read writes over what the one before left
  for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    for (const Case& c : cases) {
      const std::string bytes = bytesOf(c.units, order) + c.odd;
      const std::string name = testing::PrintToString(bytes);
      const Utf16Reader::Text kept = reader.read(bytes, order);
      EXPECT_EQ(kept.text, c.text) << name;
      EXPECT_EQ(kept.trailing, c.odd) << name;
      const Utf16Text read = decodeUtf16(bytes, order);
      EXPECT_EQ(read.text, c.text) << name;
      EXPECT_EQ(read.trailing, c.odd) << name;
      const EncodedText back = encodeUtf16(read.text, order);
      ASSERT_TRUE(back.ok()) << name;
      EXPECT_EQ(back.bytes + read.trailing, bytes) << name;
    }
  }
}

TEST(Utf16, OrdinaryTextIsWhatIconvMakes) {
  const std::string utf8 = test::readTextData("mixed.utf8");
  for (const auto& [order, file] : {std::pair{ByteOrder::LittleEndian, "mixed.utf16le"},
                                    std::pair{ByteOrder::BigEndian, "mixed.utf16be"}}) {
    const std::string utf16 = test::readTextData(file);
    EXPECT_EQ(encodeUtf16(utf8, order).bytes, utf16) << file;
    EXPECT_EQ(decodeUtf16(utf16, order).text, utf8) << file;
  }
}

TEST(Utf16, WritingRefusesWhatIsNotGeneralizedUtf8AndJoinsSeparatePairHalves) {
  EXPECT_EQ(encodeUtf16("a\xFF", ByteOrder::LittleEndian).unencodable, 1u);
  EXPECT_EQ(encodeUtf16("ab\xED\xA0", ByteOrder::LittleEndian).unencodable, 2u);
  EXPECT_EQ(encodeUtf16("\xC0\xAF", ByteOrder::BigEndian).unencodable, 0u);
  EXPECT_EQ(encodeUtf16("\xED\xA0\xBD\xED\xB8\x80", ByteOrder::BigEndian).bytes,
            "\xD8\x3D\xDE\x00"s);
}

// Read and written sixteen units, or a block of 4096, at a time: a pair, a lone surrogate or
// an accented letter after ASCII runs of every length around those steps, and a pair across
// the end of a block, read as one character at a time reads them; read again into kept
// storage after a longer text.
TEST(Utf16, RunsOfAsciiOfAnyLengthBeforeAnythingElse) {
  struct Tail {
    std::vector<char16_t> units;
    std::string text;
  };
  const Tail tails[] = {{{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},
                        {{0xD83D, 'x'}, "\xED\xA0\xBDx"},
                        {{0xE9, 'a'},
                         "\xC3\xA9"
                         "a"},
                        {{0x0100}, "\xC4\x80"},
                        {{'z'}, "z"}};
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 40; ++n) lengths.push_back(n);
  for (std::size_t n = 4078; n <= 4100; ++n) lengths.push_back(n);
  Utf16Reader reader;
  for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    for (const Tail& tail : tails) {
      for (std::size_t n : lengths) {
        std::vector<char16_t> units(n, u'q');
        units.insert(units.end(), tail.units.begin(), tail.units.end());
        units.insert(units.end(), 20, u'r');
        const std::string text = std::string(n, 'q') + tail.text + std::string(20, 'r');
        const std::string bytes = bytesOf(units, order);
        const std::string name = std::to_string(n) + " " + testing::PrintToString(tail.text);
        EXPECT_EQ(decodeUtf16(bytes, order).text, text) << name;
        EXPECT_EQ(reader.read(bytes, order).text, text) << name;
        EXPECT_EQ(encodeUtf16(text, order).bytes, bytes) << name;
      }
    }
  }
}

}  // namespace
}  // namespace tw::text
