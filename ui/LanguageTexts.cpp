#include "ui/LanguageTexts.h"
#include "ui/DataFiles.h"

#include "lang/LanguageFile.h"
#include "lang/TextBindings.h"
#include "ui/QtText.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QTabWidget>

namespace tw {

namespace {

bool setBoundText(QObject* control, const char* property, const QString& text) {
  const QString place = QString::fromLatin1(property);
  if (place.startsWith(QLatin1String("header"))) {
    auto* view = qobject_cast<QAbstractItemView*>(control);
    if (!view || !view->model()) return false;
    return view->model()->setHeaderData(place.mid(6).toInt(), Qt::Horizontal, text);
  }
  if (place.startsWith(QLatin1String("tab"))) {
    auto* tabs = qobject_cast<QTabWidget*>(control);
    const int index = place.mid(3).toInt();
    if (!tabs || index >= tabs->count()) return false;
    tabs->setTabText(index, text);
    return true;
  }
  if (auto* group = qobject_cast<QGroupBox*>(control)) {
    group->setTitle(text);
  } else if (auto* action = qobject_cast<QAction*>(control)) {
    action->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(text);
  } else {
    return false;
  }
  return true;
}

}  // namespace

QString windowName(const QObject* window) {
  QString name = QString::fromLatin1(window->metaObject()->className());
  const qsizetype colons = name.lastIndexOf(QLatin1String("::"));
  return colons >= 0 ? name.mid(colons + 2) : name;
}

QObject* findBoundControl(QObject* window, const QString& path) {
  QObject* at = window;
  for (const QString& part : path.split(QLatin1Char('/'))) {
    at = at->findChild<QObject*>(part);
    if (!at) return nullptr;
  }
  return at;
}

int applyTexts(const TextTable& table, QWidget* mainWindow) {
  QList<QObject*> windows = {mainWindow};
  for (QWidget* child : mainWindow->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (child->isWindow()) windows << child;
  int applied = 0;
  for (QObject* w : windows)
    if (auto* own = dynamic_cast<ShowsTexts*>(w)) own->applyTexts(table);
  for (const TextBinding& b : textBindings()) {
    const QString window = QString::fromLatin1(b.window);
    for (QObject* w : windows) {
      if (windowName(w) != window) continue;
      if (QObject* control = findBoundControl(w, QString::fromLatin1(b.object)))
        applied += setBoundText(control, b.property, fromStd(table.text(b.slot)));
    }
  }
  return applied;
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
