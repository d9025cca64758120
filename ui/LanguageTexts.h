#pragma once
// Copies the text table into the windows' controls, as the core's binding table says, and
// finds the language files installed beside the program.

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

// A window's name in the binding table: its class name without the namespace ("MainWindow").
QString windowName(const QObject* window);

// The control `path` ("Button1", or "GroupBox1/Button1" for a control inside a parent of that
// name) inside `window`; nullptr when it does not exist.
QObject* findBoundControl(QObject* window, const QString& path);

// Puts the texts into `mainWindow` and into the windows it owns (its direct children that are
// windows): those that show texts themselves (ShowsTexts) are asked to, the others follow the
// binding table. A control that does not exist is passed over. Returns how many were set.
int applyTexts(const TextTable& table, QWidget* mainWindow);

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
