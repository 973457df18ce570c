#pragma once
// The program's own icon: used by the main window, the copy-finished notice and the About box.

#include <QIcon>
#include <QPixmap>

namespace nuvelo {

QPixmap programIconPixmap(int size);
QIcon programIcon();

}  // namespace nuvelo
