#pragma once
// The window's copy run as a job: the engine's copy on a thread of its own, its questions asked
// through a delegate that answers from the window's event loop, and what it does told to the
// window through queued calls.

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/copy/copy_run.h"
#include "engine/jobs/job_drive.h"
#include "gui/jobs/run_thread.h"

namespace nuvelo {

// Asks the user what the copy cannot decide alone. Each call opens its question and returns at
// once; the answer goes to `answered` from the window's event loop. The returned function closes
// the question unanswered.
class CopyQuestions {
 public:
  virtual ~CopyQuestions() = default;
  virtual MessageBoxes::Withdraw askReplace(const std::string& target,
                                            std::function<void(ReplaceAnswer)> answered) = 0;
  virtual MessageBoxes::Withdraw askToGoOnWithoutRoom(const SpaceShortage& shortage,
                                                      std::function<void(bool)> answered) = 0;
  // The destination folder does not exist: make it?
  virtual MessageBoxes::Withdraw askToMakeDestination(std::function<void(bool)> answered) = 0;
  // The destination lies on another drive than the job recorded: copy there all the same?
  virtual MessageBoxes::Withdraw askToUseOtherDrive(const DriveMismatch& mismatch,
                                                    std::function<void(bool)> answered) = 0;
  // A file that could not be copied; answered with whether the user wants to hear of more.
  virtual MessageBoxes::Withdraw tellFailure(const EntryReport& report,
                                             std::function<void(bool)> moreWanted) = 0;
};

// The check marks of the list's rows, set on the window's thread and read by the copy's.
class CheckMarks {
 public:
  explicit CheckMarks(const std::vector<bool>& checked);
  void set(std::size_t row, bool checked) { marks_[row].store(checked); }
  bool checked(std::size_t row) const { return marks_[row].load(); }

 private:
  std::unique_ptr<std::atomic<bool>[]> marks_;
};

// Why a copy ended before it started.
enum class CopyRefusal { DestinationNotMade, CannotMakeDestination, OtherDrive };

// What the window sees of a running copy, on its own thread.
struct CopyJobWatch {
  // The progress bar's position, and the files and bytes done once the copy tells them; `now`
  // when they are to show at once (before a question, at the end).
  std::function<void(long long barPosition, const std::optional<CopyProgress>&, bool now)>
      progressed;
  // The gathering is over: the files are being copied from now on.
  std::function<void()> copying;
  // The files are placed and being written out to the drive.
  std::function<void()> flushing;
  // A file that failed, before the question about it (if any) is asked.
  std::function<void(const EntryReport&)> failed;
  // The run has ended: what it did, and its list of sources in copy order; `error`, when not
  // empty, is what the standard library threw and ended the run with; a refusal: it never
  // started.
  std::function<void(const CopyRunResult&, const std::vector<std::string>& copyList,
                     const std::string& error, std::optional<CopyRefusal> refusal)>
      ended;
};

class CopyJob : public QObject {
  Q_OBJECT
 public:
  // The request is made on the run's thread: what it looks up (whether the destination lies
  // in the source) is a request on a share, which the window must not wait for.
  CopyJob(std::vector<CopySource> sources, std::shared_ptr<const CheckMarks> marks,
          std::function<CopyRequest()> makeRequest, CopyQuestions& questions, CopyJobWatch watch,
          QObject* parent = nullptr);

  // The bar counts `barMaximum` steps: one per source gathered, then one per file done.
  void start(long long barMaximum);
  void abort() { thread_.abort(); }
  bool abortRequested() const { return thread_.abortRequested(); }
  bool running() const { return thread_.running(); }
  // Test seam: called on the run's thread before the run starts.
  void setGate(std::function<void()> gate) { thread_.setGate(std::move(gate)); }
  // Looks, on the run's thread, for a destination on another drive than the job's.
  void setDriveCheck(std::function<std::optional<DriveMismatch>()> check) {
    driveCheck_ = std::move(check);
  }

 private:
  class Observer;
  void run(long long barMaximum);
  // Makes a missing destination if the user wants it; the refusal otherwise.
  std::optional<CopyRefusal> destinationRefusal();

  std::vector<CopySource> sources_;
  std::shared_ptr<const CheckMarks> marks_;
  std::function<CopyRequest()> makeRequest_;
  CopyRequest request_;
  CopyQuestions& questions_;
  CopyJobWatch watch_;
  CopyRunResult result_;
  std::vector<std::string> copyList_;
  std::string error_;
  std::optional<CopyRefusal> refusal_;
  std::function<std::optional<DriveMismatch>()> driveCheck_;
  RunThread thread_;  // last: its destructor stops the run before the rest goes
};

}  // namespace nuvelo
