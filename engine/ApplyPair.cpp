#include "engine/ApplyPair.h"

#include "engine/FilenameReferenceCheck.h"
#include "platform/FileIo.h"
#include "text/Windows1252.h"

#include <algorithm>

namespace tw {

namespace {

constexpr size_t kExcerptBefore = 300;
constexpr int64_t kExcerptFrom = 500;

}  // namespace

std::string SearchedFindText(std::string_view find, bool removeLeading, bool removeTrailing) {
  if (find.find_first_not_of(' ') == std::string_view::npos) return std::string(find);
  if (removeLeading && find.size() > 1) find.remove_prefix(find.find_first_not_of(' '));
  if (removeTrailing && find.size() > 1)
    find.remove_suffix(find.size() - 1 - find.find_last_not_of(' '));
  return std::string(find);
}

namespace {

// Text that is UTF-8 and not all ASCII: the text a file in another encoding holds otherwise.
bool IsNonAsciiUtf8(std::string_view text) {
  return text::asciiPrefixLength(text) < text.size() && text::isValidUtf8(text);
}

// `text` in Windows-1252 when it is non-ASCII UTF-8 (else its bytes as they are), or nothing
// when the code page cannot hold it; `unwritable` then gets its first such character.
std::optional<std::string> InWindows1252(const std::string& text, std::string* unwritable) {
  if (!IsNonAsciiUtf8(text)) return text;
  text::EncodedText encoded = text::utf8ToWindows1252(text);
  if (encoded.ok()) return std::move(encoded.bytes);
  if (unwritable != nullptr) {
    const text::DecodedCodePoint bad =
        text::decodeCodePoint(std::string_view(text).substr(encoded.unencodable));
    *unwritable = text.substr(encoded.unencodable, std::max<size_t>(bad.length, 1));
  }
  return std::nullopt;
}

}  // namespace

PreparedPair::PreparedPair(const StringPair& pair, const PassSettings& settings, bool unixPair)
    : m_listed(pair), m_unixPair(unixPair), m_replacement(pair.Replace) {
  if (unixPair) {
    m_searched = "\r\n";
    m_searcher.emplace(Searcher::literal(m_searched, LiteralOptions{true, false, false}));
    return;
  }
  m_replacementIsUtf8 = text::isValidUtf8(pair.Replace);
  prepare(pair.Find, settings, settings.UnicodeLetters);
  if (active() && (IsNonAsciiUtf8(pair.Find) || IsNonAsciiUtf8(pair.Replace)))
    m_windows1252.reset(new PreparedPair(pair, settings, *this));
}

PreparedPair::PreparedPair(const StringPair& pair, const PassSettings& settings,
                           const PreparedPair& utf8)
    : m_listed(pair), m_replacementIsUtf8(utf8.m_replacementIsUtf8) {
  std::optional<std::string> replace = InWindows1252(pair.Replace, &m_unwritable);
  m_replacement = replace.value_or(std::string());
  // A find text the code page cannot hold has no occurrence in such a file.
  if (const std::optional<std::string> find = InWindows1252(pair.Find, nullptr))
    prepare(*find, settings, false);
}

void PreparedPair::prepare(std::string_view find, const PassSettings& settings,
                           bool unicodeLetters) {
  m_searched = SearchedFindText(find, settings.RemoveLeadingSpaces, settings.RemoveTrailingSpaces);
  if (m_searched.empty()) return;
  const ReplaceFlags& flags = settings.Flags;
  if (flags.Regular) {
    m_searcher.emplace(Searcher::regex(m_searched, flags.CaseSensitive, unicodeLetters));
  } else {
    m_searcher.emplace(Searcher::literal(
        m_searched,
        LiteralOptions{flags.CaseSensitive, flags.WholeWordsOnly, flags.Anything, unicodeLetters}));
  }
}

ConfirmRequest BuildConfirmRequest(std::string_view text, std::string_view outputSoFar,
                                   int64_t start, int64_t length) {
  ConfirmRequest request;
  const int64_t beforeLength =
      std::min(static_cast<int64_t>(kExcerptBefore), static_cast<int64_t>(outputSoFar.size()));
  request.excerpt.assign(
      outputSoFar.substr(outputSoFar.size() - static_cast<size_t>(beforeLength)));
  request.excerpt.append(
      text.substr(static_cast<size_t>(start), static_cast<size_t>(kExcerptFrom)));
  if (size_t zero = request.excerpt.find('\0'); zero != std::string::npos)
    request.excerpt.resize(zero);
  const int64_t excerptLength = static_cast<int64_t>(request.excerpt.size());
  request.occurrenceStart = std::min(beforeLength, excerptLength);
  request.occurrenceLength =
      std::clamp<int64_t>(excerptLength - request.occurrenceStart, 0, length);
  return request;
}

namespace {

// The excerpt of a confirmation over a Windows-1252 file, read in that code page (UTF-8 for
// display), with its occurrence where it went.
void ShowWindows1252Excerpt(ConfirmRequest& request) {
  const std::string_view excerpt = request.excerpt;
  const auto start = static_cast<size_t>(request.occurrenceStart);
  const auto length = static_cast<size_t>(request.occurrenceLength);
  const std::string before = text::windows1252ToUtf8(excerpt.substr(0, start));
  const std::string occurrence = text::windows1252ToUtf8(excerpt.substr(start, length));
  std::string shown = before + occurrence;
  shown += text::windows1252ToUtf8(excerpt.substr(start + length));
  request.occurrenceStart = static_cast<int64_t>(before.size());
  request.occurrenceLength = static_cast<int64_t>(occurrence.size());
  request.excerpt = std::move(shown);
}

// The output of a pass: built whole in `buffer`, or, with a sink, handed on in pieces while
// `buffer` keeps what a confirmation shows before the next occurrence.
class PassOutput {
 public:
  PassOutput(std::string& buffer, PassSink* sink) : m_buffer(buffer), m_sink(sink) {
    m_buffer.clear();
  }

