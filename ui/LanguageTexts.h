#pragma once
// The windows' texts from the text table (each window puts them into its own controls), and
// the language files installed beside the program.

#include "lang/TextTable.h"

#include <QString>
#include <QStringList>

class QComboBox;
class QObject;
class QWidget;

namespace tw {

// A window that puts the texts of the table into its own controls. Each window that derives
// from it knows which slot each of its controls shows; applyTexts reaches it as one of the
// main window's windows.
class ShowsTexts {
 public:
  virtual ~ShowsTexts() = default;
  virtual void applyTexts(const TextTable& table) = 0;
};

// Puts the texts into `mainWindow` and into the windows it owns (its direct children that are
// windows): each that shows texts (ShowsTexts) is asked to.
void applyTexts(const TextTable& table, QWidget* mainWindow);

// The folders searched for language files: "Language" beside the program, then the installed
// data folder "../share/textwright/Language".
QStringList languageFolders();
// Replaces those folders (tests, portable installs); an empty list restores them.
void setLanguageFolders(const QStringList& folders);

// The names ("German.lng") of the language files in those folders, each name once, sorted.
QStringList languageFileNames();

// Lists "English.lng" (the built-in texts) and the language files in `list` and shows
// `current` (the language in use) as chosen, without reporting a change.
void fillLanguageList(QComboBox* list, const QString& current);

// The full path of the language file `name`, or empty when no folder holds it.
QString languageFilePath(const QString& name);

}  // namespace tw
