#include "ui/PreviewWindow.h"

#include "ui/DiffView.h"
#include "ui/QtText.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStandardItem>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <string>
#include <unordered_map>
#include <utility>

namespace tw {

namespace {

// How often the window takes what the search found: often enough to look live, rarely enough
// that thousands of small files do not flood the list.
constexpr int kFollowIntervalMs = 100;

QString number(int64_t value) {
  return QLocale().toString(qlonglong(value));
}

// "1 file", "2 files": a count with its noun.
QString counted(int64_t value, const char* one, const char* many) {
  return number(value) + u' ' + QString::fromLatin1(value == 1 ? one : many);
}

}  // namespace

// The files of a preview that would change (Preview) or hold an occurrence (Find), in the order
// found, each with its tick box (Preview) and its numbers.
class PreviewFileModel : public QAbstractTableModel {
 public:
  enum Column { kFileColumn, kCountColumn, kLinesColumn, kFolderColumn, kColumnCount };
  static constexpr int kPathRole = PreviewWindow::kPathRole;

  struct Row {
    PreviewedFile file;
    bool ticked = true;
  };

  PreviewFileModel(PreviewKind kind, QObject* parent) : QAbstractTableModel(parent), m_kind(kind) {}

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : int(m_rows.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : kColumnCount;
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
      case kFileColumn:
        return QStringLiteral("File");
      case kCountColumn:
        return m_kind == PreviewKind::Find ? QStringLiteral("Occurrences")
                                           : QStringLiteral("Replacements");
      case kLinesColumn:
        return QStringLiteral("Lines");
      default:
        return QStringLiteral("Folder");
    }
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    const Row& row = m_rows[size_t(index.row())];
    const PreviewedFile& file = row.file;
    switch (role) {
      case Qt::DisplayRole:
        switch (index.column()) {
          case kFileColumn:
            return fromStd(nameOf(file.path));
          case kCountColumn:
            return number(file.count);
          case kLinesColumn:
            return number(file.lines);
          default:
            return fromStd(folderOf(file.path));
        }
      case kPathRole:
        return fromStd(file.path);
      case Qt::ToolTipRole:
        if (index.column() == kCountColumn || index.column() == kLinesColumn) return {};
        return fromStd(file.path);
      case Qt::AccessibleTextRole:
        if (index.column() != kFileColumn) return {};
        return QStringLiteral("%1, %2 %3")
            .arg(fromStd(file.path), number(file.count),
                 m_kind == PreviewKind::Find ? QStringLiteral("occurrences")
                                             : QStringLiteral("replacements"));
      case Qt::CheckStateRole:
        if (index.column() != kFileColumn || m_kind != PreviewKind::Replace) return {};
        return row.ticked ? Qt::Checked : Qt::Unchecked;
      case Qt::TextAlignmentRole:
        if (index.column() == kCountColumn || index.column() == kLinesColumn)
          return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
      default:
        return {};
    }
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == kFileColumn && m_kind == PreviewKind::Replace)
      flags |= Qt::ItemIsUserCheckable;
    return flags;
  }

  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (role != Qt::CheckStateRole || !(flags(index) & Qt::ItemIsUserCheckable)) return false;
    setTicked({size_t(index.row())}, value.value<Qt::CheckState>() == Qt::Checked);
    return true;
  }

  // The sums over all rows, kept as rows come and change, so that the window's totals and
  // buttons cost the same for five files as for fifty thousand.
  struct Totals {
    int64_t files = 0;
    int64_t count = 0;
    int64_t lines = 0;
    int64_t tickedFiles = 0;
    int64_t tickedCount = 0;
    int64_t tickedWithCount = 0;  // ticked files with something to replace
  };
  const Totals& totals() const { return m_totals; }

  void append(std::vector<PreviewedFile> files) {
    if (files.empty()) return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + files.size() - 1));
    for (PreviewedFile& file : files) {
      m_rowOfEntry[file.entry] = m_rows.size();
      m_rows.push_back({std::move(file), true});
      const Row& added = m_rows.back();
      ++m_totals.files;
      m_totals.lines += added.file.lines;
      count(added, +1);
    }
    endInsertRows();
  }

  // Ticks or unticks the rows `rows`; one change signal for all of them.
  void setTicked(const std::vector<size_t>& rows, bool ticked) {
    size_t first = m_rows.size(), last = 0;
    for (size_t row : rows) {
      if (m_rows[row].ticked == ticked) continue;
      count(m_rows[row], -1);
      m_rows[row].ticked = ticked;
      count(m_rows[row], +1);
      first = std::min(first, row);
      last = std::max(last, row);
    }
    if (first <= last)
      emit dataChanged(index(int(first), kFileColumn), index(int(last), kFileColumn),
                       {Qt::CheckStateRole});
  }

  // A file's count after the user's choices of occurrences.
  void setCount(size_t entry, int64_t count) {
    const auto found = m_rowOfEntry.find(entry);
    if (found == m_rowOfEntry.end() || m_rows[found->second].file.count == count) return;
    Row& row = m_rows[found->second];
    this->count(row, -1);
    row.file.count = count;
    this->count(row, +1);
    const QModelIndex cell = index(int(found->second), kCountColumn);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
  }

  const Row& row(size_t at) const { return m_rows[at]; }
  const std::vector<Row>& rows() const { return m_rows; }
  const Row* rowOfEntry(size_t entry) const {
    const auto found = m_rowOfEntry.find(entry);
    return found == m_rowOfEntry.end() ? nullptr : &m_rows[found->second];
  }

 private:
  // Adds a row's replacements (`sign` +1) to the totals, or takes them away (-1).
  void count(const Row& row, int sign) {
    m_totals.count += sign * row.file.count;
    if (!row.ticked) return;
    m_totals.tickedFiles += sign;
    m_totals.tickedCount += sign * row.file.count;
    if (row.file.count > 0) m_totals.tickedWithCount += sign;
  }

  static std::string_view nameOf(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
  }
  static std::string_view folderOf(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
  }

  PreviewKind m_kind;
  std::vector<Row> m_rows;
  std::unordered_map<size_t, size_t> m_rowOfEntry;
  Totals m_totals;
};

