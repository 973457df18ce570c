#pragma once
// Readable failure messages for Qt's geometry types in GoogleTest expectations.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}
inline void PrintTo(const QSize& s, std::ostream* os) {
  *os << s.width() << "x" << s.height();
}
inline void PrintTo(const QPoint& p, std::ostream* os) {
  *os << p.x() << "," << p.y();
}
QT_END_NAMESPACE
