#include "engine/copy/background_writeback.h"

#include <fcntl.h>

#include <chrono>

#include "platform/posix/durability.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

// Short enough that little is left for the end, long enough that the syncs do not take turns
// with the copy for the file system's journal.
constexpr std::chrono::milliseconds Pause{25};

}  // namespace

BackgroundWriteback::BackgroundWriteback(const std::string& folder) {
  Result<Descriptor> opened =
      openEntry(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (!opened) return;
  folder_ = std::move(*opened);
  if (Result<SizedThread> started =
          SizedThread::start(WorkerStackBytes, [this] { syncUntilStopped(); }))
    thread_.emplace(std::move(*started));
}

BackgroundWriteback::~BackgroundWriteback() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  stopping_.notify_all();
  if (thread_) thread_->join();
}

void BackgroundWriteback::syncUntilStopped() {
  std::unique_lock lock(mutex_);
  while (!stopping_.wait_for(lock, Pause, [this] { return stop_; })) {
    lock.unlock();
    // A failure here is met again, and told, by the flush at the end.
    static_cast<void>(syncFileSystem(folder_.get()));
    lock.lock();
  }
}

}  // namespace nuvelo
