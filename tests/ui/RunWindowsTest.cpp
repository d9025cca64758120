// Go and the windows of a run, driven through their buttons: the processing window, the
// confirmation dialog and the results window, with a fixed clock. The run works on a thread of
// its own; the processing window keeps answering during a long file, and Cancel stops the run
// within the file.

#include "ui/ConfirmDialog.h"
#include "ui/MainWindow.h"
#include "ui/ProcessingDialog.h"
#include "ui/QSettingsStore.h"
#include "ui/QtPrinters.h"
#include "ui/ResultsDialog.h"

#include "lang/TextBindings.h"
#include "lang/TextTable.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "ui/ModalScript.h"
#include "ui/WholeRows.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace tw {
namespace {

class FixedClock : public Clock {
 public:
  LocalMoment now() override { return {{9, 5, 7, 0}, {2026, 7, 3}}; }
};

std::string contentOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

using test::ModalScript;

void click(QAbstractButton* button) {
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
}

QStringList linesOf(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

// A timer that turns every 50 ms and notes the longest time between two of its turns: how long
// the window's thread was kept from its events (a repaint, a click on Cancel).
class EventLoopWatch {
 public:
  EventLoopWatch() {
    QObject::connect(&m_timer, &QTimer::timeout,
                     [this] { m_longest = std::max(m_longest, m_sinceTurn.restart()); });
    m_timer.start(50);
    m_sinceTurn.start();
  }
  qint64 longestGapMs() const { return m_longest; }
  void stop() { m_timer.stop(); }

 private:
  QTimer m_timer;
  QElapsedTimer m_sinceTurn;
  qint64 m_longest = 0;
};

// A file on which every pass takes long, and 41 pairs for it: lines of short words of "e"
// only, searched with patterns that begin with "e" and end with a character that never comes,
// so that each pass tries a match at almost every byte and finds none.
struct LongFile {
  std::string text;
  std::vector<StringPair> pairs;
};

LongFile makeLongFile(size_t mebibytes) {
  LongFile file;
  const std::string line = "eeee eee eeeee ee eeee eeeeee e eee\n";
  file.text.reserve(mebibytes << 20);
  while (file.text.size() + line.size() <= (mebibytes << 20)) file.text += line;
  for (char last : std::string("abcdfghijklmnopqrstuvwxyz0123456789_,;:!~"))
    file.pairs.push_back({std::string("e\\w*") + last, "x"});
  return file;
}

class RunWindows : public ::testing::Test {
 protected:
  RunWindows()
      : settings(QString::fromStdString(dir.file("settings.conf"))),
        form(config, options, prompts, settings),
        confirmDialog(&form),
        resultsDialog(prompts, &form),
        processingDialog(confirmDialog, prompts, &form) {
    form.setRunWindows(&processingDialog, &resultsDialog);
    form.setClock(clock);
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
  }

  void go() { QTest::mouseClick(form.controls().goButton, Qt::LeftButton); }

  QListWidget* failedList() const { return resultsDialog.messageList(FailedFile::Kind::Failed); }

  // What a run over one long file that the user stopped showed.
  struct Stopped {
    qint64 longestGapMs = -1;     // the window's thread, from Go to the results
    qint64 stopToResultsMs = -1;  // from the stop to the results window
    bool runningWhenStopped = false;
    QStringList results;
    QStringList failed;
  };

  // Runs `file` (a single file at `path`) and, once the run has gone on for `afterMs`, stops
  // it with `stop`.
  Stopped runAndStop(const LongFile& file, const std::string& path, int afterMs,
                     const std::function<void()>& stop) {
    config.Files = {{path, true}};
    config.setPairs(file.pairs);
    config.Flags.Regular = true;
    Stopped seen;
    QElapsedTimer sinceGo;
    qint64 stoppedAt = -1;
    EventLoopWatch watch;
    ModalScript script;
    script.then("ProcessingDialog", [&](QWidget*) {
      QTimer::singleShot(afterMs, [&] {
        seen.runningWhenStopped = processingDialog.isRunning();
        stoppedAt = sinceGo.elapsed();
        stop();
      });
    });
    script.then("ResultsDialog", [&](QWidget*) {
      watch.stop();
      seen.longestGapMs = watch.longestGapMs();
      seen.stopToResultsMs = sinceGo.elapsed() - stoppedAt;
      seen.results = linesOf(resultsDialog.resultList());
      seen.failed = linesOf(failedList());
      click(resultsDialog.okButton());
    });
    sinceGo.start();
    go();
    EXPECT_TRUE(script.done());
    return seen;
  }

  test::TempDir dir;
  Configuration config;
  AppOptions options;
  test::FakePrompts prompts;
  QSettingsStore settings;
  FixedClock clock;
  MainWindow form;
  ConfirmDialog confirmDialog;
  ResultsDialog resultsDialog;
  ProcessingDialog processingDialog;
};

TEST_F(RunWindows, GoChecksItsInputBeforeAnyWindow) {
  go();
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].text, "You didn't specify files to perform replacement at!");
  EXPECT_EQ(prompts.shown[0].caption, "Textwright");
  EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Information);

  config.Files = {{dir.file("a.txt"), true}};
  form.actions().go->trigger();
  EXPECT_EQ(prompts.shown.back().text, "You didn't specify find and replace string!");

  // A malformed "Replace only in first" count refuses the run, with a message and no window.
  config.setPairs({{"a", "b"}});
  config.Advanced.ReplaceOnlyInFirst = true;
  config.Advanced.FirstCount = "ten";
  go();
  EXPECT_EQ(prompts.shown.back().caption, "Warning");
  EXPECT_NE(prompts.shown.back().text.find("ten"), std::string::npos);
}