  void reserveFor(std::string_view text, std::string_view replace) {
    size_t wanted = text.size() + replace.size();
    if (m_sink != nullptr) wanted = std::min(wanted, kPassPiece + kExcerptBefore);
    if (m_buffer.capacity() >= wanted) return;
    m_buffer.reserve(wanted);
    if (wanted >= (size_t{4} << 20)) platform::adviseLargePages(m_buffer.data(), wanted);
  }
  void append(std::string_view bytes) {
    if (m_sink != nullptr && m_buffer.size() - m_sent + bytes.size() > kPassPiece) {
      if (!send()) return;
      if (bytes.size() >= kPassPiece - kExcerptBefore) {
        // A long unchanged stretch goes on as it stands, not through the buffer.
        if (!give(bytes)) return;
        m_buffer.assign(bytes.substr(bytes.size() - kExcerptBefore));
        m_sent = m_buffer.size();
        return;
      }
    }
    m_buffer.append(bytes);
  }
  void push_back(char c) { append(std::string_view(&c, 1)); }
  // The end of the output so far (all of it without a sink).
  std::string_view soFar() const { return m_buffer; }
  bool failed() const { return m_failed; }
  bool gave() const { return m_gave; }
  // The rest goes to the sink, unless nothing is to be written at all.
  void finish(int64_t count) {
    if (m_sink != nullptr && (count > 0 || m_gave)) send();
  }

 private:
  bool give(std::string_view piece) {
    if (piece.empty() || m_failed) return !m_failed;
    m_gave = true;
    m_failed = !m_sink->take(piece);
    return !m_failed;
  }
  // Gives what the buffer holds beyond what was given, keeping its last bytes for an excerpt.
  bool send() {
    if (!give(std::string_view(m_buffer).substr(m_sent))) return false;
    const size_t keep = std::min(m_buffer.size(), kExcerptBefore);
    m_buffer.erase(0, m_buffer.size() - keep);
    m_sent = keep;
    return true;
  }

  std::string& m_buffer;
  PassSink* m_sink;
  size_t m_sent = 0;  // the leading bytes of the buffer that the sink already took
  bool m_gave = false;
  bool m_failed = false;
};

}  // namespace

int64_t ApplyPair(std::string_view text, const PreparedPair& pair, PassContext& context,
                  std::string& buffer, PassSink* sink) {
  PassOutput output(buffer, sink);
  if (!pair.active()) return 0;
  const PassSettings& settings = context.settings;
  const int64_t n = static_cast<int64_t>(text.size());
  const std::string& replace = pair.replacement();
  FilenameReferenceCheck isFilenameReference(text);
  int64_t count = 0;
  int64_t s = 0;     // the text before s is in the output
  int64_t scan = 0;  // where the search goes on
  int64_t lookAt = kCancelStride;
  bool foundAny = false;
  while (scan < n && !output.failed()) {
    if (scan >= lookAt) {
      if (context.throttle.look()) return count;
      lookAt = scan + kCancelStride;
    }
    int64_t resume = n;
    const std::optional<Occurrence> found = pair.searcher().findBefore(text, scan, lookAt, &resume);
    if (!found) {
      scan = resume;
      continue;
    }
    if (!foundAny) output.reserveFor(text, replace);
    foundAny = true;
    output.append(text.substr(static_cast<size_t>(s), static_cast<size_t>(found->start - s)));
    s = found->start;
    const int64_t e = found->last;
    context.throttle.tick();
    if (context.throttle.cancelled()) return count;

    bool replaceIt = true;
    if (settings.DoNotChangeFilenameReferences && !pair.isUnixPair() && isFilenameReference(e)) {
      replaceIt = false;
    } else if (settings.Flags.Confirm) {
      if (context.decision.asks()) {
        ConfirmRequest request = BuildConfirmRequest(text, output.soFar(), s, e - s + 1);
        if (context.windows1252) ShowWindows1252Excerpt(request);
        request.path = context.path;
        request.find = pair.listed().Find;
        request.replace = pair.listed().Replace;
        request.textOffset = s;
        context.decision.set(context.host.confirm(request));
        // Cancel pressed while the question was up stops the run before the answer is used.
        if (context.throttle.look()) return count;
      }
      replaceIt = context.decision.replaces();
    }

    if (replaceIt) {
      ++count;
      output.append(replace);
      s = e + 1;
    } else {
      output.push_back(text[static_cast<size_t>(s)]);
      ++s;
    }
    scan = s;
  }
  // A pass without replacements leaves the text as it was: its output is not needed (unless
  // a sink already took part of it).
  if (count == 0 && !output.gave()) return 0;
  if (s < n && !output.failed()) output.append(text.substr(static_cast<size_t>(s)));
  output.finish(count);
  return count;
}

}  // namespace tw
