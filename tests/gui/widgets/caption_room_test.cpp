// A button whose caption is wider than its place takes the free room beside it, and never a
// neighbour's or the edge's.

#include "gui/widgets/caption_room.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>

#include "gui/widgets/anchor_layout.h"
#include "support/layout_faults.h"

namespace nuvelo {
namespace {

using testing::layoutFaults;

constexpr int Gap = 4;
const QSize Area(300, 80);
const QString LongCaption = QStringLiteral("ドライブルートからの絶対パス");

struct RoomCase {
  const char* name;
  QRect button;
  std::vector<QRect> neighbours;
  bool fits;  // there is room enough for the whole caption
};

const RoomCase Cases[] = {
    {"RoomOnTheRight", {10, 10, 40, 20}, {{260, 10, 30, 20}}, true},
    {"RoomOnTheLeft", {230, 10, 40, 20}, {{274, 10, 20, 20}}, true},
    {"NeighboursOnOtherRowsLeaveRoom", {10, 30, 40, 20}, {{54, 54, 30, 20}, {54, 6, 30, 20}}, true},
    {"NeighboursOnBothSides", {40, 10, 40, 20}, {{4, 10, 32, 20}, {84, 10, 30, 20}}, false},
};

void PrintTo(const RoomCase& c, std::ostream* os) {
  *os << c.name;
}

// Whether `b` comes closer than the gap to `a` on a row they share.
bool crowds(QRect a, QRect b) {
  const bool sharesRows = a.top() <= b.bottom() && b.top() <= a.bottom();
  return sharesRows && a.adjusted(-Gap, 0, Gap, 0).intersects(b);
}

// The controls placed on a plain container, or through an anchor layout.
enum class Placing { Directly, Anchored };

void PrintTo(Placing placing, std::ostream* os) {
  *os << (placing == Placing::Anchored ? "Anchored" : "Directly");
}

class CaptionRoom : public ::testing::TestWithParam<std::tuple<RoomCase, Placing>> {
 protected:
  QPushButton* place(const QString& text, QRect rect) {
    auto* button = new QPushButton(text, &container);
    if (anchors)
      anchors->place(button, rect, AnchorLeftTop);
    else
      button->setGeometry(rect);
    return button;
  }

  QWidget container;
  AnchorLayout* anchors = nullptr;
};

TEST_P(CaptionRoom, WidensIntoFreeRoomOnly) {
  const auto [room, placing] = GetParam();
  container.resize(Area);
  if (placing == Placing::Anchored) anchors = new AnchorLayout(&container, Area);
  QPushButton* button = place(LongCaption, room.button);
  for (const QRect& r : room.neighbours) place(QStringLiteral("x"), r);

  makeRoomForCaptions(container, Gap);
  container.show();
  QApplication::processEvents();

  const std::string captionFault = "caption width";
  for (const std::string& fault : layoutFaults(container)) {
    const bool clipped = fault.find(captionFault) != std::string::npos;
    EXPECT_TRUE(clipped && !room.fits) << fault;
  }
  EXPECT_GE(button->width(), room.button.width());
  EXPECT_EQ(button->geometry().top(), room.button.top());
  EXPECT_EQ(button->height(), room.button.height());
  for (const QWidget* other : container.findChildren<QPushButton*>()) {
    const bool neighbour = other != button;
    EXPECT_FALSE(neighbour && crowds(button->geometry(), other->geometry()));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, CaptionRoom,
                         ::testing::Combine(::testing::ValuesIn(Cases),
                                            ::testing::Values(Placing::Directly,
                                                              Placing::Anchored)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  ::testing::PrintToString(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace nuvelo
