#pragma once
// The item delegate of a long list of one-line texts (the file list, the result lines): every
// row gets one size, that of the list's widest row, so that the view (which it switches to
// uniform item sizes) lays out a hundred thousand rows without measuring each, and still
// scrolls sideways to the end of the longest text.
//
// The widest row is found without shaping every text: a text's width is estimated by adding
// up the advances of its characters, looked up once per character and font; texts with
// characters that combine or join when shaped are measured whole. The few widest by that
// estimate are then measured as they are drawn, and the width the estimate asks for is kept
// when it is larger, so a row is never cut short by kerning or a rounding.

#include <QSize>
#include <QStyledItemDelegate>

class QListView;

namespace tw {

class WidestRowDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  // Becomes `view`'s delegate and turns on its uniform item sizes; follows changes of the
  // view's model (which must be set by now) to measure again when the texts change.
  explicit WidestRowDelegate(QListView* view);

  // The size of the widest row, for any row (the empty size when the list is empty).
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  void forget() { m_valid = false; }
  QSize measure(const QStyleOptionViewItem& option, const QModelIndex& index) const;

  mutable bool m_valid = false;
  mutable QSize m_size;
  mutable QFont m_font;  // the font m_size was measured with
};

}  // namespace tw
