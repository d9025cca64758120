#include "ui/AppIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace tw {

QIcon appIcon() {
  // Drawn here rather than left to an icon-engine plugin, so that the icon never depends on
  // which Qt plugins happen to be installed.
  QSvgRenderer renderer(QStringLiteral(":/textwright/textwright.svg"));
  QIcon icon;
  if (!renderer.isValid()) return icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace tw
