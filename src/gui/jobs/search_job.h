#pragma once
// The window's search as a job: the engine's walk on a thread of its own, the rows of what it
// finds built on another, and what it does told to the window through queued calls.

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/jobs/job.h"
#include "engine/search/background_row_builder.h"
#include "engine/search/search_run.h"
#include "gui/jobs/run_thread.h"

namespace nuvelo {

// What the window sees of a running search, on its own thread.
struct SearchJobWatch {
  // The progress bar's position and the entries read so far.
  std::function<void(long long barPosition, std::uint64_t entriesRead)> progressed;
  // The search has ended: aborted or out of memory (no rows then), or with its rows and the
  // folders it could not read. `error`, when not empty, is what the standard library threw.
  std::function<void(const SearchOutcome&, BuiltRows&, const std::string& error)> ended;
};

// Where the rows are built, as the list shows them.
struct RowForm {
  bool absoluteMode = false;
  std::string root;
  TypeNamer* types = nullptr;  // the run's alone until it has ended
};

class SearchJob : public QObject {
  Q_OBJECT
 public:
  SearchJob(Job job, WalkFilter filter, RowForm rows, SearchJobWatch watch,
            QObject* parent = nullptr);

  // The bar counts `barMaximum` steps, one per entry read, and starts again past its end.
  void start(long long barMaximum);
  void abort() { thread_.abort(); }
  bool abortRequested() const { return thread_.abortRequested(); }
  bool running() const { return thread_.running(); }
  // Test seam: called on the run's thread before the run starts.
  void setGate(std::function<void()> gate) { thread_.setGate(std::move(gate)); }

 private:
  class Observer;
  void run(long long barMaximum);

  Job job_;
  WalkFilter filter_;
  RowForm rowForm_;
  SearchJobWatch watch_;
  SearchOutcome outcome_;
  BuiltRows rows_;
  std::string error_;
  RunThread thread_;  // last: its destructor stops the run before the rest goes
};

}  // namespace nuvelo
