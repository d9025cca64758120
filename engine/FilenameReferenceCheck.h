#pragma once

#include <cstdint>
#include <string_view>

namespace tw {

// IsFilenameReference for the occurrences of one pass over one text. Looking back for the
// nearest stop character is remembered from one question to the next, so questions asked
// in increasing order of e cost time linear in the text overall (IsFilenameReference alone
// may look back to the start of the text every time). Any order gives the same answers.
class FilenameReferenceCheck {
 public:
  explicit FilenameReferenceCheck(std::string_view text) : m_text(text) {}

  // The same answer as IsFilenameReference(text, e).
  bool operator()(int64_t e);

 private:
  std::string_view m_text;
  int64_t m_scanned = 0;    // every index below this one has been looked at
  int64_t m_lastStop = -1;  // the last stop character below m_scanned, or -1
};

}  // namespace tw
