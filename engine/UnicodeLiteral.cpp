// Literal find strings matched with Unicode letters: the rules of engine/LiteralMatcher.h with
// characters in place of bytes. A find character accepts a text character when they are equal
// or, without case sensitivity, have the same simple case folding; "%anything%" stands for the
// shortest run of characters up to the first one the next find character accepts; whole words
// are delimited by any character that is not a letter, mark or digit.

#include <algorithm>
#include <utility>
#include <vector>

#include "engine/SearcherImpl.h"
#include "engine/UnicodeChars.h"
#include "text/Utf8.h"

namespace tw {

namespace {

bool delimiterBefore(const unsigned char* t, int64_t s) {
  return s == 0 || !text::isWordCharacter(text::characterBefore(t, s).value);
}

bool delimiterAt(const unsigned char* t, int64_t n, int64_t p) {
  return p >= n || !text::isWordCharacter(text::characterAt(t, n, p).value);
}

// A find string without a script token.
class UnicodePlainLiteral final : public Searcher::Impl {
 public:
  UnicodePlainLiteral(std::vector<CharChoice> chars, bool wholeWords)
      : m_chars(std::move(chars)), m_scan(m_chars), m_wholeWords(wholeWords) {}

  std::optional<Occurrence> find(const unsigned char* t, int64_t n, int64_t from, int64_t until,
                                 int64_t& resume) const override {
    for (int64_t s = m_scan.find(t, n, from, until); s < until;
         s = m_scan.find(t, n, s + 1, until)) {
      const int64_t e = matchAt(t, n, s);
      if (e >= 0) return Occurrence{s, e};
    }
    resume = until;
    return std::nullopt;
  }

 private:
  int64_t matchAt(const unsigned char* t, int64_t n, int64_t s) const {
    int64_t p = s;
    for (const CharChoice& c : m_chars) {
      if (p >= n) return -1;
      const int length = acceptedAt(c, t, n, p);
      if (length == 0) return -1;
      p += length;
    }
    if (m_wholeWords && !(delimiterBefore(t, s) && delimiterAt(t, n, p))) return -1;
    return p - 1;
  }

  std::vector<CharChoice> m_chars;
  CandidateScan m_scan;
  bool m_wholeWords;
};

// A find string with script tokens: items compared at the next character, or scanned for.
class UnicodeScriptLiteral final : public Searcher::Impl {
 public:
  struct Item {
    bool scan;
    CharChoice c;
    CandidateScan firstBytes;  // scan items: where an accepted character may begin
  };

  UnicodeScriptLiteral(std::vector<Item> items, CharChoice first, bool wholeWords)
      : m_items(std::move(items)), m_first(std::move(first)), m_wholeWords(wholeWords) {
    std::vector<CharChoice> prefix{m_first};
    if (!m_items.front().scan) {
      for (size_t j = 1; j < m_items.size() && !m_items[j].scan; ++j)
        prefix.push_back(m_items[j].c);
    }
    m_prefix = CandidateScan(prefix);
    while (!m_items[m_firstScan].scan) ++m_firstScan;
  }

  std::optional<Occurrence> find(const unsigned char* t, int64_t n, int64_t from, int64_t until,
                                 int64_t& resume) const override {
    std::vector<Memo> memo(m_items.size());
    int64_t next = 0;
    for (int64_t s = m_prefix.find(t, n, from, until); s < until;
         s = m_prefix.find(t, n, next, until)) {
      const int64_t e = matchAt(t, n, s, memo, next);
      if (e >= 0) return Occurrence{s, e};
      if (e == kExhausted) {
        resume = n;
        return std::nullopt;
      }
    }
    resume = until;
    return std::nullopt;
  }

 private:
  struct Memo {
    int64_t from = -1;
    int64_t found = -1;
  };
  static constexpr int64_t kNone = -1;
  static constexpr int64_t kExhausted = -2;
  static constexpr int64_t kLongestCharacter = 4;

  // As the byte matcher's: a failure after the first scan, which ended at w, fails the same
  // way for every later start whose first scan also begins at or before w. The items before
  // the first scan take at most four bytes each, so that holds for every start up to
  // w - 4 * m_firstScan.
  int64_t matchAt(const unsigned char* t, int64_t n, int64_t s, std::vector<Memo>& memo,
                  int64_t& resume) const {
    resume = s + 1;
    if (acceptedAt(m_first, t, n, s) == 0) return kNone;
    int64_t p = s;
    auto failAfterScan = [&] {
      resume = std::max(resume, memo[m_firstScan].found -
                                    kLongestCharacter * static_cast<int64_t>(m_firstScan) + 1);
      return kNone;
    };
    const size_t last = m_items.size() - 1;
    for (size_t j = 0;; ++j) {
      const Item& item = m_items[j];
      int64_t length;
      if (item.scan) {
        Memo& mj = memo[j];
        if (!(mj.from >= 0 && p >= mj.from && p <= mj.found)) {
          mj.from = p;
          mj.found = scanForChoice(t, n, p, item.c, item.firstBytes);
        }
        if (mj.found == n) return kExhausted;
        p = mj.found;
        length = text::characterAt(t, n, p).length;
      } else {
        length = acceptedAt(item.c, t, n, p);
        if (length == 0) return j > m_firstScan ? failAfterScan() : kNone;
      }
      if (p == s && m_wholeWords && !delimiterBefore(t, s)) return kNone;
      if (j == last) {
        if (m_wholeWords && !delimiterAt(t, n, p + length)) return failAfterScan();
        return p + length - 1;
      }
      p += length;
      if (p == n) return kExhausted;
    }
  }

  std::vector<Item> m_items;
  CharChoice m_first;
  bool m_wholeWords;
  CandidateScan m_prefix;
  size_t m_firstScan = 0;
};

}  // namespace

std::shared_ptr<const Searcher::Impl> MakeUnicodeLiteral(std::string_view find,
                                                         const LiteralOptions& options) {
  const bool cs = options.CaseSensitive;
  auto at = [&](size_t k) {
    return text::characterAt(reinterpret_cast<const unsigned char*>(find.data()),
                             static_cast<int64_t>(find.size()), static_cast<int64_t>(k));
  };
  std::vector<UnicodeScriptLiteral::Item> items;
  bool script = false;
  for (size_t k = 0; k < find.size();) {
    if (options.Anything && k + kAnythingToken.size() < find.size() &&
        find.substr(k, kAnythingToken.size()) == kAnythingToken) {
      const text::TextCharacter c = at(k + kAnythingToken.size());
      CharChoice choice(c.value, cs);
      items.push_back({true, choice, CandidateScan({choice})});
      script = true;
      k += kAnythingToken.size() + static_cast<size_t>(c.length);
    } else {
      const text::TextCharacter c = at(k);
      items.push_back({false, CharChoice(c.value, cs), CandidateScan()});
      k += static_cast<size_t>(c.length);
    }
  }
  if (!script) {
    std::vector<CharChoice> chars;
    for (auto& item : items) chars.push_back(std::move(item.c));
    return std::make_shared<UnicodePlainLiteral>(std::move(chars), options.WholeWordsOnly);
  }
  return std::make_shared<UnicodeScriptLiteral>(std::move(items), CharChoice(at(0).value, cs),
                                                options.WholeWordsOnly);
}

}  // namespace tw
