#include "copy/copy_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <deque>
#include <filesystem>

#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

// Writes down what the run tells its front end, in order, and answers its questions from a
// script.
class RecordingObserver : public CopyObserver {
 public:
  bool abortRequested() override { return abortAfterEvents && events.size() >= *abortAfterEvents; }
  void entryRead() override { ++entriesRead; }
  void folderUnreadable(const UnreadableFolder& folder) override { events.push_back("unreadable " + folder.path); }
  void rowGathered() override { events.push_back("row"); }
  void copyStarting(std::size_t files) override { events.push_back("start " + std::to_string(files)); }
  ReplaceAnswer askReplace(const std::string& target) override {
    events.push_back("ask " + nameOf(target));
    const ReplaceAnswer answer = answers.empty() ? ReplaceAnswer::Keep : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  void copyFailed(const EntryReport& report) override { events.push_back("failed " + nameOf(report.source)); }
  void fileDone(const EntryReport& report) override {
    static const char* const kinds[] = {"copied", "not-copied", "declined", "same", "stopped", "failed"};
    events.push_back(std::string(kinds[report.kind]) + " " + nameOf(report.source));
  }

  static std::string nameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

  std::vector<std::string> events;
  std::deque<ReplaceAnswer> answers;
  std::optional<std::size_t> abortAfterEvents;
  std::size_t entriesRead = 0;
};

const timespec Day = localTime(2024, 5, 2);

class CopyRun : public ::testing::Test {
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
    std::vector<ResultRow> result;
    for (const char* name : names) {
      ResultRow row;
      row.pathText = name;
      result.push_back(row);
    }
    return result;
  }
  CopyRequest request(std::int32_t overwrite) const {
    CopyRequest r;
    r.rule = {false, true, source(), PathStyle::Posix};
    r.destination = destination();
    r.overwrite = overwrite;
    r.filter.sourceText = source();
    r.filter.excludedExtensions = {"bak"};
    return r;
  }
  CopyRunResult run(const std::vector<ResultRow>& list, const CopyRequest& r) {
    std::vector<std::string> copyList;
    return runCopy(list, r, observer, copyList);
  }

  TempFolder tree;
  RecordingObserver observer;
};

using Events = std::vector<std::string>;

TEST_F(CopyRun, GathersThenCopiesTellingEachStepInOrder) {
  auto list = rows({"a.txt", "docs", "b.txt"});
  list[2].checked = false;
  const CopyRunResult result = run(list, request(OverwriteAlways));
  EXPECT_EQ(observer.events, (Events{"row", "row", "start 2", "copied a.txt", "copied c.txt"}));
  EXPECT_GT(observer.entriesRead, 0u);  // the folder row's walk steps the progress too
  EXPECT_FALSE(result.aborted);
  EXPECT_EQ(result.counts.copied, 2u);
  EXPECT_TRUE(result.mayRecordDate(false));
  EXPECT_FALSE(result.mayRecordDate(true));
  EXPECT_EQ(readFile(destination() + "/docs/c.txt"), std::string(10, 'x'));
  EXPECT_FALSE(std::filesystem::exists(destination() + "/docs/deeper/d.bak"));
}

struct QuestionCase {
  const char* name;
  std::vector<ReplaceAnswer> answers;
  Events events;
  bool aborted;
  CopyCounts counts;
  bool mayRecordDate;
};

class CopyRunQuestions : public CopyRun, public ::testing::WithParamInterface<QuestionCase> {};

