#include "messages/job_messages.h"

#include "messages/wording.h"

namespace nuvelo {

std::string commandLineOrigin() {
  return std::string(wording("コマンドライン"));
}

std::string defaultOrigin() {
  return std::string(wording("既定値"));
}

std::string notAJobFileText(const std::string& path) {
  return fill("{1} はジョブファイルではありません ([Application] NVOFile=1 がありません)", {path});
}

std::string repeatedInJobFileText(const std::string& path, std::size_t line,
                                  const std::string& what) {
  return fill("{1} の {2} 行目: {3} はすでにあります。どちらか一つにしてください",
              {path, std::to_string(line), what});
}

std::string invalidJobValueText(const std::string& path, const std::string& key,
                                const std::string& value) {
  return fill("{1} の {2} の値 '{3}' は使えません", {path, key, value});
}

std::string noLastCopyDayText(const std::string& source, const std::string& destination) {
  return fill(
      "このジョブ ({1} → {2}) には前回コピーした日付がまだありません。"
      "最初の実行には --since YYYY-MM-DD を指定してください",
      {source, destination});
}

std::string unreadableLastCopyDayText(const std::string& file, std::size_t line,
                                      const std::string& key, const std::string& value) {
  return fill(
      "このジョブの前回コピーした日付が読めません ({1} の {2} 行目: {3}={4})。"
      "--since YYYY-MM-DD か --compare を指定してください",
      {file, std::to_string(line), key, value});
}

std::string futureLastCopyDayText(const std::string& day) {
  return fill(
      "このジョブの前回コピーした日付 {1} は今より後です (記録した時に時計が進んでいたようです)。"
      "代わりに、コピー先にないファイルとコピー先のほうが古いファイルをすべてコピーします",
      {day});
}

std::string jobRunningText(const std::string& source, const std::string& destination) {
  return fill(
      "このジョブ ({1} → {2}) は別の nuvelo-cli が実行中です。"
      "終わるのを待つときは --wait を指定してください",
      {source, destination});
}

std::string unmetFolderExclusionText(const std::string& folder) {
  return fill("--exclude-folder {1} に当たるフォルダはありませんでした", {folder});
}

std::string unmetListedFolderExclusionText(const std::string& file, const std::string& folder) {
  return fill("{1}: 除外するサブフォルダ {2} に当たるフォルダはありませんでした", {file, folder});
}

std::string unmetExtensionExclusionText(const std::string& extension) {
  return fill("--exclude-ext {1} に当たるファイルはありませんでした", {extension});
}

std::string unmetNameExclusionText(const std::string& pattern) {
  return fill("--exclude-name {1} に当たるファイルやフォルダはありませんでした", {pattern});
}

}  // namespace nuvelo
