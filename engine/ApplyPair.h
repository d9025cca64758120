#pragma once
// One pass of one pair over a text: every occurrence the matcher finds, in order, is kept or
// replaced, and the result is built in one output buffer.
//
// The pass gives the same result as asking the matcher at every start position in turn: the
// searcher jumps straight to the next position where the matcher answers. The scan never
// looks at text this pass inserted, replaced occurrences never overlap, and after a skipped
// occurrence (or one refused as a filename reference) the scan goes on one byte after its
// start, so occurrences that begin inside it are still found.

#include "config/AppOptions.h"
#include "config/ReplaceFlags.h"
#include "config/StringPair.h"
#include "engine/ConfirmDecision.h"
#include "engine/RunHost.h"
#include "engine/Searcher.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

// The switches that shape every pass of a run, as they stand when the run starts.
struct PassSettings {
  ReplaceFlags Flags;
  bool DoNotChangeFilenameReferences = false;
  bool RemoveLeadingSpaces = true;
  bool RemoveTrailingSpaces = true;
  // Text read as UTF-8 or UTF-16 (and an RTF document's visible text) is matched with Unicode
  // letters; a Windows-1252 file's bytes never are.
  bool UnicodeLetters = false;

  static PassSettings from(const ReplaceFlags& flags, const AdvancedSwitches& advanced,
                           const AppOptions& options) {
    return {flags, advanced.DoNotChangeFilenameReferences, options.RemoveLeadingSpaces,
            options.RemoveTrailingSpaces, options.UnicodeLetters};
  }
};

// The find text as it is searched: spaces (code 32 only) removed at its start and end as the
// options say, each only while the text is longer than one character. A text made only of
// spaces is searched unchanged, so trimming never empties it.
std::string SearchedFindText(std::string_view find, bool removeLeading, bool removeTrailing);

// The find text of the pair that "Save as UNIX file" appends for a run; it stands for the two
// bytes CR LF in both matching modes. Its replace text is one line feed.
inline constexpr std::string_view kUnixPairFind = "\\r\\n";

// A pair ready for its passes: the pair as the list holds it, the find text as searched and
// its searcher, built once per run. Not movable: the searcher may refer to the text it was
// built from.
//
// Texts are searched and written as the bytes the list holds, which are UTF-8 (or raw bytes
// that are not UTF-8, taken byte for byte). A pair with non-ASCII UTF-8 text also holds its
// rendering in Windows-1252, for files in that code page (inWindows1252()).
class PreparedPair {
 public:
  // `unixPair`: the pair appended by "Save as UNIX file", which finds CR LF and, converting
  // every line end, ignores Whole Words Only and the filename-reference guard.
  PreparedPair(const StringPair& pair, const PassSettings& settings, bool unixPair = false);
  PreparedPair(const PreparedPair&) = delete;
  PreparedPair& operator=(const PreparedPair&) = delete;

  // The pair as the list holds it (also for the Windows-1252 rendering: what the user sees).
  const StringPair& listed() const { return m_listed; }
  const std::string& searchedFind() const { return m_searched; }
  // The bytes an occurrence is replaced with.
  const std::string& replacement() const { return m_replacement; }
  // False for a row without a find text: such a row takes no part in a run. (The
  // Windows-1252 rendering of a find text the code page cannot hold is not active either:
  // it has no occurrence in such a file.)
  bool active() const { return m_searcher.has_value(); }
  const Searcher& searcher() const { return *m_searcher; }
  bool isUnixPair() const { return m_unixPair; }

  // Whether the find or replace text is UTF-8 beyond ASCII: then a file in another encoding
  // has to be read in its own (see ReadingEncoding in engine/Run.h).
  bool nonAscii() const { return m_windows1252 != nullptr; }
  // The pair as searched and written in a Windows-1252 file: this pair itself when its texts
  // are the same bytes there.
  const PreparedPair& inWindows1252() const { return m_windows1252 ? *m_windows1252 : *this; }
  // The first character of the replace text that the encoding of this rendering cannot
  // write (UTF-8), or empty when it writes all of it. A file where such a pair finds an
  // occurrence is left unchanged.
  const std::string& unwritable() const { return m_unwritable; }
  // Whether the replace text is UTF-8 (what a UTF-16 file can be given).
  bool replacementIsUtf8() const { return m_replacementIsUtf8; }

