#include "ui/DataFiles.h"

#include <QCoreApplication>
#include <QDir>

namespace tw {

QString dataFolder() {
  const QDir programDir(QCoreApplication::applicationDirPath());
  return QDir::cleanPath(programDir.absoluteFilePath(QStringLiteral("../share/textwright")));
}

QStringList installedLanguageFolders() {
  const QDir programDir(QCoreApplication::applicationDirPath());
  return {programDir.absoluteFilePath(QStringLiteral("Language")),
          QDir(dataFolder()).absoluteFilePath(QStringLiteral("Language"))};
}

}  // namespace tw
