#include "messages/file_messages.h"

#include "messages/wording.h"

namespace nuvelo {

std::string cannotWriteText(const std::string& path) {
  return fill("{1} に書き込めません", {path});
}

std::string notRegularFileText(const std::string& path) {
  return fill("{1} は通常のファイルではありません", {path});
}

std::string cannotWriteStandardOutputText() {
  return std::string(wording("標準出力に書き込めません"));
}

std::string outputClosedText() {
  return std::string(wording("標準出力が閉じられたため、以降の出力を省きました"));
}

}  // namespace nuvelo
