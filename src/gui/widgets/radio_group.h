#pragma once
// A captioned group of radio buttons with one item index, as a radio group of the form: -1
// means none is selected, and every change of the index, by the user or the program, is
// reported once.

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <vector>

namespace nuvelo {

class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

  int itemIndex() const { return buttons_.checkedId(); }
  // A value past the last item selects the last one; a value below -1 selects none.
  void setItemIndex(int index);
  QRadioButton* item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  int count() const { return static_cast<int>(items_.size()); }

 signals:
  void clicked();  // the item index changed

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QButtonGroup buttons_;
  std::vector<QRadioButton*> items_;
};

}  // namespace nuvelo
