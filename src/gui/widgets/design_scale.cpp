#include "gui/widgets/design_scale.h"

#include <QFontMetricsF>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace nuvelo {
namespace {

constexpr int DesignPixelSize = 12;

// Captions mix Latin letters and Japanese characters: the width that counts is the larger of the
// two ratios, so that neither kind of caption outgrows its control.
qreal latinWidth(const QFontMetricsF& metrics) {
  return metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
}

qreal japaneseWidth(const QFontMetricsF& metrics) {
  return metrics.horizontalAdvance(QStringLiteral("日本語のテキスト"));
}

}  // namespace

QFont designFont() {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                    QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
  font.setPixelSize(DesignPixelSize);
  return font;
}

DesignScale::DesignScale(const QFont& font) {
  const QFontMetricsF actual(font);
  const QFontMetricsF design(designFont());
  horizontal_ = std::max(latinWidth(actual) / latinWidth(design),
                         japaneseWidth(actual) / japaneseWidth(design));
  vertical_ = actual.height() / design.height();
}

int DesignScale::x(int designX) const {
  return static_cast<int>(std::lround(designX * horizontal_));
}

int DesignScale::y(int designY) const {
  return static_cast<int>(std::lround(designY * vertical_));
}

QRect DesignScale::rect(QRect design) const {
  const int left = x(design.x());
  const int top = y(design.y());
  return QRect(left, top, x(design.x() + design.width()) - left,
               y(design.y() + design.height()) - top);
}

}  // namespace nuvelo
