// Reading the run log: `nuvelo-cli log` over a log of 10,000 runs, the last 10 and all of them,
// as a table and as JSON, against the target of 0.2 s; and the same log as the program keeps it,
// appended run by run with its rotation at 1 MB.
// Usage: bench-run-log [RUNS]

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bench_support.h"
#include "engine/runlog/run_log_file.h"

using namespace nuvelo;
using namespace nuvelo::bench;

namespace {

// A run as an evening backup leaves it: a job file, a few failures now and then.
RunLogEntry sampleRun(std::size_t n) {
  RunLogEntry e;
  e.start = "2026-12-08T21:00:04+09:00";
  e.end = "2026-12-08T21:03:51+09:00";
  e.from = n % 3 ? "cli" : "window";
  e.job = n % 3 ? "/home/user/.config/nuvelo/jobs/documents.dat" : "";
  e.source = "/home/user/Documents";
  e.destination = "/media/user/backup/Documents";
  e.found = 1200 + n % 300;
  e.copied = 1100 + n % 250;
  e.skipped = n % 40;
  e.failed = n % 17 == 0 ? 2 : 0;
  e.bytes = 734003200 + n;
  e.exitStatus = e.failed ? 1 : 0;
  if (e.failed)
    e.failedFiles = {"/home/user/Documents/見積書.xlsx", "/home/user/Documents/tmp/lock"};
  e.waiting = e.failed;
  return e;
}

double timeCli(const std::string& log, const std::vector<std::string>& args) {
  const std::string settings = std::filesystem::path(log).parent_path() / "NVO.ini";
  std::vector<std::string> command{NUVELO_CLI_PATH, "log", "--settings", settings};
  command.insert(command.end(), args.begin(), args.end());
  bool ok = true;
  const double seconds = bestOf(5, [&] { ok = runQuietly(command) && ok; });
  return ok ? seconds : -1;
}

void report(const char* what, double seconds) {
  if (seconds < 0)
    std::printf("%-52s failed\n", what);
  else
    std::printf("%-52s %.4f s (%.0f%% of the 0.2 s target)\n", what, seconds, seconds / 0.2 * 100);
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::size_t runs = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10000;
  const char* base = std::getenv("NUVELO_BENCH_DIR");
  const std::filesystem::path folder =
      std::filesystem::path(base ? base : "/tmp/nuvelo-bench") / "run-log";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "whole");
  std::filesystem::create_directories(folder / "rotated");

  // One file of every run, as a log written without rotation would be.
  const std::string whole = runLogPath((folder / "whole" / "NVO.ini").string());
  {
    std::ofstream out(whole, std::ios::binary);
    for (std::size_t n = 0; n < runs; ++n) out << runLogLine(sampleRun(n));
  }
  // The same runs appended one by one, rotated at 1 MB with two files kept.
  const std::string rotated = runLogPath((folder / "rotated" / "NVO.ini").string());
  const double appending = bestOf(1, [&] {
    for (std::size_t n = 0; n < runs; ++n)
      if (!appendRunLog(rotated, runLogLine(sampleRun(n)))) std::abort();
  });
  std::uintmax_t kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder / "rotated"))
    kept += entry.file_size();
  const RunLogTail left = readRunLog(rotated, runs);
  std::printf(
      "%zu runs, %.1f MB in one file; appended one by one: %.1f us a run, %zu runs kept "
      "in %.1f MB\n",
      runs, static_cast<double>(std::filesystem::file_size(whole)) / 1e6,
      appending / static_cast<double>(runs) * 1e6, left.entries.size(),
      static_cast<double>(kept) / 1e6);

  report("nuvelo-cli log (the last 10)", timeCli(whole, {}));
  report("nuvelo-cli log -n 10000 (every run, table)",
         timeCli(whole, {"-n", std::to_string(runs)}));
  report("nuvelo-cli log -n 10000 --format json",
         timeCli(whole, {"-n", std::to_string(runs), "--format", "json"}));
  report("nuvelo-cli log -n 10000, rotated log", timeCli(rotated, {"-n", std::to_string(runs)}));
  const double last10 = bestOf(20, [&] { readRunLog(whole, 10); });
  const double all = bestOf(5, [&] { readRunLog(whole, runs); });
  std::printf("reading in the program: the last 10 %.5f s, all %.4f s (%.0fx for the last 10)\n",
              last10, all, all / last10);
  std::filesystem::remove_all(folder);
  return 0;
}
