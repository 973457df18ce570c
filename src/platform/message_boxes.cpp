#include "platform/message_boxes.h"

#include "platform/text_encoding.h"

namespace nuvelo {

const char* captionOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning:
      return "警告";
    case MessageKind::Error:
      return "エラー";
    case MessageKind::Information:
      return "情報";
    case MessageKind::Confirmation:
      return "確認";
  }
  return "";
}

std::string applicationErrorText(const std::string& message) {
  if (!message.empty() && lastCodePoint(message) > U'.') return message + ".";
  return message;
}

}  // namespace nuvelo
