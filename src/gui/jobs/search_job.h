#pragma once
// The window's search as a job: the engine's walk on a thread of its own, the rows of what it
// finds built on another, and what it does told to the window through queued calls.

#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/jobs/job.h"
#include "engine/search/background_row_builder.h"
#include "engine/search/search_run.h"
#include "gui/jobs/run_thread.h"

namespace nuvelo {

// How a search ended: refused before it walked, aborted or out of memory (no rows then), or
// with its rows and the folders it could not read.
struct SearchJobEnd {
  std::optional<SearchRefusal> refusal;
  SearchOutcome outcome;
  BuiltRows rows;
  std::string error;  // when not empty: what the standard library threw
  // The job that ran: its key, the files that waited in its retry list when it started, and
  // where the destination holds the copy of its source (mirrorFolderOf).
  std::string jobKey;
  std::vector<std::string> waiting;
  std::string mirror;
};

// What the window sees of a running search, on its own thread.
struct SearchJobWatch {
  // The progress bar's position and the entries read so far.
  std::function<void(long long barPosition, std::uint64_t entriesRead)> progressed;
  std::function<void(SearchJobEnd&)> ended;
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
  // The source is checked, and the job resolved, on the run's thread: on a share each look at
  // the source is a request the window must not wait for.
  SearchJob(JobRequest request, std::string source, RowForm rows, SearchJobWatch watch,
            QObject* parent = nullptr);

  // The bar counts `barMaximum` steps, one per entry read, and starts again past its end.
  void start(long long barMaximum);
  void abort() { thread_.abort(); }
  bool abortRequested() const { return thread_.abortRequested(); }
  // Test seam: called on the run's thread before the run starts.
  void setGate(std::function<void()> gate) { thread_.setGate(std::move(gate)); }

 private:
  class Observer;
  void run(long long barMaximum);
  void walk(const Job& job, long long barMaximum);

  JobRequest request_;
  std::string source_;
  RowForm rowForm_;
  SearchJobWatch watch_;
  SearchJobEnd end_;
  RunThread thread_;  // last: its destructor stops the run before the rest goes
};

}  // namespace nuvelo