TEST_F(RunWindows, RunShowsProgressThenTheResults) {
  const std::string a = dir.write("a.txt", "colour and colour");
  const std::string b = dir.write("b.txt", "nothing here");
  const std::string missing = dir.file("gone.txt");
  config.Files = {{a, true}, {b, true}, {missing, true}, {dir.file("off.txt"), false}};
  config.setPairs({{"colour", "color"}});

  ModalScript script;
  QString filesLabel;
  int gauge = -1;
  QStringList results;
  QStringList failed;
  QString summary;
  QString lastFile;
  script.then("ResultsDialog", [&](QWidget* w) {
    filesLabel = processingDialog.filesToProcessLabel()->text();
    lastFile = processingDialog.currentFileLabel()->text();
    gauge = processingDialog.progressBar()->value();
    summary = resultsDialog.summaryLabel()->text();
    results = linesOf(resultsDialog.resultList());
    failed = linesOf(failedList());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Result"));
    EXPECT_EQ(resultsDialog.resultLabel()->text(), QStringLiteral("Textwright made "));
    click(resultsDialog.okButton());
  });
  go();
  EXPECT_TRUE(script.done());
  EXPECT_EQ(contentOf(a), "color and color");
  EXPECT_EQ(contentOf(a + ".rpf"), "colour and colour");
  EXPECT_EQ(filesLabel, QStringLiteral("Files to process: 3"));
  // The window follows the run a few times a second, and shows where it ended.
  EXPECT_EQ(gauge, 66);
  EXPECT_EQ(lastFile, QStringLiteral("Procesing file : b.txt"));
  EXPECT_EQ(summary, QStringLiteral("2 replacement(s) in 1 following file(s)."));
  EXPECT_EQ(results, QStringList{QString::fromStdString(a + " - 2 replacements made")});
  // The missing file is named with the reason, below the results.
  ASSERT_EQ(failed.size(), 1);
  EXPECT_TRUE(failed[0].startsWith(QString::fromStdString(missing + " - ")))
      << failed[0].toStdString();
  EXPECT_FALSE(processingDialog.isVisible());
  EXPECT_FALSE(processingDialog.isRunning());
  EXPECT_FALSE(resultsDialog.isVisible());
}

