#pragma once
// Result rows built on a thread of their own while the walk goes on: the thread that walks only
// hands the entries over, in batches, and a million rows neither hold up a window's events nor
// wait for the walk to end before they are built.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/search/result_rows.h"

namespace nuvelo {

// The rows of a search, in the order of its entries, and the totals of the checked ones.
struct BuiltRows {
  std::vector<ResultRow> rows;
  Totals totals;
};

class BackgroundRowBuilder {
 public:
  static constexpr std::size_t BatchEntries = 4096;

  // As ResultRowBuilder. The type namer is the builder's thread's alone until finish or cancel
  // has returned.
  BackgroundRowBuilder(bool absoluteMode, std::string root, TypeNamer& types);
  ~BackgroundRowBuilder();  // cancels
  BackgroundRowBuilder(const BackgroundRowBuilder&) = delete;
  BackgroundRowBuilder& operator=(const BackgroundRowBuilder&) = delete;

  // An entry to become the next row.
  void add(WalkEntry entry);
  // The rows of every entry added, as buildResultRows gives them; `whileWaiting` is called
  // every few milliseconds until they are ready.
  BuiltRows finish(const std::function<void()>& whileWaiting = {});
  // Drops what was added: the builder's thread frees it, and `whileWaiting` is called until
  // that thread has ended (a folder row's size it was summing is summed to the end).
  void cancel(const std::function<void()>& whileWaiting = {});

 private:
  void run(bool absoluteMode, const std::string& root, TypeNamer& types);
  void buildBatches(const ResultRowBuilder& builder);
  void assemble();
  void send();
  void end(bool cancelled, const std::function<void()>& whileWaiting);

  std::vector<WalkEntry> pending_;  // the walking thread's batch, not yet handed over
  std::mutex mutex_;
  std::condition_variable handedOver_;
  std::condition_variable done_;
  std::deque<std::vector<WalkEntry>> batches_;
  bool ended_ = false;                  // no more entries come
  std::atomic<bool> cancelled_{false};  // the rows are not wanted
  bool finished_ = false;               // the builder's thread has nothing more to do
  std::vector<std::vector<ResultRow>> builtBatches_;
  BuiltRows built_;
  std::exception_ptr failure_;  // what stopped the builder's thread, handed on by finish
  std::thread thread_;          // last: it starts once everything it uses is there
};

}  // namespace nuvelo
