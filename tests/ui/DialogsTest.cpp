// The scan dialog, the scanning window and the options dialog, driven through their controls
// and through the main window's commands; the switch rules and accessible names of the main
// window; the confirmation dialog with long texts.

#include "ui/ConfirmDialog.h"
#include "ui/OptionsDialog.h"
#include "ui/ScanDialog.h"
#include "ui/ScanProgressDialog.h"

#include "MainWindowFixture.h"

#include "config/Settings.h"
#include "lang/TextTable.h"
#include "scan/Scan.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include <functional>

namespace tw {
namespace {

// What a screen reader calls `w`: its accessible name, or else its caption (a button's
// text, a group's title).
QString accessibleNameOf(QWidget* w) {
  if (!w->accessibleName().isEmpty()) return w->accessibleName();
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
  return a ? a->text(QAccessible::Name) : QString();
}

// The control of `window` that a screen reader calls `name`; fails the test unless there is
// exactly one.
template <class T>
T* named(QWidget* window, const QString& name) {
  T* found = nullptr;
  for (T* w : window->findChildren<T*>()) {
    if (accessibleNameOf(w) != name) continue;
    EXPECT_EQ(found, nullptr) << "two controls called " << name.toStdString();
    found = w;
  }
  EXPECT_NE(found, nullptr) << name.toStdString();
  return found;
}

// Every control of `window` that a screen reader stops at has a name for it.
void expectAccessibleNames(QWidget* window) {
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QLineEdit*>(w) &&
        !qobject_cast<QComboBox*>(w) && !qobject_cast<QAbstractItemView*>(w) &&
        !qobject_cast<QAbstractScrollArea*>(w)) {
      continue;
    }
    if (w->parentWidget() && qobject_cast<QComboBox*>(w->parentWidget())) continue;
    if (qobject_cast<QAbstractScrollArea*>(w->parentWidget())) continue;  // a view's own parts
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    ASSERT_NE(a, nullptr);
    EXPECT_FALSE(a->text(QAccessible::Name).isEmpty())
        << w->metaObject()->className() << " " << qPrintable(w->objectName());
  }
}

void click(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, 6));
}

// Runs `step` on the modal window `window`, or the one named `name`, once it is up; fails the
// test (and closes whatever modal window is up) when none comes within the deadline.
void whenModal(const QWidget* window, const char* name, std::function<void(QWidget*)> step) {
  auto* timer = new QTimer;
  auto deadline = std::make_shared<int>(2000);
  QObject::connect(timer, &QTimer::timeout, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    const bool wanted =
        modal && (window ? modal == window : modal->objectName() == QString::fromLatin1(name));
    if (wanted && modal->isVisible()) {
      timer->deleteLater();
      timer->stop();
      step(modal);
    } else if ((*deadline -= 5) <= 0) {
      timer->deleteLater();
      timer->stop();
      ADD_FAILURE() << "the window " << name << " did not come up";
      if (modal) modal->close();
    }
  });
  timer->start(5);
}

void whenModal(const char* name, std::function<void(QWidget*)> step) {
  whenModal(nullptr, name, std::move(step));
}

void whenModal(const QWidget* window, std::function<void(QWidget*)> step) {
  whenModal(window, window->metaObject()->className(), std::move(step));
}

class ScanWindows : public test::MainWindowFixture {
 protected:
  ScanWindows() : scanDialog(prompts, settings, &form), scanProgressDialog(&form) {
    form.setScanWindows(&scanDialog, &scanProgressDialog);
  }
  ScanDialog scanDialog;
  ScanProgressDialog scanProgressDialog;
};

