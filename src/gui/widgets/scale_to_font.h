#pragma once
// Fits a window built at design geometry to the font it really has: the window's size and
// minimum size, the places and sizes of its controls, the margins of anchored controls and the
// widths of list columns are scaled by the window's DesignScale, and a caption that still does
// not fit gets room beside its control (caption_room.h). With the design font nothing changes.

class QWidget;

namespace nuvelo {

// Call once, after the window's controls are built and before anything is placed relative to
// a control's text (a label sized to its text keeps its size; only its place is scaled).
void scaleToFont(QWidget& window);

}  // namespace nuvelo
