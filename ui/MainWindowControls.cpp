// The main window's controls: how they are built, wired to their commands, captioned and
// placed.

#include "ui/BrowseMode.h"
#include "ui/EditMode.h"
#include "ui/FileListModel.h"
#include "ui/MainWindow.h"
#include "ui/PairGrid.h"
#include "ui/PairTableModel.h"
#include "ui/QtText.h"
#include "ui/TipsDialog.h"
#include "ui/WidestRowDelegate.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace tw {

namespace {

void place(QWidget* w, const LayoutRect& r) {
  w->setGeometry(r.x, r.y, r.width, r.height);
}

QPushButton* commandButton(QWidget* parent, QAction* command, const QString& hint = {}) {
  auto* button = new QPushButton(command->text(), parent);
  button->setAutoDefault(false);
  button->setIcon(command->icon());
  button->setToolTip(hint);
  bindButton(button, command);
  return button;
}

// The slots of the switches' captions, top to bottom.
constexpr int kSwitchSlots[6] = {33, 34, 24, 35, 36, 37};

}  // namespace

void MainWindow::connectCommands() {
  const MainActions& a = m_actions;
  auto on = [this](QAction* action, void (MainWindow::*handler)()) {
    connect(action, &QAction::triggered, this, handler);
  };
  on(a.newConfiguration, &MainWindow::onNewConfiguration);
  on(a.openConfiguration, &MainWindow::onOpenConfiguration);
  on(a.saveConfiguration, &MainWindow::onSaveConfiguration);
  on(a.saveConfigurationAs, &MainWindow::onSaveConfigurationAs);
  on(a.options, &MainWindow::onOptions);
  connect(a.exit, &QAction::triggered, this, &MainWindow::close);
  on(a.startNewPair, &MainWindow::onStartNewPair);
  on(a.addPair, &MainWindow::onAddPair);
  on(a.editPair, &MainWindow::onEditPair);
  connect(a.deletePairFromMenu, &QAction::triggered, this,
          [this] { removePair(PairRemoval::MenuEntry); });
  connect(a.deletePair, &QAction::triggered, this, [this] { removePair(PairRemoval::Button); });
  on(a.deleteAllPairs, &MainWindow::onDeleteAllPairs);
  on(a.addFiles, &MainWindow::onAddFiles);
  on(a.scanForFiles, &MainWindow::onScanForFiles);
  on(a.deleteFile, &MainWindow::onDeleteFile);
  on(a.deleteAllFiles, &MainWindow::onDeleteAllFiles);
  on(a.checkAll, &MainWindow::onCheckAll);
  on(a.uncheckAll, &MainWindow::onUncheckAll);
  on(a.browseFile, &MainWindow::onBrowseFile);
  on(a.editFile, &MainWindow::onEditFile);
  on(a.openFile, &MainWindow::onOpenFile);
  // The entry and the check box show one switch: any change of the entry's state sets it.
  connect(a.createBackupFiles, &QAction::toggled, this, &MainWindow::onCreateBackupFilesToggled);
  on(a.restoreBackups, &MainWindow::onRestoreBackups);
  on(a.deleteBackups, &MainWindow::onDeleteBackups);
  on(a.helpTopics, &MainWindow::onHelpTopics);
  on(a.tipOfTheDay, &MainWindow::onTipOfTheDay);
  connect(a.homePage, &QAction::triggered, this, [this] {
    openUrl(QUrl(QString::fromLatin1(kHomePageAddress)), QStringLiteral("The home page"));
  });
  connect(a.onlineHelp, &QAction::triggered, this, [this] {
    openUrl(QUrl(QString::fromLatin1(kOnlineHelpAddress)), QStringLiteral("The online help"));
  });
  on(a.about, &MainWindow::onAbout);
  on(a.go, &MainWindow::onGo);
  on(a.preview, &MainWindow::onPreview);
  on(a.findInFiles, &MainWindow::onFindInFiles);

  connect(m_ui.fileList, &QWidget::customContextMenuRequested, this, [this](QPoint pos) {
    m_actions.fileListMenu->popup(m_ui.fileList->viewport()->mapToGlobal(pos));
  });
  connect(m_ui.pairGrid, &QWidget::customContextMenuRequested, this, [this](QPoint pos) {
    m_actions.pairGridMenu->popup(m_ui.pairGrid->viewport()->mapToGlobal(pos));
  });
}

void MainWindow::buildControls() {
  m_client = new QWidget(this);
  setCentralWidget(m_client);
  m_client->installEventFilter(this);
  buildFilesGroup();
  buildOptionsGroup();
  buildStringsGroup();
}

