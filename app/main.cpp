// The desktop program: one Configuration and one set of options for the life of the program,
// the main window over them, and the message loop until the main window closes.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "ui/Mainform.h"
#include "ui/QSettingsStore.h"
#include "ui/QtPrompts.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Textwright"));
  QApplication::setApplicationDisplayName(QStringLiteral("Textwright"));
  QApplication::setOrganizationName(QStringLiteral("Brindlecove"));
  // Desktops without an icon theme of their own still get a consistent set.
  if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor"))
    QIcon::setThemeName(QStringLiteral("Adwaita"));

  tw::Configuration config;
  tw::AppOptions options;
  tw::QtPrompts prompts;
  tw::QSettingsStore settings;

  tw::TForm1 form1(config, options, prompts, settings);
  prompts.setParent(&form1);
  form1.show();
  return QApplication::exec();
}
