#include "engine/Run.h"

#include "engine/ApplyPair.h"
#include "engine/ProcessRtfFile.h"
#include "engine/Region.h"
#include "text/Utf16.h"
#include "writeback/FileSite.h"
#include "writeback/LoadFile.h"
#include "writeback/Mending.h"
#include "writeback/WriteBack.h"

#include <sys/stat.h>
#include <deque>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tw {

namespace {

text::ByteOrder ByteOrderOf(text::TextEncoding utf16) {
  return utf16 == text::TextEncoding::Utf16Le ? text::ByteOrder::LittleEndian
                                              : text::ByteOrder::BigEndian;
}

enum class FileStatus { PassedOver, Processed, Failed, Cancelled };

// Changed files are staged (complete temporary files beside them, not yet flushed) and
// swapped in together: one flush of the file system per commit instead of one per file.
// A file counts as written only once its commit said so.
constexpr size_t kCommitFiles = 256;
constexpr size_t kCommitBytes = 128u << 20;

// The files a run has seen, by device and inode: 16 bytes a file in one open-addressed table
// (a node-based set costs about 56), so that a list of a million files costs little here.
class SeenFiles {
 public:
  // False when the file was seen before.
  bool insert(uint64_t device, uint64_t inode) {
    if (device == 0 && inode == 0) return !std::exchange(m_zeroSeen, true);
    if ((m_used + 1) * 8 > m_slots.size() * 7) grow();
    const size_t mask = m_slots.size() - 1;
    for (size_t i = slotOf(device, inode) & mask;; i = (i + 1) & mask) {
      Id& slot = m_slots[i];
      if (slot.device == device && slot.inode == inode) return false;
      if (slot.device == 0 && slot.inode == 0) {
        slot = {device, inode};
        ++m_used;
        return true;
      }
    }
  }

 private:
  struct Id {
    uint64_t device = 0;
    uint64_t inode = 0;
  };
  static size_t slotOf(uint64_t device, uint64_t inode) {
    uint64_t h = (inode ^ (device * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
    return static_cast<size_t>(h ^ (h >> 31));
  }
  void grow() {
    std::vector<Id> old(m_slots.empty() ? 64 : m_slots.size() * 2);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Id& id : old) {
      if (id.device == 0 && id.inode == 0) continue;
      size_t i = slotOf(id.device, id.inode) & mask;
      while (m_slots[i].device != 0 || m_slots[i].inode != 0) i = (i + 1) & mask;
      m_slots[i] = id;
    }
  }

  std::vector<Id> m_slots;  // a power of two of them; (0, 0) marks a free one
  size_t m_used = 0;
  bool m_zeroSeen = false;  // device 0, inode 0 cannot be told from a free slot
};

struct FileOutcome {
  FileStatus status = FileStatus::PassedOver;
  bool started = false;
  int64_t count = 0;
  std::string reason;
  // Occurrences of an RTF file left alone (it is still processed), one sentence per kind.
  std::vector<std::string> notes;
  // What was mended before the file was read (the leftovers of a killed run).
  std::vector<std::string> notices;
  bool staged = false;       // waiting for the commit of its new content
  writeback::FileSite site;  // where a staged file lives
};

class ReplacementRun {
 public:
  ReplacementRun(const Configuration& config, const AppOptions& options, RunHost& host,
                 const RunMode& mode, int64_t firstCount)
      : m_config(config),
        m_options(options),
        m_host(host),
        m_mode(mode),
        m_ops(mode.files != nullptr ? *mode.files : platform::systemFileOps()),
        m_firstCount(firstCount),
        m_settings(PassSettings::from(config.Flags, config.Advanced, options)),
        m_throttle(host),
        m_folders(m_ops) {
    for (const StringPair& pair : config.Pairs()) {
      m_pairs.push_back(std::make_unique<PreparedPair>(pair, m_settings));
    }
    for (const auto& pair : m_pairs) m_nonAsciiPairs = m_nonAsciiPairs || pair->nonAscii();
    if (options.SaveAsUnix) {
      m_pairs.push_back(std::make_unique<PreparedPair>(StringPair{std::string(kUnixPairFind), "\n"},
                                                       m_settings, true));
    }
  }

  int64_t startedCount() const { return m_started; }

  // Whether the user asked to stop, read now (once it said yes, the host is not asked again).
  bool cancelRequested() { return m_throttle.look(); }