// The search's receiver, called on the search's thread: it only keeps what was found for the
// window to take (PreviewWindow::takeFindings) and reads the Stop flag.
class PreviewWindow::Search final : public PreviewReceiver {
 public:
  void found(PreviewedFile file) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_found.push_back(std::move(file));
  }
  void fileStarted(const std::string& path) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_path = path;
    ++m_searched;
  }
  void progress(int percent) override { m_percent.store(percent, std::memory_order_relaxed); }
  bool cancelRequested() override { return m_stop.load(std::memory_order_relaxed); }

  void stop() { m_stop.store(true, std::memory_order_relaxed); }
  void finish(PreviewOutcome outcome) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_outcome = std::move(outcome);
    m_ended = true;
  }

  // What was found since the last call, the file in progress, the files searched so far and
  // whether the search has ended (with its outcome).
  struct Findings {
    std::vector<PreviewedFile> found;
    std::string path;
    int64_t searched = 0;
    int percent = 0;
    bool ended = false;
    PreviewOutcome outcome;
  };
  Findings take() {
    Findings findings;
    std::lock_guard<std::mutex> lock(m_mutex);
    findings.found.swap(m_found);
    findings.path = m_path;
    findings.searched = m_searched;
    findings.percent = m_percent.load(std::memory_order_relaxed);
    findings.ended = m_ended;
    if (m_ended) findings.outcome = m_outcome;
    return findings;
  }

 private:
  std::mutex m_mutex;
  std::vector<PreviewedFile> m_found;
  std::string m_path;
  int64_t m_searched = 0;
  bool m_ended = false;
  PreviewOutcome m_outcome;
  std::atomic<int> m_percent{0};
  std::atomic<bool> m_stop{false};
};

