#include "ui/OptionsDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tw {

namespace {

// The switch behind CheckBox`n`, or nullptr for CheckBox8 ("Confirm every replacement"), which
// is the configuration's Confirm switch.
bool* switchOf(AppOptions& o, int n) {
  switch (n) {
    case 1:
      return &o.AutoSavePosition;
    case 2:
      return &o.LoadPreviousProject;
    case 3:
      return &o.RemoveTrailingSpaces;
    case 4:
      return &o.RemoveLeadingSpaces;
    case 5:
      return &o.ConfirmDeleteFile;
    case 6:
      return &o.ConfirmDeleteAllFiles;
    case 7:
      return &o.ConfirmDeletePair;
    case 9:
      return &o.ConfirmOnExit;
    case 10:
      return &o.SaveAsUnix;
    case 11:
      return &o.SaveOldDate;
    case 12:
      return &o.SaveOldAttributes;
    case 13:
      return &o.ConfirmDeleteBackups;
    default:
      return nullptr;
  }
}

struct BoxSpec {
  int n;
  const char* caption;
};

// Top to bottom on their pages.
constexpr BoxSpec kGeneral[] = {
    {1, "Autosave window size and position"},        {2, "Load Previous project at the startup"},
    {5, "Confirm deletion of the selected files"},   {6, "Confirm delettion of all files"},
    {7, "Confirm deletion of the selected strings"}, {8, "Confirm every replacement"},
    {13, "Confirm deletion of backup files"},        {9, "Confirm on exit"}};
constexpr BoxSpec kReplace[] = {{3, "Remove trailing spaces"}, {4, "Remove leading spaces"}};
constexpr BoxSpec kOutput[] = {
    {10, "Save as UNIX file"}, {11, "Save old date"}, {12, "Save old attributes"}};

}  // namespace

OptionsDialog::OptionsDialog(AppOptions& options, Configuration& config, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_options(options),
      m_config(config) {
  setObjectName(QStringLiteral("Options"));
  setWindowTitle(QStringLiteral("Options"));
  setModal(true);

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  auto addBoxes = [this](QWidget* page, QVBoxLayout* layout, const auto& specs) {
    for (const BoxSpec& entry : specs) {
      auto* box = new QCheckBox(QString::fromLatin1(entry.caption), page);
      box->setObjectName(QStringLiteral("CheckBox%1").arg(entry.n));
      const int n = entry.n;
      // toggled, not clicked: every change of state counts, however it is made.
      connect(box, &QCheckBox::toggled, this, [this, n](bool on) { CheckBoxChange(n, on); });
      m_boxes[size_t(n - 1)] = box;
      layout->addWidget(box);
    }
  };

  auto* general = new QWidget;
  general->setObjectName(QStringLiteral("TabSheet1"));
  auto* generalLayout = new QVBoxLayout(general);
  addBoxes(general, generalLayout, kGeneral);
  generalLayout->addStretch(1);
  PageControl1->addTab(general, QStringLiteral("General"));

  auto* replace = new QWidget;
  replace->setObjectName(QStringLiteral("TabSheet2"));
  auto* replaceLayout = new QVBoxLayout(replace);
  addBoxes(replace, replaceLayout, kReplace);
  auto* output = new QGroupBox(QStringLiteral("Output file"), replace);
  output->setObjectName(QStringLiteral("GroupBox1"));
  auto* outputLayout = new QVBoxLayout(output);
  addBoxes(output, outputLayout, kOutput);
  replaceLayout->addWidget(output);
  RadioButton2 =
      new QRadioButton(QStringLiteral("Process RTF files as rich text format files"), replace);
  RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
  RadioButton1 =
      new QRadioButton(QStringLiteral("Process RTF files as simple text files"), replace);
  RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
  connect(RadioButton2, &QRadioButton::toggled, this, &OptionsDialog::RadioButton2Change);
  replaceLayout->addWidget(RadioButton2);
  replaceLayout->addWidget(RadioButton1);
  replaceLayout->addStretch(1);
  PageControl1->addTab(replace, QStringLiteral("Replace"));

  auto* language = new QWidget;
  language->setObjectName(QStringLiteral("TabSheet3"));
  auto* languageLayout = new QVBoxLayout(language);
  Label1 = new QLabel(QStringLiteral("Language:"), language);
  Label1->setObjectName(QStringLiteral("Label1"));
  ComboBox1 = new QComboBox(language);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  ComboBox1->setAccessibleName(QStringLiteral("Language"));
  Label1->setBuddy(ComboBox1);
  languageLayout->addWidget(Label1);
  languageLayout->addWidget(ComboBox1);
  languageLayout->addStretch(1);
  PageControl1->addTab(language, QStringLiteral("Language"));

  OK = new QPushButton(QStringLiteral("OK"), this);
  OK->setObjectName(QStringLiteral("OK"));
  OK->setDefault(true);
  connect(OK, &QPushButton::clicked, this, &OptionsDialog::OKClick);
  Cancel = new QPushButton(QStringLiteral("Cancel"), this);
  Cancel->setObjectName(QStringLiteral("Cancel"));
  Cancel->setAutoDefault(false);
  connect(Cancel, &QPushButton::clicked, this, &OptionsDialog::CancelClick);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(OK);
  buttons->addWidget(Cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl1, 1);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  FormActivate();
}

void OptionsDialog::showEvent(QShowEvent* event) {
  FormActivate();
  QDialog::showEvent(event);
}

// Shows the live switches and takes the snapshot that Cancel returns to.
void OptionsDialog::FormActivate() {
  for (int n = 1; n <= 13; ++n) {
    const bool* on = switchOf(m_options, n);
    QSignalBlocker block(m_boxes[size_t(n - 1)]);
    m_boxes[size_t(n - 1)]->setChecked(on ? *on : m_config.ConfirmEveryReplacement());
    m_snapshot[size_t(n - 1)] = m_boxes[size_t(n - 1)]->isChecked();
  }
  QSignalBlocker rich(RadioButton2);
  QSignalBlocker plain(RadioButton1);
  (m_options.RtfAsRichText ? RadioButton2 : RadioButton1)->setChecked(true);
}

void OptionsDialog::CheckBoxChange(int n, bool on) {
  if (bool* target = switchOf(m_options, n)) {
    *target = on;
    return;
  }
  m_config.setConfirmEveryReplacement(on);
  emit confirmChanged();
}

void OptionsDialog::RadioButton2Change(bool on) {
  m_options.RtfAsRichText = on;
}

void OptionsDialog::OKClick() {
  accept();
}

void OptionsDialog::CancelClick() {
  reject();
}

// Cancel and Escape: each box goes back as an ordinary change, with the effects a change of it
// has.
void OptionsDialog::reject() {
  for (int n = 1; n <= 13; ++n) m_boxes[size_t(n - 1)]->setChecked(m_snapshot[size_t(n - 1)]);
  QDialog::reject();
}

void OptionsDialog::closeEvent(QCloseEvent* event) {
  // The title-bar close button keeps the changes, as OK does.
  event->accept();
  accept();
}

}  // namespace tw