void MainWindow::buildFilesGroup() {
  m_ui.filesGroup = new QGroupBox(m_client);
  QListView* list = m_ui.fileList = new QListView(m_ui.filesGroup);
  list->setModel(m_fileModel);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Long paths are shown whole; the list scrolls sideways to its widest entry.
  list->setTextElideMode(Qt::ElideNone);
  list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  // A scan may add a hundred thousand files: every row gets the size of the widest, found
  // without measuring each, and the rows are laid out a batch at a time, between which the
  // window stays responsive.
  new WidestRowDelegate(list);
  list->setLayoutMode(QListView::Batched);
  list->setBatchSize(2000);
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  list->installEventFilter(this);
  list->setAccessibleName(QStringLiteral("Files"));
  connect(list, &QListView::doubleClicked, this, &MainWindow::onOpenFile);
  // The file commands follow the selection, however it changes: a mouse click makes the row
  // current before it selects it, so the current row alone would be read too early.
  connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &MainWindow::updateFileModeCommands);
  connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &MainWindow::updateFileModeCommands);

  m_ui.addFilesButton = commandButton(m_ui.filesGroup, m_actions.addFiles,
                                      QStringLiteral("Add file(s) to File list"));
  m_ui.scanButton =
      commandButton(m_ui.filesGroup, m_actions.scanForFiles, QStringLiteral("Scan for files"));
  m_ui.deleteFileButton = commandButton(m_ui.filesGroup, m_actions.deleteFile,
                                        QStringLiteral("Delete file from File list"));
  m_ui.browseButton = commandButton(m_ui.filesGroup, m_actions.browseFile);
  m_ui.editButton = commandButton(m_ui.filesGroup, m_actions.editFile);

  // Browse and edit mode show their file in this group, in place of the file list.
  m_browseMode = new BrowseMode(m_ui.filesGroup, m_prompts);
  connect(m_browseMode->returnButton(), &QPushButton::clicked, this, &MainWindow::onReturnToNormal);
  m_editMode = new EditMode(m_ui.filesGroup, m_prompts);
  connect(m_editMode->saveButton(), &QPushButton::clicked, this, &MainWindow::onSaveEditedFile);
  connect(m_editMode->discardButton(), &QPushButton::clicked, this,
          &MainWindow::onDiscardEditedFile);
}

void MainWindow::buildOptionsGroup() {
  QGroupBox* group = m_ui.optionsGroup = new QGroupBox(m_client);
  for (size_t i = 0; i < m_ui.switches.size(); ++i) {
    m_ui.switches[i] = new QCheckBox(group);
    // toggled, not clicked: the rules follow every change of state (keyboard, a screen
    // reader's Toggle, code), and showConfiguration sets the boxes with their signals blocked.
    connect(m_ui.switches[i], &QCheckBox::toggled, this, [this, i] { onSwitchToggled(i); });
  }
  m_ui.advancedButton = new QPushButton(QStringLiteral("<< Advanced"), group);
  m_ui.advancedButton->setAutoDefault(false);
  connect(m_ui.advancedButton, &QPushButton::clicked, this, &MainWindow::onToggleAdvancedView);
  m_ui.goButton = commandButton(group, m_actions.go);
  m_ui.keepFilenameReferencesBox =
      new QCheckBox(QStringLiteral("Do not change filename references"), group);
  connect(m_ui.keepFilenameReferencesBox, &QCheckBox::toggled, this,
          [this](bool on) { m_config.Advanced.DoNotChangeFilenameReferences = on; });
  m_ui.onlyInFirstBox = new QCheckBox(QStringLiteral("Replace only in first"), group);
  connect(m_ui.onlyInFirstBox, &QCheckBox::toggled, this,
          [this](bool on) { m_config.Advanced.ReplaceOnlyInFirst = on; });
  m_ui.firstCountField = new QLineEdit(group);
  m_ui.firstCountField->setAccessibleName(QStringLiteral("Replace only in first: count"));
  connect(m_ui.firstCountField, &QLineEdit::textChanged, this,
          [this](const QString& text) { m_config.Advanced.FirstCount = toStd(text); });
  m_ui.firstUnitBox = new QComboBox(group);
  m_ui.firstUnitBox->addItems({QStringLiteral("Lines"), QStringLiteral("Bytes")});
  m_ui.firstUnitBox->setAccessibleName(QStringLiteral("Replace only in first: unit"));
  connect(m_ui.firstUnitBox, &QComboBox::currentIndexChanged, this, [this](int index) {
    m_config.Advanced.FirstUnit = index == 1 ? RegionUnit::Bytes : RegionUnit::Lines;
  });
  for (QWidget* w :
       std::initializer_list<QWidget*>{m_ui.keepFilenameReferencesBox, m_ui.onlyInFirstBox,
                                       m_ui.firstCountField, m_ui.firstUnitBox})
    w->hide();
}

