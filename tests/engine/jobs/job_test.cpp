// A job resolved once, for the window and nuvelo-cli alike: its options from layers, its own day,
// and the record of a run under the settings lock.

#include "engine/jobs/job.h"

#include <gtest/gtest.h>

#include <thread>
#include <tuple>

#include "engine/jobs/job_end.h"
#include "engine/jobs/job_state.h"
#include "engine/settings/condition_file.h"
#include "engine/settings/job_dates.h"
#include "engine/settings/job_file.h"
#include "engine/settings/profile_file.h"
#include "engine/settings/settings_file.h"
#include "engine/settings/settings_lock.h"
#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

TEST(JobOptions, EachOptionComesFromTheFirstLayerThatSaysIt) {
  OptionLayer commandLine;
  commandLine.source.set("/src", "command line");
  commandLine.overwrite.set(OverwriteNever, "command line");
  SearchConditions conditions;
  conditions.source = "/elsewhere";
  conditions.destination = "/usb";
  conditions.excludedSubfolders = {"obj"};
  const OptionLayer conditionFile = optionLayerOf(conditions, "/jobs/c.dat");
  TempFolder folder;
  writeFile(folder.file("NVO.ini"), "[Option]\nOverwrite=0\nDirKAI=1\nEscExt=bak\nVerify=x\n");
  const OptionLayer settings = optionLayerOf(ProfileFile(folder.file("NVO.ini")));

  const OptionLayer r = resolvedOptions({commandLine, conditionFile, settings});
  EXPECT_EQ(*r.source.value, "/src");
  EXPECT_EQ(*r.overwrite.value, OverwriteNever);
  EXPECT_EQ(r.overwrite.where, "command line");
  EXPECT_EQ(*r.destination.value, "/usb");
  EXPECT_EQ(r.destination.where, "/jobs/c.dat [NVO] DirTo");
  // A condition file always says its five conditions: the settings' switch is not taken.
  EXPECT_FALSE(*r.includeSubfolders.value);
  EXPECT_EQ(r.includeSubfolders.where, "/jobs/c.dat [NVO] CBKai");
  EXPECT_TRUE(r.excludedExtensions.value->empty());
  // What no layer says, or says in a form it cannot be read in, is the built-in default.
  EXPECT_FALSE(*r.verify.value);
  EXPECT_EQ(r.verify.where, "");
  EXPECT_TRUE(*r.changeTime.value);
  EXPECT_FALSE(*r.keepReplaced.value);
  EXPECT_EQ(*r.versionsFolder.value, "");
  EXPECT_FALSE(*r.pruneVersionsDays.value);
  EXPECT_TRUE(*r.dirAbs.value);
  EXPECT_EQ(resolvedOptions({settings}).overwrite.where,
            folder.file("NVO.ini") + " [Option] Overwrite");
}

struct RetryLayerCase {
  const char* name;
  const char* settings;                 // the settings file's text
  std::optional<unsigned> commandLine;  // --retries
  unsigned retries;
  std::chrono::milliseconds wait;
  const char* retriesFrom;  // where the resolved retries come from
};

void PrintTo(const RetryLayerCase& c, std::ostream* out) {
  *out << c.name;
}

class RetryOptions : public ::testing::TestWithParam<RetryLayerCase> {};

// The window reads the retries as the command line resolves them when nothing overrides them.
TEST_P(RetryOptions, ComeFromTheFirstLayerThatSaysThem) {
  const RetryLayerCase& c = GetParam();
  TempFolder folder;
  writeFile(folder.file("NVO.ini"), c.settings);
  const ProfileFile file(folder.file("NVO.ini"));
  OptionLayer commandLine;
  if (c.commandLine) commandLine.retries.set(*c.commandLine, "command line");
  const OptionLayer r = resolvedOptions({commandLine, optionLayerOf(file)});
  const JobOptions options = jobOptionsOf(r);
  EXPECT_EQ(options.copy.retry.retries, c.retries);
  EXPECT_EQ(options.copy.retry.wait, c.wait);
  const std::string where = *c.retriesFrom ? folder.file("NVO.ini") + c.retriesFrom : "";
  EXPECT_EQ(r.retries.where, c.commandLine ? "command line" : where);
  if (!c.commandLine) {
    const MainWindowSettings window = readMainWindowSettings(file);
    EXPECT_EQ(window.retry.retries, c.retries);
    EXPECT_EQ(window.retry.wait, c.wait);
  }
}

