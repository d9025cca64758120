// The preview and Find windows, opened from the main window by their shortcuts and driven with
// the mouse and the keyboard: what the preview shows is what "Replace in ticked files" writes,
// files and occurrences left unticked stay as they were, a file changed since the preview is
// left alone and listed, and Find lists lines and opens a file in browse mode.

#include "ui/BrowseMode.h"
#include "ui/ConfirmDialog.h"
#include "ui/DiffView.h"
#include "ui/MainWindow.h"
#include "ui/PreviewWindow.h"
#include "ui/ProcessingDialog.h"
#include "ui/QSettingsStore.h"
#include "ui/ResultsDialog.h"

#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "ui/ModalScript.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItem>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tw {
namespace {

using test::ModalScript;

std::string contentOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

QStringList linesOf(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

class PreviewWindows : public ::testing::Test {
 protected:
  PreviewWindows()
      : settings(QString::fromStdString(dir.file("settings.conf"))),
        form(config, options, prompts, settings),
        confirmDialog(&form),
        resultsDialog(prompts, &form),
        processingDialog(confirmDialog, prompts, &form) {
    form.setRunWindows(&processingDialog, &resultsDialog);
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
  }

  // The shortcuts of the Files menu's entries.
  void openPreview() { QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier); }
  void openFind() { QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier); }

  static PreviewWindow* previewOf(QWidget* window) {
    auto* preview = qobject_cast<PreviewWindow*>(window);
    EXPECT_NE(preview, nullptr);
    if (preview) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return !preview->isSearching(); }, 10000));
    }
    return preview;
  }

  // The file-list row showing `path` as the user sees it (the proxy's row).
  static int rowOf(PreviewWindow* preview, const std::string& path) {
    QAbstractItemModel* model = preview->fileList()->model();
    for (int row = 0; row < model->rowCount(); ++row)
      if (model->index(row, 0).data(PreviewWindow::kPathRole).toString() ==
          QString::fromStdString(path))
        return row;
    return -1;
  }

  // The texts of one column of the file list; the file column as its full path.
  static QStringList column(PreviewWindow* preview, int column) {
    QStringList texts;
    QAbstractItemModel* model = preview->fileList()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
      const QModelIndex cell = model->index(row, column);
      texts << (column == 0 ? cell.data(PreviewWindow::kPathRole) : cell.data()).toString();
    }
    return texts;
  }

  // Clicks the row of `path` in the file list and waits for its diff.
  static void selectFile(PreviewWindow* preview, const std::string& path) {
    const int row = rowOf(preview, path);
    ASSERT_GE(row, 0) << path;
    QTableView* list = preview->fileList();
    const QRect cell = list->visualRect(list->model()->index(row, 1));
    QSignalSpy shown(preview, &PreviewWindow::changesShown);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.count() > 0; }, 10000));
  }

  // The texts of the diff's top-level rows: "<sign> <line number>: <text>".
  static QStringList diffRows(PreviewWindow* preview) {
    QStringList rows;
    QAbstractItemModel* model = preview->diffView()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
      rows << QStringLiteral("%1 %2: %3")
                  .arg(model->index(row, 1).data().toString(),
                       model->index(row, 0).data().toString(),
                       model->index(row, 2).data().toString());
    }
    return rows;
  }

  test::TempDir dir;
  Configuration config;
  AppOptions options;
  test::FakePrompts prompts;
  QSettingsStore settings;
  MainWindow form;
  ConfirmDialog confirmDialog;
  ResultsDialog resultsDialog;
  ProcessingDialog processingDialog;
};

