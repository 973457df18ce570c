#pragma once
// The program's own icon: used by the main window, the copy-finished notice and the About box.

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace nuvelo {

QImage programIconImage(int size);
QPixmap programIconPixmap(int size);
QIcon programIcon();

}  // namespace nuvelo
