#include "messages/window_messages.h"

#include "messages/wording.h"

namespace nuvelo {

std::string badParentFolderText() {
  return std::string(wording("上位フォルダが不正です。"));
}

// The quoted folder and the line break stay out of the catalog's text.
std::string notBelowSourceText(const std::string& source) {
  return "\"" + source + "\"\r" + std::string(wording("の下位フォルダを指定してください"));
}

std::string slashInExcludedNameText(const std::string& pattern) {
  return fill("除外するファイル名 {1} に / は使えません。", {pattern}) + "\r" +
         std::string(
             wording("フォルダのパスは、メイン画面の除外するサブフォルダに追加してください"));
}

std::string searchAgainText() {
  return std::string(wording("検索方法が変わったので再検索します"));
}

std::string notAnIntegerText(const std::string& text) {
  return fill("'{1}' は整数ではありません", {text});
}

std::string driveRemovalText(const DriveRemoval& removal) {
  std::string text;
  switch (removal.outcome) {
    case DriveRemoval::Outcome::Removed:
      return std::string(wording("ドライブを安全に取り外せます。"));
    case DriveRemoval::Outcome::Busy:
      text = wording("ドライブが使用中のため、取り外せません。");
      break;
    case DriveRemoval::Outcome::Refused:
      text = wording("ドライブを取り外せませんでした。");
      break;
  }
  return removal.reason.empty() ? text : text + "\n" + removal.reason;
}

}  // namespace nuvelo
