#pragma once
// The run's host on a terminal: confirmations offered on standard error and answered with
// one line of standard input each, a progress bar on standard error when that is a terminal,
// Ctrl-C as Cancel (between files), and the unified diff of every change in a dry run.

#include "cli/Cli.h"
#include "engine/RunHost.h"

#include <chrono>
#include <optional>
#include <string_view>

#include <string>

namespace tw::cli {

class TerminalHost : public RunHost {
 public:
  struct Settings {
    bool progressBar = false;     // draw a progress bar on `err` (a terminal)
    bool showDiffs = false;       // write the unified diff of every change to `out`
    bool watchInterrupt = false;  // take Ctrl-C as Cancel while the run lasts
    // Show the diff of a file that is not UTF-8 as its Windows-1252 text (the run read it so:
    // some pair is non-ASCII); else as its bytes, as the file holds them.
    bool windows1252AsText = false;
  };

  TerminalHost(CliIo& io, Settings settings);
  ~TerminalHost() override;
  TerminalHost(const TerminalHost&) = delete;
  TerminalHost& operator=(const TerminalHost&) = delete;

  ConfirmDecision confirm(const ConfirmRequest& request) override;
  void fileStarted(const std::string& path) override;
  void progress(int percent) override;
  void yield() override;
  bool cancelRequested() override;
  void fileChanged(const std::string& path, std::string_view oldContent,
                   std::string_view newContent) override;

  // Removes the progress bar from the terminal line, if one is drawn.
  void finish();

 private:
  void drawBarIfDue(bool percentChanged);
  void drawBar();
  void clearBar();

  CliIo& m_io;
  Settings m_settings;
  int m_percent = 0;
  std::string m_current;  // the path of the file being processed
  bool m_barShown = false;
  bool m_barBehind = false;  // the bar does not show the latest file or percent yet
  std::chrono::steady_clock::time_point m_drawn;  // when the bar was last drawn
  bool m_inputEnded = false;
};

// Turns one answer line into a decision: y n f s a q (an empty line, like the Enter key in
// the dialog, replaces this occurrence). Nothing for any other text.
std::optional<ConfirmDecision> ParseConfirmAnswer(std::string_view line);

}  // namespace tw::cli