// Builds the diff of one file on a thread of its own. Only the latest request counts: a request
// made while an older one is being built stops the older one, whose result is dropped.
class PreviewWindow::DiffBuilder {
 public:
  explicit DiffBuilder(PreviewWindow& window) : m_window(window) {
    m_thread = std::thread([this] { work(); });
  }
  ~DiffBuilder() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_quit = true;
      ++m_generation;
    }
    m_wake.notify_one();
    m_thread.join();
  }

  // Asks for a page of the diff of `entry`; returns the request's number.
  uint64_t ask(size_t entry, std::set<int64_t> declined, int64_t firstChange) {
    uint64_t generation = 0;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      generation = ++m_generation;
      m_request = Request{generation, entry, std::move(declined), firstChange};
    }
    m_wake.notify_one();
    return generation;
  }
  uint64_t latest() const { return m_generation.load(); }

 private:
  struct Request {
    uint64_t generation;
    size_t entry;
    std::set<int64_t> declined;
    int64_t firstChange;
  };

  void work() {
    for (;;) {
      Request request;
      {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [this] { return m_quit || m_request.has_value(); });
        if (m_quit) return;
        request = std::move(*m_request);
        m_request.reset();
      }
      const uint64_t generation = request.generation;
      auto outdated = [this, generation] { return m_generation.load() != generation; };
      auto changes = std::make_shared<FileChanges>();
      try {
        *changes =
            ChangesInFile(m_window.m_config, m_window.m_options, request.entry, m_window.m_kind,
                          request.declined, request.firstChange, kChangesPerPage, 2, outdated);
      } catch (const std::exception& e) {
        changes = std::make_shared<FileChanges>();
        changes->failure = std::string("the changes could not be shown: ") + e.what();
      }
      if (outdated()) continue;
      QMetaObject::invokeMethod(
          &m_window,
          [window = &m_window, generation, changes] {
            window->onChangesBuilt(generation, changes);
          },
          Qt::QueuedConnection);
    }
  }

  PreviewWindow& m_window;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::optional<Request> m_request;
  std::atomic<uint64_t> m_generation{0};
  bool m_quit = false;
};

PreviewWindow::PreviewWindow(PreviewKind kind, const Configuration& config,
                             const AppOptions& options, QWidget* parent)
    : QDialog(parent),
      m_kind(kind),
      m_config(config),
      m_options(options),
      m_choosable(kind == PreviewKind::Replace && OccurrencesChoosable(config, options)) {
  setObjectName(kind == PreviewKind::Find ? QStringLiteral("FindWindow")
                                          : QStringLiteral("PreviewWindow"));
  setWindowTitle(kind == PreviewKind::Find ? QStringLiteral("Find in files")
                                           : QStringLiteral("Preview of the replacement"));
  setSizeGripEnabled(true);
  buildControls();
  m_builder = std::make_unique<DiffBuilder>(*this);
  m_followTimer = new QTimer(this);
  m_followTimer->setInterval(kFollowIntervalMs);
  connect(m_followTimer, &QTimer::timeout, this, &PreviewWindow::takeFindings);
}

PreviewWindow::~PreviewWindow() {
  stopSearch();
  m_builder.reset();
}

