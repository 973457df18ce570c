#include "gui/widgets/date_picker.h"

#include <QMouseEvent>

namespace nuvelo {

void DatePicker::keyPressEvent(QKeyEvent* event) {
  const bool altArrow = (event->modifiers() & Qt::AltModifier) &&
                        (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up);
  if (calendarPopup() && (altArrow || event->key() == Qt::Key_F4)) {
    openCalendar();
    event->accept();
    return;
  }
  QDateEdit::keyPressEvent(event);
}

// The date edit opens its calendar when its drop-down arrow is pressed; the keyboard presses it.
void DatePicker::openCalendar() {
  if (!calendarPopup() || calendarShown()) return;
  const QPointF arrow(width() - 4, height() / 2.0);
  QMouseEvent press(QEvent::MouseButtonPress, arrow, mapToGlobal(arrow), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QDateEdit::mousePressEvent(&press);
}

}  // namespace nuvelo
