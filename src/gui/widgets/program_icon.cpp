#include "gui/widgets/program_icon.h"

#include <QPainter>
#include <QPolygonF>

namespace nuvelo {

// A folder with a green arrow: changed files carried to another place.
QImage programIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);

  // A folder: its back with the tab, then its front.
  p.setPen(QPen(QColor(0x1f, 0x4e, 0x8c), 2));
  p.setBrush(QColor(0x4a, 0x86, 0xc8));
  p.drawPolygon(QPolygonF({{4, 14}, {24, 14}, {29, 19}, {60, 19}, {60, 54}, {4, 54}}));
  p.setBrush(QColor(0x7c, 0xb0, 0xe8));
  p.drawRoundedRect(QRectF(4, 25, 56, 29), 3, 3);

  // The arrow of files carried elsewhere.
  p.setPen(QPen(QColor(0x1b, 0x6e, 0x2a), 2));
  p.setBrush(QColor(0x3c, 0xb3, 0x4f));
  p.drawPolygon(QPolygonF({{22, 48}, {22, 38}, {15, 38}, {32, 27}, {49, 38}, {42, 38}, {42, 48}}));
  p.end();
  return image;
}

QPixmap programIconPixmap(int size) {
  return QPixmap::fromImage(programIconImage(size));
}

QIcon programIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(programIconPixmap(size));
  return icon;
}

}  // namespace nuvelo
