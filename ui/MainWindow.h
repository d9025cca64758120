#pragma once
// MainWindow, the main window: shows the one Configuration (pairs in a grid, files in a check
// list, the switches in check boxes) and forwards every command to the core. It keeps no
// copy of the configuration or the options; after each command it shows the core's state.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "config/Prompts.h"
#include "config/SettingsStore.h"
#include "config/WindowCommands.h"
#include "engine/Clock.h"
#include "engine/RunSummary.h"
#include "lang/TextTable.h"
#include "ui/MainLayout.h"

#include <QMainWindow>

#include <functional>
#include <string>
#include <vector>

class QAction;
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

class FileListModel;
class PairGrid;
class PairTableModel;
class BrowseMode;
class EditMode;
class AboutDialog;
class ResultsDialog;
class ScanDialog;
class ScanProgressDialog;
class ProcessingDialog;
class TipsDialog;
class OptionsDialog;

// The windows' font: the desktop's own family at this size. The program sets it for every
// window (dialogs and message boxes too) before it creates them.
inline constexpr int kWindowFontPointSize = 8;

class MainWindow : public QMainWindow {
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
  // Where the run takes its begin and end times from (the system clock unless replaced).
  void setClock(Clock& clock) { m_clock = &clock; }
  // What the last run left behind.
  const RunSummary& runSummary() const { return m_summary; }

  Configuration& configuration() { return m_config; }
  PairTableModel& pairModel() { return *m_pairModel; }
  FileListModel& fileModel() { return *m_fileModel; }
  // The geometry applied at the last resize.
  const MainLayout& currentLayout() const { return m_layout; }
  bool advancedView() const { return m_advanced; }
  // Normal, or the file of the list being looked at (browse) or edited (edit).
  FileMode fileMode() const { return m_mode; }
  EditMode& editMode() { return *m_editMode; }

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

  // The tips window and the about box, created once by the program; their menu entries stay
  // disabled without them.
  void setInfoWindows(TipsDialog* tips, AboutDialog* about);

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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // File menu and its tool buttons.
  void New1Click();
  void Open1Click();
  void Save1Click();
  void SaveAs1Click();
  void Exit1Click();
  // Strings menu, the pair buttons and the grid.
  void AddString1Click();
  void EditString1Click();
  void DeleteString1Click();
  void BitBtn4Click();     // pair "Add"
  void BitBtn5Click();     // pair "Delete": asks per option, sets Changed
  void Deleteall2Click();  // grid pop-up "Delete all"
  void StringGrid1DblClick();
  void StringGrid1DragDrop(int fromRow, int toRow);
  bool StringGrid1KeyDown(int key);
  // Files menu, the file buttons and the list.
  void AddFiles1Click();
  void DeleteFile1Click();
  void DeleteallFiles1Click();
  void CheckAll1Click();
  void UncheckAll1Click();
  void OpenFile1Click();
  void ScanforFiles1Click();  // "Scan", "Scan for Files", "Scan for files"
  void Options1Click();
  void CheckListBox1Click();
  // Browse and edit mode.
  void Button1Click();  // "Browse file"
  void Button3Click();  // "Edit file"
  void Button2Click();  // "Return to normal state"
  void Button4Click();  // "Save changes and close"
  void Button5Click();  // "Discard changes and close"
  void enterFileMode(FileMode mode);
  void leaveFileMode();
  void updateFileModeCommands();
  void showPathOf(QWidget* view, const std::string& path);
  bool CheckListBox1KeyDown(int key);
  // Backup Files menu.
  void CreateBackupFiles1Click();
  void RestoreBackupFiles1Click();
  void DeleteBackupFiles1Click();
  // Help menu.
  void HelpTopics1Click();
  void ShowTips1Click();  // "Tip of the Day...": the tips window, not modal
  void Brindlecovehomepage1Click();
  void Onlinehelp1Click();
  void About2Click();
  // Start-up and exit (MainformStartup.cpp).
  void FormShow();      // first showing: settings, placement, language, previous project
  void FormActivate();  // every activation: grid headers; the first: the tip of the day
  void storeExitSettings();
  void fitSwitchCaptions();
  void fitButtonCaptions();
  // Options group.
  void CheckBoxClick(int which);
  void CheckBox7Click();
  void CheckBox8Click();
  void Edit1Change();
  void ComboBox1Change();
  void BitBtn6Click();  // "Go"
  void BitBtn7Click();  // "<< Advanced" / "Normal >>"
  // The menus of the find and replace fields.
  void ClearField(QPlainTextEdit* field);
  void LoadFieldFromFile(QPlainTextEdit* field, PairField which);
  void Memo1Change();
  void Memo2Change();
  void removePair(PairRemoval via);
  void CopyFieldToClipboard(QPlainTextEdit* field);

