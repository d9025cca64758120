#include "text/Unicode.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace tw::text {

namespace {

constexpr bool isContinuation(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

// The length of the well-formed sequence at t[p] (surrogates allowed), or 0.
int sequenceLength(const unsigned char* t, int64_t n, int64_t p, char32_t& value) {
  const unsigned char b0 = t[p];
  if (b0 < 0x80) {
    value = b0;
    return 1;
  }
  int length;
  char32_t c;
  char32_t least;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    c = b0 & 0x1F;
    least = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    c = b0 & 0x0F;
    least = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    c = b0 & 0x07;
    least = 0x10000;
  } else {
    return 0;
  }
  if (n - p < length) return 0;
  for (int k = 1; k < length; ++k) {
    const unsigned char b = t[p + k];
    if (!isContinuation(b)) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < least || c > 0x10FFFF) return 0;
  value = c;
  return length;
}

struct VariantTable {
  // (folded, character) for every character that folds to another one, and for every folded
  // character with other cases, itself; sorted.
  std::vector<std::pair<char32_t, char32_t>> entries;

  VariantTable() {
    for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
      const auto folded = static_cast<char32_t>(u_foldCase(c, U_FOLD_CASE_DEFAULT));
      if (folded != static_cast<char32_t>(c)) {
        entries.emplace_back(folded, static_cast<char32_t>(c));
        entries.emplace_back(folded, folded);
      }
    }
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
  }
};

uint32_t categoryMask(char32_t c) {
  if (isRawByte(c)) return 0;
  return U_GET_GC_MASK(static_cast<UChar32>(c));
}

}  // namespace

TextCharacter characterAt(const unsigned char* t, int64_t n, int64_t p) {
  char32_t value = 0;
  const int length = sequenceLength(t, n, p, value);
  if (length == 0) return {kRawByteBase + t[p], 1};
  return {value, length};
}

TextCharacter characterBefore(const unsigned char* t, int64_t p) {
  for (int back = 2; back <= 4 && back <= p; ++back) {
    if (!isContinuation(t[p - back + 1])) break;
    char32_t value = 0;
    if (sequenceLength(t, p, p - back, value) == back) return {value, back};
  }
  const unsigned char b = t[p - 1];
  return {b < 0x80 ? char32_t{b} : kRawByteBase + b, 1};
}

bool insideCharacter(const unsigned char* t, int64_t n, int64_t p) {
  if (!isContinuation(t[p])) return false;
  for (int back = 1; back <= 3 && back <= p; ++back) {
    char32_t value = 0;
    if (sequenceLength(t, n, p - back, value) > back) return true;
    if (!isContinuation(t[p - back])) break;
  }
  return false;
}

char32_t foldCase(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (isRawByte(c)) return c;
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

std::span<const char32_t> caseVariants(char32_t folded) {
  static const VariantTable table;
  static const std::vector<char32_t> characters = [] {
    std::vector<char32_t> all;
    for (const auto& entry : table.entries) all.push_back(entry.second);
    return all;
  }();
  const auto& entries = table.entries;
  const auto first =
      std::lower_bound(entries.begin(), entries.end(), std::pair<char32_t, char32_t>{folded, 0});
  auto last = first;
  while (last != entries.end() && last->first == folded) ++last;
  return {characters.data() + (first - entries.begin()), static_cast<size_t>(last - first)};
}

bool isWordCharacter(char32_t c) {
  if (isRawByte(c)) return true;
  return (categoryMask(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_ND_MASK)) != 0;
}

bool isDecimalDigit(char32_t c) {
  return (categoryMask(c) & U_GC_ND_MASK) != 0;
}

bool isPunctuationOrSymbol(char32_t c) {
  return (categoryMask(c) & (U_GC_P_MASK | U_GC_S_MASK)) != 0;
}

bool isSpaceSeparator(char32_t c) {
  return (categoryMask(c) & U_GC_ZS_MASK) != 0;
}

int encodeCharacter(char32_t c, unsigned char out[4]) {
  if (isRawByte(c)) {
    out[0] = static_cast<unsigned char>(c - kRawByteBase);
    return 1;
  }
  if (c < 0x80) {
    out[0] = static_cast<unsigned char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
    out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
    out[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
  out[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
  return 4;
}

}  // namespace tw::text
