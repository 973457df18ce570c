#include "cli/terminal_observers.h"

#include <sys/stat.h>

#include "engine/text/output_text.h"
#include "messages/copy_messages.h"
#include "messages/failure_reasons.h"
#include "messages/run_messages.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

// A regular file's size; links and what cannot be looked up count nothing.
std::uint64_t fileBytes(const std::string& path) {
  struct stat st {};
  return lookUpEntry(path, st, false) && S_ISREG(st.st_mode)
             ? static_cast<std::uint64_t>(st.st_size)
             : 0;
}

bool isSkip(const EntryReport& report) {
  return report.kind == EntryReport::NotCopied || report.kind == EntryReport::Declined ||
         report.kind == EntryReport::SameFile || report.kind == EntryReport::LinkLeftOut;
}

}  // namespace

bool interrupted(const CliEnvironment& env) {
  return env.interrupted && env.interrupted->load();
}

// A terminal's line is redrawn often enough to look alive. Plain lines go to a log that a
// person reads later (a timer's journal, a file): one every five seconds says that the run
// goes on and how far it got, and keeps an hour's copy to some 720 lines however many files it
// has, where a line per redraw would be one a file.
constexpr std::chrono::milliseconds RedrawEvery{100};
constexpr std::chrono::seconds PlainLineEvery{5};

ProgressLine::ProgressLine(CliEnvironment& env)
    : env_(env), last_(std::chrono::steady_clock::now()) {}

bool ProgressLine::due() {
  if (!env_.progressOnErr || !env_.err) return false;
  const auto since = std::chrono::steady_clock::now() - last_;
  return env_.errIsTerminal ? !shown_ || since >= RedrawEvery : since >= PlainLineEvery;
}

void ProgressLine::show(const std::string& text) {
  if (due()) draw(text);
}

void ProgressLine::showNow(const std::string& text) {
  if (env_.progressOnErr && env_.err) draw(text);
}

void ProgressLine::draw(const std::string& text) {
  last_ = std::chrono::steady_clock::now();
  if (!env_.errIsTerminal) return writePlain(text);
  shown_ = true;
  env_.err << "\r\x1b[K" << text << std::flush;
}

void ProgressLine::writePlain(const std::string& text) {
  env_.err << text << '\n' << std::flush;
}

void ProgressLine::clear() {
  if (shown_) env_.err << "\r\x1b[K" << std::flush;
  shown_ = false;
}

void TerminalWalkObserver::entryRead() {
  ++entries_;
  if (progress_.due()) progress_.show(walkProgressText());
}

void TerminalWalkObserver::contentsHashed(std::uint64_t done, std::uint64_t total) {
  if (progress_.due())
    progress_.show(comparingContentsText() + " " + byteText(done) + "/" + byteText(total));
}

void TerminalWalkObserver::folderUnreadable(const UnreadableFolder& folder) {
  progress_.clear();
  env_.err << "nuvelo-cli: "
           << unreadableFolderText(terminalText(folder.path), reasonText(folder.code)) << '\n';
  ++unreadable_;
}

TerminalCopyObserver::TerminalCopyObserver(CliEnvironment& env, ProgressLine& progress,
                                           const CliOptions& options, OverwritePolicy overwrite,
                                           const std::vector<std::string>& list, CopyMeter& meter,
                                           CopyReport* report)
    : TerminalWalkObserver(env, progress, gatheringText()),
      options_(options),
      lines_(options.reportsToStandardOutput() ? env.err : env.out),
      overwrite_(overwrite),
      list_(list),
      meter_(meter),
      report_(report) {}

void TerminalCopyObserver::copyStarting(std::size_t files) {
  std::uint64_t bytes = 0;
  sizes_.clear();
  sizes_.reserve(list_.size());
  for (const std::string& source : list_) bytes += sizes_.emplace_back(fileBytes(source));
  meter_.starting(files, bytes);
  copying_ = true;
}

void TerminalCopyObserver::flushing() {
  progress_.showNow(flushingText());
}

