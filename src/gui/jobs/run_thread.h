#pragma once
// A run (a search or a copy) on a thread of its own. The window's thread never waits for it:
// what the run tells reaches the window as calls queued on the window's event loop, in the
// order the run made them, and a question waits on the run's thread for an answer the window
// gives from its own event loop.

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/message_boxes.h"

namespace nuvelo {

class RunThread : public QObject {
  Q_OBJECT
 public:
  explicit RunThread(QObject* parent = nullptr);
  // Stops the run and waits for its thread: nothing it posted afterwards is delivered.
  ~RunThread() override;

  // Runs `work` on a new thread; `ended` runs on the window's thread after every call the work
  // posted. One run at a time.
  void start(std::function<void()> work, std::function<void()> ended);
  bool running() const { return thread_.joinable(); }
  // Test seam: called on the run's thread before the work starts.
  void setGate(std::function<void()> gate) { gate_ = std::move(gate); }

  // From any thread: the run is to stop. A question it waits for is withdrawn.
  void abort();
  bool abortRequested() const { return abort_.load(std::memory_order_relaxed); }
  const std::atomic<bool>& abortFlag() const { return abort_; }

  // From the run's thread: `call` runs on the window's thread, after those posted before it.
  void post(std::function<void()> call);

  // Opens a question on the window's thread: `open` shows it and calls the answer function it
  // is given once, whenever the answer comes; it returns what withdraws the question.
  template <class Answer>
  using Opener = std::function<MessageBoxes::Withdraw(std::function<void(Answer)>)>;

  // From the run's thread: the question's answer, once given; nothing when the run was aborted
  // first (the question is then withdrawn).
  template <class Answer>
  std::optional<Answer> ask(Opener<Answer> open);

 private:
  template <class Answer>
  struct Question;
  void finish(const std::function<void()>& ended);
  // On the window's thread: the first call posted and not yet made.
  Q_INVOKABLE void makePostedCall();

  std::function<void()> gate_;
  std::thread thread_;
  std::atomic<bool> abort_{false};
  std::mutex mutex_;
  std::condition_variable answered_;  // an answer came, or the run was aborted
  // The calls posted, handed from the run's thread to the window's under a lock of our own:
  // Qt's event carries no data of ours, and what orders the two threads is a lock that
  // ThreadSanitizer sees (Qt's own is not instrumented).
  std::mutex postedMutex_;
  std::deque<std::function<void()>> posted_;
};

template <class Answer>
struct RunThread::Question {
  std::optional<Answer> answer;     // under the run thread's mutex
  MessageBoxes::Withdraw withdraw;  // the window's thread's only
};

template <class Answer>
std::optional<Answer> RunThread::ask(Opener<Answer> open) {
  auto question = std::make_shared<Question<Answer>>();
  post([this, question, open = std::move(open)] {
    if (abortRequested()) return;
    question->withdraw = open([this, question](Answer answer) {
      const std::lock_guard lock(mutex_);
      question->answer = answer;
      answered_.notify_all();
    });
  });
  std::unique_lock lock(mutex_);
  answered_.wait(lock, [&] { return question->answer.has_value() || abortRequested(); });
  if (question->answer) return question->answer;
  lock.unlock();
  post([question] {
    if (question->withdraw) question->withdraw();
  });
  return std::nullopt;
}

}  // namespace nuvelo