void MainWindow::buildStringsGroup() {
  QGroupBox* group = m_ui.stringsGroup = new QGroupBox(m_client);
  m_ui.pairGrid = new PairGrid(group);
  m_ui.pairGrid->setModel(m_pairModel);
  m_ui.pairGrid->setContextMenuPolicy(Qt::CustomContextMenu);
  m_ui.pairGrid->installEventFilter(this);
  m_ui.pairGrid->setAccessibleName(QStringLiteral("Strings"));
  connect(m_ui.pairGrid, &QTableView::doubleClicked, this, &MainWindow::onEditPair);
  connect(m_ui.pairGrid, &PairGrid::pairDragged, this, &MainWindow::onPairDragged);
  m_ui.findLabel = new QLabel(group);
  m_ui.replaceLabel = new QLabel(group);
  auto field = [this, group](QLabel* label) {
    auto* f = new QPlainTextEdit(group);
    f->setLineWrapMode(QPlainTextEdit::NoWrap);
    f->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    f->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    f->setTabChangesFocus(true);
    label->setBuddy(f);
    connect(f, &QPlainTextEdit::textChanged, this, [this, f] { onFieldEdited(f); });
    return f;
  };
  m_ui.findField = field(m_ui.findLabel);
  m_ui.replaceField = field(m_ui.replaceLabel);
  m_ui.findField->setAccessibleName(QStringLiteral("Find:"));
  m_ui.replaceField->setAccessibleName(QStringLiteral("Replace with:"));

  // Each field's menu, opened by the small button at its top right corner.
  auto fieldMenu = [this](QPlainTextEdit* edited, PairField which, const QString& what) {
    auto* menu = new QMenu(this);
    connect(menu->addAction(QStringLiteral("Clear %1 string").arg(what)), &QAction::triggered,
            edited, &QPlainTextEdit::clear);
    connect(menu->addAction(QStringLiteral("Load %1 string from file").arg(what)),
            &QAction::triggered, this, [this, edited, which] { loadFieldFromFile(edited, which); });
    connect(menu->addAction(QStringLiteral("Copy %1 string to clipboard").arg(what)),
            &QAction::triggered, this, [this, edited] { copyFieldToClipboard(edited); });
    auto* button = new QToolButton(edited->parentWidget());
    button->setArrowType(Qt::DownArrow);
    button->setAutoRaise(false);
    const QString tip = QStringLiteral("%1 string menu").arg(what);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, menu, [menu] { menu->popup(QCursor::pos()); });
    return std::pair{menu, button};
  };
  std::tie(m_ui.findFieldMenu, m_ui.findMenuButton) =
      fieldMenu(m_ui.findField, PairField::Find, QStringLiteral("Find"));
  std::tie(m_ui.replaceFieldMenu, m_ui.replaceMenuButton) =
      fieldMenu(m_ui.replaceField, PairField::Replace, QStringLiteral("Replace"));

  m_ui.addPairButton =
      commandButton(group, m_actions.addPair, QStringLiteral("Add string to String list"));
  m_ui.deletePairButton =
      commandButton(group, m_actions.deletePair, QStringLiteral("Delete string from String list"));
}

void MainWindow::buildToolBar() {
  QToolBar* bar = m_ui.toolBar = addToolBar(QStringLiteral("Tool bar"));
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setIconSize(QSize(20, 20));
  bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  bar->toggleViewAction()->setVisible(false);
  setContextMenuPolicy(Qt::NoContextMenu);
  // The buttons the bars show when they run out of room are controls too.
  for (QToolButton* more : bar->findChildren<QToolButton*>())
    if (!more->defaultAction()) more->setAccessibleName(QStringLiteral("More tools"));
  for (QToolButton* more : menuBar()->findChildren<QToolButton*>())
    more->setAccessibleName(QStringLiteral("More menus"));
}

