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
  int Year = 0;
  int Month = 0;
  int Day = 0;

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

// The texts and states of the scan dialog's controls, as the user left them. The defaults are
// the controls' initial contents.
struct ScanFields {
  std::string Directory;
  std::string MaskText = "*.htm*";  // "Specify extension:"
  bool Recurse = true;              // "Recurse Subdirectories"

  bool SizeOn = false;                  // "File size"
  std::string SizeCompareText = "=";    // the comparison box: "=", ">" or "<"
  std::string SizeText;                 // the amount
  std::string SizeUnitText = "Kbytes";  // "bytes", "Kbytes" or "Mbytes"

  bool DateOn = false;  // "Date between"
  std::string DateFromText;
  std::string DateToText;

  bool AgeOn = false;  // "Not older than"
  std::string AgeCountText;
  std::string AgeUnitText = "Day(s)";  // "Hour(s)", "Day(s)", "Week(s)", "Month(s)", "Year(s)"

  bool AttrOn = false;  // "With attributes"
  bool Archive = false;
  bool ReadOnly = false;
  bool System = false;
};

// The field a refused capture names.
enum class ScanField { SizeAmount, SizeCompare, DateFrom, DateTo, AgeCount, AgeUnit };

// A malformed field: which one, the text it held, and what is wrong with it.
struct ScanInputError {
  ScanField Field;
  std::string Text;
  std::string Problem;  // e.g. "is not a valid integer value"

  // The caption of the field's criterion in the dialog: "File size", "Date between" or
  // "Not older than".
  std::string fieldCaption() const;
  // The user-facing message, e.g. "File size: '12x' is not a valid integer value".
  std::string message() const;
};

// Captures the criteria from `fields` into `criteria`. Returns the first malformed field in the
// order of the dialog (age count whenever its text is not empty, then size, date range, age
// unit); `criteria` is then left exactly as it was. Checked: the amount and the count are whole
// numbers (surrounding spaces allowed) that fit in 64 bits after the unit shift; the comparison
// starts with "=", ">" or "<"; each date is DD.MM.YYYY and a real date; the unit text, when the
// age criterion is on, is one of the five texts exactly. A size unit text other than "Kbytes"
// or "Mbytes" means bytes.
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
