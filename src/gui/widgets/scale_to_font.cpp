#include "gui/widgets/scale_to_font.h"

#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QTabWidget>
#include <QTreeView>
#include <QWidget>

#include "gui/widgets/anchor_layout.h"
#include "gui/widgets/caption_room.h"
#include "gui/widgets/design_scale.h"

namespace nuvelo {
namespace {

constexpr int Unbounded = QWIDGETSIZE_MAX;
constexpr int DesignGap = 4;  // between a widened control and its neighbour or the edge

QSize scaledBound(QSize bound, const DesignScale& scale) {
  return {bound.width() >= Unbounded ? Unbounded : scale.x(bound.width()),
          bound.height() >= Unbounded ? Unbounded : scale.y(bound.height())};
}

void scaleWindowSize(QWidget& window, const DesignScale& scale) {
  const QSize size = window.size();
  const bool sized = window.testAttribute(Qt::WA_Resized);
  window.setMinimumSize(scaledBound(window.minimumSize(), scale));
  window.setMaximumSize(scaledBound(window.maximumSize(), scale));
  if (sized) window.resize(scale.size(size));
}

bool isSizedToItsText(const QWidget& widget) {
  const auto* label = qobject_cast<const QLabel*>(&widget);
  return label && !label->wordWrap() && label->size() == label->sizeHint();
}

void scalePlace(QWidget& widget, const DesignScale& scale) {
  if (isSizedToItsText(widget))
    widget.move(scale.point(widget.pos()));
  else
    widget.setGeometry(scale.rect(widget.geometry()));
}

void scaleColumns(QTreeView& list, const DesignScale& scale) {
  QHeaderView* header = list.header();
  for (int c = 0; c < header->count(); ++c)
    header->resizeSection(c, scale.x(header->sectionSize(c)));
}

// Plain containers hold controls the program placed; other widgets (line edits, lists, date
// pickers, radio groups, the status bar) lay out their own parts and scale them themselves.
bool holdsPlacedControls(const QWidget& widget) {
  const char* kind = widget.metaObject()->className();
  return qstrcmp(kind, "QWidget") == 0 || qstrcmp(kind, "QFrame") == 0 ||
         qstrcmp(kind, "QGroupBox") == 0;
}

void scaleControlsIn(QWidget& container, const DesignScale& scale);

void scaleControl(QWidget& control, bool placedByLayout, const DesignScale& scale) {
  if (!placedByLayout) scalePlace(control, scale);
  if (auto* list = qobject_cast<QTreeView*>(&control)) scaleColumns(*list, scale);
  if (auto* tabs = qobject_cast<QTabWidget*>(&control))
    for (int i = 0; i < tabs->count(); ++i) scaleControlsIn(*tabs->widget(i), scale);
  if (holdsPlacedControls(control)) scaleControlsIn(control, scale);
}

// A container with a layout leaves the places of its children to it; an anchor layout's
// design rectangles and margins are scaled in the layout.
void scaleControlsIn(QWidget& container, const DesignScale& scale) {
  QLayout* layout = container.layout();
  if (auto* anchors = dynamic_cast<AnchorLayout*>(layout)) anchors->scale(scale);
  for (QObject* child : container.children()) {
    auto* control = qobject_cast<QWidget*>(child);
    if (control && !control->isWindow()) scaleControl(*control, layout != nullptr, scale);
  }
  makeRoomForCaptions(container, scale.x(DesignGap));
}

}  // namespace

void scaleToFont(QWidget& window) {
  const DesignScale scale(window.font());
  if (scale.isIdentity()) return;
  scaleWindowSize(window, scale);
  scaleControlsIn(window, scale);
}

}  // namespace nuvelo
