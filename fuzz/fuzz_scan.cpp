// The scan dialog's fields and the mask text: capture, mask splitting, name and extension
// matching. Input: the field texts separated by newlines (mask, comparison, amount, size unit,
// from, to, age count, age unit, then a name to match), the first byte giving the check boxes.
#include "scan/MaskMatch.h"
#include "scan/ScanCriteria.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// The matcher's definition, by dynamic programming over (name prefix, mask prefix).
bool definedMatch(std::string_view name, std::string_view mask) {
  auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  std::vector<char> row(name.size() + 1, 0), next(name.size() + 1, 0);
  row[0] = 1;
  for (char m : mask) {
    next.assign(name.size() + 1, 0);
    for (std::size_t n = 0; n <= name.size(); ++n) {
      if (m == '*') {
        next[n] = row[n] || (n > 0 && next[n - 1]);
      } else if (n > 0 && row[n - 1] && (m == '?' || up(m) == up(name[n - 1]))) {
        next[n] = 1;
      }
    }
    row.swap(next);
  }
  return row[name.size()] != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const unsigned flags = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string> parts;
  while (parts.size() < 8) {
    std::size_t end = rest.find('\n');
    parts.emplace_back(rest.substr(0, end));
    if (end == std::string_view::npos) {
      rest = {};
      break;
    }
    rest.remove_prefix(end + 1);
  }
  parts.resize(8);
  const std::string name(rest);

  tw::ScanFields fields;
  fields.MaskText = parts[0];
  fields.SizeOn = flags & 1;
  fields.SizeCompareText = parts[1];
  fields.SizeText = parts[2];
  fields.chooseSizeUnit(parts[3]);
  fields.DateOn = flags & 2;
  fields.DateFromText = parts[4];
  fields.DateToText = parts[5];
  fields.AgeOn = flags & 4;
  fields.AgeCountText = parts[6];
  fields.chooseAgeUnit(parts[7]);

  tw::ScanCriteria criteria;
  criteria.Directory = "unchanged";
  if (auto error = captureScanCriteria(fields, criteria)) {
    check(criteria.Directory == "unchanged" && criteria.Masks.empty());  // nothing partial kept
    check(!error->message().empty());
  } else {
    check(criteria.SizeLimit >= 0 && criteria.AgeCount >= 0);
    if (criteria.DateOn) check(criteria.DateFrom.month >= 1 && criteria.DateFrom.month <= 12);
  }

  // Joining the masks with ";" gives the text back.
  std::vector<std::string> masks = tw::splitMasks(parts[0]);
  check(!masks.empty());
  std::string joined = masks[0];
  for (std::size_t i = 1; i < masks.size(); ++i) joined += ";" + masks[i];
  check(joined == parts[0]);

  for (const std::string& date : {parts[4], parts[5]}) {
    if (auto parsed = tw::parseScanDate(date);
        parsed && date.size() == 10 && date[2] == '.' && date[5] == '.') {
      check(tw::formatScanDate(*parsed) == date);
    }
  }

  for (const std::string& mask : masks) {
    if (mask.size() <= 64 && name.size() <= 64)
      check(tw::matchesMask(name, mask) == definedMatch(name, mask));
    (void)tw::MatchMaskExtension(name, mask);
  }
  return 0;
}
