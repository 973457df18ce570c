#include "engine/copy/copy_run.h"
#include "engine/copy/copy_errors.h"
#include "messages/failure_reasons.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <deque>
#include <filesystem>

#include "support/file_tree.h"
#include "support/small_tmpfs.h"

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
  void folderUnreadable(const UnreadableFolder& folder) override {
    events.push_back("unreadable " + folder.path);
  }
  void rowGathered() override { events.push_back("row"); }
  void copyStarting(std::size_t files) override {
    events.push_back("start " + std::to_string(files));
  }
  ReplaceAnswer askReplace(const std::string& target) override {
    events.push_back("ask " + nameOf(target));
    const ReplaceAnswer answer = answers.empty() ? ReplaceAnswer::Keep : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  void copyFailed(const EntryReport& report) override {
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
    static const char* const kinds[] = {"copied", "not-copied", "declined",
                                        "same",   "stopped",    "failed"};
    events.push_back(std::string(kinds[static_cast<std::size_t>(report.kind)]) + " " +
                     nameOf(report.source));
  }

  void fileBytesCopied(std::uint64_t soFar) override { bytesSoFar.push_back(soFar); }

  static std::string nameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

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
  CopyRequest request(OverwritePolicy overwrite) const {
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
    ::testing::Values(QuestionCase{"ReplaceThenKeep",
                                   {ReplaceAnswer::Replace, ReplaceAnswer::Keep},
                                   {"row", "row", "start 2", "ask a.txt", "copied a.txt",
                                    "ask b.txt", "declined b.txt"},
                                   false,
                                   {1, 1, 0},
                                   true},
                      QuestionCase{"StopAtTheFirst",
                                   {ReplaceAnswer::Stop},
                                   {"row", "row", "start 2", "ask a.txt"},
                                   true,
                                   {0, 0, 0},
                                   false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopyRun, FailuresAreToldBeforeTheStepAndHoldTheDayBack) {
  std::filesystem::create_directory(destination() + "/a.txt");  // a folder in the way
  const CopyRunResult result = run(rows({"a.txt", "b.txt"}), request(OverwriteAlways));
  EXPECT_EQ(observer.events,
            (Events{"row", "row", "start 2", "failed a.txt", "failed a.txt", "copied b.txt"}));
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
    ::testing::Values(AbortCase{"BeforeGathering", 0, {}}, AbortCase{"WhileGathering", 1, {"row"}},
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

TEST_F(CopyRunOnADrive, NamesDifferingInCaseKeepTheFirstAndFailTheSecondUnderEveryPolicy) {
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
      EXPECT_FALSE(result.mayRecordDate(false));
      if (!dryRun) {
        EXPECT_EQ(readFile(destination() + "/docs/b.txt"), std::string(5, 'x'));
      }
      EXPECT_FALSE(std::filesystem::exists(destination() + "/docs/B.txt"));
    }
  }
}

TEST_F(CopyRunOnADrive, ANameTheDriveAlreadyHoldsInAnotherCaseIsNotOverwritten) {
  std::filesystem::create_directories(destination() + "/docs");
  writeFile(destination() + "/docs/C.TXT", "another file's copy");
  const CopyRunResult result = run(rows({"docs/c.txt"}), onDrive(OverwriteAlways));
  EXPECT_EQ(result.counts.failed, 1u);
  ASSERT_EQ(observer.reasons.size(), 1u);
  EXPECT_NE(observer.reasons[0].find("C.TXT"), std::string::npos) << observer.reasons[0];
  EXPECT_EQ(readFile(destination() + "/docs/C.TXT"), "another file's copy");
}

TEST_F(CopyRunOnADrive, NewerSettlesOnWholeSecondsInTheDryRunAndTheRealRun) {
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

TEST_F(CopyRunOnADrive, NamesTheDriveCannotHoldFailBeforeAnythingIsWritten) {
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

TEST_F(CopyRunOnADrive, AttributesItDoesNotKeepAreOneNoteNotAFailure) {
  const CopyRunResult result = run(rows({"a.txt", "b.txt", "docs"}), onDrive(OverwriteAlways));
  EXPECT_EQ(result.counts.failed, 0u);
  EXPECT_EQ(result.counts.copied, 3u);
  ASSERT_TRUE(result.attributesNote);
  EXPECT_EQ(result.attributesNote->fileSystem, "exFAT");
  EXPECT_TRUE(result.mayRecordDate(false));
}

TEST_F(CopyRunOnADrive, FilesBeyondItsSizeLimitFailAtOnce) {
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

// A destination with too little room is found before the first file, and the front end
// decides.
TEST_F(CopyRun, TooLittleRoomIsToldBeforeCopying) {
  testing::SmallTmpfs drive(64 * 1024);
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  makeFile(source() + "/big.bin", Day, 256 * 1024);
  CopyRequest r = request(OverwriteAlways);
  r.destination = drive.path();
  std::vector<ResultRow> list = rows({"big.bin", "a.txt"});
  list[0].sizeKiB = 256;
  const CopyRunResult refused = run(list, r);
  EXPECT_TRUE(refused.refusedForRoom);
  EXPECT_FALSE(refused.mayRecordDate(false));
  EXPECT_EQ(observer.events, (Events{"row", "row", "room"}));
  ASSERT_EQ(observer.shortages.size(), 1u);
  EXPECT_GE(observer.shortages[0].needed, 256u * 1024);
  EXPECT_LT(observer.shortages[0].available, 256u * 1024);
  EXPECT_EQ(testing::entriesIn(drive.path()), 0u);

  observer.events.clear();
  observer.goOnWithoutRoom = true;  // told to go on: the big file fails, the small one is copied
  const CopyRunResult anyway = run(list, r);
  EXPECT_FALSE(anyway.refusedForRoom);
  EXPECT_EQ(anyway.counts.failed, 1u);
  EXPECT_EQ(anyway.counts.copied, 1u);
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
// progress line can move within it.
TEST_F(CopyRun, TellsTheBytesOfALargeFileAsTheyAreCopied) {
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
