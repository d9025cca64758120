// The main window driven through its real widgets: pairs, files, switches, the Save tool
// button, Go's input check and the close question.

#include "ui/MainWindow.h"

#include "MainWindowFixture.h"

#include "ui/FileListModel.h"
#include "ui/PairGrid.h"
#include "ui/PairTableModel.h"
#include "ui/QSettingsStore.h"
#include "ui/QtPrinters.h"

#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace tw {
namespace {

class MainWindowCommands : public test::MainWindowFixture {
 protected:
  PairGrid* grid() { return ui().pairGrid; }
  QListView* fileList() { return ui().fileList; }

  // Types a pair into the two fields and presses Add.
  void addPair(const QString& find, const QString& replace) {
    auto* findField = ui().findField;
    auto* replaceField = ui().replaceField;
    findField->setFocus();
    findField->selectAll();
    QTest::keyClick(findField, Qt::Key_Delete);
    QTest::keyClicks(findField, find);
    replaceField->setFocus();
    replaceField->selectAll();
    QTest::keyClick(replaceField, Qt::Key_Delete);
    QTest::keyClicks(replaceField, replace);
    QTest::mouseClick(ui().addPairButton, Qt::LeftButton);
  }

  QPoint rowCenter(int row) {
    const QRect r = grid()->visualRect(form.pairModel().index(row, 0));
    return r.center();
  }
  void clickRow(int row) {
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, rowCenter(row));
  }

  std::vector<std::string> finds() const {
    std::vector<std::string> out;
    for (const StringPair& p : config.Pairs()) out.push_back(p.Find);
    return out;
  }

  void resetChanged() {
    config.markSaved();
    form.showConfiguration();
  }
};

TEST_F(MainWindowCommands, AddingPairsThroughTheFields) {
  addPair("colour", "color");
  ASSERT_EQ(config.Pairs(),
            (std::vector<StringPair>{{"colour", "color"}}));  // the blank row filled
  EXPECT_EQ(form.pairModel().rowCount(), 1);
  EXPECT_TRUE(ui().findField->toPlainText().isEmpty());
  EXPECT_TRUE(ui().replaceField->toPlainText().isEmpty());
  EXPECT_TRUE(config.Changed);
  EXPECT_TRUE(actions().saveTool->isEnabled());

  // A two-line find text reaches the list with CR LF; an empty replace text is fine.
  auto* findField = ui().findField;
  findField->setFocus();
  QTest::keyClicks(findField, "one");
  QTest::keyClick(findField, Qt::Key_Return);
  QTest::keyClicks(findField, "two");
  QTest::mouseClick(ui().addPairButton, Qt::LeftButton);
  ASSERT_EQ(config.Pairs().size(), 2u);
  EXPECT_EQ(config.Pairs()[1], (StringPair{"one\r\ntwo", ""}));
  EXPECT_EQ(form.pairModel().data(form.pairModel().index(1, 0)).toString(),
            QStringLiteral("one\ntwo"));
  EXPECT_EQ(grid()->currentIndex().row(), 1);
}

TEST_F(MainWindowCommands, RejectedPairsShowTheirMessageAndStillMarkAChange) {
  QTest::mouseClick(ui().addPairButton, Qt::LeftButton);
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].text, "You must enter Find and Replace text!!!");
  EXPECT_EQ(prompts.shown[0].caption, "Warning");
  EXPECT_TRUE(config.pairListEmpty());
  EXPECT_TRUE(config.Changed);
  EXPECT_TRUE(actions().saveTool->isEnabled());

  addPair("same", "same");
  EXPECT_EQ(prompts.shown.back().text, "You've entered the identical text blocks!!!");
  // The fields keep what was typed.
  EXPECT_EQ(ui().findField->toPlainText(), QStringLiteral("same"));

  addPair("a", "b");
  addPair("a", "b");
  EXPECT_EQ(prompts.shown.back().text, "These text blocks are already in the strings list!");
  EXPECT_EQ(config.Pairs().size(), 1u);
}

