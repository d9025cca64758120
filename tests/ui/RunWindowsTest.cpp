// Go and the windows of a run, driven through their buttons: the processing window, the
// confirmation dialog and the results window, with a fixed clock.

#include "ui/ConfirmDialog.h"
#include "ui/MainWindow.h"
#include "ui/ProcessingDialog.h"
#include "ui/QSettingsStore.h"
#include "ui/QtPrinters.h"
#include "ui/ResultsDialog.h"

#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "ui/ModalScript.h"
#include "ui/WholeRows.h"

#include <QAction>
#include <QApplication>
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

void clickButton(QWidget* window, const char* name) {
  auto* b = window->findChild<QPushButton*>(QString::fromLatin1(name));
  ASSERT_NE(b, nullptr) << name;
  QTest::mouseClick(b, Qt::LeftButton);
}

class RunWindows : public ::testing::Test {
 protected:
  RunWindows()
      : settings(QString::fromStdString(dir.file("settings.conf"))),
        form(config, options, prompts, settings),
        confirmDialog(&form),
        resultsDialog(prompts, &form),
        processingDialog(confirmDialog, &form) {
    form.setRunWindows(&processingDialog, &resultsDialog);
    form.setClock(clock);
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
  }

  void go() { QTest::mouseClick(form.controls().goButton, Qt::LeftButton); }

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
  script.then("Form5", [&](QWidget* w) {
    filesLabel = processingDialog.findChild<QLabel*>("Label1")->text();
    lastFile = processingDialog.findChild<QLabel*>("Label2")->text();
    gauge = processingDialog.findChild<QProgressBar*>("CGauge1")->value();
    summary = w->findChild<QLabel*>("Label2")->text();
    auto* list = w->findChild<QListWidget*>("ListBox1");
    for (int i = 0; i < list->count(); ++i) results << list->item(i)->text();
    auto* failures = w->findChild<QListWidget*>("ListBox2");
    for (int i = 0; i < failures->count(); ++i) failed << failures->item(i)->text();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Result"));
    EXPECT_EQ(w->findChild<QLabel*>("Label1")->text(), QStringLiteral("Textwright made "));
    clickButton(w, "Button1");
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
  EXPECT_FALSE(resultsDialog.isVisible());
}

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
  script.then("Form2", [&](QWidget* w) {
    fileLine = w->findChild<QLabel*>("Label1")->text();
    findLine = w->findChild<QLabel*>("Label2")->text();
    auto* text = w->findChild<QTextEdit*>("RichEdit1");
    selected = text->textCursor().selectedText();
    format = text->textCursor().charFormat();
    auto* form2Dialog = static_cast<ConfirmDialog*>(w);
    for (int i = 0; i < ConfirmDialog::kButtonCount; ++i)
      captions << form2Dialog->button(i)->text();
    EXPECT_EQ(form2Dialog->focusWidget(), form2Dialog->button(0));
    clickButton(w, "Button3");  // "Skip this occurence"
  });
  // Second: Enter replaces it (the first button has the focus).
  script.then("Form2", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
  // Third: Escape counts as "Skip this occurence".
  script.then("Form2", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
  // The second file: "Replace All in THIS file". The processing window behind the question
  // names the file asked about.
  QString processingLine;
  script.then("Form2", [&](QWidget* w) {
    processingLine = processingDialog.findChild<QLabel*>("Label2")->text();
    clickButton(w, "Button5");
  });
  script.then("Form5", [](QWidget* w) { clickButton(w, "Button1"); });
  go();
  EXPECT_TRUE(script.done());
  EXPECT_EQ(script.seen, (std::vector<std::string>{"Form2", "Form2", "Form2", "Form2", "Form5"}));
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
                                   "Skip All in THIS file", "Skip all in ALL files"}));
}

TEST_F(RunWindows, CancelStopsAfterTheFileInProgress) {
  std::vector<std::string> paths;
  for (int i = 0; i < 5; ++i) {
    paths.push_back(dir.write("f" + std::to_string(i) + ".txt", "x"));
    config.Files.push_back({paths.back(), true});
  }
  config.setPairs({{"x", "y"}});
  config.Flags.Confirm = true;

  ModalScript script;
  script.then("Form2", [](QWidget* w) { clickButton(w, "Button1"); });
  // While the second file asks, Cancel is pressed in the processing window, then replaced.
  script.then("Form2", [this](QWidget* w) {
    processingDialog.findChild<QPushButton*>("Button1")->click();
    clickButton(w, "Button1");
  });
  QStringList results;
  script.then("Form5", [&](QWidget* w) {
    auto* list = w->findChild<QListWidget*>("ListBox1");
    for (int i = 0; i < list->count(); ++i) results << list->item(i)->text();
    clickButton(w, "Button1");
  });
  go();
  EXPECT_TRUE(script.done());
  EXPECT_EQ(contentOf(paths[0]), "y");
  EXPECT_EQ(contentOf(paths[1]), "y");
  for (int i = 2; i < 5; ++i) EXPECT_EQ(contentOf(paths[size_t(i)]), "x") << i;
  EXPECT_EQ(results.size(), 2);
}

TEST_F(RunWindows, SaveResultsWritesTheReportTheFilterChooses) {
  const std::string a = dir.write("a.txt", "colour");
  config.Files = {{a, true}};
  config.setPairs({{"colour", "color"}});
  prompts.saveNames.push_back(SaveChoice{dir.file("summary"), 1});  // "HTML file"
  prompts.saveNames.push_back(SaveChoice{dir.file("summary"), 2});  // "All Files": text
  ModalScript script;
  script.then("Form5", [](QWidget* w) {
    clickButton(w, "Button2");
    clickButton(w, "Button2");
    clickButton(w, "Button1");
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
  script.then("Form5", [](QWidget* w) {
    for (const char* name : {"ListBox1", "ListBox2"})
      EXPECT_TRUE(test::showsEveryRowWhole(w->findChild<QListWidget*>(name))) << name;
    clickButton(w, "Button1");
  });
  resultsDialog.showResults(summary, config.Files);
  EXPECT_TRUE(script.done());
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
  script.then("Form5", [&](QWidget* w) { clickButton(w, "Button1"); });
  go();
  std::filesystem::current_path(before);
  EXPECT_TRUE(script.done());
  EXPECT_EQ(contentOf(mine), "color");
  EXPECT_EQ(contentOf(unrelated), "colour");
}

}  // namespace
}  // namespace tw
