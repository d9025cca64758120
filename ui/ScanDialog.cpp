#include "ui/ScanDialog.h"
#include "ui/ElidedLabel.h"
#include "ui/QtText.h"

#include "config/Settings.h"
#include "scan/Scan.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tw {

namespace {

constexpr int kLeftWidth = 320;  // the folder tree and its path line

QComboBox* unitBox(QWidget* parent, const char* name, const QStringList& items, int current) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->addItems(items);
  box->setCurrentIndex(current);
  return box;
}

}  // namespace

ScanDialog::ScanDialog(Prompts& prompts, SettingsStore& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_prompts(prompts),
      m_settings(settings) {
  setObjectName(QStringLiteral("Form7"));
  setWindowTitle(QStringLiteral("Scan for files"));
  setModal(true);

  // The start folder: a tree of folders (hidden ones left out, as the walk leaves them out).
  m_folders = new QFileSystemModel(this);
  m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  m_folders->setRootPath(QStringLiteral("/"));
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setTextFormat(Qt::PlainText);
  Label1->setFixedWidth(kLeftWidth);
  DirectoryListBox1 = new QTreeView(this);
  DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
  DirectoryListBox1->setAccessibleName(QStringLiteral("Folder to scan"));
  DirectoryListBox1->setModel(m_folders);
  DirectoryListBox1->setRootIndex(m_folders->index(QStringLiteral("/")));
  for (int column = 1; column < m_folders->columnCount(); ++column)
    DirectoryListBox1->hideColumn(column);
  DirectoryListBox1->setHeaderHidden(true);
  // Long folder names are shown whole; the tree scrolls sideways to them.
  DirectoryListBox1->header()->setStretchLastSection(false);
  DirectoryListBox1->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  // The folders are read in the background: once the chosen folder's parent is read, it is
  // scrolled into view.
  connect(m_folders, &QFileSystemModel::directoryLoaded, this, [this] {
    DirectoryListBox1->scrollTo(DirectoryListBox1->currentIndex(),
                                QAbstractItemView::PositionAtCenter);
  });
  DirectoryListBox1->setFixedSize(kLeftWidth, 170);
  DirectoryListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
  Label1->setBuddy(DirectoryListBox1);
  connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &ScanDialog::DirectoryChange);

  Label2 = new QLabel(QStringLiteral("Specify extension:"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Edit1 = new QLineEdit(QStringLiteral("*.htm*"), this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setAccessibleName(QStringLiteral("Specify extension:"));
  Label2->setBuddy(Edit1);
  CheckBox1 = new QCheckBox(QStringLiteral("Recurse Subdirectories"), this);
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  CheckBox1->setChecked(true);

  Button1 = new QPushButton(QStringLiteral("Scan"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &ScanDialog::Button1Click);
  Button2 = new QPushButton(QStringLiteral("Cancel"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setAutoDefault(false);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
  Button3 = new QPushButton(QStringLiteral("Advanced >>"), this);
  Button3->setObjectName(QStringLiteral("Button3"));
  Button3->setAutoDefault(false);
  connect(Button3, &QPushButton::clicked, this, &ScanDialog::Button3Click);

  // "Advanced Search"
  GroupBox1 = new QGroupBox(QStringLiteral("Advanced Search"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  auto check = [this](const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, GroupBox1);
    box->setObjectName(QString::fromLatin1(name));
    // toggled, not clicked: the fields follow every change of state.
    connect(box, &QCheckBox::toggled, this, &ScanDialog::enableFields);
    return box;
  };
  auto edit = [this](const char* name, const QString& accessible) {
    auto* e = new QLineEdit(GroupBox1);
    e->setObjectName(QString::fromLatin1(name));
    e->setAccessibleName(accessible);
    return e;
  };
  CheckBox2 = check("CheckBox2", QStringLiteral("File size"));
  ComboBox1 = unitBox(GroupBox1, "ComboBox1", {"=", ">", "<"}, 0);
  ComboBox1->setAccessibleName(QStringLiteral("File size comparison"));
  Edit2 = edit("Edit2", QStringLiteral("File size amount"));
  ComboBox3 = unitBox(GroupBox1, "ComboBox3", {"bytes", "Kbytes", "Mbytes"}, 1);
  ComboBox3->setAccessibleName(QStringLiteral("File size unit"));
  CheckBox3 = check("CheckBox3", QStringLiteral("Date between"));
  Edit3 = edit("Edit3", QStringLiteral("Date between, from"));
  Edit4 = edit("Edit4", QStringLiteral("Date between, to"));
  for (QLineEdit* date : {Edit3, Edit4}) {
    date->setToolTip(QStringLiteral("DD.MM.YYYY"));
    date->setPlaceholderText(QStringLiteral("DD.MM.YYYY"));
  }
  Edit4->setText(fromStd(formatScanDate(localDateOf(std::chrono::system_clock::now()))));
  CheckBox4 = check("CheckBox4", QStringLiteral("Not older than"));
  Edit5 = edit("Edit5", QStringLiteral("Not older than, count"));
  ComboBox2 =
      unitBox(GroupBox1, "ComboBox2", {"Hour(s)", "Day(s)", "Week(s)", "Month(s)", "Year(s)"}, 1);
  ComboBox2->setAccessibleName(QStringLiteral("Not older than, unit"));
  CheckBox5 = check("CheckBox5", QStringLiteral("With attributes"));
  CheckBox6 = check("CheckBox6", QStringLiteral("Archive"));
  CheckBox8 = check("CheckBox8", QStringLiteral("Read only"));
  CheckBox9 = check("CheckBox9", QStringLiteral("System"));
  CheckBox9->hide();
  CheckBox6->setToolTip(QStringLiteral("Only files without a backup copy beside them"));
  CheckBox8->setToolTip(QStringLiteral("Only files that nobody may write"));

  auto* advanced = new QGridLayout(GroupBox1);
  advanced->addWidget(CheckBox2, 0, 0, 1, 3);
  advanced->addWidget(ComboBox1, 1, 0);
  advanced->addWidget(Edit2, 1, 1);
  advanced->addWidget(ComboBox3, 1, 2);
  advanced->addWidget(CheckBox3, 2, 0, 1, 3);
  advanced->addWidget(Edit3, 3, 0, 1, 2);
  advanced->addWidget(Edit4, 3, 2);
  advanced->addWidget(CheckBox4, 4, 0, 1, 3);
  advanced->addWidget(Edit5, 5, 0, 1, 2);
  advanced->addWidget(ComboBox2, 5, 2);
  advanced->addWidget(CheckBox5, 6, 0, 1, 3);
  auto* attributes = new QHBoxLayout;
  attributes->addSpacing(16);
  attributes->addWidget(CheckBox6);
  attributes->addWidget(CheckBox8);
  attributes->addWidget(CheckBox9);
  attributes->addStretch(1);
  advanced->addLayout(attributes, 7, 0, 1, 3);
  advanced->setRowStretch(8, 1);
  ComboBox1->setFixedWidth(52);
  ComboBox3->setMinimumWidth(90);
  ComboBox2->setMinimumWidth(90);
  GroupBox1->setFixedWidth(260);
  GroupBox1->hide();

  auto* left = new QVBoxLayout;
  left->addWidget(Label1);
  left->addWidget(DirectoryListBox1);
  auto* mask = new QHBoxLayout;
  mask->addWidget(Label2);
  mask->addWidget(Edit1, 1);
  left->addLayout(mask);
  left->addWidget(CheckBox1);
  left->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  buttons->addStretch(1);
  buttons->addWidget(Button3);
  left->addLayout(buttons);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left);
  layout->addWidget(GroupBox1);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  setDirectory(QDir::homePath());
  enableFields();
}

QString ScanDialog::directory() const {
  const QString path = m_folders->filePath(DirectoryListBox1->currentIndex());
  return path.isEmpty() ? QStringLiteral("/") : path;
}

void ScanDialog::setDirectory(const QString& folder) {
  const QModelIndex index = m_folders->index(folder);
  if (!index.isValid()) return;
  DirectoryListBox1->setCurrentIndex(index);
  DirectoryListBox1->scrollTo(index, QAbstractItemView::PositionAtCenter);
  DirectoryChange();
}

void ScanDialog::showEvent(QShowEvent* event) {
  FormActivate();
  QDialog::showEvent(event);
}

// Each opening moves the tree to the shared last folder, when it still exists.
void ScanDialog::FormActivate() {
  QString last = fromStd(ReadLastDir(m_settings));
  while (last.size() > 1 && last.endsWith(u'/')) last.chop(1);
  if (!last.isEmpty() && QFileInfo(last).isDir()) setDirectory(last);
}

void ScanDialog::DirectoryChange() {
  setElidedText(Label1, {}, directory(), Qt::ElideMiddle);
}

void ScanDialog::enableFields() {
  for (QWidget* w : std::initializer_list<QWidget*>{ComboBox1, Edit2, ComboBox3})
    w->setEnabled(CheckBox2->isChecked());
  for (QWidget* w : {Edit3, Edit4}) w->setEnabled(CheckBox3->isChecked());
  for (QWidget* w : std::initializer_list<QWidget*>{Edit5, ComboBox2})
    w->setEnabled(CheckBox4->isChecked());
  for (QWidget* w : {CheckBox6, CheckBox8, CheckBox9}) w->setEnabled(CheckBox5->isChecked());
}

void ScanDialog::Button3Click() {
  // The state, not the caption, decides: a translated caption changes nothing.
  m_expanded = !m_expanded;
  GroupBox1->setVisible(m_expanded);
  Button3->setText(m_expanded ? QStringLiteral("Normal <<") : QStringLiteral("Advanced >>"));
}

ScanFields ScanDialog::fields() const {
  ScanFields f;
  f.Directory = toStd(directory());
  f.MaskText = toStd(Edit1->text());
  f.Recurse = CheckBox1->isChecked();
  f.SizeOn = CheckBox2->isChecked();
  f.SizeCompareText = toStd(ComboBox1->currentText());
  f.SizeText = toStd(Edit2->text());
  f.chooseSizeUnit(toStd(ComboBox3->currentText()));
  f.DateOn = CheckBox3->isChecked();
  f.DateFromText = toStd(Edit3->text());
  f.DateToText = toStd(Edit4->text());
  f.AgeOn = CheckBox4->isChecked();
  f.AgeCountText = toStd(Edit5->text());
  f.chooseAgeUnit(toStd(ComboBox2->currentText()));
  f.AttrOn = CheckBox5->isChecked();
  f.Archive = CheckBox6->isChecked();
  f.ReadOnly = CheckBox8->isChecked();
  f.System = CheckBox9->isChecked();
  return f;
}

QWidget* ScanDialog::fieldOf(ScanField field) const {
  switch (field) {
    case ScanField::SizeAmount:
      return Edit2;
    case ScanField::SizeCompare:
      return ComboBox1;
    case ScanField::DateFrom:
      return Edit3;
    case ScanField::DateTo:
      return Edit4;
    case ScanField::AgeCount:
      return Edit5;
    case ScanField::AgeUnit:
      return ComboBox2;
  }
  return nullptr;
}

void ScanDialog::Button1Click() {
  if (auto error = captureScanCriteria(fields(), m_criteria)) {
    m_prompts.inform(error->message(), "Warning", PromptIcon::Warning);
    // The faulty field may sit in the folded-away group, or be disabled (an age count typed
    // before its criterion was switched off): show it so that it can be put right.
    if (!m_expanded) Button3Click();
    QWidget* field = fieldOf(error->field);
    field->setEnabled(true);
    field->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(field)) line->selectAll();
    return;
  }
  StoreScanFolder(m_settings, m_criteria.Directory);
  accept();
}

}  // namespace tw
