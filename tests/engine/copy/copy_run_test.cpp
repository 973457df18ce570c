#include "engine/copy/copy_run.h"
#include "engine/copy/copy_errors.h"
#include "messages/failure_reasons.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <filesystem>
#include <new>
#include <random>
#include <set>
#include <thread>
#include <tuple>

#include "engine/copy/parallel_copies.h"
#include "engine/jobs/copy_run_record.h"
#include "platform/posix/temporary_names.h"
#include "support/checked_rows.h"
#include "support/file_tree.h"
#include "support/open_descriptors.h"
#include "support/small_tmpfs.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

// Writes down what the run tells its front end, in order, and answers its questions from a
// script. The window's observer shows boxes: it must only be called on the run's own thread.
class RecordingObserver : public CopyObserver {
 public:
  bool abortRequested() override {
    onRunThread();
    return abortAfterEvents && events.size() >= *abortAfterEvents;
  }
  void entryRead() override {
    onRunThread();
    ++entriesRead;
  }
  void poll() override { onRunThread(); }
  void folderUnreadable(const UnreadableFolder& folder) override {
    events.push_back("unreadable " + folder.path);
  }
  void rowGathered() override { events.push_back("row"); }
  void copyStarting(std::size_t files) override {
    events.push_back("start " + std::to_string(files));
  }
  ReplaceAnswer askReplace(const std::string& target) override {
    onRunThread();
    events.push_back("ask " + nameOf(target));
    const ReplaceAnswer answer = answers.empty() ? ReplaceAnswer::Keep : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  void copyFailed(const EntryReport& report) override {
    onRunThread();
    events.push_back("failed " + nameOf(report.source));
    reasons.push_back(reasonText(report.failure));
    failures.push_back(report.failure);
  }
  bool proceedWithoutRoom(const SpaceShortage& shortage) override {
    events.push_back("room");
    shortages.push_back(shortage);
    return goOnWithoutRoom;
  }
  void fileDone(const EntryReport& report) override {
    onRunThread();
    static const char* const kinds[] = {"copied",  "not-copied", "declined", "same",
                                        "stopped", "failed",     "left-out"};
    events.push_back(std::string(kinds[static_cast<std::size_t>(report.kind)]) + " " +
                     nameOf(report.source));
  }

  void fileBytesCopied(std::uint64_t soFar) override { bytesSoFar.push_back(soFar); }

  static std::string nameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }
  void onRunThread() const { EXPECT_EQ(std::this_thread::get_id(), runThread); }

  std::thread::id runThread = std::this_thread::get_id();

  std::vector<std::string> events;
  std::vector<std::string> reasons;
  std::vector<CopyFailure> failures;
  std::vector<SpaceShortage> shortages;
  bool goOnWithoutRoom = false;
  std::deque<ReplaceAnswer> answers;
  std::optional<std::size_t> abortAfterEvents;
  std::size_t entriesRead = 0;
  std::vector<std::uint64_t> bytesSoFar;
};

const timespec Day = localTime(2024, 5, 2);

// Every run is tried with one thread (one file after the other) and with four that write at
// once: what the run tells and leaves behind is the same.
class CopyRunFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    makeFile(source() + "/a.txt", Day, 10);
    makeFile(source() + "/b.txt", Day, 10);
    makeFile(source() + "/docs/c.txt", Day, 10);
    makeFile(source() + "/docs/deeper/d.bak", Day, 10);
    std::filesystem::create_directories(destination());
  }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dst"; }

  // Rows of the source, checked, in the given order ("docs" is a folder row).
  std::vector<ResultRow> rows(std::initializer_list<const char*> names) const {
    return testing::checkedRows(names);
  }
  CopyRequest request(OverwritePolicy overwrite) const {
    CopyRequest r;
    r.rule = {false, true, source(), PathStyle::Posix};
    r.destination = destination();
    r.overwrite = overwrite;
    r.filter.sourceText = source();
    r.filter.excludedExtensions = {"bak"};
    r.filter.threads = threads;
    return r;
  }
  CopyRunResult run(const std::vector<ResultRow>& list, const CopyRequest& r) {
    return runCopy(testing::sourcesOf(list, source()), testing::checkMarksOf(list), r, observer,
                   copyList);
  }

  TempFolder tree;
  RecordingObserver observer;
  std::vector<std::string> copyList;  // of the last run
  unsigned threads = 1;
};

constexpr unsigned OneAndFourThreads[] = {1, 4};

class CopyRun : public CopyRunFixture, public ::testing::WithParamInterface<unsigned> {
 protected:
  void SetUp() override {
    threads = GetParam();
    CopyRunFixture::SetUp();
  }
};

std::string threadsName(const ::testing::TestParamInfo<unsigned>& info) {
  return std::to_string(info.param) + "Threads";
}

INSTANTIATE_TEST_SUITE_P(Threads, CopyRun, ::testing::ValuesIn(OneAndFourThreads), threadsName);

