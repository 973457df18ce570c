#pragma once
// Room for captions: a button, check box or radio button whose caption is wider than the control
// (a font whose glyphs do not grow in step with the design font's) is widened into the free
// space beside it, to the right first, then to the left, rather than having its caption clipped.

class QWidget;

namespace nuvelo {

// Widens the controls of `container` that the program placed (directly, or through an anchor
// layout), keeping `gap` pixels from a sibling on the same rows and from the container's edge.
void makeRoomForCaptions(QWidget& container, int gap);

}  // namespace nuvelo
