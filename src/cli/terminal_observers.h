#pragma once
// nuvelo-cli's side of the search and copy runs: Ctrl+C and SIGTERM abort, a progress line on a
// terminal's stderr, unreadable folders and failures on stderr, one line a file on stdout, the
// replace question on the terminal, and the --report file.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/copy_meter.h"
#include "cli/copy_report.h"
#include "engine/copy/copy_run.h"

namespace nuvelo {

bool interrupted(const CliEnvironment& env);

// A progress line on a terminal's stderr, redrawn at most ten times a second.
class ProgressLine {
 public:
  explicit ProgressLine(CliEnvironment& env) : env_(env) {}
  ~ProgressLine() { clear(); }
  bool wanted() const { return env_.progressOnErr; }
  // Whether a line shown now would be drawn: a tenth of a second has passed since the last.
  bool due();
  void show(const std::string& text);
  void clear();

 private:
  CliEnvironment& env_;
  std::chrono::steady_clock::time_point last_;
  bool shown_ = false;
};

// The terminal's side of a walk: an interrupt aborts, a progress line counts the entries read,
// and every folder that cannot be read is named on stderr.
class TerminalWalkObserver : public virtual WalkObserver {
 public:
  // activity: what the progress line says before the count, in the user's language.
  TerminalWalkObserver(CliEnvironment& env, ProgressLine& progress, std::string activity)
      : env_(env), progress_(progress), activity_(std::move(activity)) {}
  bool abortRequested() override { return interrupted(env_); }
  void entryRead() override;
  void folderUnreadable(const UnreadableFolder& folder) override;
  void contentsHashed(std::uint64_t done, std::uint64_t total) override;
  void entryFound(const WalkEntry& entry) override {
    if (found_) found_(entry);
  }
  // What to do with each entry as the walk finds it; with `keepEntries` false the search's
  // outcome leaves them to it and keeps none.
  void onFound(std::function<void(const WalkEntry&)> found, bool keepEntries = true) {
    found_ = std::move(found);
    keepEntries_ = keepEntries;
  }
  bool outcomeKeepsEntries() const override { return keepEntries_; }
  std::size_t unreadable() const { return unreadable_; }

 protected:
  CliEnvironment& env_;
  ProgressLine& progress_;

 private:
  std::string activity_;
  std::uint64_t entries_ = 0;
  std::size_t unreadable_ = 0;
  std::function<void(const WalkEntry&)> found_;
  bool keepEntries_ = true;
};

// The terminal's side of a copy run. `list` is the run's copy list, complete when the copy
// starts; the meter counts what is done, and the report (when given) gets a line a file.
class TerminalCopyObserver : public CopyObserver, public TerminalWalkObserver {
 public:
  TerminalCopyObserver(CliEnvironment& env, ProgressLine& progress, const CliOptions& options,
                       OverwritePolicy overwrite, const std::vector<std::string>& list,
                       CopyMeter& meter, CopyReport* report);

  // Ctrl+C stops the files being written at their next chunk, whatever this thread is doing.
  const std::atomic<bool>* sharedAbortFlag() const override { return env_.interrupted; }
  void copyStarting(std::size_t files) override;
  ReplaceAnswer askReplace(const std::string& target) override;
  void copyFailed(const EntryReport& report) override;
  void fileBytesCopied(std::uint64_t soFar) override;
  void fileDone(const EntryReport& report) override;
  bool proceedWithoutRoom(const SpaceShortage& shortage) override;
  bool unanswered() const { return unanswered_; }

 private:
  void printLine(const EntryReport& report);
  void reportLine(const EntryReport& report, std::uint64_t bytes);
  void showProgress();
  // The size of the file a report tells of, looked up when the copy started.
  std::uint64_t bytesOf(const EntryReport& report);

  const CliOptions& options_;
  OverwritePolicy overwrite_;
  const std::vector<std::string>& list_;
  CopyMeter& meter_;
  CopyReport* report_;
  bool unanswered_ = false;
  // The answer given for this file and every later one (a or N).
  std::optional<ReplaceAnswer> answerForAll_;
  // The files' sizes in list order, looked up once: the files are told in that order, and a
  // look-up may cost a round trip on a share.
  std::vector<std::uint64_t> sizes_;
  std::size_t told_ = 0;
};

}  // namespace nuvelo
