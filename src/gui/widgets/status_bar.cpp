#include "gui/widgets/status_bar.h"

#include "gui/widgets/design_scale.h"

namespace nuvelo {

StatusBar::StatusBar(const std::vector<int>& panelWidths, QWidget* parent)
    : QWidget(parent), widths_(panelWidths) {
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

void StatusBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const DesignScale scale(font());
  int left = 0;
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    const bool last = i + 1 == panels_.size();
    const int design = scale.x(widths_[i]);
    const int width = last ? std::max(design, this->width() - left) : design;
    panels_[i]->setGeometry(left, 0, width, height());
    left += width;
  }
}

}  // namespace nuvelo
