#include "ui/MainWindow.h"
#include "ui/DataFiles.h"
#include "ui/QtText.h"

#include "ui/AboutDialog.h"
#include "ui/BrowseMode.h"
#include "ui/EditMode.h"
#include "ui/FileListModel.h"
#include "ui/LanguageTexts.h"
#include "ui/OptionsDialog.h"
#include "ui/PairGrid.h"
#include "ui/PairTableModel.h"
#include "ui/ProcessingDialog.h"
#include "ui/ResultsDialog.h"
#include "ui/ScanDialog.h"
#include "ui/ScanProgressDialog.h"
#include "ui/TipsDialog.h"
#include "ui/WidestRowDelegate.h"

#include "backup/Backups.h"
#include "config/ConfigurationCommands.h"
#include "lang/TextBindings.h"
#include "scan/Scan.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
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
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace tw {

namespace {

// A field's text as the pair list keeps it: line breaks CR LF.
std::string crlfText(const QPlainTextEdit* field) {
  QString text = field->toPlainText();
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return toStd(text);
}

void place(QWidget* w, const LayoutRect& r) {
  w->setGeometry(r.x, r.y, r.width, r.height);
}

QIcon themeIcon(const char* name, QStyle::StandardPixmap fallback) {
  return QIcon::fromTheme(QString::fromLatin1(name), qApp->style()->standardIcon(fallback));
}

}  // namespace

MainWindow::MainWindow(Configuration& config, AppOptions& options, Prompts& prompts,
                       SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent),
      m_config(config),
      m_options(options),
      m_prompts(prompts),
      m_settings(settings) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Textwright 2.5"));
  // The window's fixed geometry is drawn for a small dialog font: the desktop's own family,
  // at 8 points.
  QFont small = font();
  small.setPointSize(kWindowFontPointSize);
  setFont(small);
  m_pairModel = new PairTableModel(m_config, this);
  m_fileModel = new FileListModel(m_config, this);
  buildControls();
  buildMenus();
  buildToolBar();
  setMinimumSize(MainLayout::kMinimumWidth, MainLayout::kMinimumHeight);
  resize(MainLayout::kMinimumWidth, MainLayout::kMinimumHeight);
  // The buttons the bars show when they run out of room are controls too.
  for (auto [name, caption] : {std::pair{"qt_menubar_ext_button", "More menus"},
                               std::pair{"qt_toolbar_ext_button", "More tools"}}) {
    if (auto* more = findChild<QWidget*>(QString::fromLatin1(name)))
      more->setAccessibleName(QString::fromLatin1(caption));
  }
  showConfiguration();
  FormResize();
  setRunWindows(nullptr, nullptr);
  setScanWindows(nullptr, nullptr);
  setOptionsWindow(nullptr);
  setInfoWindows(nullptr, nullptr);
}

MainWindow::~MainWindow() = default;

// ---------------------------------------------------------------------------------------
// Building the window

QAction* MainWindow::action(const char* name, const QString& text, void (MainWindow::*handler)()) {
  auto* a = new QAction(text, this);
  a->setObjectName(QString::fromLatin1(name));
  if (handler) connect(a, &QAction::triggered, this, handler);
  return a;
}