// A table of cases, each tried with one and with four threads.
template <class Case>
class CopyRunCases : public CopyRunFixture,
                     public ::testing::WithParamInterface<std::tuple<Case, unsigned>> {
 protected:
  void SetUp() override {
    threads = std::get<1>(this->GetParam());
    CopyRunFixture::SetUp();
  }
};

template <class Case>
std::string caseAndThreadsName(const ::testing::TestParamInfo<std::tuple<Case, unsigned>>& info) {
  return std::string(std::get<0>(info.param).name) + "_" + std::to_string(std::get<1>(info.param)) +
         "Threads";
}

using Events = std::vector<std::string>;

TEST_P(CopyRun, GathersThenCopiesTellingEachStepInOrder) {
  auto list = rows({"a.txt", "docs", "b.txt"});
  list[2].checked = false;
  const CopyRunResult result = run(list, request(OverwriteAlways));
  EXPECT_EQ(observer.events, (Events{"row", "row", "start 2", "copied a.txt", "copied c.txt"}));
  EXPECT_GT(observer.entriesRead, 0u);  // the folder row's walk steps the progress too
  EXPECT_FALSE(result.aborted);
  EXPECT_EQ(result.counts.copied, 2u);
  EXPECT_TRUE(result.completed(false));
  EXPECT_FALSE(result.completed(true));
  EXPECT_EQ(readFile(destination() + "/docs/c.txt"), std::string(10, 'x'));
  EXPECT_FALSE(std::filesystem::exists(destination() + "/docs/deeper/d.bak"));
}

// An observer that asks for the bytes: the progress it is told, in order.
class ProgressObserver : public RecordingObserver {
 public:
  bool wantsBytes() const override { return true; }
  void progress(const CopyProgress& now) override { told.push_back(now); }
  std::vector<CopyProgress> told;
};

TEST_P(CopyRun, TellsFilesAndBytesDoneOfAllToCopyAsItGoes) {
  makeFile(source() + "/large.bin", Day, 5 << 20);
  ProgressObserver progress;
  std::vector<std::string> copyList;
  auto list = rows({"a.txt", "docs", "large.bin", "gone.txt"});
  runCopy(testing::sourcesOf(list, source()), {}, request(OverwriteAlways), progress, copyList);

  ASSERT_FALSE(progress.told.empty());
  const std::uint64_t all = 10 + 10 + (5 << 20);
  std::size_t lastFiles = 0;
  std::uint64_t lastBytes = 0;
  for (const CopyProgress& now : progress.told) {
    EXPECT_EQ(now.files, 4u);
    EXPECT_EQ(now.bytes, all);
    EXPECT_GE(now.filesDone, lastFiles);
    EXPECT_GE(now.bytesDone, lastBytes);
    EXPECT_LE(now.bytesDone, all);
    lastFiles = now.filesDone;
    lastBytes = now.bytesDone;
  }
  // The file that failed is done too: the run ends at all of them.
  EXPECT_EQ(progress.told.back().filesDone, 4u);
  EXPECT_EQ(progress.told.back().bytesDone, all);
}

TEST_P(CopyRun, CountsNoBytesForAnObserverThatDoesNotAsk) {
  struct FilesOnly : RecordingObserver {
    void progress(const CopyProgress& now) override { told.push_back(now); }
    std::vector<CopyProgress> told;
  } filesOnly;
  std::vector<std::string> copyList;
  runCopy(testing::sourcesOf(rows({"a.txt", "b.txt"}), source()), {}, request(OverwriteAlways),
          filesOnly, copyList);
  ASSERT_EQ(filesOnly.told.size(), 3u);  // at the start and after each file
  EXPECT_EQ(filesOnly.told.front().filesDone, 0u);
  EXPECT_EQ(filesOnly.told.back().filesDone, 2u);
  EXPECT_EQ(filesOnly.told.back().bytes, 0u);
}

struct QuestionCase {
  const char* name;
  std::vector<ReplaceAnswer> answers;
  Events events;
  bool aborted;
  CopyCounts counts;
  bool completed;
};

using CopyRunQuestions = CopyRunCases<QuestionCase>;

// Each namesake is asked about anew, in list order; Stop ends the run there as an abort.
TEST_P(CopyRunQuestions, AnswersDecideAndStopEndsTheRun) {
  const QuestionCase& c = std::get<0>(GetParam());
  writeFile(destination() + "/a.txt", "old a");
  writeFile(destination() + "/b.txt", "old b");
  observer.answers.assign(c.answers.begin(), c.answers.end());
  const CopyRunResult result = run(rows({"a.txt", "b.txt"}), request(OverwriteAsk));
  EXPECT_EQ(observer.events, c.events);
  EXPECT_EQ(result.aborted, c.aborted);
  EXPECT_EQ(result.counts.copied, c.counts.copied);
  EXPECT_EQ(result.counts.skipped, c.counts.skipped);
  EXPECT_EQ(result.completed(false), c.completed);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CopyRunQuestions,
    ::testing::Combine(::testing::Values(QuestionCase{"ReplaceThenKeep",
                                                      {ReplaceAnswer::Replace, ReplaceAnswer::Keep},
                                                      {"row", "row", "start 2", "ask a.txt",
                                                       "copied a.txt", "ask b.txt",
                                                       "declined b.txt"},
                                                      false,
                                                      {1, 1, 0},
                                                      true},
                                         QuestionCase{"StopAtTheFirst",
                                                      {ReplaceAnswer::Stop},
                                                      {"row", "row", "start 2", "ask a.txt"},
                                                      true,
                                                      {0, 0, 0},
                                                      false}),
                       ::testing::ValuesIn(OneAndFourThreads)),
    caseAndThreadsName<QuestionCase>);

