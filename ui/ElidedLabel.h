#pragma once
// Texts of any length in a label of fixed width: a window never grows past the screen because
// of a long file name, find text or path.

#include <QLabel>
#include <QString>

namespace tw {

// Shows `prefix` + the first line of `text` in `label`, cut with an ellipsis to the label's
// fixed width (a text of several lines shows "..." after its first); the whole text goes in
// the tooltip. `mode` says where the cut falls (the middle keeps both ends of a path).
inline void setElidedText(QLabel* label, const QString& prefix, const QString& text,
                          Qt::TextElideMode mode = Qt::ElideRight) {
  const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
  QString shown = prefix + (lineEnd < 0 ? text : text.left(lineEnd) + QStringLiteral(" ..."));
  label->setText(label->fontMetrics().elidedText(shown, mode, label->width()));
  label->setToolTip(text);
}

}  // namespace tw
