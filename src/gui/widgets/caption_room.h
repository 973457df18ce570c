#pragma once
// Room for captions: a button, check box or radio button whose caption is wider than the control
// (a font whose glyphs do not grow in step with the design font's) is widened into the free
// space beside it, to the right first, then to the left, rather than having its caption clipped.

#include <QRect>
#include <vector>

class QWidget;

namespace nuvelo {

struct Placement {
  QWidget* widget;
  QRect rect;
};

// The width a control needs to show its caption whole; 0 for a control without a caption.
int captionWidth(const QWidget& control);

// The controls of one parent of size `area` that need more width, each with its widened
// rectangle; widening stops `gap` pixels short of a sibling on the same rows or of the edge.
std::vector<Placement> widenedForCaptions(const std::vector<Placement>& siblings, QSize area,
                                          int gap);

}  // namespace nuvelo
