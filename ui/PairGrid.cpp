#include "ui/PairGrid.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace tw {

PairGrid::PairGrid(QWidget* parent) : QTableView(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setTextElideMode(Qt::ElideRight);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(20);
  verticalHeader()->setVisible(false);
  horizontalHeader()->setHighlightSections(false);
  setAcceptDrops(true);
}

int PairGrid::gridRowAt(QPoint viewportPos) const {
  if (viewportPos.x() < 0 || viewportPos.x() >= viewport()->width()) return -1;
  if (viewportPos.y() < 0) {
    // Over the header row, or above the grid altogether.
    return viewportPos.y() >= -horizontalHeader()->height() ? 0 : -1;
  }
  if (viewportPos.y() >= viewport()->height()) return -1;
  const int row = rowAt(viewportPos.y());
  return row < 0 ? -1 : row + 1;
}

void PairGrid::mousePressEvent(QMouseEvent* event) {
  m_dragging = false;
  const QPoint pos = event->position().toPoint();
  m_dragFrom = gridRowAt(pos);
  QTableView::mousePressEvent(event);
}

void PairGrid::mouseMoveEvent(QMouseEvent* event) {
  if ((event->buttons() & Qt::LeftButton) && m_dragFrom >= 1) {
    if (!m_dragging) {
      m_dragging = true;
      viewport()->setCursor(Qt::DragMoveCursor);
    }
    return;  // the selection stays on the dragged row while the pointer moves
  }
  QTableView::mouseMoveEvent(event);
}

void PairGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (m_dragging) {
    m_dragging = false;
    viewport()->unsetCursor();
    const int from = m_dragFrom;
    m_dragFrom = -1;
    emit pairDragged(from, gridRowAt(event->position().toPoint()));
    return;
  }
  m_dragFrom = -1;
  QTableView::mouseReleaseEvent(event);
}

}  // namespace tw