TEST_P(CopyRun, FailuresAreToldBeforeTheStepAndNameTheSources) {
  std::filesystem::create_directory(destination() + "/a.txt");  // a folder in the way
  const CopyRunResult result = run(rows({"a.txt", "b.txt"}), request(OverwriteAlways));
  EXPECT_EQ(observer.events,
            (Events{"row", "row", "start 2", "failed a.txt", "failed a.txt", "copied b.txt"}));
  EXPECT_EQ(result.counts.failed, 1u);
  EXPECT_EQ(result.counts.copied, 1u);
  EXPECT_TRUE(result.completed(false));  // what failed waits in the retry list
  EXPECT_EQ(result.failedSources, (std::vector<std::string>{source() + "/a.txt"}));
  EXPECT_EQ(carriedSources(copyList, result), (std::vector<std::string>{source() + "/b.txt"}));
}

TEST_P(CopyRun, FilesLeftByThePolicyDoNotHoldTheDayBack) {
  writeFile(destination() + "/a.txt", "kept");
  const CopyRunResult result = run(rows({"a.txt", "b.txt"}), request(OverwriteNever));
  EXPECT_EQ(result.counts.skipped, 1u);
  EXPECT_EQ(readFile(destination() + "/a.txt"), "kept");
  EXPECT_TRUE(result.completed(false));
}

struct AbortCase {
  const char* name;
  std::size_t afterEvents;  // the abort is seen once this many events were told
  Events events;
};

using CopyRunAbort = CopyRunCases<AbortCase>;

// With several threads a file decided before the abort was seen may still be written: then it
// is told, and it is there in full.
TEST_P(CopyRunAbort, EndsTheRunAsAbortedWhereItIsSeen) {
  const AbortCase& c = std::get<0>(GetParam());
  observer.abortAfterEvents = c.afterEvents;
  const CopyRunResult result = run(rows({"a.txt", "b.txt"}), request(OverwriteAlways));
  EXPECT_TRUE(result.aborted);
  Events told = observer.events;
  if (threads > 1 && told.size() == c.events.size() + 1 && told.back() == "copied b.txt") {
    EXPECT_EQ(readFile(destination() + "/b.txt"), std::string(10, 'x'));
    told.pop_back();
  } else {
    EXPECT_FALSE(std::filesystem::exists(destination() + "/b.txt"));
  }
  EXPECT_EQ(told, c.events);
  EXPECT_FALSE(result.completed(false));
}

INSTANTIATE_TEST_SUITE_P(
    Moments, CopyRunAbort,
    ::testing::Combine(
        ::testing::Values(AbortCase{"BeforeGathering", 0, {}},
                          AbortCase{"WhileGathering", 1, {"row"}},
                          AbortCase{"BeforeTheFirstFile", 3, {"row", "row", "start 2"}},
                          AbortCase{"BetweenFiles", 4, {"row", "row", "start 2", "copied a.txt"}}),
        ::testing::ValuesIn(OneAndFourThreads)),
    caseAndThreadsName<AbortCase>);

TEST_P(CopyRun, AbortAfterTheLastFileStillCompletes) {
  observer.abortAfterEvents = 5;
  const CopyRunResult result = run(rows({"a.txt", "b.txt"}), request(OverwriteAlways));
  EXPECT_FALSE(result.aborted);
  EXPECT_EQ(result.counts.copied, 2u);
}

TEST_P(CopyRun, DryRunDecidesAsTheRealRunWithoutWriting) {
  writeFile(destination() + "/a.txt", "old");
  testing::setModified(destination() + "/a.txt", localTime(2024, 5, 3));  // newer than the source
  CopyRequest r = request(OverwriteIfNewer);
  r.dryRun = true;
  const CopyRunResult planned = run(rows({"a.txt", "docs"}), r);
  EXPECT_EQ(observer.events, (Events{"row", "row", "start 2", "not-copied a.txt", "copied c.txt"}));
  EXPECT_FALSE(std::filesystem::exists(destination() + "/docs"));
  EXPECT_FALSE(planned.completed(true));

  observer.events.clear();
  r.dryRun = false;
  run(rows({"a.txt", "docs"}), r);
  EXPECT_EQ(observer.events, (Events{"row", "row", "start 2", "not-copied a.txt", "copied c.txt"}));
}

TEST_P(CopyRun, AFolderRowThatCannotBeReadIsAFailureAsOrdinaryUser) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder: ctest runs this as nobody";
  chmod((source() + "/docs/deeper").c_str(), 0);
  const CopyRunResult result = run(rows({"docs"}), request(OverwriteAlways));
  chmod((source() + "/docs/deeper").c_str(), 0755);
  EXPECT_EQ(result.counts.failed, 1u);
  EXPECT_TRUE(result.completed(false));  // what failed waits in the retry list
}