TEST_F(PreviewWindows, WritesExactlyWhatWasShownAndLeavesTheUntickedAlone) {
  const std::string a = dir.write("a.txt", "one colour, two colour\nnone here\ncolour\n");
  const std::string b = dir.write("b.txt", "colour\n");
  const std::string c = dir.write("c.txt", "nothing to change\n");
  config.Files = {{a, true}, {b, true}, {c, true}};
  config.setPairs({{"colour", "color"}});
  config.Flags.CreateBackupFiles = true;
  config.Flags.Confirm = false;

  QStringList shownAfterUntick;
  ModalScript script;
  script.then("PreviewWindow", [&](QWidget* window) {
    PreviewWindow* preview = previewOf(window);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(column(preview, 0),
              QStringList({QString::fromStdString(a), QString::fromStdString(b)}));
    EXPECT_EQ(column(preview, 1), QStringList({"3", "1"}));
    EXPECT_EQ(preview->totalsLabel()->text(),
              "2 files would change, 4 replacements. Ticked: 2 files, 4 replacements.");

    // b.txt unticked with the keyboard: its row selected, then Space.
    selectFile(preview, b);
    QTest::keyClick(preview->fileList(), Qt::Key_Space);
    EXPECT_EQ(preview->totalsLabel()->text(),
              "2 files would change, 4 replacements. Ticked: 1 file, 3 replacements.");

    selectFile(preview, a);
    EXPECT_EQ(diffRows(preview),
              QStringList({"− 1: one colour, two colour", "+ 1: one color, two color",
                           " 2: none here", "− 3: colour", "+ 3: color"}));
    // The second occurrence of line 1 unticked: a click on its own row, then Space.
    QStandardItem* second = preview->diffView()->occurrenceItem(1);
    ASSERT_NE(second, nullptr);
    DiffView* view = preview->diffView();
    const QRect rowRect = view->visualRect(second->index());
    QSignalSpy rebuilt(preview, &PreviewWindow::changesShown);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rowRect.center());
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_TRUE(QTest::qWaitFor([&] { return rebuilt.count() > 0; }, 10000));
    shownAfterUntick = diffRows(preview);
    EXPECT_EQ(column(preview, 1), QStringList({"2", "1"}));
    QTest::mouseClick(preview->replaceButton(), Qt::LeftButton);
  });
  QStringList results;
  script.then("ResultsDialog", [&](QWidget*) {
    results = linesOf(resultsDialog.resultList());
    QTest::mouseClick(resultsDialog.okButton(), Qt::LeftButton);
  });
  openPreview();
  ASSERT_TRUE(QTest::qWaitFor([&] { return script.done(); }, 20000));

  EXPECT_EQ(shownAfterUntick,
            QStringList({"− 1: one colour, two colour", "+ 1: one color, two colour",
                         " 2: none here", "− 3: colour", "+ 3: color"}));
  EXPECT_EQ(contentOf(a), "one color, two colour\nnone here\ncolor\n");
  EXPECT_EQ(contentOf(b), "colour\n");
  EXPECT_EQ(contentOf(c), "nothing to change\n");
  EXPECT_TRUE(std::filesystem::exists(a + ".rpf"));
  EXPECT_FALSE(std::filesystem::exists(b + ".rpf"));
  EXPECT_EQ(results, QStringList({QString::fromStdString(a) + " - 2 replacements made"}));
}

TEST_F(PreviewWindows, AFileChangedSinceThePreviewIsLeftAloneAndListed) {
  const std::string a = dir.write("a.txt", "colour\n");
  const std::string b = dir.write("b.txt", "colour\n");
  config.Files = {{a, true}, {b, true}};
  config.setPairs({{"colour", "color"}, {"x", "y"}});  // two pairs: whole files are chosen
  config.Flags.Confirm = false;

  QStringList failed;
  ModalScript script;
  script.then("PreviewWindow", [&](QWidget* window) {
    PreviewWindow* preview = previewOf(window);
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->choiceNote()->text().contains("whole files are chosen"));
    dir.write("b.txt", "colour, changed meanwhile\n");
    QTest::mouseClick(preview->replaceButton(), Qt::LeftButton);
  });
  script.then("ResultsDialog", [&](QWidget*) {
    failed = linesOf(resultsDialog.messageList(FailedFile::Kind::Failed));
    QTest::mouseClick(resultsDialog.okButton(), Qt::LeftButton);
  });
  openPreview();
  ASSERT_TRUE(QTest::qWaitFor([&] { return script.done(); }, 20000));
  EXPECT_EQ(contentOf(a), "color\n");
  EXPECT_EQ(contentOf(b), "colour, changed meanwhile\n");
  EXPECT_EQ(failed, QStringList({QString::fromStdString(b) + " - " +
                                 QString::fromUtf8(kChangedSincePreviewReason.data(),
                                                   qsizetype(kChangedSincePreviewReason.size()))}));
}

