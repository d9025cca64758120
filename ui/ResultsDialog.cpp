#include "ui/ResultsDialog.h"
#include "ui/QtText.h"
#include "ui/WidestRowDelegate.h"

#include "lang/TextTable.h"
#include "report/Report.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>

namespace tw {

namespace {

constexpr int kMinimumWidth = 412;
constexpr int kMinimumHeight = 275;
constexpr int kFailedListHeight = 70;
constexpr int kSaveResultsSlot = 82;

struct SectionLayout {
  FailedFile::Kind kind;
  const char* name;
  const char* caption;
};

// Top to bottom.
constexpr SectionLayout kSections[] = {
    {FailedFile::Kind::Failed, "failedList", "Files that could not be processed:"},
    {FailedFile::Kind::Refused, "refusedList", "RTF files in which occurrences were left alone:"},
    {FailedFile::Kind::Notice, "noticeList", "Notes on processed files:"},
};

// A list of one-line texts that scrolls sideways to its widest line.
QListWidget* makeList(QWidget* parent, const char* name, const QString& accessibleName) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setAccessibleName(accessibleName);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Long lines are shown whole; the list scrolls sideways to its widest line.
  list->setTextElideMode(Qt::ElideNone);
  list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  new WidestRowDelegate(list);
  return list;
}

}  // namespace

ResultsDialog::ResultsDialog(Prompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_prompts(prompts) {
  setObjectName(QStringLiteral("ResultsDialog"));
  setWindowTitle(QStringLiteral("Result"));
  setModal(true);
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  resize(kMinimumWidth, kMinimumHeight);
  setSizeGripEnabled(true);

  m_resultLabel = new QLabel(QString::fromLatin1(kResultLabel), this);
  m_resultLabel->setObjectName(QStringLiteral("resultLine"));
  m_summaryLabel = new QLabel(this);
  m_summaryLabel->setObjectName(QStringLiteral("summaryLine"));
  m_resultList = makeList(this, "resultList", QStringLiteral("Files with replacements"));
  for (size_t i = 0; i < m_sections.size(); ++i) {
    const SectionLayout& entry = kSections[i];
    Section& section = m_sections[i];
    section.kind = entry.kind;
    section.caption = new QLabel(QString::fromLatin1(entry.caption), this);
    QString accessible = section.caption->text();
    accessible.chop(1);  // the colon
    section.list = makeList(this, entry.name, accessible);
    section.caption->setBuddy(section.list);
  }
  m_sections[0].caption->setObjectName(QStringLiteral("failedCaption"));
  m_okButton = new QPushButton(QStringLiteral("OK"), this);
  m_okButton->setObjectName(QStringLiteral("okButton"));
  m_okButton->setDefault(true);
  connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
  m_saveButton = new QPushButton(builtinCaption(kSaveResultsSlot), this);
  m_saveButton->setObjectName(QStringLiteral("saveButton"));
  m_saveButton->setAutoDefault(false);
  connect(m_saveButton, &QPushButton::clicked, this, &ResultsDialog::onSaveResults);
}

void ResultsDialog::applyTexts(const TextTable& table) {
  m_saveButton->setText(fromStd(table.text(kSaveResultsSlot)));
}

const ResultsDialog::Section& ResultsDialog::sectionOf(FailedFile::Kind kind) const {
  for (const Section& section : m_sections)
    if (section.kind == kind) return section;
  return m_sections[0];
}

void ResultsDialog::showResults(const RunSummary& summary, const std::vector<FileEntry>& files) {
  m_summary = &summary;
  m_files = &files;
  fillLists();
  layOutControls();
  exec();
  m_summary = nullptr;
  m_files = nullptr;
}

void ResultsDialog::fillLists() {
  m_resultList->clear();
  m_summaryLabel->setText(fromStd(resultSummary(*m_summary)));
  // Each list is filled in one insertion, laid out and measured once.
  QStringList lines;
  lines.reserve(qsizetype(m_summary->ResultLines.size()));
  for (const std::string& line : m_summary->ResultLines) lines.append(fromStd(line));
  m_resultList->addItems(lines);
  int shown = 0;
  for (Section& section : m_sections) {
    section.list->clear();
    lines.clear();
    for (const FailedFile& failed : m_summary->FailedFiles) {
      if (failed.kind != section.kind) continue;
      lines.append(failed.path.empty()
                       ? fromStd(failed.reason)
                       : fromStd(failed.path) + QStringLiteral(" - ") + fromStd(failed.reason));
    }
    section.list->addItems(lines);
    const bool any = !lines.isEmpty();
    section.caption->setVisible(any);
    section.list->setVisible(any);
    shown += any ? 1 : 0;
  }
  // Each list below the first takes room of its own: the window grows for it.
  const int sectionHeight = kFailedListHeight + m_resultLabel->sizeHint().height() + 8;
  setMinimumHeight(kMinimumHeight + std::max(0, shown - 1) * sectionHeight);
}

void ResultsDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  layOutControls();
}

void ResultsDialog::layOutControls() {
  const int w = width();
  const int h = height();
  const int labelHeight = m_resultLabel->sizeHint().height();
  const int labelWidth = m_resultLabel->sizeHint().width();
  m_resultLabel->setGeometry(8, 8, labelWidth, labelHeight);
  m_summaryLabel->setGeometry(8 + labelWidth, 8, w - 16 - labelWidth, labelHeight);
  const int listTop = 8 + labelHeight + 6;
  const int listWidth = w - 19;
  // The result list ends 100 pixels above the window's bottom edge, less the room the lists
  // below it take when there are any.
  const int sectionHeight = kFailedListHeight + labelHeight + 8;
  int shown = 0;
  for (const Section& section : m_sections) shown += section.list->isVisibleTo(this) ? 1 : 0;
  const int listBottom = h - 100 + listTop;
  m_resultList->setGeometry(8, listTop, listWidth,
                            std::max(40, listBottom - listTop - shown * sectionHeight));
  int top = m_resultList->geometry().bottom() + 5;
  for (const Section& section : m_sections) {
    if (!section.list->isVisibleTo(this)) continue;
    section.caption->setGeometry(8, top, listWidth, labelHeight);
    section.list->setGeometry(8, top + labelHeight + 3, listWidth, kFailedListHeight);
    top += sectionHeight;
  }
  const int buttonTop = listBottom + 9;
  const int buttonWidth = std::max(90, m_saveButton->sizeHint().width());
  m_okButton->setGeometry((listWidth - 38) / 2, buttonTop, buttonWidth, 25);
  m_saveButton->setGeometry(m_okButton->x() - 12 - buttonWidth, buttonTop, buttonWidth, 25);
}

void ResultsDialog::onSaveResults() {
  if (!m_summary || !m_files) return;
  SaveResults(m_prompts, *m_summary, *m_files);
}

}  // namespace tw
