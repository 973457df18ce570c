#include "gui/jobs/copy_job.h"

#include <exception>
#include <optional>

#include "gui/jobs/run_progress.h"

namespace nuvelo {

CheckMarks::CheckMarks(const std::vector<bool>& checked)
    : marks_(std::make_unique<std::atomic<bool>[]>(checked.size())) {
  for (std::size_t i = 0; i < checked.size(); ++i) marks_[i].store(checked[i]);
}

// The copy's side of the job, on the run's thread: the abort flag, the progress handed to the
// window every few milliseconds, and each question put to the window and waited for. A question
// that an abort withdrew stops the run.
class CopyJob::Observer : public CopyObserver {
 public:
  Observer(RunThread& thread, CopyQuestions& questions, const CopyJobWatch& watch,
           long long barMaximum)
      : thread_(thread), questions_(questions), watch_(watch), bar_(barMaximum) {}

  bool abortRequested() override { return thread_.abortRequested(); }
  const std::atomic<bool>* sharedAbortFlag() const override { return &thread_.abortFlag(); }
  void entryRead() override { step(); }
  void rowGathered() override { step(); }
  void copyStarting(std::size_t) override {
    thread_.post([watch = &watch_] { watch->copying(); });
  }
  void flushing() override {
    thread_.post([watch = &watch_] {
      if (watch->flushing) watch->flushing();
    });
  }
  void fileDone(const EntryReport&) override {
    bar_.advanceHeld();
    if (bar_.due()) show();
  }
  bool wantsBytes() const override { return true; }
  void progress(const CopyProgress& now) override {
    latest_ = now;
    if (bar_.dueNow()) show();
  }

  ReplaceAnswer askReplace(const std::string& target) override {
    show(true);
    auto& questions = questions_;
    const auto answer = thread_.ask<ReplaceAnswer>(
        [&questions, target](auto answered) { return questions.askReplace(target, answered); });
    return answer.value_or(ReplaceAnswer::Stop);
  }
  bool proceedWithoutRoom(const SpaceShortage& shortage) override {
    show(true);
    auto& questions = questions_;
    const auto answer = thread_.ask<bool>([&questions, shortage](auto answered) {
      return questions.askToGoOnWithoutRoom(shortage, answered);
    });
    return answer.value_or(false);
  }
  void copyFailed(const EntryReport& report) override {
    thread_.post([watch = &watch_, report] { watch->failed(report); });
    if (!failuresWanted_) return;
    show(true);
    auto& questions = questions_;
    const auto more = thread_.ask<bool>(
        [&questions, report](auto answered) { return questions.tellFailure(report, answered); });
    failuresWanted_ = more.value_or(false);
  }

  // The bar and the status text as they are now; `now`: shown whether due or not.
  void show(bool now = false) {
    thread_.post([watch = &watch_, position = bar_.position(), latest = latest_, now] {
      watch->progressed(position, latest, now);
    });
  }

 private:
  void step() {
    bar_.step();
    if (bar_.due()) show();
  }

  RunThread& thread_;
  CopyQuestions& questions_;
  const CopyJobWatch& watch_;
  RunProgress bar_;
  std::optional<CopyProgress> latest_;
  bool failuresWanted_ = true;
};

CopyJob::CopyJob(std::vector<CopySource> sources, std::shared_ptr<const CheckMarks> marks,
                 std::function<CopyRequest()> makeRequest, CopyQuestions& questions,
                 CopyJobWatch watch, QObject* parent)
    : QObject(parent),
      sources_(std::move(sources)),
      marks_(std::move(marks)),
      makeRequest_(std::move(makeRequest)),
      questions_(questions),
      watch_(std::move(watch)) {}

void CopyJob::start(long long barMaximum) {
  thread_.start([this, barMaximum] { run(barMaximum); },
                [this] { watch_.ended(result_, copyList_, error_, refusal_); });
}

std::optional<CopyRefusal> CopyJob::destinationRefusal() {
  auto& questions = questions_;
  if (const auto mismatch = driveCheck_ ? driveCheck_() : std::nullopt) {
    const auto useIt = thread_.ask<bool>([&questions, mismatch = *mismatch](auto answered) {
      return questions.askToUseOtherDrive(mismatch, answered);
    });
    if (!useIt.value_or(false)) return CopyRefusal::OtherDrive;
  }
  if (destinationState(request_.destination) != DestinationState::Missing) return std::nullopt;
  const auto make = thread_.ask<bool>(
      [&questions](auto answered) { return questions.askToMakeDestination(answered); });
  if (!make.value_or(false)) return CopyRefusal::DestinationNotMade;
  if (!makeDestination(request_.destination)) return CopyRefusal::CannotMakeDestination;
  return std::nullopt;
}

void CopyJob::run(long long barMaximum) {
  request_ = makeRequest_();
  refusal_ = destinationRefusal();
  if (refusal_) return;
  Observer observer(thread_, questions_, watch_, barMaximum);
  const auto stillChosen = [marks = marks_](std::size_t i) { return marks->checked(i); };
  try {
    result_ = runCopy(sources_, stillChosen, request_, observer, copyList_);
  } catch (const std::exception& error) {
    result_.aborted = true;
    error_ = error.what();
  }
  observer.show(true);
}

}  // namespace nuvelo