void PreviewWindow::buildControls() {
  const bool find = m_kind == PreviewKind::Find;
  m_totalsLabel = new QLabel(this);
  m_totalsLabel->setWordWrap(true);
  m_progressBar = new QProgressBar(this);
  m_progressBar->setRange(0, 100);
  m_progressBar->setAccessibleName(QStringLiteral("Search progress"));
  m_stopButton = new QPushButton(QStringLiteral("&Stop"), this);
  m_stopButton->setAutoDefault(false);
  connect(m_stopButton, &QPushButton::clicked, this, &PreviewWindow::stopSearch);

  m_filterField = new QLineEdit(this);
  m_filterField->setPlaceholderText(QStringLiteral("Filter the files by name"));
  m_filterField->setAccessibleName(QStringLiteral("Filter the files"));
  m_filterField->setClearButtonEnabled(true);
  auto* filterLabel = new QLabel(QStringLiteral("F&ilter:"), this);
  filterLabel->setBuddy(m_filterField);

  m_files = new PreviewFileModel(m_kind, this);
  m_filter = new QSortFilterProxyModel(this);
  m_filter->setSourceModel(m_files);
  m_filter->setFilterKeyColumn(PreviewFileModel::kFileColumn);
  m_filter->setFilterRole(PreviewFileModel::kPathRole);
  m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
  connect(m_filterField, &QLineEdit::textChanged, m_filter,
          &QSortFilterProxyModel::setFilterFixedString);

  m_fileList = new QTableView(this);
  m_fileList->setObjectName(QStringLiteral("PreviewFileList"));
  m_fileList->setAccessibleName(find ? QStringLiteral("Files holding an occurrence")
                                     : QStringLiteral("Files that would change"));
  m_fileList->setModel(m_filter);
  m_fileList->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_fileList->setSelectionMode(QAbstractItemView::SingleSelection);
  m_fileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_fileList->setTextElideMode(Qt::ElideMiddle);
  m_fileList->setWordWrap(false);
  m_fileList->verticalHeader()->hide();
  m_fileList->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  m_fileList->horizontalHeader()->setSectionResizeMode(PreviewFileModel::kFileColumn,
                                                       QHeaderView::Interactive);
  m_fileList->horizontalHeader()->resizeSection(PreviewFileModel::kFileColumn,
                                                fontMetrics().horizontalAdvance(QString(20, 'n')));
  m_fileList->horizontalHeader()->setSectionResizeMode(PreviewFileModel::kFolderColumn,
                                                       QHeaderView::Stretch);
  m_fileList->horizontalHeader()->setSectionResizeMode(PreviewFileModel::kCountColumn,
                                                       QHeaderView::ResizeToContents);
  m_fileList->horizontalHeader()->setSectionResizeMode(PreviewFileModel::kLinesColumn,
                                                       QHeaderView::ResizeToContents);
  if (!find) m_fileList->hideColumn(PreviewFileModel::kLinesColumn);
  m_notReadLabel = new QLabel(QStringLiteral("Files not read:"), this);
  m_notReadList = new QListWidget(this);
  m_notReadList->setAccessibleName(QStringLiteral("Files not read"));
  m_notReadList->setMaximumHeight(fontMetrics().height() * 5);
  // A long path gives way in its middle: the file's name and the reason stay in view.
  m_notReadList->setTextElideMode(Qt::ElideMiddle);
  m_notReadList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_notReadLabel->setBuddy(m_notReadList);
  m_notReadLabel->hide();
  m_notReadList->hide();
  m_fileList->installEventFilter(this);
  connect(m_fileList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &PreviewWindow::onFileSelected);
  connect(m_files, &QAbstractItemModel::dataChanged, this, [this] {
    showTotals();
    updateButtons();
  });

  m_tickAllButton = new QPushButton(QStringLiteral("&Tick all shown"), this);
  m_untickAllButton = new QPushButton(QStringLiteral("&Untick all shown"), this);
  m_tickAllButton->setAutoDefault(false);
  m_untickAllButton->setAutoDefault(false);
  connect(m_tickAllButton, &QPushButton::clicked, this, [this] { tickShown(true); });
  connect(m_untickAllButton, &QPushButton::clicked, this, [this] { tickShown(false); });

  m_fileLabel = new QLabel(this);
  m_fileLabel->setTextFormat(Qt::PlainText);
  m_fileLabel->setWordWrap(true);
  m_choiceNote = new QLabel(this);
  m_choiceNote->setWordWrap(true);
  if (find) {
    m_choiceNote->setText(
        QStringLiteral("The lines holding an occurrence of a find text. Nothing is replaced."));
  } else if (m_choosable) {
    m_choiceNote->setText(QStringLiteral(
        "Untick an occurrence to leave it as it is, or a file to leave the whole file."));
  } else {
    m_choiceNote->setText(QStringLiteral(
        "Several passes run over each file (several pairs, or the line-end conversion), and a "
        "later one may work on what an earlier one made: here whole files are chosen, not "
        "single occurrences."));
  }
  m_diffView = new DiffView(this);
  connect(m_diffView, &DiffView::occurrenceToggled, this, &PreviewWindow::onOccurrenceToggled);
  m_previousPageButton = new QPushButton(
      find ? QStringLiteral("&Previous lines") : QStringLiteral("&Previous changes"), this);
  m_nextPageButton =
      new QPushButton(find ? QStringLiteral("&Next lines") : QStringLiteral("&Next changes"), this);
  m_previousPageButton->setAutoDefault(false);
  m_nextPageButton->setAutoDefault(false);
  connect(m_previousPageButton, &QPushButton::clicked, this, [this] { turnPage(-1); });
  connect(m_nextPageButton, &QPushButton::clicked, this, [this] { turnPage(1); });
  m_pageLabel = new QLabel(this);

  m_replaceButton = new QPushButton(QStringLiteral("&Replace in ticked files"), this);
  m_saveListButton = new QPushButton(QStringLiteral("&Save list..."), this);
  m_browseButton = new QPushButton(QStringLiteral("&Browse File"), this);
  m_editButton = new QPushButton(QStringLiteral("&Edit File"), this);
  m_closeButton = new QPushButton(QStringLiteral("Close"), this);
  for (QPushButton* button : {m_saveListButton, m_browseButton, m_editButton, m_closeButton})
    button->setAutoDefault(false);
  connect(m_replaceButton, &QPushButton::clicked, this, &PreviewWindow::onReplace);
  connect(m_saveListButton, &QPushButton::clicked, this, &PreviewWindow::onSaveList);
  connect(m_browseButton, &QPushButton::clicked, this, [this] { onOpen(OpenRequest::Browse); });
  connect(m_editButton, &QPushButton::clicked, this, [this] { onOpen(OpenRequest::Edit); });
  connect(m_closeButton, &QPushButton::clicked, this, &PreviewWindow::reject);
  m_replaceButton->setVisible(!find);
  m_tickAllButton->setVisible(!find);
  m_untickAllButton->setVisible(!find);
  m_saveListButton->setVisible(find);
  m_browseButton->setVisible(find);
  m_editButton->setVisible(find);

  // Top: the totals and the search's progress.
  auto* top = new QHBoxLayout;
  top->addWidget(m_totalsLabel, 1);
  top->addWidget(m_progressBar);
  top->addWidget(m_stopButton);

  auto* left = new QWidget(this);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  auto* filterRow = new QHBoxLayout;
  filterRow->addWidget(filterLabel);
  filterRow->addWidget(m_filterField, 1);
  leftLayout->addLayout(filterRow);
  leftLayout->addWidget(m_fileList, 1);
  auto* tickRow = new QHBoxLayout;
  tickRow->addWidget(m_tickAllButton);
  tickRow->addWidget(m_untickAllButton);
  tickRow->addStretch(1);
  leftLayout->addLayout(tickRow);
  leftLayout->addWidget(m_notReadLabel);
  leftLayout->addWidget(m_notReadList);

  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(m_fileLabel);
  rightLayout->addWidget(m_choiceNote);
  rightLayout->addWidget(m_diffView, 1);
  auto* pageRow = new QHBoxLayout;
  pageRow->addWidget(m_previousPageButton);
  pageRow->addWidget(m_pageLabel, 1, Qt::AlignCenter);
  pageRow->addWidget(m_nextPageButton);
  rightLayout->addLayout(pageRow);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setChildrenCollapsible(false);
  splitter->addWidget(left);
  splitter->addWidget(right);
  splitter->setStretchFactor(0, 2);
  splitter->setStretchFactor(1, 3);
  splitter->setSizes({420, 520});

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_saveListButton);
  buttons->addWidget(m_browseButton);
  buttons->addWidget(m_editButton);
  buttons->addStretch(1);
  buttons->addWidget(m_replaceButton);
  buttons->addWidget(m_closeButton);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(splitter, 1);
  layout->addLayout(buttons);

  m_diffView->showNote(QStringLiteral("Select a file to see its changes."));
  resize(940, 620);
  showTotals();
  updateButtons();
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_fileList && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QModelIndex current = m_fileList->currentIndex();
    if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier && current.isValid()) {
      const QModelIndex tick = current.siblingAtColumn(PreviewFileModel::kFileColumn);
      if (m_filter->flags(tick) & Qt::ItemIsUserCheckable) {
        const bool ticked = tick.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
        m_filter->setData(tick, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
      }
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void PreviewWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!std::exchange(m_started, true)) QTimer::singleShot(0, this, &PreviewWindow::startSearch);
}

