#include "messages/versions_messages.h"

#include "messages/wording.h"

namespace nuvelo {

std::string namesNoDestinationText(const std::string& file) {
  return fill("{1} はコピー先を指定していません", {file});
}

std::string outsideDestinationText(const std::string& path, const std::string& destination) {
  return fill("{1} はコピー先 {2} の中にありません", {path, destination});
}

std::string outsideKeptDestinationText(const std::string& path, const std::string& versionsFolder) {
  return fill("{1} は版を残したコピー先 ({2} のあるフォルダ) の中にありません",
              {path, versionsFolder});
}

std::string noKeptVersionsText(const std::string& path) {
  return fill("{1} の残された版はありません", {path});
}

}  // namespace nuvelo
