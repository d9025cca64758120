#include "ui/ScanDialog.h"
#include "ui/ElidedLabel.h"
#include "ui/QtText.h"

#include "config/Settings.h"
#include "scan/Scan.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace tw {

namespace {

constexpr int kLeftWidth = 320;  // the folder tree and its path line

QComboBox* unitBox(QWidget* parent, const QString& accessibleName, const QStringList& items,
                   int current) {
  auto* box = new QComboBox(parent);
  box->setAccessibleName(accessibleName);
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
  setObjectName(QStringLiteral("ScanDialog"));
  setWindowTitle(QStringLiteral("Scan for files"));
  setModal(true);

  // The start folder: a tree of folders (hidden ones left out, as the walk leaves them out).
  m_folders = new QFileSystemModel(this);
  m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  m_folders->setRootPath(QStringLiteral("/"));
  m_folderLabel = new QLabel(this);
  m_folderLabel->setTextFormat(Qt::PlainText);
  m_folderLabel->setFixedWidth(kLeftWidth);
  m_folderTree = new QTreeView(this);
  m_folderTree->setAccessibleName(QStringLiteral("Folder to scan"));
  m_folderTree->setModel(m_folders);
  m_folderTree->setRootIndex(m_folders->index(QStringLiteral("/")));
  for (int column = 1; column < m_folders->columnCount(); ++column)
    m_folderTree->hideColumn(column);
  m_folderTree->setHeaderHidden(true);
  // Long folder names are shown whole; the tree scrolls sideways to them.
  m_folderTree->header()->setStretchLastSection(false);
  m_folderTree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  // The folders are read in the background, and each folder read (and sorted) moves the rows
  // below it: until the user takes over, the chosen folder is brought back into view after
  // every such change.
  m_revealTimer = new QTimer(this);
  m_revealTimer->setSingleShot(true);
  m_revealTimer->setInterval(0);
  connect(m_revealTimer, &QTimer::timeout, this, &ScanDialog::revealChosenFolder);
  auto followLoading = [this] {
    if (m_revealing) m_revealTimer->start();
  };
  connect(m_folders, &QFileSystemModel::directoryLoaded, this, followLoading);
  connect(m_folders, &QAbstractItemModel::layoutChanged, this, followLoading);
  connect(m_folders, &QAbstractItemModel::rowsInserted, this, followLoading);
  connect(m_folders, &QAbstractItemModel::rowsRemoved, this, followLoading);
  for (QScrollBar* bar : {m_folderTree->verticalScrollBar(), m_folderTree->horizontalScrollBar()})
    connect(bar, &QAbstractSlider::actionTriggered, this, [this] { m_revealing = false; });
  m_folderTree->installEventFilter(this);
  m_folderTree->viewport()->installEventFilter(this);
  m_folderTree->setFixedSize(kLeftWidth, 170);
  m_folderTree->setSelectionMode(QAbstractItemView::SingleSelection);
  m_folderLabel->setBuddy(m_folderTree);
  connect(m_folderTree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
    m_folderChosen = true;
    showChosenFolder();
  });

  m_extensionLabel = new QLabel(this);
  m_extensionField = new QLineEdit(QStringLiteral("*.htm*"), this);
  m_extensionLabel->setBuddy(m_extensionField);
  m_recurseBox = new QCheckBox(this);
  m_recurseBox->setChecked(true);

  m_scanButton = new QPushButton(this);
  m_scanButton->setDefault(true);
  connect(m_scanButton, &QPushButton::clicked, this, &ScanDialog::onScan);
  m_cancelButton = new QPushButton(this);
  m_cancelButton->setAutoDefault(false);
  connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  m_advancedButton = new QPushButton(this);
  m_advancedButton->setAutoDefault(false);
  connect(m_advancedButton, &QPushButton::clicked, this, &ScanDialog::onAdvanced);