TEST_F(ScanWindows, FieldsFollowTheirBoxesAndAdvancedUnfoldsTheGroup) {
  QWidget* d = &scanDialog;
  EXPECT_EQ(scanDialog.windowTitle(), "Scan for files");
  auto* group = named<QGroupBox>(d, "Advanced Search");
  auto* advanced = named<QPushButton>(d, "Advanced>>");
  EXPECT_EQ(named<QLineEdit>(d, "Specify extension")->text(), "*.htm*");
  EXPECT_TRUE(named<QCheckBox>(d, "Recurse subdirectory")->isChecked());
  EXPECT_EQ(named<QComboBox>(d, "File size unit")->currentText(), "Kbytes");
  EXPECT_EQ(named<QComboBox>(d, "Not older than, unit")->currentText(), "Day(s)");
  EXPECT_EQ(named<QLineEdit>(d, "Date between, to")->text().size(), 10);  // today, DD.MM.YYYY
  scanDialog.show();
  const int collapsed = scanDialog.width();
  EXPECT_FALSE(group->isVisible());
  click(advanced);
  EXPECT_TRUE(group->isVisible());
  EXPECT_EQ(advanced->text(), "Normal <<");
  EXPECT_GT(scanDialog.sizeHint().width(), collapsed + 100);

  // Each criterion's box enables its fields, however its state changes.
  const std::pair<const char*, std::vector<const char*>> criteria[] = {
      {"File Size", {"File size comparison", "File size amount", "File size unit"}},
      {"Date between", {"Date between, from", "Date between, to"}},
      {"Not older than", {"Not older than, count", "Not older than, unit"}},
      {"With attributes", {"Archive", "Read only", "System"}}};
  for (const auto& [box, fields] : criteria) {
    for (const char* field : fields) EXPECT_FALSE(named<QWidget>(d, field)->isEnabled()) << field;
    named<QCheckBox>(d, box)->setChecked(true);
    for (const char* field : fields) EXPECT_TRUE(named<QWidget>(d, field)->isEnabled()) << field;
  }
  EXPECT_FALSE(named<QCheckBox>(d, "System")->isVisible());
  // A translated caption does not change the direction.
  advanced->setText("Erweitert");
  click(advanced);
  EXPECT_FALSE(group->isVisible());
  EXPECT_EQ(advanced->text(), "Advanced>>");
  scanDialog.hide();
}

// Each caption comes from its slot of the language; the fold button keeps the language's
// caption after a round trip, and the path line asks for a folder until one is chosen.
TEST_F(ScanWindows, CaptionsFollowTheLanguage) {
  QWidget* d = &scanDialog;
  TextTable markers;
  for (int slot = 1; slot <= kBuiltinSlots; ++slot)
    markers.set(slot, "#" + std::to_string(slot) + "#");
  scanDialog.applyTexts(markers);
  const std::pair<const char*, int> buttons[] = {
      {"#16#", 16}, {"#46#", 46}, {"#48#", 48}, {"#50#", 50}, {"#51#", 51},
      {"#52#", 52}, {"#53#", 53}, {"#54#", 54}, {"#55#", 55}, {"#56#", 56}};
  for (const auto& [caption, slot] : buttons)
    EXPECT_EQ(named<QAbstractButton>(d, caption)->text().toStdString(), markers.text(slot));
  auto* masks = named<QLineEdit>(d, "#47#");
  EXPECT_EQ(masks->text(), "*.htm*");
  QList<QLabel*> captions;
  for (QLabel* label : d->findChildren<QLabel*>())
    if (label->text().startsWith(u'#')) captions << label;
  ASSERT_EQ(captions.size(), 2);
  EXPECT_EQ(captions[0]->buddy() == masks ? captions[0]->text() : captions[1]->text(), "#47#");
  EXPECT_EQ(scanDialog.folderLabel()->text(), "#45#");

  auto* advanced = named<QPushButton>(d, "#48#");
  scanDialog.show();
  click(advanced);
  click(advanced);
  EXPECT_EQ(advanced->text(), "#48#");
  scanDialog.setDirectory(QDir::rootPath());
  EXPECT_EQ(scanDialog.folderLabel()->text(), "/");
  scanDialog.applyTexts(TextTable());
  EXPECT_EQ(scanDialog.folderLabel()->text(), "/") << "a chosen folder stays shown";
  EXPECT_EQ(named<QPushButton>(d, "Scan")->text(), "Scan");
  scanDialog.hide();
}

