#include "gui/main_window/write_failure_box.h"

namespace nuvelo {

bool writtenOrShown(const Result<>& written, MessageBoxes& boxes) {
  if (written) return true;
  boxes.showApplicationError(written.error().path + " に書き込めません");
  return false;
}

}  // namespace nuvelo
