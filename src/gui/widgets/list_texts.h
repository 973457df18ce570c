#pragma once
// A list box's entries as the engine's strings, and the other way round.

#include <QListWidget>
#include <string>
#include <vector>

#include "platform/qt/gui_text.h"

namespace nuvelo {

inline std::vector<std::string> listTexts(const QListWidget& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.count(); ++i) texts.push_back(utf8(list.item(i)->text()));
  return texts;
}

inline void setListTexts(QListWidget& list, const std::vector<std::string>& texts) {
  list.clear();
  for (const std::string& text : texts) list.addItem(qt(text));
}

}  // namespace nuvelo
