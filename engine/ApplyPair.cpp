#include "engine/ApplyPair.h"

#include "engine/FilenameReferenceCheck.h"

#include <algorithm>

namespace tw {

namespace {

constexpr int64_t kExcerptBefore = 300;
constexpr int64_t kExcerptFrom = 500;

}  // namespace

std::string SearchedFindText(std::string_view find, bool removeLeading, bool removeTrailing) {
  if (find.find_first_not_of(' ') == std::string_view::npos) return std::string(find);
  if (removeLeading && find.size() > 1) find.remove_prefix(find.find_first_not_of(' '));
  if (removeTrailing && find.size() > 1)
    find.remove_suffix(find.size() - 1 - find.find_last_not_of(' '));
  return std::string(find);
}

PreparedPair::PreparedPair(const StringPair& pair, const PassSettings& settings, bool unixPair)
    : m_listed(pair), m_unixPair(unixPair) {
  if (unixPair) {
    m_searched = "\r\n";
    m_searcher.emplace(Searcher::literal(m_searched, LiteralOptions{true, false, false}));
    return;
  }
  m_searched =
      SearchedFindText(pair.Find, settings.RemoveLeadingSpaces, settings.RemoveTrailingSpaces);
  if (m_searched.empty()) return;
  const ReplaceFlags& flags = settings.Flags;
  if (flags.Regular) {
    m_searcher.emplace(Searcher::regex(m_searched, flags.CaseSensitive));
  } else {
    m_searcher.emplace(Searcher::literal(
        m_searched, LiteralOptions{flags.CaseSensitive, flags.WholeWordsOnly, flags.Anything}));
  }
}

ConfirmRequest BuildConfirmRequest(std::string_view text, std::string_view outputSoFar,
                                   int64_t start, int64_t length) {
  ConfirmRequest request;
  const int64_t beforeLength =
      std::min<int64_t>(kExcerptBefore, static_cast<int64_t>(outputSoFar.size()));
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

int64_t ApplyPair(std::string_view text, const PreparedPair& pair, PassContext& context,
                  std::string& output) {
  output.clear();
  if (!pair.active()) return 0;
  const PassSettings& settings = context.settings;
  const int64_t n = static_cast<int64_t>(text.size());
  const std::string& replace = pair.listed().Replace;
  FilenameReferenceCheck isFilenameReference(text);
  int64_t count = 0;
  int64_t s = 0;
  while (s < n) {
    const std::optional<Occurrence> found = pair.searcher().findFrom(text, s);
    if (!found) break;
    if (output.empty()) output.reserve(text.size() + replace.size());
    output.append(text.substr(static_cast<size_t>(s), static_cast<size_t>(found->start - s)));
    s = found->start;
    const int64_t e = found->last;
    context.throttle.tick();

    bool replaceIt = true;
    if (settings.DoNotChangeFilenameReferences && !pair.isUnixPair() && isFilenameReference(e)) {
      replaceIt = false;
    } else if (settings.Flags.Confirm) {
      if (context.decision.asks()) {
        ConfirmRequest request = BuildConfirmRequest(text, output, s, e - s + 1);
        request.path = context.path;
        request.find = pair.listed().Find;
        request.replace = replace;
        context.decision.set(context.host.confirm(request));
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
  }
  if (s < n) output.append(text.substr(static_cast<size_t>(s)));
  return count;
}

}  // namespace tw