void MainWindow::applyTexts(const TextTable& texts) {
  m_actions.applyTexts(texts);
  auto text = [&texts](int slot) { return fromStd(texts.text(slot)); };
  m_ui.filesGroup->setTitle(text(4));
  m_ui.optionsGroup->setTitle(text(10));
  m_ui.stringsGroup->setTitle(text(3));
  m_ui.addFilesButton->setText(text(15));
  m_ui.scanButton->setText(text(16));
  m_ui.deleteFileButton->setText(text(17));
  m_ui.browseButton->setText(text(21));
  m_ui.editButton->setText(text(22));
  for (size_t i = 0; i < m_ui.switches.size(); ++i)
    m_ui.switches[i]->setText(text(kSwitchSlots[i]));
  m_ui.goButton->setText(text(38));
  m_ui.findLabel->setText(text(39));
  m_ui.replaceLabel->setText(text(40));
  m_ui.addPairButton->setText(text(12));
  m_ui.deletePairButton->setText(text(14));
  m_pairModel->setHeaderData(0, Qt::Horizontal, text(39));
  m_pairModel->setHeaderData(1, Qt::Horizontal, text(40));
  m_browseMode->applyTexts(texts);
  m_editMode->applyTexts(texts);
  m_ui.browseButton->setAccessibleName(m_ui.browseButton->text());
  m_ui.editButton->setAccessibleName(m_ui.editButton->text());
  fitSwitchCaptions();
  fitButtonCaptions();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_client && event->type() == QEvent::Resize) {
    placeControls();
  } else if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == m_ui.pairGrid && onPairGridKey(key)) return true;
    if (watched == m_ui.fileList && onFileListKey(key)) return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::placeControls() {
  m_layout = computeMainLayout(m_client->width(), m_client->height(), m_advanced, m_mode);
  const MainLayout& l = m_layout;
  const MainWindowControls& ui = m_ui;
  place(ui.filesGroup, l.filesGroup);
  ui.filesGroup->setVisible(l.filesVisible);
  if (m_mode != FileMode::Normal) {
    if (m_mode == FileMode::Edit)
      m_editMode->place(l);
    else
      m_browseMode->place(l);
    return;
  }
  place(ui.optionsGroup, l.optionsGroup);
  place(ui.stringsGroup, l.stringsGroup);
  place(ui.fileList, l.fileList);
  place(ui.addFilesButton, l.fileAdd);
  place(ui.scanButton, l.fileScan);
  place(ui.deleteFileButton, l.fileDelete);
  place(ui.browseButton, l.browseFile);
  place(ui.editButton, l.editFile);
  for (size_t i = 0; i < ui.switches.size(); ++i) place(ui.switches[i], l.switches[i]);
  place(ui.advancedButton, l.advancedButton);
  place(ui.goButton, l.goButton);
  place(ui.keepFilenameReferencesBox, l.doNotChangeFilenameReferences);
  place(ui.onlyInFirstBox, l.replaceOnlyInFirst);
  place(ui.firstCountField, l.firstCount);
  place(ui.firstUnitBox, l.firstUnit);
  place(ui.pairGrid, l.grid);
  ui.pairGrid->horizontalHeader()->setDefaultSectionSize(l.gridColumnWidth);
  ui.pairGrid->setColumnWidth(0, l.gridColumnWidth);
  ui.pairGrid->setColumnWidth(1, l.gridColumnWidth);
  place(ui.findLabel, l.findLabel);
  place(ui.findField, l.findField);
  place(ui.findMenuButton, l.findMenuButton);
  place(ui.replaceLabel, l.replaceLabel);
  place(ui.replaceField, l.replaceField);
  place(ui.replaceMenuButton, l.replaceMenuButton);
  place(ui.addPairButton, l.pairAdd);
  place(ui.deletePairButton, l.pairDelete);
  ui.findMenuButton->raise();
  ui.replaceMenuButton->raise();
  fitButtonCaptions();
}

// The options box has a fixed width; a caption too wide for it (a wide desktop font, a
// longer language) gets a slightly smaller size rather than being cut off.
void MainWindow::fitSwitchCaptions() {
  const int switchWidth =
      computeMainLayout(MainLayout::kMinimumWidth, 400, false).switches[0].width;
  QFont optionsFont = m_ui.optionsGroup->font();
  for (QCheckBox* box : m_ui.switches) box->setFont(optionsFont);
  auto widest = [this] {
    int w = 0;
    for (QCheckBox* box : m_ui.switches) w = std::max(w, box->sizeHint().width());
    return w;
  };
  while (widest() > switchWidth && optionsFont.pointSizeF() > 6.5) {
    optionsFont.setPointSizeF(optionsFont.pointSizeF() - 0.5);
    for (QCheckBox* box : m_ui.switches) box->setFont(optionsFont);
  }
}

// The buttons have fixed widths too; a caption that does not fit gets a smaller size. The
// two file mode buttons are small to begin with.
void MainWindow::fitButtonCaptions() {
  auto needed = [](const QPushButton* b) {
    const QStyle* s = b->style();
    int w = b->fontMetrics().horizontalAdvance(QString(b->text()).remove(QLatin1Char('&')));
    if (!b->icon().isNull()) w += b->iconSize().width() + 4;
    return w + 2 * s->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) +
           2 * s->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
  };
  const MainWindowControls& ui = m_ui;
  for (QPushButton* button :
       {ui.addFilesButton, ui.scanButton, ui.deleteFileButton, ui.addPairButton,
        ui.deletePairButton, ui.goButton, ui.browseButton, ui.editButton}) {
    QFont font = button->parentWidget()->font();
    if (button == ui.browseButton || button == ui.editButton)
      font.setPointSizeF(font.pointSizeF() * 0.85);
    button->setFont(font);
    while (needed(button) > button->width() && font.pointSizeF() > 6.5) {
      font.setPointSizeF(font.pointSizeF() - 0.5);
      button->setFont(font);
    }
  }
}

}  // namespace tw
