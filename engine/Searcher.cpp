#include "engine/Searcher.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/ByteScan.h"
#include "engine/RegexProgram.h"
#include "engine/SearcherImpl.h"
#include "engine/UnicodeChars.h"
#include "text/Utf8.h"

namespace tw {

namespace {

using BytePair = std::pair<unsigned char, unsigned char>;

BytePair literalPair(unsigned char c, bool caseSensitive) {
  if (caseSensitive) return {c, c};
  return {asciiLower(c), asciiUpper(c)};
}

bool charsMatch(unsigned char t, BytePair f) {
  return t == f.first || t == f.second;
}

class NeverMatches final : public Searcher::Impl {
 public:
  std::optional<Occurrence> find(const unsigned char*, int64_t n, int64_t, int64_t,
                                 int64_t& resume) const override {
    resume = n;
    return std::nullopt;
  }
};

// A find string without a script token: every occurrence is the needle itself.
class PlainLiteral final : public Searcher::Impl {
 public:
  PlainLiteral(std::string_view find, const LiteralOptions& options)
      : m_wholeWords(options.WholeWordsOnly) {
    std::vector<BytePair> needle;
    for (char c : find)
      needle.push_back(literalPair(static_cast<unsigned char>(c), options.CaseSensitive));
    m_needle = NeedleScanner(std::move(needle));
  }

  std::optional<Occurrence> find(const unsigned char* t, int64_t n, int64_t from, int64_t until,
                                 int64_t& resume) const override {
    const int64_t m = m_needle.size();
    // The scan ends with the last byte an occurrence beginning before `until` takes.
    const int64_t end = std::min(n, until + m - 1);
    for (int64_t s = m_needle.find(t, end, from); s < end; s = m_needle.find(t, end, s + 1)) {
      if (!m_wholeWords ||
          ((s == 0 || kWordDelimiters[t[s - 1]]) && (s + m == n || kWordDelimiters[t[s + m]]))) {
        return Occurrence{s, s + m - 1};
      }
    }
    resume = end == n ? n : until;
    return std::nullopt;
  }

 private:
  bool m_wholeWords;
  NeedleScanner m_needle;
};

// A find string with script tokens, as a list of items: a character compared at the next
// position, or a scan for the first position holding a character (the token and the
// character after it).
class ScriptLiteral final : public Searcher::Impl {
 public:
  struct Item {
    bool scan;
    BytePair c;
  };

  ScriptLiteral(std::vector<Item> items, BytePair first, bool wholeWords)
      : m_items(std::move(items)), m_first(first), m_wholeWords(wholeWords) {
    std::vector<BytePair> prefix{first};
    if (!m_items.front().scan) {
      for (size_t j = 1; j < m_items.size() && !m_items[j].scan; ++j)
        prefix.push_back(m_items[j].c);
    }
    m_prefix = NeedleScanner(std::move(prefix));
    while (!m_items[m_firstScan].scan) ++m_firstScan;
  }

  std::optional<Occurrence> find(const unsigned char* t, int64_t n, int64_t from, int64_t until,
                                 int64_t& resume) const override {
    // Each scan remembers its last answer: a later start never scans the same text again,
    // because the positions its items reach never move back as the start moves forward.
    std::vector<Memo> memo(m_items.size());
    // Candidates are looked for up to the last byte a prefix beginning before `until` takes.
    const int64_t end = std::min(n, until + m_prefix.size() - 1);
    int64_t next = 0;
    for (int64_t s = m_prefix.find(t, end, from); s < end; s = m_prefix.find(t, end, next)) {
      const int64_t e = matchAt(t, n, s, memo, next);
      if (e >= 0) return Occurrence{s, e};
      if (e == kExhausted) {
        resume = n;
        return std::nullopt;
      }
    }
    resume = end == n ? n : until;
    return std::nullopt;
  }

 private:
  struct Memo {
    int64_t from = -1;
    int64_t found = -1;
  };
  static constexpr int64_t kNone = -1;
  // No start at or after this one can match: an item ran out of text.
  static constexpr int64_t kExhausted = -2;

