#include "ui/OptionsDialog.h"

#include "lang/TextTable.h"
#include "ui/QtText.h"

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

enum class Place { General, Replace, Output };

// One switch of the dialog: the option it sets (none for "Confirm every replacement", the
// configuration's Confirm switch), the slot of its caption and where it is shown. A switch
// without a slot (0) has a built-in English caption that no language file changes, and a tool
// tip that says what it does.
struct Switch {
  bool AppOptions::*option;
  int slot;
  Place place;
  const char* caption = nullptr;
  const char* tip = nullptr;
};

// Top to bottom on their pages.
constexpr Switch kSwitchTable[] = {
    {&AppOptions::AutoSavePosition, 58, Place::General},
    {&AppOptions::LoadPreviousProject, 59, Place::General},
    {&AppOptions::ConfirmDeleteFile, 60, Place::General},
    {&AppOptions::ConfirmDeleteAllFiles, 61, Place::General},
    {&AppOptions::ConfirmDeletePair, 62, Place::General},
    {nullptr, 63, Place::General},
    {&AppOptions::ConfirmDeleteBackups, 64, Place::General},
    {&AppOptions::ConfirmOnExit, 65, Place::General},
    {&AppOptions::RemoveTrailingSpaces, 67, Place::Replace},
    {&AppOptions::RemoveLeadingSpaces, 68, Place::Replace},
    {&AppOptions::UnicodeLetters, 0, Place::Replace, "Unicode letters in case and whole words",
     "In UTF-8 and UTF-16 text, ignoring case covers every letter (Ä and ä, Σ and σ), whole "
     "words end at any punctuation, symbol or space, and a pattern's . takes one character. "
     "So does the text of RTF documents; Windows-1252 files keep the ASCII rules."},
    {&AppOptions::SaveAsUnix, 69, Place::Output},
    {&AppOptions::SaveOldDate, 70, Place::Output},
    {&AppOptions::SaveOldAttributes, 71, Place::Output},
};

QString captionOf(const Switch& entry) {
  return entry.slot != 0 ? builtinCaption(entry.slot) : QString::fromUtf8(entry.caption);
}

// The page captions, and the language page's label.
constexpr int kGeneralPageSlot = 57;
constexpr int kReplacePageSlot = 66;
constexpr int kLanguageSlot = 103;
constexpr int kRtfAsTextSlot = 101;
constexpr int kRtfAsRichTextSlot = 102;

}  // namespace