  // Whether enough files or bytes are staged to commit them now.
  bool commitDue() const {
    return m_batch && (m_batch->staged() >= std::min(kCommitFiles, m_batch->room()) ||
                       m_stagedBytes >= kCommitBytes);
  }

  // Swaps every staged file in; one status per staged file, in staging order.
  std::vector<platform::IoStatus> commit() {
    std::vector<platform::IoStatus> statuses;
    if (!m_batch) return statuses;
    for (writeback::WriteBackBatch::Outcome& done : m_batch->commit())
      statuses.push_back(std::move(done.status));
    m_stagedBytes = 0;
    return statuses;
  }

  // A file written: another entry that leads to it (now perhaps under a new identity) is the
  // same file.
  void written(const writeback::FileSite& site) { remember(site); }

  // Loads an entry and starts its processing: the per-file decisions are reset, the file
  // counts as started and the host is told. False for a file passed over (missing, empty,
  // failed to load, or already processed through another entry). The file's bytes are
  // m_read's until the next file is loaded.
  bool startFile(const std::string& path, writeback::FileFacts& file, FileOutcome& outcome) {
    // The entry's folder, opened once: every step on the file from here on is relative to it.
    writeback::FileSite site;
    if (const platform::SysError located = writeback::locate(m_folders, path, site);
        located.failed()) {
      outcome.status = FileStatus::Failed;
      outcome.reason = located.errnum() == ENOENT ? "the file does not exist" : located.message();
      return false;
    }
    if (!m_mode.dryRun) {
      // A killed run's leftovers first: a torn file gets its old content back before it is read.
      const platform::IoStatus mended = m_leftovers.mend(site, outcome.notices);
      if (!mended) {
        outcome.status = FileStatus::Failed;
        outcome.reason = mended.error;
        return false;
      }
    }
    if (!load(site, file, outcome)) return false;
    if (alreadyProcessed(file)) return false;
    m_decision.startFile();
    ++m_started;
    outcome.started = true;
    m_host.fileStarted(path);
    // Refused by the host: left as it was, listed with the host's reason.
    if (std::string refusal = m_host.refuseContent(path, m_read.view()); !refusal.empty()) {
      outcome.status = FileStatus::Failed;
      outcome.reason = std::move(refusal);
      return false;
    }
    return true;
  }

