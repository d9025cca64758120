// The main window's commands. Each command of the configuration is one call into the core;
// then the window shows the configuration again.

#include "ui/AboutDialog.h"
#include "ui/DataFiles.h"
#include "ui/FileListModel.h"
#include "ui/MainWindow.h"
#include "ui/OptionsDialog.h"
#include "ui/PairGrid.h"
#include "ui/PairTableModel.h"
#include "ui/PreviewWindow.h"
#include "ui/ProcessingDialog.h"
#include "ui/QtText.h"
#include "ui/ResultsDialog.h"
#include "ui/ScanDialog.h"
#include "ui/ScanProgressDialog.h"
#include "ui/TipsDialog.h"

#include "backup/Backups.h"
#include "config/ConfigurationCommands.h"
#include "lang/TextBindings.h"
#include "scan/Scan.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace tw {

// ---------------------------------------------------------------------------------------
// The windows the commands open

void MainWindow::setRunWindows(ProcessingDialog* processing, ResultsDialog* results) {
  m_processingDialog = processing;
  m_resultsDialog = results;
  m_actions.go->setEnabled(processing && results);
}

void MainWindow::setScanWindows(ScanDialog* scan, ScanProgressDialog* scanning) {
  m_scanDialog = scan;
  m_scanProgressDialog = scanning;
  m_actions.scanForFiles->setEnabled(scan && scanning);
}

void MainWindow::setOptionsWindow(OptionsDialog* options) {
  if (m_optionsDialog) disconnect(m_optionsDialog, nullptr, this, nullptr);
  m_optionsDialog = options;
  m_actions.options->setEnabled(options != nullptr);
  // "Confirm every replacement" in the dialog is the box here: show it at once.
  if (m_optionsDialog) {
    connect(m_optionsDialog, &OptionsDialog::confirmChanged, this, &MainWindow::showConfiguration);
    // OK and the title-bar close button keep the changes; Cancel has already undone them.
    connect(m_optionsDialog, &QDialog::accepted, this, &MainWindow::storeChosenOptions);
    attachLanguageList(m_optionsDialog->languageList());
  }
}

void MainWindow::setInfoWindows(TipsDialog* tips, AboutDialog* about) {
  m_tipsDialog = tips;
  m_aboutDialog = about;
  m_actions.tipOfTheDay->setEnabled(tips != nullptr);
  m_actions.about->setEnabled(about != nullptr);
}

// ---------------------------------------------------------------------------------------
// File

void MainWindow::onNewConfiguration() {
  resetListsAnd([this] { NewConfiguration(m_config, m_prompts, m_settings); });
}

void MainWindow::onOpenConfiguration() {
  resetListsAnd([this] { OpenConfiguration(m_config, m_prompts, m_settings); });
}

void MainWindow::openAtStart(const std::string& path) {
  resetListsAnd([&] { OpenConfigurationFile(m_config, m_prompts, m_settings, path); });
}

void MainWindow::onSaveConfiguration() {
  SaveConfiguration(m_config, m_prompts, m_settings);
  showConfiguration();
}

void MainWindow::onSaveConfigurationAs() {
  SaveConfigurationAs(m_config, m_prompts, m_settings);
  showConfiguration();
}

void MainWindow::onOptions() {
  if (m_optionsDialog) {
    // The language files present now, with the one in use selected.
    fillLanguageList(m_optionsDialog->languageList(), languageName());
    m_optionsDialog->exec();
  }
  showConfiguration();
}

// ---------------------------------------------------------------------------------------
// Strings

void MainWindow::onStartNewPair() {
  m_config.markChanged();
  showConfiguration();
  m_ui.findField->setFocus();
}

void MainWindow::onAddPair() {
  const int row = selectedPair();
  bool added = false;
  resetPairsAnd([&] { added = m_config.AddPair(m_prompts); });
  selectPair(added ? m_pairModel->rowCount() - 1 : row);
}

void MainWindow::onEditPair() {
  const int row = selectedPair();
  resetPairsAnd([&] { m_config.TakePairForEditing(size_t(row)); });
  selectPair(row);
}

void MainWindow::removePair(PairRemoval via) {
  const int row = selectedPair();
  resetPairsAnd([&] { m_config.RemovePair(size_t(row), via, m_options, m_prompts); });
  selectPair(row);
}