// Each namesake is asked about anew, in list order; Stop ends the run there as an abort.
TEST_P(CopyRunQuestions, AnswersDecideAndStopEndsTheRun) {
  const QuestionCase& c = GetParam();
  writeFile(destination() + "/a.txt", "old a");
  writeFile(destination() + "/b.txt", "old b");
  observer.answers.assign(c.answers.begin(), c.answers.end());
  const CopyRunResult result = run(rows({"a.txt", "b.txt"}), request(OverwriteAsk));
  EXPECT_EQ(observer.events, c.events);
  EXPECT_EQ(result.aborted, c.aborted);
  EXPECT_EQ(result.counts.copied, c.counts.copied);
  EXPECT_EQ(result.counts.skipped, c.counts.skipped);
  EXPECT_EQ(result.mayRecordDate(false), c.mayRecordDate);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CopyRunQuestions,
    ::testing::Values(
        QuestionCase{"ReplaceThenKeep",
                     {ReplaceAnswer::Replace, ReplaceAnswer::Keep},
                     {"row", "row", "start 2", "ask a.txt", "copied a.txt", "ask b.txt", "declined b.txt"},
                     false, {1, 1, 0}, true},
        QuestionCase{"StopAtTheFirst",
                     {ReplaceAnswer::Stop},
                     {"row", "row", "start 2", "ask a.txt"},
                     true, {0, 0, 0}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopyRun, FailuresAreToldBeforeTheStepAndHoldTheDayBack) {
  std::filesystem::create_directory(destination() + "/a.txt");  // a folder in the way
  const CopyRunResult result = run(rows({"a.txt", "b.txt"}), request(OverwriteAlways));
  EXPECT_EQ(observer.events, (Events{"row", "row", "start 2", "failed a.txt", "failed a.txt", "copied b.txt"}));
  EXPECT_EQ(result.counts.failed, 1u);
  EXPECT_EQ(result.counts.copied, 1u);
  EXPECT_FALSE(result.mayRecordDate(false));
}

TEST_F(CopyRun, FilesLeftByThePolicyDoNotHoldTheDayBack) {
  writeFile(destination() + "/a.txt", "kept");
  const CopyRunResult result = run(rows({"a.txt", "b.txt"}), request(OverwriteNever));
  EXPECT_EQ(result.counts.skipped, 1u);
  EXPECT_EQ(readFile(destination() + "/a.txt"), "kept");
  EXPECT_TRUE(result.mayRecordDate(false));
}

struct AbortCase {
  const char* name;
  std::size_t afterEvents;  // the abort is seen once this many events were told
  Events events;
};

class CopyRunAbort : public CopyRun, public ::testing::WithParamInterface<AbortCase> {};

TEST_P(CopyRunAbort, EndsTheRunAsAbortedWhereItIsSeen) {
  observer.abortAfterEvents = GetParam().afterEvents;
  const CopyRunResult result = run(rows({"a.txt", "b.txt"}), request(OverwriteAlways));
  EXPECT_TRUE(result.aborted);
  EXPECT_EQ(observer.events, GetParam().events);
  EXPECT_FALSE(result.mayRecordDate(false));
}

INSTANTIATE_TEST_SUITE_P(
    Moments, CopyRunAbort,
    ::testing::Values(AbortCase{"BeforeGathering", 0, {}},
                      AbortCase{"WhileGathering", 1, {"row"}},
                      AbortCase{"BeforeTheFirstFile", 3, {"row", "row", "start 2"}},
                      AbortCase{"BetweenFiles", 4, {"row", "row", "start 2", "copied a.txt"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopyRun, AbortAfterTheLastFileStillCompletes) {
  observer.abortAfterEvents = 5;
  const CopyRunResult result = run(rows({"a.txt", "b.txt"}), request(OverwriteAlways));
  EXPECT_FALSE(result.aborted);
  EXPECT_EQ(result.counts.copied, 2u);
}

TEST_F(CopyRun, DryRunDecidesAsTheRealRunWithoutWriting) {
  writeFile(destination() + "/a.txt", "old");
  testing::setModified(destination() + "/a.txt", localTime(2024, 5, 3));  // newer than the source
  CopyRequest r = request(OverwriteIfNewer);
  r.dryRun = true;
  const CopyRunResult planned = run(rows({"a.txt", "docs"}), r);
  EXPECT_EQ(observer.events, (Events{"row", "row", "start 2", "not-copied a.txt", "copied c.txt"}));
  EXPECT_FALSE(std::filesystem::exists(destination() + "/docs"));
  EXPECT_FALSE(planned.mayRecordDate(true));

  observer.events.clear();
  r.dryRun = false;
  run(rows({"a.txt", "docs"}), r);
  EXPECT_EQ(observer.events, (Events{"row", "row", "start 2", "not-copied a.txt", "copied c.txt"}));
}

TEST_F(CopyRun, AFolderRowThatCannotBeReadIsAFailureAsOrdinaryUser) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder: ctest runs this as nobody";
  chmod((source() + "/docs/deeper").c_str(), 0);
  const CopyRunResult result = run(rows({"docs"}), request(OverwriteAlways));
  chmod((source() + "/docs/deeper").c_str(), 0755);
  EXPECT_EQ(result.counts.failed, 1u);
  EXPECT_FALSE(result.mayRecordDate(false));
}

TEST(CopyRunChecks, DestinationStates) {
  TempFolder tree;
  writeFile(tree.file("plain"), "");
  EXPECT_EQ(destinationState(""), DestinationState::NotGiven);
  EXPECT_EQ(destinationState(tree.path()), DestinationState::Exists);
  EXPECT_EQ(destinationState(tree.file("missing")), DestinationState::Missing);
  EXPECT_EQ(destinationState(tree.file("plain")), DestinationState::Missing);
  EXPECT_FALSE(makeDestination(tree.file("missing/deeper")));
  EXPECT_TRUE(makeDestination(tree.file("plain/below")));
}

}  // namespace
}  // namespace nuvelo
