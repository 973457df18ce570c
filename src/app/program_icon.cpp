#include "app/program_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace nuvelo {

// A folder with a green arrow: changed files carried to another place.
QImage programIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);

  QPainterPath back;
  back.moveTo(4, 14);
  back.lineTo(24, 14);
  back.lineTo(29, 19);
  back.lineTo(60, 19);
  back.lineTo(60, 54);
  back.lineTo(4, 54);
  back.closeSubpath();
  p.setPen(QPen(QColor(0x1f, 0x4e, 0x8c), 2));
  p.setBrush(QColor(0x4a, 0x86, 0xc8));
  p.drawPath(back);
  p.setBrush(QColor(0x7c, 0xb0, 0xe8));
  p.drawRoundedRect(QRectF(4, 25, 56, 29), 3, 3);

  QPainterPath arrow;
  arrow.moveTo(22, 48);
  arrow.lineTo(22, 38);
  arrow.lineTo(15, 38);
  arrow.lineTo(32, 27);
  arrow.lineTo(49, 38);
  arrow.lineTo(42, 38);
  arrow.lineTo(42, 48);
  arrow.closeSubpath();
  p.setPen(QPen(QColor(0x1b, 0x6e, 0x2a), 2));
  p.setBrush(QColor(0x3c, 0xb3, 0x4f));
  p.drawPath(arrow);
  p.end();
  return image;
}

QPixmap programIconPixmap(int size) { return QPixmap::fromImage(programIconImage(size)); }

QIcon programIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(programIconPixmap(size));
  return icon;
}

}  // namespace nuvelo