// Backup drives keep less than ext4: the run follows the drive's rules, given here as a test
// double of the file system (the folders themselves lie on the test's own file system).
FileSystemRules exfatLike() {
  FileSystemRules rules;
  rules.name = "exFAT";
  rules.foldsCase = true;
  rules.timeGranularityMs = 1000;
  rules.keepsPermissions = false;
  rules.keepsOwners = false;
  rules.keepsLinks = false;
  rules.windowsNames = true;
  return rules;
}

class CopyRunOnADrive : public CopyRun {
 protected:
  CopyRequest onDrive(OverwritePolicy overwrite, bool dryRun = false) const {
    CopyRequest r = request(overwrite);
    r.rules = exfatLike();
    r.dryRun = dryRun;
    return r;
  }
};

TEST_P(CopyRunOnADrive, NamesDifferingInCaseKeepTheFirstAndFailTheSecondUnderEveryPolicy) {
  makeFile(source() + "/docs/b.txt", Day, 5);
  writeFile(source() + "/docs/B.txt", "other");
  testing::setModified(source() + "/docs/B.txt", Day);
  for (const OverwritePolicy policy : {OverwriteAlways, OverwriteIfNewer, OverwriteNever}) {
    for (const bool dryRun : {true, false}) {
      SCOPED_TRACE(std::to_string(policy) + (dryRun ? " dry run" : " real run"));
      std::filesystem::remove_all(destination());
      std::filesystem::create_directories(destination());
      observer.reasons.clear();
      const CopyRunResult result = run(rows({"docs/b.txt", "docs/B.txt"}), onDrive(policy, dryRun));
      EXPECT_EQ(result.counts.failed, 1u);
      ASSERT_EQ(observer.reasons.size(), 1u);
      // The failure of the second names the first: both source files are named.
      EXPECT_NE(observer.reasons[0].find(source() + "/docs/b.txt"), std::string::npos)
          << observer.reasons[0];
      EXPECT_TRUE(result.completed(false));  // what failed waits in the retry list
      if (!dryRun) {
        EXPECT_EQ(readFile(destination() + "/docs/b.txt"), std::string(5, 'x'));
      }
      EXPECT_FALSE(std::filesystem::exists(destination() + "/docs/B.txt"));
    }
  }
}

TEST_P(CopyRunOnADrive, ANameTheDriveAlreadyHoldsInAnotherCaseIsNotOverwritten) {
  std::filesystem::create_directories(destination() + "/docs");
  writeFile(destination() + "/docs/C.TXT", "another file's copy");
  const CopyRunResult result = run(rows({"docs/c.txt"}), onDrive(OverwriteAlways));
  EXPECT_EQ(result.counts.failed, 1u);
  ASSERT_EQ(observer.reasons.size(), 1u);
  EXPECT_NE(observer.reasons[0].find("C.TXT"), std::string::npos) << observer.reasons[0];
  EXPECT_EQ(readFile(destination() + "/docs/C.TXT"), "another file's copy");
}

TEST_P(CopyRunOnADrive, NewerSettlesOnWholeSecondsInTheDryRunAndTheRealRun) {
  testing::setModified(source() + "/a.txt", {Day.tv_sec + 1, 500000000});
  writeFile(destination() + "/a.txt", std::string(10, 'x'));
  testing::setModified(destination() + "/a.txt", {Day.tv_sec + 1, 0});  // as the drive keeps it
  for (const bool dryRun : {true, false}) {
    observer.events.clear();
    run(rows({"a.txt"}), onDrive(OverwriteIfNewer, dryRun));
    EXPECT_EQ(observer.events.back(), "not-copied a.txt") << dryRun;
  }
  testing::setModified(source() + "/a.txt", {Day.tv_sec + 2, 0});  // a real change
  observer.events.clear();
  run(rows({"a.txt"}), onDrive(OverwriteIfNewer));
  EXPECT_EQ(observer.events.back(), "copied a.txt");
}

TEST_P(CopyRunOnADrive, NamesTheDriveCannotHoldFailBeforeAnythingIsWritten) {
  makeFile(source() + "/what?.txt", Day);
  makeFile(source() + "/a:b/inner.txt", Day);
  const CopyRunResult result =
      run(rows({"what?.txt", "a:b/inner.txt", "a.txt"}), onDrive(OverwriteAlways));
  EXPECT_EQ(result.counts.failed, 2u);
  EXPECT_EQ(result.counts.copied, 1u);
  for (const CopyFailure& failure : observer.failures) {
    EXPECT_EQ(failure.code, CopyError::UnusableName);
    const auto* refusal = std::get_if<NameRefusal>(&failure.detail);
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(refusal->why, NameRefusal::Why::RefusedCharacter);
  }
  EXPECT_EQ(testing::entriesIn(destination()), 1u);  // a.txt alone: no file, folder or temporary
}