void MainWindow::onDeleteAllPairs() {
  resetPairsAnd([this] { m_config.ClearPairs(); });
  selectPair(0);
}

void MainWindow::onPairDragged(int fromRow, int toRow) {
  bool moved = false;
  {
    PairTableModel::Reset pairs(*m_pairModel);
    moved = m_config.MovePair(fromRow, toRow);
  }
  selectPair(moved ? toRow - 1 : fromRow - 1);
}

bool MainWindow::onPairGridKey(int key) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      onEditPair();
      return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      removePair(PairRemoval::Key);
      return true;
    default:
      return false;
  }
}

void MainWindow::loadFieldFromFile(QPlainTextEdit* field, PairField which) {
  if (LoadFieldFromFile(m_config, which, m_prompts, m_settings))
    setField(field, which == PairField::Find ? m_config.FindField : m_config.ReplaceField);
}

void MainWindow::copyFieldToClipboard(QPlainTextEdit* field) {
  QString text = field->toPlainText();
#ifdef Q_OS_WIN
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
#endif
  QGuiApplication::clipboard()->setText(text);
}

// ---------------------------------------------------------------------------------------
// Files

void MainWindow::onAddFiles() {
  keepingFileSelection([this] { AddFilesCommand(m_config, m_prompts, m_settings); });
}

void MainWindow::onScanForFiles() {
  if (!m_scanDialog || !m_scanProgressDialog) return;
  if (m_scanDialog->exec() != QDialog::Accepted) return;
  const ScanFound found = m_scanProgressDialog->execScan(m_scanDialog->criteria());
  keepingFileSelection([&] { takeScanResults(m_config, found); });
}

void MainWindow::onDeleteFile() {
  const int row = selectedFile();
  {
    FileListModel::Reset files(*m_fileModel);
    m_config.RemoveFile(row < 0 ? std::nullopt : std::optional<size_t>(size_t(row)), m_options,
                        m_prompts);
  }
  showConfiguration();
}

void MainWindow::onDeleteAllFiles() {
  {
    FileListModel::Reset files(*m_fileModel);
    m_config.ClearFiles(m_options, m_prompts);
  }
  showConfiguration();
}

void MainWindow::onCheckAll() {
  m_config.SetAllChecked(true);
  m_fileModel->checksChanged();
}

void MainWindow::onUncheckAll() {
  m_config.SetAllChecked(false);
  m_fileModel->checksChanged();
}

bool MainWindow::onFileListKey(int key) {
  if (key != Qt::Key_Backspace && key != Qt::Key_Delete) return false;
  onDeleteFile();
  return true;
}

void MainWindow::onOpenFile() {
  const int row = selectedFile();
  if (row < 0) return;
  openUrl(QUrl::fromLocalFile(fromStd(m_config.Files[size_t(row)].Path)),
          QStringLiteral("The file"));
}

// ---------------------------------------------------------------------------------------
// Backup files and the switches

void MainWindow::onCreateBackupFilesToggled(bool on) {
  m_config.setCreateBackupFiles(on);
  showConfiguration();
}

void MainWindow::onRestoreBackups() {
  RestoreBackupsCommand(m_config, m_prompts);
  showConfiguration();
}

void MainWindow::onDeleteBackups() {
  DeleteBackupsCommand(m_config, m_options, m_prompts);
  showConfiguration();
}

void MainWindow::onSwitchToggled(size_t which) {
  const bool on = m_ui.switches[which]->isChecked();
  using Setter = void (Configuration::*)(bool);
  static constexpr Setter kSetters[6] = {
      &Configuration::setCaseSensitive,     &Configuration::setWholeWordsOnly,
      &Configuration::setCreateBackupFiles, &Configuration::setAnything,
      &Configuration::setConfirm,           &Configuration::setRegular};
  (m_config.*kSetters[which])(on);
  showConfiguration();
}

void MainWindow::onToggleAdvancedView() {
  // The caption decides the direction.
  m_advanced = m_ui.advancedButton->text() == QStringLiteral("<< Advanced");
  m_ui.advancedButton->setText(m_advanced ? QStringLiteral("Normal >>")
                                          : QStringLiteral("<< Advanced"));
  for (QWidget* w :
       {static_cast<QWidget*>(m_ui.keepFilenameReferencesBox),
        static_cast<QWidget*>(m_ui.onlyInFirstBox), static_cast<QWidget*>(m_ui.firstCountField),
        static_cast<QWidget*>(m_ui.firstUnitBox)})
    w->setVisible(m_advanced);
  placeControls();
}