  // One entry of the file list. Each pass reads the text of the one before; the last pass's
  // output goes straight into the file's staged new content as it is made (outside a dry run),
  // so that a big file is held in memory about once (a UTF-16 file twice: its bytes and its
  // text). The file is read in the encoding ReadingEncoding gives.
  FileOutcome ProcessFile(const std::string& path) {
    FileOutcome outcome;
    writeback::FileFacts file;
    if (!startFile(path, file, outcome)) return outcome;

    const std::string_view content = m_read.view();
    const text::TextEncoding encoding = ReadingEncoding(content, m_nonAsciiPairs);
    const bool decoded = IsUtf16(encoding);
    const bool windows1252 = encoding == text::TextEncoding::Windows1252;
    // A UTF-16 file's passes run on its text in UTF-8; its "Replace only in first" region is
    // counted there too (lines, or bytes of that UTF-8 text), like a UTF-8 file's.
    // (ReadingEncoding gives UTF-16 only for bytes that begin with its two-byte mark.)
    text::Utf16Reader::Text decodedText;
    if (decoded) decodedText = m_utf16.read(content.substr(2), ByteOrderOf(encoding));
    const std::string_view source = decoded ? decodedText.text : content;
    const int64_t h = RegionLength(source, m_config.Advanced.ReplaceOnlyInFirst, m_firstCount,
                                   m_config.Advanced.FirstUnit);
    const std::string_view rest = source.substr(static_cast<size_t>(h));
    PassContext context{m_host, m_decision, m_throttle, m_settings, path, windows1252};
    std::string_view text = source.substr(0, static_cast<size_t>(h));
    std::string* textHolder = nullptr;  // the pass buffer that holds `text`, if any
    const PreparedPair* last = nullptr;
    for (const auto& pair : m_pairs) {
      if (pair->active()) last = pair.get();
    }
    // Until the sink's content is committed the file itself is untouched: a file stopped by
    // Cancel is left exactly as it was (the sink removes what it staged).
    StagingSink staging(*this, file, content);
    std::optional<Utf16Sink> utf16;
    if (decoded) utf16.emplace(staging, encoding, decodedText.trailing);
    PassSink& sink = utf16 ? static_cast<PassSink&>(*utf16) : staging;
    auto sinkFailed = [&] { return staging.failed() || (utf16 && utf16->failed()); };
    // Why the new content did not reach the file: the file's own write failed (a backup
    // refused, a full disk) and says why, or the text could not be encoded.
    auto sinkFailure = [&](FileOutcome& failed) -> FileOutcome& {
      if (!staging.failed() && utf16 && utf16->failed()) return unwritable(failed, {}, encoding);
      return failedWrite(failed, staging.error());
    };
    bool streamed = false;  // the last pass made replacements and gave its output to `sink`
    bool firstPass = true;
    for (const auto& listed : m_pairs) {
      if (!listed->active()) continue;
      if (!std::exchange(firstPass, false) && m_throttle.look()) return cancelled(outcome);
      const PreparedPair& pair = windows1252 ? listed->inWindows1252() : *listed;
      // A replace text the file's encoding cannot hold: the file is left as it was, if the pair
      // has anything to replace in it.
      const bool cannotWrite =
          windows1252 ? !pair.unwritable().empty() : decoded && !pair.replacementIsUtf8();
      if (cannotWrite) {
        if (!pair.active() || !pair.searcher().findFrom(text, 0)) continue;
        return unwritable(outcome, pair.unwritable(), encoding);
      }
      const bool toSink = listed.get() == last && !m_mode.dryRun;
      std::string& output = textHolder == &m_pass[0] ? m_pass[1] : m_pass[0];
      const int64_t made = ApplyPair(text, pair, context, output, toSink ? &sink : nullptr);
      if (sinkFailed()) return sinkFailure(outcome);
      if (m_throttle.cancelled()) return cancelled(outcome);
      if (made == 0) continue;  // a pass without replacements leaves its text as it was
      outcome.count += made;
      streamed = toSink;
      if (streamed) break;
      text = output;
      textHolder = &output;
    }
    outcome.status = FileStatus::Processed;
    if (outcome.count == 0) {
      staging.abandon();
      return outcome;
    }
    // A changed file that is not UTF-8 is noted with the encoding it was read (and written) in.
    if (decoded || windows1252) {
      outcome.notices.push_back(std::string(m_mode.dryRun ? "read in " : "read and written in ") +
                                std::string(text::encodingName(encoding)));
    }
    if (m_mode.dryRun) {
      // The host is given the file's bytes before and after, as they would be written.
      std::string result(text);
      result.append(rest);
      if (decoded) {
        const text::EncodedText bytes =
            text::encodeText({std::move(result), std::string(decodedText.trailing)}, encoding);
        if (!bytes.ok()) return unwritable(outcome, {}, encoding);
        m_host.fileChanged(file.listedPath, content, bytes.bytes);
        return outcome;
      }
      m_host.fileChanged(file.listedPath, content, result);
      return outcome;
    }
    // The last pass gave its output to the file (nothing at all for an empty one), or it
    // found nothing to change in the text before it.
    if (!staging.took() && !sink.take(streamed ? std::string_view() : text))
      return sinkFailure(outcome);
    if (!sink.take(rest) || (utf16 && !utf16->finish())) return sinkFailure(outcome);
    staged(file, staging.finish(), staging.written(), outcome);
    return outcome;
  }

  // One RTF entry, processed as rich text: its visible text is searched, and replacements
  // are spliced into the document so that its formatting stays.
  FileOutcome ProcessRtfFile(const std::string& path) {
    FileOutcome outcome;
    writeback::FileFacts file;
    if (!startFile(path, file, outcome)) return outcome;

    std::vector<const PreparedPair*> pairs;
    for (size_t i = 0; i < m_pairs.size(); ++i) {
      // The Unix pair converts line ends; an RTF document's paragraph marks are none.
      if (m_options.SaveAsUnix && i + 1 == m_pairs.size()) break;
      pairs.push_back(m_pairs[i].get());
    }
    PassContext context{m_host, m_decision, m_throttle, m_settings, path};
    const std::string_view content = m_read.view();
    RtfFileResult rtf = ReplaceInRtf(std::string(content), pairs, context);
    if (rtf.cancelled) return cancelled(outcome);
    if (!rtf.failure.empty()) {
      outcome.status = FileStatus::Failed;
      outcome.reason = rtf.failure;
      return outcome;
    }
    outcome.status = FileStatus::Processed;
    outcome.count = rtf.count;
    outcome.notes = std::move(rtf.notReplaced);
    if (!rtf.changed) return outcome;
    if (m_mode.dryRun) {
      m_host.fileChanged(file.listedPath, content, rtf.rtf);
      return outcome;
    }
    staged(file, batch().add(file, content, rtf.rtf), rtf.rtf.size(), outcome);
    return outcome;
  }

