#pragma once
// nuvelo-cli's side of the search and copy runs: Ctrl+C and SIGTERM abort, the progress on
// stderr, unreadable folders and failures on stderr, one line a file on stdout, the replace
// question on the terminal, and the --report file.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/copy_meter.h"
#include "cli/copy_report.h"
#include "engine/copy/copy_run.h"

namespace nuvelo {

bool interrupted(const CliEnvironment& env);

// The progress on stderr. On a terminal, one line redrawn in place at most ten times a second;
// elsewhere (a file, a pipe, a journal) plain lines without escape codes, at most one every
// few seconds, and the final state when the run ends.
class ProgressLine {
 public:
  explicit ProgressLine(CliEnvironment& env);
  ~ProgressLine() { clear(); }
  // Whether a line shown now would be written: progress is wanted, stderr can still be written,
  // and the time since the last line (or the start, for plain lines) has passed.
  bool due();
  void show(const std::string& text);
  // Shows a new stage of the run at once, however soon after the last line.
  void showNow(const std::string& text);
  // Erases the terminal's line before other output goes there.
  void clear();
  // The run's last state: a plain line where lines are not redrawn, nothing on a terminal.
  template <class Text>
  void finish(Text text) {
    if (plain() && env_.err) writePlain(text());
    clear();
  }

 private:
  bool plain() const { return env_.progressOnErr && !env_.errIsTerminal; }
  void draw(const std::string& text);
  void writePlain(const std::string& text);

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
  bool abortRequested() override {
    return interrupted(env_) || (abortFlag_ && abortFlag_->load(std::memory_order_relaxed));
  }
  // Aborts also once `flag` is set (what the walk finds can no longer be written).
  void abortWhen(const std::atomic<bool>& flag) { abortFlag_ = &flag; }
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
  // The progress line's final state, once the walk (or the copy) has ended.
  virtual void finishProgress() {
    progress_.finish([this] { return walkProgressText(); });
  }

 protected:
  std::string walkProgressText() const { return activity_ + " " + std::to_string(entries_); }

  CliEnvironment& env_;
  ProgressLine& progress_;

 private:
  std::string activity_;
  std::uint64_t entries_ = 0;
  std::size_t unreadable_ = 0;
  std::function<void(const WalkEntry&)> found_;
  bool keepEntries_ = true;
  const std::atomic<bool>* abortFlag_ = nullptr;
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
  void flushing() override;
  bool unanswered() const { return unanswered_; }
  void finishProgress() override;

 private:
  void printLine(const EntryReport& report);
  void reportLine(const EntryReport& report, std::uint64_t bytes);
  void showProgress();
  std::string copyProgressText() const;
  // The size of the file a report tells of, looked up when the copy started.
  std::uint64_t bytesOf(const EntryReport& report);

  const CliOptions& options_;
  // Where the lines that name each file go: stdout, or stderr when the report takes stdout.
  std::ostream& lines_;
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
  bool copying_ = false;
};

}  // namespace nuvelo