TEST_P(CopyRunOnADrive, AttributesItDoesNotKeepAreOneNoteNotAFailure) {
  const CopyRunResult result = run(rows({"a.txt", "b.txt", "docs"}), onDrive(OverwriteAlways));
  EXPECT_EQ(result.counts.failed, 0u);
  EXPECT_EQ(result.counts.copied, 3u);
  ASSERT_TRUE(result.attributesNote);
  EXPECT_EQ(result.attributesNote->fileSystem, "exFAT");
  EXPECT_TRUE(result.completed(false));
}

TEST_P(CopyRunOnADrive, FilesBeyondItsSizeLimitFailAtOnce) {
  CopyRequest r = onDrive(OverwriteAlways);
  r.rules->name = "FAT32";
  r.rules->maxFileBytes = 9;  // a stand-in for 4 GiB less one byte
  makeFile(source() + "/small.txt", Day, 9);
  const CopyRunResult result = run(rows({"a.txt", "small.txt"}), r);
  EXPECT_EQ(result.counts.failed, 1u);
  ASSERT_EQ(observer.reasons.size(), 1u);
  EXPECT_NE(observer.reasons[0].find("FAT32"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(destination() + "/a.txt"));
  EXPECT_TRUE(std::filesystem::exists(destination() + "/small.txt"));
}

// What the drive cannot hold fails for good and leaves the retry list where it waited, a link it
// cannot keep is left out when asked, and a failure that may pass waits on; planned alike.
struct DriveLimitCase {
  const char* name;
  const char* file;  // beside a.txt: a link to it, a refused name, too large, a folder in the way
  LinkMode links;
  bool waits;
};

using CopyRunDriveLimits = CopyRunCases<DriveLimitCase>;

TEST_P(CopyRunDriveLimits, LeaveTheRetryListToWhatMayPass) {
  const auto& [name, file, links, waits] = std::get<0>(GetParam());
  const std::string path = source() + "/" + file;
  if (std::string(file) == "link")
    std::filesystem::create_symlink("a.txt", path);
  else
    makeFile(path, Day, std::string(file) == "big" ? 20 : 5);
  std::filesystem::create_directories(destination() + "/blocked");
  for (const bool dryRun : {true, false}) {
    if (dryRun && waits) continue;  // a folder in the way is met only by writing
    CopyRequest r = request(OverwriteAlways);
    r.rules = exfatLike();
    r.rules->maxFileBytes = 10;
    r.links = links;
    r.dryRun = dryRun;
    const CopyRunResult result = run(rows({file, "a.txt"}), r);
    EXPECT_EQ(result.counts.linksLeftOut, links == LinkMode::Skip ? 1u : 0u);
    RunRecord record;
    addCopyRun(record, copyList, result);
    EXPECT_EQ(retryListAfter({path}, record, {}).size(), waits ? 1u : 0u) << dryRun;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyRunDriveLimits,
    ::testing::Combine(
        ::testing::Values(DriveLimitCase{"ALink", "link", LinkMode::Copy, false},
                          DriveLimitCase{"ALinkLeftOut", "link", LinkMode::Skip, false},
                          DriveLimitCase{"ARefusedName", "what?", LinkMode::Copy, false},
                          DriveLimitCase{"AFileTooLarge", "big", LinkMode::Copy, false},
                          DriveLimitCase{"AFolderInTheWay", "blocked", LinkMode::Copy, true}),
        ::testing::ValuesIn(OneAndFourThreads)),
    caseAndThreadsName<DriveLimitCase>);

// A destination with too little room is found before the first file, and the front end
// decides.
// What the run placed is synced after the last file is told and before runCopy returns (and so
// before a front end records anything): the file system once, or a share's folders one by one,
// deepest first, and every drive where the file system may write through one it does not name.
struct FlushCase {
  const char* name;
  FlushWay way;
  std::vector<const char*> rows;
  OverwritePolicy overwrite;
  Events steps;  // after the files' events; "dst" stands for the destination
};

class CopyRunFlush : public CopyRunCases<FlushCase> {};

TEST_P(CopyRunFlush, SyncsWhatWasPlacedAfterTheLastFileInTheWayOfItsFileSystem) {
  const FlushCase& c = std::get<0>(GetParam());
  writeFile(destination() + "/b.txt", "kept");
  CopyRequest r = request(c.overwrite);
  FileSystemRules rules;
  rules.flush = c.way;
  r.rules = rules;
  r.flushWatch = [this](const FlushStep& step) {
    static const char* const kinds[] = {"file system", "folder", "all drives"};
    std::string path = step.path;
    if (path.rfind(destination(), 0) == 0) path.replace(0, destination().size(), "dst");
    observer.events.push_back(std::string(kinds[static_cast<int>(step.kind)]) +
                              (path.empty() ? "" : " " + path));
  };
  std::vector<ResultRow> list;
  for (const char* name : c.rows) list.push_back(rows({name}).front());
  const CopyRunResult result = run(list, r);
  const auto lastFile =
      std::find_if(observer.events.rbegin(), observer.events.rend(), [](const std::string& e) {
        return e.rfind("copied", 0) == 0 || e.rfind("not-copied", 0) == 0;
      });
  EXPECT_EQ(Events(lastFile.base(), observer.events.end()), c.steps);
  EXPECT_EQ(result.flush.flushed, !c.steps.empty());
  EXPECT_FALSE(result.flush.failure);
  EXPECT_EQ(result.completed(false), true);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CopyRunFlush,
    ::testing::Combine(::testing::Values(FlushCase{"OneFileSystem",
                                                   FlushWay::FileSystem,
                                                   {"a.txt", "docs"},
                                                   OverwriteAlways,
                                                   {"file system dst"}},
                                         FlushCase{"EachFolderOfAShareDeepestFirst",
                                                   FlushWay::EachFile,
                                                   {"a.txt", "docs"},
                                                   OverwriteAlways,
                                                   {"folder dst/docs", "folder dst"}},
                                         FlushCase{"ThenEveryDrive",
                                                   FlushWay::EachFileAndAllDrives,
                                                   {"docs"},
                                                   OverwriteAlways,
                                                   {"folder dst/docs", "folder dst", "all drives"}},
                                         FlushCase{"NothingPlacedNothingSynced",
                                                   FlushWay::FileSystem,
                                                   {"b.txt"},
                                                   OverwriteNever,
                                                   {}}),
                       ::testing::ValuesIn(OneAndFourThreads)),
    caseAndThreadsName<FlushCase>);

TEST_P(CopyRun, TooLittleRoomIsToldBeforeCopying) {
  testing::SmallTmpfs drive(64 * 1024);
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  makeFile(source() + "/big.bin", Day, 256 * 1024);
  CopyRequest r = request(OverwriteAlways);
  r.destination = drive.path();
  std::vector<ResultRow> list = rows({"big.bin", "a.txt"});
  list[0].sizeKiB = 256;
  const CopyRunResult refused = run(list, r);
  EXPECT_TRUE(refused.refusedForRoom);
  EXPECT_FALSE(refused.completed(false));
  EXPECT_EQ(observer.events, (Events{"row", "row", "room"}));
  ASSERT_EQ(observer.shortages.size(), 1u);
  EXPECT_GE(observer.shortages[0].needed, 256u * 1024);
  EXPECT_LT(observer.shortages[0].available, 256u * 1024);
  EXPECT_EQ(testing::entriesIn(drive.path()), 0u);

  observer.events.clear();
  observer.goOnWithoutRoom = true;  // told to go on: the big file fails, the small one is copied
  const CopyRunResult anyway = run(list, r);
  EXPECT_FALSE(anyway.refusedForRoom);
  ASSERT_GE(observer.events.size(), 5u);
  EXPECT_EQ(observer.events[4], "failed big.bin");
  if (threads == 1) {
    EXPECT_EQ(anyway.counts.failed, 1u);
    EXPECT_EQ(anyway.counts.copied, 1u);
  } else {
    // Written at once, the small file may find the room taken by the big one's temporary.
    EXPECT_EQ(anyway.counts.failed + anyway.counts.copied, 2u);
  }
}

INSTANTIATE_TEST_SUITE_P(Threads, CopyRunOnADrive, ::testing::ValuesIn(OneAndFourThreads),
                         threadsName);

// Many files of random sizes, written by more threads than the machine has cores.
class CopyRunManyFiles : public CopyRunFixture {
 protected:
  void SetUp() override {
    threads = 8;
    CopyRunFixture::SetUp();
  }
  // many/f000.txt, many/f001.txt, ... of sizes up to `largest` bytes, the same in every run.
  std::vector<ResultRow> manyFiles(std::size_t count, std::size_t largest) {
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> size(0, largest);
    std::vector<ResultRow> list;
    for (std::size_t i = 0; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "many/f%03zu.txt", i);
      makeFile(source() + "/" + name, Day, size(random));
      ResultRow row;
      row.pathText = name;
      list.push_back(row);
    }
    return list;
  }
  static Events gatheredThenStarted(std::size_t count) {
    Events events(count, "row");
    events.push_back("start " + std::to_string(count));
    return events;
  }
  bool sameAsSource(const std::string& pathText) const {
    return readFile(destination() + "/" + pathText) == readFile(source() + "/" + pathText);
  }
  // The names of the copies in many/, each whole; a temporary file left there fails the test.
  std::set<std::string> wholeCopies() const {
    std::set<std::string> present;
    for (const auto& entry : std::filesystem::directory_iterator(destination() + "/many")) {
      const std::string name = entry.path().filename();
      EXPECT_FALSE(isTemporaryName(name)) << name;
      EXPECT_TRUE(sameAsSource("many/" + name)) << name;
      present.insert(name);
    }
    return present;
  }
  static std::set<std::string> toldCopied(const Events& events) {
    std::set<std::string> told;
    for (const std::string& event : events)
      if (event.starts_with("copied ")) told.insert(event.substr(7));
    return told;
  }
};

TEST_F(CopyRunManyFiles, EveryFileIsToldInListOrder) {
  const std::vector<ResultRow> list = manyFiles(200, 64 * 1024);
  const CopyRunResult result = run(list, request(OverwriteAlways));
  Events expected = gatheredThenStarted(list.size());
  for (const ResultRow& row : list) expected.push_back("copied " + observer.nameOf(row.pathText));
  EXPECT_EQ(observer.events, expected);
  EXPECT_EQ(result.counts.copied, list.size());
  EXPECT_TRUE(result.completed(false));
  for (const ResultRow& row : list) EXPECT_TRUE(sameAsSource(row.pathText)) << row.pathText;
}

TEST_F(CopyRunManyFiles, AFailingFileIsToldInItsPlace) {
  const std::vector<ResultRow> list = manyFiles(60, 16 * 1024);
  std::filesystem::create_directories(destination() + "/many/f023.txt");  // a folder in the way
  const CopyRunResult result = run(list, request(OverwriteAlways));
  Events expected = gatheredThenStarted(list.size());
  for (const ResultRow& row : list) {
    const std::string name = observer.nameOf(row.pathText);
    if (name == "f023.txt") {
      expected.insert(expected.end(), {"failed " + name, "failed " + name});
    } else {
      expected.push_back("copied " + name);
    }
  }
  EXPECT_EQ(observer.events, expected);
  EXPECT_EQ(result.counts.failed, 1u);
  EXPECT_EQ(result.failedSources, (std::vector<std::string>{source() + "/many/f023.txt"}));
  EXPECT_TRUE(result.completed(false));  // what failed waits in the retry list
}

// Copies under way when the abort comes end in full or leave nothing: what is at the
// destination is exactly what was told as copied, each file whole, and no temporary file. The
// list is longer than the files a run decides ahead, so the abort leaves some uncopied.
TEST_F(CopyRunManyFiles, AnAbortInTheMiddleLeavesNoTemporaryAndNoHalfFile) {
  const std::vector<ResultRow> list = manyFiles(100, 1024 * 1024);
  const std::size_t toldBeforeAbort = 10;
  observer.abortAfterEvents = list.size() + 1 + toldBeforeAbort;
  const CopyRunResult result = run(list, request(OverwriteAlways));
  EXPECT_TRUE(result.aborted);
  EXPECT_FALSE(result.completed(false));
  const std::set<std::string> told = toldCopied(observer.events);
  EXPECT_GE(told.size(), toldBeforeAbort);
  EXPECT_LT(told.size(), list.size());
  EXPECT_EQ(wholeCopies(), told);
}

// A front end's abort flag that any thread reads stops the writers even while the run's own
// thread never looks (held up, say, in a request of a share): what they had begun is left as it
// was, and the rest is not copied.
TEST_F(CopyRunManyFiles, TheSharedAbortFlagStopsTheWritersWithoutTheRunsThread) {
  struct HeldCaller : RecordingObserver {
    bool abortRequested() override { return false; }
    const std::atomic<bool>* sharedAbortFlag() const override { return &flag; }
    std::atomic<bool> flag{false};
  } held;
  const std::vector<ResultRow> list = manyFiles(100, 1024 * 1024);
  CopyRequest r = request(OverwriteAlways);
  std::atomic<int> chunks{0};
  r.chunkFault = [&](std::uint64_t) {
    if (++chunks == 20) held.flag = true;
    return 0;
  };
  const CopyRunResult result = runCopy(testing::sourcesOf(list, source()), {}, r, held, copyList);
  EXPECT_TRUE(result.aborted);
  const std::set<std::string> told = toldCopied(held.events);
  EXPECT_LT(told.size(), list.size());
  EXPECT_EQ(wholeCopies(), told);
}

// Counts the descriptors open whenever the run tells it something, and runs out of memory as it
// is told of the `throwAtFile`-th file.
class LimitObserver : public RecordingObserver {
 public:
  void poll() override {
    RecordingObserver::poll();
    mostOpen = std::max(mostOpen, testing::openDescriptors());
  }
  void fileDone(const EntryReport& report) override {
    poll();
    RecordingObserver::fileDone(report);
    if (++done_ == throwAtFile) throw std::bad_alloc();
  }
  std::size_t mostOpen = 0;
  std::size_t throwAtFile = 0;  // 0: never

 private:
  std::size_t done_ = 0;
};

struct BudgetCase {
  const char* name;
  std::size_t descriptors;
  unsigned threads;
};

class CopyRunBudget : public CopyRunManyFiles, public ::testing::WithParamInterface<BudgetCase> {};

// However many threads are asked for, the run holds no more descriptors than its budget, and it
// still copies every file.
TEST_P(CopyRunBudget, HoldsNoMoreDescriptorsThanItsBudgetAndCopiesEverything) {
  threads = GetParam().threads;
  const std::vector<ResultRow> list = manyFiles(300, 64 * 1024);
  CopyRequest r = request(OverwriteAlways);
  r.filter.descriptors = GetParam().descriptors;
  LimitObserver counting;
  const std::size_t before = testing::openDescriptors();
  const CopyRunResult result =
      runCopy(testing::sourcesOf(list, source()), {}, r, counting, copyList);
  EXPECT_EQ(result.counts.copied, list.size());
  EXPECT_LE(counting.mostOpen - before, GetParam().descriptors);
  EXPECT_EQ(wholeCopies().size(), list.size());
}

INSTANTIATE_TEST_SUITE_P(Budgets, CopyRunBudget,
                         ::testing::Values(BudgetCase{"QuarterOf64", 16, 32},
                                           BudgetCase{"TooFewForTwoCopies", 8, 32},
                                           BudgetCase{"Forty", 40, 8},
                                           BudgetCase{"QuarterOf1024", 256, 32}),
                         [](const auto& info) { return std::string(info.param.name); });

struct MemoryCase {
  const char* name;
  unsigned threads;
  std::size_t throwAtChunk;  // of all the copies' chunks, the one that throws; 0: none
  std::size_t throwAtFile;   // the file whose telling throws; 0: none
  bool fileFails;            // the file whose copy threw is told as failed for want of memory
};

class CopyRunOutOfMemory : public CopyRunManyFiles,
                           public ::testing::WithParamInterface<MemoryCase> {};

// Memory that runs out, on a worker or on the run's own thread, ends the run as failed, not as a
// crash: not completed (its day is not recorded), what it told as copied is at the destination
// whole, and nothing else is there.
TEST_P(CopyRunOutOfMemory, EndsTheRunAsFailedWithWhatItToldAndNoTemporaryFile) {
  const MemoryCase& c = GetParam();
  threads = c.threads;
  // More files than the run decides ahead of the one it tells (32 a writer), so that a run
  // which went on after the failure would tell them all.
  const std::vector<ResultRow> list = manyFiles(400, 64 * 1024);
  CopyRequest r = request(OverwriteAlways);
  std::atomic<std::size_t> chunks{0};
  r.chunkFault = [&](std::uint64_t) {
    if (++chunks == c.throwAtChunk) throw std::bad_alloc();
    return 0;
  };
  LimitObserver observing;
  observing.throwAtFile = c.throwAtFile;
  const CopyRunResult result =
      runCopy(testing::sourcesOf(list, source()), {}, r, observing, copyList);
  EXPECT_TRUE(result.outOfMemory);
  EXPECT_FALSE(result.aborted);
  EXPECT_FALSE(result.completed(false));
  EXPECT_LT(result.filesTold, list.size());
  EXPECT_EQ(wholeCopies(), toldCopied(observing.events));
  const auto outOfMemory = std::make_error_code(std::errc::not_enough_memory);
  EXPECT_EQ(std::any_of(observing.failures.begin(), observing.failures.end(),
                        [&](const CopyFailure& f) { return f.code == outOfMemory; }),
            c.fileFails);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyRunOutOfMemory,
    ::testing::Values(MemoryCase{"CopyingOneFileAfterTheOther", 1, 10, 0, false},
                      MemoryCase{"CopyingOnAWorker", 8, 10, 0, true},
                      MemoryCase{"TellingOneFileAfterTheOther", 1, 0, 10, false},
                      MemoryCase{"TellingWhileWorkersWrite", 8, 0, 10, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CopyThreads, AnAskedNumberWinsAndALocalDriveCopiesOneFileAfterTheOther) {
  TempFolder tree;
  EXPECT_EQ(copyThreads(3, tree.path()), 3u);
  EXPECT_EQ(copyThreads(1, tree.path()), 1u);
  EXPECT_EQ(copyThreads(0, tree.path()), 1u);
}

TEST(CopyRunChecks, DestinationStates) {
  TempFolder tree;
  writeFile(tree.file("plain"), "");
  EXPECT_EQ(destinationState(""), DestinationState::NotGiven);
  EXPECT_EQ(destinationState(tree.path()), DestinationState::Exists);
  EXPECT_EQ(destinationState(tree.file("missing")), DestinationState::Missing);
  EXPECT_EQ(destinationState(tree.file("plain")), DestinationState::Missing);
  EXPECT_TRUE(makeDestination(tree.file("missing/deeper")));
  const Result<> belowAFile = makeDestination(tree.file("plain/below"));
  ASSERT_FALSE(belowAFile);
  EXPECT_EQ(belowAFile.error().code, std::errc::not_a_directory);
}

// A front end hears how far the copy of a large file has got while it is copied, so that a
// progress line can move within it (written at once, only while the run happens to wait).
using CopyRunInTurn = CopyRunFixture;
TEST_F(CopyRunInTurn, TellsTheBytesOfALargeFileAsTheyAreCopied) {
  constexpr std::uint64_t Size = 24u << 20;  // three of the copier's first chunks
  makeFile(source() + "/large.bin", Day, Size);
  const CopyRunResult result = run(rows({"large.bin"}), request(OverwriteAlways));
  EXPECT_EQ(result.counts.copied, 1u);
  ASSERT_FALSE(observer.bytesSoFar.empty());
  EXPECT_TRUE(std::is_sorted(observer.bytesSoFar.begin(), observer.bytesSoFar.end()));
  EXPECT_EQ(observer.bytesSoFar.back(), Size);
}

}  // namespace
}  // namespace nuvelo
