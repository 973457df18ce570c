#include "platform/posix/sized_thread.h"

#include <limits.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace nuvelo {
namespace {

void* runBody(void* body) {
  const std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(body));
  (*owned)();
  return nullptr;
}

// Attributes of a thread with a stack of `stackBytes`, destroyed with the object.
class StackAttributes {
 public:
  explicit StackAttributes(std::size_t stackBytes) {
    error_ = pthread_attr_init(&attributes_);
    if (error_ == 0)
      error_ = pthread_attr_setstacksize(&attributes_,
                                         std::max<std::size_t>(stackBytes, PTHREAD_STACK_MIN));
  }
  ~StackAttributes() { pthread_attr_destroy(&attributes_); }
  StackAttributes(const StackAttributes&) = delete;
  StackAttributes& operator=(const StackAttributes&) = delete;

  int error() const { return error_; }
  const pthread_attr_t* get() const { return &attributes_; }

 private:
  pthread_attr_t attributes_{};
  int error_ = 0;
};

}  // namespace

SizedThread::SizedThread(SizedThread&& other) noexcept
    : thread_(other.thread_), started_(std::exchange(other.started_, false)) {}

Result<SizedThread> SizedThread::start(std::size_t stackBytes, std::function<void()> body) {
  const StackAttributes attributes(stackBytes);
  if (attributes.error() != 0)
    return failure(std::error_code(attributes.error(), std::generic_category()));
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  SizedThread thread;
  const int error = pthread_create(&thread.thread_, attributes.get(), runBody, owned.get());
  if (error != 0) return failure(std::error_code(error, std::generic_category()));
  owned.release();  // the thread deletes it
  thread.started_ = true;
  return thread;
}

void SizedThread::join() {
  if (!started_) return;
  pthread_join(thread_, nullptr);
  started_ = false;
}

}  // namespace nuvelo
