#pragma once
// The main window's commands. Each command is one QAction, created once: the menu bar, the
// tool bar and the buttons that stand for it show that action, so that whether a command can
// be used is decided in one place. A pop-up menu that names a command differently holds an
// entry that mirrors the command (usable exactly when it is, and triggering it); the tool bar
// shows the command itself under its own hint.

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QAbstractButton;
class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace tw {

class TextTable;

struct MainActions {
  // File
  QAction* newConfiguration = nullptr;
  QAction* openConfiguration = nullptr;
  QAction* saveConfiguration = nullptr;
  QAction* saveConfigurationAs = nullptr;
  QAction* options = nullptr;
  QAction* exit = nullptr;
  // Strings
  QAction* startNewPair = nullptr;  // menu "Add String": the fields, ready for a pair
  QAction* addPair = nullptr;       // the pair "Add" button: the fields become a pair
  QAction* editPair = nullptr;
  QAction* deletePairFromMenu = nullptr;  // asks as the menu entry does
  QAction* deletePair = nullptr;          // asks as the button does
  QAction* deleteAllPairs = nullptr;
  // Files
  QAction* addFiles = nullptr;
  QAction* scanForFiles = nullptr;
  QAction* deleteFile = nullptr;
  QAction* deleteAllFiles = nullptr;
  QAction* checkAll = nullptr;
  QAction* uncheckAll = nullptr;
  QAction* browseFile = nullptr;
  QAction* editFile = nullptr;
  QAction* openFile = nullptr;
  // Backup Files
  QAction* createBackupFiles = nullptr;  // checkable: the switch
  QAction* restoreBackups = nullptr;
  QAction* deleteBackups = nullptr;
  // Help
  QAction* helpTopics = nullptr;
  QAction* tipOfTheDay = nullptr;
  QAction* homePage = nullptr;
  QAction* onlineHelp = nullptr;
  QAction* about = nullptr;
  // Options group
  QAction* go = nullptr;
  // The run looked at before it writes, and the find texts looked for without replacing
  // (Files menu and tool bar).
  QAction* preview = nullptr;
  QAction* findInFiles = nullptr;
  // The tool bar's Save: usable only while the configuration has unsaved changes.
  QAction* saveTool = nullptr;

  // The menus of the menu bar and the pop-up menus.
  QMenu* fileMenu = nullptr;
  QMenu* stringsMenu = nullptr;
  QMenu* filesMenu = nullptr;
  QMenu* backupsMenu = nullptr;
  QMenu* helpMenu = nullptr;
  QMenu* fileListMenu = nullptr;
  QMenu* pairGridMenu = nullptr;

  // Creates every action, owned by `owner`, with icons and shortcuts and the built-in captions.
  void create(QWidget* owner);
  // Places them in `bar`, in the pop-up menus (created here) and in `toolBar`.
  void place(QMenuBar* bar, QToolBar* toolBar, QWidget* owner);
  // Puts the captions of `texts` into the actions and menus.
  void applyTexts(const TextTable& texts);

  // The commands that would change the file list, start a run or open the options (whose
  // language choice would rename the window under a file being looked at).
  std::vector<QAction*> changingTheFileList() const;
};

// `button` stands for `command`: a click triggers it, and it is enabled exactly when the
// command is (now and after every change).
void bindButton(QAbstractButton* button, QAction* command);

// A menu entry named `caption` that mirrors `command`: usable and visible exactly when the
// command is, and triggering it.
QAction* mirrorAction(QAction* command, const QString& caption, QObject* owner);

// A menu title with a keyboard mnemonic: the letter `old` had if `text` holds it, else the
// first letter. A title that brings its own "&" is taken as it is.
QString withMnemonic(const QString& text, const QString& old);

}  // namespace tw
