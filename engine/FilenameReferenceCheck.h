#pragma once

#include <cstdint>
#include <string_view>

namespace tw {

// Whether an occurrence stands inside the double-quoted value of an HREF attribute (name in
// any case, spaces allowed around "="), for the occurrences of one pass over one text: the
// nearest stop character at or before the occurrence's last character decides, and it must
// be a '"' that follows `HREF =`.
//
// The look-back is remembered from one question to the next: questions asked in
// nondecreasing order of e (every literal pass) cost time linear in the text overall, and
// the answer for each stop character is worked out once. A question for an e before an
// earlier one looks back from e again (a regular expression whose occurrence ends before
// the previous one's end). Any order gives the same answers.
class FilenameReferenceCheck {
 public:
  explicit FilenameReferenceCheck(std::string_view text) : m_text(text) {}

  // For the occurrence whose last character is text[e]; false for an e outside the text.
  bool operator()(int64_t e);

 private:
  bool answerForLastStop();

  std::string_view m_text;
  int64_t m_scanned = 0;        // every index below this one has been looked at
  int64_t m_lastStop = -1;      // the last stop character below m_scanned, or -1
  int64_t m_answeredStop = -2;  // the stop whose answer m_answer holds
  bool m_answer = false;
};

}  // namespace tw
