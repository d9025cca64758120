#pragma once
// Readable Qt values in test failure messages.

#include <QRect>
#include <QString>
#include <QStringList>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
  *os << '{';
  for (qsizetype i = 0; i < list.size(); ++i)
    *os << (i ? ", \"" : "\"") << list[i].toStdString() << '"';
  *os << '}';
}
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << '(' << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height() << ')';
}
QT_END_NAMESPACE
