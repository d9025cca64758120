#include "engine/Region.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(RegionLength, WholeFileWhenSwitchOff) {
  EXPECT_EQ(RegionLength("abc\ndef", false, 1, RegionUnit::Lines), 7);
}

TEST(RegionLength, LinesEndWithTheNthLineFeed) {
  const std::string text = "one\r\ntwo\r\nthree\r\n";
  EXPECT_EQ(RegionLength(text, true, 1, RegionUnit::Lines), 5);
  EXPECT_EQ(RegionLength(text, true, 2, RegionUnit::Lines), 10);
  EXPECT_EQ(RegionLength(text, true, 3, RegionUnit::Lines), 17);
  // The file ends before the count is reached: nothing is searched.
  EXPECT_EQ(RegionLength("a\nb\nc\n", true, 5, RegionUnit::Lines), 0);
  EXPECT_EQ(RegionLength("a\nb\nc", true, 3, RegionUnit::Lines), 0);
}

TEST(RegionLength, ZeroLinesIsTheFirstByteUnlessItIsALineFeed) {
  EXPECT_EQ(RegionLength("abc\n", true, 0, RegionUnit::Lines), 1);
  EXPECT_EQ(RegionLength("\nabc", true, 0, RegionUnit::Lines), 0);
}

TEST(RegionLength, AnyOtherUnitCountsBytesLimitedToTheSize) {
  EXPECT_EQ(RegionLength("abcabc", true, 5, RegionUnit::Bytes), 5);
  EXPECT_EQ(RegionLength("abcabc", true, 0, RegionUnit::Bytes), 0);
  EXPECT_EQ(RegionLength("abc", true, 99, RegionUnit::Bytes), 3);
  EXPECT_EQ(RegionLength("abc", true, 2, regionUnitOf("lines")),
            2);  // only "Lines" exactly counts lines
}

TEST(ParseFirstCount, AcceptsWholeNumbersOfZeroOrMore) {
  EXPECT_EQ(ParseFirstCount("0"), 0);
  EXPECT_EQ(ParseFirstCount(" 42 "), 42);
  EXPECT_EQ(ParseFirstCount("99999999999999999999999"), INT64_MAX);
  for (const char* bad : {"", " ", "-1", "+1", "1.5", "1e3", "12a", "0x10"}) {
    EXPECT_FALSE(ParseFirstCount(bad).has_value()) << bad;
  }
}

TEST(ParseFirstCount, RefusalNamesTheText) {
  EXPECT_EQ(FirstCountRefusal("-3"),
            "\"Replace only in first\" needs a whole number of 0 or more, not \"-3\"; no file was "
            "touched.");
}

}  // namespace
}  // namespace tw
