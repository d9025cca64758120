#pragma once
// A look at a run before anything is written: which files the run would change and how many
// replacements each would get, the changes of one file as a readable diff, and the lines that
// hold the find texts. It is the run itself in a dry run (the same passes, the same RTF
// handling, the same "Replace only in first" region), so what a preview shows is what the
// run writes; the choices made in it (files left out, occurrences left alone) are handed to
// the run that writes through PreviewChoiceHost.
//
// Memory: a preview keeps one small record per file found (PreviewedFile); a file's diff is
// built when it is asked for, a page of changes at a time, from the file as it is then.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "engine/RunHost.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw {

// What a preview remembers of a file's bytes, to tell later whether the file has changed since:
// its size and a 64-bit hash of its content.
struct ContentFingerprint {
  uint64_t size = 0;
  uint64_t hash = 0;

  bool operator==(const ContentFingerprint&) const = default;
};
ContentFingerprint FingerprintOf(std::string_view content);

// The reason listed for a file that the run did not write because its content is no longer
// what the preview showed.
inline constexpr std::string_view kChangedSincePreviewReason =
    "not processed: changed since the preview";

// What a preview looks for: the changes a run would make, or only the occurrences of the find
// texts (each pair searched in the file as read; nothing replaced).
enum class PreviewKind { Replace, Find };

// One file of a preview, reported as soon as it has been searched: a file the run would
// change (Replace), a file holding an occurrence (Find), or a file that could not be read or
// searched. Files without anything to show are not reported.
struct PreviewedFile {
  size_t entry = 0;   // its position in the configuration's file list
  std::string path;   // as the file list holds it
  int64_t count = 0;  // Replace: the replacements the run would make; Find: the occurrences
  int64_t lines = 0;  // Find: the lines holding an occurrence; Replace: 0
  ContentFingerprint fingerprint;  // of the content searched
  std::string failure;             // not empty: the file was not searched, and why
};

// Receives a preview's findings, on the thread that runs the preview.
class PreviewReceiver {
 public:
  virtual ~PreviewReceiver() = default;
  virtual void found(PreviewedFile file) = 0;
  // A file's search begins (`path` as the file list holds it).
  virtual void fileStarted(const std::string& path) { (void)path; }
  // The preview's progress in whole percent, 0 to 100.
  virtual void progress(int percent) { (void)percent; }
  // Whether the user asked to stop; read as often as a run reads it, so it must be cheap.
  virtual bool cancelRequested() { return false; }
};

struct PreviewOutcome {
  bool refused = false;  // nothing was searched; refusal says why (as a run would refuse)
  std::string refusal;
  bool cancelled = false;
  int64_t searchedCount = 0;  // files whose search began
};

// Runs a preview of `config` (its pairs, switches and checked files) with `options`, as a run
// would go, and reports every file found to `receiver` in file-list order. Confirmation is
// off for the preview whatever the switches say; nothing is written, no backup is made and no
// leftover of an interrupted run is mended.
PreviewOutcome RunPreview(const Configuration& config, const AppOptions& options, PreviewKind kind,
                          PreviewReceiver& receiver);

// Whether the occurrences of a run of `config` with `options` can be chosen one by one: there
// is exactly one active pair (with several, a later pair may work on what an earlier one made)
// and no line-end conversion pass follows it.
bool OccurrencesChoosable(const Configuration& config, const AppOptions& options);

// One occurrence a run would meet in a file (one pair), in the text its pass searches: the
// file's content, or an RTF document's visible text.
struct PreviewOccurrence {
  int64_t offset = 0;  // where it begins in that text as read: the key of a choice
  int64_t length = 0;
  int64_t line = 0;      // the number of the line it begins on, from 1
  bool replaced = true;  // false: left alone by the user's choice
};

// One row of a file's diff. Its text is UTF-8: a UTF-16 file's rows are its decoded text, a
// Windows-1252 file's (a file that is not valid UTF-8) are read in that code page; offsets
// (`offset`, PreviewOccurrence::offset) stay those of the text the run searches. The rows of a
// change are its removed lines then its added lines (or, for a change the user left alone entirely
// and for Find, its lines as context), with up to `context` lines before and after it; a Gap row
// stands between changes that are not adjacent.
struct DiffRow {
  enum class Kind { Context, Removed, Added, Gap };
  Kind kind = Kind::Context;
  int64_t number = 0;  // its line number in the text before (Context, Removed) or after (Added)
  int64_t offset = 0;  // where the line begins in that text
  std::string text;    // the line without its line end (a CR before the LF is dropped too)
  // Highlighted byte ranges [begin, end) of `text`: the occurrences on a Removed or Context
  // line, the text put in their place on an Added line.
  std::vector<std::pair<int64_t, int64_t>> marks;
  // The occurrences (indexes into FileChanges::occurrences) that begin on this line, on the
  // Removed rows and Context rows of a change whose occurrences can be chosen.
  std::vector<size_t> occurrences;
  // Where each of `occurrences` lies in `text` [begin, end) (its end may lie past the line's).
  std::vector<std::pair<int64_t, int64_t>> occurrenceMarks;
};