// Regression: the dialog named the remembered folder above a tree that still showed the top
// of "/", because the folders load in the background after the dialog is shown.
TEST_F(ScanWindows, OpensWithTheRememberedFolderSelectedAndInView) {
  // Deep, and among many folders on every level, so that it is far from the tree's top.
  std::string deep = "root";
  for (const char* level : {"m-one", "m-two", "m-three", "m-four"}) {
    for (int i = 0; i < 40; ++i) dir.write(deep + "/a" + std::to_string(i) + "/f", "");
    deep += std::string("/") + level;
  }
  dir.write(deep + "/f", "");
  deep = dir.file(deep);
  QTreeView* tree = scanDialog.folderTree();
  auto inView = [tree] {
    const QModelIndex current = tree->currentIndex();
    const QRect item = tree->visualRect(current);
    return current.isValid() && tree->selectionModel()->isSelected(current) && item.height() > 0 &&
           tree->viewport()->rect().contains(item.topLeft() + QPoint(0, 1)) &&
           tree->viewport()->rect().contains(QPoint(item.left(), item.bottom()));
  };
  // In view once the folders are read, and still in view after the tree has settled.
  auto waitUntilInView = [&] {
    for (int waited = 0; waited < 5000 && !inView(); waited += 20) QTest::qWait(20);
    QTest::qWait(500);
  };
  for (const std::string& remembered : {deep, dir.file("root/m-one")}) {
    SCOPED_TRACE(remembered);
    StoreScanFolder(settings, remembered);
    scanDialog.setDirectory(QDir::rootPath());
    scanDialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scanDialog));
    waitUntilInView();
    const QString wanted = QString::fromStdString(remembered);
    EXPECT_EQ(scanDialog.directory(), wanted);
    EXPECT_TRUE(inView()) << tree->visualRect(tree->currentIndex()).y() << " of "
                          << tree->viewport()->height();
    EXPECT_EQ(scanDialog.folderLabel()->toolTip(), wanted);
    scanDialog.hide();
  }
}

TEST_F(ScanWindows, AMalformedFieldIsRefusedAndTheDialogStaysOpenWithItFocused) {
  QWidget* d = &scanDialog;
  struct Case {
    const char* box;
    const char* field;
    const char* text;
    std::string message;
  };
  const Case cases[] = {
      {"File Size", "File size amount", "12x", "File size: '12x' is not a valid integer value"},
      {"Date between", "Date between, from", "31.02.2002",
       "Date between: '31.02.2002' is not a valid date (use DD.MM.YYYY)"},
      {"Not older than", "Not older than, unit", "days",
       "Not older than: 'days' is not a valid unit (use Hour(s), Day(s), Week(s), Month(s) or "
       "Year(s))"},
      // Regression: a number below 0 was "not a valid integer value".
      {"File Size", "File size amount", "-5", "File size: '-5' must be 0 or more"},
      {"Not older than", "Not older than, count", " -2", "Not older than: ' -2' must be 0 or more"},
  };
  scanDialog.show();
  QApplication::setActiveWindow(&scanDialog);
  named<QLineEdit>(d, "Not older than, count")->setText("2");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    named<QCheckBox>(d, c.box)->setChecked(true);
    QWidget* field = named<QWidget>(d, c.field);
    if (auto* line = qobject_cast<QLineEdit*>(field)) line->setText(c.text);
    if (auto* combo = qobject_cast<QComboBox*>(field)) combo->setEditText(c.text);
    prompts.shown.clear();
    click(named<QPushButton>(d, "Scan"));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, c.message);
    EXPECT_EQ(prompts.shown[0].caption, "Warning");
    EXPECT_TRUE(scanDialog.isVisible());
    EXPECT_EQ(scanDialog.result(), 0);
    EXPECT_TRUE(scanDialog.expanded());
    EXPECT_TRUE(field->hasFocus() || field->isAncestorOf(QApplication::focusWidget()));
    named<QCheckBox>(d, c.box)->setChecked(false);
  }
  EXPECT_FALSE(settings.hasValue(settings::kLastDir));
  scanDialog.hide();
}

