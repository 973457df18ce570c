#include "gui/widgets/radio_group.h"

#include <QResizeEvent>

#include "gui/widgets/design_scale.h"

namespace nuvelo {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent) {
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    buttons_.addButton(button, i);
    items_.push_back(button);
  }
  connect(&buttons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked) emit clicked();
  });
}

void RadioGroup::setItemIndex(int index) {
  index = std::min(index, count() - 1);
  if (index == itemIndex()) return;
  if (index < 0) {
    // None selected: the group must let go of its checked button.
    buttons_.setExclusive(false);
    if (QAbstractButton* checked = buttons_.checkedButton()) checked->setChecked(false);
    buttons_.setExclusive(true);
    emit clicked();
    return;
  }
  items_[static_cast<std::size_t>(index)]->setChecked(true);
}

// The items share the space below the caption evenly, one above the other.
void RadioGroup::resizeEvent(QResizeEvent* event) {
  QGroupBox::resizeEvent(event);
  const QRect area = contentsRect();
  const int top = area.top() + fontMetrics().height() / 2;
  const int each = count() ? (area.bottom() - top) / count() : 0;
  const DesignScale scale(font());
  for (int i = 0; i < count(); ++i)
    items_[static_cast<std::size_t>(i)]->setGeometry(area.left() + scale.x(8), top + i * each,
                                                     area.width() - scale.x(12), each);
}

}  // namespace nuvelo
