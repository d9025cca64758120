#include "engine/FilenameReferenceCheck.h"

#include "engine/ByteClasses.h"

namespace tw {

namespace {

// The rest of the test, from the stop character at q (or -1) on.
bool hrefValueAt(std::string_view text, int64_t q) {
  auto at = [&](int64_t i) { return static_cast<unsigned char>(text[static_cast<size_t>(i)]); };
  if (q < 0 || at(q) != '"') return false;
  int64_t j = q - 1;
  while (j >= 0 && at(j) == ' ') --j;
  if (j < 0 || at(j) != '=') return false;
  --j;
  while (j >= 0 && at(j) == ' ') --j;
  if (j < 5) return false;
  return asciiUpper(at(j - 3)) == 'H' && asciiUpper(at(j - 2)) == 'R' &&
         asciiUpper(at(j - 1)) == 'E' && asciiUpper(at(j)) == 'F';
}

bool isStop(std::string_view text, int64_t i) {
  return kReferenceStops[static_cast<unsigned char>(text[static_cast<size_t>(i)])];
}

}  // namespace

bool FilenameReferenceCheck::answerForLastStop() {
  if (m_answeredStop != m_lastStop) {
    m_answer = hrefValueAt(m_text, m_lastStop);
    m_answeredStop = m_lastStop;
  }
  return m_answer;
}

bool FilenameReferenceCheck::operator()(int64_t e) {
  if (e < 0 || e >= static_cast<int64_t>(m_text.size())) return false;
  if (e < m_scanned) {
    if (m_lastStop <= e) return answerForLastStop();
    int64_t q = e;
    while (q >= 0 && !isStop(m_text, q)) --q;
    return hrefValueAt(m_text, q);
  }
  for (; m_scanned <= e; ++m_scanned) {
    if (isStop(m_text, m_scanned)) m_lastStop = m_scanned;
  }
  return answerForLastStop();
}

}  // namespace tw
