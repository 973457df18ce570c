#pragma once
// The texts of a copy run, in the user's words, for the window and nuvelo-cli alike.

#include <string>
#include <vector>

#include "engine/copy/copy_run.h"
#include "engine/copy/overwrite_policy.h"
#include "engine/copy/replaced_versions.h"

namespace nuvelo {

// "<source> を <target> にコピーできません。" and the reason on the next line.
std::string copyFailureText(const EntryReport& report);
// "<source>: <reason>", a line of the list of failed files.
std::string failedFileLineText(const EntryReport& report);
std::string replaceQuestionText(const std::string& target);
// What each answer to the replace question on the terminal does.
std::string replaceChoicesText();
// nuvelo-cli stopped the copy: the replace question got no answer (its input ended).
std::string unansweredQuestionText();
std::string sameFileText();
// Why a file stayed as it was: the same file, a replacement declined, a link the destination
// cannot keep, or the policy kept the destination's file (a damaged one under "never").
std::string skipReasonText(const EntryReport& report, OverwritePolicy overwrite);
// Why a file whose copy is damaged is copied: "コピー先のファイルは大きさか内容が違います".
std::string damagedCopyText();
// "壊れたコピーを置き換えました: 3個" and "壊れたコピーを残しました: 1個" (a dry run: what it would
// do), a line each; empty when the run met no damaged copy.
std::string damagedCopyCountsText(const DamagedCopyCounts& damaged, bool dryRun);
// "コピー先の空き容量が足りません (必要 1.5 GiB, 空き 200.0 MiB)".
std::string spaceShortageText(const SpaceShortage& shortage);
// nuvelo-cli's shortage line, which says what --ignore-free-space does or did.
std::string spaceShortageOnCommandLineText(const SpaceShortage& shortage, bool ignoringIt);
// "コピー 5個, スキップ 1個, 失敗 2個"; a planned run (a dry run) says "コピー予定".
std::string copyCountsText(const CopyCounts& counts);
std::string plannedCountsText(const CopyCounts& counts);
// "中断しました: <counts>".
std::string interruptedCountsText(const std::string& counts);
// The progress line while what was copied is written out to the drive.
std::string flushingText();
// The copies are on the drive (the run synced what it placed): it may be removed now.
std::string driveMayBeRemovedText();
// What the run placed could not be brought onto the drive for sure: where, why, and that the
// day was not moved on.
std::string flushFailureText(const Failure& failure);
// The desktop notification's text when a long copy has ended: "コピーが終了しました (コピー 5個,
// スキップ 1個, 失敗 2個)".
std::string copyEndedText(const CopyCounts& counts);
// "失敗したファイル: a.txt, b.txt, c.txt ほか 2個": the names of the first few failed files;
// empty when none failed.
std::string failedNamesText(const std::vector<std::string>& failedSources);
// The copy's progress for the status bar: "ファイル 120/5000, 12.0 MiB/1.2 GiB, 残り 約 1 分 5 秒";
// the bytes only when they were counted, the time left once a second has passed and some of
// the work is done (estimated from the share done so far).
std::string copyProgressText(const CopyProgress& progress, double elapsedSeconds);
// The figures of nuvelo-cli's progress line of a copy, each already written out.
struct MeterFigures {
  std::string filesDone, files, bytesDone, bytes, rate, timeLeft;
};
// "12/345 ファイル, 1.2 MiB/3.4 GiB, 85.3 MiB/s, 残り 0:27".
std::string meterProgressText(const MeterFigures& figures);
// The bytes copied and the seconds taken: "1.2 MiB, 3.4 秒".
std::string meterSummaryText(const std::string& bytesCopied, const std::string& seconds);
// "約 1 分 5 秒", "約 12 秒".
std::string durationText(double seconds);
// "次回のコピーで再試行するもの: 3個": the files and folders a job's next run takes again.
std::string waitingFilesText(std::size_t waiting);
// "一時的なエラーのあとやり直したもの: 2個": the files of a run tried again after a failure that
// may pass, whatever became of them then.
std::string retriedFilesText(std::size_t retried);
// "保存できないため除外したシンボリックリンク: 2個 (--links=skip)".
std::string linksLeftOutText(std::size_t links);
// nuvelo-cli's reason for a failed file: reasonText, and for a link the destination cannot keep,
// the option that leaves such links out.
std::string commandLineReasonText(const CopyFailure& failure);
// "置き換えたファイルを残しました: 3個 (フォルダ)": the versions the run kept and where, and
// "古い版を削除しました: 5個" for those it pruned; empty when it did neither.
std::string versionCountsText(const VersionCounts& versions);
// Why the versions folder cannot serve the copy, naming it.
std::string versionsFolderRefusalText(VersionsFolderRefusal refusal, const std::string& root);
// "古い版を削除できませんでした: <path>: <reason>".
std::string pruneFailureText(const Failure& failure);
// "コピー先が exFAT のため、アクセス権と所有者は保存していません", "コピー先が ramfs のため、
// アクセス制御リストと拡張属性は保存していません".
std::string attributesNoteText(const AttributesNote& note);

}  // namespace nuvelo
