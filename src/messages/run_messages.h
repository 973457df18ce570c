#pragma once
// The texts of the checks before a search or a copy starts, and of a condition file that
// cannot be read, in the user's words.

#include <cstdint>
#include <string>

#include "engine/jobs/job_drive.h"
#include "engine/search/search_run.h"

namespace nuvelo {

std::string searchRefusalText(SearchRefusal refusal);
std::string nothingToCopyText();
std::string noDestinationText();
std::string missingDestinationQuestion();
// nuvelo-cli's refusal of a missing destination it was not allowed to make (no --mkdir).
std::string missingDestinationRefusedText(const std::string& destination);
// The destination lies on another drive than the job recorded: nuvelo-cli's refusal, which
// names --any-drive, and the window's question, answered by a check box.
std::string otherDriveText(const DriveMismatch& mismatch);
std::string otherDriveQuestionText(const DriveMismatch& mismatch);
std::string useOtherDriveCheckText();
std::string cannotMakeDestinationText();
// nuvelo-cli: the destination names something that is not a folder, and a destination that
// could not be made, with the folder and the reason.
std::string destinationNotAFolderText(const std::string& destination);
// nuvelo-cli: the source folder that cannot be searched, and why (missing, not a folder, not
// readable).
std::string sourceCannotBeSearchedText(const std::string& source, const std::string& reason);
std::string cannotMakeDestinationText(const std::string& destination, const std::string& reason);
// nuvelo-cli's refusal of --overwrite ask without a terminal to ask on.
std::string askNeedsTerminalText();
std::string invalidConditionFileText();
// "ヘルプファイル /usr/share/nuvelo/nuvelo.HLP が見つかりません".
std::string helpFileMissingText(const std::string& helpFile);
// The desktop notification's text when a long search has ended: "検索が終了しました (12個)".
std::string searchEndedText(std::size_t rows);
// What nuvelo-cli's progress line says it does: "検索中です", "収集中です" (gathering the files
// of a copy), "コピー中です".
std::string searchingText();
std::string gatheringText();
std::string copyingText();
// "フォルダを読めません: <folder>: <reason>".
std::string unreadableFolderText(const std::string& folder, const std::string& reason);
// What nuvelo-cli's progress line says while a comparison reads the files' bytes:
// "内容を比べています".
std::string comparingContentsText();
// A comparison of contents: a source file it could not read (a failure), and a copy it could
// not read (taken as damaged), each with the reason.
std::string unreadableSourceText(const std::string& file, const std::string& reason);
std::string unreadableCopyText(const std::string& copy, const std::string& reason);
// "コピー先のファイルと大きさか内容が違うもの: 3個": of a comparison's files, those taken for a
// damaged copy.
std::string damagedCopiesFoundText(std::size_t files);
// The entries a running search has read so far: "12345 項目を読みました".
std::string entriesReadText(std::uint64_t entries);
// Memory ran out and the run stopped: "メモリが足りないため、コピーを中止しました", and the same
// of the search.
std::string copyOutOfMemoryText();
std::string searchOutOfMemoryText();

}  // namespace nuvelo
