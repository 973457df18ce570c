#pragma once
// The main window's status bar: sunken text panels of fixed design widths (scaled to the bar's
// font), the last one filling the rest of the bar.

#include <QLabel>
#include <QWidget>
#include <vector>

namespace nuvelo {

class StatusBar : public QWidget {
  Q_OBJECT
 public:
  // panelWidths: in design pixels; samples: for each panel, the longest text it is to hold
  // whole (a panel is made wider than its design width where the font needs it).
  StatusBar(const std::vector<int>& panelWidths, const std::vector<QString>& samples,
            QWidget* parent = nullptr);

  void setPanelText(int panel, const QString& text);
  QString panelText(int panel) const;
  QLabel* panel(int index) const { return panels_.at(static_cast<std::size_t>(index)); }
  int panelCount() const { return static_cast<int>(panels_.size()); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int panelWidth(std::size_t panel) const;

  std::vector<int> widths_;
  std::vector<QString> samples_;
  std::vector<QLabel*> panels_;
};

}  // namespace nuvelo
