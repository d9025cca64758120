#include "ui/WidestRowDelegate.h"

#include <QFontMetricsF>
#include <QListView>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

namespace tw {

namespace {

// How many rows, the widest by the estimate, are measured as they are drawn.
constexpr size_t kMeasuredRows = 8;

// Below this code point every character is one glyph of its own advance (Latin, Latin-1,
// Latin Extended, IPA, spacing modifiers); from it on come combining marks and the scripts
// whose letters join or reorder when shaped.
constexpr char16_t kOwnAdvanceEnd = 0x0300;

// Text widths in one font, estimated from the advances of their characters.
class TextWidths {
 public:
  explicit TextWidths(const QFont& font) : m_metrics(font) { m_advance.fill(-1); }

  qreal estimate(const QString& text) {
    qreal sum = 0;
    for (const QChar c : text) {
      const char16_t u = c.unicode();
      // Control characters are drawn as something else, the rest shaped together.
      if (u < 0x20 || (u >= 0x7f && u < 0xa0) || u >= kOwnAdvanceEnd) return exact(text);
      qreal& advance = m_advance[u];
      if (advance < 0) advance = m_metrics.horizontalAdvance(c);
      sum += advance;
    }
    return sum;
  }

  qreal exact(const QString& text) const { return m_metrics.horizontalAdvance(text); }

 private:
  QFontMetricsF m_metrics;
  std::array<qreal, kOwnAdvanceEnd> m_advance;  // -1: not looked up yet
};

bool changesText(const QList<int>& roles) {
  return roles.isEmpty() || roles.contains(Qt::DisplayRole) || roles.contains(Qt::FontRole) ||
         roles.contains(Qt::DecorationRole) || roles.contains(Qt::SizeHintRole);
}

}  // namespace

WidestRowDelegate::WidestRowDelegate(QListView* view) : QStyledItemDelegate(view) {
  view->setUniformItemSizes(true);
  view->setItemDelegate(this);
  QAbstractItemModel* model = view->model();
  connect(model, &QAbstractItemModel::modelReset, this, &WidestRowDelegate::forget);
  connect(model, &QAbstractItemModel::layoutChanged, this, &WidestRowDelegate::forget);
  connect(model, &QAbstractItemModel::rowsInserted, this, &WidestRowDelegate::forget);
  connect(model, &QAbstractItemModel::rowsRemoved, this, &WidestRowDelegate::forget);
  connect(model, &QAbstractItemModel::rowsMoved, this, &WidestRowDelegate::forget);
  // A check box ticked changes no row's size: the list is not measured again for it.
  connect(model, &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
            if (changesText(roles)) forget();
          });
}

QSize WidestRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
  if (!index.isValid()) return {};
  if (!m_valid || m_font != option.font) {
    m_size = measure(option, index);
    m_font = option.font;
    m_valid = true;
  }
  return m_size;
}

QSize WidestRowDelegate::measure(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  const QAbstractItemModel* model = index.model();
  const QModelIndex parent = index.parent();
  const int column = index.column();
  const int rows = model->rowCount(parent);
  TextWidths widths(option.font);

  // The widest few by the estimate, kept as a heap whose top is the narrowest of them.
  using Candidate = std::pair<qreal, int>;  // estimated width, row
  std::vector<Candidate> widest;
  widest.reserve(kMeasuredRows + 1);
  for (int row = 0; row < rows; ++row) {
    const qreal w = widths.estimate(model->index(row, column, parent).data().toString());
    if (widest.size() == kMeasuredRows && w <= widest.front().first) continue;
    widest.emplace_back(w, row);
    std::push_heap(widest.begin(), widest.end(), std::greater<>());
    if (widest.size() > kMeasuredRows) {
      std::pop_heap(widest.begin(), widest.end(), std::greater<>());
      widest.pop_back();
    }
  }
  if (widest.empty()) return {};

  QSize size;
  qreal widestEstimate = 0;
  int besideText = 0;  // what a row adds to its text: check box, margins
  for (const auto& [estimate, row] : widest) {
    const QModelIndex sample = model->index(row, column, parent);
    const QSize drawn = QStyledItemDelegate::sizeHint(option, sample);
    size = size.expandedTo(drawn);
    if (estimate >= widestEstimate) {
      widestEstimate = estimate;
      besideText = drawn.width() - int(std::ceil(widths.exact(sample.data().toString())));
    }
  }
  // Kerning draws some texts a little narrower than their characters' advances; the widest
  // estimate keeps its room in case the true widest row was not among those measured.
  size.setWidth(std::max(size.width(), int(std::ceil(widestEstimate)) + besideText));
  return size;
}

}  // namespace tw