std::uint64_t TerminalCopyObserver::bytesOf(const EntryReport& report) {
  const std::size_t at = told_++;
  return at < sizes_.size() && list_[at] == report.source ? sizes_[at] : fileBytes(report.source);
}

ReplaceAnswer TerminalCopyObserver::askReplace(const std::string& target) {
  if (answerForAll_) return *answerForAll_;
  progress_.clear();
  const auto choice =
      env_.askReplace ? env_.askReplace(replaceQuestionText(terminalText(target))) : std::nullopt;
  if (!choice) {
    unanswered_ = true;
    return ReplaceAnswer::Stop;
  }
  switch (*choice) {
    case ReplaceChoice::Replace:
      return ReplaceAnswer::Replace;
    case ReplaceChoice::Keep:
      return ReplaceAnswer::Keep;
    case ReplaceChoice::ReplaceAll:
      return *(answerForAll_ = ReplaceAnswer::Replace);
    case ReplaceChoice::KeepAll:
      return *(answerForAll_ = ReplaceAnswer::Keep);
    case ReplaceChoice::Quit:
      break;
  }
  return ReplaceAnswer::Stop;
}

void TerminalCopyObserver::copyFailed(const EntryReport& report) {
  progress_.clear();
  env_.err << "failed\t" << tsvField(report.source) << '\t' << tsvField(report.target) << '\t'
           << tsvField(commandLineReasonText(report.failure)) << '\n';
}

void TerminalCopyObserver::fileBytesCopied(std::uint64_t soFar) {
  meter_.fileProgress(soFar);
  showProgress();
}

void TerminalCopyObserver::fileDone(const EntryReport& report) {
  const std::uint64_t bytes = bytesOf(report);
  meter_.fileDone(bytes, report.kind == EntryReport::Copied);
  if (report_) reportLine(report, bytes);
  progress_.clear();
  if (!options_.quiet) printLine(report);
  showProgress();
}

bool TerminalCopyObserver::proceedWithoutRoom(const SpaceShortage& shortage) {
  progress_.clear();
  env_.err << "nuvelo-cli: " << spaceShortageOnCommandLineText(shortage, options_.ignoreFreeSpace)
           << '\n';
  return options_.ignoreFreeSpace;
}

std::string TerminalCopyObserver::copyProgressText() const {
  return copyingText() + " " + meter_.progressText(CopyMeter::Clock::now());
}

void TerminalCopyObserver::showProgress() {
  if (progress_.due()) progress_.show(copyProgressText());
}

void TerminalCopyObserver::finishProgress() {
  if (!copying_) return TerminalWalkObserver::finishProgress();
  progress_.finish([this] { return copyProgressText(); });
}

void TerminalCopyObserver::printLine(const EntryReport& report) {
  if (!lines_) return;  // their reader went away: the copy goes on without them
  const bool dry = options_.dryRun;
  if (report.kind == EntryReport::Copied) {
    lines_ << (dry ? "would copy\t" : "copied\t") << tsvField(report.source) << '\t'
           << tsvField(report.target);
    // A copy that replaces a damaged one says why, as a skip does.
    if (report.damagedCopy) lines_ << '\t' << damagedCopyText();
    lines_ << '\n';
  } else if (isSkip(report) && options_.verbose)  // what stays as it was only when asked
    lines_ << (dry ? "would skip\t" : "skipped\t") << tsvField(report.source) << '\t'
           << tsvField(report.target) << '\t' << skipReasonText(report, overwrite_) << '\n';
}

void TerminalCopyObserver::reportLine(const EntryReport& report, std::uint64_t bytes) {
  const bool dry = options_.dryRun;
  if (report.kind == EntryReport::Copied)
    report_->file(dry ? "would copy" : "copied", report, bytes,
                  report.damagedCopy ? damagedCopyText() : std::string());
  else if (isSkip(report))
    report_->file(dry ? "would skip" : "skipped", report, bytes,
                  skipReasonText(report, overwrite_));
  else if (report.kind == EntryReport::Failed)
    report_->file("failed", report, bytes, commandLineReasonText(report.failure));
}

}  // namespace nuvelo
