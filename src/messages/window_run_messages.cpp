#include "messages/window_run_messages.h"

#include "messages/wording.h"

namespace nuvelo {
namespace {

constexpr std::size_t UnreadableFoldersShown = 5;

}  // namespace

std::string stoppingText() {
  return std::string(wording("中止しています…"));
}

std::string copyFailuresWaitText(std::size_t failed, std::size_t lasting) {
  if (lasting == 0)
    return fill("{1}個のファイルをコピーできませんでした。次のコピーでもう一度コピーします",
                {std::to_string(failed)});
  if (lasting >= failed)
    return fill(
        "{1}個のファイルをコピーできませんでした。コピー先に保存できないため、次のコピーでは"
        "再試行しません",
        {std::to_string(failed)});
  return fill(
      "{1}個のファイルをコピーできませんでした。うち {2}個を次のコピーでもう一度コピーします",
      {std::to_string(failed), std::to_string(failed - lasting)});
}

std::string sourceChangedSinceSearchText() {
  return std::string(
      wording("更新元フォルダが検索したときと違います。もう一度検索してからコピーしてください"));
}

std::string jobRunningElsewhereText() {
  return std::string(wording(
      "このコピーと同じジョブを nuvelo-cli が実行中です。終わってからもう一度コピーしてください"));
}

std::string unreadableFoldersText(const std::vector<std::string>& folders) {
  std::string text =
      fill("次のフォルダを読めませんでした ({1}個)。見つかったファイルだけを表示しています。",
           {std::to_string(folders.size())});
  for (std::size_t i = 0; i < folders.size() && i < UnreadableFoldersShown; ++i)
    text += "\n" + folders[i];
  if (folders.size() > UnreadableFoldersShown) text += "\n…";
  return text;
}

std::string goOnWithoutRoomQuestion(const std::string& shortageText) {
  return shortageText + std::string(wording("。\n続けますか？"));
}

std::string noMoreFailureBoxesText() {
  return std::string(wording("このコピー中は以降のエラーを表示しない"));
}

std::string futureLastCopyDayQuestionText(const std::string& day) {
  return fill(
      "前回コピーした日付 {1} "
      "は今日より後です。記録した時にコンピューターの時計が進んでいたようです。"
      "この日付から検索すると、それまでに変更したファイルが見つかりません。\n\n"
      "代わりにコピー先と比べて検索しますか？",
      {day});
}

std::string labelNotADateText(const std::string& text) {
  return fill("'{1}' は日付ではありません", {text});
}

}  // namespace nuvelo
