#pragma once
// DiffView, the preview's view of one file's changes: each changed line as it is and as the run
// would leave it, the replaced stretches highlighted, with line numbers and a few lines of
// context; a Gap row stands between changes far apart. Where the occurrences can be chosen one
// by one, each has its own tick box: on its line's row when the line holds one occurrence, on a
// row of its own under the line otherwise. Space or a click toggles a tick; the view reports
// each change of a tick (occurrenceToggled), whoever made it.

#include "engine/Preview.h"

#include <QTreeView>

#include <cstddef>

class QStandardItem;
class QStandardItemModel;

namespace tw {

class DiffView : public QTreeView {
  Q_OBJECT
 public:
  explicit DiffView(QWidget* parent = nullptr);

  // Shows the rows of `changes` (one page of them), replacing what was shown.
  void showChanges(const FileChanges& changes);
  // Shows nothing but `note` (no file selected, the diff is being built, a file not read).
  void showNote(const QString& note);

  // The row of the occurrence `index` (FileChanges::occurrences), or null when the page does not
  // show it; for tests and the keyboard.
  QStandardItem* occurrenceItem(size_t index) const;

  // The longest part of a line the view shows; a longer line is shown around its highlights.
  static constexpr qsizetype kLongestShown = 1000;

 protected:
  // Space toggles the tick box of the current row, whichever of its cells is current.
  void keyPressEvent(QKeyEvent* event) override;

 signals:
  // The user ticked (`replaced` true) or unticked the occurrence `index`.
  void occurrenceToggled(size_t index, bool replaced);

 private:
  void onItemChanged(QStandardItem* item);

  QStandardItemModel* m_model = nullptr;
  bool m_filling = false;  // itemChanged while rows are being built is not the user's
};

}  // namespace tw
