#include "messages/dialog_texts.h"

#include "messages/wording.h"

namespace nuvelo {
namespace {

std::string text(std::string_view translated) {
  return std::string(translated);
}

}  // namespace

std::string okCaption() {
  return std::string(wording("OK"));
}

std::string cancelCaption() {
  return std::string(wording("キャンセル"));
}

std::string closeCaption() {
  return std::string(wording("閉じる"));
}

AboutTexts aboutTexts() {
  return {text(wording("ﾊﾞｰｼﾞｮﾝ情報")), text(wording("Copyright (C) 2026 Nuvelo の開発者")),
          text(wording("Comments : Freewear")), text(wording("URL : ")),
          text(wording("Browserを起動しWebサイトを開きます"))};
}

std::string aboutVersionText(const std::string& version) {
  return fill("Version: {1}", {version});
}

std::string licenceText(const std::string& userName) {
  return fill("Licence to : {1}", {userName});
}

PropertiesTexts propertiesTexts() {
  return {text(wording("プロパティ")), text(wording("名前")), text(wording("種類")),
          text(wording("サイズ")),     text(wording("場所")), text(wording("更新日時")),
          text(wording("アクセス権"))};
}

std::string fieldCaptionText(const std::string& caption) {
  return fill("{1}：", {caption});
}

std::string byteCountText(const std::string& number) {
  return fill("{1} バイト", {number});
}

std::string failedFilesTitle() {
  return std::string(wording("失敗したファイル"));
}

}  // namespace nuvelo
