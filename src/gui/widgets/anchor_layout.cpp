#include "gui/widgets/anchor_layout.h"

#include <QWidget>
#include <QWidgetItem>

#include "gui/widgets/design_scale.h"

namespace nuvelo {
namespace {

constexpr int EdgeMargin = 2;

// One axis: the start and length of an item whose near and far sides may be anchored.
std::pair<int, int> anchoredSpan(int designStart, int designLength, bool nearAnchored,
                                 bool farAnchored, int designExtent, int extent) {
  const int farGap = designExtent - (designStart + designLength);
  if (nearAnchored && farAnchored) return {designStart, extent - farGap - designStart};
  if (farAnchored) return {extent - farGap - designLength, designLength};
  if (nearAnchored) return {designStart, designLength};
  // Neither side anchored: the item keeps its place relative to the parent's size.
  const int centre = (designStart + designLength / 2) * extent / (designExtent ? designExtent : 1);
  return {centre - designLength / 2, designLength};
}

// A width or height of 0 takes the item's size hint.
QRect sizedToContent(QRect design, QSize hint) {
  if (design.width() == 0) design.setWidth(hint.width());
  if (design.height() == 0) design.setHeight(hint.height());
  return design;
}

}  // namespace

AnchorLayout::AnchorLayout(QWidget* parent, QSize designSize)
    : QLayout(parent), designSize_(designSize) {
  setContentsMargins(0, 0, 0, 0);
}

AnchorLayout::~AnchorLayout() {
  for (Entry& e : entries_) delete e.item;
}

void AnchorLayout::place(QWidget* widget, QRect designRect, unsigned anchors) {
  addChildWidget(widget);
  entries_.push_back({new QWidgetItem(widget), designRect, anchors});
  invalidate();
}

void AnchorLayout::scale(const DesignScale& scale) {
  designSize_ = scale.size(designSize_);
  for (Entry& e : entries_) e.designRect = scale.rect(e.designRect);
  invalidate();
}

QRect AnchorLayout::designRectOf(const QWidget* widget) const {
  for (const Entry& e : entries_) {
    if (e.item->widget() == widget) return sizedToContent(e.designRect, e.item->sizeHint());
  }
  return {};
}

void AnchorLayout::setDesignRect(const QWidget* widget, QRect designRect) {
  for (Entry& e : entries_)
    if (e.item->widget() == widget) e.designRect = designRect;
  invalidate();
}

void AnchorLayout::addItem(QLayoutItem* item) {
  entries_.push_back({item, QRect(), AnchorLeftTop});
}

QLayoutItem* AnchorLayout::itemAt(int index) const {
  return index >= 0 && index < count() ? entries_[static_cast<std::size_t>(index)].item : nullptr;
}

QLayoutItem* AnchorLayout::takeAt(int index) {
  if (index < 0 || index >= count()) return nullptr;
  QLayoutItem* item = entries_[static_cast<std::size_t>(index)].item;
  entries_.erase(entries_.begin() + index);
  return item;
}

int AnchorLayout::count() const {
  return static_cast<int>(entries_.size());
}

QSize AnchorLayout::sizeHint() const {
  return designSize_;
}

QSize AnchorLayout::minimumSize() const {
  return QSize(0, 0);
}

QRect AnchorLayout::anchoredRect(QRect designRect, unsigned anchors, QSize designSize, QSize size) {
  const auto [x, width] = anchoredSpan(designRect.x(), designRect.width(), anchors & AnchorLeft,
                                       anchors & AnchorRight, designSize.width(), size.width());
  const auto [y, height] = anchoredSpan(designRect.y(), designRect.height(), anchors & AnchorTop,
                                        anchors & AnchorBottom, designSize.height(), size.height());
  return QRect(x, y, width, height);
}

// Positions refer to the parent's whole area, its frame included, and a control gets exactly
// its design size whatever its size policy says.
void AnchorLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  const QSize area = parentWidget() ? parentWidget()->size() : rect.size();
  for (const Entry& e : entries_) {
    const QRect design = sizedToContent(e.designRect, e.item->sizeHint());
    QRect placed = anchoredRect(design, e.anchors, designSize_, area);
    if (e.designRect.width() == 0 && placed.right() >= area.width())
      placed.moveRight(area.width() - 1 - EdgeMargin);  // text longer than at design: keep it whole
    if (QWidget* widget = e.item->widget())
      widget->setGeometry(placed);
    else
      e.item->setGeometry(placed);
  }
}

}  // namespace nuvelo
