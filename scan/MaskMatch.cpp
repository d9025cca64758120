#include "scan/MaskMatch.h"

namespace tw {

namespace {

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string_view extensionOf(std::string_view text) {
  std::size_t dot = text.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
}

}  // namespace

bool matchesMask(std::string_view name, std::string_view mask) {
  constexpr std::size_t kNone = std::string_view::npos;
  std::size_t n = 0, m = 0;
  // Where the last "*" was and how much of the name it has taken so far: on a mismatch the
  // star takes one character more and matching resumes after it.
  std::size_t starMask = kNone, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() && (mask[m] == '?' || upper(mask[m]) == upper(name[n]))) {
      ++n;
      ++m;
    } else if (starMask != kNone) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

bool MatchMaskExtension(std::string_view fileName, std::string_view mask) {
  std::string_view x = extensionOf(fileName);
  std::string_view p = extensionOf(mask);
  std::size_t i = 0, j = 0;
  while (i < p.size()) {
    if (p[i] == '?') {
      ++i;
      ++j;
      continue;
    }
    if (p[i] == '*') {
      if (i + 1 == p.size()) return true;
      ++i;
      while (j < x.size() && x[j] != p[i]) ++j;
    }
    // The end of x is unequal to every mask character.
    if (j >= x.size() || upper(x[j]) != upper(p[i])) return false;
    if (i + 1 == p.size() && p[i] != '*' && x.size() > i + 1) return false;
    ++i;
    ++j;
  }
  return true;
}

}  // namespace tw