void MainWindow::buildControls() {
  m_client = new QWidget(this);
  m_client->setObjectName(QStringLiteral("Client"));
  setCentralWidget(m_client);
  m_client->installEventFilter(this);

  // "Files"
  GroupBox1 = new QGroupBox(QStringLiteral("Files"), m_client);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  CheckListBox1 = new QListView(GroupBox1);
  CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
  CheckListBox1->setModel(m_fileModel);
  CheckListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
  CheckListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  CheckListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Long paths are shown whole; the list scrolls sideways to its widest entry.
  CheckListBox1->setTextElideMode(Qt::ElideNone);
  CheckListBox1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  // A scan may add a hundred thousand files: every row gets the size of the widest, found
  // without measuring each, and the rows are laid out a batch at a time, between which the
  // window stays responsive.
  new WidestRowDelegate(CheckListBox1);
  CheckListBox1->setLayoutMode(QListView::Batched);
  CheckListBox1->setBatchSize(2000);
  CheckListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
  CheckListBox1->installEventFilter(this);
  CheckListBox1->setAccessibleName(QStringLiteral("Files"));
  connect(CheckListBox1, &QListView::doubleClicked, this, &MainWindow::OpenFile1Click);
  // The file commands follow the selection, however it changes: a mouse click makes the row
  // current before it selects it, so the current row alone would be read too early.
  connect(CheckListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &MainWindow::CheckListBox1Click);
  connect(CheckListBox1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &MainWindow::CheckListBox1Click);
  auto button = [](const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  BitBtn1 = button(QStringLiteral("Add"), "BitBtn1", GroupBox1);
  BitBtn1->setIcon(themeIcon("list-add", QStyle::SP_FileIcon));
  BitBtn1->setToolTip(QStringLiteral("Add file(s) to File list"));
  connect(BitBtn1, &QPushButton::clicked, this, &MainWindow::AddFiles1Click);
  BitBtn2 = button(QStringLiteral("Scan"), "BitBtn2", GroupBox1);
  BitBtn2->setIcon(themeIcon("edit-find", QStyle::SP_FileDialogContentsView));
  BitBtn2->setToolTip(QStringLiteral("Scan for files"));
  connect(BitBtn2, &QPushButton::clicked, this, &MainWindow::ScanforFiles1Click);
  BitBtn3 = button(QStringLiteral("Delete"), "BitBtn3", GroupBox1);
  BitBtn3->setIcon(themeIcon("list-remove", QStyle::SP_TrashIcon));
  BitBtn3->setToolTip(QStringLiteral("Delete file from File list"));
  connect(BitBtn3, &QPushButton::clicked, this, &MainWindow::DeleteFile1Click);
  Button1 = button(QStringLiteral("Browse file"), "Button1", GroupBox1);
  Button3 = button(QStringLiteral("Edit file"), "Button3", GroupBox1);
  connect(Button1, &QPushButton::clicked, this, &MainWindow::Button1Click);
  connect(Button3, &QPushButton::clicked, this, &MainWindow::Button3Click);
  for (QPushButton* small : {Button1, Button3}) {
    QFont f = small->font();
    f.setPointSizeF(f.pointSizeF() * 0.85);
    small->setFont(f);
  }
  Button1->setAccessibleName(Button1->text());
  Button3->setAccessibleName(Button3->text());
  // Browse and edit mode show their file in this group, in place of the file list.
  m_browseMode = new BrowseMode(GroupBox1, m_prompts);
  connect(m_browseMode->returnButton(), &QPushButton::clicked, this, &MainWindow::Button2Click);
  m_editMode = new EditMode(GroupBox1, m_prompts);
  connect(m_editMode->saveButton(), &QPushButton::clicked, this, &MainWindow::Button4Click);
  connect(m_editMode->discardButton(), &QPushButton::clicked, this, &MainWindow::Button5Click);

  // "Options"
  GroupBox2 = new QGroupBox(QStringLiteral("Options"), m_client);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  const QString switchCaptions[6] = {QStringLiteral("Case Sensitive"),
                                     QStringLiteral("Whole Words Only"),
                                     QStringLiteral("Create Backup Files"),
                                     QStringLiteral("Allow script %anything%"),
                                     QStringLiteral("Confirm every replacement"),
                                     QStringLiteral("Regular expressions")};
  for (int i = 0; i < 6; ++i) {
    CheckBox[i] = new QCheckBox(switchCaptions[i], GroupBox2);
    CheckBox[i]->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
    // toggled, not clicked: the rules follow every change of state (keyboard, a screen
    // reader's Toggle, code), and showConfiguration sets the boxes with their signals blocked.
    connect(CheckBox[i], &QCheckBox::toggled, this, [this, i] { CheckBoxClick(i); });
  }
  BitBtn7 = button(QStringLiteral("<< Advanced"), "BitBtn7", GroupBox2);
  connect(BitBtn7, &QPushButton::clicked, this, &MainWindow::BitBtn7Click);
  BitBtn6 = button(QStringLiteral("Go"), "BitBtn6", GroupBox2);
  BitBtn6->setIcon(themeIcon("system-run", QStyle::SP_MediaPlay));
  connect(BitBtn6, &QPushButton::clicked, this, &MainWindow::BitBtn6Click);
  CheckBox7 = new QCheckBox(QStringLiteral("Do not change filename references"), GroupBox2);
  CheckBox7->setObjectName(QStringLiteral("CheckBox7"));
  connect(CheckBox7, &QCheckBox::toggled, this, &MainWindow::CheckBox7Click);
  CheckBox8 = new QCheckBox(QStringLiteral("Replace only in first"), GroupBox2);
  CheckBox8->setObjectName(QStringLiteral("CheckBox8"));
  connect(CheckBox8, &QCheckBox::toggled, this, &MainWindow::CheckBox8Click);
  Edit1 = new QLineEdit(GroupBox2);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setAccessibleName(QStringLiteral("Replace only in first: count"));
  connect(Edit1, &QLineEdit::textChanged, this, &MainWindow::Edit1Change);
  ComboBox1 = new QComboBox(GroupBox2);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  ComboBox1->addItems({QStringLiteral("Lines"), QStringLiteral("Bytes")});
  ComboBox1->setAccessibleName(QStringLiteral("Replace only in first: unit"));
  connect(ComboBox1, &QComboBox::currentIndexChanged, this, &MainWindow::ComboBox1Change);
  for (QWidget* w : std::initializer_list<QWidget*>{CheckBox7, CheckBox8, Edit1, ComboBox1})
    w->hide();
  fitSwitchCaptions();

  // "Strings"
  GroupBox3 = new QGroupBox(QStringLiteral("Strings"), m_client);
  GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
  StringGrid1 = new PairGrid(GroupBox3);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setModel(m_pairModel);
  StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
  StringGrid1->installEventFilter(this);
  StringGrid1->setAccessibleName(QStringLiteral("Strings"));
  connect(StringGrid1, &QTableView::doubleClicked, this, &MainWindow::StringGrid1DblClick);
  connect(StringGrid1, &PairGrid::pairDragged, this, &MainWindow::StringGrid1DragDrop);
  Label1 = new QLabel(QStringLiteral("Find:"), GroupBox3);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label2 = new QLabel(QStringLiteral("Replace with:"), GroupBox3);
  Label2->setObjectName(QStringLiteral("Label2"));
  auto field = [this](const char* name) {
    auto* f = new QPlainTextEdit(GroupBox3);
    f->setObjectName(QString::fromLatin1(name));
    f->setLineWrapMode(QPlainTextEdit::NoWrap);
    f->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    f->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    f->setTabChangesFocus(true);
    return f;
  };
  Memo1 = field("Memo1");
  Memo2 = field("Memo2");
  connect(Memo1, &QPlainTextEdit::textChanged, this, &MainWindow::Memo1Change);
  connect(Memo2, &QPlainTextEdit::textChanged, this, &MainWindow::Memo2Change);
  Label1->setBuddy(Memo1);
  Label2->setBuddy(Memo2);
  Memo1->setAccessibleName(QStringLiteral("Find:"));
  Memo2->setAccessibleName(QStringLiteral("Replace with:"));
  auto menuButton = [this](const char* name, const QString& tip) {
    auto* b = new QToolButton(GroupBox3);
    b->setObjectName(QString::fromLatin1(name));
    b->setArrowType(Qt::DownArrow);
    b->setAutoRaise(false);
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
  };
  SpeedButton1 = menuButton("SpeedButton1", QStringLiteral("Find string menu"));
  SpeedButton2 = menuButton("SpeedButton2", QStringLiteral("Replace string menu"));
  BitBtn4 = button(QStringLiteral("Add"), "BitBtn4", GroupBox3);
  BitBtn4->setIcon(themeIcon("insert-text", QStyle::SP_ArrowDown));
  BitBtn4->setToolTip(QStringLiteral("Add string to String list"));
  connect(BitBtn4, &QPushButton::clicked, this, &MainWindow::BitBtn4Click);
  BitBtn5 = button(QStringLiteral("Delete"), "BitBtn5", GroupBox3);
  BitBtn5->setIcon(themeIcon("edit-delete", QStyle::SP_TrashIcon));
  BitBtn5->setToolTip(QStringLiteral("Delete string from String list"));
  connect(BitBtn5, &QPushButton::clicked, this, &MainWindow::BitBtn5Click);
}

void MainWindow::buildMenus() {
  QMenuBar* bar = menuBar();

  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("File1"));
  QAction* n = action("New1", QStringLiteral("New Configuration"), &MainWindow::New1Click);
  n->setIcon(themeIcon("document-new", QStyle::SP_FileIcon));
  QAction* o = action("Open1", QStringLiteral("Open Configuration"), &MainWindow::Open1Click);
  o->setIcon(themeIcon("document-open", QStyle::SP_DialogOpenButton));
  QAction* s = action("Save1", QStringLiteral("Save Configuration"), &MainWindow::Save1Click);
  s->setIcon(themeIcon("document-save", QStyle::SP_DialogSaveButton));
  QAction* sa =
      action("SaveAs1", QStringLiteral("Save Configuration as"), &MainWindow::SaveAs1Click);
  sa->setIcon(themeIcon("document-save-as", QStyle::SP_DialogSaveButton));
  file->addActions({n, o, s, sa});
  file->addSeparator();
  QAction* options = action("Options1", QStringLiteral("Options..."), &MainWindow::Options1Click);
  file->addAction(options);
  file->addSeparator();
  QAction* exit = action("Exit1", QStringLiteral("Exit"), &MainWindow::Exit1Click);
  exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  exit->setShortcutContext(Qt::ApplicationShortcut);
  exit->setIcon(themeIcon("application-exit", QStyle::SP_DialogCloseButton));
  file->addAction(exit);

  QMenu* strings = bar->addMenu(QStringLiteral("&Strings"));
  strings->setObjectName(QStringLiteral("Strings1"));
  strings->addAction(
      action("AddString1", QStringLiteral("Add String"), &MainWindow::AddString1Click));
  strings->addAction(
      action("EditString1", QStringLiteral("Edit String"), &MainWindow::EditString1Click));
  strings->addAction(
      action("DeleteString1", QStringLiteral("Delete String"), &MainWindow::DeleteString1Click));

  QMenu* files = bar->addMenu(QStringLiteral("F&iles"));
  files->setObjectName(QStringLiteral("Files1"));
  QAction* addFiles = action("AddFiles1", QStringLiteral("Add Files"), &MainWindow::AddFiles1Click);
  addFiles->setIcon(BitBtn1->icon());
  QAction* scan =
      action("ScanforFiles1", QStringLiteral("Scan for Files"), &MainWindow::ScanforFiles1Click);
  QAction* deleteFile =
      action("DeleteFile1", QStringLiteral("Delete File"), &MainWindow::DeleteFile1Click);
  deleteFile->setIcon(BitBtn3->icon());
  QAction* deleteAll = action("DeleteallFiles1", QStringLiteral("Delete all Files"),
                              &MainWindow::DeleteallFiles1Click);
  QAction* checkAll = action("CheckAll1", QStringLiteral("Check All"), &MainWindow::CheckAll1Click);
  QAction* uncheckAll =
      action("UncheckAll1", QStringLiteral("Uncheck All"), &MainWindow::UncheckAll1Click);
  QAction* browse = action("BrowseFile1", QStringLiteral("Browse File"), &MainWindow::Button1Click);
  QAction* edit = action("EditFile1", QStringLiteral("Edit File"), &MainWindow::Button3Click);
  QAction* openFile = action("OpenFile1", QStringLiteral("Open File"), &MainWindow::OpenFile1Click);
  files->addActions({addFiles, scan, deleteFile, deleteAll});
  files->addSeparator();
  files->addActions({checkAll, uncheckAll});
  files->addSeparator();
  files->addActions({browse, edit});
  files->addSeparator();
  files->addAction(openFile);

  QMenu* backups = bar->addMenu(QStringLiteral("&Backup Files"));
  backups->setObjectName(QStringLiteral("BackupFiles1"));
  CreateBackupFiles1 = action("CreateBackupFiles1", QStringLiteral("Create Backup Files"), nullptr);
  CreateBackupFiles1->setCheckable(true);
  // The entry and the check box show one switch: any change of the entry's state sets it.
  connect(CreateBackupFiles1, &QAction::toggled, this, &MainWindow::CreateBackupFiles1Click);
  backups->addAction(CreateBackupFiles1);
  backups->addSeparator();
  backups->addAction(action("RestoreBackupFiles1", QStringLiteral("Restore Backup Files"),
                            &MainWindow::RestoreBackupFiles1Click));
  backups->addAction(action("DeleteBackupFiles1", QStringLiteral("Delete Backup Files"),
                            &MainWindow::DeleteBackupFiles1Click));

  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("Help1"));
  QAction* topics =
      action("HelpTopics1", QStringLiteral("Help Topics"), &MainWindow::HelpTopics1Click);
  topics->setIcon(themeIcon("help-contents", QStyle::SP_DialogHelpButton));
  topics->setShortcut(QKeySequence::HelpContents);
  help->addAction(topics);
  QAction* tips =
      action("TipoftheDay1", QStringLiteral("Tip of the Day..."), &MainWindow::ShowTips1Click);
  help->addAction(tips);
  help->addSeparator();
  QAction* home = action("Brindlecovehomepage1", QStringLiteral("Brindlecove home page"),
                         &MainWindow::Brindlecovehomepage1Click);
  help->addAction(home);
  QAction* online =
      action("Onlinehelp1", QStringLiteral("Online help"), &MainWindow::Onlinehelp1Click);
  online->setVisible(false);
  help->addAction(online);
  help->addSeparator();
  QAction* about = action("About1", QStringLiteral("About"), &MainWindow::About2Click);
  about->setIcon(themeIcon("help-about", QStyle::SP_MessageBoxInformation));
  help->addAction(about);

  // The pop-up menus.
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  QAction* addFile2 = action("Addfile2", QStringLiteral("Add file"), &MainWindow::AddFiles1Click);
  QAction* scan2 =
      action("Scanforfiles2", QStringLiteral("Scan for files"), &MainWindow::ScanforFiles1Click);
  QAction* deleteFile2 =
      action("Deletefile2", QStringLiteral("Delete file"), &MainWindow::DeleteFile1Click);
  QAction* deleteAll2 =
      action("Deleteall1", QStringLiteral("Delete all"), &MainWindow::DeleteallFiles1Click);
  QAction* checkAll2 =
      action("CheckAll2", QStringLiteral("Check All"), &MainWindow::CheckAll1Click);
  QAction* uncheckAll2 =
      action("UncheckAll2", QStringLiteral("Uncheck All"), &MainWindow::UncheckAll1Click);
  QAction* browse2 =
      action("BrowseFile2", QStringLiteral("Browse File"), &MainWindow::Button1Click);
  QAction* edit2 = action("EditFile2", QStringLiteral("Edit File"), &MainWindow::Button3Click);
  QAction* openFile2 =
      action("OpenFile2", QStringLiteral("Open File"), &MainWindow::OpenFile1Click);
  PopupMenu1->addActions({addFile2, scan2, deleteFile2, deleteAll2});
  PopupMenu1->addSeparator();
  PopupMenu1->addActions({checkAll2, uncheckAll2});
  PopupMenu1->addSeparator();
  PopupMenu1->addActions({browse2, edit2});
  PopupMenu1->addSeparator();
  PopupMenu1->addAction(openFile2);
  connect(CheckListBox1, &QWidget::customContextMenuRequested, this,
          [this](QPoint pos) { PopupMenu1->popup(CheckListBox1->viewport()->mapToGlobal(pos)); });

  PopupMenu2 = new QMenu(this);
  PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
  PopupMenu2->addAction(
      action("Addstring2", QStringLiteral("Add string"), &MainWindow::BitBtn4Click));
  PopupMenu2->addAction(
      action("Editstring2", QStringLiteral("Edit string"), &MainWindow::EditString1Click));
  PopupMenu2->addAction(
      action("Deletestring2", QStringLiteral("Delete string"), &MainWindow::BitBtn5Click));
  PopupMenu2->addAction(
      action("Deleteall2", QStringLiteral("Delete all"), &MainWindow::Deleteall2Click));
  connect(StringGrid1, &QWidget::customContextMenuRequested, this,
          [this](QPoint pos) { PopupMenu2->popup(StringGrid1->viewport()->mapToGlobal(pos)); });

  auto fieldMenu = [this](const char* name, QPlainTextEdit* field, const QString& what) {
    auto* menu = new QMenu(this);
    menu->setObjectName(QString::fromLatin1(name));
    QAction* clear = menu->addAction(QStringLiteral("Clear %1 string").arg(what));
    clear->setObjectName(QStringLiteral("Clear%1string1").arg(what));
    connect(clear, &QAction::triggered, this, [this, field] { ClearField(field); });
    QAction* load = menu->addAction(QStringLiteral("Load %1 string from file").arg(what));
    load->setObjectName(QStringLiteral("Load%1stringfromfile1").arg(what));
    const PairField which = field == Memo1 ? PairField::Find : PairField::Replace;
    connect(load, &QAction::triggered, this,
            [this, field, which] { LoadFieldFromFile(field, which); });
    QAction* copy = menu->addAction(QStringLiteral("Copy %1 string to clipboard").arg(what));
    copy->setObjectName(QStringLiteral("Copy%1stringtoclipboard1").arg(what));
    connect(copy, &QAction::triggered, this, [this, field] { CopyFieldToClipboard(field); });
    return menu;
  };
  PopupMenu3 = fieldMenu("PopupMenu3", Memo1, QStringLiteral("Find"));
  PopupMenu4 = fieldMenu("PopupMenu4", Memo2, QStringLiteral("Replace"));
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { PopupMenu3->popup(QCursor::pos()); });
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { PopupMenu4->popup(QCursor::pos()); });
}

