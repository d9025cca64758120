#include "engine/LiteralMatcher.h"

#include "engine/ByteClasses.h"
#include "engine/FilenameReferenceCheck.h"

namespace tw {

bool CharsMatch(unsigned char t, unsigned char f, bool caseSensitive) {
  if (caseSensitive) {
    return t == f;
  }
  return asciiLower(t) == asciiLower(f);
}

bool IsWordDelimiter(unsigned char c) {
  return kWordDelimiters[c];
}

namespace {

// The rest of the filename-reference test, from the stop character at q (or -1) on.
bool hrefValueAt(std::string_view text, int64_t q) {
  auto at = [&](int64_t i) { return static_cast<unsigned char>(text[static_cast<size_t>(i)]); };
  if (q < 0 || at(q) != '"') {
    return false;
  }
  int64_t j = q - 1;
  while (j >= 0 && at(j) == ' ') {
    --j;
  }
  if (j < 0 || at(j) != '=') {
    return false;
  }
  --j;
  while (j >= 0 && at(j) == ' ') {
    --j;
  }
  if (j < 5) {
    return false;
  }
  return asciiUpper(at(j - 3)) == 'H' && asciiUpper(at(j - 2)) == 'R' &&
         asciiUpper(at(j - 1)) == 'E' && asciiUpper(at(j)) == 'F';
}

int64_t lastStopAtOrBefore(std::string_view text, int64_t e) {
  while (e >= 0 && !kReferenceStops[static_cast<unsigned char>(text[static_cast<size_t>(e)])]) {
    --e;
  }
  return e;
}

}  // namespace

bool IsFilenameReference(std::string_view text, int64_t e) {
  if (e < 0 || e >= static_cast<int64_t>(text.size())) {
    return false;
  }
  return hrefValueAt(text, lastStopAtOrBefore(text, e));
}

bool FilenameReferenceCheck::operator()(int64_t e) {
  if (e < 0 || e >= static_cast<int64_t>(m_text.size())) {
    return false;
  }
  if (e < m_scanned) {
    return hrefValueAt(m_text, lastStopAtOrBefore(m_text, e));
  }
  for (; m_scanned <= e; ++m_scanned) {
    if (kReferenceStops[static_cast<unsigned char>(m_text[static_cast<size_t>(m_scanned)])]) {
      m_lastStop = m_scanned;
    }
  }
  return hrefValueAt(m_text, m_lastStop);
}

int64_t MatchLiteralAt(std::string_view text, int64_t s, std::string_view find,
                       const LiteralOptions& options) {
  const auto n = static_cast<int64_t>(text.size());
  const auto m = static_cast<int64_t>(find.size());
  if (m == 0 || s < 0 || s >= n) {
    return -1;
  }
  auto tc = [&](int64_t i) { return static_cast<unsigned char>(text[static_cast<size_t>(i)]); };
  auto fc = [&](int64_t i) { return static_cast<unsigned char>(find[static_cast<size_t>(i)]); };
  const bool cs = options.CaseSensitive;
  if (!CharsMatch(tc(s), fc(0), cs)) {
    return -1;
  }
  int64_t t = s;
  int64_t k = 0;
  for (;;) {
    if (options.Anything && k + 10 < m &&
        find.substr(static_cast<size_t>(k), kAnythingToken.size()) == kAnythingToken) {
      const unsigned char next = fc(k + 10);
      int64_t w = t;
      while (w < n && !CharsMatch(tc(w), next, cs)) {
        ++w;
      }
      if (w == n) {
        return -1;
      }
      t = w;
      k += 10;
    }
    if (!CharsMatch(tc(t), fc(k), cs)) {
      return -1;
    }
    if (t == s && s > 0 && options.WholeWordsOnly && !IsWordDelimiter(tc(s - 1))) {
      return -1;
    }
    if (k == m - 1) {
      if (t + 1 < n && options.WholeWordsOnly && !IsWordDelimiter(tc(t + 1))) {
        return -1;
      }
      return t;
    }
    ++k;
    ++t;
    if (t == n) {
      return -1;
    }
  }
}

}  // namespace tw