  // "Advanced Search"
  m_advancedGroup = new QGroupBox(QStringLiteral("Advanced Search"), this);
  auto check = [this] {
    auto* box = new QCheckBox(m_advancedGroup);
    // toggled, not clicked: the fields follow every change of state.
    connect(box, &QCheckBox::toggled, this, &ScanDialog::enableFields);
    return box;
  };
  auto edit = [this](const QString& accessible) {
    auto* e = new QLineEdit(m_advancedGroup);
    e->setAccessibleName(accessible);
    return e;
  };
  m_sizeBox = check();
  m_sizeCompareBox =
      unitBox(m_advancedGroup, QStringLiteral("File size comparison"), {"=", ">", "<"}, 0);
  m_sizeField = edit(QStringLiteral("File size amount"));
  m_sizeUnitBox =
      unitBox(m_advancedGroup, QStringLiteral("File size unit"), {"bytes", "Kbytes", "Mbytes"}, 1);
  m_dateBox = check();
  m_dateFromField = edit(QStringLiteral("Date between, from"));
  m_dateToField = edit(QStringLiteral("Date between, to"));
  for (QLineEdit* date : {m_dateFromField, m_dateToField}) {
    date->setToolTip(QStringLiteral("DD.MM.YYYY"));
    date->setPlaceholderText(QStringLiteral("DD.MM.YYYY"));
  }
  m_dateToField->setText(fromStd(formatScanDate(localDateOf(std::chrono::system_clock::now()))));
  m_ageBox = check();
  m_ageField = edit(QStringLiteral("Not older than, count"));
  m_ageUnitBox = unitBox(m_advancedGroup, QStringLiteral("Not older than, unit"),
                         {"Hour(s)", "Day(s)", "Week(s)", "Month(s)", "Year(s)"}, 1);
  m_attributesBox = check();
  m_archiveBox = check();
  m_readOnlyBox = check();
  m_systemBox = check();
  m_systemBox->setText(QStringLiteral("System"));
  m_systemBox->hide();
  m_archiveBox->setToolTip(QStringLiteral("Only files without a backup copy beside them"));
  m_readOnlyBox->setToolTip(QStringLiteral("Only files that nobody may write"));

  auto* advanced = new QGridLayout(m_advancedGroup);
  advanced->addWidget(m_sizeBox, 0, 0, 1, 3);
  advanced->addWidget(m_sizeCompareBox, 1, 0);
  advanced->addWidget(m_sizeField, 1, 1);
  advanced->addWidget(m_sizeUnitBox, 1, 2);
  advanced->addWidget(m_dateBox, 2, 0, 1, 3);
  advanced->addWidget(m_dateFromField, 3, 0, 1, 2);
  advanced->addWidget(m_dateToField, 3, 2);
  advanced->addWidget(m_ageBox, 4, 0, 1, 3);
  advanced->addWidget(m_ageField, 5, 0, 1, 2);
  advanced->addWidget(m_ageUnitBox, 5, 2);
  advanced->addWidget(m_attributesBox, 6, 0, 1, 3);
  auto* attributes = new QHBoxLayout;
  attributes->addSpacing(16);
  attributes->addWidget(m_archiveBox);
  attributes->addWidget(m_readOnlyBox);
  attributes->addWidget(m_systemBox);
  attributes->addStretch(1);
  advanced->addLayout(attributes, 7, 0, 1, 3);
  advanced->setRowStretch(8, 1);
  m_sizeCompareBox->setFixedWidth(52);
  m_sizeUnitBox->setMinimumWidth(90);
  m_ageUnitBox->setMinimumWidth(90);
  m_advancedGroup->setFixedWidth(260);
  m_advancedGroup->hide();

  auto* left = new QVBoxLayout;
  left->addWidget(m_folderLabel);
  left->addWidget(m_folderTree);
  auto* mask = new QHBoxLayout;
  mask->addWidget(m_extensionLabel);
  mask->addWidget(m_extensionField, 1);
  left->addLayout(mask);
  left->addWidget(m_recurseBox);
  left->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_scanButton);
  buttons->addWidget(m_cancelButton);
  buttons->addStretch(1);
  buttons->addWidget(m_advancedButton);
  left->addLayout(buttons);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left);
  layout->addWidget(m_advancedGroup);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  applyTexts(TextTable());
  setDirectory(QDir::homePath());
  m_folderChosen = false;
  showChosenFolder();
  enableFields();
}

void ScanDialog::applyTexts(const TextTable& table) {
  auto text = [&table](int slot) { return fromStd(table.text(slot)); };
  const std::pair<QAbstractButton*, int> buttons[] = {
      {m_scanButton, 16}, {m_recurseBox, 46},  {m_sizeBox, 50},
      {m_dateBox, 51},    {m_ageBox, 52},      {m_attributesBox, 53},
      {m_archiveBox, 54}, {m_readOnlyBox, 55}, {m_cancelButton, 56},
  };
  for (auto [button, slot] : buttons) button->setText(text(slot));
  m_extensionLabel->setText(text(47));
  m_extensionField->setAccessibleName(m_extensionLabel->text());
  m_advancedCaption = text(48);
  if (!m_expanded) m_advancedButton->setText(m_advancedCaption);
  m_folderPrompt = text(45);
  showChosenFolder();
}

QString ScanDialog::directory() const {
  const QString path = m_folders->filePath(m_folderTree->currentIndex());
  return path.isEmpty() ? QStringLiteral("/") : path;
}

