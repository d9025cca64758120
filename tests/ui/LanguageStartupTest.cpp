// The texts of the chosen language in every window, the start-up from the settings, the exit,
// the tips window and the about box, driven through the real windows.

#include "ui/AboutDialog.h"
#include "ui/ConfirmDialog.h"
#include "ui/LanguageTexts.h"
#include "ui/MainWindow.h"
#include "ui/PairTableModel.h"
#include "ui/ProcessingDialog.h"
#include "ui/ProgramWindows.h"
#include "ui/QSettingsStore.h"
#include "ui/ResultsDialog.h"
#include "ui/TipsDialog.h"

#include "config/RplFile.h"
#include "config/Settings.h"
#include "lang/LanguageFile.h"
#include "lang/TextBindings.h"
#include "support/MemorySettingsStore.h"

#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>

namespace tw {
namespace {

using namespace settings;

// The main window with every window it owns, over a settings store chosen by the test.
struct Program {
  explicit Program(SettingsStore& settings, test::FakePrompts& prompts)
      : mainWindow(config, options, prompts, settings),
        confirmDialog(&mainWindow),
        resultsDialog(prompts, &mainWindow),
        about(&mainWindow),
        processingDialog(confirmDialog, prompts, &mainWindow),
        tipsDialog(settings, &mainWindow) {
    mainWindow.setRunWindows(&processingDialog, &resultsDialog);
    mainWindow.setInfoWindows(&tipsDialog, &about);
  }

  Configuration config;
  AppOptions options;
  MainWindow mainWindow;
  ConfirmDialog confirmDialog;
  ResultsDialog resultsDialog;
  AboutDialog about;
  ProcessingDialog processingDialog;
  TipsDialog tipsDialog;
};

class LanguageStartupTest : public ::testing::Test {
 protected:
  LanguageStartupTest() : settings(QString::fromStdString(dir.file("settings.conf"))) {
    setLanguageFolders({QString::fromStdString(dir.file("Language")),
                        QStringLiteral(TEXTWRIGHT_SOURCE_DIR "/Language")});
    std::filesystem::create_directory(dir.file("Language"));
  }
  ~LanguageStartupTest() override { setLanguageFolders({}); }

  // Shows the main window and lets its first activation happen.
  void start(Program& p) {
    p.mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.mainWindow));
    QApplication::setActiveWindow(&p.mainWindow);
    QTest::qWait(20);
  }

  test::TempDir dir;
  test::FakePrompts prompts;
  QSettingsStore settings;
};

TEST_F(LanguageStartupTest, EveryShippedLanguageReachesTheControls) {
  Program p(settings, prompts);
  start(p);
  for (const QString& language : languageFileNames()) {
    SCOPED_TRACE(language.toStdString());
    ASSERT_TRUE(p.mainWindow.changeLanguage(language));
    EXPECT_EQ(settings.readString(kLanguage), language.toStdString());
    TextTable expected;
    ASSERT_EQ(loadLanguageFile(languageFilePath(language).toStdString(), expected), "");
    // The main window puts its texts in itself: a sample of every kind of place.
    const MainActions& a = p.mainWindow.actions();
    const MainWindowControls& ui = p.mainWindow.controls();
    const std::pair<QString, int> shown[] = {
        {a.fileMenu->title().remove(u'&'), 2},
        {a.filesMenu->title().remove(u'&'), 4},
        {a.helpMenu->title().remove(u'&'), 27},
        {a.newConfiguration->text(), 6},
        {a.addFiles->text(), 15},
        {a.browseFile->text(), 21},
        {a.tipOfTheDay->text(), 99},
        {ui.filesGroup->title(), 4},
        {ui.optionsGroup->title(), 10},
        {ui.browseButton->text(), 21},
        {ui.editButton->text(), 22},
        {ui.switches[0]->text(), 33},
        {ui.switches[2]->text(), 24},
        {ui.goButton->text(), 38},
        {ui.findLabel->text(), 39},
        {p.mainWindow.pairModel().headerData(1, Qt::Horizontal).toString(), 40},
    };
    for (const auto& [text, slot] : shown)
      EXPECT_EQ(text, QString::fromStdString(expected.text(slot))) << "slot " << slot;
  }
  ASSERT_GE(languageFileNames().size(), 3);

  // Back to the built-in texts; the grid headers follow the language at every activation.
  ASSERT_TRUE(p.mainWindow.changeLanguage(QStringLiteral("English.lng")));
  EXPECT_EQ(settings.readString(kLanguage), "");
  EXPECT_EQ(p.mainWindow.actions().startNewPair->text(), QStringLiteral("Add"));
  EXPECT_EQ(p.mainWindow.controls().stringsGroup->title(), QStringLiteral("Strings"));
  EXPECT_TRUE(prompts.shown.empty());
}