  // The end of the occurrence at s, kNone or kExhausted. `resume` is the next start worth
  // trying: a failure after the first scan, which ended at w, fails the same way for every
  // start whose first scan also ends at w, that is up to w - m_firstScan (the items before
  // the first scan each take one character).
  int64_t matchAt(const unsigned char* t, int64_t n, int64_t s, std::vector<Memo>& memo,
                  int64_t& resume) const {
    resume = s + 1;
    if (!charsMatch(t[s], m_first)) return kNone;
    int64_t p = s;
    auto failAfterScan = [&] {
      resume = std::max(resume, memo[m_firstScan].found - static_cast<int64_t>(m_firstScan) + 1);
      return kNone;
    };
    const size_t last = m_items.size() - 1;
    for (size_t j = 0;; ++j) {
      const Item& item = m_items[j];
      if (item.scan) {
        Memo& mj = memo[j];
        if (!(mj.from >= 0 && p >= mj.from && p <= mj.found)) {
          mj.from = p;
          mj.found = scanEither(t, n, p, item.c.first, item.c.second);
        }
        if (mj.found == n) return kExhausted;
        p = mj.found;
      } else if (!charsMatch(t[p], item.c)) {
        return j > m_firstScan ? failAfterScan() : kNone;
      }
      if (p == s && s > 0 && m_wholeWords && !kWordDelimiters[t[s - 1]]) return kNone;
      if (j == last) {
        if (p + 1 < n && m_wholeWords && !kWordDelimiters[t[p + 1]]) {
          return failAfterScan();  // the last item is never before the first scan
        }
        return p;
      }
      if (++p == n) return kExhausted;
    }
  }

  std::vector<Item> m_items;
  BytePair m_first;
  bool m_wholeWords;
  NeedleScanner m_prefix;
  size_t m_firstScan = 0;  // the index of the first scan item
};

class CompiledRegex final : public Searcher::Impl {
 public:
  CompiledRegex(std::string_view pattern, bool caseSensitive, bool unicode)
      : m_compiled(regex::compile(pattern, caseSensitive, unicode)) {
    const auto& nodes = m_compiled.top.nodes;
    size_t k = 0;
    if (!nodes.empty() && nodes[0].op == regex::Op::StartAnchor) {
      m_anchored = true;
      k = 1;
    }
    if (unicode) {
      std::vector<CharChoice> prefix;
      for (; k < nodes.size() && nodes[k].op == regex::Op::Chars && nodes[k].min == 1 &&
             nodes[k].max == 1;
           ++k) {
        prefix.push_back(m_compiled.choices[nodes[k].choice]);
      }
      if (!prefix.empty()) m_characterPrefix.emplace(prefix);
    }
    std::vector<BytePair> prefix;
    for (; k < nodes.size() && nodes[k].op == regex::Op::Chars && nodes[k].min == 1 &&
           nodes[k].max == 1;
         ++k) {
      prefix.emplace_back(nodes[k].a, nodes[k].b);
    }
    if (!unicode) m_prefix = NeedleScanner(std::move(prefix));
    addFirstBytes(m_compiled.top);
    std::vector<unsigned char> firsts;
    for (unsigned c = 0; c < 256; ++c) {
      if (m_first[c]) firsts.push_back(static_cast<unsigned char>(c));
    }
    m_firstCount = static_cast<int>(firsts.size());
    if (m_firstCount == 1 || m_firstCount == 2) {
      m_firstA = firsts.front();
      m_firstB = firsts.back();
    }
  }

  std::optional<Occurrence> find(const unsigned char* t, int64_t n, int64_t from, int64_t until,
                                 int64_t& resume) const override {
    resume = n;
    if (!m_anyFirst && m_firstCount == 0) return std::nullopt;
    const std::string_view text(reinterpret_cast<const char*>(t), static_cast<size_t>(n));
    for (int64_t s = from; s < until; ++s) {
      s = nextCandidate(t, n, s, until);
      if (s >= until) break;
      // With Unicode letters a match begins at a character, never inside one.
      if (m_compiled.unicode && text::insideCharacter(t, n, s)) continue;
      const int64_t e = regex::matchAt(m_compiled, text, s);
      if (e >= 0) return Occurrence{s, e};
    }
    resume = until;
    return std::nullopt;
  }

 private:
  // The bytes with which a match can begin. A match takes at least one character, and the
  // first element to take one (or to pass over one) takes the character at the start.
  void addFirstBytes(const regex::Program& program) {
    for (const regex::Node& node : program.nodes) {
      switch (node.op) {
        case regex::Op::StartAnchor:
          continue;
        case regex::Op::EndAnchor:
        case regex::Op::StrayEnd:
          return;
        case regex::Op::Stray:
        case regex::Op::Any:
          m_anyFirst = true;
          return;
        case regex::Op::Chars:
          if (m_compiled.unicode) {
            for (char32_t form : m_compiled.choices[node.choice].accepted()) {
              unsigned char bytes[4];
              text::encodeCharacter(form, bytes);
              m_first[bytes[0]] = true;
            }
          } else {
            m_first[node.a] = m_first[node.b] = true;
          }
          break;
        case regex::Op::Set: {
          const ByteTable& set = m_compiled.sets[node.set];
          // With Unicode letters the table holds the ASCII members; any byte above 127 may
          // begin a character the set accepts.
          const unsigned tableEnd = m_compiled.unicode ? 0x80 : 0x100;
          for (unsigned c = 0; c < tableEnd; ++c) m_first[c] = m_first[c] || set[c];
          for (unsigned c = tableEnd; c < 0x100; ++c) m_first[c] = true;
          break;
        }
        case regex::Op::Fail:
          break;
        case regex::Op::Group:
          for (const regex::Program& alternative : node.alternatives) {
            addFirstBytes(alternative);
            if (m_anyFirst) return;
          }
          break;
      }
      if (node.min >= 1) return;
    }
  }