void ScanDialog::setDirectory(const QString& folder) {
  const QModelIndex index = m_folders->index(folder);
  if (!index.isValid()) return;
  m_folderTree->setCurrentIndex(index);
  m_folderChosen = true;
  showChosenFolder();
  m_revealing = true;
  revealChosenFolder();
}

// The chosen folder in view: its branch open, the folder selected and scrolled to the middle.
void ScanDialog::revealChosenFolder() {
  const QModelIndex current = m_folderTree->currentIndex();
  if (!current.isValid()) return;
  for (QModelIndex up = current.parent(); up.isValid(); up = up.parent()) m_folderTree->expand(up);
  m_folderTree->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
  m_folderTree->scrollTo(current, QAbstractItemView::PositionAtCenter);
}

bool ScanDialog::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
      m_revealing = false;  // the user moves about the tree now
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void ScanDialog::showEvent(QShowEvent* event) {
  moveToLastFolder();
  QDialog::showEvent(event);
  // Once the tree has its size, and again as its folders come in.
  m_revealing = true;
  m_revealTimer->start();
}

void ScanDialog::hideEvent(QHideEvent* event) {
  m_revealing = false;
  QDialog::hideEvent(event);
}

// Each opening moves the tree to the shared last folder, when it still exists.
void ScanDialog::moveToLastFolder() {
  QString last = fromStd(ReadLastDir(m_settings));
  while (last.size() > 1 && last.endsWith(u'/')) last.chop(1);
  if (!last.isEmpty() && QFileInfo(last).isDir()) setDirectory(last);
}

// Until a folder is chosen (by the user or as the last folder) the path line asks for one.
void ScanDialog::showChosenFolder() {
  if (m_folderChosen)
    setElidedText(m_folderLabel, {}, directory(), Qt::ElideMiddle);
  else
    setElidedText(m_folderLabel, {}, m_folderPrompt, Qt::ElideRight);
}

void ScanDialog::enableFields() {
  for (QWidget* w : std::initializer_list<QWidget*>{m_sizeCompareBox, m_sizeField, m_sizeUnitBox})
    w->setEnabled(m_sizeBox->isChecked());
  for (QWidget* w : {m_dateFromField, m_dateToField}) w->setEnabled(m_dateBox->isChecked());
  for (QWidget* w : std::initializer_list<QWidget*>{m_ageField, m_ageUnitBox})
    w->setEnabled(m_ageBox->isChecked());
  for (QWidget* w : {m_archiveBox, m_readOnlyBox, m_systemBox})
    w->setEnabled(m_attributesBox->isChecked());
}

void ScanDialog::onAdvanced() {
  // The state, not the caption, decides: a translated caption changes nothing.
  m_expanded = !m_expanded;
  m_advancedGroup->setVisible(m_expanded);
  m_advancedButton->setText(m_expanded ? QStringLiteral("Normal <<") : m_advancedCaption);
}

ScanFields ScanDialog::fields() const {
  ScanFields f;
  f.Directory = toStd(directory());
  f.MaskText = toStd(m_extensionField->text());
  f.Recurse = m_recurseBox->isChecked();
  f.SizeOn = m_sizeBox->isChecked();
  f.SizeCompareText = toStd(m_sizeCompareBox->currentText());
  f.SizeText = toStd(m_sizeField->text());
  f.chooseSizeUnit(toStd(m_sizeUnitBox->currentText()));
  f.DateOn = m_dateBox->isChecked();
  f.DateFromText = toStd(m_dateFromField->text());
  f.DateToText = toStd(m_dateToField->text());
  f.AgeOn = m_ageBox->isChecked();
  f.AgeCountText = toStd(m_ageField->text());
  f.chooseAgeUnit(toStd(m_ageUnitBox->currentText()));
  f.AttrOn = m_attributesBox->isChecked();
  f.Archive = m_archiveBox->isChecked();
  f.ReadOnly = m_readOnlyBox->isChecked();
  f.System = m_systemBox->isChecked();
  return f;
}

QWidget* ScanDialog::fieldOf(ScanField field) const {
  switch (field) {
    case ScanField::SizeAmount:
      return m_sizeField;
    case ScanField::SizeCompare:
      return m_sizeCompareBox;
    case ScanField::DateFrom:
      return m_dateFromField;
    case ScanField::DateTo:
      return m_dateToField;
    case ScanField::AgeCount:
      return m_ageField;
    case ScanField::AgeUnit:
      return m_ageUnitBox;
  }
  return nullptr;
}

void ScanDialog::onScan() {
  if (auto error = captureScanCriteria(fields(), m_criteria)) {
    m_prompts.inform(error->message(), "Warning", PromptIcon::Warning);
    // The faulty field may sit in the folded-away group, or be disabled (an age count typed
    // before its criterion was switched off): show it so that it can be put right.
    if (!m_expanded) onAdvanced();
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
