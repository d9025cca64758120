#pragma once
// ProcessingDialog, the processing window: shown modally for each run, it starts the run as soon as
// it is shown, shows the file in progress and the total progress, and closes itself shortly after
// the run has ended. It is the run's host: confirmations go to the confirmation dialog, and the
// window stays responsive through the run's throttled yield. The file name and the gauge follow the
// run a few times a second (and before every question, and at the end), not at every file: on a
// tree of many small files that keeps the window's cost out of the run. Cancel stops the run after
// the file in progress; a second press also closes the window as soon as it stops.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "engine/Clock.h"
#include "engine/Run.h"
#include "engine/RunHost.h"
#include "engine/RunSummary.h"

#include <QDialog>
#include <QElapsedTimer>

#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tw {

class ConfirmDialog;

class ProcessingDialog : public QDialog, public RunHost {
  Q_OBJECT
 public:
  ProcessingDialog(ConfirmDialog& confirm, QWidget* parent = nullptr);

  // Shows the window modally and runs `config` in it; returns when the window has closed.
  // An error escaping from the run is rethrown after the window has closed.
  RunOutcome execRun(const Configuration& config, const AppOptions& options, Clock& clock,
                     RunSummary& summary);

  bool running() const { return m_running; }

  // RunHost
  ConfirmDecision confirm(const ConfirmRequest& request) override;
  void fileStarted(const std::string& path) override;
  void progress(int percent) override;
  void yield() override;
  bool cancelRequested() override { return m_cancelRequested; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void FormActivate();
  void Button1Click();
  void Timer1Timer();
  // Shows the latest file and percentage and lets the window repaint and notice Cancel, when
  // the last time is long enough ago.
  void refreshIfDue();
  void showLatest();

  ConfirmDialog& m_confirm;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QProgressBar* CGauge1 = nullptr;
  QPushButton* Button1 = nullptr;
  QTimer* Timer1 = nullptr;

  // The run of the current showing.
  const Configuration* m_config = nullptr;
  const AppOptions* m_options = nullptr;
  Clock* m_clock = nullptr;
  RunSummary* m_summary = nullptr;
  RunOutcome m_outcome;
  std::exception_ptr m_error;
  bool m_started = false;
  bool m_running = false;
  bool m_cancelRequested = false;
  // What the run reported last, and when the window last showed it.
  std::string m_latestPath;
  int m_latestPercent = 0;
  bool m_latestShown = true;
  QElapsedTimer m_sinceRefresh;
};

}  // namespace tw