OptionsDialog::OptionsDialog(AppOptions& options, Configuration& config, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_options(options),
      m_config(config) {
  static_assert(std::size(kSwitchTable) == kSwitches);
  setObjectName(QStringLiteral("Options"));
  setWindowTitle(QStringLiteral("Options"));
  setModal(true);

  m_pages = new QTabWidget(this);
  auto* general = new QWidget;
  auto* generalLayout = new QVBoxLayout(general);
  auto* replace = new QWidget;
  auto* replaceLayout = new QVBoxLayout(replace);
  m_outputGroup = new QGroupBox(QStringLiteral("Output file"), replace);
  auto* outputLayout = new QVBoxLayout(m_outputGroup);
  for (size_t i = 0; i < kSwitches; ++i) {
    const Switch& entry = kSwitchTable[i];
    QVBoxLayout* layout = entry.place == Place::General   ? generalLayout
                          : entry.place == Place::Replace ? replaceLayout
                                                          : outputLayout;
    auto* box = new QCheckBox(captionOf(entry), layout->parentWidget());
    if (entry.tip) {
      box->setAccessibleName(box->text());
      const QString tip = QString::fromUtf8(entry.tip);
      // As rich text the tip wraps instead of running across the screen.
      box->setToolTip(QStringLiteral("<p>%1</p>").arg(tip.toHtmlEscaped()));
      box->setAccessibleDescription(tip);
    }
    // toggled, not clicked: every change of state counts, however it is made.
    connect(box, &QCheckBox::toggled, this, [this, i](bool on) { onSwitchToggled(i, on); });
    m_boxes[i] = box;
    layout->addWidget(box);
  }
  generalLayout->addStretch(1);
  m_pages->addTab(general, builtinCaption(kGeneralPageSlot));

  replaceLayout->addWidget(m_outputGroup);
  m_rtfAsRichText = new QRadioButton(builtinCaption(kRtfAsRichTextSlot), replace);
  m_rtfAsText = new QRadioButton(builtinCaption(kRtfAsTextSlot), replace);
  connect(m_rtfAsRichText, &QRadioButton::toggled, this,
          [this](bool on) { m_options.RtfAsRichText = on; });
  replaceLayout->addWidget(m_rtfAsRichText);
  replaceLayout->addWidget(m_rtfAsText);
  replaceLayout->addStretch(1);
  m_pages->addTab(replace, builtinCaption(kReplacePageSlot));

  auto* language = new QWidget;
  auto* languageLayout = new QVBoxLayout(language);
  m_languageLabel = new QLabel(builtinCaption(kLanguageSlot), language);
  m_languageList = new QComboBox(language);
  m_languageList->setAccessibleName(QStringLiteral("Language"));
  m_languageLabel->setBuddy(m_languageList);
  languageLayout->addWidget(m_languageLabel);
  languageLayout->addWidget(m_languageList);
  languageLayout->addStretch(1);
  m_pages->addTab(language, builtinCaption(kLanguageSlot));

  m_okButton = new QPushButton(QStringLiteral("OK"), this);
  m_okButton->setDefault(true);
  connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
  m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  m_cancelButton->setAutoDefault(false);
  connect(m_cancelButton, &QPushButton::clicked, this, &OptionsDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_okButton);
  buttons->addWidget(m_cancelButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pages, 1);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  showSwitches();
}

QCheckBox* OptionsDialog::box(bool AppOptions::*option) const {
  for (size_t i = 0; i < kSwitches; ++i)
    if (kSwitchTable[i].option == option) return m_boxes[i];
  return nullptr;
}

void OptionsDialog::applyTexts(const TextTable& texts) {
  auto text = [&texts](int slot) { return fromStd(texts.text(slot)); };
  for (size_t i = 0; i < kSwitches; ++i) {
    if (kSwitchTable[i].slot != 0) m_boxes[i]->setText(text(kSwitchTable[i].slot));
  }
  m_pages->setTabText(0, text(kGeneralPageSlot));
  m_pages->setTabText(1, text(kReplacePageSlot));
  m_pages->setTabText(2, text(kLanguageSlot));
  m_languageLabel->setText(text(kLanguageSlot));
  m_rtfAsText->setText(text(kRtfAsTextSlot));
  m_rtfAsRichText->setText(text(kRtfAsRichTextSlot));
}

void OptionsDialog::showEvent(QShowEvent* event) {
  showSwitches();
  QDialog::showEvent(event);
}

void OptionsDialog::showSwitches() {
  for (size_t i = 0; i < kSwitches; ++i) {
    const auto option = kSwitchTable[i].option;
    QSignalBlocker block(m_boxes[i]);
    m_boxes[i]->setChecked(option ? m_options.*option : m_config.ConfirmEveryReplacement());
    m_snapshot[i] = m_boxes[i]->isChecked();
  }
  QSignalBlocker rich(m_rtfAsRichText);
  QSignalBlocker plain(m_rtfAsText);
  (m_options.RtfAsRichText ? m_rtfAsRichText : m_rtfAsText)->setChecked(true);
}

void OptionsDialog::onSwitchToggled(size_t which, bool on) {
  if (const auto option = kSwitchTable[which].option) {
    m_options.*option = on;
    return;
  }
  m_config.setConfirmEveryReplacement(on);
  emit confirmChanged();
}

// Cancel and Escape: each box goes back as an ordinary change, with the effects a change of it
// has.
void OptionsDialog::reject() {
  for (size_t i = 0; i < kSwitches; ++i) m_boxes[i]->setChecked(m_snapshot[i]);
  QDialog::reject();
}

void OptionsDialog::closeEvent(QCloseEvent* event) {
  // The title-bar close button keeps the changes, as OK does.
  event->accept();
  accept();
}

}  // namespace tw
