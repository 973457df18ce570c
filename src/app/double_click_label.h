#pragma once
// A label that reports double-clicks.

#include <QLabel>
#include <QMouseEvent>

namespace nuvelo {

class DoubleClickLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 signals:
  void doubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    QLabel::mouseDoubleClickEvent(event);
    emit doubleClicked();
  }
};

}  // namespace nuvelo