void MainWindow::buildToolBar() {
  ToolBar1 = addToolBar(QStringLiteral("Tool bar"));
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setIconSize(QSize(20, 20));
  ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
  ToolBar1->toggleViewAction()->setVisible(false);
  setContextMenuPolicy(Qt::NoContextMenu);
  auto tool = [this](int position, const QString& hint, const QIcon& icon,
                     void (MainWindow::*handler)()) {
    QAction* a =
        action(QStringLiteral("ToolButton%1").arg(position).toLatin1().constData(), hint, handler);
    a->setToolTip(hint);
    a->setIcon(icon);
    ToolBar1->addAction(a);
    return a;
  };
  tool(1, QStringLiteral("New configuration"), findChild<QAction*>("New1")->icon(),
       &MainWindow::New1Click);
  tool(2, QStringLiteral("Open existing configuration"), findChild<QAction*>("Open1")->icon(),
       &MainWindow::Open1Click);
  ToolButton3 = tool(3, QStringLiteral("Save current configuration"),
                     findChild<QAction*>("Save1")->icon(), &MainWindow::Save1Click);
  tool(4, QStringLiteral("Save Configuration as"), findChild<QAction*>("SaveAs1")->icon(),
       &MainWindow::SaveAs1Click);
  ToolBar1->addSeparator();
  tool(5, QStringLiteral("Add file(s) to File list"), BitBtn1->icon(), &MainWindow::AddFiles1Click);
  tool(6, QStringLiteral("Delete file from File list"), BitBtn3->icon(),
       &MainWindow::DeleteFile1Click);
  ToolBar1->addSeparator();
  tool(7, QStringLiteral("Add string to String list"), BitBtn4->icon(), &MainWindow::BitBtn4Click);
  tool(8, QStringLiteral("Delete string from String list"), BitBtn5->icon(),
       &MainWindow::BitBtn5Click);
  ToolBar1->addSeparator();
  tool(9, QStringLiteral("Go"), BitBtn6->icon(), &MainWindow::BitBtn6Click);
  ToolBar1->addSeparator();
  tool(10, QStringLiteral("Help"), findChild<QAction*>("HelpTopics1")->icon(),
       &MainWindow::HelpTopics1Click);
}

