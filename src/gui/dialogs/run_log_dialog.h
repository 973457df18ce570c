#pragma once
// The last runs of the run log in a read-only list, newest first: when each started, its job
// or source, how many files it copied and how many failed, and how it ended. Opened from the
// window's 実行 menu.

#include <QDialog>
#include <vector>

#include "engine/runlog/run_log_entry.h"

class QPushButton;
class QTreeWidget;

namespace nuvelo {

class RunLogDialog : public QDialog {
  Q_OBJECT
 public:
  // entries: oldest first, as the log holds them.
  explicit RunLogDialog(const std::vector<RunLogEntry>& entries, QWidget* parent = nullptr);

  QTreeWidget* runList = nullptr;
  QPushButton* closeButton = nullptr;
};

}  // namespace nuvelo
