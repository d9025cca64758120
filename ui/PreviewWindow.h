#pragma once
// PreviewWindow: the run looked at before anything is written, or the find texts looked for
// without replacing.
//
// Preview (PreviewKind::Replace) lists the files the run would change, each with its number of
// replacements and a tick box, and the files that could not be read with the reason; the
// selected file's changes show beside the list as a diff. "Replace in ticked files" closes the
// window with the user's choices (choices()), which the main window runs as Go would, through the
// same engine and write-back; a file changed on disk since the preview is then left alone and
// listed. With one pair each occurrence has a tick box of its own; with several, a later pair
// may work on what an earlier one made, so whole files are chosen (the window says so).
//
// Find (PreviewKind::Find) lists the files holding an occurrence, with their occurrences and
// lines; the selected file's lines show beside the list. The list can be saved as text
// ("path:line:text", as `textwright-cli find` prints it), and the selected file opened in the
// main window's browse or edit mode (openRequest()).
//
// The search runs on a thread of its own and the files appear as they are found, with the
// progress and a Stop button; the window answers all the while. The diff of the selected file
// is built on another thread when the file is selected, one page of changes at a time, from the
// file as it is then. Closing the window writes nothing.

#include "config/AppOptions.h"
#include "config/Configuration.h"
#include "engine/Preview.h"

#include <QDialog>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTimer;

namespace tw {

class DiffView;
class PreviewFileModel;

class PreviewWindow : public QDialog {
  Q_OBJECT
 public:
  // `config` and `options` are the caller's and must not change while the window is open (it is
  // modal); the search starts when the window is first shown.
  PreviewWindow(PreviewKind kind, const Configuration& config, const AppOptions& options,
                QWidget* parent = nullptr);
  ~PreviewWindow() override;

  // After "Replace in ticked files" (the window accepted): the ticked files with their choices.
  const PreviewChoices& choices() const { return m_choices; }

  // After "Browse File" or "Edit File" of Find: what to open and the file-list entry.
  enum class OpenRequest { None, Browse, Edit };
  OpenRequest openRequest() const { return m_openRequest; }
  size_t openEntry() const { return m_openEntry; }

  // Whether the search is still going.
  bool isSearching() const { return m_searching; }
  // The role of the file list's cells that holds their file's full path (the file column shows
  // its name, the folder column its folder); the filter looks at it.
  static constexpr int kPathRole = Qt::UserRole + 1;
  // The number of changes shown on one page of the diff.
  static constexpr int64_t kChangesPerPage = 100;

  QTableView* fileList() const { return m_fileList; }
  DiffView* diffView() const { return m_diffView; }
  QLineEdit* filterField() const { return m_filterField; }
  QLabel* totalsLabel() const { return m_totalsLabel; }
  QLabel* fileLabel() const { return m_fileLabel; }
  QLabel* choiceNote() const { return m_choiceNote; }
  QLabel* pageLabel() const { return m_pageLabel; }
  // The files that could not be read, each "<path> - <reason>"; shown only when there are any.
  QListWidget* notReadList() const { return m_notReadList; }
  QProgressBar* progressBar() const { return m_progressBar; }
  QPushButton* stopButton() const { return m_stopButton; }
  QPushButton* tickAllButton() const { return m_tickAllButton; }
  QPushButton* untickAllButton() const { return m_untickAllButton; }
  QPushButton* previousPageButton() const { return m_previousPageButton; }
  QPushButton* nextPageButton() const { return m_nextPageButton; }
  QPushButton* replaceButton() const { return m_replaceButton; }
  QPushButton* saveListButton() const { return m_saveListButton; }
  QPushButton* browseButton() const { return m_browseButton; }
  QPushButton* editButton() const { return m_editButton; }
  QPushButton* closeButton() const { return m_closeButton; }

 signals:
  // The search has ended (finished, stopped or refused).
  void searchEnded();
  // The diff of the selected file is on show (or its note, for a file not read).
  void changesShown();

 protected:
  // Space on any cell of a file's row toggles the file's tick box.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  class Search;
  class DiffBuilder;

  void buildControls();
  void startSearch();
  void stopSearch();
  // Takes what the search found since the last look, and its progress.
  void takeFindings();
  void onSearchEnded();
  void showTotals();
  void updateButtons();
  // The entry of the selected file, if one is selected.
  std::optional<size_t> selectedEntry() const;
  void onFileSelected();
  // Asks for the diff of the selected file's current page with the current choices.
  void requestChanges();
  void onChangesBuilt(uint64_t generation, std::shared_ptr<FileChanges> changes);
  void onOccurrenceToggled(size_t index, bool replaced);
  void tickShown(bool ticked);
  void turnPage(int64_t by);
  void onReplace();
  void onSaveList();
  void onOpen(OpenRequest request);

  const PreviewKind m_kind;
  const Configuration& m_config;
  const AppOptions& m_options;
  const bool m_choosable;  // occurrences are chosen one by one

  PreviewFileModel* m_files = nullptr;
  QSortFilterProxyModel* m_filter = nullptr;
  QTableView* m_fileList = nullptr;
  DiffView* m_diffView = nullptr;
  QLineEdit* m_filterField = nullptr;
  QLabel* m_totalsLabel = nullptr;
  QLabel* m_fileLabel = nullptr;
  QLabel* m_choiceNote = nullptr;
  QLabel* m_pageLabel = nullptr;
  QLabel* m_notReadLabel = nullptr;
  QListWidget* m_notReadList = nullptr;
  QProgressBar* m_progressBar = nullptr;
  QPushButton* m_stopButton = nullptr;
  QPushButton* m_tickAllButton = nullptr;
  QPushButton* m_untickAllButton = nullptr;
  QPushButton* m_previousPageButton = nullptr;
  QPushButton* m_nextPageButton = nullptr;
  QPushButton* m_replaceButton = nullptr;
  QPushButton* m_saveListButton = nullptr;
  QPushButton* m_browseButton = nullptr;
  QPushButton* m_editButton = nullptr;
  QPushButton* m_closeButton = nullptr;
  QTimer* m_followTimer = nullptr;

  std::unique_ptr<Search> m_search;
  std::thread m_searchThread;
  bool m_started = false;
  bool m_searching = false;
  int64_t m_searchedSoFar = 0;
  PreviewOutcome m_outcome;

  std::unique_ptr<DiffBuilder> m_builder;
  std::optional<size_t> m_shownEntry;  // the file whose diff is asked for or shown
  int64_t m_page = 0;
  int64_t m_changeCount = 0;
  std::shared_ptr<FileChanges> m_shown;            // the diff on show
  std::map<size_t, std::set<int64_t>> m_declined;  // occurrences left alone, by entry
  bool m_rebuildPending = false;                   // a rebuild after ticks is on its way

  PreviewChoices m_choices;
  OpenRequest m_openRequest = OpenRequest::None;
  size_t m_openEntry = 0;
};

}  // namespace tw
