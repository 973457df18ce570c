#pragma once
// The texts of the run log: nuvelo-cli's `log` table and warnings, and the window's list of the
// last runs.

#include <cstddef>
#include <string>
#include <vector>

namespace nuvelo {

// "実行記録に書き込めません: <file>: <reason>": the run's own result stands.
std::string runLogUnwritableText(const std::string& file, const std::string& reason);
// "実行記録ではない 2 行を飛ばしました".
std::string runLogSkippedLinesText(std::size_t lines);
// "まだ実行記録はありません: <file>".
std::string runLogEmptyText(const std::string& file);

// nuvelo-cli's table: start, from, copied, skipped, failed, status, and the job or source.
std::vector<std::string> runLogTableHeadings();
// The window's list: start, job or source, copied, failed, status.
std::vector<std::string> runLogListHeadings();
std::string runLogDialogTitle();

// An exit status in words: "完了", "失敗あり", "中断", ...; a status without words as its number.
std::string runStatusText(int status);
// Where the run came from as the user reads it: "ウィンドウ" or "cli".
std::string runOriginText(const std::string& from);

}  // namespace nuvelo
