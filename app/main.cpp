// The desktop program: one Configuration and one set of options for the life of the program,
// the main window over them, and the message loop until the main window closes.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "config/ConfigurationCommands.h"
#include "ui/AppIcon.h"
#include "ui/ProgramWindows.h"
#include "ui/QSettingsStore.h"
#include "ui/QtPrompts.h"
#include "ui/QtText.h"
#include "ui/QtTranslations.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Textwright"));
  // No application display name: Qt would append it to every window title, and the titles are
  // the windows' captions exactly.
  QApplication::setOrganizationName(QStringLiteral("Brindlecove"));
  // The icon of every window, and the menu entry the desktop shows the running program under.
  QApplication::setWindowIcon(tw::appIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral("com.brindlecove.Textwright"));
  // Desktops without an icon theme of their own still get a consistent set.
  if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor"))
    QIcon::setThemeName(QStringLiteral("Adwaita"));

  tw::useProgramFont();

  tw::Configuration config;
  tw::AppOptions options;
  tw::QtPrompts prompts;
  tw::QSettingsStore settings;
  // Qt's own dialogs and buttons speak the language chosen for the program.
  tw::useQtTranslations(tw::fromStd(settings.readString("Language").value_or("")));

  tw::ProgramWindows windows(config, options, prompts, settings);
  tw::MainWindow& mainWindow = windows.mainWindow;
  // The first showing reads the settings: placement, language, the previous configuration;
  // the first activation may show the tip of the day.
  mainWindow.show();
  // A configuration file named on the command line is opened at start, without a dialog. The
  // name is taken as the bytes given (QApplication has removed its own arguments by now), so
  // a path that is not UTF-8 still names its file.
  if (argc > 1) mainWindow.openAtStart(argv[1]);
  return QApplication::exec();
}