void PreviewWindow::startSearch() {
  m_search = std::make_unique<Search>();
  m_searching = true;
  m_progressBar->setValue(0);
  m_searchThread = std::thread([this, search = m_search.get()] {
    PreviewOutcome outcome;
    try {
      outcome = RunPreview(m_config, m_options, m_kind, *search);
    } catch (const std::exception& e) {
      outcome.refused = true;
      outcome.refusal = std::string("The search stopped: ") + e.what();
    }
    search->finish(std::move(outcome));
  });
  m_followTimer->start();
  showTotals();
  updateButtons();
}

void PreviewWindow::stopSearch() {
  if (!m_search) return;
  m_search->stop();
  if (m_searchThread.joinable()) m_searchThread.join();
  takeFindings();
}

void PreviewWindow::takeFindings() {
  if (!m_search || !m_searching) return;
  Search::Findings findings = m_search->take();
  const bool first = m_files->rowCount() == 0;
  // The files that could not be read go to their own list, under the others.
  std::vector<PreviewedFile> found;
  found.reserve(findings.found.size());
  for (PreviewedFile& file : findings.found) {
    if (file.failure.empty()) {
      found.push_back(std::move(file));
      continue;
    }
    auto* item = new QListWidgetItem(fromStd(file.path + " - " + file.failure), m_notReadList);
    item->setToolTip(item->text());
    m_notReadLabel->show();
    m_notReadList->show();
  }
  m_files->append(std::move(found));
  m_progressBar->setValue(findings.percent);
  m_progressBar->setFormat(QStringLiteral("%p%"));
  m_searchedSoFar = findings.searched;
  if (findings.ended) {
    if (m_searchThread.joinable()) m_searchThread.join();
    m_outcome = std::move(findings.outcome);
    onSearchEnded();
    return;
  }
  if (first && m_files->rowCount() > 0 && !m_fileList->currentIndex().isValid())
    m_fileList->setCurrentIndex(m_filter->index(0, 0));
  showTotals();
  updateButtons();
}

