#pragma once
// Small readers of Qt widgets for the GUI tests.

#include <QListWidget>
#include <QStringList>

namespace nuvelo::testing {

inline QStringList items(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

}  // namespace nuvelo::testing
