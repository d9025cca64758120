// Browse and edit mode: the selected file shown (or edited) in the "Files" group in place of
// the file list, with the commands that would change the list or the file set aside.

#include "ui/BrowseMode.h"
#include "ui/EditMode.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"

#include <QAction>
#include <QGroupBox>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>

namespace tw {

namespace {

// What a mode puts aside: the file list and its buttons.
std::array<QWidget*, 6> fileListControls(const MainWindowControls& ui) {
  return {ui.fileList,         ui.addFilesButton, ui.scanButton,
          ui.deleteFileButton, ui.browseButton,   ui.editButton};
}

}  // namespace

// "Browse file" and "Edit file" with their menu entries: usable while an entry of the list is
// selected and no mode is open.
void MainWindow::updateFileModeCommands() {
  const bool usable = m_mode == FileMode::Normal && selectedFile() >= 0;
  m_actions.browseFile->setEnabled(usable);
  m_actions.editFile->setEnabled(usable);
}

void MainWindow::enterFileMode(FileMode mode) {
  m_mode = mode;
  // While the file is shown nothing may change the file list, start a run (which could change
  // the file under the editor), enter the other mode, or change the options (a new language
  // would rename the mode's caption under it).
  m_guarded.clear();
  for (QAction* command : m_actions.changingTheFileList()) {
    m_guarded.emplace_back(command, command->isEnabled());
    command->setEnabled(false);
  }
  updateFileModeCommands();
  m_ui.optionsGroup->hide();
  m_ui.stringsGroup->hide();
  for (QWidget* w : fileListControls(m_ui)) w->hide();
  placeControls();
}

void MainWindow::leaveFileMode() {
  m_editMode->setVisible(false);
  m_browseMode->setVisible(false);
  m_browseMode->clear();
  m_mode = FileMode::Normal;
  for (auto [command, enabled] : m_guarded) command->setEnabled(enabled);
  m_guarded.clear();
  m_ui.filesGroup->setTitle(fromStd(m_texts.text(4)));
  m_ui.optionsGroup->show();
  m_ui.stringsGroup->show();
  for (QWidget* w : fileListControls(m_ui)) w->show();
  placeControls();
  updateFileModeCommands();
  m_ui.fileList->setFocus();
}

// The group's caption names only the mode; the file shown is named by the view's tool tip
// and, for screen readers, its description.
void MainWindow::showPathOf(QWidget* view, const std::string& path) {
  view->setToolTip(fromStd(path));
  view->setAccessibleDescription(fromStd(path));
}

void MainWindow::onBrowseFile() {
  const int row = selectedFile();
  if (row < 0 || m_mode != FileMode::Normal) return;
  const std::string path = m_config.Files[size_t(row)].Path;
  enterFileMode(FileMode::Browse);
  m_ui.filesGroup->setTitle(BrowseMode::captionFor(BrowseMode::viewFor(path)));
  const bool shown = m_browseMode->open(path);
  m_browseMode->setVisible(true);
  showPathOf(m_browseMode->shownView(), path);
  if (shown)
    m_browseMode->setFocusToView();
  else
    m_browseMode->returnButton()->setFocus();
}

void MainWindow::onReturnToNormal() {
  if (m_mode == FileMode::Browse) leaveFileMode();
}

void MainWindow::onEditFile() {
  const int row = selectedFile();
  if (row < 0 || m_mode != FileMode::Normal) return;
  const std::string path = m_config.Files[size_t(row)].Path;
  // The file is read first: one that cannot be edited without losing bytes opens no mode.
  const EditMode::Opened opened = m_editMode->open(path);
  if (opened == EditMode::Opened::Refused) return;
  enterFileMode(FileMode::Edit);
  m_ui.filesGroup->setTitle(fromStd(m_texts.text(22)));
  m_editMode->setVisible(true);
  showPathOf(m_editMode->editor(), path);
  if (opened == EditMode::Opened::Editing)
    m_editMode->editor()->setFocus();
  else
    m_editMode->discardButton()->setFocus();
}

void MainWindow::onSaveEditedFile() {
  if (m_mode == FileMode::Edit && m_editMode->save()) leaveFileMode();
}

void MainWindow::onDiscardEditedFile() {
  if (m_mode == FileMode::Edit) leaveFileMode();
}

}  // namespace tw
