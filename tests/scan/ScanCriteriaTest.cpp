#include "scan/ScanCriteria.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tw {
namespace {

using Masks = std::vector<std::string>;

TEST(splitMasks, SplitsAtSemicolonsTakingTheNextCharacterUnconditionally) {
  EXPECT_EQ(splitMasks(""), Masks{""});
  EXPECT_EQ(splitMasks("*.htm*"), Masks{"*.htm*"});
  EXPECT_EQ(splitMasks("*.htm;*.txt"), (Masks{"*.htm", "*.txt"}));
  EXPECT_EQ(splitMasks("*.htm; *.txt"), (Masks{"*.htm", " *.txt"}));
  EXPECT_EQ(splitMasks("a;;b"), (Masks{"a", ";b"}));
  EXPECT_EQ(splitMasks(";a"), (Masks{"", "a"}));
  EXPECT_EQ(splitMasks("a;"), (Masks{"a", ""}));
  EXPECT_EQ(splitMasks("a;;"), (Masks{"a", ";"}));
  EXPECT_EQ(splitMasks("a;;;b"), (Masks{"a", ";", "b"}));
}

TEST(splitMasks, HasNoLimitOnCountOrLength) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "*.extension-longer-than-nine-" + std::to_string(i) + ";";
  Masks masks = splitMasks(text);
  ASSERT_EQ(masks.size(), 301u);
  EXPECT_EQ(masks[299], "*.extension-longer-than-nine-299");
  EXPECT_EQ(masks[300], "");
}