void MainWindow::enableCommands(const std::vector<const char*>& names, bool on) {
  for (const char* name : names) {
    QObject* o = findChild<QObject*>(QString::fromLatin1(name));
    if (auto* a = qobject_cast<QAction*>(o)) a->setEnabled(on);
    if (auto* w = qobject_cast<QWidget*>(o)) w->setEnabled(on);
  }
}

// ---------------------------------------------------------------------------------------
// Showing the core's state

void MainWindow::showConfiguration() {
  const ReplaceFlags& f = m_config.Flags;
  const bool values[6] = {f.CaseSensitive, f.WholeWordsOnly, f.CreateBackupFiles,
                          f.Anything,      f.Confirm,        f.Regular};
  for (int i = 0; i < 6; ++i) {
    QSignalBlocker block(CheckBox[i]);
    CheckBox[i]->setChecked(values[i]);
  }
  // While regular expressions are on, "Whole Words Only" and "Allow script %anything%" do
  // not apply; their values stay.
  CheckBox[1]->setEnabled(m_config.wholeWordsOnlyEnabled());
  CheckBox[3]->setEnabled(m_config.anythingEnabled());
  CreateBackupFiles1->setChecked(f.CreateBackupFiles);
  ToolButton3->setEnabled(m_config.SaveButtonEnabled);

  const AdvancedSwitches& a = m_config.Advanced;
  setField(Memo1, m_config.FindField);
  setField(Memo2, m_config.ReplaceField);

  CheckBox7->setChecked(a.DoNotChangeFilenameReferences);
  CheckBox8->setChecked(a.ReplaceOnlyInFirst);
  if (Edit1->text() != fromStd(a.FirstCount)) Edit1->setText(fromStd(a.FirstCount));
  ComboBox1->setCurrentIndex(a.FirstUnit == RegionUnit::Bytes ? 1 : 0);
  updateFileModeCommands();
}

