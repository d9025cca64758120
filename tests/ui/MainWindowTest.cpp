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
#include <QGroupBox>
#include <QLabel>
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
  EXPECT_EQ(entries(child<QMenu>("File1")),
            (QStringList{"New Configuration", "Open Configuration", "Save Configuration",
                         "Save Configuration as", "-", "Options...", "-", "Exit"}));
  EXPECT_EQ(entries(child<QMenu>("Strings1")),
            (QStringList{"Add String", "Edit String", "Delete String"}));
  EXPECT_EQ(
      entries(child<QMenu>("Files1")),
      (QStringList{"Add Files", "Scan for Files", "Delete File", "Delete all Files", "-",
                   "Check All", "Uncheck All", "-", "Browse File", "Edit File", "-", "Open File"}));
  EXPECT_EQ(
      entries(child<QMenu>("BackupFiles1")),
      (QStringList{"Create Backup Files", "-", "Restore Backup Files", "Delete Backup Files"}));
  EXPECT_EQ(entries(child<QMenu>("Help1")), (QStringList{"Help Topics", "Tip of the Day...", "-",
                                                         "Brindlecove home page", "-", "About"}));
  EXPECT_FALSE(child<QAction>("Onlinehelp1")->isVisible());
  EXPECT_EQ(child<QAction>("Exit1")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
  EXPECT_TRUE(child<QAction>("CreateBackupFiles1")->isChecked());

  EXPECT_EQ(
      entries(child<QMenu>("PopupMenu1")),
      (QStringList{"Add file", "Scan for files", "Delete file", "Delete all", "-", "Check All",
                   "Uncheck All", "-", "Browse File", "Edit File", "-", "Open File"}));
  EXPECT_EQ(entries(child<QMenu>("PopupMenu2")),
            (QStringList{"Add string", "Edit string", "Delete string", "Delete all"}));
  EXPECT_EQ(entries(child<QMenu>("PopupMenu3")),
            (QStringList{"Clear Find string", "Load Find string from file",
                         "Copy Find string to clipboard"}));
  EXPECT_EQ(entries(child<QMenu>("PopupMenu4")),
            (QStringList{"Clear Replace string", "Load Replace string from file",
                         "Copy Replace string to clipboard"}));
}

TEST_F(MainWindowTest, ToolBarHintsInOrder) {
  QStringList hints;
  for (QAction* a : child<QToolBar>("ToolBar1")->actions())
    hints << (a->isSeparator() ? QStringLiteral("-") : a->toolTip());
  EXPECT_EQ(hints, (QStringList{"New configuration", "Open existing configuration",
                                "Save current configuration", "Save Configuration as", "-",
                                "Add file(s) to File list", "Delete file from File list", "-",
                                "Add string to String list", "Delete string from String list", "-",
                                "Go", "-", "Help"}));
  for (QAction* a : child<QToolBar>("ToolBar1")->actions())
    if (!a->isSeparator()) {
      EXPECT_FALSE(a->icon().isNull()) << a->toolTip().toStdString();
    }
  // Nothing to save at start.
  EXPECT_FALSE(child<QAction>("ToolButton3")->isEnabled());
}

TEST_F(MainWindowTest, ControlsAndCaptions) {
  EXPECT_EQ(child<QGroupBox>("GroupBox1")->title(), QStringLiteral("Files"));
  EXPECT_EQ(child<QGroupBox>("GroupBox2")->title(), QStringLiteral("Options"));
  EXPECT_EQ(child<QGroupBox>("GroupBox3")->title(), QStringLiteral("Strings"));
  const char* switches[6] = {
      "Case Sensitive",          "Whole Words Only",          "Create Backup Files",
      "Allow script %anything%", "Confirm every replacement", "Regular expressions"};
  const bool defaults[6] = {false, false, true, true, false, false};
  int lastTop = -1;
  for (int i = 0; i < 6; ++i) {
    auto* box = child<QCheckBox>(("CheckBox" + std::to_string(i + 1)).c_str());
    EXPECT_EQ(box->text(), QString::fromLatin1(switches[i]));
    EXPECT_EQ(box->isChecked(), defaults[i]) << switches[i];
    EXPECT_GT(box->y(), lastTop);  // top to bottom
    lastTop = box->y();
    // The caption fits: nothing is cut off.
    EXPECT_LE(box->sizeHint().width(), box->width()) << switches[i];
  }
  EXPECT_EQ(child<QPushButton>("BitBtn7")->text(), QStringLiteral("<< Advanced"));
  EXPECT_EQ(child<QPushButton>("BitBtn6")->text(), QStringLiteral("Go"));
  EXPECT_EQ(child<QPushButton>("BitBtn1")->text(), QStringLiteral("Add"));
  EXPECT_EQ(child<QPushButton>("BitBtn2")->text(), QStringLiteral("Scan"));
  EXPECT_EQ(child<QPushButton>("BitBtn3")->text(), QStringLiteral("Delete"));
  EXPECT_EQ(child<QPushButton>("BitBtn4")->text(), QStringLiteral("Add"));
  EXPECT_EQ(child<QPushButton>("BitBtn5")->text(), QStringLiteral("Delete"));
  EXPECT_EQ(child<QLabel>("Label1")->text(), QStringLiteral("Find:"));
  EXPECT_EQ(child<QLabel>("Label2")->text(), QStringLiteral("Replace with:"));
  // "Browse file" and "Edit file" are disabled at start.
  EXPECT_EQ(child<QPushButton>("Button1")->text(), QStringLiteral("Browse file"));
  EXPECT_FALSE(child<QPushButton>("Button1")->isEnabled());
  EXPECT_FALSE(child<QPushButton>("Button3")->isEnabled());
  // The windows of a later version are not offered.
  for (const char* name :
       {"Options1", "ScanforFiles1", "TipoftheDay1", "About1", "BrowseFile1", "EditFile1"})
    EXPECT_FALSE(child<QAction>(name)->isEnabled()) << name;
  EXPECT_FALSE(child<QPushButton>("BitBtn2")->isEnabled());
}