TEST_F(ScanWindows, ScanFromEveryPlaceAddsExactlyWhatTheWalkFinds) {
  // A generated tree: files at three depths, some not matching, a hidden folder.
  for (int i = 0; i < 20; ++i) {
    dir.write("site/d" + std::to_string(i % 4) + "/p" + std::to_string(i) + ".html", "x");
    dir.write("site/d" + std::to_string(i % 4) + "/e/n" + std::to_string(i) + ".txt", "x");
  }
  dir.write("site/.cache/hidden.html", "x");
  const std::string longName = "site/" + std::string(120, 'l') + "/page.htm";
  dir.write(longName, "x");
  const QString site = QString::fromStdString(dir.file("site"));
  ScanCriteria criteria;
  criteria.Directory = dir.file("site");
  criteria.Masks = {"*.htm*"};
  const std::vector<std::string> expected = findScanFiles(criteria).paths;
  ASSERT_EQ(expected.size(), 21u);
  QPushButton* scan = named<QPushButton>(&scanDialog, "Scan");

  whenModal(&scanDialog, [&](QWidget*) {
    scanDialog.setDirectory(site);
    click(scan);
  });
  QTest::mouseClick(ui().scanButton, Qt::LeftButton, {}, QPoint(6, 6));
  std::vector<std::string> paths;
  for (const FileEntry& e : config.Files) {
    paths.push_back(e.Path);
    EXPECT_TRUE(e.Checked);
  }
  EXPECT_EQ(paths, expected);
  EXPECT_TRUE(config.Changed);
  EXPECT_TRUE(actions().saveTool->isEnabled());
  EXPECT_EQ(ReadLastDir(settings), criteria.Directory + "/");
  // The list scrolls sideways to the long path.
  QApplication::processEvents();
  EXPECT_GT(ui().fileList->horizontalScrollBar()->maximum(), 0);

  // The menu entry: the dialog opens at the last folder and a second scan adds only the new.
  config.markSaved();
  const std::string added = dir.write("site/new.htm", "x");
  scanDialog.setDirectory(QDir::rootPath());
  whenModal(&scanDialog, [&](QWidget*) {
    EXPECT_EQ(scanDialog.directory(), site);
    click(scan);
  });
  actions().scanForFiles->trigger();
  EXPECT_EQ(config.Files.size(), expected.size() + 1);
  EXPECT_EQ(config.Files.back().Path, added);

  // The pop-up entry: Cancel in the dialog adds nothing and changes nothing.
  config.markSaved();
  whenModal(&scanDialog, [&](QWidget*) { click(named<QPushButton>(&scanDialog, "Cancel")); });
  entry(actions().fileListMenu, "Scan for files")->trigger();
  EXPECT_EQ(config.Files.size(), expected.size() + 1);
  EXPECT_FALSE(config.Changed);
}

TEST_F(ScanWindows, CancelInTheScanningWindowAddsNothing) {
  for (int i = 0; i < 50; ++i) dir.write("t/d" + std::to_string(i) + "/f.htm", "x");
  ScanCriteria criteria;
  criteria.Directory = dir.file("t");
  criteria.Masks = {"*.htm"};
  EXPECT_EQ(scanProgressDialog.windowTitle(), "Scanning");
  // Cancel is pressed as soon as the window is up, before the walk has gone far.
  QTimer::singleShot(0, [&] { click(scanProgressDialog.cancelButton()); });
  const ScanFound found = scanProgressDialog.execScan(criteria);
  EXPECT_TRUE(found.cancelled);
  EXPECT_EQ(takeScanResults(config, found), 0u);
  EXPECT_TRUE(config.Files.empty());
  EXPECT_FALSE(scanProgressDialog.scanning());

  // Uncancelled, the window shows the folders as it goes and closes by itself.
  const ScanFound all = scanProgressDialog.execScan(criteria);
  EXPECT_FALSE(all.cancelled);
  EXPECT_EQ(all.paths.size(), 50u);
  EXPECT_TRUE(
      scanProgressDialog.shownFolder().startsWith(QString::fromStdString(criteria.Directory)));
}