using std::chrono::milliseconds;
INSTANTIATE_TEST_SUITE_P(
    Layers, RetryOptions,
    ::testing::Values(RetryLayerCase{"BuiltIn", "", std::nullopt, 2, milliseconds(5000), ""},
                      RetryLayerCase{"SettingsFile", "[Option]\nRetries=4\nRetryWait=0.5\n",
                                     std::nullopt, 4, milliseconds(500), " [Option] Retries"},
                      RetryLayerCase{"UnreadableValues", "[Option]\nRetries=many\nRetryWait=-1\n",
                                     std::nullopt, 2, milliseconds(5000), ""},
                      RetryLayerCase{"TooMany", "[Option]\nRetries=1000\n", std::nullopt, 2,
                                     milliseconds(5000), ""},
                      RetryLayerCase{"CommandLineFirst", "[Option]\nRetries=4\nRetryWait=2\n", 0u,
                                     0, milliseconds(2000), ""}),
    [](const auto& info) { return std::string(info.param.name); });

class Jobs : public ::testing::Test {
 protected:
  JobRequest request(const std::string& source, const std::string& destination,
                     Selection::By by = Selection::By::LastCopy) const {
    JobRequest r;
    r.settingsPath = settings();
    OptionLayer folders;
    folders.source.set(source, "");
    folders.destination.set(destination, "");
    r.layers.push_back(folders);
    r.selection.by = by;
    r.selection.day = {2024, 6, 1};
    return r;
  }
  std::string settings() const { return folder.file("NVO.ini"); }
  TempFolder folder;
};

TEST_F(Jobs, StartFromTheirOwnDayAndOnlyTheWindowsFoldersFromTheWindowsDay) {
  writeFile(settings(),
            "[Default]\nLastCopyDate=2024/05/01\nFrom=/data/src/\nTo=/media/usb\n[Jobs]\n" +
                jobKey("", "/data/src", "/media/nas") + "=2024/05/20\n");
  // A job with a day of its own.
  auto nas = resolveJob(request("/data/src", "/media/nas"));
  ASSERT_TRUE(nas);
  EXPECT_EQ(nas->selection.by, Selection::By::Day);
  EXPECT_EQ(nas->selection.day, (CivilDate{2024, 5, 20}));
  // The window's folders (however spelt) have the window's day.
  auto usb = resolveJob(request("/data/./src", "/media/usb/"));
  ASSERT_TRUE(usb);
  EXPECT_EQ(usb->selection.day, (CivilDate{2024, 5, 1}));
  // Any other job has none.
  EXPECT_FALSE(resolveJob(request("/data/src", "/media/other")));
  // A job file's job is its own even with the window's folders.
  JobRequest file = request("/data/src", "/media/usb");
  file.namedBy = JobNamedBy::JobFile;
  file.namingFile = "/jobs/nightly.dat";
  EXPECT_FALSE(resolveJob(file));
  // A day given is taken as it is.
  auto given = resolveJob(request("/data/src", "/media/other", Selection::By::Day));
  ASSERT_TRUE(given);
  EXPECT_EQ(given->selection.day, (CivilDate{2024, 6, 1}));
}

TEST_F(Jobs, ARunRecordsItsListsDayAndWhatWaits) {
  writeFile(settings(), "[Default]\nLastCopyDate=2024/05/01\nFrom=/data/src\nTo=/media/usb\n");
  auto job = resolveJob(request("/data/src", "/media/nas", Selection::By::Day));
  ASSERT_TRUE(job);
  RunRecord run;
  run.dayOfList = {2024, 6, 1};
  run.completed = true;
  run.failed = {folder.file("meeting 10:30.txt")};
  writeFile(run.failed[0], "x");
  const Result<JobEnd> end = recordRun(*job, run);
  ASSERT_TRUE(end);
  EXPECT_EQ(end->waiting, 1u);
  EXPECT_TRUE(end->dayRecorded);
  const std::string text = readFile(settings());
  EXPECT_NE(text.find(job->key + "=2024/06/01"), std::string::npos) << text;
  EXPECT_NE(text.find("LastCopyDate=2024/05/01"), std::string::npos) << "not the window's folders";
  EXPECT_EQ(readRetryList(job->stateFolder, job->key), run.failed);

  // The window's folders move the window's day too; an aborted run moves no day.
  auto windows = resolveJob(request("/data/src", "/media/usb", Selection::By::Day));
  ASSERT_TRUE(windows);
  run.dayOfList = {2024, 6, 2};
  run.completed = false;
  ASSERT_TRUE(recordRun(*windows, run));
  EXPECT_NE(readFile(settings()).find("LastCopyDate=2024/05/01"), std::string::npos);
  run.completed = true;
  ASSERT_TRUE(recordRun(*windows, run));
  EXPECT_NE(readFile(settings()).find("LastCopyDate=2024/06/02"), std::string::npos);
}

