#pragma once
// Places child widgets at fixed design positions and keeps each anchored side at its design
// distance from the parent's edge when the parent is resized.

#include <QLayout>
#include <QRect>
#include <QSize>
#include <vector>

namespace nuvelo {

class DesignScale;

enum Anchor : unsigned { AnchorLeft = 1, AnchorTop = 2, AnchorRight = 4, AnchorBottom = 8 };
inline constexpr unsigned AnchorLeftTop = AnchorLeft | AnchorTop;
inline constexpr unsigned AnchorTopRight = AnchorTop | AnchorRight;
inline constexpr unsigned AnchorRightBottom = AnchorRight | AnchorBottom;
inline constexpr unsigned AnchorLeftTopRight = AnchorLeft | AnchorTop | AnchorRight;
inline constexpr unsigned AnchorAll = AnchorLeft | AnchorTop | AnchorRight | AnchorBottom;

class AnchorLayout : public QLayout {
 public:
  // designSize: the parent's size at design, which the design positions refer to.
  AnchorLayout(QWidget* parent, QSize designSize);
  ~AnchorLayout() override;

  // A width or height of 0 means "sized to its content" (an auto-sized label).
  void place(QWidget* widget, QRect designRect, unsigned anchors);
  // Scales the design size and every design rectangle, and so the anchored margins, to a font.
  void scale(const DesignScale& scale);
  // A placed widget's design rectangle, a size-to-content one's at its size hint; and a new one.
  QRect designRectOf(const QWidget* widget) const;
  void setDesignRect(const QWidget* widget, QRect designRect);
  QSize designSize() const { return designSize_; }

  void addItem(QLayoutItem* item) override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  int count() const override;
  QSize sizeHint() const override;
  QSize minimumSize() const override;
  void setGeometry(const QRect& rect) override;

  // Where an item with this design rectangle and anchors lies in a parent of `size`.
  static QRect anchoredRect(QRect designRect, unsigned anchors, QSize designSize, QSize size);

 private:
  struct Entry {
    QLayoutItem* item;
    QRect designRect;
    unsigned anchors;
  };
  QSize designSize_;
  std::vector<Entry> entries_;
};

}  // namespace nuvelo