TEST_F(PreviewWindows, FindListsTheLinesAndOpensTheFileInBrowseMode) {
  const std::string a = dir.write("a.txt", "red\ngreen colour\nblue\ncolour and colour\n");
  const std::string b = dir.write("b.txt", "no match\n");
  const std::string missing = dir.file("gone.txt");
  config.Files = {{b, true}, {a, true}, {missing, true}};
  config.setPairs({{"colour", "color"}});

  ModalScript script;
  script.then("FindWindow", [&](QWidget* window) {
    PreviewWindow* find = previewOf(window);
    ASSERT_NE(find, nullptr);
    EXPECT_FALSE(find->replaceButton()->isVisible());
    EXPECT_EQ(column(find, 0), QStringList({QString::fromStdString(a)}));
    EXPECT_EQ(column(find, 1), QStringList({"3"}));
    EXPECT_EQ(column(find, 2), QStringList({"2"}));
    EXPECT_EQ(column(find, 3), QStringList({QString::fromStdString(dir.path().string() + "/")}));
    EXPECT_EQ(linesOf(find->notReadList()),
              QStringList({QString::fromStdString(missing + " - the file does not exist")}));
    selectFile(find, a);
    EXPECT_EQ(diffRows(find),
              QStringList({" 1: red", " 2: green colour", " 3: blue", " 4: colour and colour"}));
    // The filter narrows the list as the user types.
    QTest::keyClicks(find->filterField(), "b.txt");
    EXPECT_EQ(find->fileList()->model()->rowCount(), 0);
    find->filterField()->clear();
    // The list saved as text: the file dialog comes next.
    QTimer::singleShot(0, find,
                       [find] { QTest::mouseClick(find->saveListButton(), Qt::LeftButton); });
  });
  const std::string saved = dir.file("found.txt");
  script.then(nullptr, [&](QWidget* window) {
    auto* dialog = qobject_cast<QFileDialog*>(window);
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(QString::fromStdString(saved));
    static_cast<QDialog*>(dialog)->accept();  // as the Save button does
  });
  script.then("FindWindow", [&](QWidget* window) {
    auto* find = static_cast<PreviewWindow*>(window);
    selectFile(find, a);
    QTest::mouseClick(find->browseButton(), Qt::LeftButton);
  });
  openFind();
  ASSERT_TRUE(QTest::qWaitFor([&] { return script.done(); }, 20000));
  EXPECT_EQ(contentOf(saved), a + ":2:green colour\n" + a + ":4:colour and colour\n");
  EXPECT_TRUE(form.browseMode().returnButton()->isVisible());
  EXPECT_EQ(form.browseMode().shownView()->toolTip(), QString::fromStdString(a));
  EXPECT_EQ(form.controls().fileList->currentIndex().row(), 1);
}

TEST_F(PreviewWindows, EveryControlHasANameAndTheListIsUsableByKeyboard) {
  const std::string a = dir.write("a.txt", "colour\n");
  config.Files = {{a, true}};
  config.setPairs({{"colour", "color"}});
  ModalScript script;
  script.then("PreviewWindow", [&](QWidget* window) {
    PreviewWindow* preview = previewOf(window);
    ASSERT_NE(preview, nullptr);
    for (QWidget* w : preview->findChildren<QWidget*>()) {
      if (!w->isVisible() || !w->focusPolicy()) continue;
      const auto* button = qobject_cast<QAbstractButton*>(w);
      const QString name = button ? button->text() : w->accessibleName();
      EXPECT_FALSE(name.isEmpty()) << w->metaObject()->className();
    }
    // Tab reaches the list; the first file is current and Space unticks it.
    preview->fileList()->setFocus();
    QTest::keyClick(preview->fileList(), Qt::Key_Space);
    EXPECT_FALSE(preview->replaceButton()->isEnabled());
    QTest::mouseClick(preview->tickAllButton(), Qt::LeftButton);
    EXPECT_TRUE(preview->replaceButton()->isEnabled());
    EXPECT_EQ(preview->totalsLabel()->text(),
              "1 file would change, 1 replacement. Ticked: 1 file, 1 replacement.");
    QTest::mouseClick(preview->untickAllButton(), Qt::LeftButton);
    EXPECT_FALSE(preview->replaceButton()->isEnabled());
    QTest::keyClick(preview, Qt::Key_Escape);
  });
  openPreview();
  ASSERT_TRUE(QTest::qWaitFor([&] { return script.done(); }, 20000));
  EXPECT_EQ(contentOf(a), "colour\n");
}

}  // namespace
}  // namespace tw
