#include "gui/main_window/write_failure_box.h"

#include "messages/file_messages.h"

namespace nuvelo {

bool writtenOrShown(const Result<>& written, MessageBoxes& boxes) {
  if (written) return true;
  boxes.showApplicationError(cannotWriteText(written.error().path));
  return false;
}

}  // namespace nuvelo
