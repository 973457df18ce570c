#pragma once
// Copies written on worker threads, for destinations where every request waits for a network:
// the calling thread decides each file in list order (its folder, its name, the policy and
// the question) and hands the decided copy to a worker, which writes it through its own
// temporary file. What became of each file is told on the calling thread, in list order.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>

#include "engine/copy/copy_runner.h"
#include "engine/search/worker_pool.h"

namespace nuvelo {

// How many copies a run writes at once: the asked number, else many where every request waits
// for a network or a file system in user space, and one (today's copy, one file after the
// other) elsewhere, where the drive rather than the round trip sets the pace.
unsigned copyThreads(unsigned asked, const std::string& destination);

// What the calling thread of the run does for the copies.
struct CopyCaller {
  std::function<void()> poll;            // now and then while it waits
  std::function<bool()> abortRequested;  // asked while it waits
  std::function<ReplaceAnswer(const std::string& target)> askReplace;  // a namesake appeared
  std::function<void(const EntryReport&)> tell;  // what became of a file, in list order
  // How much of the first file in the list is written so far, while this thread waits for it.
  std::function<void(std::uint64_t bytesSoFar)> firstFileProgress;
  // An abort flag any thread may read, where the caller has one: the writers then stop at once,
  // also while this thread is held up in a request of its own.
  const std::atomic<bool>* abortFlag = nullptr;
};

// What copies the run may hold at once (see copyDescriptors): `writers` worker threads, and at
// most `ahead` files decided and not yet told.
class ParallelCopies {
 public:
  ParallelCopies(CopyRunner& runner, unsigned writers, std::size_t ahead, CopyCaller caller);
  ~ParallelCopies();
  ParallelCopies(const ParallelCopies&) = delete;
  ParallelCopies& operator=(const ParallelCopies&) = delete;

  // Decides the file and hands it to a worker when it is to be written; tells the files
  // before it that are done meanwhile.
  void add(const std::string& source);
  // Waits for every file added and tells it.
  void drain();
  // Starts no further copy; those under way end, or stop and leave their target as it was.
  void stop() { stop_.store(true); }
  // Stopped, or asked to stop through the caller's abort flag: on any thread.
  bool stopping() const { return stop_.load() || (caller_.abortFlag && caller_.abortFlag->load()); }
  // Stopped by stop(), by an abort seen while waiting, by Stop at a question, or by a failure.
  bool stopped() const { return stop_.load(); }
  // Memory ran out (or the library threw otherwise) while a file was decided or written: that
  // file failed, no further copy started, and this throws the exception on the calling thread.
  // Call after drain().
  void throwFailure();

 private:
  struct Slot {
    std::variant<EntryReport, PendingCopy> decided;
    std::string key;
    // Guarded by mutex_: the written file's report, and a question a worker waits on.
    std::optional<EntryReport> written;
    bool asking = false;
    std::optional<ReplaceAnswer> answer;
    std::atomic<std::uint64_t> bytesSoFar{0};  // written by the worker, read by the caller
    // Taken by the worker that writes the file, or by the calling thread when the file is the
    // first in the list and no worker has taken it yet.
    std::atomic<bool> taken{false};
  };

  void hand(Slot& slot, PendingCopy& pending);
  void write(Slot& slot, PendingCopy& pending);
  // Waits until fewer than WritersPerFolder workers write in the folder, and counts this one
  // in; false, counting nothing, once the copies are stopping.
  bool enterFolder(const std::string& subpath);
  void leaveFolder(const std::string& subpath);
  void writeOnCaller(Slot& slot, PendingCopy& pending);
  // write() or writeOnCaller(), with what they throw made the file's failure and the run's.
  template <class Write>
  void writeCaught(Slot& slot, PendingCopy& pending, Write&& writing);
  void keepFailure(std::exception_ptr error);
  // After an exception on the calling thread: the workers' questions get Stop, so that the
  // workers end.
  void abandon();
  // The order in which workers take the files: files in different folders alternate, since a
  // file system lets one request at a time make or rename an entry in a folder.
  Urgency urgencyOf(const PendingCopy& pending);
  ReplaceAnswer askOnCaller(Slot& slot);
  // Waits for the first file in the list, answering its question, and tells it.
  void tellFirst();
  void tellThoseDone();
  void awaitFirst(Slot& slot);
  void tellProgress(const Slot& slot, std::uint64_t& told);
  void forget(const std::string& key);

  CopyRunner& runner_;
  CopyCaller caller_;
  std::size_t limit_;  // files decided but not yet told, at most
  std::uint64_t handed_ = 0;
  std::string lastFolder_;      // the folder of the file handed last
  std::uint64_t inFolder_ = 0;  // how many files before it were handed in that folder in a row
  std::deque<std::shared_ptr<Slot>> slots_;            // in list order
  std::unordered_map<std::string, std::size_t> keys_;  // the slots' keys, how often
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::exception_ptr failure_;        // guarded by mutex_
  bool abandoned_ = false;            // guarded by mutex_
  std::condition_variable changed_;   // a file is written or a worker asks
  std::condition_variable answered_;  // the calling thread answered a question
  std::mutex foldersMutex_;
  std::condition_variable folderLeft_;
  std::unordered_map<std::string, unsigned> writersInFolder_;
  WorkerPool pool_;  // last: its threads end before what they use goes
};

}  // namespace nuvelo
