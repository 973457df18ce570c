#include "gui/widgets/status_bar.h"

#include "gui/widgets/design_scale.h"

#include <algorithm>

namespace nuvelo {

StatusBar::StatusBar(const std::vector<int>& panelWidths, const std::vector<QString>& samples,
                     QWidget* parent)
    : QWidget(parent), widths_(panelWidths), samples_(samples) {
  samples_.resize(widths_.size());
  for (std::size_t i = 0; i < widths_.size(); ++i) {
    auto* label = new QLabel(this);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setIndent(2);
    label->setTextFormat(Qt::PlainText);
    panels_.push_back(label);
  }
}

void StatusBar::setPanelText(int panel, const QString& text) {
  this->panel(panel)->setText(text);
}

QString StatusBar::panelText(int panel) const {
  return this->panel(panel)->text();
}

// The design width scaled to the font, or the width the panel's sample text needs inside its
// frame and indents, whichever is larger.
int StatusBar::panelWidth(std::size_t panel) const {
  const int design = DesignScale(font()).x(widths_[panel]);
  if (samples_[panel].isEmpty()) return design;
  const QLabel& label = *panels_[panel];
  const int text = label.fontMetrics().horizontalAdvance(samples_[panel]);
  const int chrome =
      2 * label.frameWidth() + 2 * label.indent() + label.fontMetrics().averageCharWidth();
  return std::max(design, text + chrome);
}

void StatusBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  int left = 0;
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    const bool last = i + 1 == panels_.size();
    const int design = panelWidth(i);
    const int width = last ? std::max(design, this->width() - left) : design;
    panels_[i]->setGeometry(left, 0, width, height());
    left += width;
  }
}

}  // namespace nuvelo