 private:
  // The new content of a file, taken piece by piece: staged in a temporary file beside it,
  // begun with the first piece. A file that has to be rewritten in place takes its new
  // content whole, so the pieces are gathered in memory for it.
  class StagingSink : public PassSink {
   public:
    StagingSink(ReplacementRun& run, const writeback::FileFacts& file, std::string_view old)
        : m_run(run), m_file(file), m_old(old) {}
    StagingSink(const StagingSink&) = delete;
    StagingSink& operator=(const StagingSink&) = delete;
    ~StagingSink() override { abandon(); }

    bool take(std::string_view piece) override {
      if (!m_status) return false;
      if (!m_begun) {
        m_begun = true;
        m_status = m_run.batch().beginStaged(m_file, m_whole);
        if (!m_status) return false;
        m_streaming = !m_whole;
      }
      m_written += piece.size();
      if (m_whole) {
        m_content.append(piece);
        return true;
      }
      m_status = m_run.batch().appendStaged(piece);
      if (!m_status) m_streaming = false;
      return m_status.ok;
    }
    bool took() const { return m_begun; }
    bool failed() const { return !m_status; }
    const std::string& error() const { return m_status.error; }
    size_t written() const { return m_written; }

    writeback::WriteBackBatch::Added finish() {
      if (m_whole) {
        writeback::WriteBackBatch::Added added = m_run.batch().add(m_file, m_old, m_content);
        std::string().swap(m_content);
        return added;
      }
      m_streaming = false;
      return m_run.batch().finishStaged();
    }
    void abandon() {
      if (m_streaming) m_run.batch().abandonStaged();
      m_streaming = false;
    }

   private:
    ReplacementRun& m_run;
    const writeback::FileFacts& m_file;
    std::string_view m_old;
    platform::IoStatus m_status;
    bool m_begun = false;
    bool m_whole = false;  // rewritten in place: the content is gathered here
    bool m_streaming = false;
    std::string m_content;
    size_t m_written = 0;
  };

  // The new content of a UTF-16 file, made of the passes' UTF-8 text: each piece is encoded
  // as it comes and handed on, the byte-order mark before the first piece and the file's odd
  // last byte, if any, after the last. A piece may end inside a character: its first bytes
  // wait for the next piece. (Encoding piece by piece keeps a big file's new content out of
  // memory, as for any other file.)
  class Utf16Sink : public PassSink {
   public:
    Utf16Sink(PassSink& out, text::TextEncoding encoding, std::string_view trailing)
        : m_out(out), m_order(ByteOrderOf(encoding)), m_trailing(trailing) {}

    bool take(std::string_view piece) override {
      if (m_failed) return false;
      if (!m_held.empty()) {
        // The bytes that complete the character the last piece ended in.
        const size_t missing = SequenceLength(m_held.front()) - m_held.size();
        const size_t taken = std::min(missing, piece.size());
        m_held.append(piece.substr(0, taken));
        piece.remove_prefix(taken);
        if (taken < missing) return true;
        const std::string held = std::exchange(m_held, {});
        if (!give(held)) return false;
      }
      const size_t whole = piece.size() - IncompleteTail(piece);
      m_held.assign(piece.substr(whole));
      return give(piece.substr(0, whole));
    }

    // Hands on the rest: a character cut short at the end is not text and fails.
    bool finish() {
      if (m_failed) return false;
      if (!m_held.empty() && !give(std::exchange(m_held, {}))) return false;
      if (!m_begun && !give({})) return false;
      if (!m_trailing.empty()) m_failed = !m_out.take(m_trailing);
      return !m_failed;
    }
    bool failed() const { return m_failed; }

   private:
    // The text encoded at a time, and handed on as one write: a stretch and its encoding stay
    // in the processor's cache, and the one buffer they are encoded into is made once.
    static constexpr size_t kStretch = size_t{256} << 10;

