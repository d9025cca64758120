#include "ui/MainWindow.h"

#include "MainWindowFixture.h"

#include "ui/FileListModel.h"
#include "ui/PairGrid.h"

#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "ui/QSettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "ui/QtPrinters.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

class MainWindowTest : public test::MainWindowFixture {
 protected:
  // The entries of a menu as captions, separators as "-", hidden entries left out.
  static QStringList entries(const QMenu* menu) {
    QStringList list;
    for (QAction* a : menu->actions()) {
      if (!a->isVisible()) continue;
      list << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return list;
  }
};

TEST_F(MainWindowTest, CaptionSizeAndMenus) {
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Textwright 2.5"));
  EXPECT_GE(form.minimumWidth(), 570);
  EXPECT_GE(form.minimumHeight(), 450);
  EXPECT_GE(form.width(), 570);
  EXPECT_GE(form.height(), 450);

  QStringList titles;
  for (QAction* a : form.menuBar()->actions()) titles << a->text().remove(u'&');
  EXPECT_EQ(titles, (QStringList{"File", "Strings", "Files", "Backup Files", "Help"}));
  EXPECT_EQ(entries(actions().fileMenu),
            (QStringList{"New Configuration", "Open Configuration", "Save Configuration",
                         "Save Configuration As", "-", "Options", "-", "Exit"}));
  EXPECT_EQ(entries(actions().stringsMenu), (QStringList{"Add", "Edit", "Delete"}));
  EXPECT_EQ(entries(actions().filesMenu),
            (QStringList{"Add", "Scan", "Delete", "Delete", "-", "Check all", "Uncheck All", "-",
                         "Browse File", "Edit File", "-", "Open File", "-",
                         "Preview Replacement...", "Find in Files..."}));
  EXPECT_EQ(
      entries(actions().backupsMenu),
      (QStringList{"Create Backup Files", "-", "Restore Backup Files", "Delete Backup Files"}));
  EXPECT_EQ(entries(actions().helpMenu), (QStringList{"Help Topics", "Tip of the Day...", "-",
                                                      "Brindlecove homepage", "-", "About"}));
  EXPECT_FALSE(actions().onlineHelp->isVisible());
  EXPECT_EQ(actions().exit->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
  EXPECT_TRUE(actions().createBackupFiles->isChecked());

  EXPECT_EQ(
      entries(actions().fileListMenu),
      (QStringList{"Add file", "Scan for files", "Delete file", "Delete all", "-", "Check All",
                   "Uncheck All", "-", "Browse File", "Edit File", "-", "Open File"}));
  EXPECT_EQ(entries(actions().pairGridMenu),
            (QStringList{"Add string", "Edit string", "Delete string", "Delete all"}));
  EXPECT_EQ(entries(ui().findFieldMenu),
            (QStringList{"Clear Find string", "Load Find string from file",
                         "Copy Find string to clipboard"}));
  EXPECT_EQ(entries(ui().replaceFieldMenu),
            (QStringList{"Clear Replace string", "Load Replace string from file",
                         "Copy Replace string to clipboard"}));
}

TEST_F(MainWindowTest, ToolBarHintsInOrder) {
  QStringList hints;
  for (QAction* a : ui().toolBar->actions())
    hints << (a->isSeparator() ? QStringLiteral("-") : a->toolTip());
  EXPECT_EQ(hints, (QStringList{"New configuration", "Open existing configuration",
                                "Save current configuration", "Save Configuration as", "-",
                                "Add file(s) to File list", "Delete file from File list", "-",
                                "Add string to String list", "Delete string from String list", "-",
                                "Go", "Preview the replacement", "Find in files without replacing",
                                "-", "Help"}));
  for (QAction* a : ui().toolBar->actions())
    if (!a->isSeparator()) {
      EXPECT_FALSE(a->icon().isNull()) << a->toolTip().toStdString();
    }
  // Nothing to save at start.
  EXPECT_FALSE(actions().saveTool->isEnabled());
}

TEST_F(MainWindowTest, ControlsAndCaptions) {
  EXPECT_EQ(ui().filesGroup->title(), QStringLiteral("Files"));
  EXPECT_EQ(ui().optionsGroup->title(), QStringLiteral("Options"));
  EXPECT_EQ(ui().stringsGroup->title(), QStringLiteral("Strings"));
  const char* switches[6] = {
      "Case sensitive",          "Whole words only",          "Create Backup Files",
      "Allow script %anything%", "Confirm every replacement", "Regular expressions"};
  const bool defaults[6] = {false, false, true, true, false, false};
  int lastTop = -1;
  for (int i = 0; i < 6; ++i) {
    QCheckBox* box = ui().switches[size_t(i)];
    EXPECT_EQ(box->text(), QString::fromLatin1(switches[i]));
    EXPECT_EQ(box->isChecked(), defaults[i]) << switches[i];
    EXPECT_GT(box->y(), lastTop);  // top to bottom
    lastTop = box->y();
    // The caption fits: nothing is cut off.
    EXPECT_LE(box->sizeHint().width(), box->width()) << switches[i];
  }
  EXPECT_EQ(ui().advancedButton->text(), QStringLiteral("<< Advanced"));
  EXPECT_EQ(ui().goButton->text(), QStringLiteral("Go"));
  EXPECT_EQ(ui().addFilesButton->text(), QStringLiteral("Add"));
  EXPECT_EQ(ui().scanButton->text(), QStringLiteral("Scan"));
  EXPECT_EQ(ui().deleteFileButton->text(), QStringLiteral("Delete"));
  EXPECT_EQ(ui().addPairButton->text(), QStringLiteral("Add"));
  EXPECT_EQ(ui().deletePairButton->text(), QStringLiteral("Delete"));
  EXPECT_EQ(ui().findLabel->text(), QStringLiteral("Find"));
  EXPECT_EQ(ui().replaceLabel->text(), QStringLiteral("Replace with"));
  // "Browse File" and "Edit File" are disabled at start.
  EXPECT_EQ(ui().browseButton->text(), QStringLiteral("Browse File"));
  EXPECT_EQ(ui().editButton->text(), QStringLiteral("Edit File"));
  EXPECT_FALSE(ui().browseButton->isEnabled());
  EXPECT_FALSE(ui().editButton->isEnabled());
  // The windows of a later version are not offered.
  for (const QAction* command : {actions().options, actions().scanForFiles, actions().tipOfTheDay,
                                 actions().about, actions().browseFile, actions().editFile})
    EXPECT_FALSE(command->isEnabled()) << command->text().toStdString();
  EXPECT_FALSE(ui().scanButton->isEnabled());
}

TEST_F(MainWindowTest, LayoutFollowsEverySize) {
  for (QSize size : {QSize(570, 450), QSize(800, 600), QSize(1000, 700)}) {
    form.resize(size);
    QApplication::processEvents();
    QWidget* client = form.centralWidget();
    const MainLayout expected = computeMainLayout(client->width(), client->height(), false);
    EXPECT_EQ(form.currentLayout().stringsGroup, expected.stringsGroup);
    const LayoutRect& r = expected.replaceField;
    EXPECT_EQ(ui().replaceField->geometry(), QRect(r.x, r.y, r.width, r.height));
    const LayoutRect& g = expected.filesGroup;
    EXPECT_EQ(ui().filesGroup->geometry(), QRect(g.x, g.y, g.width, g.height));
    EXPECT_EQ(ui().pairGrid->height(), expected.stringsGroup.height - 21);
  }
  // Never smaller than 570 x 450.
  form.resize(300, 200);
  QApplication::processEvents();
  EXPECT_GE(form.width(), 570);
  EXPECT_GE(form.height(), 450);
}

TEST_F(MainWindowTest, AdvancedViewTogglesWithEachPress) {
  auto* advanced = ui().advancedButton;
  auto* files = ui().filesGroup;
  auto* optionsBox = ui().optionsGroup;
  auto* doNotChange = ui().keepFilenameReferencesBox;
  EXPECT_TRUE(files->isVisible());
  EXPECT_FALSE(doNotChange->isVisible());

  QTest::mouseClick(advanced, Qt::LeftButton);
  EXPECT_EQ(advanced->text(), QStringLiteral("Normal >>"));
  EXPECT_FALSE(files->isVisible());
  EXPECT_EQ(optionsBox->width(), form.centralWidget()->width() - 8);  // within the margins
  EXPECT_TRUE(doNotChange->isVisible());
  EXPECT_TRUE(ui().onlyInFirstBox->isVisible());
  EXPECT_TRUE(ui().firstCountField->isVisible());
  EXPECT_TRUE(ui().firstUnitBox->isVisible());

  // The advanced switches are the configuration's own.
  QTest::mouseClick(doNotChange, Qt::LeftButton);
  EXPECT_TRUE(config.Advanced.DoNotChangeFilenameReferences);
  QTest::mouseClick(ui().onlyInFirstBox, Qt::LeftButton, {}, QPoint(8, 9));
  EXPECT_TRUE(config.Advanced.ReplaceOnlyInFirst);
  auto* count = ui().firstCountField;
  count->setFocus();
  QTest::keyClick(count, Qt::Key_Backspace);
  QTest::keyClicks(count, "12");
  EXPECT_EQ(config.Advanced.FirstCount, "12");
  EXPECT_FALSE(config.Changed);

  QTest::mouseClick(advanced, Qt::LeftButton);
  EXPECT_EQ(advanced->text(), QStringLiteral("<< Advanced"));
  EXPECT_TRUE(files->isVisible());
  EXPECT_EQ(files->width(), form.centralWidget()->width() - 181 - 8);
  EXPECT_FALSE(doNotChange->isVisible());
  // The values stay for the next run in either view.
  EXPECT_TRUE(config.Advanced.DoNotChangeFilenameReferences);
}

TEST_F(MainWindowTest, FieldMenusClearAndCopyWithoutTouchingTheConfiguration) {
  auto* find = ui().findField;
  auto* replace = ui().replaceField;
  find->setPlainText(QStringLiteral("a much longer find text"));
  replace->setPlainText(QStringLiteral("line one\nline two"));
  EXPECT_EQ(form.replaceText(), "line one\r\nline two");

  entry(ui().replaceFieldMenu, "Copy Replace string to clipboard")->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("line one\nline two"));
  entry(ui().findFieldMenu, "Copy Find string to clipboard")->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("a much longer find text"));

