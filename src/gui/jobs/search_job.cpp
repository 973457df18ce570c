#include "gui/jobs/search_job.h"

#include <exception>

#include "engine/jobs/job_search.h"
#include "gui/jobs/run_progress.h"

namespace nuvelo {

// The walk's side of the job, on the run's thread: the abort flag, the entries read and the bar
// handed to the window every few milliseconds, and the entries found handed to the thread that
// builds their rows.
class SearchJob::Observer : public WalkObserver {
 public:
  Observer(RunThread& thread, const SearchJobWatch& watch, BackgroundRowBuilder& rows,
           long long barMaximum)
      : thread_(thread), watch_(watch), rows_(rows), bar_(barMaximum) {}

  bool abortRequested() override { return thread_.abortRequested(); }
  void entryRead() override {
    ++entries_;
    bar_.step();
    if (bar_.due()) show();
  }
  void poll() override {
    if (bar_.dueNow()) show();
  }
  bool takesEntries() const override { return true; }
  void takeEntry(WalkEntry entry) override { rows_.add(std::move(entry)); }

  void show() {
    thread_.post([watch = &watch_, position = bar_.position(), entries = entries_] {
      watch->progressed(position, entries);
    });
  }

 private:
  RunThread& thread_;
  const SearchJobWatch& watch_;
  BackgroundRowBuilder& rows_;
  RunProgress bar_;
  std::uint64_t entries_ = 0;
};

SearchJob::SearchJob(JobRequest request, std::string source, RowForm rows, SearchJobWatch watch,
                     QObject* parent)
    : QObject(parent),
      request_(std::move(request)),
      source_(std::move(source)),
      rowForm_(std::move(rows)),
      watch_(std::move(watch)) {}

void SearchJob::start(long long barMaximum) {
  thread_.start([this, barMaximum] { run(barMaximum); }, [this] { watch_.ended(end_); });
}

void SearchJob::run(long long barMaximum) {
  try {
    end_.refusal = searchRefusal(source_);
    if (end_.refusal) return;
    const auto job = resolveJob(request_);
    if (!job) {
      end_.refusal = SearchRefusal::BadSource;
      return;
    }
    end_.jobKey = job->key;
    end_.waiting = job->waiting;
    end_.mirror = mirrorFolderOf(*job);
    walk(*job, barMaximum);
  } catch (const std::exception& error) {
    end_.outcome.aborted = true;
    end_.error = error.what();
  }
}

void SearchJob::walk(const Job& job, long long barMaximum) {
  BackgroundRowBuilder rows(rowForm_.absoluteMode, rowForm_.root, *rowForm_.types);
  Observer observer(thread_, watch_, rows, barMaximum);
  end_.outcome = runJobSearch(job, walkFilterOf(job), observer);
  if (end_.outcome.aborted || end_.outcome.outOfMemory)
    rows.cancel();
  else
    end_.rows = rows.finish();
  observer.show();
}

}  // namespace nuvelo