    static size_t SequenceLength(char lead) {
      const auto b = static_cast<unsigned char>(lead);
      return b >= 0xF0 && b <= 0xF7   ? 4
             : b >= 0xE0 && b <= 0xEF ? 3
             : b >= 0xC0 && b <= 0xDF ? 2
                                      : 1;
    }
    // How many bytes at the end of `piece` begin a character that goes on past it.
    static size_t IncompleteTail(std::string_view piece) {
      for (size_t back = 1; back <= std::min<size_t>(3, piece.size()); ++back) {
        const char c = piece[piece.size() - back];
        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;
        return SequenceLength(c) > back ? back : 0;
      }
      return 0;
    }
    // Encodes `text` (whole characters) and hands it on, a stretch at a time, the mark
    // before the first.
    bool give(std::string_view text) {
      if (!m_bytes) m_bytes.reset(new char[2 + 2 * kStretch]);  // not zero-filled: overwritten
      size_t mark = 0;
      if (!std::exchange(m_begun, true)) {
        const std::string_view bom =
            m_order == text::ByteOrder::LittleEndian ? "\xFF\xFE" : "\xFE\xFF";
        bom.copy(m_bytes.get(), bom.size());
        mark = bom.size();
      }
      do {
        size_t cut = std::min(kStretch, text.size());
        // Not inside a character (a surrogate's three bytes may be split from its partner).
        while (cut < text.size() && cut > 0 &&
               (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
          --cut;
        if (cut == 0) cut = std::min(kStretch, text.size());
        const text::WrittenUtf16 written =
            text::writeUtf16(text.substr(0, cut), m_order, m_bytes.get() + mark);
        if (!written.ok()) return !(m_failed = true);
        const size_t size = static_cast<size_t>(written.end - m_bytes.get());
        if (size != 0 && !m_out.take({m_bytes.get(), size})) return !(m_failed = true);
        text.remove_prefix(cut);
        mark = 0;
      } while (!text.empty());
      return true;
    }

    PassSink& m_out;
    text::ByteOrder m_order;
    std::string_view m_trailing;
    std::string m_held;               // the first bytes of a character the last piece ended in
    std::unique_ptr<char[]> m_bytes;  // the encoding of the stretch being handed on
    bool m_begun = false;
    bool m_failed = false;
  };

  writeback::WriteBackBatch& batch() {
    if (!m_batch) {
      writeback::WriteBackOptions writeOptions;
      writeOptions.createBackup = m_config.Flags.CreateBackupFiles;
      writeOptions.keepDate = m_options.SaveOldDate;
      writeOptions.keepAttributes = m_options.SaveOldAttributes;
      writeOptions.removeOlderBackup = true;  // else a restore would roll back two runs
      m_batch.emplace(writeOptions, m_ops);
    }
    return *m_batch;
  }

  // A file whose processing Cancel stopped: nothing of it was written.
  FileOutcome& cancelled(FileOutcome& outcome) {
    outcome.status = FileStatus::Cancelled;
    outcome.count = 0;
    outcome.reason = std::string(kCancelledReason);
    outcome.notes.clear();
    return outcome;
  }

  // A file left unchanged because its new text cannot be written in its encoding; `what` is
  // the first character that cannot be, when known.
  FileOutcome& unwritable(FileOutcome& outcome, std::string_view what,
                          text::TextEncoding encoding) {
    outcome.status = FileStatus::Failed;
    outcome.count = 0;
    outcome.reason = UnwritableReason(what, encoding);
    return outcome;
  }

  FileOutcome& failedWrite(FileOutcome& outcome, const std::string& error) {
    outcome.status = FileStatus::Failed;
    outcome.reason = error.empty() ? "the file could not be written" : error;
    return outcome;
  }

  // Loads an entry; false when it is passed over (empty) or failed (reason set).
  bool load(const writeback::FileSite& site, writeback::FileFacts& file, FileOutcome& outcome) {
    std::string error;
    switch (writeback::loadFile(site, file, m_read, error)) {
      case writeback::LoadResult::Empty:
        return false;
      case writeback::LoadResult::Missing:
        outcome.status = FileStatus::Failed;
        outcome.reason = error.empty() ? "the file does not exist" : error;
        return false;
      case writeback::LoadResult::Failed:
        outcome.status = FileStatus::Failed;
        outcome.reason = error.empty() ? "the file could not be read" : error;
        return false;
      case writeback::LoadResult::Loaded:
        break;
    }
    return true;
  }

  // Notes how handing a changed file to the batch ended: staged (the outcome waits for the
  // commit), written at once, or failed.
  void staged(const writeback::FileFacts& file, const writeback::WriteBackBatch::Added& added,
              size_t bytes, FileOutcome& outcome) {
    if (!added) {
      failedWrite(outcome, added.status.error);
      return;
    }
    if (!added.staged) {
      // Written at once (a file with several hard links is rewritten in place).
      remember(file.site);
      return;
    }
    outcome.staged = true;
    outcome.site = file.site;
    m_stagedBytes += bytes;
  }

  // True when this file was already processed in this run through another entry.
  bool alreadyProcessed(const writeback::FileFacts& file) {
    return !m_seenIds.insert(file.identity.id.device, file.identity.id.inode);
  }

  // A rewritten file may have a new identity; another entry leading to it is the same file.
  void remember(const writeback::FileSite& site) {
    struct stat info {};
    if (site.folder && site.folder->look(site.name, info).ok()) {
      m_seenIds.insert(static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino));
    }
  }

