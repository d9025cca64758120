#pragma once
// The pair grid: whole-row selection, no in-place editing, and the drag gesture that moves a
// pair. A drag starts as soon as the mouse moves with a button held down on a row; releasing
// the button reports the row where the drag started and the row under the pointer.

#include <QTableView>

namespace tw {

class PairGrid : public QTableView {
  Q_OBJECT
 public:
  explicit PairGrid(QWidget* parent = nullptr);

  // Grid rows as the pair operations count them: the header row is 0, the first pair is 1;
  // -1 is outside the rows (below the last one, or outside the grid).
  int gridRowAt(QPoint viewportPos) const;

 signals:
  void pairDragged(int fromRow, int toRow);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int m_dragFrom = -1;
  bool m_dragging = false;
};

}  // namespace tw