// The questions come from the run's thread; the dialog answers them on the window's.
TEST_F(RunWindows, ConfirmationsAnsweredThroughTheDialog) {
  const std::string first = dir.write("first.txt", "cat cat cat");
  const std::string second = dir.write("second.txt", "cat");
  config.Files = {{first, true}, {second, true}};
  config.setPairs({{"cat", "dog"}});
  config.Flags.Confirm = true;

  ModalScript script;
  QString fileLine, findLine, selected;
  QTextCharFormat format;
  QStringList captions;
  // First occurrence: look at the dialog, then skip it.
  script.then("ConfirmDialog", [&](QWidget*) {
    fileLine = confirmDialog.fileLine()->text();
    findLine = confirmDialog.findLine()->text();
    selected = confirmDialog.excerptView()->textCursor().selectedText();
    format = confirmDialog.excerptView()->textCursor().charFormat();
    for (int i = 0; i < ConfirmDialog::kButtonCount; ++i)
      captions << confirmDialog.button(i)->text();
    EXPECT_EQ(confirmDialog.focusWidget(), confirmDialog.button(0));
    click(confirmDialog.button(3));  // "Skip this occurence"
  });
  // Second: Enter replaces it (the first button has the focus).
  script.then("ConfirmDialog", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
  // Third: Escape counts as "Skip this occurence".
  script.then("ConfirmDialog", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
  // The second file: "Replace All in THIS file". The processing window behind the question
  // names the file asked about.
  QString processingLine;
  script.then("ConfirmDialog", [&](QWidget*) {
    processingLine = processingDialog.currentFileLabel()->text();
    click(confirmDialog.button(1));
  });
  script.then("ResultsDialog", [&](QWidget*) { click(resultsDialog.okButton()); });
  go();
  EXPECT_TRUE(script.done());
  EXPECT_EQ(script.seen,
            (std::vector<std::string>{"ConfirmDialog", "ConfirmDialog", "ConfirmDialog",
                                      "ConfirmDialog", "ResultsDialog"}));
  EXPECT_EQ(contentOf(first), "cat dog cat");
  EXPECT_EQ(contentOf(second), "dog");
  EXPECT_EQ(fileLine, QStringLiteral("File : first.txt"));
  EXPECT_EQ(processingLine, QStringLiteral("Procesing file : second.txt"));
  EXPECT_EQ(findLine, QStringLiteral("Find : cat"));
  EXPECT_EQ(selected, QStringLiteral("cat"));
  EXPECT_EQ(format.foreground().color(), QColor(Qt::red));
  EXPECT_EQ(format.fontWeight(), QFont::Bold);
  EXPECT_TRUE(format.fontUnderline());
  EXPECT_EQ(format.fontPointSize(), 10);
  EXPECT_EQ(captions, (QStringList{"Repalce this occurence", "Replace All in THIS file",
                                   "Replace All in All files", "Skip this occurence",
                                   "Skip All in THIS file", "Skip All in All files"}));
}

// Cancel pressed while a question is up: the run stops once it is answered; the file asked
// about is left as it was and listed, the files before it are written, those after untouched.
TEST_F(RunWindows, CancelDuringAQuestionLeavesThatFileAsItWas) {
  std::vector<std::string> paths;
  for (int i = 0; i < 5; ++i) {
    paths.push_back(dir.write("f" + std::to_string(i) + ".txt", "x x"));
    config.Files.push_back({paths.back(), true});
  }
  config.setPairs({{"x", "y"}});
  config.Flags.Confirm = true;

  ModalScript script;
  script.then("ConfirmDialog", [this](QWidget*) { click(confirmDialog.button(1)); });  // all in f0
  // While the second file asks, Cancel is pressed in the processing window, then "replace".
  script.then("ConfirmDialog", [this](QWidget*) {
    processingDialog.cancelButton()->click();
    click(confirmDialog.button(0));
  });
  QStringList results, failed;
  script.then("ResultsDialog", [&](QWidget*) {
    results = linesOf(resultsDialog.resultList());
    failed = linesOf(failedList());
    click(resultsDialog.okButton());
  });
  go();
  EXPECT_TRUE(script.done());
  EXPECT_EQ(contentOf(paths[0]), "y y");
  for (int i = 1; i < 5; ++i) EXPECT_EQ(contentOf(paths[size_t(i)]), "x x") << i;
  EXPECT_EQ(results, QStringList{QString::fromStdString(paths[0] + " - 2 replacements made")});
  EXPECT_EQ(failed,
            QStringList{QString::fromStdString(paths[1] + " - " + std::string(kCancelledReason))});
}

// 41 slow passes over one big file: the window's thread turns at least once a second all
// through the file (before, a pass kept it for as long as the pass took), and Cancel pressed in
// the middle of the file stops the run within a second, leaving the file exactly as it was.
TEST_F(RunWindows, LongFileKeepsTheWindowAnsweringAndCancelStopsWithinIt) {
  const LongFile file = makeLongFile(64);
  const std::string path = dir.write("big.txt", file.text);
  const Stopped seen =
      runAndStop(file, path, 1500, [this] { click(processingDialog.cancelButton()); });
  EXPECT_TRUE(seen.runningWhenStopped);
  EXPECT_LT(seen.longestGapMs, 1000);
  EXPECT_LT(seen.stopToResultsMs, 1000);
  EXPECT_TRUE(contentOf(path) == file.text);
  // No backup, nothing left beside the file.
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "big.txt" || name == "settings.conf") << name;
  }
  EXPECT_TRUE(seen.results.isEmpty());
  EXPECT_EQ(seen.failed,
            QStringList{QString::fromStdString(path + " - " + std::string(kCancelledReason))});
  RecordProperty("longest_gap_ms", int(seen.longestGapMs));
  RecordProperty("stop_to_results_ms", int(seen.stopToResultsMs));
}

