#pragma once
// Where the desktop program finds the files it reads at run time. Both the build folder and
// an installed tree have the same layout: the program in <root>/<dir>/textwright and its data
// in <root>/share/textwright, so an installed tree works under any prefix or DESTDIR.

#include <QString>
#include <QStringList>

namespace tw {

// <program dir>/../share/textwright, made absolute.
QString dataFolder();

// Where language files (*.lng) are found unless the program is told otherwise (see
// languageFolders()), first match wins: `Language` beside the program, then
// <dataFolder()>/Language.
QStringList installedLanguageFolders();

}  // namespace tw
