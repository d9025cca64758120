#pragma once
// The replacement run: every checked entry of the file list, in list order, gets every pair
// of the pair list in order, one complete pass per pair. The engine reports to a RunHost
// (confirmations, the file in progress, progress, Cancel) and leaves a RunSummary behind.
//
// Design choices of this engine, in one place:
// - A file is read whole, its passes run in memory (one output buffer per pass), and only a
//   file with at least one replacement is written back, through the safe write-back of
//   writeback/WriteBack.h; a file without replacements is not touched at all.
// - A file that cannot be processed (missing, unreadable, not writable, changed meanwhile,
//   refused by the host) is recorded with its reason in RunSummary::FailedFiles; empty files
//   are passed over quietly.
// - Cancel is read between files, between the passes of a file and within a long pass; the
//   run stops as soon as it reads it. A file stopped in the middle is left as it was (its
//   new content is only ever swapped in after its last pass) and is listed with
//   kCancelledReason; files finished before it are written, the files after it not touched.
// - Input that would make the run meaningless (a malformed "Replace only in first" count) is
//   refused before any file is touched.
// - The same file reached through two entries (a link and its target) is processed once.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "engine/Clock.h"
#include "engine/RunHost.h"
#include "engine/RunSummary.h"
#include "platform/FileOps.h"
#include "text/Encoding.h"

#include <cstdint>
#include <string>

namespace tw {

struct RunMode {
  bool dryRun = false;  // compute every change and hand it to the host, but write nothing
  platform::FileOps* files = nullptr;  // the file system the run works on; the real one if null
};

struct RunOutcome {
  bool refused = false;  // nothing was touched; refusal says why
  std::string refusal;
  bool cancelled = false;  // stopped at the user's request (see RunHost::cancelRequested)
  int64_t checkedCount = 0;
  int64_t startedCount = 0;
};

// Result line of a file with replacements: "<path> - <count> replacements made".
std::string ResultLine(const std::string& path, int64_t count);

// Whether `path` ends with `extension` (a full stop and lower-case letters), letters in
// either case.
bool HasExtension(std::string_view path, std::string_view extension);

// How a run treats a listed file, by its name: a ".rtf" file as rich text (its visible text
// searched) while the options say so, an ".mp3" file otherwise not at all, any other file as
// plain text.
enum class FileTreatment { PlainText, RichText, PassedOver };
FileTreatment TreatmentOf(std::string_view path, const AppOptions& options);

// The encoding in which a run reads a plain-text file's `content`, given whether some active
// pair has non-ASCII text (PreparedPair::nonAscii):
// - UTF-16 LE or BE for a file that starts with its byte-order mark: the passes run on the
//   file's text decoded to UTF-8, and their result is written back in UTF-16 with its mark.
// - Windows-1252 for a file that is not valid UTF-8, when some pair is non-ASCII: the file's
//   bytes are searched with the pairs rendered in that code page (PreparedPair::inWindows1252).
// - Otherwise UTF-8: the file's bytes are searched as they are, byte for byte with the pairs'
//   bytes. Without a non-ASCII pair this is every file without a UTF-16 mark, which is then
//   not read any further (a file in Windows-1252 is matched as bytes, which for ASCII pairs
//   is the same thing).
text::TextEncoding ReadingEncoding(std::string_view content, bool nonAsciiPairs);

// Whether `encoding` is one of the two UTF-16 ones, whose files' text is decoded for the passes.
inline bool IsUtf16(text::TextEncoding encoding) {
  return encoding == text::TextEncoding::Utf16Le || encoding == text::TextEncoding::Utf16Be;
}

// The reason listed for a file left unchanged because a replace text that has an occurrence in
// it cannot be written in the file's encoding; `what` the text (or its first character that
// cannot be).
std::string UnwritableReason(std::string_view what, text::TextEncoding encoding);

// Runs the configuration's pairs over its checked files with the application options in
// force. Resets `summary` (all but FileCounts, which keeps the values of entries not
// processed and grows with the file list) unless the run is refused.
RunOutcome RunReplacement(const Configuration& config, const AppOptions& options, RunHost& host,
                          Clock& clock, RunSummary& summary, const RunMode& mode = {});

}  // namespace tw