TEST_F(Jobs, TheDayStaysWhenTheRetryListCannotBeWritten) {
  writeFile(settings(), "[Default]\n");
  auto job = resolveJob(request("/data/src", "/media/nas", Selection::By::Day));
  ASSERT_TRUE(job);
  writeFile(job->stateFolder, "a file where the state folder would be");
  RunRecord run;
  run.dayOfList = {2024, 6, 1};
  run.completed = true;
  run.failed = {settings()};  // something that exists, so that it would wait
  EXPECT_FALSE(recordRun(*job, run));
  EXPECT_EQ(readFile(settings()).find(job->key), std::string::npos) << readFile(settings());
}

// Two writers of different keys at once, each reading the file afresh under the lock: neither
// writes back a copy without the other's key.
TEST(SettingsLock, NoKeyIsLostBetweenWritersAtOnce) {
  TempFolder folder;
  const std::string path = folder.file("NVO.ini");
  const auto writer = [&path](const std::string& prefix) {
    for (int i = 0; i < 50; ++i)
      ASSERT_TRUE(changeSettingsFile(path, [&](ProfileFile& file) {
        return file.writeString("Jobs", prefix + std::to_string(i), "2024/06/01");
      }));
  };
  std::thread a(writer, "A"), b(writer, "B");
  a.join();
  b.join();
  const std::string text = readFile(path);
  for (const char* prefix : {"A", "B"})
    for (int i = 0; i < 50; ++i)
      EXPECT_NE(text.find(std::string("\n") + prefix + std::to_string(i) + "="), std::string::npos)
          << prefix << i;
}

TEST(JobRunLock, ASecondRunOfTheSameJobIsToldAtOnce) {
  TempFolder folder;
  auto first = lockJobRun(folder.path(), "J1", LockWait::Never);
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->held());
  const auto second = lockJobRun(folder.path(), "J1", LockWait::Never);
  ASSERT_FALSE(second);
  EXPECT_EQ(second.error().code, std::errc::operation_would_block);
  EXPECT_TRUE(lockJobRun(folder.path(), "J2", LockWait::Never));  // another job runs freely
  int asked = 0;
  const auto gaveUp =
      lockJobRun(folder.path(), "J1", LockWait::UntilFree, [&asked] { return ++asked == 3; });
  ASSERT_FALSE(gaveUp);
  EXPECT_EQ(gaveUp.error().code, std::errc::operation_canceled);
  *first = FileLock();  // the first run ends
  EXPECT_TRUE(lockJobRun(folder.path(), "J1", LockWait::UntilFree));
}

