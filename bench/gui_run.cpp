// Drives one run of the desktop program without a person, for the whole-run benchmarks: builds
// the program's windows as the program does, opens the configuration named on the command
// line, presses Go and waits until the results window is shown, then closes it and ends.
// Confirmation must be off in the configuration (nobody answers here). With --preview it opens
// the preview instead of pressing Go, waits until the preview has searched every file, prints
// how long that took and what it found, and closes the preview: nothing is written.
//
//   textwright-gui-run [--go-after MS] [--preview] CONFIG.rpl   (QT_QPA_PLATFORM=offscreen)
//
// After opening, the file list measures its entries a batch at a time while the window stays
// responsive (a fifth of a second for 20,000 entries); Go is pressed once that is done, as a
// person's would be (the program's whole time, start to end, still holds it), or MS
// milliseconds after opening with --go-after. Prints on standard output when each step was done
// after the start of main (Qt started, windows built, configuration opened, Go pressed, results
// closed), the time from Go until the processing window has closed and until the results window
// is on the screen, and the results' summary. Exit status 0 when the results came, 1 on a failed
// file, 2 on a usage error, 3 when no results came in time (a message box, say).

#include "config/Settings.h"
#include "support/MemorySettingsStore.h"
#include "ui/PreviewWindow.h"
#include "ui/ProgramWindows.h"
#include "ui/QtPrompts.h"

#include "report/Report.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// Notes the moment a window is shown or hidden.
class ShowWatch : public QObject {
 public:
  ShowWatch(QWidget* window, QElapsedTimer& clock) : m_clock(clock) {
    window->installEventFilter(this);
  }
  qint64 shownAt = -1;
  qint64 hiddenAt = -1;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && shownAt < 0) shownAt = m_clock.elapsed();
    if (event->type() == QEvent::Hide && hiddenAt < 0) hiddenAt = m_clock.elapsed();
    return QObject::eventFilter(watched, event);
  }

 private:
  QElapsedTimer& m_clock;
};

}  // namespace