 private:
  // The Windows-1252 rendering of `pair`.
  PreparedPair(const StringPair& pair, const PassSettings& settings, const PreparedPair& utf8);
  // `unicodeLetters`: the settings' switch, off for a Windows-1252 file's bytes.
  void prepare(std::string_view find, const PassSettings& settings, bool unicodeLetters);

  StringPair m_listed;
  bool m_unixPair = false;
  std::string m_searched;
  std::string m_replacement;
  std::string m_unwritable;
  bool m_replacementIsUtf8 = true;
  std::optional<Searcher> m_searcher;
  std::unique_ptr<PreparedPair> m_windows1252;
};

// How many start positions a pass tries between two looks at Cancel when it finds nothing:
// 64 KiB, which a pattern tried at every byte still gets through in some hundredths of a second
// (a slow build too), and a plain scan in microseconds (a look costs a few nanoseconds).
inline constexpr int64_t kCancelStride = int64_t{64} << 10;

// The run's looks at the host between its steps: Cancel is read between files, between the
// passes of a file, every 64 occurrences, after each answered question and every
// kCancelStride bytes a pass scans; yield() is called a few times per second at most, however
// often it is asked. Once the host has said that the user asked to stop, it is not asked again.
class YieldThrottle {
 public:
  explicit YieldThrottle(RunHost& host) : m_host(host) {}
  // One occurrence found: every 64th is a look.
  void tick() {
    if (++m_calls % 64 == 0) look();
  }
  // Reads Cancel (unless it was seen already) and lets the host yield when that is due; true
  // when the run is to stop.
  bool look() {
    if (!m_cancelled) m_cancelled = m_host.cancelRequested();
    const auto now = std::chrono::steady_clock::now();
    if (now - m_last >= std::chrono::milliseconds(100)) {
      m_last = now;
      m_host.yield();
    }
    return m_cancelled;
  }
  // Whether a look found that the user asked to stop.
  bool cancelled() const { return m_cancelled; }

 private:
  RunHost& m_host;
  uint32_t m_calls = 0;
  bool m_cancelled = false;
  std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};

// What a pass needs from the run: the host that answers confirmations, the run's decision
// and the file being processed.
struct PassContext {
  RunHost& host;
  RunDecision& decision;
  YieldThrottle& throttle;
  const PassSettings& settings;
  std::string path;
  // The text is a Windows-1252 file's bytes: the excerpt a confirmation shows is read in
  // that code page.
  bool windows1252 = false;
};

// Builds what the confirmation dialog shows for the occurrence at `start` (length `length`)
// of `text`, with `outputSoFar` the pass's output before it.
ConfirmRequest BuildConfirmRequest(std::string_view text, std::string_view outputSoFar,
                                   int64_t start, int64_t length);

// Where a pass sends its output as it is made, in pieces, instead of holding all of it.
class PassSink {
 public:
  virtual ~PassSink() = default;
  // Takes the next piece of the output; false stops the pass (the sink keeps the reason).
  virtual bool take(std::string_view piece) = 0;
};

// The size of the pieces a pass gives its sink (an unchanged stretch of the text longer
// than a piece goes to the sink as it stands), each written to the file as it comes. With
// pieces of 16 MiB, writing 256 MiB took about three times the system time of pieces of
// 256 KiB to 4 MiB here (bench/README.md, "big files at the speed of a copy"): a small
// piece is made and copied on while it is still in the processor's cache, and its buffer is
// little fresh memory to fault in.
inline constexpr size_t kPassPiece = size_t{1} << 20;

// Applies `pair` to `text`, writing the result to `output`, and returns the number of
// replacements made. The pass stops where a look of the run's throttle finds Cancel
// requested (context.throttle.cancelled() tells); its output is then of no use. When that is 0 the
// result is `text` itself and `output` holds nothing useful (a pass without occurrences copies
// nothing). With confirmation on, asks the host about each occurrence while the run's decision
// asks, and takes its answer as the decision. With a `sink`, the result goes to the sink in pieces
// of about kPassPiece and `output` keeps only the last bytes of it: the sink takes the whole
// result, except after a pass that made no replacement and had given it nothing yet (then it takes
// nothing at all).
int64_t ApplyPair(std::string_view text, const PreparedPair& pair, PassContext& context,
                  std::string& output, PassSink* sink = nullptr);

}  // namespace tw
