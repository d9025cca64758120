#include "ui/LanguageTexts.h"
#include "ui/DataFiles.h"

#include "lang/LanguageFile.h"
#include "ui/QtText.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>

namespace tw {

void applyTexts(const TextTable& table, QWidget* mainWindow) {
  QList<QWidget*> windows = {mainWindow};
  for (QWidget* child : mainWindow->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (child->isWindow()) windows << child;
  for (QWidget* w : windows)
    if (auto* own = dynamic_cast<ShowsTexts*>(w)) own->applyTexts(table);
}

QStringList& folderOverride() {
  static QStringList folders;
  return folders;
}

void setLanguageFolders(const QStringList& folders) {
  folderOverride() = folders;
}

QStringList languageFolders() {
  if (!folderOverride().isEmpty()) return folderOverride();
  return installedLanguageFolders();
}

QStringList languageFileNames() {
  QStringList names;
  for (const QString& folder : languageFolders())
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.lng")}, QDir::Files))
      if (!names.contains(name)) names << name;
  names.sort(Qt::CaseInsensitive);
  return names;
}

void fillLanguageList(QComboBox* list, const QString& current) {
  QSignalBlocker quiet(list);
  list->clear();
  // The built-in texts are always a choice, with or without a file of their name.
  QStringList names = languageFileNames();
  names.removeAll(QString::fromLatin1(kEnglishLanguage));
  names.prepend(QString::fromLatin1(kEnglishLanguage));
  list->addItems(names);
  list->setCurrentIndex(list->findText(current));
  if (list->isEditable()) list->setEditText(current);
}

QString languageFilePath(const QString& name) {
  if (name.isEmpty() || name.contains(QLatin1Char('/'))) return {};
  for (const QString& folder : languageFolders()) {
    const QFileInfo file(QDir(folder).filePath(name));
    if (file.isFile()) return file.absoluteFilePath();
  }
  return {};
}

}  // namespace tw