void PreviewWindow::onSearchEnded() {
  m_followTimer->stop();
  m_searching = false;
  if (!m_outcome.cancelled && !m_outcome.refused) m_progressBar->setValue(100);
  if (m_files->rowCount() > 0 && !m_fileList->currentIndex().isValid())
    m_fileList->setCurrentIndex(m_filter->index(0, 0));
  if (m_files->rowCount() == 0) {
    m_diffView->showNote(m_kind == PreviewKind::Find
                             ? QStringLiteral("No file holds an occurrence.")
                             : QStringLiteral("No file would change."));
  }
  showTotals();
  updateButtons();
  emit searchEnded();
}

void PreviewWindow::showTotals() {
  const PreviewFileModel::Totals& totals = m_files->totals();
  const int64_t files = totals.files, count = totals.count, lines = totals.lines;
  const int64_t tickedFiles = totals.tickedFiles, tickedCount = totals.tickedCount;
  const int failed = m_notReadList->count();
  QString text;
  if (m_searching)
    text = QStringLiteral("Searching (%1 so far). ").arg(counted(m_searchedSoFar, "file", "files"));
  if (m_kind == PreviewKind::Find) {
    text += QStringLiteral("%1 %2 %3 in %4.")
                .arg(counted(files, "file", "files"),
                     files == 1 ? QStringLiteral("holds") : QStringLiteral("hold"),
                     counted(count, "occurrence", "occurrences"), counted(lines, "line", "lines"));
  } else {
    text += QStringLiteral("%1 would change, %2. Ticked: %3, %4.")
                .arg(counted(files, "file", "files"), counted(count, "replacement", "replacements"),
                     counted(tickedFiles, "file", "files"),
                     counted(tickedCount, "replacement", "replacements"));
  }
  if (failed > 0) text += QStringLiteral(" %1 not read.").arg(counted(failed, "file", "files"));
  if (m_outcome.refused)
    text = fromStd(m_outcome.refusal);
  else if (m_outcome.cancelled)
    text += QStringLiteral(" The search was stopped.");
  m_totalsLabel->setText(text);
}