// Every way to stop a run from its window does what Cancel does: the run stops within the
// file in progress, which is left as it was and listed.
TEST_F(RunWindows, EscapeClosingAndLeavingTheProgramStopTheRunAsCancelDoes) {
  const LongFile file = makeLongFile(8);
  const std::string path = dir.write("long.txt", file.text);
  struct Way {
    const char* what;
    std::function<void()> stop;
  };
  const Way ways[] = {
      {"Escape", [this] { QTest::keyClick(&processingDialog, Qt::Key_Escape); }},
      {"closing the window", [this] { processingDialog.close(); }},
      {"leaving the program, answered Yes",
       [this] {
         prompts.answers.push_back(PromptAnswer::Yes);
         EXPECT_TRUE(processingDialog.askToStop());
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.what);
    const Stopped seen = runAndStop(file, path, 300, way.stop);
    EXPECT_TRUE(seen.runningWhenStopped);
    EXPECT_LT(seen.stopToResultsMs, 1000);
    EXPECT_TRUE(contentOf(path) == file.text);
    EXPECT_EQ(seen.failed,
              QStringList{QString::fromStdString(path + " - " + std::string(kCancelledReason))});
    EXPECT_FALSE(processingDialog.isRunning());
  }
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].text, "A replacement is running. Stop it and exit?");
  EXPECT_EQ(prompts.shown[0].buttons, PromptButtons::YesNo);
  EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Question);
}