// Every text any control of any window shows, gathered as a user would read them: buttons,
// labels, group and menu titles, menu entries, page captions, column headers.
QStringList everyShownText(QWidget* mainWindow) {
  QList<QObject*> objects = {mainWindow};
  for (QObject* o : mainWindow->findChildren<QObject*>()) objects << o;
  QStringList texts;
  for (QObject* o : objects) {
    if (auto* action = qobject_cast<QAction*>(o)) texts << action->text();
    if (auto* menu = qobject_cast<QMenu*>(o)) texts << menu->title();
    if (auto* group = qobject_cast<QGroupBox*>(o)) texts << group->title();
    if (auto* button = qobject_cast<QAbstractButton*>(o)) texts << button->text();
    if (auto* label = qobject_cast<QLabel*>(o)) texts << label->text();
    if (auto* tabs = qobject_cast<QTabWidget*>(o))
      for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
    if (auto* view = qobject_cast<QAbstractItemView*>(o); view && view->model())
      for (int column = 0; column < view->model()->columnCount(); ++column)
        texts << view->model()->headerData(column, Qt::Horizontal).toString();
  }
  return texts;
}

// A language whose every text names its slot ("#33#"): each slot that the windows show must
// turn up in some control, and no control may show a slot that is not meant to be shown.
TEST_F(LanguageStartupTest, EveryShownSlotReachesAControlAndNoOtherDoes) {
  std::string markers;
  for (int slot = 1; slot <= kBuiltinSlots; ++slot)
    markers += std::to_string(slot) + "=\"#" + std::to_string(slot) + "#\"\n";
  dir.write("Language/Markers.lng", markers);
  Configuration config;
  AppOptions options;
  QtPrompts quiet;
  ProgramWindows windows(config, options, quiet, settings);
  ASSERT_TRUE(windows.mainWindow.applyLanguage(QStringLiteral("Markers.lng")));
  std::set<int> seen;
  static const QRegularExpression kMarker(QStringLiteral("#(\\d+)#"));
  for (const QString& text : everyShownText(&windows.mainWindow))
    for (auto it = kMarker.globalMatch(text); it.hasNext();)
      seen.insert(it.next().captured(1).toInt());
  const std::set<int> shown(shownSlots().begin(), shownSlots().end());
  EXPECT_EQ(seen, shown);
}

