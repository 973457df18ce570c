#pragma once
// The date picker: a date edit whose calendar also drops down from the keyboard (Alt+Down,
// Alt+Up or F4), as a date picker does on the desktop.

#include <QCalendarWidget>
#include <QDateEdit>
#include <QKeyEvent>

namespace nuvelo {

class DatePicker : public QDateEdit {
  Q_OBJECT
 public:
  using QDateEdit::QDateEdit;

  void openCalendar();
  bool calendarShown() const {
    const auto* calendar = findChild<QCalendarWidget*>();
    return calendar && calendar->isVisible();
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace nuvelo