TEST(parseScanDate, ReadsRealDatesInDayMonthYearForm) {
  EXPECT_EQ(parseScanDate("01.01.2002"), (LocalDate{2002, 1, 1}));
  EXPECT_EQ(parseScanDate("31.12.2002"), (LocalDate{2002, 12, 31}));
  EXPECT_EQ(parseScanDate("29.02.2000"), (LocalDate{2000, 2, 29}));
  EXPECT_EQ(parseScanDate("29/02/2024"), (LocalDate{2024, 2, 29}));
  for (const char* bad :
       {"", "1.1.2002", "01.01.02", "01.01.2002x", "29.02.1900", "31.04.2002", "00.01.2002",
        "01.13.2002", "01.01.0000", "0a.01.2002", "01001.2002", "-1.01.2002"}) {
    EXPECT_EQ(parseScanDate(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(formatScanDate({2002, 3, 7}), "07.03.2002");
}

TEST(captureScanCriteria, TakesTheDefaultFields) {
  ScanFields fields;
  fields.Directory = "/data";
  ScanCriteria criteria;
  ASSERT_EQ(captureScanCriteria(fields, criteria), std::nullopt);
  EXPECT_EQ(criteria.Directory, "/data");
  EXPECT_EQ(criteria.Masks, Masks{"*.htm*"});
  EXPECT_TRUE(criteria.Recurse);
  EXPECT_FALSE(criteria.SizeOn || criteria.DateOn || criteria.AgeOn || criteria.AttrOn);
  fields.Directory = "/data//";
  ASSERT_EQ(captureScanCriteria(fields, criteria), std::nullopt);
  EXPECT_EQ(criteria.Directory, "/data");
  fields.Directory = "/";
  ASSERT_EQ(captureScanCriteria(fields, criteria), std::nullopt);
  EXPECT_EQ(criteria.Directory, "/");
}

TEST(captureScanCriteria, ShiftsTheSizeByItsUnit) {
  ScanFields fields;
  fields.SizeOn = true;
  fields.SizeText = "10";
  ScanCriteria criteria;
  const std::pair<const char*, int64_t> cases[] = {
      {"Kbytes", 10240}, {"Mbytes", 10485760}, {"bytes", 10}, {"kbytes", 10}, {"", 10}};
  for (auto [unit, limit] : cases) {
    fields.chooseSizeUnit(unit);
    ASSERT_EQ(captureScanCriteria(fields, criteria), std::nullopt);
    EXPECT_EQ(criteria.SizeLimit, limit) << unit;
  }
  fields.SizeCompareText = "<= at most";  // the first character decides
  fields.SizeText = " 3000 ";
  fields.chooseSizeUnit("Mbytes");  // beyond 32 bits
  ASSERT_EQ(captureScanCriteria(fields, criteria), std::nullopt);
  EXPECT_EQ(criteria.SizeCompare, '<');
  EXPECT_EQ(criteria.SizeLimit, int64_t{3000} << 20);
}

TEST(captureScanCriteria, ReadsTheAgeUnitExactlyAndTheCountEvenWhenOff) {
  ScanFields fields;
  fields.AgeOn = true;
  fields.AgeCountText = "2";
  ScanCriteria criteria;
  const std::pair<const char*, AgeUnit> cases[] = {{"Hour(s)", AgeUnit::Hours},
                                                   {"Day(s)", AgeUnit::Days},
                                                   {"Week(s)", AgeUnit::Weeks},
                                                   {"Month(s)", AgeUnit::Months},
                                                   {"Year(s)", AgeUnit::Years}};
  for (auto [text, unit] : cases) {
    fields.chooseAgeUnit(text);
    ASSERT_EQ(captureScanCriteria(fields, criteria), std::nullopt);
    EXPECT_EQ(criteria.Unit, unit) << text;
    EXPECT_EQ(criteria.AgeCount, 2);
  }
  // With the criterion off, a malformed count is still refused, an odd unit is not.
  fields.AgeOn = false;
  fields.chooseAgeUnit("days");
  fields.AgeCountText = "7";
  ASSERT_EQ(captureScanCriteria(fields, criteria), std::nullopt);
  EXPECT_EQ(criteria.AgeCount, 7);
  EXPECT_EQ(criteria.Unit, AgeUnit::None);
  fields.AgeCountText = "7d";
  auto error = captureScanCriteria(fields, criteria);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->message(), "Not older than: '7d' is not a valid integer value");
}

TEST(captureScanCriteria, TakesZeroWithAnySign) {
  for (const char* zero : {"0", "+0", "-0", " -000 "}) {
    ScanFields fields;
    fields.SizeOn = fields.AgeOn = true;
    fields.SizeText = fields.AgeCountText = zero;
    ScanCriteria criteria;
    criteria.SizeLimit = criteria.AgeCount = 9;
    ASSERT_EQ(captureScanCriteria(fields, criteria), std::nullopt) << zero;
    EXPECT_EQ(criteria.SizeLimit, 0) << zero;
    EXPECT_EQ(criteria.AgeCount, 0) << zero;
  }
}

TEST(captureScanCriteria, AcceptsAMaskTextEndingInASemicolon) {
  ScanFields fields;
  fields.MaskText = "*.htm;*.txt;";
  ScanCriteria criteria;
  ASSERT_EQ(captureScanCriteria(fields, criteria), std::nullopt);
  EXPECT_EQ(criteria.Masks, (Masks{"*.htm", "*.txt", ""}));
}

// Each malformed field is refused with its message, and the earlier criteria stay untouched.
TEST(captureScanCriteria, RefusesEachMalformedFieldKeepingNothing) {
  ScanFields good;
  good.Directory = "/first";
  good.SizeOn = good.DateOn = good.AgeOn = true;
  good.SizeText = "1";
  good.DateFromText = "01.01.2002";
  good.DateToText = "31.12.2002";
  good.AgeCountText = "3";
  ScanCriteria criteria;
  ASSERT_EQ(captureScanCriteria(good, criteria), std::nullopt);
  const ScanCriteria before = criteria;

  struct Case {
    void (*spoil)(ScanFields&);
    const char* message;
  };
  const Case cases[] = {
      {[](ScanFields& f) { f.SizeText = "12x"; }, "File size: '12x' is not a valid integer value"},
      {[](ScanFields& f) { f.SizeText = ""; }, "File size: '' is not a valid integer value"},
      // Regression: a number below 0 was called "not a valid integer value".
      {[](ScanFields& f) { f.SizeText = "-5"; }, "File size: '-5' must be 0 or more"},
      {[](ScanFields& f) { f.SizeText = " -99999999999999999999 "; },
       "File size: ' -99999999999999999999 ' must be 0 or more"},
      {[](ScanFields& f) { f.SizeText = "-5x"; }, "File size: '-5x' is not a valid integer value"},
      {[](ScanFields& f) { f.SizeText = "-"; }, "File size: '-' is not a valid integer value"},
      {[](ScanFields& f) { f.SizeText = "--5"; }, "File size: '--5' is not a valid integer value"},
      {[](ScanFields& f) { f.SizeText = "-+5"; }, "File size: '-+5' is not a valid integer value"},
      {[](ScanFields& f) { f.SizeText = "1.5"; }, "File size: '1.5' is not a valid integer value"},
      {[](ScanFields& f) { f.SizeText = "99999999999999999999"; },
       "File size: '99999999999999999999' is too large"},
      {[](ScanFields& f) {
         f.SizeText = "8796093022208";  // fits in 64 bits, but not once shifted by 20
         f.chooseSizeUnit("Mbytes");
       },
       "File size: '8796093022208' is too large"},
      {[](ScanFields& f) { f.SizeCompareText = ""; },
       "File size: '' is not a valid comparison (use =, > or <)"},
      {[](ScanFields& f) { f.SizeCompareText = "!="; },
       "File size: '!=' is not a valid comparison (use =, > or <)"},
      {[](ScanFields& f) { f.DateFromText = "31.02.2002"; },
       "Date between: '31.02.2002' is not a valid date (use DD.MM.YYYY)"},
      {[](ScanFields& f) { f.DateToText = "2002-12-31"; },
       "Date between: '2002-12-31' is not a valid date (use DD.MM.YYYY)"},
      {[](ScanFields& f) { f.AgeCountText = ""; },
       "Not older than: '' is not a valid integer value"},
      {[](ScanFields& f) { f.AgeCountText = "1e3"; },
       "Not older than: '1e3' is not a valid integer value"},
      {[](ScanFields& f) { f.AgeCountText = "-1"; }, "Not older than: '-1' must be 0 or more"},
      {[](ScanFields& f) { f.chooseAgeUnit("day(s)"); },
       "Not older than: 'day(s)' is not a valid unit (use Hour(s), Day(s), Week(s), Month(s) or "
       "Year(s))"},
  };
  for (const Case& c : cases) {
    ScanFields fields = good;
    fields.Directory = "/second";
    fields.MaskText = "*.txt";
    c.spoil(fields);
    auto error = captureScanCriteria(fields, criteria);
    ASSERT_TRUE(error) << c.message;
    EXPECT_EQ(error->message(), c.message);
    EXPECT_EQ(criteria.Directory, before.Directory);
    EXPECT_EQ(criteria.Masks, before.Masks);
    EXPECT_EQ(criteria.SizeLimit, before.SizeLimit);
    EXPECT_EQ(criteria.AgeCount, before.AgeCount);
    EXPECT_EQ(criteria.DateFrom, before.DateFrom);
  }
}

TEST(captureScanCriteria, ChecksOnlyTheFieldsOfCriteriaThatAreOn) {
  ScanFields fields;
  fields.SizeText = "junk";
  fields.SizeCompareText = "";
  fields.DateFromText = "junk";
  fields.chooseAgeUnit("junk");
  ScanCriteria criteria;
  EXPECT_EQ(captureScanCriteria(fields, criteria), std::nullopt);
}

}  // namespace
}  // namespace tw
