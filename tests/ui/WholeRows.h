#pragma once
// Whether a list shows every row whole: each row, measured as a plain list would draw it,
// fits within what the list scrolls sideways to, and has the height the list gives it.

#include <QApplication>
#include <QListView>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace tw::test {

inline ::testing::AssertionResult showsEveryRowWhole(QListView* list) {
  // The layout is put off until the events are handled.
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
  QListView plain;  // measures each row on its own
  plain.setModel(list->model());
  plain.setFont(list->font());
  const int reach = list->horizontalScrollBar()->maximum() + list->viewport()->width();
  for (int row = 0; row < list->model()->rowCount(); ++row) {
    const QModelIndex index = list->model()->index(row, 0);
    const QSize whole = plain.sizeHintForIndex(index);
    if (whole.width() > reach) {
      return ::testing::AssertionFailure() << "row " << row << " is " << whole.width()
                                           << " px wide, the list reaches " << reach << " px";
    }
    if (list->visualRect(index).height() != whole.height()) {
      return ::testing::AssertionFailure()
             << "row " << row << " is " << whole.height() << " px high, the list gives it "
             << list->visualRect(index).height();
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace tw::test
