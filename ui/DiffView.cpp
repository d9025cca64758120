#include "ui/DiffView.h"

#include "ui/QtText.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include <algorithm>
#include <utility>
#include <vector>

namespace tw {

namespace {

enum Column { kLineColumn, kSignColumn, kTextColumn, kColumnCount };

// The highlighted stretches of a shown line, as [begin, end) positions in its QString.
constexpr int kMarksRole = Qt::UserRole + 1;
// The row's kind (DiffRow::Kind), on every column.
constexpr int kKindRole = Qt::UserRole + 2;
// The occurrence a tick box stands for, on the line column of a row with one.
constexpr int kOccurrenceRole = Qt::UserRole + 3;

// The most occurrences of one line given rows of their own; the rest are chosen with the file.
constexpr size_t kMostOccurrenceRows = 1000;

using Marks = std::vector<std::pair<int64_t, int64_t>>;

// Where the shown text of a line starts, in UTF-16 units, for each byte offset into it.
qsizetype unitsBefore(std::string_view text, int64_t offset) {
  qsizetype units = 0;
  const auto end = static_cast<size_t>(std::clamp<int64_t>(offset, 0, int64_t(text.size())));
  for (size_t i = 0; i < end; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

// A line as the view shows it: all of it, or for a long line the stretch around its first
// highlight with "…" where it was cut; the marks moved to match.
struct ShownLine {
  QString text;
  QVariantList marks;
};

ShownLine shownLine(std::string_view text, const Marks& marks) {
  int64_t from = 0;
  int64_t to = static_cast<int64_t>(text.size());
  if (to > DiffView::kLongestShown) {
    const int64_t first = marks.empty() ? 0 : marks.front().first;
    from = std::max<int64_t>(0, first - DiffView::kLongestShown / 5);
    // Not inside a character.
    while (from > 0 && (static_cast<unsigned char>(text[size_t(from)]) & 0xC0) == 0x80) --from;
    to = std::min<int64_t>(to, from + DiffView::kLongestShown);
    while (to < int64_t(text.size()) &&
           (static_cast<unsigned char>(text[size_t(to)]) & 0xC0) == 0x80)
      ++to;
  }
  const std::string_view part = text.substr(size_t(from), size_t(to - from));
  ShownLine shown;
  const QString lead = from > 0 ? QStringLiteral("…") : QString();
  shown.text = lead + fromStd(part);
  if (to < int64_t(text.size())) shown.text += QStringLiteral("…");
  for (const auto& [begin, end] : marks) {
    if (end <= from || begin >= to) continue;
    const qsizetype b = lead.size() + unitsBefore(part, begin - from);
    const qsizetype e = lead.size() + unitsBefore(part, std::min(end, to) - from);
    if (e > b) shown.marks.push_back(QPoint(int(b), int(e)));
  }
  return shown;
}

QColor tint(const QColor& color, int alpha) {
  QColor tinted = color;
  tinted.setAlpha(alpha);
  return tinted;
}

// The colours of a kind of row: its background and its highlights. See-through, so that they
// read on light and dark themes alike.
QColor rowBackground(DiffRow::Kind kind) {
  switch (kind) {
    case DiffRow::Kind::Removed:
      return tint(QColor(220, 40, 40), 34);
    case DiffRow::Kind::Added:
      return tint(QColor(30, 170, 60), 34);
    default:
      return {};
  }
}
QColor markBackground(DiffRow::Kind kind) {
  switch (kind) {
    case DiffRow::Kind::Removed:
      return tint(QColor(220, 40, 40), 110);
    case DiffRow::Kind::Added:
      return tint(QColor(30, 170, 60), 110);
    default:
      return tint(QColor(230, 180, 0), 110);  // an occurrence left as it is
  }
}

QString signOf(DiffRow::Kind kind) {
  switch (kind) {
    case DiffRow::Kind::Removed:
      return QStringLiteral("−");
    case DiffRow::Kind::Added:
      return QStringLiteral("+");
    case DiffRow::Kind::Gap:
      return QStringLiteral("⋯");
    default:
      return {};
  }
}

QString spokenKind(DiffRow::Kind kind) {
  switch (kind) {
    case DiffRow::Kind::Removed:
      return QStringLiteral("before");
    case DiffRow::Kind::Added:
      return QStringLiteral("after");
    case DiffRow::Kind::Gap:
      return QStringLiteral("lines left out");
    default:
      return QStringLiteral("unchanged");
  }
}

// Draws a line's text with its highlights.
class MarkedTextDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const auto kind = static_cast<DiffRow::Kind>(index.data(kKindRole).toInt());
    QList<QTextLayout::FormatRange> formats;
    for (const QVariant& mark : index.data(kMarksRole).toList()) {
      const QPoint range = mark.toPoint();
      QTextLayout::FormatRange format;
      format.start = range.x();
      format.length = range.y() - range.x();
      format.format.setBackground(markBackground(kind));
      if (kind == DiffRow::Kind::Removed) format.format.setFontStrikeOut(true);
      formats.push_back(format);
    }
    QTextLayout layout(text, opt.font);
    layout.setFormats(formats);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(textOption);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    painter->save();
    painter->setClipRect(area);
    painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                         : QPalette::Text));
    layout.draw(painter,
                QPointF(area.left() + 3, area.top() + (area.height() - line.height()) / 2));
    painter->restore();
  }
};

}  // namespace

