#include "ui/TipsDialog.h"

#include "config/Settings.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QVBoxLayout>

namespace tw {

const std::array<QString, TipsDialog::kTipCount>& TipsDialog::tips() {
  static const std::array<QString, kTipCount> kTips = {
      QStringLiteral("You can double-click a file in the file list to open it with a program "
                     "associated with it"),
      QStringLiteral("You can drag and drop search and replace strings in the strings list"),
      QStringLiteral("Don't forget to check ") + QString::fromLatin1(kHomePageAddress) +
          QStringLiteral(" for new updates of the Textwright and other programs. There might "
                         "be a newer version available !"),
      QStringLiteral("You can right-click on the file in the file list to open the pop-up menu"),
      QStringLiteral("You can uncheck the file in the file list. In this way replacements "
                     "won't take palce in it"),
      QStringLiteral("To preview the file int the internal text editor, select the file and "
                     "press the \"Edit file\" buton"),
      QStringLiteral("You can save the replacement results in the text or HTML file. To do "
                     "this press \"Save\" button after the replacement process"),
      QStringLiteral("To restore the changes you've made in files select the menu item Backup "
                     "Files->Restore Backup Files"),
      QStringLiteral("You can clear, load from file and save to clipboard the contents of the "
                     "find and replace strings. To do it, press the button near the edit "
                     "string window and choose the apropriate item from the pop-up menu"),
      QStringLiteral("You can save output files as Unix files. To do this, choose the "
                     "corresponded item in the options page"),
      QStringLiteral("You can use the %anything% script to replace the whole tags in the HTML "
                     "documents"),
      QStringLiteral("To preview the file int the internal HTML browser, select the file and "
                     "press the \"Browse file\" buton"),
      QStringLiteral("Regular expressions is a powerful search tool. But you should use it "
                     "carefull and always create backup files"),
      QStringLiteral("The Textwright can Save window size and position on exit and reload it "
                     "next time the program starts"),
      QStringLiteral("You can cancel the replacement process at any time clicking the "
                     "\"Cancel\" button"),
      QStringLiteral("If you want to confirm all replacements in files, mark the Confirm every "
                     "replacement checkbox"),
      QStringLiteral("Don't forget to save your configuration files. It will save you a lot "
                     "of time!"),
      QStringLiteral("If you are in Edit or Browse mode you can not quit the Textwright. To "
                     "finish the program you should close the Edit or Browse mode first"),
      QStringLiteral("If you have any suggestions or questions, feel free to ask them: ") +
          QString::fromLatin1(kSupportAddress),
      QStringLiteral("To remove file from the file list or string from the strings list, "
                     "simply select it and press the Delete button"),
  };
  return kTips;
}

TipsDialog::TipsDialog(SettingsStore& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_settings(settings) {
  setObjectName(QStringLiteral("TipsDialog"));
  setWindowTitle(QStringLiteral("Tip of the Day"));

  // The tip stands on a panel in the tool-tip colours, with a small picture at its side.
  auto* tipPanel = new QWidget(this);
  tipPanel->setAutoFillBackground(true);
  QPalette tipColours = tipPanel->palette();
  tipColours.setColor(QPalette::Window, palette().color(QPalette::ToolTipBase));
  tipColours.setColor(QPalette::WindowText, palette().color(QPalette::ToolTipText));
  tipPanel->setPalette(tipColours);
  auto* tipIcon = new QLabel(tipPanel);
  tipIcon->setPixmap(QIcon::fromTheme(QStringLiteral("dialog-information")).pixmap(32, 32));
  tipIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  tipIcon->setAccessibleName(QStringLiteral("Tip"));
  tipPanel->setAccessibleName(QStringLiteral("Tip of the Day"));
  auto* headingLabel = new QLabel(QStringLiteral("Did you know..."), tipPanel);
  QFont heading = headingLabel->font();
  heading.setBold(true);
  heading.setPointSizeF(heading.pointSizeF() * 1.2);
  headingLabel->setFont(heading);
  m_tipText = new QLabel(tipPanel);
  m_tipText->setWordWrap(true);
  m_tipText->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  m_tipText->setTextFormat(Qt::PlainText);
  m_tipText->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* text = new QVBoxLayout;
  text->addWidget(headingLabel);
  text->addWidget(m_tipText, 1);
  auto* panel = new QHBoxLayout(tipPanel);
  panel->addWidget(tipIcon, 0, Qt::AlignTop);
  panel->addLayout(text, 1);

  m_showAtStartup = new QCheckBox(QStringLiteral("Show tips at startup"), this);
  auto button = [this](const QString& caption, const char* name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  m_nextButton = button(QStringLiteral("Next tip"), "m_nextButton");
  m_previousButton = button(QStringLiteral("Previous tip"), "m_previousButton");
  m_okButton = button(QStringLiteral("OK"), "m_okButton");
  m_okButton->setDefault(true);
  connect(m_nextButton, &QPushButton::clicked, this, &TipsDialog::onNextTip);
  connect(m_previousButton, &QPushButton::clicked, this, &TipsDialog::onPreviousTip);
  connect(m_okButton, &QPushButton::clicked, this, &TipsDialog::onOk);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_showAtStartup);
  buttons->addStretch(1);
  buttons->addWidget(m_previousButton);
  buttons->addWidget(m_nextButton);
  buttons->addWidget(m_okButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tipPanel, 1);
  layout->addLayout(buttons);

  // Wide enough for the buttons in the desktop's font, never smaller than the window's own
  // size; the tip wraps inside.
  setMinimumSize(364, 199);
  resize(std::max(364, sizeHint().width()), 199);
  setFixedSize(size());

  m_showAtStartup->setChecked(settings::readShowTips(m_settings));
  showTip(int(QRandomGenerator::global()->bounded(kTipCount)));
}

void TipsDialog::showTip(int index) {
  m_index = ((index % kTipCount) + kTipCount) % kTipCount;
  m_tipText->setText(tips()[size_t(m_index)]);
  m_tipText->setAccessibleName(tips()[size_t(m_index)]);
}

void TipsDialog::onNextTip() {
  showTip(m_index == kTipCount - 1 ? 0 : m_index + 1);
}

void TipsDialog::onPreviousTip() {
  showTip(m_index == 0 ? kTipCount - 1 : m_index - 1);
}

void TipsDialog::onOk() {
  m_settings.writeInteger(settings::kTips, m_showAtStartup->isChecked() ? 1 : 0);
  accept();
}

}  // namespace tw