TEST(JobFile, HoldsAWholeJobAndOpensAsAConditionFile) {
  TempFolder folder;
  const std::string path = folder.file("nightly.dat");
  SearchOptions search;
  search.sourceFolder = "/data/src";
  search.includeSubfolders = true;
  search.excludedSubfolders = {"/obj"};
  search.excludedExtensions = {"tmp"};
  // Any name, a comma, a quote or a blank in it too, comes back as it went.
  search.excludedNames = {"~$*", "a,b", "say \"hi\"", " x ", "node_modules"};
  search.perFolder = true;
  search.changeTime = false;
  search.walkThreads = 4;
  CopyOptions copy;
  copy.destination = "/media/usb";
  copy.dirAbs = false;
  copy.addDriveLetter = false;
  copy.overwrite = OverwriteIfNewer;
  copy.verify = true;
  copy.retry = {5, std::chrono::milliseconds(250)};
  copy.keepReplaced = true;
  copy.versionsFolder = "old";
  copy.pruneVersionsDays = 30;
  copy.links = LinkMode::Skip;
  ASSERT_TRUE(writeJobFile(path, search, copy));
  EXPECT_NE(readFile(path).find("[Job]\nOverwrite=newer\n"), std::string::npos) << readFile(path);

  const auto layer = readJobFile(path);
  ASSERT_TRUE(layer);
  const JobOptions back = jobOptionsOf(resolvedOptions({*layer}));
  EXPECT_EQ(back.search.sourceFolder, "/data/src");
  EXPECT_EQ(back.search.excludedSubfolders, search.excludedSubfolders);
  EXPECT_EQ(back.search.excludedExtensions, search.excludedExtensions);
  EXPECT_EQ(back.search.excludedNames, search.excludedNames);
  EXPECT_EQ(layer->excludedNames.where, path + " [Job] ExcludeNames");
  EXPECT_TRUE(back.search.perFolder);
  EXPECT_FALSE(back.search.changeTime);
  EXPECT_EQ(back.search.walkThreads, 4u);
  EXPECT_EQ(back.copy.destination, "/media/usb");
  EXPECT_FALSE(back.copy.dirAbs);
  EXPECT_FALSE(back.copy.addDriveLetter);
  EXPECT_EQ(back.copy.overwrite, OverwriteIfNewer);
  EXPECT_TRUE(back.copy.verify);
  EXPECT_EQ(back.copy.retry.retries, 5u);
  EXPECT_EQ(back.copy.retry.wait, std::chrono::milliseconds(250));
  EXPECT_NE(readFile(path).find("\nRetryWait=0.25\n"), std::string::npos);
  EXPECT_TRUE(back.copy.keepReplaced);
  EXPECT_EQ(back.copy.versionsFolder, "old");
  EXPECT_EQ(back.copy.pruneVersionsDays, 30u);
  EXPECT_EQ(back.copy.links, LinkMode::Skip);
  EXPECT_EQ(layer->links.where, path + " [Job] Links");
  EXPECT_EQ(layer->overwrite.where, path + " [Job] Overwrite");
  EXPECT_EQ(layer->keepReplaced.where, path + " [Job] KeepReplaced");
  // The window opens it as the condition file it also is.
  const auto conditions = readConditionFile(path);
  ASSERT_TRUE(conditions);
  EXPECT_EQ(conditions->source, "/data/src");
  EXPECT_EQ(conditions->excludedSubfolders, search.excludedSubfolders);
}

TEST(JobFile, RefusesWhatItCannotTake) {
  TempFolder folder;
  writeFile(folder.file("plain.ini"), "[Job]\nOverwrite=never\n");
  const auto untyped = readJobFile(folder.file("plain.ini"));
  ASSERT_FALSE(untyped);
  EXPECT_EQ(untyped.error().kind, JobFileProblem::Kind::NotAJobFile);
  for (const char* bad :
       {"Overwrite=sometimes", "Overwrite=7", "Verify=yes", "Threads=-1", "Retries=101",
        "Retries=two", "RetryWait=-1", "RetryWait=0.5s", "KeepReplaced=yes", "PruneVersions=-3",
        "PruneVersions=week", "ExcludeNames=*.tmp,node_modules/x", "ExcludeNames=*.tmp,,a",
        "Links=Skip"}) {
    writeFile(folder.file("bad.dat"),
              std::string("[Application]\nNVOFile=1\n[Job]\n") + bad + "\n");
    const auto refused = readJobFile(folder.file("bad.dat"));
    ASSERT_FALSE(refused) << bad;
    EXPECT_EQ(refused.error().kind, JobFileProblem::Kind::BadValue);
    EXPECT_EQ("[Job] " + refused.error().key.substr(6) + "=" + refused.error().value,
              std::string("[Job] ") + bad);
  }
  writeFile(folder.file("words.dat"), "[Application]\nNVOFile=1\n[Job]\nOverwrite=2\n");
  EXPECT_EQ(*readJobFile(folder.file("words.dat"))->overwrite.value, OverwriteIfNewer);
  // A section, or a key within its section, written twice: refused at its second line. The same
  // key in two sections, and comments, are no repeat.
  for (const auto& [rest, line, what] :
       std::vector<std::tuple<std::string, std::size_t, std::string>>{
           {"[Job]\nVerify=1\nverify = 0\n", 5, "[Job] verify"},
           {"[job]\n[Job]\n", 4, "[Job]"},
           {"[Mine]\nVerify=0\n[Job]\nVerify=1\n; Verify=0\n; Verify=0\n", 0, ""}}) {
    writeFile(folder.file("twice.dat"), "[Application]\nNVOFile=1\n" + rest);
    const auto read = readJobFile(folder.file("twice.dat"));
    ASSERT_EQ(!read, line != 0) << rest;
    if (read) continue;
    EXPECT_EQ(read.error().line, line);
    EXPECT_EQ(read.error().key, what);
  }
}

}  // namespace
}  // namespace nuvelo