// Closing the main window during a run asks first; No lets the run go on, Yes stops it within
// the file in progress (left as it was) and closes the program once it has stopped, without
// the results window.
TEST_F(RunWindows, ClosingTheProgramDuringARunAsksStopsItAndCloses) {
  const LongFile file = makeLongFile(8);
  const std::string path = dir.write("long.txt", file.text);
  config.Files = {{path, true}};
  config.setPairs(file.pairs);
  config.Flags.Regular = true;
  config.markSaved();
  bool resultsShown = false;
  QObject::connect(&resultsDialog, &QDialog::finished, [&] { resultsShown = true; });
  QTimer::singleShot(300, [&] {
    prompts.answers = {PromptAnswer::No};
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(processingDialog.isRunning());
    prompts.answers = {PromptAnswer::Yes};
    form.close();
  });
  go();
  QTest::qWait(50);
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(resultsShown);
  EXPECT_TRUE(contentOf(path) == file.text);
  ASSERT_EQ(prompts.shown.size(), 2u);
  EXPECT_EQ(prompts.shown[1].text, "A replacement is running. Stop it and exit?");
}

// Leaving the program while a question is up: No lets the run go on; Yes answers the question
// itself and stops the run there.
TEST_F(RunWindows, LeavingTheProgramDuringAQuestionStopsTheRunOnlyOnYes) {
  // No run: nothing to ask.
  EXPECT_FALSE(processingDialog.isRunning());
  EXPECT_TRUE(processingDialog.askToStop());
  EXPECT_TRUE(prompts.shown.empty());

  const std::string first = dir.write("first.txt", "x x");
  const std::string second = dir.write("second.txt", "x");
  config.Files = {{first, true}, {second, true}};
  config.setPairs({{"x", "y"}});
  config.Flags.Confirm = true;
  prompts.answers = {PromptAnswer::No, PromptAnswer::Yes};
  ModalScript script;
  script.then("ConfirmDialog", [this](QWidget*) {
    EXPECT_TRUE(processingDialog.isRunning());
    EXPECT_FALSE(processingDialog.askToStop());
    EXPECT_TRUE(confirmDialog.isVisible());
    click(confirmDialog.button(0));
  });
  script.then("ConfirmDialog", [this](QWidget*) { EXPECT_TRUE(processingDialog.askToStop()); });
  QStringList failed;
  script.then("ResultsDialog", [&](QWidget*) {
    failed = linesOf(failedList());
    click(resultsDialog.okButton());
  });
  go();
  EXPECT_TRUE(script.done());
  EXPECT_EQ(script.seen,
            (std::vector<std::string>{"ConfirmDialog", "ConfirmDialog", "ResultsDialog"}));
  EXPECT_EQ(contentOf(first), "x x");
  EXPECT_EQ(contentOf(second), "x");
  EXPECT_EQ(failed,
            QStringList{QString::fromStdString(first + " - " + std::string(kCancelledReason))});
  EXPECT_EQ(prompts.shown.size(), 2u);
  EXPECT_FALSE(processingDialog.isRunning());
}

TEST_F(RunWindows, SaveResultsWritesTheReportTheFilterChooses) {
  const std::string a = dir.write("a.txt", "colour");
  config.Files = {{a, true}};
  config.setPairs({{"colour", "color"}});
  prompts.saveNames.push_back(SaveChoice{dir.file("summary"), 1});  // "HTML file"
  prompts.saveNames.push_back(SaveChoice{dir.file("summary"), 2});  // "All Files": text
  ModalScript script;
  script.then("ResultsDialog", [this](QWidget*) {
    click(resultsDialog.saveButton());
    click(resultsDialog.saveButton());
    click(resultsDialog.okButton());
  });
  go();
  EXPECT_TRUE(script.done());
  ASSERT_GE(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].text, "Saving replacement results");
  const std::string html = contentOf(dir.file("summary.html"));
  EXPECT_EQ(html.rfind("<HTML>\r\n", 0), 0u);
  const std::string text = contentOf(dir.file("summary.txt"));
  EXPECT_EQ(text.rfind("The replacement process began at 09:05:07, 7.3.2026\r\n", 0), 0u) << text;
  EXPECT_NE(text.find(a + " - 1 replacements made\r\n"), std::string::npos);
}