  void FormResize();
  void buildControls();
  void buildMenus();
  void buildToolBar();
  QAction* action(const char* name, const QString& text, void (MainWindow::*handler)());
  void setField(QPlainTextEdit* field, const std::string& text);
  int selectedFile() const;
  void keepingFileSelection(const std::function<void()>& change);  // row in Files, or -1
  int selectedPair() const;                                        // row in Pairs, or -1
  void selectPair(int row);
  void enableCommands(const std::vector<const char*>& names, bool on);
  // Hands `url` to the desktop; says what failed when nothing could open it.
  void openUrl(const QUrl& url, const QString& what);

  Configuration& m_config;
  AppOptions& m_options;
  Prompts& m_prompts;
  SettingsStore& m_settings;
  PairTableModel* m_pairModel = nullptr;
  FileListModel* m_fileModel = nullptr;
  MainLayout m_layout;
  bool m_advanced = false;
  bool m_settingField = false;
  ProcessingDialog* m_processingDialog = nullptr;
  ResultsDialog* m_resultsDialog = nullptr;
  ScanDialog* m_scanDialog = nullptr;
  ScanProgressDialog* m_scanProgressDialog = nullptr;
  OptionsDialog* m_optionsWindow = nullptr;
  SystemClock m_systemClock;
  Clock* m_clock = &m_systemClock;
  RunSummary m_summary;
  FileMode m_mode = FileMode::Normal;
  EditMode* m_editMode = nullptr;
  BrowseMode* m_browseMode = nullptr;
  // The commands a mode disables (they would change the file list, start a run or enter the
  // other mode), with the enabled state each had, given back when the mode ends.
  std::vector<std::pair<QObject*, bool>> m_guarded;
  TextTable m_texts;
  QString m_language;  // the language file in use; empty for the built-in texts
  TipsDialog* m_tipsDialog = nullptr;
  AboutDialog* m_aboutDialog = nullptr;
  bool m_shown = false;
  bool m_activated = false;
  bool m_showTips = false;  // the tips switch read at start-up
  bool m_settingsErrorShown = false;

  QWidget* m_client = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QGroupBox* GroupBox1 = nullptr;  // "Files"
  QGroupBox* GroupBox2 = nullptr;  // "Options"
  QGroupBox* GroupBox3 = nullptr;  // "Strings"
  QListView* CheckListBox1 = nullptr;
  QPushButton* BitBtn1 = nullptr;  // files "Add"
  QPushButton* BitBtn2 = nullptr;  // "Scan"
  QPushButton* BitBtn3 = nullptr;  // files "Delete"
  QPushButton* Button1 = nullptr;  // "Browse file"
  QPushButton* Button3 = nullptr;  // "Edit file"
  QCheckBox* CheckBox[6] = {};     // the six switches, top to bottom
  QPushButton* BitBtn6 = nullptr;  // "Go"
  QPushButton* BitBtn7 = nullptr;  // "<< Advanced"
  QCheckBox* CheckBox7 = nullptr;  // "Do not change filename references"
  QCheckBox* CheckBox8 = nullptr;  // "Replace only in first"
  QLineEdit* Edit1 = nullptr;      // the count
  QComboBox* ComboBox1 = nullptr;  // "Lines" / "Bytes"
  PairGrid* StringGrid1 = nullptr;
  QLabel* Label1 = nullptr;         // "Find:"
  QLabel* Label2 = nullptr;         // "Replace with:"
  QPlainTextEdit* Memo1 = nullptr;  // find field
  QPlainTextEdit* Memo2 = nullptr;  // replace field
  QToolButton* SpeedButton1 = nullptr;
  QToolButton* SpeedButton2 = nullptr;
  QPushButton* BitBtn4 = nullptr;  // pair "Add"
  QPushButton* BitBtn5 = nullptr;  // pair "Delete"

  QAction* ToolButton3 = nullptr;  // "Save current configuration"
  QAction* CreateBackupFiles1 = nullptr;
  QMenu* PopupMenu1 = nullptr;  // file list
  QMenu* PopupMenu2 = nullptr;  // pair grid
  QMenu* PopupMenu3 = nullptr;  // find field
  QMenu* PopupMenu4 = nullptr;  // replace field
};

}  // namespace tw