TEST_F(MainWindowCommands, TakingAPairForEditingByEnterOrDoubleClick) {
  addPair("a", "1");
  addPair("b", "2");
  addPair("c", "3");
  resetChanged();
  clickRow(1);
  grid()->setFocus();
  QTest::keyClick(grid(), Qt::Key_Return);
  EXPECT_EQ(finds(), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(ui().findField->toPlainText(), QStringLiteral("b"));
  EXPECT_EQ(ui().replaceField->toPlainText(), QStringLiteral("2"));
  EXPECT_EQ(config.FindField, "b");
  EXPECT_FALSE(config.Changed);

  clickRow(0);  // a double-click begins with a press
  QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, rowCenter(0));
  EXPECT_EQ(finds(), (std::vector<std::string>{"c"}));
  EXPECT_EQ(ui().findField->toPlainText(), QStringLiteral("a"));
  // Taking the only pair empties the list; on an empty list both fields are emptied.
  actions().editPair->trigger();
  EXPECT_TRUE(config.pairListEmpty());
  EXPECT_EQ(config.FindField, "c");
  actions().editPair->trigger();
  EXPECT_TRUE(ui().findField->toPlainText().isEmpty());
  EXPECT_TRUE(ui().replaceField->toPlainText().isEmpty());
}

