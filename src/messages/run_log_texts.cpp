#include "messages/run_log_texts.h"

#include "engine/jobs/run_status.h"
#include "messages/wording.h"

namespace nuvelo {

std::string runLogUnwritableText(const std::string& file, const std::string& reason) {
  return fill("実行記録に書き込めません: {1}: {2}", {file, reason});
}

std::string runLogSkippedLinesText(std::size_t lines) {
  return fill("実行記録ではない {1} 行を飛ばしました", {std::to_string(lines)});
}

std::string runLogEmptyText(const std::string& file) {
  return fill("まだ実行記録はありません: {1}", {file});
}

std::vector<std::string> runLogTableHeadings() {
  return {std::string(wording("開始")),
          std::string(wording("実行元")),
          std::string(wording("コピー数")),
          std::string(wording("スキップ数")),
          std::string(wording("失敗数")),
          std::string(wording("状態")),
          std::string(wording("ジョブ・コピー元"))};
}

std::vector<std::string> runLogListHeadings() {
  return {std::string(wording("開始")), std::string(wording("ジョブ・コピー元")),
          std::string(wording("コピー数")), std::string(wording("失敗数")),
          std::string(wording("状態"))};
}

std::string runLogDialogTitle() {
  return std::string(wording("実行記録"));
}

std::string runStatusText(int status) {
  switch (status) {
    case ExitStatus::Done:
      return std::string(wording("完了"));
    case ExitStatus::SomeFailed:
      return std::string(wording("失敗あり"));
    case ExitStatus::BadUsage:
      return std::string(wording("容量不足で中止"));
    case ExitStatus::Interrupted:
      return std::string(wording("中断"));
    case ExitStatus::Terminated:
      return std::string(wording("終了させられました"));
    default:
      return std::to_string(status);
  }
}

std::string runOriginText(const std::string& from) {
  return from == "window" ? std::string(wording("ウィンドウ")) : from;
}

}  // namespace nuvelo