// ---------------------------------------------------------------------------------------
// Go

void MainWindow::onGo() {
  runReplacement(nullptr);
}

void MainWindow::onPreview() {
  if (!m_processingDialog || !m_resultsDialog) return;
  if (!CheckGoInput(m_config, m_prompts, m_texts.text(kNoFilesSlot), m_texts.text(kNoPairsSlot)))
    return;
  PreviewWindow preview(PreviewKind::Replace, m_config, m_options, this);
  if (preview.exec() == QDialog::Accepted) runReplacement(&preview.choices());
}

void MainWindow::onFindInFiles() {
  if (!CheckGoInput(m_config, m_prompts, m_texts.text(kNoFilesSlot), m_texts.text(kNoPairsSlot)))
    return;
  PreviewWindow find(PreviewKind::Find, m_config, m_options, this);
  if (find.exec() != QDialog::Accepted || find.openRequest() == PreviewWindow::OpenRequest::None)
    return;
  // The file is opened as its entry would be: selected in the file list.
  const QModelIndex entry = m_ui.fileList->model()->index(int(find.openEntry()), 0);
  if (!entry.isValid()) return;
  m_ui.fileList->setCurrentIndex(entry);
  if (find.openRequest() == PreviewWindow::OpenRequest::Browse)
    onBrowseFile();
  else
    onEditFile();
}

void MainWindow::runReplacement(const PreviewChoices* choices) {
  if (!m_processingDialog || !m_resultsDialog) return;
  if (!CheckGoInput(m_config, m_prompts, m_texts.text(kNoFilesSlot), m_texts.text(kNoPairsSlot)))
    return;
  try {
    const RunOutcome outcome =
        m_processingDialog->execRun(m_config, m_options, *m_clock, m_summary, choices);
    if (outcome.refused) {
      // Nothing was touched: the input is wrong, there is nothing to show.
      m_prompts.inform(outcome.refusal, "Warning", PromptIcon::Warning);
      return;
    }
  } catch (...) {
    m_prompts.inform("Program Error!!! Please contact developer!!!", "Error", PromptIcon::Error);
  }
  if (m_closeWhenRunEnds) {
    // The user closed the program during the run and chose to stop it.
    m_closeWhenRunEnds = false;
    QTimer::singleShot(0, this, &QWidget::close);
    return;
  }
  m_resultsDialog->showResults(m_summary, m_config.Files);
}

// ---------------------------------------------------------------------------------------
// Help

QString MainWindow::helpFile() const {
  QStringList folders;
  if (auto path = m_settings.readString("Path"); path && !path->empty()) folders << fromStd(*path);
  folders << dataFolder();
  for (const QString& folder : folders) {
    const QFileInfo help(QDir(folder).filePath(QStringLiteral("help/index.html")));
    if (help.isFile()) return help.absoluteFilePath();
  }
  return {};
}

void MainWindow::onHelpTopics() {
  const QString help = helpFile();
  if (help.isEmpty()) {
    m_prompts.inform("The help pages are not installed beside the program.", "Warning",
                     PromptIcon::Warning);
    return;
  }
  openUrl(QUrl::fromLocalFile(help), QStringLiteral("The help pages"));
}

void MainWindow::openUrl(const QUrl& url, const QString& what) {
  if (QDesktopServices::openUrl(url)) return;
  const QString where = url.isLocalFile() ? url.toLocalFile() : url.toString();
  m_prompts.inform(toStd(what + QStringLiteral(" could not be opened (") + where +
                         QStringLiteral("): no program to show them was found.")),
                   "Warning", PromptIcon::Warning);
}

void MainWindow::onTipOfTheDay() {
  if (!m_tipsDialog) return;
  m_tipsDialog->show();
  m_tipsDialog->raise();
  m_tipsDialog->activateWindow();
}

void MainWindow::onAbout() {
  if (m_aboutDialog) m_aboutDialog->exec();
}

}  // namespace tw