TEST_F(MainWindowCommands, DraggingAPairMovesIt) {
  for (const char* f : {"1", "2", "3", "4", "5", "6"}) addPair(f, QStringLiteral("x") + f);
  resetChanged();
  // Row 5 onto row 2.
  QTest::mousePress(grid()->viewport(), Qt::LeftButton, {}, rowCenter(4));
  QTest::mouseMove(grid()->viewport(), rowCenter(3));
  QTest::mouseMove(grid()->viewport(), rowCenter(1));
  QTest::mouseRelease(grid()->viewport(), Qt::LeftButton, {}, rowCenter(1));
  EXPECT_EQ(finds(), (std::vector<std::string>{"1", "5", "2", "3", "4", "6"}));
  EXPECT_EQ(grid()->currentIndex().row(), 1);
  // Row 2 onto row 5.
  QTest::mousePress(grid()->viewport(), Qt::LeftButton, {}, rowCenter(1));
  QTest::mouseMove(grid()->viewport(), rowCenter(4));
  QTest::mouseRelease(grid()->viewport(), Qt::LeftButton, {}, rowCenter(4));
  EXPECT_EQ(finds(), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
  // Dropped below the last row: nothing moves.
  const QPoint below(rowCenter(0).x(), grid()->viewport()->height() - 2);
  QTest::mousePress(grid()->viewport(), Qt::LeftButton, {}, rowCenter(0));
  QTest::mouseMove(grid()->viewport(), below);
  QTest::mouseRelease(grid()->viewport(), Qt::LeftButton, {}, below);
  EXPECT_EQ(finds(), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
  EXPECT_FALSE(config.Changed);
}

TEST_F(MainWindowCommands, TheThreeWaysToDeleteAPair) {
  addPair("a", "1");
  addPair("b", "2");
  addPair("c", "3");
  addPair("d", "4");

  // The Delete button asks when the option is on, and marks a change.
  options.ConfirmDeletePair = true;
  resetChanged();
  clickRow(0);
  prompts.answers = {PromptAnswer::No};
  QTest::mouseClick(ui().deletePairButton, Qt::LeftButton);
  EXPECT_EQ(finds().size(), 4u);
  EXPECT_EQ(prompts.shown.back().text,
            "Really delete the selcted string from the find/replace list?");
  prompts.answers = {PromptAnswer::Yes};
  QTest::mouseClick(ui().deletePairButton, Qt::LeftButton);
  EXPECT_EQ(finds(), (std::vector<std::string>{"b", "c", "d"}));
  EXPECT_TRUE(config.Changed);
  EXPECT_TRUE(actions().saveTool->isEnabled());

  // The Delete key asks too, but leaves Changed alone.
  resetChanged();
  clickRow(1);
  grid()->setFocus();
  prompts.answers = {PromptAnswer::Yes};
  QTest::keyClick(grid(), Qt::Key_Delete);
  EXPECT_EQ(finds(), (std::vector<std::string>{"b", "d"}));
  EXPECT_FALSE(config.Changed);
  EXPECT_FALSE(actions().saveTool->isEnabled());

  // The Strings menu entry never asks and leaves Changed alone.
  const size_t asked = prompts.shown.size();
  actions().deletePairFromMenu->trigger();
  EXPECT_EQ(prompts.shown.size(), asked);
  EXPECT_EQ(finds().size(), 1u);
  EXPECT_FALSE(config.Changed);

  // The grid's "Delete all" empties the list without asking.
  actions().deleteAllPairs->trigger();
  EXPECT_TRUE(config.pairListEmpty());
  EXPECT_EQ(form.pairModel().rowCount(), 1);
}

TEST_F(MainWindowCommands, AddingCheckingAndDeletingFiles) {
  const std::string a = dir.write("a.htm", "x");
  const std::string b = dir.write("sub/b.htm", "y");
  prompts.openNameLists.push_back({a, b});
  QTest::mouseClick(ui().addFilesButton, Qt::LeftButton);
  ASSERT_EQ(config.Files, (std::vector<FileEntry>{{a, true}, {b, true}}));
  EXPECT_EQ(fileList()->model()->rowCount(), 2);
  EXPECT_TRUE(config.Changed);
  EXPECT_EQ(settings.readString("LastDir"), dir.path().string() + "/");

  // Adding files that are all listed already still marks a change.
  resetChanged();
  prompts.openNameLists.push_back({a});
  actions().addFiles->trigger();
  EXPECT_EQ(config.Files.size(), 2u);
  EXPECT_TRUE(config.Changed);
  EXPECT_TRUE(actions().saveTool->isEnabled());

  // Checks do not mark a change.
  resetChanged();
  actions().uncheckAll->trigger();
  EXPECT_FALSE(config.Files[0].Checked || config.Files[1].Checked);
  EXPECT_EQ(fileList()->model()->data(fileList()->model()->index(0, 0), Qt::CheckStateRole).toInt(),
            int(Qt::Unchecked));
  EXPECT_FALSE(config.Changed);

  // Delete key on the selected entry.
  fileList()->setCurrentIndex(fileList()->model()->index(0, 0));
  fileList()->setFocus();
  QTest::keyClick(fileList(), Qt::Key_Delete);
  EXPECT_EQ(config.Files, (std::vector<FileEntry>{{b, false}}));
  EXPECT_TRUE(config.Changed);

  // "Delete all Files" asks when its option is on.
  options.ConfirmDeleteAllFiles = true;
  prompts.answers = {PromptAnswer::No};
  actions().deleteAllFiles->trigger();
  EXPECT_EQ(config.Files.size(), 1u);
  EXPECT_EQ(prompts.shown.back().text, "Really delete all files from the list?");
  prompts.answers = {PromptAnswer::Yes};
  entry(actions().fileListMenu, "Delete all")->trigger();
  EXPECT_TRUE(config.Files.empty());
  EXPECT_EQ(fileList()->model()->rowCount(), 0);
}

TEST_F(MainWindowCommands, SwitchesTheMenuEntryAndRegular) {
  auto* caseSensitive = ui().switches[0];
  auto* wholeWords = ui().switches[1];
  auto* backups = ui().switches[2];
  auto* anything = ui().switches[3];
  auto* confirm = ui().switches[4];
  auto* regular = ui().switches[5];
  auto clickBox = [](QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
  };

  clickBox(caseSensitive);
  EXPECT_TRUE(config.Flags.CaseSensitive);
  EXPECT_TRUE(config.Changed);
  EXPECT_TRUE(actions().saveTool->isEnabled());

  // "Create Backup Files": the check box and the menu entry are one switch.
  resetChanged();
  actions().createBackupFiles->trigger();
  EXPECT_FALSE(config.Flags.CreateBackupFiles);
  EXPECT_FALSE(backups->isChecked());
  EXPECT_FALSE(actions().createBackupFiles->isChecked());
  EXPECT_TRUE(config.Changed);
  clickBox(backups);
  EXPECT_TRUE(config.Flags.CreateBackupFiles);
  EXPECT_TRUE(actions().createBackupFiles->isChecked());

  clickBox(confirm);
  EXPECT_TRUE(config.Flags.Confirm);

  // Regular expressions disable two boxes, whose values stay; no change is marked.
  resetChanged();
  clickBox(wholeWords);
  resetChanged();
  clickBox(regular);
  EXPECT_TRUE(config.Flags.Regular);
  EXPECT_FALSE(wholeWords->isEnabled());
  EXPECT_FALSE(anything->isEnabled());
  EXPECT_TRUE(wholeWords->isChecked());
  EXPECT_FALSE(config.Changed);
  clickBox(regular);
  EXPECT_TRUE(wholeWords->isEnabled());
  EXPECT_TRUE(anything->isEnabled());
  clickBox(anything);
  EXPECT_FALSE(config.Flags.Anything);
  EXPECT_FALSE(config.Changed);
}

TEST_F(MainWindowCommands, SaveNewAndOpenThroughTheWindow) {
  addPair("colour", "color");
  prompts.openNameLists.push_back({dir.file("page.htm")});
  actions().addFiles->trigger();
  // Save with no name yet asks for one and appends ".rpl".
  prompts.saveNames.push_back(SaveChoice{dir.file("site"), 0});
  actions().saveTool->trigger();
  EXPECT_TRUE(std::filesystem::exists(dir.file("site.rpl")));
  EXPECT_EQ(config.FileName, dir.file("site.rpl"));
  EXPECT_FALSE(actions().saveTool->isEnabled());
  EXPECT_FALSE(config.Changed);

  // New empties the window.
  actions().newConfiguration->trigger();
  EXPECT_TRUE(config.pairListEmpty());
  EXPECT_EQ(fileList()->model()->rowCount(), 0);
  EXPECT_EQ(form.pairModel().rowCount(), 1);

  // Open brings it back.
  prompts.openNames.push_back(dir.file("site.rpl"));
  actions().openConfiguration->trigger();
  EXPECT_EQ(config.Pairs(), (std::vector<StringPair>{{"colour", "color"}}));
  EXPECT_EQ(form.pairModel().data(form.pairModel().index(0, 1)).toString(),
            QStringLiteral("color"));
  EXPECT_EQ(fileList()->model()->rowCount(), 1);
  EXPECT_FALSE(actions().saveTool->isEnabled());

  // Open with unsaved changes asks first; Cancel keeps everything.
  addPair("a", "b");
  prompts.answers = {PromptAnswer::Cancel};
  actions().openConfiguration->trigger();
  EXPECT_EQ(config.Pairs().size(), 2u);
  EXPECT_TRUE(config.Changed);
}

TEST_F(MainWindowCommands, ClosingWithUnsavedChangesAsks) {
  addPair("a", "b");
  prompts.answers = {PromptAnswer::Cancel};
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(
      prompts.shown.back().text,
      "The configuration file has changed since your last save. \nWould you like to save changes?");
  prompts.answers = {PromptAnswer::No};
  EXPECT_TRUE(form.close());
  EXPECT_TRUE(config.pairListEmpty());
}

TEST_F(MainWindowCommands, FieldLoadedFromAFile) {
  prompts.openNames.push_back(dir.write("find.txt", "first\nsecond"));
  entry(ui().findFieldMenu, "Load Find string from file")->trigger();
  EXPECT_EQ(ui().findField->toPlainText(), QStringLiteral("first\nsecond"));
  EXPECT_EQ(config.FindField, "first\r\nsecond");
  EXPECT_FALSE(config.Changed);
  // Bytes that are not UTF-8 stay as they are until the field is edited.
  prompts.openNames.push_back(dir.write("latin1.txt", "caf\xe9"));
  entry(ui().replaceFieldMenu, "Load Replace string from file")->trigger();
  EXPECT_EQ(config.ReplaceField, "caf\xe9");
}

}  // namespace
}  // namespace tw
