#include "messages/copy_messages.h"

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "engine/copy/copy_errors.h"
#include "messages/failure_reasons.h"
#include "messages/wording.h"
#include "platform/path_text.h"

namespace nuvelo {
namespace {

std::string byteText(std::uint64_t bytes) {
  char text[32];
  if (bytes >= (std::uint64_t{1} << 30)) {
    std::snprintf(text, sizeof text, "%.1f GiB", bytes / 1073741824.0);
    return text;
  }
  if (bytes >= (1u << 20)) {
    std::snprintf(text, sizeof text, "%.1f MiB", bytes / 1048576.0);
    return text;
  }
  return fill("{1} バイト", {std::to_string(bytes)});
}

// Things named in a sentence: "A、B と C" in the words of the user's language.
std::string listText(const std::vector<std::string_view>& items) {
  if (items.empty()) return {};
  std::string text(items.back());
  if (items.size() < 2) return text;
  text = fill("{1}と{2}", {items[items.size() - 2], text});
  for (std::size_t i = items.size() - 2; i > 0; --i) text = fill("{1}、{2}", {items[i - 1], text});
  return text;
}

std::string droppedAttributes(const AttributesNote& note) {
  std::vector<std::string_view> items;
  if (note.permissionBits) items.push_back(wording("アクセス権"));
  if (note.owners) items.push_back(wording("所有者"));
  if (note.acls) items.push_back(wording("アクセス制御リスト"));
  if (note.extendedAttributes) items.push_back(wording("拡張属性"));
  return listText(items);
}

// The counts in the places {1} (copied), {2} (skipped) and {3} (failed).
std::string countsText(std::string_view pattern, const CopyCounts& counts) {
  return fill(pattern, {std::to_string(counts.copied), std::to_string(counts.skipped),
                        std::to_string(counts.failed)});
}

// The share of the run done: by bytes when they were counted, else by files.
double shareDone(const CopyProgress& progress) {
  if (progress.bytes > 0)
    return static_cast<double>(progress.bytesDone) / static_cast<double>(progress.bytes);
  if (progress.files > 0)
    return static_cast<double>(progress.filesDone) / static_cast<double>(progress.files);
  return 0;
}

}  // namespace

std::string durationText(double seconds) {
  const auto whole = static_cast<long long>(seconds + 0.5);
  if (whole < 60) return fill("約 {1} 秒", {std::to_string(whole)});
  return fill("約 {1} 分 {2} 秒", {std::to_string(whole / 60), std::to_string(whole % 60)});
}

std::string meterProgressText(const MeterFigures& figures) {
  return fill("{1}/{2} ファイル, {3}/{4}, {5}/s, 残り {6}",
              {figures.filesDone, figures.files, figures.bytesDone, figures.bytes, figures.rate,
               figures.timeLeft});
}

std::string meterSummaryText(const std::string& bytesCopied, const std::string& seconds) {
  return fill("{1}, {2} 秒", {bytesCopied, seconds});
}

std::string copyProgressText(const CopyProgress& progress, double elapsedSeconds) {
  std::string text = fill("ファイル {1}/{2}",
                          {std::to_string(progress.filesDone), std::to_string(progress.files)});
  if (progress.bytes > 0)
    text += ", " + byteText(progress.bytesDone) + "/" + byteText(progress.bytes);
  const double done = shareDone(progress);
  if (elapsedSeconds >= 1 && done > 0 && done < 1)
    text += fill(", 残り {1}", {durationText(elapsedSeconds * (1 - done) / done)});
  return text;
}

std::string copyFailureText(const EntryReport& report) {
  return fill("{1} を {2} にコピーできません。\n{3}",
              {report.source, report.target, reasonText(report.failure)});
}

std::string failedFileLineText(const EntryReport& report) {
  return fill("{1}: {2}", {report.source, reasonText(report.failure)});
}

std::string replaceQuestionText(const std::string& target) {
  return fill("{1} は既にあります。\n置き換えますか？", {target});
}

std::string replaceChoicesText() {
  return std::string(wording(
      "y 置き換える、n 残す、a これ以降もすべて置き換える、N これ以降もすべて残す、q 中止する"));
}

std::string unansweredQuestionText() {
  return std::string(wording("質問に答えがなかったので中止しました"));
}

std::string skipReasonText(const EntryReport& report, OverwritePolicy overwrite) {
  if (report.kind == EntryReport::SameFile) return sameFileText();
  if (report.kind == EntryReport::LinkLeftOut)
    return reasonText(make_error_code(CopyError::NoLinks));
  if (report.kind == EntryReport::Declined) return std::string(wording("置き換えませんでした"));
  if (report.damagedCopy)
    return std::string(wording("コピー先のファイルは壊れていますが、上書きしない設定です"));
  if (overwrite == OverwriteNever)
    return std::string(wording("コピー先に同名のファイルがあります"));
  return std::string(wording("コピー先のファイルは新しいか同じです"));
}

std::string damagedCopyText() {
  return std::string(wording("コピー先のファイルは大きさか内容が違います"));
}

std::string damagedCopyCountsText(const DamagedCopyCounts& damaged, bool dryRun) {
  std::string text;
  if (damaged.replaced > 0)
    text = fill(dryRun ? catalogText("壊れたコピーを置き換えます: {1}個")
                       : catalogText("壊れたコピーを置き換えました: {1}個"),
                {std::to_string(damaged.replaced)});
  if (damaged.kept > 0)
    text +=
        (text.empty() ? "" : "\n") + fill(dryRun ? catalogText("壊れたコピーを残します: {1}個")
                                                 : catalogText("壊れたコピーを残しました: {1}個"),
                                          {std::to_string(damaged.kept)});
  return text;
}

std::string sameFileText() {
  return std::string(wording("コピー元と同じファイルです"));
}

std::string spaceShortageText(const SpaceShortage& shortage) {
  return fill("コピー先の空き容量が足りません (必要 {1}, 空き {2})",
              {byteText(shortage.needed), byteText(shortage.available)});
}

std::string spaceShortageOnCommandLineText(const SpaceShortage& shortage, bool ignoringIt) {
  return spaceShortageText(shortage) +
         std::string(ignoringIt ? wording("。--ignore-free-space によりコピーします")
                                : wording("。それでもコピーするときは --ignore-free-space"));
}

std::string copyCountsText(const CopyCounts& counts) {
  return countsText(catalogText("コピー {1}個, スキップ {2}個, 失敗 {3}個"), counts);
}

std::string copyEndedText(const CopyCounts& counts) {
  return fill("コピーが終了しました ({1})", {copyCountsText(counts)});
}

std::string plannedCountsText(const CopyCounts& counts) {
  return countsText(catalogText("コピー予定 {1}個, スキップ {2}個, 失敗 {3}個"), counts);
}

std::string interruptedCountsText(const std::string& counts) {
  return fill("中断しました: {1}", {counts});
}

std::string failedNamesText(const std::vector<std::string>& failedSources) {
  constexpr std::size_t Shown = 3;
  if (failedSources.empty()) return {};
  std::string names;
  for (std::size_t i = 0; i < failedSources.size() && i < Shown; ++i)
    names += (i ? ", " : "") + std::string(lastComponent(failedSources[i]));
  if (failedSources.size() <= Shown) return fill("失敗したファイル: {1}", {names});
  return fill("失敗したファイル: {1} ほか {2}個",
              {names, std::to_string(failedSources.size() - Shown)});
}

std::string attributesNoteText(const AttributesNote& note) {
  return fill("コピー先が {1} のため、{2}は保存していません",
              {note.fileSystem, droppedAttributes(note)});
}

std::string versionCountsText(const VersionCounts& versions) {
  std::string text;
  if (versions.kept > 0)
    text = fill("置き換えたファイルを残しました: {1}個 ({2})",
                {std::to_string(versions.kept), versions.root});
  if (versions.pruned > 0)
    text += (text.empty() ? "" : "\n") +
            fill("古い版を削除しました: {1}個", {std::to_string(versions.pruned)});
  return text;
}

std::string versionsFolderRefusalText(VersionsFolderRefusal refusal, const std::string& root) {
  switch (refusal) {
    case VersionsFolderRefusal::IsDestination:
      return fill(
          "置き換えるファイルを残すフォルダ {1} はコピー先そのものです。"
          "コピー先の中の別のフォルダを指定してください",
          {root});
    case VersionsFolderRefusal::InsideSource:
      return fill("置き換えるファイルを残すフォルダ {1} は検索元の中にあります", {root});
    case VersionsFolderRefusal::OtherFileSystem:
      break;
  }
  return fill(
      "置き換えるファイルを残すフォルダ {1} はコピー先と別のファイルシステムにあります。"
      "残すファイルはコピーせずに移すので、コピー先と同じドライブのフォルダを指定してください",
      {root});
}

std::string pruneFailureText(const Failure& failure) {
  return fill("古い版を削除できませんでした: {1}: {2}", {failure.path, reasonText(failure.code)});
}

std::string flushingText() {
  return std::string(wording("コピーしたファイルをドライブに書き込んでいます…"));
}

std::string driveMayBeRemovedText() {
  return std::string(
      wording("コピーしたファイルはドライブに書き込み済みです。ドライブを取り外せます。"));
}

std::string flushFailureText(const Failure& failure) {
  return fill(
      "コピーしたファイルを {1} に書き込めたか確かめられません: {2}。失われたおそれがあるため、"
      "日付は進めていません。もう一度コピーしてください。",
      {failure.path, reasonText(failure.code)});
}

std::string waitingFilesText(std::size_t waiting) {
  return fill("次回のコピーで再試行するもの: {1}個", {std::to_string(waiting)});
}

std::string retriedFilesText(std::size_t retried) {
  return fill("一時的なエラーのあとやり直したもの: {1}個", {std::to_string(retried)});
}

std::string linksLeftOutText(std::size_t links) {
  return fill("保存できないため除外したシンボリックリンク: {1}個 (--links=skip)",
              {std::to_string(links)});
}

std::string commandLineReasonText(const CopyFailure& failure) {
  if (failure.code != CopyError::NoLinks) return reasonText(failure);
  return fill("{1}。除外するときは --links=skip", {reasonText(failure)});
}

}  // namespace nuvelo