TEST_F(RunWindows, ResultsShowTheirLongestLinesWhole) {
  // The widest line first: the lists find it without measuring every line.
  const std::string longPath = "/" + std::string(60, 'd') + "/" + std::string(90, 'f') + ".htm";
  RunSummary summary;
  summary.TotalReplacements = 3;
  summary.FilesWithReplacements = 3;
  summary.ResultLines = {longPath + " - 1 replacements made", "/a.htm - 1 replacements made",
                         "/b.htm - 1 replacements made"};
  summary.FailedFiles = {{longPath, "The file is missing."}, {"/c.htm", "The file is missing."}};
  ModalScript script;
  script.then("ResultsDialog", [this](QWidget*) {
    EXPECT_TRUE(test::showsEveryRowWhole(resultsDialog.resultList()));
    EXPECT_TRUE(test::showsEveryRowWhole(failedList()));
    click(resultsDialog.okButton());
  });
  resultsDialog.showResults(summary, config.Files);
  EXPECT_TRUE(script.done());
}

// Files that could not be processed, RTF files with occurrences left alone and notes on
// processed files are listed apart, each kind under its own caption, in the summary's order;
// a kind without files shows no caption, and the lists never run into each other or into the
// buttons.
TEST_F(RunWindows, ResultsListFailuresRefusalsAndNotesApart) {
  using Kind = FailedFile::Kind;
  const FailedFile missing{"/a.txt", "the file does not exist", Kind::Failed};
  const FailedFile cancelled{"/z.txt", std::string(kCancelledReason), Kind::Failed};
  const FailedFile refused{"/b.rtf", "2 occurrence(s) not replaced: they would split a table",
                           Kind::Refused};
  const FailedFile mended{"/c.txt", "a rewrite of \"/c.txt\" was interrupted", Kind::Notice};
  const std::vector<std::vector<FailedFile>> cases = {
      {missing}, {refused}, {mended}, {mended, missing, refused, cancelled}, {}};
  const Kind kinds[] = {Kind::Failed, Kind::Refused, Kind::Notice};
  for (const std::vector<FailedFile>& files : cases) {
    SCOPED_TRACE(files.size());
    RunSummary summary;
    summary.FailedFiles = files;
    ModalScript script;
    script.then("ResultsDialog", [&](QWidget*) {
      int bottom = resultsDialog.resultList()->geometry().bottom();
      for (Kind kind : kinds) {
        QStringList expected;
        for (const FailedFile& f : files)
          if (f.kind == kind) expected << QString::fromStdString(f.path + " - " + f.reason);
        QListWidget* list = resultsDialog.messageList(kind);
        EXPECT_EQ(linesOf(list), expected) << int(kind);
        EXPECT_EQ(list->isVisible(), !expected.isEmpty()) << int(kind);
        EXPECT_EQ(resultsDialog.messageCaption(kind)->isVisible(), !expected.isEmpty());
        if (!list->isVisible()) continue;
        EXPECT_GT(resultsDialog.messageCaption(kind)->geometry().top(), bottom) << int(kind);
        EXPECT_GT(list->geometry().height(), 40);
        bottom = list->geometry().bottom();
      }
      EXPECT_LT(bottom, resultsDialog.okButton()->geometry().top());
      click(resultsDialog.okButton());
    });
    resultsDialog.showResults(summary, config.Files);
    EXPECT_TRUE(script.done());
  }
  EXPECT_EQ(resultsDialog.messageCaption(Kind::Failed)->text(),
            QStringLiteral("Files that could not be processed:"));
  EXPECT_EQ(resultsDialog.messageCaption(Kind::Refused)->text(),
            QStringLiteral("RTF files in which occurrences were left alone:"));
  EXPECT_EQ(resultsDialog.messageCaption(Kind::Notice)->text(),
            QStringLiteral("Notes on processed files:"));
}

