#include "scan/ScanCriteria.h"

#include <cstdio>
#include <limits>

namespace tw {

namespace {

constexpr std::string_view kNotInteger = "is not a valid integer value";
constexpr std::string_view kTooLarge = "is too large";
constexpr std::string_view kNegative = "must be 0 or more";

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view trimSpaces(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

enum class NumberStatus { Ok, NotInteger, TooLarge, Negative };

// A whole number of 0 or more, at most `limit`. A number below 0 is Negative however large,
// and "-0" is 0.
NumberStatus parseWholeNumber(std::string_view text, int64_t limit, int64_t& value) {
  text = trimSpaces(text);
  const bool minus = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '+' || minus)) text.remove_prefix(1);
  if (text.empty()) return NumberStatus::NotInteger;
  if (minus) {
    if (text.find_first_not_of("0123456789") != std::string_view::npos)
      return NumberStatus::NotInteger;
    if (text.find_first_not_of('0') != std::string_view::npos) return NumberStatus::Negative;
  }
  int64_t result = 0;
  bool tooLarge = false;
  for (char c : text) {
    if (!isDigit(c)) return NumberStatus::NotInteger;
    int digit = c - '0';
    if (tooLarge || result > (limit - digit) / 10) {
      tooLarge = true;  // keep looking: a later non-digit makes it "not an integer"
      continue;
    }
    result = result * 10 + digit;
  }
  if (tooLarge) return NumberStatus::TooLarge;
  value = result;
  return NumberStatus::Ok;
}

std::optional<ScanInputError> numberError(ScanField field, const std::string& text,
                                          NumberStatus status) {
  switch (status) {
    case NumberStatus::Ok:
      return std::nullopt;
    case NumberStatus::TooLarge:
      return ScanInputError{field, text, std::string(kTooLarge)};
    case NumberStatus::Negative:
      return ScanInputError{field, text, std::string(kNegative)};
    case NumberStatus::NotInteger:
      break;
  }
  return ScanInputError{field, text, std::string(kNotInteger)};
}

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

constexpr AgeUnit kAgeUnits[] = {AgeUnit::Hours, AgeUnit::Days, AgeUnit::Weeks, AgeUnit::Months,
                                 AgeUnit::Years};

}  // namespace

const char* captionOf(SizeUnit unit) {
  switch (unit) {
    case SizeUnit::Bytes:
      return "bytes";
    case SizeUnit::Kbytes:
      return "Kbytes";
    case SizeUnit::Mbytes:
      return "Mbytes";
  }
  return "";
}

const char* captionOf(AgeUnit unit) {
  switch (unit) {
    case AgeUnit::Hours:
      return "Hour(s)";
    case AgeUnit::Days:
      return "Day(s)";
    case AgeUnit::Weeks:
      return "Week(s)";
    case AgeUnit::Months:
      return "Month(s)";
    case AgeUnit::Years:
      return "Year(s)";
    case AgeUnit::None:
      break;
  }
  return "";
}

SizeUnit sizeUnitOfCaption(std::string_view caption) {
  if (caption == "Kbytes") return SizeUnit::Kbytes;
  if (caption == "Mbytes") return SizeUnit::Mbytes;
  return SizeUnit::Bytes;
}

AgeUnit ageUnitOfCaption(std::string_view caption) {
  for (AgeUnit unit : kAgeUnits) {
    if (caption == captionOf(unit)) return unit;
  }
  return AgeUnit::None;
}

std::string ScanInputError::fieldCaption() const {
  switch (field) {
    case ScanField::SizeAmount:
    case ScanField::SizeCompare:
      return "File size";
    case ScanField::DateFrom:
    case ScanField::DateTo:
      return "Date between";
    case ScanField::AgeCount:
    case ScanField::AgeUnit:
      return "Not older than";
  }
  return {};
}

std::string ScanInputError::message() const {
  return fieldCaption() + ": '" + text + "' " + problem;
}

std::vector<std::string> splitMasks(std::string_view text) {
  std::vector<std::string> masks(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ';') {
      masks.emplace_back();
      // The character after a ";" starts the new mask whatever it is, even another ";".
      if (i + 1 < text.size()) masks.back().push_back(text[++i]);
    } else {
      masks.back().push_back(text[i]);
    }
  }
  return masks;
}

std::optional<LocalDate> parseScanDate(std::string_view text) {
  text = trimSpaces(text);
  if (text.size() != 10) return std::nullopt;
  for (std::size_t i = 0; i < 10; ++i) {
    bool separator = i == 2 || i == 5;
    if (isDigit(text[i]) == separator) return std::nullopt;
  }
  auto number = [&](std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  LocalDate date{number(6, 4), number(3, 2), number(0, 2)};
  if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 ||
      date.day > daysInMonth(date.year, date.month)) {
    return std::nullopt;
  }
  return date;
}

std::string formatScanDate(const LocalDate& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", date.day, date.month, date.year);
  return text;
}

std::optional<ScanInputError> captureScanCriteria(const ScanFields& fields,
                                                  ScanCriteria& criteria) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  ScanCriteria next;
  next.Directory = fields.Directory;
  while (next.Directory.size() > 1 && next.Directory.back() == '/') next.Directory.pop_back();
  next.Masks = splitMasks(fields.MaskText);
  next.Recurse = fields.Recurse;

  // The age count is read whenever its field holds something, even with the criterion off.
  bool ageCountGiven = !trimSpaces(fields.AgeCountText).empty();
  if (ageCountGiven || fields.AgeOn) {
    if (auto error = numberError(ScanField::AgeCount, fields.AgeCountText,
                                 parseWholeNumber(fields.AgeCountText, kMax, next.AgeCount))) {
      return error;
    }
  }

  next.SizeOn = fields.SizeOn;
  if (next.SizeOn) {
    const int shift = static_cast<int>(fields.SizeUnitChoice);
    if (auto error =
            numberError(ScanField::SizeAmount, fields.SizeText,
                        parseWholeNumber(fields.SizeText, kMax >> shift, next.SizeLimit))) {
      return error;
    }
    next.SizeLimit <<= shift;
    char compare = fields.SizeCompareText.empty() ? '\0' : fields.SizeCompareText.front();
    if (compare != '=' && compare != '>' && compare != '<') {
      return ScanInputError{ScanField::SizeCompare, fields.SizeCompareText,
                            "is not a valid comparison (use =, > or <)"};
    }
    next.SizeCompare = compare;
  }

  next.DateOn = fields.DateOn;
  if (next.DateOn) {
    constexpr std::string_view kNotDate = "is not a valid date (use DD.MM.YYYY)";
    auto from = parseScanDate(fields.DateFromText);
    if (!from)
      return ScanInputError{ScanField::DateFrom, fields.DateFromText, std::string(kNotDate)};
    auto to = parseScanDate(fields.DateToText);
    if (!to) return ScanInputError{ScanField::DateTo, fields.DateToText, std::string(kNotDate)};
    next.DateFrom = *from;
    next.DateTo = *to;
  }

  next.AgeOn = fields.AgeOn;
  if (next.AgeOn && fields.AgeUnitChoice == AgeUnit::None) {
    return ScanInputError{
        ScanField::AgeUnit, fields.AgeUnitText,
        "is not a valid unit (use Hour(s), Day(s), Week(s), Month(s) or Year(s))"};
  }
  next.Unit = fields.AgeUnitChoice;

  next.AttrOn = fields.AttrOn;
  next.Archive = fields.Archive;
  next.ReadOnly = fields.ReadOnly;
  next.System = fields.System;

  criteria = std::move(next);
  return std::nullopt;
}

}  // namespace tw
