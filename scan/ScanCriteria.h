#pragma once
// The criteria of a directory scan, and their capture from the texts of the scan dialog's
// fields. The capture checks every field before anything is walked: a malformed field is
// refused with a message that names the field and its text, and nothing of the capture is
// kept, so a scan never runs with criteria left over from an earlier one.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// A calendar date, compared as a whole (year, then month, then day).
struct LocalDate {
  int year = 0;
  int month = 0;
  int day = 0;

  auto operator<=>(const LocalDate&) const = default;
};

// The unit of the "Not older than" count; None until a recognised unit text was captured.
enum class AgeUnit : char {
  None = 0,
  Hours = 'H',
  Days = 'D',
  Weeks = 'W',
  Months = 'M',
  Years = 'Y'
};

// The unit of the "File size" amount: the amount is shifted left by 0, 10 or 20 bits.
enum class SizeUnit { Bytes = 0, Kbytes = 10, Mbytes = 20 };

// The unit texts of the scan dialog's boxes, which the dialog shows in these forms whatever the
// language: "bytes", "Kbytes", "Mbytes" and "Hour(s)", "Day(s)", "Week(s)", "Month(s)",
// "Year(s)".
const char* captionOf(SizeUnit unit);
const char* captionOf(AgeUnit unit);  // "" for None
// The size unit a box text names: exactly "Kbytes" or "Mbytes"; any other text means bytes.
SizeUnit sizeUnitOfCaption(std::string_view caption);
// The age unit a box text names, compared exactly (case counts); None for any other text.
AgeUnit ageUnitOfCaption(std::string_view caption);

// What the walk looks for. Sizes and counts are 64-bit; masks have no limit on count or length.
struct ScanCriteria {
  std::string Directory;           // start directory, without a trailing "/" unless it is "/"
  std::vector<std::string> Masks;  // matched one after the other, in this order
  bool Recurse = true;

  bool SizeOn = false;
  char SizeCompare = '=';  // '=' equal, '>' at least, '<' at most
  int64_t SizeLimit = 0;   // bytes, after the unit shift

  bool DateOn = false;
  LocalDate DateFrom;  // both bounds included
  LocalDate DateTo;

  bool AgeOn = false;
  int64_t AgeCount = 0;
  AgeUnit Unit = AgeUnit::None;

  // "With attributes" and its boxes. "Read only": only files that nobody may write (no write
  // bit in their mode). "Archive": only files not yet backed up, i.e. without a backup copy
  // (the file's name with ".rpf" appended) beside them. "System" filters nothing: files
  // other than regular files are never listed anyway.
  bool AttrOn = false;
  bool Archive = false;
  bool ReadOnly = false;
  bool System = false;
};

// What the user asked for, in the scan dialog or on the command line: the states of the check
// boxes, the units as chosen, and the texts of the fields that hold numbers, a comparison and
// dates as typed (the capture reads and checks them). The defaults are the dialog's initial
// contents.
struct ScanFields {
  std::string Directory;
  std::string MaskText = "*.htm*";  // "Specify extension:"
  bool Recurse = true;              // "Recurse Subdirectories"

  bool SizeOn = false;                // "File size"
  std::string SizeCompareText = "=";  // the comparison box: "=", ">" or "<"
  std::string SizeText;               // the amount
  SizeUnit SizeUnitChoice = SizeUnit::Kbytes;

  bool DateOn = false;  // "Date between"
  std::string DateFromText;
  std::string DateToText;

  bool AgeOn = false;  // "Not older than"
  std::string AgeCountText;
  // The unit of the count. None stands for a text in the unit box that names no unit;
  // AgeUnitText then keeps that text for the refusal.
  AgeUnit AgeUnitChoice = AgeUnit::Days;
  std::string AgeUnitText;

  bool AttrOn = false;  // "With attributes"
  bool Archive = false;
  bool ReadOnly = false;
  bool System = false;

  // The units as the dialog's editable boxes read (see sizeUnitOfCaption, ageUnitOfCaption).
  void chooseSizeUnit(std::string_view caption) { SizeUnitChoice = sizeUnitOfCaption(caption); }
  void chooseAgeUnit(std::string_view caption) {
    AgeUnitChoice = ageUnitOfCaption(caption);
    AgeUnitText = caption;
  }
};

// The field a refused capture names.
enum class ScanField { SizeAmount, SizeCompare, DateFrom, DateTo, AgeCount, AgeUnit };

// A malformed field: which one, the text it held, and what is wrong with it.
struct ScanInputError {
  ScanField field;
  std::string text;
  std::string problem;  // e.g. "is not a valid integer value", "must be 0 or more"

  // The caption of the field's criterion in the dialog: "File size", "Date between" or
  // "Not older than".
  std::string fieldCaption() const;
  // The user-facing message, e.g. "File size: '12x' is not a valid integer value".
  std::string message() const;
};

// Captures the criteria from `fields` into `criteria`: the one entry of the scan dialog and the
// command line. Returns the first malformed field in the order of the dialog (age count
// whenever its text is not empty, then size, date range, age unit); `criteria` is then left
// exactly as it was. Checked: the amount and the count are whole numbers of 0 or more
// (surrounding spaces allowed; a number below 0 "must be 0 or more") that fit in 64 bits after
// the unit shift; the comparison starts with "=", ">" or
// "<"; each date is DD.MM.YYYY and a real date; the age unit, when the age criterion is on, is
// not None.
std::optional<ScanInputError> captureScanCriteria(const ScanFields& fields, ScanCriteria& criteria);

// Splits a mask text at ";". The character after a ";" always goes into the new mask, even when
// it is itself a ";": "a;;b" gives "a" and ";b", ";a" gives "" and "a", "a;" gives "a" and "".
// Spaces are kept and empty masks stay. Never empty: "" gives one empty mask.
std::vector<std::string> splitMasks(std::string_view text);

// Reads a DD.MM.YYYY date (any non-digit at the two separator places); nullopt unless it is
// exactly that form and a real calendar date from 01.01.0001 to 31.12.9999.
std::optional<LocalDate> parseScanDate(std::string_view text);

// The DD.MM.YYYY text of a date, as the date fields show it.
std::string formatScanDate(const LocalDate& date);

}  // namespace tw
