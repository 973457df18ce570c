#include "cli/copy_report.h"

#include <cstdio>

#include "engine/jobs/run_status.h"
#include "engine/text/output_text.h"

namespace nuvelo {

void CopyReport::file(const char* status, const EntryReport& report, std::uint64_t bytes,
                      const std::string& detail) {
  if (!out_) return;  // nothing more reaches it: no line is made for nothing
  out_ << "{\"status\": \"" << status << '"' << jsonPathFields("source", report.source)
       << jsonPathFields("target", report.target) << ", \"size\": " << bytes;
  if (!detail.empty())
    out_ << (report.kind == EntryReport::Failed ? ", \"error\": " : ", \"reason\": ")
         << jsonString(detail);
  // Each line reaches the file as the file is done: a run that is killed leaves a report of
  // everything it did up to then.
  out_ << "}\n" << std::flush;
}

void CopyReport::summary(const CopyRunResult& result, std::size_t searchUnreadable,
                         std::uint64_t bytes, double seconds, bool dryRun, bool interrupted,
                         std::size_t waiting) {
  const CopyCounts& counts = result.counts;
  char time[32];
  std::snprintf(time, sizeof time, "%.3f", seconds);
  out_ << "{\"status\": \"summary\", \"start\": " << jsonString(isoLocalTime(started_))
       << ", \"end\": " << jsonString(isoLocalTime(std::time(nullptr)))
       << ", \"copied\": " << counts.copied << ", \"skipped\": " << counts.skipped
       << ", \"failed\": " << failureCount(result, searchUnreadable)
       << ", \"unreadable_folders\": " << unreadableFolderCount(result, searchUnreadable)
       << ", \"retried\": " << result.retried << ", \"links_left_out\": " << counts.linksLeftOut
       << ", \"damaged_replaced\": " << result.damaged.replaced
       << ", \"damaged_kept\": " << result.damaged.kept << ", \"kept\": " << result.versions.kept
       << ", \"pruned\": " << result.versions.pruned << ", \"bytes\": " << bytes
       << ", \"seconds\": " << time << ", \"dry_run\": " << (dryRun ? "true" : "false")
       << ", \"interrupted\": " << (interrupted ? "true" : "false")
       << ", \"out_of_memory\": " << (result.outOfMemory ? "true" : "false")
       << ", \"waiting\": " << waiting << "}\n";
}

bool CopyReport::close() {
  out_.flush();
  const bool written = static_cast<bool>(out_);
  if (!file_) return written;
  file_->close();
  return written && !file_->fail();
}

}  // namespace nuvelo
