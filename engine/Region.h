#pragma once
// The searched region of a file under "Replace only in first": the first N lines or bytes.
// The rest of the file is copied unchanged from the region's end as it was read.

#include "config/ReplaceFlags.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

// Reads the count of "Replace only in first": a whole decimal number of 0 or more (digits
// only; surrounding spaces allowed). Values beyond the 64-bit range are taken as the largest
// one. Anything else is refused.
std::optional<int64_t> ParseFirstCount(std::string_view text);

// The message that refuses a run whose count is not a whole number of 0 or more.
std::string FirstCountRefusal(std::string_view text);

// The count a run of `advanced` works with: 0 while "Replace only in first" is off, else its
// count as ParseFirstCount reads it; nothing when that count is refused (FirstCountRefusal of
// advanced.FirstCount says why).
std::optional<int64_t> RunFirstCount(const AdvancedSwitches& advanced);

// How many bytes from the start of `content` are searched. With the switch off, all of them.
// In lines, the bytes up to and including the byte at which
// the count of line feeds read so far first equals `count` (so 0 lines is the first byte
// unless that byte is a line feed), or none if the file ends first. In bytes, `count` bytes,
// limited to the size.
int64_t RegionLength(std::string_view content, bool replaceOnlyInFirst, int64_t count,
                     RegionUnit unit);

}  // namespace tw