std::string MainWindow::findText() const {
  return crlfText(Memo1);
}

std::string MainWindow::replaceText() const {
  return crlfText(Memo2);
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

int MainWindow::selectedFile() const {
  const QModelIndex current = CheckListBox1->currentIndex();
  if (!current.isValid() || !CheckListBox1->selectionModel()->isSelected(current)) return -1;
  return current.row();
}

// The grid always has a current row; before the user picks one it is the first.
int MainWindow::selectedPair() const {
  const QModelIndex current = StringGrid1->currentIndex();
  return current.isValid() ? current.row() : 0;
}

void MainWindow::selectPair(int row) {
  if (row < 0 || m_pairModel->rowCount() == 0) return;
  row = std::min(row, m_pairModel->rowCount() - 1);
  StringGrid1->setCurrentIndex(m_pairModel->index(row, 0));
}

// ---------------------------------------------------------------------------------------
// Layout

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_client && event->type() == QEvent::Resize) {
    FormResize();
  } else if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == StringGrid1 && StringGrid1KeyDown(key)) return true;
    if (watched == CheckListBox1 && CheckListBox1KeyDown(key)) return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::FormResize() {
  m_layout = computeMainLayout(m_client->width(), m_client->height(), m_advanced, m_mode);
  const MainLayout& l = m_layout;
  place(GroupBox1, l.filesGroup);
  GroupBox1->setVisible(l.filesVisible);
  if (m_mode != FileMode::Normal) {
    if (m_mode == FileMode::Edit)
      m_editMode->place(l);
    else
      m_browseMode->place(l);
    return;
  }
  place(GroupBox2, l.optionsGroup);
  place(GroupBox3, l.stringsGroup);
  place(CheckListBox1, l.fileList);
  place(BitBtn1, l.fileAdd);
  place(BitBtn2, l.fileScan);
  place(BitBtn3, l.fileDelete);
  place(Button1, l.browseFile);
  place(Button3, l.editFile);
  for (int i = 0; i < 6; ++i) place(CheckBox[i], l.switches[size_t(i)]);
  place(BitBtn7, l.advancedButton);
  place(BitBtn6, l.goButton);
  place(CheckBox7, l.doNotChangeFilenameReferences);
  place(CheckBox8, l.replaceOnlyInFirst);
  place(Edit1, l.firstCount);
  place(ComboBox1, l.firstUnit);
  place(StringGrid1, l.grid);
  StringGrid1->horizontalHeader()->setDefaultSectionSize(l.gridColumnWidth);
  StringGrid1->setColumnWidth(0, l.gridColumnWidth);
  StringGrid1->setColumnWidth(1, l.gridColumnWidth);
  place(Label1, l.findLabel);
  place(Memo1, l.findField);
  place(SpeedButton1, l.findMenuButton);
  place(Label2, l.replaceLabel);
  place(Memo2, l.replaceField);
  place(SpeedButton2, l.replaceMenuButton);
  place(BitBtn4, l.pairAdd);
  place(BitBtn5, l.pairDelete);
  SpeedButton1->raise();
  SpeedButton2->raise();
  fitButtonCaptions();
}