TEST_F(LanguageStartupTest, RefusedLanguageChangesNothing) {
  dir.write("Language/Broken.lng", "2=\"Datei\"\n\n16=\"Suchen\n");
  dir.write("Language/English.lng", "2=\"Not read\"\n");
  Program p(settings, prompts);
  start(p);
  // The options dialog's list: every file once, the language in use chosen.
  QComboBox list;
  p.mainWindow.attachLanguageList(&list);
  EXPECT_EQ(list.count(), 5) << "English.lng once, first";
  EXPECT_EQ(list.itemText(0), QStringLiteral("English.lng"));
  EXPECT_EQ(list.currentText(), QStringLiteral("English.lng"));
  emit list.textActivated(QStringLiteral("German.lng"));
  EXPECT_EQ(settings.readString(kLanguage), "German.lng");
  for (const char* name : {"Broken.lng", "Nowhere.lng"}) {
    emit list.textActivated(QString::fromLatin1(name));
    EXPECT_EQ(list.currentText(), QStringLiteral("German.lng")) << name;
    EXPECT_EQ(p.mainWindow.actions().fileMenu->title().remove(u'&'), QStringLiteral("Datei"));
    EXPECT_EQ(settings.readString(kLanguage), "German.lng") << name;
  }
  ASSERT_EQ(prompts.shown.size(), 2u);
  EXPECT_EQ(prompts.shown[0].text,
            "The language file Broken.lng cannot be used: line 3: the text has no closing "
            "double quote.");
  EXPECT_EQ(prompts.shown[0].caption, "Warning");
  EXPECT_EQ(prompts.shown[1].text, "Cannot open file Nowhere.lng");
  EXPECT_TRUE(p.mainWindow.changeLanguage(QStringLiteral("English.lng")));
  EXPECT_EQ(p.mainWindow.actions().fileMenu->title().remove(u'&'), QStringLiteral("File"));
  // Go's refusals speak the language in use.
  ASSERT_TRUE(p.mainWindow.changeLanguage(QStringLiteral("French.lng")));
  p.mainWindow.controls().goButton->click();
  EXPECT_EQ(prompts.shown.back().text, "Vous n'avez indiqué aucun fichier où remplacer !");
}

TEST_F(LanguageStartupTest, StartUpRestoresPlaceLanguageAndPreviousProject) {
  const std::string rpl = dir.file("site.rpl");
  Configuration saved;
  saved.Files = {{"/tmp/a.html", true}};
  saved.setPairs({{"colour", "color"}});
  dir.write("site.rpl", formatRpl(saved));
  settings.writeInteger(kSavePosition, 1);
  settings.writeInteger(kLeft, 10);
  settings.writeInteger(kTop, 20);
  settings.writeInteger(kHeight, 500);
  settings.writeInteger(kWidth, 4000);
  settings.writeInteger(kTips, 0);
  settings.writeInteger(kLoadPrevious, 1);
  settings.writeString(kPreviousProject, rpl);
  settings.writeString(kLanguage, "Spanish.lng");
  {
    Program p(settings, prompts);
    start(p);
    EXPECT_EQ(p.mainWindow.pos(), QPoint(10, 20));
    EXPECT_EQ(p.mainWindow.size(), QSize(570, 500)) << "a width above 3499 takes the built-in one";
    EXPECT_TRUE(p.options.AutoSavePosition);
    EXPECT_EQ(p.mainWindow.actions().fileMenu->title().remove(u'&'), QStringLiteral("Archivo"));
    EXPECT_EQ(p.config.FileName, rpl);
    EXPECT_EQ(p.config.Pairs().size(), 1u);
    EXPECT_FALSE(p.tipsDialog.isVisible()) << "Tips = 0";
  }
  // The previous project gone, the language file broken: the start goes on quietly, in
  // English, with only the language reported; the configuration keeps the missing file's name.
  std::filesystem::remove(rpl);
  dir.write("Language/Spanish.lng", "2=Archivo\n");
  Program p(settings, prompts);
  start(p);
  EXPECT_EQ(p.config.FileName, rpl);
  EXPECT_EQ(p.mainWindow.actions().fileMenu->title().remove(u'&'), QStringLiteral("File"));
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_NE(prompts.shown[0].text.find("Spanish.lng cannot be used: line 1"), std::string::npos);
}

