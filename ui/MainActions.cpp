#include "ui/MainActions.h"

#include "lang/TextTable.h"
#include "ui/QtText.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

namespace tw {

namespace {

QIcon themeIcon(const char* name, QStyle::StandardPixmap fallback) {
  return QIcon::fromTheme(QString::fromLatin1(name), qApp->style()->standardIcon(fallback));
}

// The caption slot of each action of the menu bar, and of each menu.
struct Caption {
  QAction* MainActions::*action;
  int slot;
};

constexpr Caption kActionCaptions[] = {
    {&MainActions::newConfiguration, 6},
    {&MainActions::openConfiguration, 7},
    {&MainActions::saveConfiguration, 8},
    {&MainActions::saveConfigurationAs, 9},
    {&MainActions::options, 10},
    {&MainActions::exit, 11},
    {&MainActions::startNewPair, 12},
    {&MainActions::editPair, 13},
    {&MainActions::deletePairFromMenu, 14},
    {&MainActions::addFiles, 15},
    {&MainActions::scanForFiles, 16},
    {&MainActions::deleteFile, 17},
    {&MainActions::deleteAllFiles, 18},
    {&MainActions::checkAll, 19},
    {&MainActions::uncheckAll, 20},
    {&MainActions::browseFile, 21},
    {&MainActions::editFile, 22},
    {&MainActions::openFile, 23},
    {&MainActions::createBackupFiles, 24},
    {&MainActions::restoreBackups, 25},
    {&MainActions::deleteBackups, 26},
    {&MainActions::helpTopics, 28},
    {&MainActions::homePage, 29},
    {&MainActions::about, 32},
    {&MainActions::tipOfTheDay, 99},
};

struct MenuCaption {
  QMenu* MainActions::*menu;
  int slot;
};

constexpr MenuCaption kMenuCaptions[] = {
    {&MainActions::fileMenu, 2},    {&MainActions::stringsMenu, 3}, {&MainActions::filesMenu, 4},
    {&MainActions::backupsMenu, 5}, {&MainActions::helpMenu, 27},
};

}  // namespace

QString withMnemonic(const QString& text, const QString& old) {
  if (text.contains(QLatin1Char('&')) || text.isEmpty()) return text;
  qsizetype at = 0;
  const qsizetype mark = old.indexOf(QLatin1Char('&'));
  if (mark >= 0 && mark + 1 < old.size()) {
    const qsizetype same = text.indexOf(old.at(mark + 1), 0, Qt::CaseInsensitive);
    if (same >= 0) at = same;
  }
  QString result = text;
  result.insert(at, QLatin1Char('&'));
  return result;
}

void bindButton(QAbstractButton* button, QAction* command) {
  button->setEnabled(command->isEnabled());
  QObject::connect(command, &QAction::changed, button,
                   [button, command] { button->setEnabled(command->isEnabled()); });
  QObject::connect(button, &QAbstractButton::clicked, command, &QAction::trigger);
}

QAction* mirrorAction(QAction* command, const QString& caption, QObject* owner) {
  auto* mirror = new QAction(caption, owner);
  auto follow = [mirror, command] {
    mirror->setEnabled(command->isEnabled());
    mirror->setVisible(command->isVisible());
  };
  follow();
  QObject::connect(command, &QAction::changed, mirror, follow);
  QObject::connect(mirror, &QAction::triggered, command, &QAction::trigger);
  return mirror;
}

void MainActions::create(QWidget* owner) {
  for (const Caption& c : kActionCaptions)
    this->*c.action = new QAction(builtinCaption(c.slot), owner);
  addPair = new QAction(builtinCaption(12), owner);
  deletePair = new QAction(builtinCaption(14), owner);
  deleteAllPairs = new QAction(QStringLiteral("Delete all"), owner);
  onlineHelp = new QAction(QStringLiteral("Online help"), owner);
  go = new QAction(builtinCaption(38), owner);
  preview = new QAction(QStringLiteral("Preview Replacement..."), owner);
  preview->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
  preview->setIcon(themeIcon("document-print-preview", QStyle::SP_FileDialogContentsView));
  findInFiles = new QAction(QStringLiteral("Find in Files..."), owner);
  findInFiles->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
  findInFiles->setIcon(themeIcon("system-search", QStyle::SP_FileDialogDetailedView));
  saveTool = new QAction(QStringLiteral("Save current configuration"), owner);
  QObject::connect(saveTool, &QAction::triggered, saveConfiguration, &QAction::trigger);

  newConfiguration->setIcon(themeIcon("document-new", QStyle::SP_FileIcon));
  openConfiguration->setIcon(themeIcon("document-open", QStyle::SP_DialogOpenButton));
  saveConfiguration->setIcon(themeIcon("document-save", QStyle::SP_DialogSaveButton));
  saveTool->setIcon(saveConfiguration->icon());
  saveConfigurationAs->setIcon(themeIcon("document-save-as", QStyle::SP_DialogSaveButton));
  exit->setIcon(themeIcon("application-exit", QStyle::SP_DialogCloseButton));
  exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  exit->setShortcutContext(Qt::ApplicationShortcut);
  addFiles->setIcon(themeIcon("list-add", QStyle::SP_FileIcon));
  scanForFiles->setIcon(themeIcon("edit-find", QStyle::SP_FileDialogContentsView));
  deleteFile->setIcon(themeIcon("list-remove", QStyle::SP_TrashIcon));
  addPair->setIcon(themeIcon("insert-text", QStyle::SP_ArrowDown));
  deletePair->setIcon(themeIcon("edit-delete", QStyle::SP_TrashIcon));
  go->setIcon(themeIcon("system-run", QStyle::SP_MediaPlay));
  helpTopics->setIcon(themeIcon("help-contents", QStyle::SP_DialogHelpButton));
  helpTopics->setShortcut(QKeySequence::HelpContents);
  about->setIcon(themeIcon("help-about", QStyle::SP_MessageBoxInformation));
  createBackupFiles->setCheckable(true);
  onlineHelp->setVisible(false);
}

void MainActions::place(QMenuBar* bar, QToolBar* toolBar, QWidget* owner) {
  fileMenu = bar->addMenu(QStringLiteral("&File"));
  fileMenu->addActions(
      {newConfiguration, openConfiguration, saveConfiguration, saveConfigurationAs});
  fileMenu->addSeparator();
  fileMenu->addAction(options);
  fileMenu->addSeparator();
  fileMenu->addAction(exit);

  stringsMenu = bar->addMenu(QStringLiteral("&Strings"));
  stringsMenu->addActions({startNewPair, editPair, deletePairFromMenu});

  filesMenu = bar->addMenu(QStringLiteral("F&iles"));
  filesMenu->addActions({addFiles, scanForFiles, deleteFile, deleteAllFiles});
  filesMenu->addSeparator();
  filesMenu->addActions({checkAll, uncheckAll});
  filesMenu->addSeparator();
  filesMenu->addActions({browseFile, editFile});
  filesMenu->addSeparator();
  filesMenu->addAction(openFile);
  filesMenu->addSeparator();
  filesMenu->addActions({preview, findInFiles});

  backupsMenu = bar->addMenu(QStringLiteral("&Backup Files"));
  backupsMenu->addAction(createBackupFiles);
  backupsMenu->addSeparator();
  backupsMenu->addActions({restoreBackups, deleteBackups});

  helpMenu = bar->addMenu(QStringLiteral("&Help"));
  helpMenu->addActions({helpTopics, tipOfTheDay});
  helpMenu->addSeparator();
  helpMenu->addActions({homePage, onlineHelp});
  helpMenu->addSeparator();
  helpMenu->addAction(about);

  // The pop-up menus name the commands in their own words.
  fileListMenu = new QMenu(owner);
  auto mirror = [owner](QAction* command, const char* caption) {
    return mirrorAction(command, QString::fromLatin1(caption), owner);
  };
  fileListMenu->addActions({mirror(addFiles, "Add file"), mirror(scanForFiles, "Scan for files"),
                            mirror(deleteFile, "Delete file"),
                            mirror(deleteAllFiles, "Delete all")});
  fileListMenu->addSeparator();
  fileListMenu->addActions({mirror(checkAll, "Check All"), mirror(uncheckAll, "Uncheck All")});
  fileListMenu->addSeparator();
  fileListMenu->addActions({mirror(browseFile, "Browse File"), mirror(editFile, "Edit File")});
  fileListMenu->addSeparator();
  fileListMenu->addAction(mirror(openFile, "Open File"));

  pairGridMenu = new QMenu(owner);
  pairGridMenu->addActions({mirror(addPair, "Add string"), mirror(editPair, "Edit string"),
                            mirror(deletePair, "Delete string"), deleteAllPairs});

  // The tool bar shows the commands as icons; each button's hint names it.
  auto tool = [toolBar](QAction* command, const char* hint) {
    const QString text = QString::fromLatin1(hint);
    command->setToolTip(text);
    toolBar->addAction(command);
    toolBar->widgetForAction(command)->setAccessibleName(text);
  };
  tool(newConfiguration, "New configuration");
  tool(openConfiguration, "Open existing configuration");
  tool(saveTool, "Save current configuration");
  tool(saveConfigurationAs, "Save Configuration as");
  toolBar->addSeparator();
  tool(addFiles, "Add file(s) to File list");
  tool(deleteFile, "Delete file from File list");
  toolBar->addSeparator();
  tool(addPair, "Add string to String list");
  tool(deletePair, "Delete string from String list");
  toolBar->addSeparator();
  tool(go, "Go");
  tool(preview, "Preview the replacement");
  tool(findInFiles, "Find in files without replacing");
  toolBar->addSeparator();
  tool(helpTopics, "Help");
}

void MainActions::applyTexts(const TextTable& texts) {
  for (const Caption& c : kActionCaptions) (this->*c.action)->setText(fromStd(texts.text(c.slot)));
  for (const MenuCaption& c : kMenuCaptions) {
    QMenu* menu = this->*c.menu;
    menu->setTitle(withMnemonic(fromStd(texts.text(c.slot)), menu->title()));
  }
  // The pair buttons' commands are captioned by their buttons.
  addPair->setText(fromStd(texts.text(12)));
  deletePair->setText(fromStd(texts.text(14)));
  go->setText(fromStd(texts.text(38)));
}

std::vector<QAction*> MainActions::changingTheFileList() const {
  return {newConfiguration,
          openConfiguration,
          addFiles,
          scanForFiles,
          deleteFile,
          deleteAllFiles,
          go,
          preview,
          findInFiles,
          restoreBackups,
          deleteBackups,
          options};
}

}  // namespace tw