void PreviewWindow::updateButtons() {
  m_stopButton->setEnabled(m_searching);
  m_progressBar->setVisible(m_searching);
  m_stopButton->setVisible(m_searching);
  m_replaceButton->setEnabled(!m_searching && m_files->totals().tickedWithCount > 0);
  const bool selected = selectedEntry().has_value();
  m_browseButton->setEnabled(selected);
  m_editButton->setEnabled(selected);
  m_saveListButton->setEnabled(!m_searching && m_files->rowCount() > 0);
  m_tickAllButton->setEnabled(m_filter->rowCount() > 0);
  m_untickAllButton->setEnabled(m_filter->rowCount() > 0);
  const int64_t pages = (m_changeCount + kChangesPerPage - 1) / kChangesPerPage;
  m_previousPageButton->setVisible(pages > 1);
  m_nextPageButton->setVisible(pages > 1);
  m_previousPageButton->setEnabled(m_page > 0);
  m_nextPageButton->setEnabled(m_page + 1 < pages);
}

std::optional<size_t> PreviewWindow::selectedEntry() const {
  const QModelIndex current = m_fileList->currentIndex();
  if (!current.isValid()) return std::nullopt;
  return m_files->row(size_t(m_filter->mapToSource(current).row())).file.entry;
}

void PreviewWindow::onFileSelected() {
  const QModelIndex current = m_fileList->currentIndex();
  updateButtons();
  if (!current.isValid()) return;
  const PreviewFileModel::Row& row = m_files->row(size_t(m_filter->mapToSource(current).row()));
  if (m_shownEntry == row.file.entry) {
    emit changesShown();
    return;
  }
  m_shownEntry = row.file.entry;
  m_page = 0;
  m_changeCount = 0;
  m_shown.reset();
  m_fileLabel->setText(fromStd(row.file.path));
  m_diffView->showNote(QStringLiteral("Reading the file..."));
  requestChanges();
}

void PreviewWindow::requestChanges() {
  if (!m_shownEntry) return;
  std::set<int64_t> declined;
  if (const auto found = m_declined.find(*m_shownEntry); found != m_declined.end())
    declined = found->second;
  m_builder->ask(*m_shownEntry, std::move(declined), m_page * kChangesPerPage);
}

void PreviewWindow::onChangesBuilt(uint64_t generation, std::shared_ptr<FileChanges> changes) {
  if (generation != m_builder->latest() || !m_shownEntry) return;
  const PreviewFileModel::Row* row = m_files->rowOfEntry(*m_shownEntry);
  if (!row) return;
  // A rebuild of the same page after a tick keeps the place the user was looking at.
  const bool samePage = m_shown != nullptr;
  const int scrolled = m_diffView->verticalScrollBar()->value();
  const QModelIndex current = m_diffView->currentIndex();
  const int currentRow = current.isValid() ? current.row() : -1;
  const int currentParent =
      current.isValid() && current.parent().isValid() ? current.parent().row() : -1;

  m_shown = std::move(changes);
  m_changeCount = m_shown->changeCount;
  QString heading = fromStd(row->file.path);
  if (!m_shown->failure.empty()) {
    m_diffView->showNote(QStringLiteral("Not read: %1").arg(fromStd(m_shown->failure)));
    m_pageLabel->clear();
  } else {
    if (m_choosable) m_files->setCount(*m_shownEntry, m_shown->count);
    if (m_shown->fingerprint != row->file.fingerprint) {
      heading += QStringLiteral(
          "\nThis file has changed since the search: it will not be written. Search again to "
          "see its changes now.");
    } else if (m_shown->richText) {
      heading += QStringLiteral("\nAn RTF document: its text as the run searches it.");
    }
    m_diffView->showChanges(*m_shown);
    const int64_t first = m_page * kChangesPerPage;
    const int64_t last = std::min(m_changeCount, first + kChangesPerPage);
    m_pageLabel->setText(m_changeCount == 0
                             ? QString()
                             : (m_kind == PreviewKind::Find
                                    ? QStringLiteral("Lines %1 to %2 of %3")
                                    : QStringLiteral("Changes %1 to %2 of %3"))
                                   .arg(number(first + 1), number(last), number(m_changeCount)));
    if (samePage && currentRow >= 0) {
      const QModelIndex parent =
          currentParent >= 0 ? m_diffView->model()->index(currentParent, 0) : QModelIndex();
      const QModelIndex again = m_diffView->model()->index(currentRow, 0, parent);
      if (again.isValid()) m_diffView->setCurrentIndex(again);
    }
    m_diffView->verticalScrollBar()->setValue(samePage ? scrolled : 0);
  }
  m_fileLabel->setText(heading);
  updateButtons();
  emit changesShown();
}

