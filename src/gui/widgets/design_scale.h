#pragma once
// The windows' geometry is drawn for a 12-pixel font. A DesignScale turns design pixels into
// pixels for the font a window really has: horizontally by the ratio of the fonts' character
// widths, vertically by the ratio of their line heights (as dialog units do), so that the design
// font gives exactly the design pixels and a larger font a proportionally larger window.

#include <QFont>
#include <QRect>

class QWidget;

namespace nuvelo {

// The font the design geometry was drawn for: "ＭＳ Ｐゴシック" where installed, else an
// installed Japanese font of the same kind, at 12 pixels.
QFont designFont();

class DesignScale {
 public:
  explicit DesignScale(const QFont& font);

  qreal horizontal() const { return horizontal_; }
  qreal vertical() const { return vertical_; }
  bool isIdentity() const { return horizontal_ == 1.0 && vertical_ == 1.0; }

  int x(int designX) const;
  int y(int designY) const;
  QPoint point(QPoint design) const { return {x(design.x()), y(design.y())}; }
  QSize size(QSize design) const { return {x(design.width()), y(design.height())}; }
  // Both edges are scaled, so that controls that touch at design still touch.
  QRect rect(QRect design) const;

 private:
  qreal horizontal_;
  qreal vertical_;
};

}  // namespace nuvelo
