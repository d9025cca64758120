#include "ui/ResultsDialog.h"
#include "ui/QtText.h"
#include "ui/WidestRowDelegate.h"

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

}  // namespace

ResultsDialog::ResultsDialog(Prompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_prompts(prompts) {
  setObjectName(QStringLiteral("Form5"));
  setWindowTitle(QStringLiteral("Result"));
  setModal(true);
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  resize(kMinimumWidth, kMinimumHeight);
  setSizeGripEnabled(true);

  Label1 = new QLabel(QString::fromLatin1(kResultLabel), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label2 = new QLabel(this);
  Label2->setObjectName(QStringLiteral("Label2"));
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  Label3 = new QLabel(QStringLiteral("Files that could not be processed:"), this);
  Label3->setObjectName(QStringLiteral("Label3"));
  ListBox2 = new QListWidget(this);
  ListBox2->setObjectName(QStringLiteral("ListBox2"));
  for (QListWidget* list : {ListBox1, ListBox2}) {
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Long lines are shown whole; the list scrolls sideways to its widest line.
    list->setTextElideMode(Qt::ElideNone);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    new WidestRowDelegate(list);
  }
  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  Button2 = new QPushButton(QStringLiteral("Save results"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setAutoDefault(false);
  connect(Button2, &QPushButton::clicked, this, &ResultsDialog::Button2Click);
}

void ResultsDialog::showResults(const RunSummary& summary, const std::vector<FileEntry>& files) {
  m_summary = &summary;
  m_files = &files;
  FormActivate();
  FormResize();
  exec();
  m_summary = nullptr;
  m_files = nullptr;
}

void ResultsDialog::FormActivate() {
  ListBox1->clear();
  Label2->setText(fromStd(resultSummary(*m_summary)));
  // Each list is filled in one insertion, laid out and measured once.
  QStringList lines;
  lines.reserve(qsizetype(m_summary->ResultLines.size()));
  for (const std::string& line : m_summary->ResultLines) lines.append(fromStd(line));
  ListBox1->addItems(lines);
  ListBox2->clear();
  lines.clear();
  for (const FailedFile& failed : m_summary->FailedFiles) {
    lines.append(failed.path.empty()
                     ? fromStd(failed.reason)
                     : fromStd(failed.path) + QStringLiteral(" - ") + fromStd(failed.reason));
  }
  ListBox2->addItems(lines);
  const bool anyFailed = ListBox2->count() > 0;
  Label3->setVisible(anyFailed);
  ListBox2->setVisible(anyFailed);
}

void ResultsDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FormResize();
}

void ResultsDialog::FormResize() {
  const int w = width();
  const int h = height();
  const int labelHeight = Label1->sizeHint().height();
  Label1->setGeometry(8, 8, Label1->sizeHint().width(), labelHeight);
  Label2->setGeometry(8 + Label1->sizeHint().width(), 8, w - 16 - Label1->sizeHint().width(),
                      labelHeight);
  const int listTop = 8 + labelHeight + 6;
  const int listWidth = w - 19;
  // The result list ends 100 pixels above the window's bottom edge, less the room the
  // files that could not be processed take when there are any.
  const int failedRoom = ListBox2->isVisibleTo(this) ? kFailedListHeight + labelHeight + 8 : 0;
  const int listBottom = h - 100 + listTop;
  ListBox1->setGeometry(8, listTop, listWidth, std::max(40, listBottom - listTop - failedRoom));
  if (failedRoom) {
    const int top = ListBox1->geometry().bottom() + 5;
    Label3->setGeometry(8, top, listWidth, labelHeight);
    ListBox2->setGeometry(8, top + labelHeight + 3, listWidth, kFailedListHeight);
  }
  const int buttonTop = listBottom + 9;
  const int buttonWidth = std::max(90, Button2->sizeHint().width());
  Button1->setGeometry((listWidth - 38) / 2, buttonTop, buttonWidth, 25);
  Button2->setGeometry(Button1->x() - 12 - buttonWidth, buttonTop, buttonWidth, 25);
}

void ResultsDialog::Button2Click() {
  if (!m_summary || !m_files) return;
  SaveResults(m_prompts, *m_summary, *m_files);
}

}  // namespace tw
