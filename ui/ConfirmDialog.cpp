#include "ui/ConfirmDialog.h"
#include "ui/ElidedLabel.h"
#include "ui/QtText.h"

#include "lang/TextTable.h"
#include "platform/FileIo.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

namespace tw {

namespace {

QString shown(std::string_view bytes) {
  QString s = fromStd(bytes);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

struct ButtonLayout {
  const char* name;
  int slot;
  ConfirmDecision answer;
};

// Top to bottom, with the slots of their captions.
constexpr ButtonLayout kButtons[ConfirmDialog::kButtonCount] = {
    {"replaceThisButton", 93, ConfirmDecision::ReplaceThis},
    {"replaceAllInFileButton", 97, ConfirmDecision::ReplaceAllInFile},
    {"replaceAllFilesButton", 95, ConfirmDecision::ReplaceAllFiles},
    {"skipThisButton", 94, ConfirmDecision::SkipThis},
    {"skipAllInFileButton", 98, ConfirmDecision::SkipAllInFile},
    {"skipAllFilesButton", 96, ConfirmDecision::SkipAllFiles},
};

// The slots of the three lines' captions, shown until the first question fills them.
constexpr int kFileSlot = 2;
constexpr int kFindSlot = 39;
constexpr int kReplaceSlot = 40;

}  // namespace

ConfirmDecision ConfirmDialog::answerOf(int topToBottom) {
  return kButtons[topToBottom].answer;
}

ConfirmDialog::ConfirmDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("ConfirmDialog"));
  setWindowTitle(QStringLiteral("Confirm replacement"));
  setModal(true);

  auto* info = new QGroupBox(QStringLiteral("Replacement information "), this);
  info->setObjectName(QStringLiteral("occurrence"));
  m_fileLine = new QLabel(builtinCaption(kFileSlot), info);
  m_fileLine->setObjectName(QStringLiteral("fileLine"));
  m_findLine = new QLabel(builtinCaption(kFindSlot), info);
  m_findLine->setObjectName(QStringLiteral("findLine"));
  m_replaceLine = new QLabel(builtinCaption(kReplaceSlot), info);
  m_replaceLine->setObjectName(QStringLiteral("replaceLine"));
  for (QLabel* line : {m_fileLine, m_findLine, m_replaceLine}) {
    line->setTextFormat(Qt::PlainText);
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  // Long texts are cut to this width rather than widening the dialog past the screen.
  for (QLabel* line : {m_fileLine, m_findLine, m_replaceLine}) line->setFixedWidth(360);
  auto* infoLayout = new QVBoxLayout(info);
  infoLayout->addWidget(m_fileLine);
  infoLayout->addWidget(m_findLine);
  infoLayout->addWidget(m_replaceLine);

  auto* textCaption = new QLabel(QStringLiteral("Text:"), this);
  m_excerptView = new QTextEdit(this);
  m_excerptView->setObjectName(QStringLiteral("excerpt"));
  m_excerptView->setReadOnly(true);
  m_excerptView->setLineWrapMode(QTextEdit::NoWrap);
  m_excerptView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_excerptView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_excerptView->setMinimumSize(380, 180);
  // The selected occurrence keeps its red: the selection only lays a light background
  // under it, whether or not the view has the focus.
  QPalette palette = m_excerptView->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Highlight, QColor(255, 236, 150));
    palette.setColor(group, QPalette::HighlightedText, Qt::red);
  }
  m_excerptView->setPalette(palette);
  textCaption->setBuddy(m_excerptView);

  auto* left = new QVBoxLayout;
  left->addWidget(info);
  left->addWidget(textCaption);
  left->addWidget(m_excerptView, 1);

  auto* right = new QVBoxLayout;
  for (int i = 0; i < kButtonCount; ++i) {
    auto* b = new QPushButton(builtinCaption(kButtons[i].slot), this);
    b->setObjectName(QString::fromLatin1(kButtons[i].name));
    b->setAutoDefault(false);
    const ConfirmDecision decision = kButtons[i].answer;
    connect(b, &QPushButton::clicked, this, [this, decision] { answer(decision); });
    m_buttons[i] = b;
    right->addWidget(b);
    if (i == 2) right->addSpacing(12);  // the replacing answers above, the skipping below
  }
  m_buttons[0]->setDefault(true);
  right->addStretch(1);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(right);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ConfirmDialog::applyTexts(const TextTable& table) {
  m_fileLine->setText(fromStd(table.text(kFileSlot)));
  m_findLine->setText(fromStd(table.text(kFindSlot)));
  m_replaceLine->setText(fromStd(table.text(kReplaceSlot)));
  for (int i = 0; i < kButtonCount; ++i)
    m_buttons[i]->setText(fromStd(table.text(kButtons[i].slot)));
}

ConfirmDecision ConfirmDialog::ask(const ConfirmRequest& request) {
  setElidedText(m_fileLine, QStringLiteral("File : "), fromStd(platform::fileNameOf(request.path)),
                Qt::ElideMiddle);
  setElidedText(m_findLine, QStringLiteral("Find : "), shown(request.find));
  setElidedText(m_replaceLine, QStringLiteral("Replace with : "), shown(request.replace));
  setExcerpt(request);
  m_answer = ConfirmDecision::SkipThis;
  exec();
  return m_answer;
}

// The excerpt goes in as three pieces, so the occurrence keeps its place whatever the view
// makes of line ends and multi-byte characters: before, the occurrence, after.
void ConfirmDialog::setExcerpt(const ConfirmRequest& request) {
  const std::string_view excerpt = request.excerpt;
  const size_t start =
      std::min(size_t(std::max<int64_t>(0, request.occurrenceStart)), excerpt.size());
  const size_t length =
      std::min(size_t(std::max<int64_t>(0, request.occurrenceLength)), excerpt.size() - start);
  m_excerptView->clear();
  QTextCursor cursor(m_excerptView->document());
  QTextCharFormat normal;
  cursor.insertText(shown(excerpt.substr(0, start)), normal);
  m_selectionStart = cursor.position();
  QTextCharFormat occurrence;
  occurrence.setForeground(Qt::red);
  occurrence.setFontWeight(QFont::Bold);
  occurrence.setFontUnderline(true);
  occurrence.setFontPointSize(10);
  cursor.insertText(shown(excerpt.substr(start, length)), occurrence);
  m_selectionLength = cursor.position() - m_selectionStart;
  cursor.insertText(shown(excerpt.substr(start + length)), normal);
}

void ConfirmDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Enter replaces this occurrence; the occurrence is selected and scrolled into view.
  m_buttons[0]->setFocus();
  QTextCursor cursor(m_excerptView->document());
  cursor.setPosition(m_selectionStart);
  cursor.setPosition(m_selectionStart + m_selectionLength, QTextCursor::KeepAnchor);
  m_excerptView->setTextCursor(cursor);
  m_excerptView->ensureCursorVisible();
}

void ConfirmDialog::answer(ConfirmDecision decision) {
  m_answer = decision;
  accept();
}

void ConfirmDialog::reject() {
  answer(ConfirmDecision::SkipThis);
}

void ConfirmDialog::closeEvent(QCloseEvent* event) {
  m_answer = ConfirmDecision::SkipThis;
  QDialog::closeEvent(event);
}

}  // namespace tw
