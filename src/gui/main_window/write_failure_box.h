#pragma once
// A settings or condition file that could not be written, told in the application error box.

#include "platform/message_boxes.h"
#include "platform/result.h"

namespace nuvelo {

// Whether the file was written; when it was not, the error box names it first.
bool writtenOrShown(const Result<>& written, MessageBoxes& boxes);

}  // namespace nuvelo