  const Configuration& m_config;
  const AppOptions& m_options;
  RunHost& m_host;
  const RunMode& m_mode;
  platform::FileOps& m_ops;
  int64_t m_firstCount;
  PassSettings m_settings;
  YieldThrottle m_throttle;
  RunDecision m_decision;
  std::vector<std::unique_ptr<PreparedPair>> m_pairs;
  bool m_nonAsciiPairs = false;  // some pair has non-ASCII text (PreparedPair::nonAscii)
  std::optional<writeback::WriteBackBatch> m_batch;
  writeback::ReadBuffer m_read;      // the bytes of the file being processed
  std::string m_pass[2];             // the passes' outputs, reused from file to file
  text::Utf16Reader m_utf16;         // the text of the UTF-16 file being processed
  writeback::FolderCache m_folders;  // the folders of the run's files, each opened once
  writeback::Leftovers m_leftovers;
  size_t m_stagedBytes = 0;
  // Who each file processed is (and, once rewritten, who it became), whatever its path.
  SeenFiles m_seenIds;
  int64_t m_started = 0;
};

// The reason listed for a file whose processing threw.
std::string FailureOfException(const std::string& path, const std::exception& e) {
  std::string why = dynamic_cast<const std::bad_alloc*>(&e) != nullptr ||
                            dynamic_cast<const std::length_error*>(&e) != nullptr
                        ? "it is too large to be processed in memory"
                        : e.what();
  return "Cannot process \"" + path + "\": " + why;
}

}  // namespace

text::TextEncoding ReadingEncoding(std::string_view content, bool nonAsciiPairs) {
  if (content.starts_with("\xFF\xFE")) return text::TextEncoding::Utf16Le;
  if (content.starts_with("\xFE\xFF")) return text::TextEncoding::Utf16Be;
  if (nonAsciiPairs && !text::isValidUtf8(content)) return text::TextEncoding::Windows1252;
  return text::TextEncoding::Utf8;
}

std::string UnwritableReason(std::string_view what, text::TextEncoding encoding) {
  const std::string name(text::encodingName(encoding));
  if (what.empty())
    return "not changed: the new text cannot be written in this file's encoding (" + name + ")";
  return "not changed: \"" + std::string(what) + "\" cannot be written in this file's encoding (" +
         name + ")";
}

std::string ResultLine(const std::string& path, int64_t count) {
  return path + " - " + std::to_string(count) + " replacements made";
}

bool HasExtension(std::string_view path, std::string_view extension) {
  if (path.size() < extension.size()) return false;
  const std::string_view tail = path.substr(path.size() - extension.size());
  for (size_t i = 0; i < tail.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != extension[i]) return false;
  }
  return true;
}

FileTreatment TreatmentOf(std::string_view path, const AppOptions& options) {
  if (options.RtfAsRichText && HasExtension(path, ".rtf")) return FileTreatment::RichText;
  if (HasExtension(path, ".mp3")) return FileTreatment::PassedOver;
  return FileTreatment::PlainText;
}

RunOutcome RunReplacement(const Configuration& config, const AppOptions& options, RunHost& host,
                          Clock& clock, RunSummary& summary, const RunMode& mode) {
  RunOutcome outcome;
  const std::optional<int64_t> firstCount = RunFirstCount(config.Advanced);
  if (!firstCount) {
    outcome.refused = true;
    outcome.refusal = FirstCountRefusal(config.Advanced.FirstCount);
    return outcome;
  }

  summary.ResultLines.clear();
  summary.FailedFiles.clear();
  summary.TotalReplacements = 0;
  summary.FilesWithReplacements = 0;
  if (summary.FileCounts.size() < config.Files.size())
    summary.FileCounts.resize(config.Files.size(), 0);

  for (const FileEntry& entry : config.Files) outcome.checkedCount += entry.Checked ? 1 : 0;
  host.progress(0);
  const LocalMoment begin = clock.now();
  summary.BeginTime = begin.time;
  summary.BeginDate = begin.date;

  ReplacementRun run(config, options, host, mode, *firstCount);

  // Each checked entry's outcome is recorded in list order, a changed file once the commit
  // of its new content has ended.
  struct Pending {
    size_t index;
    FileOutcome file;
  };
  std::deque<Pending> pending;
  auto record = [&](Pending& done) {
    const std::string& path = config.Files[done.index].Path;
    FileOutcome& file = done.file;
    for (const std::string& notice : file.notices)
      summary.FailedFiles.push_back({path, notice, FailedFile::Kind::Notice});
    if (file.status == FileStatus::Failed || file.status == FileStatus::Cancelled) {
      summary.FailedFiles.push_back({path, file.reason});
      host.fileRecorded(done.index, 0, file.reason);
      return;
    }
    if (file.status != FileStatus::Processed) return;
    host.fileRecorded(done.index, file.count, {});
    for (const std::string& note : file.notes)
      summary.FailedFiles.push_back({path, note, FailedFile::Kind::Refused});
    if (file.count > 0) {
      ++summary.FilesWithReplacements;
      summary.TotalReplacements += file.count;
      summary.ResultLines.push_back(ResultLine(path, file.count));
    }
    summary.FileCounts[done.index] = file.count;
  };
  auto recordFinished = [&](bool commitNow) {
    if (commitNow || run.commitDue()) {
      std::vector<platform::IoStatus> statuses = run.commit();
      size_t next = 0;
      for (Pending& waiting : pending) {
        if (!waiting.file.staged) continue;
        waiting.file.staged = false;
        const platform::IoStatus status =
            next < statuses.size() ? statuses[next++]
                                   : platform::IoStatus::failure("the file was not written");
        if (!status) {
          waiting.file.status = FileStatus::Failed;
          waiting.file.reason =
              status.error.empty() ? "the file could not be written" : status.error;
        } else {
          run.written(waiting.file.site);
          waiting.file.site = {};
        }
      }
    }
    while (!pending.empty() && !pending.front().file.staged) {
      record(pending.front());
      pending.pop_front();
    }
  };

  bool anyHandled = false;
  for (size_t index = 0; index < config.Files.size(); ++index) {
    const FileEntry& entry = config.Files[index];
    if (!entry.Checked) continue;
    // Cancel read between files; a file it stops in the middle is left as it was.
    if (anyHandled && run.cancelRequested()) {
      outcome.cancelled = true;
      break;
    }
    anyHandled = true;
    const FileTreatment treatment = TreatmentOf(entry.Path, options);
    if (treatment == FileTreatment::PassedOver) continue;
    const bool richText = treatment == FileTreatment::RichText;

    FileOutcome file;
    try {
      file = richText ? run.ProcessRtfFile(entry.Path) : run.ProcessFile(entry.Path);
    } catch (const std::exception& e) {
      // One file never ends the run (a document too large for memory, say): it is listed.
      file = FileOutcome{};
      file.status = FileStatus::Failed;
      file.started = true;
      file.reason = FailureOfException(entry.Path, e);
    }
    const bool stopped = file.status == FileStatus::Cancelled;
    if (file.started && !stopped) {
      host.progress(static_cast<int>(run.startedCount() * 100 / outcome.checkedCount));
    }
    pending.push_back({index, std::move(file)});
    if (stopped) {
      outcome.cancelled = true;
      break;
    }
    // With confirmation on, what was answered is on disk before the next question.
    recordFinished(config.Flags.Confirm && !mode.dryRun);
  }
  recordFinished(true);
  outcome.startedCount = run.startedCount();

  const LocalMoment end = clock.now();
  summary.EndTime = end.time;
  summary.EndDate = end.date;
  return outcome;
}

}  // namespace tw