TEST_F(MainWindowTest, LayoutFollowsEverySize) {
  for (QSize size : {QSize(570, 450), QSize(800, 600), QSize(1000, 700)}) {
    form.resize(size);
    QApplication::processEvents();
    QWidget* client = form.centralWidget();
    const MainLayout expected = computeMainLayout(client->width(), client->height(), false);
    EXPECT_EQ(form.currentLayout().stringsGroup, expected.stringsGroup);
    const LayoutRect& r = expected.replaceField;
    EXPECT_EQ(child<QPlainTextEdit>("Memo2")->geometry(), QRect(r.x, r.y, r.width, r.height));
    const LayoutRect& g = expected.filesGroup;
    EXPECT_EQ(child<QGroupBox>("GroupBox1")->geometry(), QRect(g.x, g.y, g.width, g.height));
    EXPECT_EQ(child<QWidget>("StringGrid1")->height(), expected.stringsGroup.height - 21);
  }
  // Never smaller than 570 x 450.
  form.resize(300, 200);
  QApplication::processEvents();
  EXPECT_GE(form.width(), 570);
  EXPECT_GE(form.height(), 450);
}

TEST_F(MainWindowTest, AdvancedViewTogglesWithEachPress) {
  auto* advanced = child<QPushButton>("BitBtn7");
  auto* files = child<QGroupBox>("GroupBox1");
  auto* optionsBox = child<QGroupBox>("GroupBox2");
  auto* doNotChange = child<QCheckBox>("CheckBox7");
  EXPECT_TRUE(files->isVisible());
  EXPECT_FALSE(doNotChange->isVisible());

  QTest::mouseClick(advanced, Qt::LeftButton);
  EXPECT_EQ(advanced->text(), QStringLiteral("Normal >>"));
  EXPECT_FALSE(files->isVisible());
  EXPECT_EQ(optionsBox->width(), form.centralWidget()->width() - 8);  // within the margins
  EXPECT_TRUE(doNotChange->isVisible());
  EXPECT_TRUE(child<QCheckBox>("CheckBox8")->isVisible());
  EXPECT_TRUE(child<QWidget>("Edit1")->isVisible());
  EXPECT_TRUE(child<QWidget>("ComboBox1")->isVisible());

  // The advanced switches are the configuration's own.
  QTest::mouseClick(doNotChange, Qt::LeftButton);
  EXPECT_TRUE(config.Advanced.DoNotChangeFilenameReferences);
  QTest::mouseClick(child<QCheckBox>("CheckBox8"), Qt::LeftButton, {}, QPoint(8, 9));
  EXPECT_TRUE(config.Advanced.ReplaceOnlyInFirst);
  auto* count = child<QWidget>("Edit1");
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
  auto* find = child<QPlainTextEdit>("Memo1");
  auto* replace = child<QPlainTextEdit>("Memo2");
  find->setPlainText(QStringLiteral("a much longer find text"));
  replace->setPlainText(QStringLiteral("line one\nline two"));
  EXPECT_EQ(form.replaceText(), "line one\r\nline two");

  child<QAction>("CopyReplacestringtoclipboard1")->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("line one\nline two"));
  child<QAction>("CopyFindstringtoclipboard1")->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("a much longer find text"));

  child<QAction>("ClearFindstring1")->trigger();
  EXPECT_TRUE(find->toPlainText().isEmpty());
  EXPECT_FALSE(replace->toPlainText().isEmpty());
  EXPECT_FALSE(config.Changed);
}

TEST_F(MainWindowTest, CheckAllAndUncheckAllLeaveChangedAlone) {
  {
    FileListModel::Reset reset(form.fileModel());
    config.Files = {{"/a.htm", false}, {"/b.htm", true}};
  }
  child<QAction>("CheckAll1")->trigger();
  EXPECT_TRUE(config.Files[0].Checked && config.Files[1].Checked);
  child<QAction>("UncheckAll2")->trigger();
  EXPECT_FALSE(config.Files[0].Checked || config.Files[1].Checked);
  EXPECT_FALSE(config.Changed);

  // A click on an entry's check box checks that entry alone.
  auto* list = child<QListView>("CheckListBox1");
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
  child<QAction>("ToolButton10")->trigger();
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
  auto* list = child<QListView>("CheckListBox1");
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
