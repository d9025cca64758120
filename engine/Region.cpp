#include "engine/Region.h"

#include <cstring>
#include <limits>

namespace tw {

std::optional<int64_t> ParseFirstCount(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const int digit = c - '0';
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  return value;
}

std::string FirstCountRefusal(std::string_view text) {
  return "\"Replace only in first\" needs a whole number of 0 or more, not \"" + std::string(text) +
         "\"; no file was touched.";
}

std::optional<int64_t> RunFirstCount(const AdvancedSwitches& advanced) {
  return advanced.ReplaceOnlyInFirst ? ParseFirstCount(advanced.FirstCount) : int64_t{0};
}

int64_t RegionLength(std::string_view content, bool replaceOnlyInFirst, int64_t count,
                     RegionUnit unit) {
  const int64_t size = static_cast<int64_t>(content.size());
  if (!replaceOnlyInFirst) return size;
  if (unit == RegionUnit::Bytes) return count < size ? count : size;
  if (count == 0) return (size > 0 && content[0] != '\n') ? 1 : 0;
  // The region ends with the count-th line feed.
  const char* data = content.data();
  const char* end = data + size;
  const char* at = data;
  for (int64_t seen = 0; at < end; ++at) {
    at = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
    if (at == nullptr) return 0;
    if (++seen == count) return at - data + 1;
  }
  return 0;
}

}  // namespace tw