class OptionsDialogTest : public test::MainWindowFixture {
 protected:
  OptionsDialogTest() : dialog(options, config, &form) { form.setOptionsWindow(&dialog); }
  QCheckBox* box(bool AppOptions::*option) { return dialog.box(option); }
  QCheckBox* confirmBox() { return dialog.box(nullptr); }
  static void press(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  OptionsDialog dialog;
};

TEST_F(OptionsDialogTest, EveryBoxIsItsLiveSwitchAndCancelGoesBackToTheShowing) {
  EXPECT_EQ(dialog.windowTitle(), "Options");
  // Each box, as the user reads it, and the switch behind it.
  const std::pair<const char*, bool AppOptions::*> bound[] = {
      {"AutoSave window size and position", &AppOptions::AutoSavePosition},
      {"Load previous project at startup", &AppOptions::LoadPreviousProject},
      {"Remove trailing spaces", &AppOptions::RemoveTrailingSpaces},
      {"Remove leading spaces", &AppOptions::RemoveLeadingSpaces},
      {"Confirm deletion of the selected files", &AppOptions::ConfirmDeleteFile},
      {"Confirm deletion of all files", &AppOptions::ConfirmDeleteAllFiles},
      {"Confirm deletion of the selected strings", &AppOptions::ConfirmDeletePair},
      {"Confirm on exit", &AppOptions::ConfirmOnExit},
      {"Save as Unix file", &AppOptions::SaveAsUnix},
      {"Save old date", &AppOptions::SaveOldDate},
      {"Save old attributes", &AppOptions::SaveOldAttributes},
      {"Confirm deletion of backup files", &AppOptions::ConfirmDeleteBackups},
      {"Unicode letters in case and whole words", &AppOptions::UnicodeLetters}};
  dialog.show();
  for (auto [caption, field] : bound) {
    SCOPED_TRACE(caption);
    ASSERT_NE(box(field), nullptr);
    EXPECT_EQ(box(field)->text(), QString::fromLatin1(caption));
    EXPECT_EQ(box(field)->isChecked(), options.*field);
    box(field)->toggle();  // in force at once, while the dialog is open
    EXPECT_EQ(box(field)->isChecked(), options.*field);
  }
  EXPECT_EQ(confirmBox()->text(), QStringLiteral("Confirm every replacement"));
  dialog.rtfAsTextButton()->setChecked(true);
  EXPECT_FALSE(options.RtfAsRichText);
  press(dialog.cancelButton());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(options, (AppOptions{.RtfAsRichText = false}));  // the RTF choice stays

  // OK and the close button keep the changes.
  dialog.show();
  box(&AppOptions::ConfirmOnExit)->setChecked(false);
  press(dialog.okButton());
  EXPECT_FALSE(options.ConfirmOnExit);
  dialog.show();
  box(&AppOptions::ConfirmDeleteBackups)->setChecked(false);
  dialog.close();
  EXPECT_FALSE(options.ConfirmDeleteBackups);
  // The language list is the main window's: it always offers the built-in texts first.
  ASSERT_GE(dialog.languageList()->count(), 1);
  EXPECT_EQ(dialog.languageList()->itemText(0), QStringLiteral("English.lng"));

  // The main window's commands read the switch as the dialog left it.
  whenModal("Options", [&](QWidget*) {
    box(&AppOptions::ConfirmDeleteAllFiles)->setChecked(true);
    press(dialog.okButton());
  });
  actions().options->trigger();
  config.Files = {{"/a", true}};
  prompts.answers = {PromptAnswer::No};
  actions().deleteAllFiles->trigger();
  EXPECT_EQ(prompts.shown.back().text, "Really delete all files from the list?");
  EXPECT_EQ(config.Files.size(), 1u);
}

TEST_F(OptionsDialogTest, ConfirmEveryReplacementMovesWithTheMainWindowsBox) {
  auto* mainBox = ui().switches[4];
  dialog.show();
  confirmBox()->setChecked(true);
  EXPECT_TRUE(config.Flags.Confirm);
  EXPECT_TRUE(mainBox->isChecked());
  EXPECT_TRUE(config.Changed);
  EXPECT_TRUE(actions().saveTool->isEnabled());
  press(dialog.cancelButton());  // goes back, with the effects of a change
  EXPECT_FALSE(config.Flags.Confirm);
  EXPECT_FALSE(mainBox->isChecked());
  EXPECT_TRUE(config.Changed);

  mainBox->setChecked(true);
  whenModal("Options", [&](QWidget*) {
    EXPECT_TRUE(confirmBox()->isChecked());
    press(dialog.okButton());
  });
  actions().options->trigger();
  EXPECT_TRUE(config.Flags.Confirm);
}

// The mouse and the keyboard set the switch; OK keeps it in the settings for the next start,
// Cancel neither sets nor keeps it, and a language file leaves its English caption alone.
TEST_F(OptionsDialogTest, UnicodeLettersByMouseAndKeyboardOutlivesTheProgram) {
  QCheckBox* unicode = box(&AppOptions::UnicodeLetters);
  ASSERT_NE(unicode, nullptr);
  EXPECT_FALSE(unicode->toolTip().isEmpty());
  EXPECT_FALSE(unicode->accessibleDescription().isEmpty());
  whenModal("Options", [&](QWidget*) {
    QTabBar* tabs = dialog.pages()->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    click(unicode);
    EXPECT_TRUE(options.UnicodeLetters);
    press(dialog.okButton());
  });
  actions().options->trigger();
  EXPECT_EQ(settings.readInteger(settings::kUnicodeLetters), 1);

  // By keyboard: Tab to the page tabs, Right to the page, Tab to the box, Space to clear it, Escape
  // to go back on it, then again with Return (OK, the default button).
  auto clearByKeyboard = [&](Qt::Key close) {
    whenModal("Options", [&, close](QWidget*) {
      dialog.pages()->setCurrentIndex(0);
      // Each key goes where the keyboard focus is, as the user's would.
      auto hit = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        if (QWidget* focus = QApplication::focusWidget()) QTest::keyClick(focus, key, modifiers);
      };
      auto tabTo = [&](QWidget* w) {
        for (int i = 0; i < 20 && QApplication::focusWidget() != w; ++i) hit(Qt::Key_Tab);
      };
      tabTo(dialog.pages()->tabBar());
      hit(Qt::Key_Right);
      EXPECT_EQ(dialog.pages()->currentIndex(), 1);
      tabTo(unicode);
      EXPECT_EQ(QApplication::focusWidget(), unicode);
      hit(Qt::Key_Space);
      EXPECT_FALSE(options.UnicodeLetters);
      hit(close);
      if (dialog.isVisible()) press(dialog.cancelButton());  // the keys missed: go on
    });
    actions().options->trigger();
  };
  clearByKeyboard(Qt::Key_Escape);
  EXPECT_TRUE(options.UnicodeLetters);
  EXPECT_EQ(settings.readInteger(settings::kUnicodeLetters), 1);
  clearByKeyboard(Qt::Key_Return);
  EXPECT_FALSE(options.UnicodeLetters);
  EXPECT_EQ(settings.readInteger(settings::kUnicodeLetters), 0);

