// The main window's construction and how it shows the core's state.

#include "ui/MainWindow.h"

#include "ui/FileListModel.h"
#include "ui/PairGrid.h"
#include "ui/PairTableModel.h"
#include "ui/QtText.h"
#include "ui/Version.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QWidget>

namespace tw {

namespace {

// A field's text as the pair list keeps it: line breaks CR LF.
std::string crlfText(const QPlainTextEdit* field) {
  QString text = field->toPlainText();
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return toStd(text);
}

}  // namespace

MainWindow::MainWindow(Configuration& config, AppOptions& options, Prompts& prompts,
                       SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent),
      m_config(config),
      m_options(options),
      m_prompts(prompts),
      m_settings(settings) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(QStringLiteral("Textwright ") + programVersion());
  // The window's fixed geometry is drawn for a small dialog font: the desktop's own family,
  // at 8 points.
  QFont small = font();
  small.setPointSize(kWindowFontPointSize);
  setFont(small);
  m_pairModel = new PairTableModel(m_config, this);
  m_fileModel = new FileListModel(m_config, this);
  m_actions.create(this);
  buildControls();
  buildToolBar();
  m_actions.place(menuBar(), m_ui.toolBar, this);
  connectCommands();
  setMinimumSize(MainLayout::kMinimumWidth, MainLayout::kMinimumHeight);
  resize(MainLayout::kMinimumWidth, MainLayout::kMinimumHeight);
  // The built-in texts until a language is chosen.
  applyTexts(m_texts);
  showConfiguration();
  placeControls();
  setRunWindows(nullptr, nullptr);
  setScanWindows(nullptr, nullptr);
  setOptionsWindow(nullptr);
  setInfoWindows(nullptr, nullptr);
}

MainWindow::~MainWindow() = default;

// ---------------------------------------------------------------------------------------
// Showing the core's state

void MainWindow::showConfiguration() {
  const ReplaceFlags& f = m_config.Flags;
  const bool values[6] = {f.CaseSensitive, f.WholeWordsOnly, f.CreateBackupFiles,
                          f.Anything,      f.Confirm,        f.Regular};
  for (size_t i = 0; i < m_ui.switches.size(); ++i) {
    QSignalBlocker block(m_ui.switches[i]);
    m_ui.switches[i]->setChecked(values[i]);
  }
  // While regular expressions are on, "Whole Words Only" and "Allow script %anything%" do
  // not apply; their values stay.
  m_ui.switches[1]->setEnabled(m_config.wholeWordsOnlyEnabled());
  m_ui.switches[3]->setEnabled(m_config.anythingEnabled());
  {
    QSignalBlocker block(m_actions.createBackupFiles);
    m_actions.createBackupFiles->setChecked(f.CreateBackupFiles);
  }
  m_actions.saveTool->setEnabled(m_config.SaveButtonEnabled);

  const AdvancedSwitches& a = m_config.Advanced;
  setField(m_ui.findField, m_config.FindField);
  setField(m_ui.replaceField, m_config.ReplaceField);

  m_ui.keepFilenameReferencesBox->setChecked(a.DoNotChangeFilenameReferences);
  m_ui.onlyInFirstBox->setChecked(a.ReplaceOnlyInFirst);
  if (m_ui.firstCountField->text() != fromStd(a.FirstCount))
    m_ui.firstCountField->setText(fromStd(a.FirstCount));
  m_ui.firstUnitBox->setCurrentIndex(a.FirstUnit == RegionUnit::Bytes ? 1 : 0);
  updateFileModeCommands();
}

std::string MainWindow::findText() const {
  return crlfText(m_ui.findField);
}

std::string MainWindow::replaceText() const {
  return crlfText(m_ui.replaceField);
}

void MainWindow::setField(QPlainTextEdit* field, const std::string& text) {
  QString s = fromStd(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  if (field->toPlainText() == s) return;
  m_settingField = true;
  field->setPlainText(s);
  m_settingField = false;
}

// The fields are the configuration's FindField and ReplaceField: every edit is written
// through at once, and a text set by a command is shown without being written back, so that
// bytes that are not UTF-8 stay as they are until the user edits them.
void MainWindow::onFieldEdited(QPlainTextEdit* field) {
  if (m_settingField) return;
  (field == m_ui.findField ? m_config.FindField : m_config.ReplaceField) = crlfText(field);
}

int MainWindow::selectedFile() const {
  const QModelIndex current = m_ui.fileList->currentIndex();
  if (!current.isValid() || !m_ui.fileList->selectionModel()->isSelected(current)) return -1;
  return current.row();
}

// The grid always has a current row; before the user picks one it is the first.
int MainWindow::selectedPair() const {
  const QModelIndex current = m_ui.pairGrid->currentIndex();
  return current.isValid() ? current.row() : 0;
}

void MainWindow::selectPair(int row) {
  if (row < 0 || m_pairModel->rowCount() == 0) return;
  row = std::min(row, m_pairModel->rowCount() - 1);
  m_ui.pairGrid->setCurrentIndex(m_pairModel->index(row, 0));
}

// Runs `change` on the pair list while the grid knows it is being rebuilt, then shows the
// configuration again.
void MainWindow::resetPairsAnd(const std::function<void()>& change) {
  {
    PairTableModel::Reset pairs(*m_pairModel);
    change();
  }
  showConfiguration();
}

// The same for a change that may replace both lists (a new or opened configuration).
void MainWindow::resetListsAnd(const std::function<void()>& change) {
  {
    PairTableModel::Reset pairs(*m_pairModel);
    FileListModel::Reset files(*m_fileModel);
    change();
  }
  showConfiguration();
}

// Runs `change` on the file list and shows it again with the entry that was selected still
// selected (by its path), so that a command that adds files, or is cancelled, does not take
// the file commands away from the user.
void MainWindow::keepingFileSelection(const std::function<void()>& change) {
  const int row = selectedFile();
  const std::string path = row >= 0 ? m_config.Files[size_t(row)].Path : std::string();
  {
    FileListModel::Reset files(*m_fileModel);
    change();
  }
  showConfiguration();
  if (row < 0) return;
  const auto& files = m_config.Files;
  size_t at = size_t(row);
  if (at >= files.size() || files[at].Path != path) {
    at = 0;
    while (at < files.size() && files[at].Path != path) ++at;
    if (at == files.size()) return;
  }
  const QModelIndex index = m_fileModel->index(int(at), 0);
  m_ui.fileList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

}  // namespace tw