// The three windows of a run put the language's texts into their own controls (none is left to
// the binding table), and the processing window keeps them when a run starts.
TEST_F(RunWindows, RunWindowsShowTheLanguagesTexts) {
  TextTable markers;
  for (int slot = 1; slot <= kBuiltinSlots; ++slot)
    markers.set(slot, "#" + std::to_string(slot) + "#");
  for (ShowsTexts* window :
       std::initializer_list<ShowsTexts*>{&confirmDialog, &processingDialog, &resultsDialog})
    window->applyTexts(markers);
  const std::pair<int, QString> shown[] = {
      {2, confirmDialog.fileLine()->text()},
      {39, confirmDialog.findLine()->text()},
      {40, confirmDialog.replaceLine()->text()},
      {93, confirmDialog.button(0)->text()},
      {97, confirmDialog.button(1)->text()},
      {95, confirmDialog.button(2)->text()},
      {94, confirmDialog.button(3)->text()},
      {98, confirmDialog.button(4)->text()},
      {96, confirmDialog.button(5)->text()},
      {79, processingDialog.filesToProcessLabel()->text()},
      {80, processingDialog.currentFileLabel()->text()},
      {81, processingDialog.progressLabel()->text()},
      {82, resultsDialog.saveButton()->text()},
  };
  for (const auto& [slot, text] : shown)
    EXPECT_EQ(text, QStringLiteral("#%1#").arg(slot)) << "slot " << slot;

  config.Files = {{dir.write("a.txt", "a"), true}};
  config.setPairs({{"a", "b"}});
  QString filesLabel;
  ModalScript script;
  script.then("ResultsDialog", [&](QWidget*) {
    filesLabel = processingDialog.filesToProcessLabel()->text();
    click(resultsDialog.okButton());
  });
  go();
  EXPECT_TRUE(script.done());
  EXPECT_EQ(filesLabel, QStringLiteral("#79#: 1"));
}

// Every control of the three windows has a name for screen readers.
TEST_F(RunWindows, EveryControlOfTheRunWindowsHasAnAccessibleName) {
  for (QWidget* window :
       std::initializer_list<QWidget*>{&confirmDialog, &processingDialog, &resultsDialog}) {
    for (QWidget* w : window->findChildren<QWidget*>()) {
      if (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QAbstractScrollArea*>(w) &&
          !qobject_cast<QProgressBar*>(w))
        continue;
      if (qobject_cast<QAbstractScrollArea*>(w->parentWidget())) continue;  // a view's own parts
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
      ASSERT_NE(a, nullptr);
      EXPECT_FALSE(a->text(QAccessible::Name).isEmpty())
          << window->objectName().toStdString() << " " << w->metaObject()->className();
    }
  }
}

// The start-up file given with a relative path, listing a relative file: Go changes the file
// beside the configuration, never one of the same name in the program's current folder.
TEST_F(RunWindows, GoAfterOpeningARelativeConfigurationChangesTheFileBesideIt) {
  const std::string mine = dir.write("sub/a.txt", "colour");
  const std::string unrelated = dir.write("cwd/a.txt", "colour");
  dir.write("sub/w.rpl",
            "CaseSensitive=false\r\nWholeWordsOnly=false\r\nCreateBackupFiles=true\r\n"
            "Confirm=false\r\nAnything=true\r\nRegular=false\r\nFile=a.txt,1\r\n"
            "Strings=1\r\ncolour\r\nStrings=1\r\ncolor\r\n");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.file("cwd"));
  form.openAtStart("../sub/w.rpl");
  ModalScript script;
  script.then("ResultsDialog", [&](QWidget*) { click(resultsDialog.okButton()); });
  go();
  std::filesystem::current_path(before);
  EXPECT_TRUE(script.done());
  EXPECT_EQ(contentOf(mine), "color");
  EXPECT_EQ(contentOf(unrelated), "colour");
}

}  // namespace
}  // namespace tw