int main(int argc, char* argv[]) {
  QElapsedTimer sinceStart;
  sinceStart.start();
  QApplication app(argc, argv);
  int goAfterMs = -1;
  bool preview = false;
  const char* configPath = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--go-after" && i + 1 < argc) {
      goAfterMs = std::atoi(argv[++i]);
    } else if (arg == "--preview") {
      preview = true;
    } else if (configPath == nullptr && !arg.starts_with("--")) {
      configPath = argv[i];
    } else {
      configPath = nullptr;
      break;
    }
  }
  if (configPath == nullptr) {
    std::fprintf(stderr, "usage: textwright-gui-run [--go-after MS] [--preview] CONFIG.rpl\n");
    return 2;
  }
  tw::useProgramFont();

  tw::Configuration config;
  tw::AppOptions options;
  tw::QtPrompts prompts;
  tw::MemorySettingsStore settings;  // the user's own settings are neither read nor changed
  settings.writeInteger(tw::settings::kTips, 0);

  const qint64 qtStarted = sinceStart.elapsed();
  tw::ProgramWindows windows(config, options, prompts, settings);
  tw::MainWindow& mainWindow = windows.mainWindow;
  tw::ResultsDialog& resultsDialog = windows.resultsDialog;
  tw::ProcessingDialog& processingDialog = windows.processingDialog;
  mainWindow.show();
  const qint64 windowsBuilt = sinceStart.elapsed();
  mainWindow.openAtStart(configPath);
  const qint64 opened = sinceStart.elapsed();
  if (config.Files.empty() || config.pairListEmpty()) {
    std::fprintf(stderr, "textwright-gui-run: %s holds no files or no pairs\n", configPath);
    return 2;
  }
  if (config.Flags.Confirm) {
    std::fprintf(stderr, "textwright-gui-run: %s asks for confirmation; turn it off\n", configPath);
    return 2;
  }

  QElapsedTimer clock;
  ShowWatch processing(&processingDialog, clock);
  ShowWatch results(&resultsDialog, clock);
  bool resultsCame = false;
  QObject::connect(&resultsDialog, &QDialog::finished, [&] { resultsCame = true; });

  // The results window is closed as soon as it is on the screen, as a person's OK would.
  class CloseOnShow : public QObject {
   public:
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::Show) {
        QTimer::singleShot(
            0, [w = static_cast<tw::ResultsDialog*>(watched)] { w->okButton()->click(); });
      }
      return QObject::eventFilter(watched, event);
    }
  } closer;
  resultsDialog.installEventFilter(&closer);

  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    std::fprintf(stderr, "textwright-gui-run: no results after 15 minutes\n");
    std::_Exit(3);
  });
  watchdog.start(15 * 60 * 1000);

  qint64 goPressed = -1;
  // The preview: its window polled until its search has ended.
  qint64 previewDone = -1;
  QString previewTotals;
  QTimer previewWatch;
  QObject::connect(&previewWatch, &QTimer::timeout, [&] {
    auto* window = qobject_cast<tw::PreviewWindow*>(QApplication::activeModalWidget());
    if (window == nullptr || window->isSearching()) return;
    previewDone = clock.elapsed();
    previewTotals = window->totalsLabel()->text();
    previewWatch.stop();
    window->closeButton()->click();
  });
  auto go = [&] {
    goPressed = sinceStart.elapsed();
    clock.start();
    if (preview) {
      previewWatch.start(5);
      mainWindow.actions().preview->trigger();
    } else {
      mainWindow.controls().goButton->click();
    }
    QApplication::quit();
  };
  // Idle: ten turns of the event loop in a row that each took under 2 ms.
  QTimer idle;
  QElapsedTimer turn;
  int quietTurns = 0;
  QObject::connect(&idle, &QTimer::timeout, [&] {
    quietTurns = turn.elapsed() < 2 ? quietTurns + 1 : 0;
    turn.start();
    if (quietTurns < 10) return;
    idle.stop();
    go();
  });
  if (goAfterMs >= 0) {
    QTimer::singleShot(goAfterMs, go);
  } else {
    turn.start();
    idle.start(0);
  }
  QApplication::exec();

  if (preview) {
    if (previewDone < 0) {
      std::fprintf(stderr, "textwright-gui-run: the preview never ended\n");
      return 3;
    }
    std::printf(
        "after the start of main: configuration opened %lld ms, preview opened %lld ms\n"
        "preview complete after %lld ms\n%s\n",
        static_cast<long long>(opened), static_cast<long long>(goPressed),
        static_cast<long long>(previewDone), previewTotals.toUtf8().constData());
    return 0;
  }
  if (!resultsCame || results.shownAt < 0) {
    std::fprintf(stderr, "textwright-gui-run: the results window never came\n");
    return 3;
  }
  const qint64 closed = sinceStart.elapsed();
  const tw::RunSummary& summary = mainWindow.runSummary();
  std::printf(
      "after the start of main: Qt started %lld ms, windows built %lld ms, configuration "
      "opened %lld ms, Go pressed %lld ms, results closed %lld ms\n",
      static_cast<long long>(qtStarted), static_cast<long long>(windowsBuilt),
      static_cast<long long>(opened), static_cast<long long>(goPressed),
      static_cast<long long>(closed));
  std::printf("processing window open %lld ms, results shown after %lld ms\n%s\n",
              static_cast<long long>(processing.hiddenAt), static_cast<long long>(results.shownAt),
              tw::resultSummaryLine(summary).c_str());
  const bool anyFailed = std::any_of(
      summary.FailedFiles.begin(), summary.FailedFiles.end(),
      [](const tw::FailedFile& file) { return file.kind == tw::FailedFile::Kind::Failed; });
  return anyFailed ? 1 : 0;
}