  entry(ui().findFieldMenu, "Clear Find string")->trigger();
  EXPECT_TRUE(find->toPlainText().isEmpty());
  EXPECT_FALSE(replace->toPlainText().isEmpty());
  EXPECT_FALSE(config.Changed);
}

TEST_F(MainWindowTest, CheckAllAndUncheckAllLeaveChangedAlone) {
  {
    FileListModel::Reset reset(form.fileModel());
    config.Files = {{"/a.htm", false}, {"/b.htm", true}};
  }
  actions().checkAll->trigger();
  EXPECT_TRUE(config.Files[0].Checked && config.Files[1].Checked);
  entry(actions().fileListMenu, "Uncheck All")->trigger();
  EXPECT_FALSE(config.Files[0].Checked || config.Files[1].Checked);
  EXPECT_FALSE(config.Changed);

  // A click on an entry's check box checks that entry alone.
  auto* list = ui().fileList;
  const QRect item = list->visualRect(form.fileModel().index(1));
  QStyleOptionViewItem option;
  option.initFrom(list);
  option.rect = item;
  option.features |= QStyleOptionViewItem::HasCheckIndicator;
  const QRect box =
      list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
  EXPECT_FALSE(config.Files[0].Checked);
  EXPECT_TRUE(config.Files[1].Checked);
  EXPECT_FALSE(config.Changed);
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

TEST_F(MainWindowTest, HelpTopicsFindsTheShippedHelpPage) {
  // Nothing installed beside the test program, and no installation folder: a clear message.
  settings.writeString("Path", dir.path().string());
  EXPECT_TRUE(form.helpFile().isEmpty());
  actions().helpTopics->trigger();
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].kind, "inform");

  // The installation folder named by "Path" holds help/index.html.
  settings.writeString("Path", std::string(TEXTWRIGHT_SOURCE_DIR) + "/docs");
  EXPECT_TRUE(form.helpFile().endsWith(QStringLiteral("/docs/help/index.html")))
      << form.helpFile().toStdString();
}

}  // namespace
}  // namespace tw

