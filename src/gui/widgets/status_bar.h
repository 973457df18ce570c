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
  StatusBar(const std::vector<int>& panelWidths, QWidget* parent = nullptr);

  void setPanelText(int panel, const QString& text);
  QString panelText(int panel) const;
  QLabel* panel(int index) const { return panels_.at(static_cast<std::size_t>(index)); }
  int panelCount() const { return static_cast<int>(panels_.size()); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::vector<int> widths_;
  std::vector<QLabel*> panels_;
};

}  // namespace nuvelo
