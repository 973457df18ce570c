#include "messages/detail_settings_texts.h"

#include "messages/wording.h"

namespace nuvelo {
namespace {

std::string text(std::string_view translated) {
  return std::string(translated);
}

}  // namespace

DetailSettingsTexts detailSettingsTexts() {
  DetailSettingsTexts t;
  t.title = text(wording("詳細設定"));
  t.extensionPathPage = text(wording("拡張子・パス"));
  t.extensionGroup = text(wording("拡張子"));
  t.extensionCaption = text(wording("除外する拡張子："));
  t.addExtension = text(wording("追加"));
  t.removeExtension = text(wording("削除"));
  t.extensionListCaption = text(wording("除外リスト"));
  t.pathModeGroup = text(wording("パス"));
  t.pathModes = {text(wording("ドライブルートからの絶対パス")),
                 text(wording("現在位置からの相対パス"))};
  t.searchCopyPage = text(wording("検索・コピー"));
  t.searchGroup = text(wording("検索"));
  t.perFolder = text(wording("フォルダ単位で処理する"));
  t.perFolderNote = text(wording("(注意：設定を変更すると再検索が必要)"));
  t.changeTime = text(wording("移動・展開したファイルも対象とする"));
  t.changeTimeTip =
      text(wording("更新日時が古くても、フォルダに移動・展開・名前変更された日時 (ctime) "
                   "が指定日以降のファイルを対象にします"));
  t.copyGroup = text(wording("コピー"));
  t.overwriteGroup = text(wording("コピー先に同名ファイルがあった時"));
  t.overwriteChoices = {text(wording("上書きする")), text(wording("上書きするか確認する")),
                        text(wording("タイムスタンプが新しい時だけ上書き")),
                        text(wording("コピーしない"))};
  t.driveLetter = text(wording("先頭にドライブレターのフォルダを付加"));
  t.copyNotice = text(wording("コピー完了メッセージを表示する"));
  t.keepReplaced = text(wording("置き換えるファイルを残す"));
  t.keepReplacedTip =
      text(wording("上書きで置き換えるファイルを消さずに、コピー先の .nuvelo-versions "
                   "フォルダの中に、コピーを始めた日時のフォルダを作って残します"));
  t.namePage = text(wording("ファイル名"));
  t.nameGroup = text(wording("除外するファイル名"));
  t.nameNote =
      text(wording("名前が合うファイルとフォルダを、\n"
                   "どの深さにあっても除外します。\n"
                   "1 行に 1 つ。* ? [ ] が使えます。\n"
                   "例: ~$*   *.tmp   Thumbs.db"));
  return t;
}

}  // namespace nuvelo
