// Takes the pictures of the desktop program for the documentation: the main window with a
// small configuration, the confirmation dialog of its run and the results window, the main
// window in each shipped language, the tips window and the about box. Run it
// through scripts/screenshots.sh (under Xvfb); it writes PNG files to the folder given.

#include "config/ConfigurationCommands.h"
#include "config/MemorySettingsStore.h"
#include "ui/About.h"
#include "ui/Confirm.h"
#include "ui/LanguageTexts.h"
#include "ui/Mainform.h"
#include "ui/Processing.h"
#include "ui/QtPrompts.h"
#include "ui/Result.h"
#include "ui/Tips.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPushButton>
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

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
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
  config.Files = {{(site + "/index.html").toStdString(), true},
                  {(site + "/colours.html").toStdString(), true},
                  {(site + "/news/2025.html").toStdString(), true},
                  {(site + "/notes.txt").toStdString(), false}};
  config.Pairs = {
      {"colour", "color"}, {"Copyright 2024", "Copyright 2026"}, {"<font%anything%>", ""}};
  config.Flags.Confirm = true;
  config.FindField = "Colour";
  config.ReplaceField = "Color";

  tw::TForm1 form1(config, options, prompts, settings);
  prompts.setParent(&form1);
  tw::TForm2 form2(&form1);
  tw::TForm5 form5(prompts, &form1);
  tw::TAboutBox about(&form1);
  tw::TForm9 form9(form2, &form1);
  tw::TForm10 tips(settings, &form1);
  form1.setRunWindows(&form9, &form5);
  form1.setInfoWindows(&tips, &about);
  tw::setLanguageFolders({QStringLiteral(TEXTWRIGHT_SOURCE_DIR "/Language")});
  form1.resize(640, 480);
  form1.showConfiguration();
  form1.show();

  int failures = 0;
  int step = 0;
  QTimer driver;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (step == 0) {
      failures += !save(&form1, out + "/main-window.png");
      auto* advanced = form1.findChild<QPushButton*>("BitBtn7");
      advanced->click();
      failures += !save(&form1, out + "/advanced-view.png");
      advanced->click();
      ++step;
      QTimer::singleShot(0, [&] { form1.findChild<QPushButton*>("BitBtn6")->click(); });
    } else if (step == 1 && modal == &form2) {
      failures += !save(&form9, out + "/processing.png");
      failures += !save(&form2, out + "/confirm.png");
      ++step;
      form2.findChild<QPushButton*>("Button2")->click();  // replace all in all files
    } else if (step == 2 && modal == &form5) {
      failures += !save(&form5, out + "/results.png");
      ++step;
      form5.findChild<QPushButton*>("Button1")->click();
    } else if (step == 3 && !modal) {
      // Every shipped language at the window's smallest size, where captions are tightest.
      form1.resize(570, 450);
      for (const QString& language : tw::languageFileNames()) {
        form1.applyLanguage(language);
        failures +=
            !save(&form1, out + "/main-window-" + language.section('.', 0, 0).toLower() + ".png");
      }
      form1.applyLanguage({});
      tips.showTip(2);
      tips.show();
      about.show();
      ++step;
    } else if (step == 4) {
      failures += !save(&tips, out + "/tips.png");
      failures += !save(&about, out + "/about.png");
      tips.close();
      about.close();
      ++step;
      QTimer::singleShot(50, [&] { QApplication::exit(failures); });
    }
  });
  driver.start(300);
  QTimer::singleShot(30000, [] {
    std::printf("timed out\n");
    QApplication::exit(2);
  });
  const int status = QApplication::exec();
  QDir(workPath).removeRecursively();
  return status;
}