TEST_F(LanguageStartupTest, TipOfTheDayOnceAfterTheFirstActivation) {
  settings.writeString(kLanguage, "");  // settings exist, no Tips value: tips are shown
  Program p(settings, prompts);
  int shown = 0;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (QApplication::activeModalWidget() == &p.tipsDialog) {
      ++shown;
      EXPECT_TRUE(p.tipsDialog.showAtStartupBox()->isChecked());
      p.tipsDialog.showAtStartupBox()->setChecked(false);
      p.tipsDialog.reject();  // the close button: Tips stays unwritten
    }
  });
  watch.start(10);
  start(p);
  QTest::qWait(100);
  QApplication::setActiveWindow(&p.mainWindow);
  QTest::qWait(100);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(settings.hasValue(kTips));
  const MainActions& a = p.mainWindow.actions();
  for (const QAction* command : {a.tipOfTheDay, a.about, a.homePage})
    EXPECT_TRUE(command->isEnabled()) << command->text().toStdString();
}

TEST_F(LanguageStartupTest, ExitStoresSettingsEvenWhenRefusedAndReportsAFailingStoreOnce) {
  Program p(settings, prompts);
  start(p);
  p.options.AutoSavePosition = true;
  p.options.LoadPreviousProject = true;
  p.config.FileName = "/work/a.rpl";
  p.config.Files = {{"/work/a.html", true}};
  p.config.markChanged();
  prompts.answers = {PromptAnswer::Cancel};
  EXPECT_FALSE(p.mainWindow.close());
  EXPECT_EQ(settings.readInteger(kSavePosition), 1);
  EXPECT_EQ(settings.readInteger(kWidth), p.mainWindow.width());
  EXPECT_EQ(settings.readString(kPreviousProject), "/work/a.rpl");

  // A store that cannot be written: said once, and the window closes all the same.
  QSettingsStore unwritable(QString::fromStdString(dir.path().string()));
  Program q(unwritable, prompts);
  start(q);
  prompts.shown.clear();
  q.options.ConfirmOnExit = false;
  q.mainWindow.show();
  EXPECT_TRUE(q.mainWindow.close());
  q.mainWindow.show();
  EXPECT_TRUE(q.mainWindow.close());
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].caption, "Warning");
  EXPECT_NE(prompts.shown[0].text.find("The settings cannot be written to "), std::string::npos);
}

TEST_F(LanguageStartupTest, TipsWrapAndOnlyOkWrites) {
  settings.writeInteger(kTips, 0);
  TipsDialog tips(settings);
  EXPECT_FALSE(tips.showAtStartupBox()->isChecked());
  auto* next = tips.nextButton();
  auto* previous = tips.previousButton();
  auto* label = tips.tipText();
  tips.showTip(19);
  next->click();
  EXPECT_EQ(tips.tipIndex(), 0);
  previous->click();
  EXPECT_EQ(tips.tipIndex(), 19);
  for (int i = 0; i < 20; ++i) next->click();
  EXPECT_EQ(tips.tipIndex(), 19);
  EXPECT_EQ(label->text(), TipsDialog::tips()[19]);
  EXPECT_TRUE(TipsDialog::tips()[2].contains(QLatin1String(kHomePageAddress)));
  EXPECT_TRUE(TipsDialog::tips()[18].endsWith(QLatin1String(kSupportAddress)));

  tips.show();
  tips.showAtStartupBox()->setChecked(true);
  tips.reject();
  EXPECT_EQ(settings.readInteger(kTips), 0) << "closing does not write";
  tips.show();
  tips.okButton()->click();
  EXPECT_EQ(settings.readInteger(kTips), 1);
  EXPECT_FALSE(tips.isVisible());
}

TEST_F(LanguageStartupTest, AboutBoxClosesWithEnter) {
  AboutDialog about;
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
  EXPECT_EQ(about.versionLabel()->text(), QStringLiteral("Version 2.5"));
  QTest::keyClick(&about, Qt::Key_Return);
  EXPECT_FALSE(about.isVisible());
}

}  // namespace
}  // namespace tw
