#pragma once
// ProcessingDialog, the processing window: shown modally for each run, it starts the run as soon as
// it is shown, shows the file in progress and the total progress, and closes itself as soon as the
// run has stopped.
//
// The run works on a thread of its own; this window's thread only shows what the run reports and
// answers its questions, so the window keeps answering however long one file takes. The run's
// host (RunReport) sends the file name and the percentage to the window with queued calls, a few
// times a second at most (and before every question, and at the end), so that a tree of many
// small files does not flood the window; a confirmation is asked with a blocking call to the
// window's thread, which shows the confirmation dialog and hands the answer back. Cancel (the
// button, Escape, closing the window) sets a flag that the run reads between files, between the
// passes of a file and within long passes: the run stops as soon as it reads it, and the file it
// was in is left as it was and listed as not processed. A further press changes nothing more.
//
// While the run is on, nothing changes what it reads: the window is modal (the configuration and
// the options are only read), and the summary is the run's own until the run has ended; then it
// is handed to the caller of execRun.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "config/Prompts.h"
#include "engine/Clock.h"
#include "engine/Preview.h"
#include "engine/Run.h"
#include "engine/RunSummary.h"
#include "ui/LanguageTexts.h"

#include <QDialog>
#include <QString>

#include <atomic>
#include <exception>
#include <memory>
#include <string>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tw {

class ConfirmDialog;

class ProcessingDialog : public QDialog, public ShowsTexts {
  Q_OBJECT
 public:
  // `confirm` asks the run's questions; `prompts` asks whether to stop a run (askToStop).
  ProcessingDialog(ConfirmDialog& confirm, Prompts& prompts, QWidget* parent = nullptr);
  // Stops a run still going (only when the program quits under it) and waits for it.
  ~ProcessingDialog() override;

  // Shows the window modally and runs `config` in it; returns when the run has stopped and the
  // window has closed. `summary` is the run's result (see RunReplacement); `clock` is read on
  // the run's thread. An error escaping from the run is rethrown after the window has closed.
  // With `choices` (from a preview), only the chosen files are processed, each only while its
  // content is what the preview showed, and the occurrences left alone there stay as they are.
  RunOutcome execRun(const Configuration& config, const AppOptions& options, Clock& clock,
                     RunSummary& summary, const PreviewChoices* choices = nullptr);

  // Whether a run is on: from execRun's start until the run has stopped.
  bool isRunning() const { return m_running; }

  // Asks the user whether to stop the run in progress and leave (the program is being closed).
  // Yes requests Cancel (a confirmation the run is waiting for is answered "skip this
  // occurrence", so that the run reads it at once) and returns true: the run stops at its next
  // look and the window closes, and execRun returns as after Cancel. No returns false and the
  // run goes on. True at once, without a question, when no run is on.
  bool askToStop();

  // The captions of the language: slots 79 (files to process), 80 (the file in progress) and
  // 81 (total progress).
  void applyTexts(const TextTable& table) override;

  QPushButton* cancelButton() const { return m_cancelButton; }
  QLabel* filesToProcessLabel() const { return m_filesToProcessLabel; }
  QLabel* currentFileLabel() const { return m_currentFileLabel; }
  QLabel* progressLabel() const { return m_progressLabel; }
  QProgressBar* progressBar() const { return m_progressBar; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  class RunReport;

  void startRun();
  void onCancel();
  void onRunEnded();
  void onCloseTimer();
  // Shows what the run reported last: the file in progress (none yet: empty) and the percentage.
  void showProgress(const std::string& path, int percent);
  // Stops the run without this window's event loop (the program quits under it) and waits.
  void stopRunAndWait();

  ConfirmDialog& m_confirm;
  Prompts& m_prompts;
  QLabel* m_filesToProcessLabel = nullptr;
  QLabel* m_currentFileLabel = nullptr;
  QLabel* m_progressLabel = nullptr;
  QProgressBar* m_progressBar = nullptr;
  QPushButton* m_cancelButton = nullptr;
  QTimer* m_closeTimer = nullptr;
  QString m_filesToProcessText;  // the language's texts the run's start puts back
  QString m_currentFileText;

  // The run of the current showing. The configuration, options and clock are the caller's;
  // the summary, outcome and error belong to the run's thread until it has ended.
  const Configuration* m_config = nullptr;
  const AppOptions* m_options = nullptr;
  Clock* m_clock = nullptr;
  const PreviewChoices* m_choices = nullptr;
  bool m_askUser = false;        // confirmation was on in the caller's configuration
  Configuration m_chosenConfig;  // the configuration of a run of a preview's choices
  RunSummary m_summary;
  RunOutcome m_outcome;
  std::exception_ptr m_error;
  std::unique_ptr<RunReport> m_report;
  std::thread m_worker;
  std::atomic<bool> m_cancelRequested{false};
  std::atomic<bool> m_runEnded{false};
  bool m_started = false;
  bool m_running = false;
};

}  // namespace tw
