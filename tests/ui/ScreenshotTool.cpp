// Takes the pictures of the desktop program for the documentation: the main window with a
// small configuration, the confirmation dialog of its run and the results window, the scan
// dialog (folded and unfolded), the scanning window during a large scan, the options dialog,
// the confirmation dialog with very long texts, browse and edit mode on files with long
// paths, the main window in each shipped language, the tips window and the about box. Run
// it through scripts/screenshots.sh (under Xvfb with a window manager); it writes PNG files
// to the folder given, and with ImageMagick's `import` also pictures of the whole 1024x768
// screen, title bars included.

#include "config/ConfigurationCommands.h"
#include "config/Settings.h"
#include "support/MemorySettingsStore.h"
#include "ui/BrowseMode.h"
#include "ui/EditMode.h"
#include "ui/FileListModel.h"
#include "ui/LanguageTexts.h"
#include "ui/PreviewWindow.h"
#include "ui/ProgramWindows.h"
#include "ui/QtPrompts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <fstream>

namespace {

void write(const QString& path, const std::string& bytes) {
  std::ofstream out(path.toStdString(), std::ios::binary);
  out << bytes;
}

bool save(QWidget* w, const QString& path) {
  const bool ok = w->grab().save(path);
  std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
  return ok;
}

// The whole screen, title bars and all, when ImageMagick is there to take it.
void screen(const QString& path) {
  QApplication::processEvents();
  if (QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty()) return;
  const int status = QProcess::execute(QStringLiteral("import"),
                                       {QStringLiteral("-window"), QStringLiteral("root"), path});
  std::printf("%s %s\n", status == 0 ? "wrote" : "could not write", qPrintable(path));
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  tw::useProgramFont();
  if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor"))
    QIcon::setThemeName(QStringLiteral("Adwaita"));
  const QString out =
      argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
  QDir().mkpath(out);

  // A small site to work on, at a fixed place so that the pictures do not change between runs.
  const QString workPath = QDir::tempPath() + QStringLiteral("/textwright-demo");
  QDir(workPath).removeRecursively();
  const QString site = workPath + QStringLiteral("/site");
  QDir().mkpath(site + QStringLiteral("/news"));
  write(site + "/index.html",
        "<html><body>\n<p>Our colour range for 2026.</p>\n<p>Copyright 2024 Brindlecove</p>\n"
        "</body></html>\n");
  write(site + "/colours.html", "<p>Every colour you like, and the colour you need.</p>\n");
  write(site + "/news/2025.html", "<p>New colour cards. Copyright 2024</p>\n");
  write(site + "/notes.txt", "colour notes, not to be touched\n");

  tw::Configuration config;
  tw::AppOptions options;
  tw::QtPrompts prompts;
  tw::MemorySettingsStore settings;
  // No tip of the day over the pictures; the tips window is taken on its own at the end.
  settings.writeInteger(tw::settings::kTips, 0);
  config.Files = {{(site + "/index.html").toStdString(), true},
                  {(site + "/colours.html").toStdString(), true},
                  {(site + "/news/2025.html").toStdString(), true},
                  {(site + "/notes.txt").toStdString(), false}};
  config.setPairs(
      {{"colour", "color"}, {"Copyright 2024", "Copyright 2026"}, {"<font%anything%>", ""}});
  config.Flags.Confirm = true;
  config.FindField = "Colour";
  config.ReplaceField = "Color";

  tw::ProgramWindows windows(config, options, prompts, settings);
  tw::MainWindow& mainWindow = windows.mainWindow;
  const tw::MainWindowControls& ui = mainWindow.controls();
  tw::ConfirmDialog& confirmDialog = windows.confirmDialog;
  tw::ResultsDialog& resultsDialog = windows.resultsDialog;
  tw::ScanDialog& scanDialog = windows.scanDialog;
  tw::ScanProgressDialog& scanProgressDialog = windows.scanProgressDialog;
  tw::AboutDialog& about = windows.aboutDialog;
  tw::ProcessingDialog& processingDialog = windows.processingDialog;
  tw::OptionsDialog& optionsDialog = windows.optionsDialog;
  tw::TipsDialog& tips = windows.tipsDialog;
  tw::setLanguageFolders({QStringLiteral(TEXTWRIGHT_SOURCE_DIR "/Language")});
  // The scan dialog opens at a folder with a long path.
  const QString deep = site + QStringLiteral(
                                  "/archive-of-every-colour-card-we-ever-printed/"
                                  "2019-to-2025-with-the-customer-notes-attached");
  QDir().mkpath(deep);
  settings.writeString(tw::settings::kLastDir, deep.toStdString() + "/");
  mainWindow.resize(640, 480);
  mainWindow.showConfiguration();
  mainWindow.show();

  int failures = 0;
  int step = 0;
  QTimer driver;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (step == 0) {
      failures += !save(&mainWindow, out + "/main-window.png");
      auto* advanced = ui.advancedButton;
      advanced->click();
      failures += !save(&mainWindow, out + "/advanced-view.png");
      advanced->click();
      ++step;
      QTimer::singleShot(0, [&] { ui.goButton->click(); });
    } else if (step == 1 && modal == &confirmDialog) {
      failures += !save(&processingDialog, out + "/processing.png");
      failures += !save(&confirmDialog, out + "/confirm.png");
      ++step;
      confirmDialog.button(2)->click();  // replace all in all files
    } else if (step == 2 && modal == &resultsDialog) {
      failures += !save(&resultsDialog, out + "/results.png");
      ++step;
      resultsDialog.okButton()->click();
      QTimer::singleShot(0, [&] { ui.scanButton->click(); });
    } else if (step == 3 && modal == &scanDialog) {
      failures += !save(&scanDialog, out + "/scan.png");
      screen(out + "/screen-scan.png");
      auto control = [&](const QString& name) {
        for (QWidget* w : scanDialog.findChildren<QWidget*>()) {
          if (w->accessibleName() == name) return w;
          if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->text() == name) return w;
        }
        return static_cast<QWidget*>(nullptr);
      };
      auto box = [&](const char* name) { return qobject_cast<QCheckBox*>(control(name)); };
      auto field = [&](const char* name) { return qobject_cast<QLineEdit*>(control(name)); };
      qobject_cast<QPushButton*>(control(QStringLiteral("Advanced>>")))->click();
      box("File Size")->setChecked(true);
      field("File size amount")->setText(QStringLiteral("10"));
      box("Not older than")->setChecked(true);
      field("Not older than, count")->setText(QStringLiteral("2"));
      failures += !save(&scanDialog, out + "/scan-advanced.png");
      screen(out + "/screen-scan-advanced.png");
      box("File Size")->setChecked(false);
      box("Not older than")->setChecked(false);
      // A large tree for the scanning window: the whole of /usr.
      scanDialog.setDirectory(QStringLiteral("/usr"));
      ++step;
      qobject_cast<QPushButton*>(control(QStringLiteral("Scan")))->click();
    } else if (step == 4 && modal == &scanProgressDialog) {
      failures += !save(&scanProgressDialog, out + "/scanning.png");
      screen(out + "/screen-scanning.png");
      ++step;
      scanProgressDialog.cancelButton()->click();  // Cancel: nothing is added
    } else if (step == 5 && modal == nullptr) {
      ++step;
      QTimer::singleShot(0, [&] { mainWindow.actions().options->trigger(); });
    } else if (step == 6 && modal == &optionsDialog) {
      auto* pages = optionsDialog.pages();
      failures += !save(&optionsDialog, out + "/options.png");
      screen(out + "/screen-options.png");
      pages->setCurrentIndex(1);
      failures += !save(&optionsDialog, out + "/options-replace.png");
      // Captions of another language beside the one that stays English.
      mainWindow.applyLanguage(QStringLiteral("German.lng"));
      QApplication::processEvents();  // the dialog takes the size of its new captions
      failures += !save(&optionsDialog, out + "/options-replace-german.png");
      mainWindow.applyLanguage({});
      pages->setCurrentIndex(0);
      ++step;
      optionsDialog.cancelButton()->click();
      QTimer::singleShot(0, [&] {
        tw::ConfirmRequest request;
        request.path = (deep + QStringLiteral("/") + QString(150, u'n') + ".html").toStdString();
        request.find = std::string(480, 'f');
        for (int i = 1; i <= 30; ++i) request.replace += "line " + std::to_string(i) + "\r\n";
        request.excerpt = "before " + request.find + " after";
        request.occurrenceStart = 7;
        request.occurrenceLength = 480;
        confirmDialog.ask(request);
      });
    } else if (step == 7 && modal == &confirmDialog) {
      failures += !save(&confirmDialog, out + "/confirm-long.png");
      screen(out + "/screen-confirm-long.png");
      ++step;
      confirmDialog.button(3)->click();
    } else if (step == 8 && !modal) {
      // Browse and edit mode, on files with a long path, in a larger window.
      ++step;
      mainWindow.resize(800, 600);
      const QString longDir = workPath + QStringLiteral(
                                             "/customers/brindlecove-garden-supplies/"
                                             "correspondence-and-price-lists/2026/spring");
      QDir().mkpath(longDir);
      QFile::copy(QStringLiteral(TEXTWRIGHT_TEST_DATA_DIR "/rtf/lo-report-odt.rtf"),
                  longDir + "/Seed report.rtf");
      QImage swatch(160, 60, QImage::Format_RGB32);
      swatch.fill(QColor(0x2e, 0x7d, 0x32));
      QPainter(&swatch).fillRect(80, 0, 80, 60, QColor(0xf9, 0xa8, 0x25));
      swatch.save(longDir + "/swatch.png");
      write(longDir + "/colours.html",
            "<html><body><h2>Spring colours</h2>\n<p>Two new colours for the "
            "<a href=\"index.html\">garden range</a>:</p>\n<p><img src=\"swatch.png\"></p>\n"
            "<p><i>Fern</i> and <i>Marigold</i>, from March.</p></body></html>\n");
      write(longDir + "/price-list.txt",
            "Price list, spring 2026\n\nSeeds        per packet   3.20\nBulbs        per dozen    "
            "7.50\n\nAll prices include packing. Orders above fifty pounds are sent free of "
            "charge to any address in the country; smaller orders pay a flat rate of four "
            "pounds, whatever their weight.\n");
      {
        tw::FileListModel::Reset reset(mainWindow.fileModel());
        config.AddFiles({(longDir + "/Seed report.rtf").toStdString(),
                         (longDir + "/colours.html").toStdString(),
                         (longDir + "/price-list.txt").toStdString()});
      }
      mainWindow.showConfiguration();
      auto select = [&](int fromEnd) {
        ui.fileList->setCurrentIndex(
            mainWindow.fileModel().index(int(config.Files.size()) - fromEnd, 0));
      };
      auto button = [](QAbstractButton* b) { b->click(); };
      select(3);
      button(ui.browseButton);
      QApplication::processEvents();
      failures += !save(&mainWindow, out + "/browse-rtf.png");
      mainWindow.browseMode().returnButton()->click();
      select(2);
      button(ui.browseButton);
      QApplication::processEvents();
      failures += !save(&mainWindow, out + "/browse-html.png");
      mainWindow.browseMode().returnButton()->click();
      select(1);
      button(ui.editButton);
      QApplication::processEvents();
      failures += !save(&mainWindow, out + "/edit.png");
      mainWindow.editMode().wrapTextBox()->click();
      QApplication::processEvents();
      failures += !save(&mainWindow, out + "/edit-wrapped.png");
      mainWindow.editMode().discardButton()->click();
    } else if (step == 9 && !modal) {
      // Every shipped language at the window's smallest size, where captions are tightest.
      mainWindow.resize(570, 450);
      for (const QString& language : tw::languageFileNames()) {
        mainWindow.applyLanguage(language);
        failures += !save(&mainWindow,
                          out + "/main-window-" + language.section('.', 0, 0).toLower() + ".png");
      }
      mainWindow.applyLanguage({});
      // The preview over files with long paths, an RTF document and a file with 10,000
      // occurrences, in a larger window.
      mainWindow.resize(800, 600);
      const QString shelf = workPath + QStringLiteral(
                                           "/customers/brindlecove-garden-supplies/"
                                           "correspondence-and-price-lists/2026/autumn");
      QDir().mkpath(shelf);
      write(shelf + "/Seed report.rtf",
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Helvetica;}}\\f0\\fs24 "
            "{\\b Seed report, autumn 2026}\\par\\par The {\\i colour} of every packet was "
            "checked in daylight.\\par Marigold keeps its colour longest; fern fades.\\par}\n");
      std::string many;
      for (int i = 1; i <= 10000; ++i)
        many += "Card " + std::to_string(i) + ": the colour of the season\n";
      write(shelf + "/colour-cards.txt", many);
      write(shelf + "/price-list.txt",
            "Price list, autumn 2026\n\nEvery colour of seed packet   3.20\nBulbs by colour, "
            "per dozen    7.50\n");
      {
        tw::FileListModel::Reset reset(mainWindow.fileModel());
        config.Files = {{(shelf + "/price-list.txt").toStdString(), true},
                        {(shelf + "/Seed report.rtf").toStdString(), true},
                        {(shelf + "/colour-cards.txt").toStdString(), true},
                        {(shelf + "/discontinued-colours.txt").toStdString(), true}};
      }
      config.setPairs({{"colour", "color"}});
      config.Flags.Confirm = false;
      mainWindow.showConfiguration();
      ++step;
      QTimer::singleShot(0, [&] { mainWindow.actions().preview->trigger(); });
    } else if (step == 10 && modal && modal->objectName() == QStringLiteral("PreviewWindow")) {
      auto* preview = static_cast<tw::PreviewWindow*>(modal);
      if (preview->isSearching()) return;
      auto select = [&](int row) {
        preview->fileList()->setCurrentIndex(preview->fileList()->model()->index(row, 0));
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 3000) QApplication::processEvents(QEventLoop::AllEvents, 50);
      };
      select(0);
      failures += !save(preview, out + "/preview.png");
      screen(out + "/screen-preview.png");
      select(1);
      failures += !save(preview, out + "/preview-rtf.png");
      select(2);
      failures += !save(preview, out + "/preview-many.png");
      ++step;
      preview->closeButton()->click();
      QTimer::singleShot(0, [&] { mainWindow.actions().findInFiles->trigger(); });
    } else if (step == 11 && modal && modal->objectName() == QStringLiteral("FindWindow")) {
      auto* find = static_cast<tw::PreviewWindow*>(modal);
      if (find->isSearching()) return;
      QElapsedTimer waited;
      waited.start();
      while (waited.elapsed() < 2000) QApplication::processEvents(QEventLoop::AllEvents, 50);
      failures += !save(find, out + "/find.png");
      ++step;
      find->closeButton()->click();
      tips.showTip(2);
      tips.show();
      about.show();
    } else if (step == 12) {
      failures += !save(&tips, out + "/tips.png");
      failures += !save(&about, out + "/about.png");
      tips.close();
      about.close();
      ++step;
      QTimer::singleShot(50, [&] { QApplication::exit(failures); });
    }
  });
  driver.start(300);
  QTimer::singleShot(180000, [] {
    std::printf("timed out\n");
    QApplication::exit(2);
  });
  const int status = QApplication::exec();
  QDir(workPath).removeRecursively();
  return status;
}