// ---------------------------------------------------------------------------------------
// Commands that are the window's own

void MainWindow::BitBtn7Click() {
  // The caption decides the direction.
  m_advanced = BitBtn7->text() == QStringLiteral("<< Advanced");
  BitBtn7->setText(m_advanced ? QStringLiteral("Normal >>") : QStringLiteral("<< Advanced"));
  for (QWidget* w : std::initializer_list<QWidget*>{CheckBox7, CheckBox8, Edit1, ComboBox1})
    w->setVisible(m_advanced);
  FormResize();
}

void MainWindow::CheckBox7Click() {
  m_config.Advanced.DoNotChangeFilenameReferences = CheckBox7->isChecked();
}

void MainWindow::CheckBox8Click() {
  m_config.Advanced.ReplaceOnlyInFirst = CheckBox8->isChecked();
}

void MainWindow::Edit1Change() {
  m_config.Advanced.FirstCount = toStd(Edit1->text());
}

void MainWindow::ComboBox1Change() {
  m_config.Advanced.FirstUnit =
      ComboBox1->currentIndex() == 1 ? RegionUnit::Bytes : RegionUnit::Lines;
}

void MainWindow::CheckListBox1Click() {
  updateFileModeCommands();
}

// ---------------------------------------------------------------------------------------
// Browse and edit mode

// "Browse file" and "Edit file" with their menu entries: usable while an entry of the list is
// selected and no mode is open.
void MainWindow::updateFileModeCommands() {
  const bool usable = m_mode == FileMode::Normal && selectedFile() >= 0;
  for (const char* name :
       {"Button1", "Button3", "BrowseFile1", "BrowseFile2", "EditFile1", "EditFile2"}) {
    QObject* o = findChild<QObject*>(QString::fromLatin1(name));
    if (auto* a = qobject_cast<QAction*>(o)) a->setEnabled(usable);
    if (auto* w = qobject_cast<QWidget*>(o)) w->setEnabled(usable);
  }
}

void MainWindow::enterFileMode(FileMode mode) {
  m_mode = mode;
  // While the file is shown nothing may change the file list, start a run (which could change
  // the file under the editor), enter the other mode, or change the options (a new language
  // would rename the mode's caption under it).
  m_guarded.clear();
  for (const char* name : {"New1",
                           "Open1",
                           "ToolButton1",
                           "ToolButton2",
                           "AddFiles1",
                           "Addfile2",
                           "ToolButton5",
                           "BitBtn1",
                           "ScanforFiles1",
                           "Scanforfiles2",
                           "BitBtn2",
                           "DeleteFile1",
                           "Deletefile2",
                           "ToolButton6",
                           "BitBtn3",
                           "DeleteallFiles1",
                           "Deleteall1",
                           "BitBtn6",
                           "ToolButton9",
                           "RestoreBackupFiles1",
                           "DeleteBackupFiles1",
                           "Options1"}) {
    QObject* o = findChild<QObject*>(QString::fromLatin1(name));
    if (auto* a = qobject_cast<QAction*>(o)) {
      m_guarded.emplace_back(a, a->isEnabled());
      a->setEnabled(false);
    } else if (auto* w = qobject_cast<QWidget*>(o)) {
      m_guarded.emplace_back(w, w->isEnabled());
      w->setEnabled(false);
    }
  }
  updateFileModeCommands();
  GroupBox2->hide();
  GroupBox3->hide();
  for (QWidget* w :
       std::initializer_list<QWidget*>{CheckListBox1, BitBtn1, BitBtn2, BitBtn3, Button1, Button3})
    w->hide();
  FormResize();
}

void MainWindow::leaveFileMode() {
  m_editMode->setVisible(false);
  m_browseMode->setVisible(false);
  m_browseMode->clear();
  m_mode = FileMode::Normal;
  for (auto [o, enabled] : m_guarded) {
    if (auto* a = qobject_cast<QAction*>(o)) a->setEnabled(enabled);
    if (auto* w = qobject_cast<QWidget*>(o)) w->setEnabled(enabled);
  }
  m_guarded.clear();
  GroupBox1->setTitle(QStringLiteral("Files"));
  GroupBox2->show();
  GroupBox3->show();
  for (QWidget* w :
       std::initializer_list<QWidget*>{CheckListBox1, BitBtn1, BitBtn2, BitBtn3, Button1, Button3})
    w->show();
  FormResize();
  updateFileModeCommands();
  CheckListBox1->setFocus();
}

// The group's caption names only the mode; the file shown is named by the view's tool tip
// and, for screen readers, its description.
void MainWindow::showPathOf(QWidget* view, const std::string& path) {
  view->setToolTip(fromStd(path));
  view->setAccessibleDescription(fromStd(path));
}

void MainWindow::Button1Click() {
  const int row = selectedFile();
  if (row < 0 || m_mode != FileMode::Normal) return;
  const std::string path = m_config.Files[size_t(row)].Path;
  enterFileMode(FileMode::Browse);
  GroupBox1->setTitle(BrowseMode::captionFor(BrowseMode::viewFor(path)));
  const bool shown = m_browseMode->open(path);
  m_browseMode->setVisible(true);
  showPathOf(m_browseMode->shownView(), path);
  if (shown)
    m_browseMode->setFocusToView();
  else
    m_browseMode->returnButton()->setFocus();
}

