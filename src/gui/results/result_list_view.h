#pragma once
// The result list's view: reports every mouse-button release and double-click over the list,
// after the view itself has handled them (so a check box toggled by the click is counted); the
// space bar toggles the current row's check box whichever of its cells is current.

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionHeader>
#include <QTreeView>

namespace nuvelo {

// The result list's header: its sort arrow points up for an ascending order, as desktops draw
// it (Qt's header asks the style for a downward arrow when ascending).
class ResultHeader : public QHeaderView {
  Q_OBJECT
 public:
  explicit ResultHeader(QWidget* parent = nullptr) : QHeaderView(Qt::Horizontal, parent) {}

  // The arrow the section is drawn with.
  QStyleOptionHeader::SortIndicator arrowOf(int section) const {
    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, section);
    return option.sortIndicator;
  }

 protected:
  void initStyleOptionForIndex(QStyleOptionHeader* option, int section) const override {
    QHeaderView::initStyleOptionForIndex(option, section);
    if (option->sortIndicator == QStyleOptionHeader::None) return;
    option->sortIndicator = sortIndicatorOrder() == Qt::AscendingOrder
                                ? QStyleOptionHeader::SortUp
                                : QStyleOptionHeader::SortDown;
  }
};

class ResultListView : public QTreeView {
  Q_OBJECT
 public:
  using QTreeView::QTreeView;

 signals:
  void mouseReleased(Qt::MouseButton button);
  void doubleClickedAnywhere();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    const Qt::MouseButton button = event->button();
    QTreeView::mouseReleaseEvent(event);
    emit mouseReleased(button);
  }
  void keyPressEvent(QKeyEvent* event) override {
    const QModelIndex check = currentIndex().siblingAtColumn(0);
    if (event->key() == Qt::Key_Space && check.isValid() &&
        (model()->flags(check) & Qt::ItemIsUserCheckable)) {
      const bool checked = check.data(Qt::CheckStateRole).toInt() == Qt::Checked;
      model()->setData(check, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
      event->accept();
      return;
    }
    QTreeView::keyPressEvent(event);
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    QTreeView::mouseDoubleClickEvent(event);
    emit doubleClickedAnywhere();
  }
};

}  // namespace nuvelo
