#include "gui/jobs/run_thread.h"

#include <QPointer>

namespace nuvelo {

RunThread::RunThread(QObject* parent) : QObject(parent) {}

RunThread::~RunThread() {
  abort();
  if (thread_.joinable()) thread_.join();
}

void RunThread::start(std::function<void()> work, std::function<void()> ended) {
  abort_.store(false);
  thread_ = std::thread([this, work = std::move(work), ended = std::move(ended)] {
    if (gate_) gate_();
    work();
    post([this, ended] { finish(ended); });
  });
}

void RunThread::finish(const std::function<void()>& ended) {
  // The run's last call: its thread has nothing more to do.
  if (thread_.joinable()) thread_.join();
  ended();
}

void RunThread::abort() {
  {
    const std::lock_guard lock(mutex_);
    abort_.store(true);
  }
  answered_.notify_all();
}

void RunThread::post(std::function<void()> call) {
  {
    const std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(call));
  }
  // One event a call, delivered in the order posted: each makes the first call waiting.
  QMetaObject::invokeMethod(this, "makePostedCall", Qt::QueuedConnection);
}

void RunThread::makePostedCall() {
  std::function<void()> call;
  {
    const std::lock_guard lock(postedMutex_);
    if (posted_.empty()) return;
    call = std::move(posted_.front());
    posted_.pop_front();
  }
  call();
}

}  // namespace nuvelo