void MainWindow::Button2Click() {
  if (m_mode == FileMode::Browse) leaveFileMode();
}

void MainWindow::Button3Click() {
  const int row = selectedFile();
  if (row < 0 || m_mode != FileMode::Normal) return;
  const std::string path = m_config.Files[size_t(row)].Path;
  // The file is read first: one that cannot be edited without losing bytes opens no mode.
  const EditMode::Opened opened = m_editMode->open(path);
  if (opened == EditMode::Opened::Refused) return;
  enterFileMode(FileMode::Edit);
  GroupBox1->setTitle(QStringLiteral("Edit File"));
  m_editMode->setVisible(true);
  showPathOf(m_editMode->editor(), path);
  if (opened == EditMode::Opened::Editing)
    m_editMode->editor()->setFocus();
  else
    m_editMode->discardButton()->setFocus();
}

void MainWindow::Button4Click() {
  if (m_mode == FileMode::Edit && m_editMode->save()) leaveFileMode();
}

void MainWindow::Button5Click() {
  if (m_mode == FileMode::Edit) leaveFileMode();
}

void MainWindow::OpenFile1Click() {
  const int row = selectedFile();
  if (row < 0) return;
  openUrl(QUrl::fromLocalFile(fromStd(m_config.Files[size_t(row)].Path)),
          QStringLiteral("The file"));
}

void MainWindow::ClearField(QPlainTextEdit* field) {
  field->clear();
}

// The fields are the configuration's FindField and ReplaceField: every edit is written
// through at once, and a text set by a command is shown without being written back, so that
// bytes that are not UTF-8 stay as they are until the user edits them.
void MainWindow::Memo1Change() {
  if (!m_settingField) m_config.FindField = crlfText(Memo1);
}

void MainWindow::Memo2Change() {
  if (!m_settingField) m_config.ReplaceField = crlfText(Memo2);
}

void MainWindow::CopyFieldToClipboard(QPlainTextEdit* field) {
  QString text = field->toPlainText();
#ifdef Q_OS_WIN
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
#endif
  QGuiApplication::clipboard()->setText(text);
}

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

void MainWindow::HelpTopics1Click() {
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

void MainWindow::Brindlecovehomepage1Click() {
  openUrl(QUrl(QString::fromLatin1(kHomePageAddress)), QStringLiteral("The home page"));
}

void MainWindow::Onlinehelp1Click() {
  openUrl(QUrl(QString::fromLatin1(kOnlineHelpAddress)), QStringLiteral("The online help"));
}

void MainWindow::Exit1Click() {
  close();
}

// ---------------------------------------------------------------------------------------
// Commands of the configuration: each is one call into the core, then the window shows the
// configuration again.

void MainWindow::New1Click() {
  {
    PairTableModel::Reset pairs(*m_pairModel);
    FileListModel::Reset files(*m_fileModel);
    NewConfiguration(m_config, m_prompts, m_settings);
  }
  showConfiguration();
}

void MainWindow::Open1Click() {
  {
    PairTableModel::Reset pairs(*m_pairModel);
    FileListModel::Reset files(*m_fileModel);
    OpenConfiguration(m_config, m_prompts, m_settings);
  }
  showConfiguration();
}

void MainWindow::openAtStart(const std::string& path) {
  {
    PairTableModel::Reset pairs(*m_pairModel);
    FileListModel::Reset files(*m_fileModel);
    OpenConfigurationFile(m_config, m_prompts, m_settings, path);
  }
  showConfiguration();
}

void MainWindow::Save1Click() {
  SaveConfiguration(m_config, m_prompts, m_settings);
  showConfiguration();
}

void MainWindow::SaveAs1Click() {
  SaveConfigurationAs(m_config, m_prompts, m_settings);
  showConfiguration();
}

void MainWindow::AddString1Click() {
  m_config.markChanged();
  showConfiguration();
  Memo1->setFocus();
}

void MainWindow::EditString1Click() {
  const int row = selectedPair();
  {
    PairTableModel::Reset pairs(*m_pairModel);
    m_config.TakePairForEditing(size_t(row));
  }
  showConfiguration();
  selectPair(row);
}

void MainWindow::removePair(PairRemoval via) {
  const int row = selectedPair();
  {
    PairTableModel::Reset pairs(*m_pairModel);
    m_config.RemovePair(size_t(row), via, m_options, m_prompts);
  }
  showConfiguration();
  selectPair(row);
}

void MainWindow::DeleteString1Click() {
  removePair(PairRemoval::MenuEntry);
}

void MainWindow::BitBtn5Click() {
  removePair(PairRemoval::Button);
}

void MainWindow::BitBtn4Click() {
  const int row = selectedPair();
  bool added = false;
  {
    PairTableModel::Reset pairs(*m_pairModel);
    added = m_config.AddPair(m_prompts);
  }
  showConfiguration();
  selectPair(added ? m_pairModel->rowCount() - 1 : row);
}

void MainWindow::Deleteall2Click() {
  {
    PairTableModel::Reset pairs(*m_pairModel);
    m_config.ClearPairs();
  }
  showConfiguration();
  selectPair(0);
}

void MainWindow::StringGrid1DblClick() {
  EditString1Click();
}

void MainWindow::StringGrid1DragDrop(int fromRow, int toRow) {
  bool moved = false;
  {
    PairTableModel::Reset pairs(*m_pairModel);
    moved = m_config.MovePair(fromRow, toRow);
  }
  selectPair(moved ? toRow - 1 : fromRow - 1);
}

bool MainWindow::StringGrid1KeyDown(int key) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      EditString1Click();
      return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      removePair(PairRemoval::Key);
      return true;
    default:
      return false;
  }
}

