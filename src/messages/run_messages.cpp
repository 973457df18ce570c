#include "messages/run_messages.h"

#include "messages/wording.h"

namespace nuvelo {

std::string searchRefusalText(SearchRefusal refusal) {
  switch (refusal) {
    case SearchRefusal::NoSource:
      return std::string(wording("更新元フォルダを指定してください"));
    case SearchRefusal::BadSource:
      break;
  }
  return std::string(wording("更新元フォルダが不正です。"));
}

std::string nothingToCopyText() {
  return std::string(wording("コピーするファイルがありません"));
}

std::string noDestinationText() {
  return std::string(wording("コピー先フォルダを指定してください"));
}

std::string missingDestinationQuestion() {
  return std::string(wording("コピー先が存在しません。作成しますか？"));
}

std::string missingDestinationRefusedText(const std::string& destination) {
  return fill("コピー先 {1} が存在しません。作るときは --mkdir を指定してください", {destination});
}

namespace {

// The pattern with the destination in {1}, the drive expected in {2} and the one found in {3}.
std::string withDrives(const char* pattern, const DriveMismatch& mismatch) {
  return fill(pattern, {mismatch.destination, mismatch.expected.displayText(),
                        mismatch.found.displayText()});
}

}  // namespace

std::string otherDriveText(const DriveMismatch& mismatch) {
  return withDrives(
      catalogText("コピー先 {1} は、このジョブがコピーしてきたドライブ ({2}) ではなく {3} に"
                  "あります。ドライブはつながっていますか？ そこへコピーしてこのジョブの"
                  "ドライブとするときは --any-drive を指定してください"),
      mismatch);
}

std::string otherDriveQuestionText(const DriveMismatch& mismatch) {
  return withDrives(
      catalogText("コピー先 {1} は、前回コピーしたドライブ ({2}) ではなく {3} にあります。"
                  "ドライブはつながっていますか？\n\n"
                  "このドライブにコピーするときは、下のボックスにチェックを付けて OK を押して"
                  "ください。"),
      mismatch);
}

std::string useOtherDriveCheckText() {
  return std::string(wording("このドライブにコピーし、これからのコピー先のドライブとする"));
}

std::string askNeedsTerminalText() {
  return std::string(
      wording("--overwrite ask には質問に答える端末が要ります。端末なしで実行するときは "
              "--overwrite newer|always|never のどれかを指定してください"));
}

std::string cannotMakeDestinationText() {
  return std::string(wording("ディレクトリを作成できません"));
}

std::string sourceCannotBeSearchedText(const std::string& source, const std::string& reason) {
  return fill("更新元フォルダ {1} を検索できません: {2}", {source, reason});
}

std::string destinationNotAFolderText(const std::string& destination) {
  return fill("コピー先 {1} はフォルダではありません", {destination});
}

std::string cannotMakeDestinationText(const std::string& destination, const std::string& reason) {
  return fill("コピー先 {1} を作れません: {2}", {destination, reason});
}

std::string invalidConditionFileText() {
  return std::string(wording("不正なファイル形式です"));
}

std::string helpFileMissingText(const std::string& helpFile) {
  return fill("ヘルプファイル {1} が見つかりません", {helpFile});
}

std::string searchEndedText(std::size_t rows) {
  return fill("検索が終了しました ({1}個)", {std::to_string(rows)});
}

std::string searchingText() {
  return std::string(wording("検索中です"));
}

std::string gatheringText() {
  return std::string(wording("収集中です"));
}

std::string copyingText() {
  return std::string(wording("コピー中です"));
}

std::string unreadableFolderText(const std::string& folder, const std::string& reason) {
  return fill("フォルダを読めません: {1}: {2}", {folder, reason});
}

std::string comparingContentsText() {
  return std::string(wording("内容を比べています"));
}

std::string unreadableSourceText(const std::string& file, const std::string& reason) {
  return fill("コピー元のファイルを読めないため、内容を比べられません: {1}: {2}", {file, reason});
}

std::string unreadableCopyText(const std::string& copy, const std::string& reason) {
  return fill("コピー先のファイルを読めないため、壊れたコピーとして扱います: {1}: {2}",
              {copy, reason});
}

std::string damagedCopiesFoundText(std::size_t files) {
  return fill("コピー先のファイルと大きさか内容が違うもの: {1}個", {std::to_string(files)});
}

std::string entriesReadText(std::uint64_t entries) {
  return fill("{1} 項目を読みました", {std::to_string(entries)});
}

std::string copyOutOfMemoryText() {
  return std::string(wording("メモリが足りないため、コピーを中止しました"));
}

std::string searchOutOfMemoryText() {
  return std::string(wording("メモリが足りないため、検索を中止しました"));
}

}  // namespace nuvelo