#include "WholeRows.h"

#include <QScrollBar>

namespace tw {
namespace {

TEST_F(MainWindowTest, LongPathsCanBeScrolledIntoView) {
  const std::string longPath = "/" + std::string(40, 'd') + "/" + std::string(60, 'f') + ".html";
  const std::vector<std::string> some(30, "/site/a.htm");
  auto around = [&](const std::vector<std::string>& before, const std::string& middle) {
    std::vector<std::string> paths = before;
    paths.push_back(middle);
    paths.insert(paths.end(), some.begin(), some.end());
    return paths;
  };
  // The list finds its widest entry without measuring each; wherever it stands, whatever
  // its letters, it is shown whole.
  const std::vector<std::vector<std::string>> lists = {
      {longPath},
      around({}, longPath),
      // Fewer letters, but wider ones.
      {"/" + std::string(70, 'i'), "/" + std::string(30, 'W'), "/" + std::string(60, 'l')},
      // Letters shaped together, combining marks, wide characters, a control character.
      around({"/srv/\u0645\u0644\u0641\u0627\u062a/\u0645\u0648\u0642\u0639.htm"},
             "/srv/\u6587\u4ef6\u5939/\u7f51\u7ad9\u7684\u4e3b\u9875\u6587\u4ef6.htm"),
      {"/srv/e\u0301e\u0301e\u0301e\u0301.htm", "/srv/tab\there.htm", "/AVAVAVAVAVAVAVAVAV/To.htm",
       "/AAAAAAAAAAAAAAAAAA/Oo.htm"},
      around(some, longPath),
  };
  auto* list = ui().fileList;
  for (size_t i = 0; i < lists.size(); ++i) {
    {
      FileListModel::Reset reset(form.fileModel());
      config.Files.clear();
      for (const std::string& path : lists[i]) config.Files.push_back({path, true});
    }
    EXPECT_TRUE(test::showsEveryRowWhole(list)) << "list " << i;
  }
  // The whole path is shown, not cut with an ellipsis, and the list scrolls to its end.
  EXPECT_EQ(list->textElideMode(), Qt::ElideNone);
  EXPECT_GT(list->horizontalScrollBar()->maximum(), 0);
}

}  // namespace
}  // namespace tw
