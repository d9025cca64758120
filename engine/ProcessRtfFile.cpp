#include "engine/ProcessRtfFile.h"

#include <algorithm>
#include <map>
#include <utility>

#include "engine/rtf/RtfEscape.h"
#include "engine/rtf/RtfSplice.h"

namespace tw {

namespace {

constexpr int64_t kExcerptReach = 100;

bool isContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

ConfirmRequest BuildRtfConfirmRequest(std::string_view text, int64_t start, int64_t last) {
  const int64_t n = static_cast<int64_t>(text.size());
  int64_t from = std::max<int64_t>(0, last - kExcerptReach);
  for (int64_t i = last; i >= std::max<int64_t>(0, last - kExcerptReach); --i) {
    if (text[static_cast<size_t>(i)] == '.') {
      from = i;
      break;
    }
  }
  int64_t to = std::min<int64_t>(n, last + kExcerptReach + 1);
  for (int64_t i = last; i < std::min<int64_t>(n, last + kExcerptReach + 1); ++i) {
    if (text[static_cast<size_t>(i)] == '.') {
      to = i;
      break;
    }
  }
  // Never show half a character where the reach cut the text.
  while (from < to && from < n && isContinuationByte(text[static_cast<size_t>(from)])) ++from;
  while (to > from && to < n && isContinuationByte(text[static_cast<size_t>(to)])) --to;

  ConfirmRequest request;
  request.excerpt.assign(text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)));
  const int64_t markFrom = std::clamp(start, from, to);
  const int64_t markTo = std::clamp(last + 1, from, to);
  request.occurrenceStart = markFrom - from;
  request.occurrenceLength = markTo - markFrom;
  return request;
}

RtfFileResult ReplaceInRtf(std::string content, const std::vector<const PreparedPair*>& pairs,
                           PassContext& context) {
  RtfFileResult result;
  if (!rtf::looksLikeRtf(content)) {
    result.failure = kNotAnRtfDocument;
    return result;
  }
  const std::string original = content;
  rtf::Document doc = rtf::parse(std::move(content));
  std::map<rtf::EditStatus, int64_t> refused;
  const PassSettings& settings = context.settings;

  bool firstPass = true;
  for (const PreparedPair* pair : pairs) {
    if (!pair->active()) continue;
    if (!std::exchange(firstPass, false) && context.throttle.look()) {
      result = {};
      result.cancelled = true;
      return result;
    }
    const std::string_view text = doc.plain;
    const int64_t n = static_cast<int64_t>(text.size());
    const std::string& replace = pair->listed().Replace;
    // A replacement RTF text cannot hold is refused for every occurrence, without asking.
    const bool writable = rtf::escapeText(replace, 1252, 1).has_value();
    std::vector<rtf::Edit> edits;
    int64_t s = 0;
    int64_t lookAt = kCancelStride;
    while (s < n) {
      if (s >= lookAt) {
        if (context.throttle.look()) break;
        lookAt = s + kCancelStride;
      }
      int64_t resume = n;
      const std::optional<Occurrence> found = pair->searcher().findBefore(text, s, lookAt, &resume);
      if (!found) {
        s = resume;
        continue;
      }
      s = found->start;
      const int64_t e = found->last;
      context.throttle.tick();
      if (context.throttle.cancelled()) break;
      const rtf::EditStatus fits =
          writable ? rtf::checkRange(doc, static_cast<size_t>(s), static_cast<size_t>(e - s + 1))
                   : rtf::EditStatus::InvalidReplacement;
      if (fits != rtf::EditStatus::Applied) {
        ++refused[fits];
        ++s;
        continue;
      }
      bool replaceIt = true;
      if (settings.Flags.Confirm) {
        if (context.decision.asks()) {
          ConfirmRequest request = BuildRtfConfirmRequest(text, s, e);
          request.path = context.path;
          request.find = pair->listed().Find;
          request.replace = replace;
          request.textOffset = s;
          context.decision.set(context.host.confirm(request));
          if (context.throttle.look()) break;
        }
        replaceIt = context.decision.replaces();
      }
      if (replaceIt) {
        edits.push_back({static_cast<size_t>(s), static_cast<size_t>(e - s + 1), replace});
        s = e + 1;
      } else {
        ++s;
      }
    }
    if (context.throttle.cancelled()) {
      result = {};
      result.cancelled = true;
      return result;
    }
    if (edits.empty()) continue;

    rtf::SpliceResult spliced = rtf::applyEdits(doc, edits);
    if (!spliced.verified) {
      result = {};
      result.failure = "not changed: the edited document did not read back as expected";
      return result;
    }
    for (rtf::EditStatus status : spliced.statuses) {
      if (status == rtf::EditStatus::Applied || status == rtf::EditStatus::Unchanged) {
        ++result.count;
      } else {
        ++refused[status];
      }
    }
    if (spliced.applied > 0) doc = std::move(spliced.document);
  }

  for (const auto& [status, count] : refused) {
    result.notReplaced.push_back(std::to_string(count) + " occurrence(s) not replaced: " +
                                 std::string(rtf::describe(status)));
  }
  if (doc.source != original) {
    result.changed = true;
    result.rtf = std::move(doc.source);
  }
  return result;
}

}  // namespace tw