void MainWindow::AddFiles1Click() {
  keepingFileSelection([this] { AddFilesCommand(m_config, m_prompts, m_settings); });
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
  CheckListBox1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void MainWindow::DeleteFile1Click() {
  const int row = selectedFile();
  {
    FileListModel::Reset files(*m_fileModel);
    m_config.RemoveFile(row < 0 ? std::nullopt : std::optional<size_t>(size_t(row)), m_options,
                        m_prompts);
  }
  showConfiguration();
}

void MainWindow::DeleteallFiles1Click() {
  {
    FileListModel::Reset files(*m_fileModel);
    m_config.ClearFiles(m_options, m_prompts);
  }
  showConfiguration();
}

void MainWindow::CheckAll1Click() {
  m_config.SetAllChecked(true);
  m_fileModel->checksChanged();
}

void MainWindow::UncheckAll1Click() {
  m_config.SetAllChecked(false);
  m_fileModel->checksChanged();
}

bool MainWindow::CheckListBox1KeyDown(int key) {
  if (key != Qt::Key_Backspace && key != Qt::Key_Delete) return false;
  DeleteFile1Click();
  return true;
}

void MainWindow::CreateBackupFiles1Click() {
  m_config.setCreateBackupFiles(CreateBackupFiles1->isChecked());
  showConfiguration();
}

void MainWindow::RestoreBackupFiles1Click() {
  RestoreBackupsCommand(m_config, m_prompts);
  showConfiguration();
}

void MainWindow::DeleteBackupFiles1Click() {
  DeleteBackupsCommand(m_config, m_options, m_prompts);
  showConfiguration();
}

void MainWindow::CheckBoxClick(int which) {
  const bool on = CheckBox[which]->isChecked();
  switch (which) {
    case 0:
      m_config.setCaseSensitive(on);
      break;
    case 1:
      m_config.setWholeWordsOnly(on);
      break;
    case 2:
      m_config.setCreateBackupFiles(on);
      break;
    case 3:
      m_config.setAnything(on);
      break;
    case 4:
      m_config.setConfirm(on);
      break;
    case 5:
      m_config.setRegular(on);
      break;
    default:
      break;
  }
  showConfiguration();
}

void MainWindow::setRunWindows(ProcessingDialog* processing, ResultsDialog* results) {
  m_processingDialog = processing;
  m_resultsDialog = results;
  enableCommands({"BitBtn6", "ToolButton9"}, m_processingDialog && m_resultsDialog);
}

void MainWindow::setScanWindows(ScanDialog* scan, ScanProgressDialog* scanning) {
  m_scanDialog = scan;
  m_scanProgressDialog = scanning;
  enableCommands({"BitBtn2", "ScanforFiles1", "Scanforfiles2"},
                 m_scanDialog && m_scanProgressDialog);
}

void MainWindow::setOptionsWindow(OptionsDialog* options) {
  if (m_optionsWindow) disconnect(m_optionsWindow, nullptr, this, nullptr);
  m_optionsWindow = options;
  enableCommands({"Options1"}, m_optionsWindow != nullptr);
  // "Confirm every replacement" in the dialog is the box here: show it at once.
  if (m_optionsWindow) {
    connect(m_optionsWindow, &OptionsDialog::confirmChanged, this, &MainWindow::showConfiguration);
    attachLanguageList(m_optionsWindow->languageList());
  }
}

void MainWindow::ScanforFiles1Click() {
  if (!m_scanDialog || !m_scanProgressDialog) return;
  if (m_scanDialog->exec() != QDialog::Accepted) return;
  const ScanFound found = m_scanProgressDialog->execScan(m_scanDialog->criteria());
  keepingFileSelection([&] { takeScanResults(m_config, found); });
}

void MainWindow::Options1Click() {
  if (m_optionsWindow) {
    // The language files present now, with the one in use selected.
    fillLanguageList(m_optionsWindow->languageList(), languageName());
    m_optionsWindow->exec();
  }
  showConfiguration();
}

void MainWindow::BitBtn6Click() {
  if (!m_processingDialog || !m_resultsDialog) return;
  if (!CheckGoInput(m_config, m_prompts, m_texts.text(kNoFilesSlot), m_texts.text(kNoPairsSlot)))
    return;
  try {
    const RunOutcome outcome =
        m_processingDialog->execRun(m_config, m_options, *m_clock, m_summary);
    if (outcome.refused) {
      // Nothing was touched: the input is wrong, there is nothing to show.
      m_prompts.inform(outcome.refusal, "Warning", PromptIcon::Warning);
      return;
    }
  } catch (...) {
    m_prompts.inform("Program Error!!! Please contact developer!!!", "Error", PromptIcon::Error);
  }
  m_resultsDialog->showResults(m_summary, m_config.Files);
}

void MainWindow::LoadFieldFromFile(QPlainTextEdit* field, PairField which) {
  if (tw::LoadFieldFromFile(m_config, which, m_prompts, m_settings))
    setField(field, which == PairField::Find ? m_config.FindField : m_config.ReplaceField);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // An open mode is closed by its own buttons first (unless exits are not confirmed).
  if (m_mode != FileMode::Normal && m_options.ConfirmOnExit) {
    m_prompts.inform(m_texts.text(m_mode == FileMode::Edit ? 86 : 87), m_texts.text(85),
                     PromptIcon::Warning);
    // The settings are written at every close request, also a refused one.
    storeExitSettings();
    event->ignore();
    return;
  }
  const bool mayClose = ConfirmClose(m_config, m_options, m_prompts, m_settings);
  showConfiguration();
  // Also when the window stays open: the placement and the previous project are kept.
  storeExitSettings();
  if (mayClose)
    event->accept();
  else
    event->ignore();
}

}  // namespace tw
