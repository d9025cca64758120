#pragma once
// The observer of a run. The engine pushes, the front end answers: the desktop program's
// processing window and confirmation dialog, the command-line tool's terminal and the tests'
// scripted host all implement this one interface.
//
// Threads: every call comes from the thread that runs RunReplacement, one call at a time, and
// none after it has returned. That thread need not be the front end's: the desktop program runs
// the replacement on a worker thread, so its host forwards the file name and progress to the
// window with queued calls and asks confirm() through a blocking call to the window's thread;
// only cancelRequested() reads state that another thread writes (an atomic flag). The engine
// itself touches no object of the front end.

#include "engine/ConfirmDecision.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tw {

class RunHost {
 public:
  virtual ~RunHost() = default;

  // Asks about one occurrence; called only while the decision asks (confirmation on). A
  // dialog closed without a button answers SkipThis.
  virtual ConfirmDecision confirm(const ConfirmRequest& request) = 0;
  // A file's processing begins (`path` as the file list holds it).
  virtual void fileStarted(const std::string& path) { (void)path; }
  // The run's progress in whole percent, 0 to 100.
  virtual void progress(int percent) { (void)percent; }
  // Lets a front end on the run's thread catch up (draw its progress); called a few times per
  // second at most, while the run is busy.
  virtual void yield() {}
  // Whether the user asked to stop. Read between files, between the passes of a file and
  // within long passes (every 64 KiB scanned, every 64 occurrences, after every question), so
  // it must be cheap: a relaxed atomic load. Once it has returned true it is not called again.
  virtual bool cancelRequested() { return false; }
  // Called once a file has been read, right after fileStarted and before its passes, with its
  // whole content: a reason not to process the file (it is then left as it was and listed
  // with that reason), or nothing.
  virtual std::string refuseContent(const std::string& path, std::string_view content) {
    (void)path, (void)content;
    return {};
  }
  // A checked entry's outcome once it is final, in list order (a changed file once its new
  // content is on disk): the replacements made (in a dry run, that it would make), or why it
  // was not processed (`failure` not empty; kCancelledReason for the file Cancel stopped).
  // Entries passed over quietly (empty, ".mp3", reached twice) are not reported.
  virtual void fileRecorded(size_t entry, int64_t count, std::string_view failure) {
    (void)entry, (void)count, (void)failure;
  }
  // In a dry run, a file's new content instead of writing it back. (A run that writes hands
  // the new content of a big file to the disk in pieces as it is made, without holding it.)
  virtual void fileChanged(const std::string& path, std::string_view oldContent,
                           std::string_view newContent) {
    (void)path, (void)oldContent, (void)newContent;
  }
};

}  // namespace tw