  // Whether a match could begin at s, judged by the start anchor and the first bytes.
  bool candidateAt(const unsigned char* t, int64_t n, int64_t s) const {
    if (!m_prefix.empty()) return s + m_prefix.size() <= n && m_prefix.matchesAt(t, s);
    return m_anyFirst || m_first[t[s]];
  }

  // The first s' in [s, until) at which candidateAt holds (and the anchor, if any), or until.
  // The scans look no further than the candidates before `until` need.
  int64_t nextCandidate(const unsigned char* t, int64_t n, int64_t s, int64_t until) const {
    if (m_anchored) {
      for (;;) {
        if (s > 0 && t[s - 1] != '\n') {
          s = scanByte(t, until, s, '\n') + 1;
          if (s >= until) return until;
        }
        if (candidateAt(t, n, s)) return s;
        if (++s >= until) return until;
      }
    }
    if (!m_prefix.empty()) {
      const int64_t end = std::min(n, until + m_prefix.size() - 1);
      return std::min(m_prefix.find(t, end, s), until);
    }
    if (m_characterPrefix) return m_characterPrefix->find(t, n, s, until);
    if (m_anyFirst) return s;
    if (m_firstCount <= 2) return scanEither(t, until, s, m_firstA, m_firstB);
    return scanTable(t, until, s, m_first);
  }

  regex::Compiled m_compiled;
  bool m_anchored = false;
  NeedleScanner m_prefix;
  std::optional<CandidateScan> m_characterPrefix;  // with Unicode letters
  ByteTable m_first{};
  bool m_anyFirst = false;
  int m_firstCount = 0;
  unsigned char m_firstA = 0;
  unsigned char m_firstB = 0;
};

}  // namespace

Searcher::Searcher(std::shared_ptr<const Impl> impl) : m_impl(std::move(impl)) {}

Searcher Searcher::literal(std::string_view find, const LiteralOptions& options) {
  if (find.empty()) return Searcher(std::make_shared<NeverMatches>());
  if (options.UnicodeLetters && text::isValidUtf8(find))
    return Searcher(MakeUnicodeLiteral(find, options));
  const auto m = static_cast<int64_t>(find.size());
  auto at = [&](int64_t k) { return static_cast<unsigned char>(find[static_cast<size_t>(k)]); };
  std::vector<ScriptLiteral::Item> items;
  bool script = false;
  for (int64_t k = 0; k < m;) {
    if (options.Anything && k + kAnythingLength < m &&
        find.substr(static_cast<size_t>(k), kAnythingToken.size()) == kAnythingToken) {
      items.push_back({true, literalPair(at(k + kAnythingLength), options.CaseSensitive)});
      script = true;
      k += kAnythingLength + 1;
    } else {
      items.push_back({false, literalPair(at(k), options.CaseSensitive)});
      k += 1;
    }
  }
  if (!script) return Searcher(std::make_shared<PlainLiteral>(find, options));
  return Searcher(std::make_shared<ScriptLiteral>(
      std::move(items), literalPair(at(0), options.CaseSensitive), options.WholeWordsOnly));
}

Searcher Searcher::regex(std::string_view pattern, bool caseSensitive, bool unicodeLetters) {
  if (pattern.empty()) return Searcher(std::make_shared<NeverMatches>());
  return Searcher(std::make_shared<CompiledRegex>(pattern, caseSensitive,
                                                  unicodeLetters && text::isValidUtf8(pattern)));
}

std::optional<Occurrence> Searcher::findFrom(std::string_view text, int64_t from) const {
  return findBefore(text, from, static_cast<int64_t>(text.size()));
}

std::optional<Occurrence> Searcher::findBefore(std::string_view text, int64_t from, int64_t until,
                                               int64_t* resumeAt) const {
  const auto n = static_cast<int64_t>(text.size());
  from = std::max<int64_t>(from, 0);
  until = std::min(until, n);
  int64_t resume = n;
  std::optional<Occurrence> found;
  if (from < until) {
    found =
        m_impl->find(reinterpret_cast<const unsigned char*>(text.data()), n, from, until, resume);
  } else if (from < n) {
    resume = std::max(from, until);
  }
  if (resumeAt != nullptr && !found) *resumeAt = resume;
  return found;
}

}  // namespace tw