// The changes of one file as a preview shows them, one page at a time.
struct FileChanges {
  std::string failure;             // not empty: the file could not be read or searched now, why
  ContentFingerprint fingerprint;  // of the content the changes were built from
  bool richText = false;           // the rows are an RTF document's visible text
  bool choosable = false;  // occurrences can be chosen one by one (see OccurrencesChoosable)
  int64_t count = 0;       // the replacements the run would make with these choices
                           // (Find: the occurrences)
  // Every occurrence in the file in order, when choosable (all pages, not only this one).
  std::vector<PreviewOccurrence> occurrences;
  int64_t changeCount = 0;    // the changes of the whole file (a page holds some of them)
  std::vector<DiffRow> rows;  // the changes [firstChange, firstChange + maxChanges)
};

// The changes a run of `config` with `options` would make to its file-list entry `entry`
// (checked or not), built from the file as it is now. `declined` holds the offsets of the
// occurrences the user left alone (only when choosable; others are ignored). The rows cover
// the changes from `firstChange`, at most `maxChanges` of them, with `context` lines around
// each; an unchanged line between two changes is shown once, after the first of them as far
// as `context` reaches, so that pages laid end to end show every line once. For Find the
// changes are the lines holding occurrences of any pair, each pair searched in the file as
// read. `cancelled` is read now and then; when it returns true the result is of no use.
FileChanges ChangesInFile(const Configuration& config, const AppOptions& options, size_t entry,
                          PreviewKind kind, const std::set<int64_t>& declined, int64_t firstChange,
                          int64_t maxChanges, int context = 2,
                          const std::function<bool()>& cancelled = {});

// What the user chose in a preview, for the run that writes it: each chosen file (by its
// file-list entry) with the fingerprint of the content the preview showed and the occurrences
// to leave alone.
struct PreviewChoice {
  ContentFingerprint fingerprint;
  std::set<int64_t> declined;
};
struct PreviewChoices {
  std::vector<std::pair<size_t, PreviewChoice>> files;  // in file-list order
};

// The configuration of the run that writes the chosen changes: `config` with exactly the
// chosen entries checked, and confirmation on where the run has to ask its host (some
// occurrence left alone, or confirmation on already).
Configuration ConfigurationForChoices(const Configuration& config, const PreviewChoices& choices);

// The host of the run that writes a preview's choices, in front of the run's usual host: it
// refuses a file whose content is not what the preview showed (kChangedSincePreviewReason),
// answers "skip" for an occurrence left alone, asks `inner` about the others only when
// `askUser` (confirmation was on before the preview), replaces them otherwise, and passes every
// other call on to `inner`. The answers "all in file" and "all files" of `inner` are kept
// here, so that an occurrence left alone stays alone whatever the user answers.
class PreviewChoiceHost : public RunHost {
 public:
  PreviewChoiceHost(RunHost& inner, const Configuration& config, const PreviewChoices& choices,
                    bool askUser);

  ConfirmDecision confirm(const ConfirmRequest& request) override;
  void fileStarted(const std::string& path) override;
  void progress(int percent) override { m_inner.progress(percent); }
  void yield() override { m_inner.yield(); }
  bool cancelRequested() override { return m_inner.cancelRequested(); }
  std::string refuseContent(const std::string& path, std::string_view content) override;
  void fileChanged(const std::string& path, std::string_view oldContent,
                   std::string_view newContent) override {
    m_inner.fileChanged(path, oldContent, newContent);
  }
  void fileRecorded(size_t entry, int64_t count, std::string_view failure) override {
    m_inner.fileRecorded(entry, count, failure);
  }

 private:
  RunHost& m_inner;
  const Configuration& m_config;
  const PreviewChoices& m_choices;
  bool m_askUser;
  const PreviewChoice* m_current = nullptr;  // the choice of the file in progress
  size_t m_nextChoice = 0;                   // where the search for the next file's choice begins
  RunDecision m_userDecision;                // the user's answers, when asked
};

}  // namespace tw