void PreviewWindow::onOccurrenceToggled(size_t index, bool replaced) {
  if (!m_shown || !m_shownEntry || index >= m_shown->occurrences.size()) return;
  std::set<int64_t>& declined = m_declined[*m_shownEntry];
  const int64_t offset = m_shown->occurrences[index].offset;
  if (replaced)
    declined.erase(offset);
  else
    declined.insert(offset);
  // Ticking a line with several occurrences changes each of them in turn: one rebuild for all.
  if (!std::exchange(m_rebuildPending, true)) {
    QTimer::singleShot(0, this, [this] {
      m_rebuildPending = false;
      requestChanges();
    });
  }
}

void PreviewWindow::tickShown(bool ticked) {
  std::vector<size_t> shown;
  shown.reserve(size_t(m_filter->rowCount()));
  for (int row = 0; row < m_filter->rowCount(); ++row)
    shown.push_back(size_t(m_filter->mapToSource(m_filter->index(row, 0)).row()));
  m_files->setTicked(shown, ticked);
}

void PreviewWindow::turnPage(int64_t by) {
  const int64_t pages = (m_changeCount + kChangesPerPage - 1) / kChangesPerPage;
  const int64_t page = std::clamp<int64_t>(m_page + by, 0, std::max<int64_t>(0, pages - 1));
  if (page == m_page) return;
  m_page = page;
  m_shown.reset();
  requestChanges();
  updateButtons();
}

void PreviewWindow::onReplace() {
  if (m_searching) return;
  m_choices = {};
  for (const PreviewFileModel::Row& row : m_files->rows()) {
    if (!row.ticked || row.file.count == 0) continue;
    PreviewChoice choice;
    choice.fingerprint = row.file.fingerprint;
    if (m_choosable) {
      if (const auto found = m_declined.find(row.file.entry); found != m_declined.end())
        choice.declined = found->second;
    }
    m_choices.files.emplace_back(row.file.entry, std::move(choice));
  }
  std::sort(m_choices.files.begin(), m_choices.files.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  if (m_choices.files.empty()) return;
  accept();
}

void PreviewWindow::onSaveList() {
  const QString path =
      QFileDialog::getSaveFileName(this, QStringLiteral("Save list"), QString(),
                                   QStringLiteral("Text files (*.txt);;All files (*)"));
  if (path.isEmpty()) return;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  QSaveFile out(path);
  bool written = out.open(QIODevice::WriteOnly);
  for (const PreviewFileModel::Row& row : m_files->rows()) {
    if (!written) break;
    const FileChanges lines = ChangesInFile(m_config, m_options, row.file.entry, PreviewKind::Find,
                                            {}, 0, std::numeric_limits<int64_t>::max(), 0);
    std::string text;
    for (const DiffRow& line : lines.rows) {
      if (line.kind != DiffRow::Kind::Context || line.marks.empty()) continue;
      text += row.file.path + ":" + std::to_string(line.number) + ":" + line.text + "\n";
    }
    written = out.write(text.data(), qint64(text.size())) == qint64(text.size());
  }
  written = written && out.commit();
  QGuiApplication::restoreOverrideCursor();
  if (!written) {
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("Cannot write %1: %2").arg(path, out.errorString()));
  }
}

void PreviewWindow::onOpen(OpenRequest request) {
  const std::optional<size_t> entry = selectedEntry();
  if (!entry) return;
  m_openRequest = request;
  m_openEntry = *entry;
  accept();
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
  stopSearch();
  QDialog::closeEvent(event);
}

void PreviewWindow::reject() {
  stopSearch();
  QDialog::reject();
}

}  // namespace tw
