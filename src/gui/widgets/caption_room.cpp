#include "gui/widgets/caption_room.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <vector>

#include "gui/widgets/anchor_layout.h"

namespace nuvelo {
namespace {

struct Placement {
  QWidget* widget;
  QRect rect;
};

// The style's margins and frame around the caption; without text, so that the minimum width
// some styles prefer for any button with text does not count as need.
int pushButtonWidth(const QPushButton& button) {
  QStyleOptionButton option;
  option.initFrom(&button);
  if (button.autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
  const QFontMetrics& metrics = button.fontMetrics();
  const QSize text(metrics.horizontalAdvance(button.text()), metrics.height());
  return button.style()->sizeFromContents(QStyle::CT_PushButton, &option, text, &button).width();
}

bool sharesRows(QRect a, QRect b) {
  return a.top() <= b.bottom() && b.top() <= a.bottom();
}

// The free span on the control's rows: from just after the nearest sibling on its left to just
// before the nearest on its right.
std::pair<int, int> freeSpan(const Placement& control, const std::vector<Placement>& siblings,
                             QSize area, int gap) {
  int left = gap;
  int right = area.width() - gap;
  for (const Placement& s : siblings) {
    if (s.widget == control.widget || !sharesRows(s.rect, control.rect)) continue;
    if (s.rect.left() > control.rect.right()) right = std::min(right, s.rect.left() - gap);
    if (s.rect.right() < control.rect.left()) left = std::max(left, s.rect.right() + 1 + gap);
  }
  return {std::min(left, control.rect.left()), std::max(right, control.rect.right() + 1)};
}

QRect widened(const Placement& control, int need, std::pair<int, int> span) {
  QRect r = control.rect;
  r.setRight(std::min(span.second, r.left() + need) - 1);
  r.setLeft(std::max(span.first, r.right() + 1 - need));
  return r;
}

// The width a control needs to show its caption whole; 0 for a control without a caption.
int captionWidth(const QWidget& control) {
  const auto* button = qobject_cast<const QAbstractButton*>(&control);
  if (!button || button->text().isEmpty()) return 0;
  if (const auto* push = qobject_cast<const QPushButton*>(button)) return pushButtonWidth(*push);
  return button->sizeHint().width();  // indicator, spacing and caption
}

// The controls of one parent of size `area` that need more width, each with its widened
// rectangle.
std::vector<Placement> widenedForCaptions(const std::vector<Placement>& siblings, QSize area,
                                          int gap) {
  std::vector<Placement> out;
  for (const Placement& p : siblings) {
    const int need = captionWidth(*p.widget);
    if (need > p.rect.width())
      out.push_back({p.widget, widened(p, need, freeSpan(p, siblings, area, gap))});
  }
  return out;
}

std::vector<Placement> placedControls(const QWidget& container) {
  std::vector<Placement> out;
  for (QObject* child : container.children()) {
    auto* control = qobject_cast<QWidget*>(child);
    if (control && !control->isWindow()) out.push_back({control, control->geometry()});
  }
  return out;
}

std::vector<Placement> anchoredControls(const AnchorLayout& layout) {
  std::vector<Placement> out;
  for (int i = 0; i < layout.count(); ++i)
    if (QWidget* control = layout.itemAt(i)->widget())
      out.push_back({control, layout.designRectOf(control)});
  return out;
}

}  // namespace

// An anchor layout's controls widen in its design rectangles; a container with another layout
// leaves its controls' widths to that layout.
void makeRoomForCaptions(QWidget& container, int gap) {
  if (auto* anchors = dynamic_cast<AnchorLayout*>(container.layout())) {
    for (const Placement& p :
         widenedForCaptions(anchoredControls(*anchors), anchors->designSize(), gap))
      anchors->setDesignRect(p.widget, p.rect);
  } else if (!container.layout()) {
    for (const Placement& p : widenedForCaptions(placedControls(container), container.size(), gap))
      p.widget->setGeometry(p.rect);
  }
}

}  // namespace nuvelo
