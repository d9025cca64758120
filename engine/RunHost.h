#pragma once
// The observer of a run. The engine pushes, the front end answers: the desktop program's
// processing window and confirmation dialog, the command-line tool's terminal and the tests'
// scripted host all implement this one interface. Every call comes from the run's thread.

#include "engine/ConfirmDecision.h"

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
  // Lets the front end repaint and notice Cancel; called a few times per second at most.
  virtual void yield() {}
  // Whether the user asked to stop; the run looks between files only.
  virtual bool cancelRequested() { return false; }
  // In a dry run, a file's new content instead of writing it back. (A run that writes hands
  // the new content of a big file to the disk in pieces as it is made, without holding it.)
  virtual void fileChanged(const std::string& path, std::string_view oldContent,
                           std::string_view newContent) {
    (void)path, (void)oldContent, (void)newContent;
  }
};

}  // namespace tw
