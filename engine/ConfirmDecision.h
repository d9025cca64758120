#pragma once
// The run's answer state for confirmations: one value shared by every pair and every file of
// a run, changed only by the user's answers and by the reset at the start of each file.

#include <cstdint>
#include <string>

namespace tw {

// The six answers of the confirmation dialog, each also a state of the run.
enum class ConfirmDecision {
  ReplaceThis,       // replace this occurrence, ask again for the next (the value at the start)
  SkipThis,          // skip this occurrence, ask again for the next
  ReplaceAllInFile,  // replace the rest of this file without asking
  SkipAllInFile,     // skip the rest of this file without asking
  ReplaceAllFiles,   // replace everything that follows in the run without asking
  SkipAllFiles,      // skip everything that follows in the run without asking
};

// The run's decision with its file-only mark. The file-wide answers are held as the run-wide
// value of the same kind plus a mark that they end with the current file.
class RunDecision {
 public:
  ConfirmDecision value() const {
    if (m_fileOnly) {
      return m_value == ConfirmDecision::ReplaceAllFiles ? ConfirmDecision::ReplaceAllInFile
                                                         : ConfirmDecision::SkipAllInFile;
    }
    return m_value;
  }

  // Takes the user's answer as the new decision.
  void set(ConfirmDecision answer) {
    switch (answer) {
      case ConfirmDecision::ReplaceAllInFile:
        m_value = ConfirmDecision::ReplaceAllFiles;
        m_fileOnly = true;
        break;
      case ConfirmDecision::SkipAllInFile:
        m_value = ConfirmDecision::SkipAllFiles;
        m_fileOnly = true;
        break;
      default:
        m_value = answer;
        m_fileOnly = false;
    }
  }

  // At the start of each file: a decision that held for the previous file only ends.
  void startFile() {
    if (m_fileOnly) {
      m_value = ConfirmDecision::ReplaceThis;
      m_fileOnly = false;
    }
  }

  // Whether the next occurrence is to be offered to the user (with confirmation on).
  bool asks() const {
    return m_value == ConfirmDecision::ReplaceThis || m_value == ConfirmDecision::SkipThis;
  }

  // Whether the current decision replaces an occurrence.
  bool replaces() const {
    return m_value == ConfirmDecision::ReplaceThis || m_value == ConfirmDecision::ReplaceAllFiles;
  }

 private:
  ConfirmDecision m_value = ConfirmDecision::ReplaceThis;
  bool m_fileOnly = false;
};

// What the confirmation dialog is given for one occurrence.
struct ConfirmRequest {
  std::string path;  // the file's full path (the dialog shows its name part)
  std::string find;  // the pair's texts as the pair list holds them (before any trimming)
  std::string replace;
  // Up to 300 bytes before the occurrence (from the pass's output so far, so earlier
  // replacements of this pass show) joined to up to 500 bytes from the occurrence on (from
  // the pass's input); it ends at its first zero byte, if any.
  std::string excerpt;
  int64_t occurrenceStart = 0;   // where the occurrence begins in the excerpt
  int64_t occurrenceLength = 0;  // its length, cut at the end of the excerpt
  // Where the occurrence begins in the text the pass searches as it stood before the pass (the
  // file's content, an RTF document's visible text, or the output of the previous pass).
  int64_t textOffset = 0;
};

}  // namespace tw
