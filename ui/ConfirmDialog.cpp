#include "ui/ConfirmDialog.h"
#include "ui/ElidedLabel.h"
#include "ui/QtText.h"

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

struct ButtonSpec {
  const char* name;
  const char* caption;
  ConfirmDecision answer;
};

// Top to bottom, with the captions of the built-in text table.
constexpr ButtonSpec kButtons[ConfirmDialog::kButtonCount] = {
    {"Button1", "Repalce this occurence", ConfirmDecision::ReplaceThis},
    {"Button5", "Replace All in THIS file", ConfirmDecision::ReplaceAllInFile},
    {"Button2", "Replace All in All files", ConfirmDecision::ReplaceAllFiles},
    {"Button3", "Skip this occurence", ConfirmDecision::SkipThis},
    {"Button6", "Skip All in THIS file", ConfirmDecision::SkipAllInFile},
    {"Button4", "Skip all in ALL files", ConfirmDecision::SkipAllFiles},
};

}  // namespace

ConfirmDecision ConfirmDialog::answerOf(int topToBottom) {
  return kButtons[topToBottom].answer;
}

ConfirmDialog::ConfirmDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Confirm replacement"));
  setModal(true);

  auto* info = new QGroupBox(QStringLiteral("Replacement information "), this);
  info->setObjectName(QStringLiteral("GroupBox1"));
  m_fileLine = new QLabel(info);
  m_fileLine->setObjectName(QStringLiteral("Label1"));
  m_findLine = new QLabel(info);
  m_findLine->setObjectName(QStringLiteral("Label2"));
  m_replaceLine = new QLabel(info);
  m_replaceLine->setObjectName(QStringLiteral("Label3"));
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
  m_text = new QTextEdit(this);
  m_text->setObjectName(QStringLiteral("RichEdit1"));
  m_text->setReadOnly(true);
  m_text->setLineWrapMode(QTextEdit::NoWrap);
  m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_text->setMinimumSize(380, 180);
  // The selected occurrence keeps its red: the selection only lays a light background
  // under it, whether or not the view has the focus.
  QPalette palette = m_text->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Highlight, QColor(255, 236, 150));
    palette.setColor(group, QPalette::HighlightedText, Qt::red);
  }
  m_text->setPalette(palette);
  textCaption->setBuddy(m_text);

  auto* left = new QVBoxLayout;
  left->addWidget(info);
  left->addWidget(textCaption);
  left->addWidget(m_text, 1);

  auto* right = new QVBoxLayout;
  for (int i = 0; i < kButtonCount; ++i) {
    auto* b = new QPushButton(QString::fromLatin1(kButtons[i].caption), this);
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
  m_text->clear();
  QTextCursor cursor(m_text->document());
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
  QTextCursor cursor(m_text->document());
  cursor.setPosition(m_selectionStart);
  cursor.setPosition(m_selectionStart + m_selectionLength, QTextCursor::KeepAnchor);
  m_text->setTextCursor(cursor);
  m_text->ensureCursorVisible();
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