DiffView::DiffView(QWidget* parent) : QTreeView(parent), m_model(new QStandardItemModel(this)) {
  setObjectName(QStringLiteral("DiffView"));
  setAccessibleName(QStringLiteral("Changes in the selected file"));
  m_model->setHorizontalHeaderLabels({QStringLiteral("Line"), QString(), QStringLiteral("Text")});
  setModel(m_model);
  setItemDelegateForColumn(kTextColumn, new MarkedTextDelegate(this));
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTextElideMode(Qt::ElideNone);
  header()->setStretchLastSection(true);
  header()->setSectionResizeMode(kSignColumn, QHeaderView::Fixed);
  header()->resizeSection(kSignColumn, 24);
  connect(m_model, &QStandardItemModel::itemChanged, this, &DiffView::onItemChanged);
}

void DiffView::showNote(const QString& note) {
  m_filling = true;
  m_model->removeRows(0, m_model->rowCount());
  auto* item = new QStandardItem(note);
  item->setEditable(false);
  m_model->appendRow({new QStandardItem(), new QStandardItem(), item});
  m_filling = false;
}

void DiffView::showChanges(const FileChanges& changes) {
  m_filling = true;
  m_model->removeRows(0, m_model->rowCount());
  auto cell = [](const QString& text, DiffRow::Kind kind) {
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    item->setData(int(kind), kKindRole);
    if (const QColor background = rowBackground(kind); background.isValid())
      item->setBackground(background);
    return item;
  };
  auto tickBox = [&changes](QStandardItem* item, size_t occurrence) {
    item->setCheckable(true);
    item->setCheckState(changes.occurrences[occurrence].replaced ? Qt::Checked : Qt::Unchecked);
    item->setData(qulonglong(occurrence), kOccurrenceRole);
  };
  int longestNumber = 1;
  for (const DiffRow& row : changes.rows) {
    const QString number = row.kind == DiffRow::Kind::Gap ? QString() : QString::number(row.number);
    longestNumber = std::max(longestNumber, int(number.size()));
    QStandardItem* numberItem = cell(number, row.kind);
    numberItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const ShownLine shown = shownLine(row.text, row.marks);
    QStandardItem* textItem = cell(shown.text, row.kind);
    textItem->setData(shown.marks, kMarksRole);
    textItem->setData(
        QStringLiteral("Line %1, %2: %3").arg(number, spokenKind(row.kind), shown.text),
        Qt::AccessibleTextRole);
    textItem->setToolTip(shown.text.size() > 200 ? QString() : shown.text);
    QList<QStandardItem*> items{numberItem, cell(signOf(row.kind), row.kind), textItem};
    const bool choosable = changes.choosable && !row.occurrences.empty() &&
                           row.kind != DiffRow::Kind::Added && row.kind != DiffRow::Kind::Gap;
    if (choosable && row.occurrences.size() == 1) {
      tickBox(numberItem, row.occurrences.front());
    } else if (choosable) {
      // One row per occurrence under the line, each with the line and its own occurrence marked.
      numberItem->setCheckable(true);
      numberItem->setAutoTristate(true);
      const size_t shownCount = std::min(row.occurrences.size(), kMostOccurrenceRows);
      for (size_t i = 0; i < shownCount; ++i) {
        const size_t occurrence = row.occurrences[i];
        const PreviewOccurrence& found = changes.occurrences[occurrence];
        const Marks own{row.occurrenceMarks[i]};
        const ShownLine line = shownLine(row.text, own);
        QStandardItem* tick = cell(QString(), row.kind);
        tickBox(tick, occurrence);
        QStandardItem* text = cell(line.text, row.kind);
        text->setData(line.marks, kMarksRole);
        text->setData(QStringLiteral("Occurrence %1 of line %2: %3")
                          .arg(i + 1)
                          .arg(found.line)
                          .arg(line.text),
                      Qt::AccessibleTextRole);
        numberItem->appendRow({tick, cell(QString(), row.kind), text});
      }
      if (shownCount < row.occurrences.size()) {
        numberItem->appendRow(
            {cell(QString(), row.kind), cell(QString(), row.kind),
             cell(QStringLiteral("%1 more occurrences on this line follow the file's tick box")
                      .arg(row.occurrences.size() - shownCount),
                  DiffRow::Kind::Gap)});
      }
    }
    m_model->appendRow(items);
  }
  expandAll();
  resizeColumnToContents(kLineColumn);
  header()->resizeSection(
      kLineColumn, std::max(header()->sectionSize(kLineColumn),
                            fontMetrics().horizontalAdvance(QString(longestNumber + 3, '0'))));
  m_filling = false;
}

void DiffView::keyPressEvent(QKeyEvent* event) {
  const QModelIndex current = currentIndex();
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && current.isValid()) {
    QStandardItem* tick = m_model->itemFromIndex(current.siblingAtColumn(kLineColumn));
    if (tick && tick->isCheckable() && tick->isEnabled()) {
      tick->setCheckState(tick->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
      return;
    }
  }
  QTreeView::keyPressEvent(event);
}

QStandardItem* DiffView::occurrenceItem(size_t index) const {
  std::vector<QStandardItem*> pending;
  for (int row = 0; row < m_model->rowCount(); ++row) pending.push_back(m_model->item(row));
  while (!pending.empty()) {
    QStandardItem* item = pending.back();
    pending.pop_back();
    const QVariant occurrence = item->data(kOccurrenceRole);
    if (occurrence.isValid() && occurrence.toULongLong() == index) return item;
    for (int row = 0; row < item->rowCount(); ++row) pending.push_back(item->child(row));
  }
  return nullptr;
}

void DiffView::onItemChanged(QStandardItem* item) {
  if (m_filling) return;
  const QVariant occurrence = item->data(kOccurrenceRole);
  if (!occurrence.isValid() || item->checkState() == Qt::PartiallyChecked) return;
  emit occurrenceToggled(size_t(occurrence.toULongLong()), item->checkState() == Qt::Checked);
}

}  // namespace tw
