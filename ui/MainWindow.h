#pragma once
// The main window: shows the one Configuration (pairs in a grid, files in a check list, the
// switches in check boxes) and forwards every command to the core. It keeps no copy of the
// configuration or the options; after each command it shows the core's state.
//
// Its code is split by concern: construction and the core's state (MainWindow.cpp), the
// controls and their layout (MainWindowControls.cpp), the commands (MainWindowCommands.cpp),
// the browse and edit modes (MainWindowFileModes.cpp), start-up, language and exit
// (MainWindowStartup.cpp). The commands themselves are MainActions.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "config/Prompts.h"
#include "config/SettingsStore.h"
#include "config/WindowCommands.h"
#include "engine/Clock.h"
#include "engine/RunSummary.h"
#include "lang/TextTable.h"
#include "ui/LanguageTexts.h"
#include "ui/MainActions.h"
#include "ui/MainLayout.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolBar;
class QToolButton;
class QUrl;

namespace tw {

class AboutDialog;
struct PreviewChoices;
class BrowseMode;
class EditMode;
class FileListModel;
class OptionsDialog;
class PairGrid;
class PairTableModel;
class ProcessingDialog;
class ResultsDialog;
class ScanDialog;
class ScanProgressDialog;
class TipsDialog;

// The windows' font: the desktop's own family at this size. The program sets it for every
// window (dialogs and message boxes too) before it creates them.
inline constexpr int kWindowFontPointSize = 8;

// The controls of the main window's client area.
struct MainWindowControls {
  QToolBar* toolBar = nullptr;
  // "Files"
  QGroupBox* filesGroup = nullptr;
  QListView* fileList = nullptr;
  QPushButton* addFilesButton = nullptr;
  QPushButton* scanButton = nullptr;
  QPushButton* deleteFileButton = nullptr;
  QPushButton* browseButton = nullptr;
  QPushButton* editButton = nullptr;
  // "Options": the six switches top to bottom (case, whole words, backups, %anything%,
  // confirm, regular expressions), then the advanced view's controls.
  QGroupBox* optionsGroup = nullptr;
  std::array<QCheckBox*, 6> switches = {};
  QPushButton* goButton = nullptr;
  QPushButton* advancedButton = nullptr;
  QCheckBox* keepFilenameReferencesBox = nullptr;
  QCheckBox* onlyInFirstBox = nullptr;
  QLineEdit* firstCountField = nullptr;
  QComboBox* firstUnitBox = nullptr;
  // "Strings"
  QGroupBox* stringsGroup = nullptr;
  PairGrid* pairGrid = nullptr;
  QLabel* findLabel = nullptr;
  QLabel* replaceLabel = nullptr;
  QPlainTextEdit* findField = nullptr;
  QPlainTextEdit* replaceField = nullptr;
  QToolButton* findMenuButton = nullptr;
  QToolButton* replaceMenuButton = nullptr;
  QMenu* findFieldMenu = nullptr;
  QMenu* replaceFieldMenu = nullptr;
  QPushButton* addPairButton = nullptr;
  QPushButton* deletePairButton = nullptr;
};

class MainWindow : public QMainWindow, public ShowsTexts {
  Q_OBJECT
 public:
  // Every message box and file dialog goes through `prompts`; the settings (LastDir) through
  // `settings`. All four outlive the window.
  MainWindow(Configuration& config, AppOptions& options, Prompts& prompts, SettingsStore& settings,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // The windows of a run: the processing window and the results window, created once by the
  // program after the main window. Without them Go stays disabled.
  void setRunWindows(ProcessingDialog* processing, ResultsDialog* results);
  // The scan dialog and the scanning window; without them the scan commands stay disabled.
  void setScanWindows(ScanDialog* scan, ScanProgressDialog* scanning);
  // The options dialog; without it "Options..." stays disabled.
  void setOptionsWindow(OptionsDialog* options);
  // The tips window and the about box; their menu entries stay disabled without them.
  void setInfoWindows(TipsDialog* tips, AboutDialog* about);
  // Where the run takes its begin and end times from (the system clock unless replaced).
  void setClock(Clock& clock) { m_clock = &clock; }
  // What the last run left behind.
  const RunSummary& runSummary() const { return m_summary; }

  Configuration& configuration() { return m_config; }
  PairTableModel& pairModel() { return *m_pairModel; }
  FileListModel& fileModel() { return *m_fileModel; }
  // The commands and the controls, as the user reaches them (tests and tools look at them).
  const MainActions& actions() const { return m_actions; }
  const MainWindowControls& controls() const { return m_ui; }
  // The geometry applied at the last resize.
  const MainLayout& currentLayout() const { return m_layout; }
  bool advancedView() const { return m_advanced; }
  // Normal, or the file of the list being looked at (browse) or edited (edit).
  FileMode fileMode() const { return m_mode; }
  EditMode& editMode() { return *m_editMode; }
  BrowseMode& browseMode() { return *m_browseMode; }

  // The file that Help Topics opens; empty when no help is installed.
  QString helpFile() const;

  // The find and replace fields' texts as the pair list holds them (line breaks CR LF).
  std::string findText() const;
  std::string replaceText() const;

  // Opens the configuration file `path` without a dialog (start-up); a missing file opens
  // nothing and says nothing.
  void openAtStart(const std::string& path);

  // Shows the core's state in every control: switches, menu check, enabled states.
  void showConfiguration();

  // The texts the windows show (the built-in ones or those of a language file).
  const TextTable& texts() const { return m_texts; }
  // Puts the texts of the language file `fileName` (a name in the Language folder; empty or
  // "English.lng": the built-in texts) into every window. A file that cannot be read or holds
  // a malformed line is reported, and nothing changes. Returns whether it was applied.
  bool applyLanguage(const QString& fileName);
  // The user's choice of language: applies it and, when that worked, remembers it
  // ("Language", empty for the built-in texts).
  bool changeLanguage(const QString& fileName);
  // The language file in use, "English.lng" for the built-in texts.
  QString languageName() const;
  // Lets `list` (the options dialog's language list) choose the language: it is filled now
  // (call fillLanguageList again before each showing), and a name chosen in it is applied at
  // once; a refused one puts the list back to the language in use.
  void attachLanguageList(QComboBox* list);

  // ShowsTexts: the captions of the menus, commands and controls.
  void applyTexts(const TextTable& texts) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Building (MainWindowControls.cpp).
  void connectCommands();
  void buildControls();
  void buildFilesGroup();
  void buildOptionsGroup();
  void buildStringsGroup();
  void buildToolBar();
  void placeControls();
  void fitSwitchCaptions();
  void fitButtonCaptions();

  // The configuration's commands (MainWindowCommands.cpp).
  void onNewConfiguration();
  void onOpenConfiguration();
  void onSaveConfiguration();
  void onSaveConfigurationAs();
  void onStartNewPair();
  void onAddPair();
  void onEditPair();
  void removePair(PairRemoval via);
  void onDeleteAllPairs();
  void onPairDragged(int fromRow, int toRow);
  bool onPairGridKey(int key);
  void onAddFiles();
  void onScanForFiles();
  void onDeleteFile();
  void onDeleteAllFiles();
  void onCheckAll();
  void onUncheckAll();
  void onOpenFile();
  bool onFileListKey(int key);
  void onCreateBackupFilesToggled(bool on);
  void onRestoreBackups();
  void onDeleteBackups();
  void onSwitchToggled(size_t which);
  void onOptions();
  void onGo();
  void onPreview();
  void onFindInFiles();
  // Runs the pairs over the checked files, or over the files chosen in a preview, in the
  // processing window, then shows the results.
  void runReplacement(const PreviewChoices* choices);
  void onToggleAdvancedView();
  void onHelpTopics();
  void onTipOfTheDay();
  void onAbout();
  void loadFieldFromFile(QPlainTextEdit* field, PairField which);
  void copyFieldToClipboard(QPlainTextEdit* field);
  // Hands `url` to the desktop; says what failed when nothing could open it.
  void openUrl(const QUrl& url, const QString& what);

  // Browse and edit mode (MainWindowFileModes.cpp).
  void onBrowseFile();
  void onEditFile();
  void onReturnToNormal();
  void onSaveEditedFile();
  void onDiscardEditedFile();
  void enterFileMode(FileMode mode);
  void leaveFileMode();
  void updateFileModeCommands();
  void showPathOf(QWidget* view, const std::string& path);

  // Start-up and exit (MainWindowStartup.cpp).
  void restoreStartupState();  // first showing: settings, placement, language, project
  void onActivated();          // every activation: grid headers; the first: the tip of the day
  void storeExitSettings();
  void storeChosenOptions();  // the options dialog's OK: the choices kept at once

  // Showing the core's state (MainWindow.cpp).
  void setField(QPlainTextEdit* field, const std::string& text);
  void onFieldEdited(QPlainTextEdit* field);
  int selectedFile() const;  // row in Files, or -1
  void keepingFileSelection(const std::function<void()>& change);
  int selectedPair() const;  // row in Pairs; the first before the user picks one
  void selectPair(int row);
  void resetPairsAnd(const std::function<void()>& change);
  void resetListsAnd(const std::function<void()>& change);

  Configuration& m_config;
  AppOptions& m_options;
  Prompts& m_prompts;
  SettingsStore& m_settings;
  PairTableModel* m_pairModel = nullptr;
  FileListModel* m_fileModel = nullptr;
  MainActions m_actions;
  MainWindowControls m_ui;
  QWidget* m_client = nullptr;
  MainLayout m_layout;
  bool m_advanced = false;
  bool m_settingField = false;
  ProcessingDialog* m_processingDialog = nullptr;
  ResultsDialog* m_resultsDialog = nullptr;
  ScanDialog* m_scanDialog = nullptr;
  ScanProgressDialog* m_scanProgressDialog = nullptr;
  OptionsDialog* m_optionsDialog = nullptr;
  TipsDialog* m_tipsDialog = nullptr;
  AboutDialog* m_aboutDialog = nullptr;
  SystemClock m_systemClock;
  Clock* m_clock = &m_systemClock;
  RunSummary m_summary;
  FileMode m_mode = FileMode::Normal;
  EditMode* m_editMode = nullptr;
  BrowseMode* m_browseMode = nullptr;
  // The commands a mode disables, with the enabled state each had, given back when the mode
  // ends.
  std::vector<std::pair<QAction*, bool>> m_guarded;
  TextTable m_texts;
  QString m_language;  // the language file in use; empty for the built-in texts
  bool m_shown = false;
  bool m_activated = false;
  bool m_showTips = false;  // the tips switch read at start-up
  bool m_settingsErrorShown = false;
  bool m_closeWhenRunEnds = false;  // the user closed the program during a run
};

}  // namespace tw