  // A restart over the same settings file reads the switch back.
  dialog.show();
  unicode->setChecked(true);
  dialog.close();
  QSettingsStore restartedSettings(QString::fromStdString(dir.file("settings.conf")));
  Configuration restartedConfig;
  AppOptions restartedOptions;
  test::FakePrompts restartedPrompts;
  MainWindow restarted(restartedConfig, restartedOptions, restartedPrompts, restartedSettings);
  restarted.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&restarted));
  EXPECT_TRUE(restartedOptions.UnicodeLetters);

  TextTable german;
  german.set(67, "Leerzeichen am Ende entfernen");
  dialog.applyTexts(german);
  EXPECT_EQ(box(&AppOptions::RemoveTrailingSpaces)->text(), "Leerzeichen am Ende entfernen");
  EXPECT_EQ(unicode->text(), "Unicode letters in case and whole words");
}

TEST_F(OptionsDialogTest, EveryControlHasAnAccessibleName) {
  dialog.show();
  expectAccessibleNames(&dialog);
}

class MainWindowRules : public test::MainWindowFixture {};

// Regression: the rules ran only on a click, so a screen reader's Toggle or a change by code
// left "Whole Words Only" enabled under regular expressions and the Save button disabled.
TEST_F(MainWindowRules, EveryChangeOfStateKeepsTheRules) {
  auto toggle = [](QCheckBox* box) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(box);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  };
  auto* backups = ui().switches[2];
  toggle(backups);
  EXPECT_FALSE(config.Flags.CreateBackupFiles);
  EXPECT_FALSE(actions().createBackupFiles->isChecked());
  EXPECT_TRUE(config.Changed);
  EXPECT_TRUE(actions().saveTool->isEnabled());
  actions().createBackupFiles->setChecked(true);  // the entry, changed by code
  EXPECT_TRUE(config.Flags.CreateBackupFiles);
  EXPECT_TRUE(backups->isChecked());

  toggle(ui().switches[5]);
  EXPECT_TRUE(config.Flags.Regular);
  EXPECT_FALSE(ui().switches[1]->isEnabled());
  EXPECT_FALSE(ui().switches[3]->isEnabled());
  ui().switches[5]->setChecked(false);
  EXPECT_TRUE(ui().switches[1]->isEnabled());
  ui().switches[0]->setChecked(true);
  EXPECT_TRUE(config.Flags.CaseSensitive);
}

TEST_F(MainWindowRules, EveryControlHasAnAccessibleName) {
  expectAccessibleNames(&form);
}

TEST(ConfirmDialog, LongTextsNeverMakeItLargerThanTheScreen) {
  ConfirmDialog dialog;
  ConfirmRequest request;
  request.path = "/data/" + std::string(224, 'n') + ".html";
  request.find = std::string(500, 'f');
  std::string lines;
  for (int i = 0; i < 30; ++i) lines += "line " + std::to_string(i) + "\r\n";
  request.replace = lines;
  request.excerpt = request.find;
  request.occurrenceLength = 500;
  QSize shown;
  QString replaceTip;
  QTimer::singleShot(50, [&] {
    shown = dialog.frameGeometry().size();
    replaceTip = dialog.replaceLine()->toolTip();
    dialog.close();
  });
  dialog.ask(request);
  const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
  EXPECT_LE(shown.width(), std::min(screen.width(), 1024));
  EXPECT_LE(shown.height(), std::min(screen.height(), 768));
  EXPECT_TRUE(replaceTip.startsWith("line 0\nline 1"));  // the whole text in the tooltip
}

}  // namespace
}  // namespace tw
