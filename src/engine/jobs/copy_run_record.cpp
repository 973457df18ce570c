#include "engine/jobs/copy_run_record.h"

#include <unordered_set>

namespace nuvelo {

void addCopyRun(RunRecord& run, const std::vector<std::string>& copyList,
                const CopyRunResult& result) {
  run.carried = carriedSources(copyList, result);
  run.carried.insert(run.carried.end(), result.lastingFailures.begin(),
                     result.lastingFailures.end());
  const std::unordered_set<std::string> lasting(result.lastingFailures.begin(),
                                                result.lastingFailures.end());
  run.failed.clear();
  for (const std::string& source : result.failedSources)
    if (!lasting.contains(source)) run.failed.push_back(source);
}

}  // namespace nuvelo
