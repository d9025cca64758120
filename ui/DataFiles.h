#pragma once
// Where the desktop program finds the files it reads at run time. Both the build folder and
// an installed tree have the same layout: the program in <root>/<dir>/textwright and its data
// in <root>/share/textwright, so an installed tree works under any prefix or DESTDIR.

#include <QString>
#include <QStringList>

namespace tw {

// <program dir>/../share/textwright, made absolute.
QString dataFolder();

// The folders searched for language files (*.lng), first match wins: `Language` beside the
// program, then <dataFolder()>/Language.
QStringList languageFolders();

}  // namespace tw
