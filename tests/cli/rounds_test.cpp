// Every round starts where the last one ended: over many runs of a job, no file falls between
// two of them. Files that arrive with old times, a run that crosses midnight, a file that fails
// every night, two runs at once, a job that takes nothing from another, and a comparison with
// the destination that proves nothing is missing.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "cli/cli_harness.h"
#include "engine/jobs/job_state.h"
#include "engine/settings/job_dates.h"
#include "support/file_tree.h"
#include "support/json_line.h"
#include "support/mounted_image.h"

namespace nuvelo {
namespace {

using testing::CliHarness;
using testing::JsonLine;
using testing::localTime;
using testing::makeFile;
using testing::ProgramRun;
using testing::readFile;
using testing::runProgram;
using testing::TempFolder;
using testing::writeFile;

CivilDate today() {
  return civilDateOf(todayValue());
}

std::string isoDay(const CivilDate& d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
  return text;
}

class Rounds : public ::testing::Test {
 protected:
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dst"; }
  std::string settings() const { return tree.path() + "/NVO.ini"; }
  // The first column of each tsv row: the names found.
  std::set<std::string> namesFound() const {
    std::set<std::string> names;
    std::istringstream in(cli.out.str());
    for (std::string line; std::getline(in, line);) names.insert(line.substr(0, line.find('\t')));
    return names;
  }
  std::set<std::string> search(const std::string& options) {
    EXPECT_EQ(cli.run("search --format tsv " + options + " " + source()), 0) << cli.err.str();
    return namesFound();
  }

  TempFolder tree;
  CliHarness cli{settings()};
};

// A file moved in, renamed in place, or copied with its times (cp -p, an unpacked archive)
// keeps an old last-write time, but its change time says it arrived today.
TEST_F(Rounds, FilesThatArriveWithOldTimesAreTaken) {
  makeFile(tree.path() + "/Downloads/report.odt", localTime(2023, 3, 1));
  makeFile(source() + "/draft.txt", localTime(2023, 3, 1));
  makeFile(source() + "/untouched.txt", localTime(2023, 3, 1));
  makeFile(tree.path() + "/Downloads/photo.jpg", localTime(2023, 3, 1));
  const std::string since = "--since " + isoDay(today()) + " ";
  // Nothing has arrived yet, by last-write times.
  EXPECT_EQ(search(since + "--no-change-time"), std::set<std::string>{});

  std::filesystem::rename(tree.path() + "/Downloads/report.odt", source() + "/report.odt");
  std::filesystem::rename(source() + "/draft.txt", source() + "/final.txt");
  ASSERT_EQ(
      std::system(("cp -p '" + tree.path() + "/Downloads/photo.jpg' '" + source() + "/'").c_str()),
      0);
  EXPECT_EQ(search(since + "--no-change-time"), std::set<std::string>{});
  // Change times are taken by default; the untouched file is taken too, since its change time
  // (made by this test) is today as well: ctime cannot be set back.
  const std::set<std::string> arrived = search(since);
  for (const char* name : {"report.odt", "final.txt", "photo.jpg"})
    EXPECT_TRUE(arrived.contains(name)) << name;

  // JSON Lines give both times; the row's date stays the last-write time.
  ASSERT_EQ(cli.run("search --format json " + since + source()), 0);
  std::istringstream lines(cli.out.str());
  for (std::string line; std::getline(lines, line);) {
    const auto row = JsonLine::read(line);
    ASSERT_TRUE(row) << line;
    EXPECT_EQ(row->at("modified").substr(0, 10), "2023-03-01") << line;
    EXPECT_EQ(row->at("changed").substr(0, 10), isoDay(today())) << line;
  }
}

// A run started late on one day that ends on the next records the first day: a file changed
// late on that day is taken by the next run. The clock says the first day when the search
// starts and the next day at every later look.
TEST_F(Rounds, ARunThatCrossesMidnightRecordsTheDayItsListWasMade) {
  makeFile(source() + "/a.txt", localTime(2024, 5, 1, 9), 10);
  std::filesystem::create_directories(destination());
  int looks = 0;
  cli.clock = [&looks]() { return ++looks == 1 ? CivilDate{2024, 5, 1} : CivilDate{2024, 5, 2}; };
  const std::string job =
      "--overwrite newer --relative --no-change-time " + source() + " " + destination();
  ASSERT_EQ(cli.run("copy --since 2024-05-01 " + job), 0) << cli.err.str();
  const std::string key = jobKey("", source(), destination());
  EXPECT_NE(readFile(settings()).find(key + "=2024/05/01"), std::string::npos)
      << readFile(settings());

  // Changed at 23:59:59 on the first day, after the list was made.
  makeFile(source() + "/late.txt", localTime(2024, 5, 1, 23, 59, 59), 10);
  looks = 0;
  cli.clock = [] { return CivilDate{2024, 5, 3}; };
  ASSERT_EQ(cli.run("copy --since-last " + job), 0) << cli.err.str();
  EXPECT_TRUE(std::filesystem::exists(destination() + "/late.txt"));
}

// A file that fails every night (a name the drive refuses, a file the user cannot read) does
// not hold the job's day back: it waits in the job's retry list, and the next run takes it
// whatever its times until it is carried or gone.
TEST_F(Rounds, AFailedFileWaitsAndIsCarriedByALaterRun) {
  makeFile(source() + "/a.txt", localTime(2024, 5, 2), 10);
  makeFile(source() + "/b.txt", localTime(2024, 5, 2), 10);
  makeFile(source() + "/c.txt", localTime(2024, 5, 2), 10);
  std::filesystem::create_directories(destination() + "/b.txt/in the way");
  const std::string job = "--overwrite always --relative --no-change-time --report " + tree.path() +
                          "/report.jsonl " + source() + " " + destination();
  cli.clock = [] { return CivilDate{2024, 6, 1}; };
  EXPECT_EQ(cli.run("copy --since 2024-05-01 " + job), 1);
  EXPECT_NE(cli.err.str().find("次回のコピーで再試行するもの: 1個"), std::string::npos)
      << cli.err.str();
  EXPECT_NE(readFile(tree.path() + "/report.jsonl").find("\"waiting\": 1}"), std::string::npos);
  const std::string key = jobKey("", source(), destination());
  EXPECT_NE(readFile(settings()).find(key + "=2024/06/01"), std::string::npos);

  // The next night: still in the way, still waiting; nothing else is copied again.
  cli.clock = [] { return CivilDate{2024, 6, 2}; };
  EXPECT_EQ(cli.run("copy --since-last " + job), 1);
  EXPECT_NE(cli.err.str().find("failed\t" + source() + "/b.txt"), std::string::npos)
      << cli.err.str();
  EXPECT_TRUE(cli.out.str().empty()) << cli.out.str();

  // Out of the way: carried, whatever its old time, and nothing waits any more.
  std::filesystem::remove_all(destination() + "/b.txt");
  cli.clock = [] { return CivilDate{2024, 6, 3}; };
  EXPECT_EQ(cli.run("copy --since-last " + job), 0) << cli.err.str();
  EXPECT_EQ(readFile(destination() + "/b.txt"), std::string(10, 'x'));
  EXPECT_EQ(cli.err.str().find("再試行"), std::string::npos) << cli.err.str();
  EXPECT_EQ(cli.run("copy --since-last " + job), 0);
  EXPECT_TRUE(cli.out.str().empty()) << cli.out.str();

  // A file gone from the source leaves the list too.
  std::filesystem::remove(destination() + "/c.txt");
  std::filesystem::create_directories(destination() + "/c.txt/in the way");
  ASSERT_EQ(cli.run("copy --since 2024-05-01 " + job), 1);
  std::filesystem::remove(source() + "/c.txt");
  EXPECT_EQ(cli.run("copy --since-last " + job), 0) << cli.err.str();
  EXPECT_TRUE(readRetryList(jobStateFolder(settings()), key).empty());
}

// Runs of different jobs with one settings file at the same time, each recording its day: no
// job's line is lost.
TEST_F(Rounds, RunsAtTheSameTimeLoseNoJobsLine) {
  makeFile(source() + "/a.txt", localTime(2024, 5, 2), 10);
  const auto copyTo = [this](const std::string& drive) {
    return std::vector<std::string>{NUVELO_CLI_PATH, "copy",       "-q",
                                    "--since",       "2024-05-01", "--overwrite",
                                    "always",        "--mkdir",    "--settings",
                                    settings(),      source(),     tree.path() + "/" + drive};
  };
  int lost = 0;
  for (int round = 0; round < 100; ++round) {
    std::filesystem::remove(settings());
    ProgramRun first, second;
    std::thread a([&] { first = runProgram(copyTo("usb")); });
    std::thread b([&] { second = runProgram(copyTo("nas")); });
    a.join();
    b.join();
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(second.status, 0) << second.err;
    const std::string text = readFile(settings());
    for (const char* drive : {"usb", "nas"})
      if (text.find(jobKey("", source(), tree.path() + "/" + drive) + "=") == std::string::npos)
        ++lost;
  }
  EXPECT_EQ(lost, 0);
}

TEST_F(Rounds, ASecondRunOfTheSameJobEndsAtOnceUnlessToldToWait) {
  makeFile(source() + "/a.txt", localTime(2024, 5, 2), 10);
  std::filesystem::create_directories(destination());
  const std::string key = jobKey("", source(), destination());
  auto running = lockJobRun(jobStateFolder(settings()), key, LockWait::Never);
  ASSERT_TRUE(running);
  const std::vector<std::string> copy = {NUVELO_CLI_PATH, "copy",        "--since",    "2024-05-01",
                                         "--relative",    "--overwrite", "always",     "--settings",
                                         settings(),      source(),      destination()};
  const ProgramRun refused = runProgram(copy);
  EXPECT_EQ(refused.status, 75) << refused.err;
  EXPECT_NE(refused.err.find("実行中"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("--wait"), std::string::npos) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(destination() + "/a.txt"));
  // Another job runs meanwhile.
  std::vector<std::string> other = copy;
  other.back() = tree.path() + "/other";
  other.insert(other.begin() + 2, "--mkdir");
  EXPECT_EQ(runProgram(other).status, 0);

  std::vector<std::string> waiting = copy;
  waiting.insert(waiting.begin() + 2, "--wait");
  ProgramRun waited;
  std::thread run([&] { waited = runProgram(waiting); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(std::filesystem::exists(destination() + "/a.txt"));  // still waiting
  *running = FileLock();
  run.join();
  EXPECT_EQ(waited.status, 0) << waited.err;
  EXPECT_TRUE(std::filesystem::exists(destination() + "/a.txt"));
}

// A job file holds the whole job: nothing of the window's settings leaks into it, and -v says
// where each option came from.
TEST_F(Rounds, AJobFileTakesNothingFromTheWindowsSettings) {
  for (int i = 0; i < 5; ++i) {
    makeFile(source() + "/f" + std::to_string(i) + ".js", localTime(2024, 5, 2));
    makeFile(source() + "/sub/g" + std::to_string(i) + ".bak", localTime(2024, 5, 2));
    makeFile(source() + "/sub/deeper/h" + std::to_string(i) + ".txt", localTime(2024, 5, 2));
  }
  writeFile(settings(), "[Option]\nDirKAI=0\nEscExt=bak,js\nOverwrite=1\nRetries=7\n");
  const std::string job = tree.path() + "/nightly.dat";
  writeFile(job, "[Application]\nNVOFile=1\n[NVO]\nDirFrom=" + source() +
                     "\nDirTo=" + destination() +
                     "\nCBKai=1\n[Job]\nOverwrite=newer\nDirAbs=0\nRetryWait=0.5\n");
  std::filesystem::create_directories(destination());
  ASSERT_EQ(cli.run("copy -v --no-change-time --since 2024-05-01 --job " + job), 0)
      << cli.err.str();
  EXPECT_EQ(testing::entriesIn(destination()), 6u);  // 5 .js files and sub
  const std::string copied = cli.out.str();
  EXPECT_EQ(std::count(copied.begin(), copied.end(), '\n'), 15);
  const std::string err = cli.err.str();
  EXPECT_NE(err.find("--subfolders  (" + job + " [NVO] CBKai)"), std::string::npos) << err;
  EXPECT_NE(err.find("--exclude-ext \"\"  (" + job + " [NVO] EscExt)"), std::string::npos) << err;
  EXPECT_NE(err.find("--overwrite newer  (" + job + " [Job] Overwrite)"), std::string::npos) << err;
  EXPECT_NE(err.find("--no-change-time  (コマンドライン)"), std::string::npos) << err;
  EXPECT_NE(err.find("--no-verify  (既定値)"), std::string::npos) << err;
  EXPECT_NE(err.find("--retries 2  (既定値)"), std::string::npos) << err;
  EXPECT_NE(err.find("--retry-wait 0.5  (" + job + " [Job] RetryWait)"), std::string::npos) << err;
  // Its day is its own: the next run from its day finds nothing new.
  ASSERT_EQ(cli.run("copy --no-change-time --since-last --job " + job), 0) << cli.err.str();
  EXPECT_TRUE(cli.out.str().empty());
  EXPECT_EQ(readFile(settings()).find("LastCopyDate"), std::string::npos);

  // Without a job file the settings file gives the defaults, and -v names them.
  ASSERT_EQ(cli.run("search -v --no-change-time --since 2024-05-01 " + source()), 0);
  EXPECT_NE(cli.err.str().find("--no-subfolders  (" + settings() + " [Option] DirKAI)"),
            std::string::npos)
      << cli.err.str();
  EXPECT_TRUE(cli.out.str().empty()) << "the .js files excluded, the subfolders not searched";
}

// An excluded subfolder in a condition file means what --exclude-folder means, however it is
// spelt; one that matches nothing is named.
TEST_F(Rounds, ConditionFileExclusionsMeanWhatTheCommandLineMeans) {
  makeFile(source() + "/obj/x.o", localTime(2024, 5, 2));
  makeFile(source() + "/src/x.c", localTime(2024, 5, 2));
  for (const char* spelling : {"obj", "/obj", "\\obj", "obj/"}) {
    writeFile(tree.path() + "/c.dat", std::string("[Application]\nNVOFile=1\n[NVO]\nDirFrom=") +
                                          source() + "\nCBKai=1\nFolEx=" + spelling + ",tmp\n");
    ASSERT_EQ(cli.run("search --no-change-time --since 2024-05-01 --format tsv --conditions " +
                      tree.path() + "/c.dat"),
              0);
    EXPECT_EQ(namesFound(), std::set<std::string>{"x.c"}) << spelling;
    const std::string err = cli.err.str();
    EXPECT_NE(err.find("FolEx: 除外するサブフォルダ tmp に当たるフォルダはありませんでした"),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find("サブフォルダ " + std::string(spelling) + " に当たる"), std::string::npos)
        << err;
  }
}

// A comparison with the destination takes what rsync would send of the files missing there
// or older there, whatever their times; a copy newer at the destination stays.
TEST_F(Rounds, ACompareWithTheDestinationTakesWhatIsMissingOrOlderThere) {
  const std::string rsync = testing::findProgram("rsync");
  if (rsync.empty()) GTEST_SKIP() << "rsync is missing (scripts/install-deps installs it)";
  const timespec day = localTime(2023, 1, 1);
  makeFile(source() + "/same.txt", day, 10);
  makeFile(destination() + "/same.txt", day, 10);
  makeFile(source() + "/missing.txt", day, 10);  // deleted from the backup
  makeFile(source() + "/deep/er/missing.txt", day, 10);
  makeFile(source() + "/older.txt", localTime(2023, 2, 1), 12);
  makeFile(destination() + "/older.txt", day, 10);
  makeFile(source() + "/newer-there.txt", day, 10);
  makeFile(destination() + "/newer-there.txt", localTime(2023, 3, 1), 10);
  makeFile(destination() + "/only-there.txt", day, 10);

  ASSERT_EQ(cli.run("search --compare --relative --format tsv " + source() + " " + destination()),
            0)
      << cli.err.str();
  std::set<std::string> ours;
  std::istringstream rows(cli.out.str());
  for (std::string line; std::getline(rows, line);) ours.insert(line.substr(line.rfind('\t') + 1));
  const ProgramRun dry = runProgram({rsync, "-ani", source() + "/", destination() + "/"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  std::set<std::string> theirs;
  std::istringstream changes(dry.out);
  for (std::string line; std::getline(changes, line);)
    if (line.rfind(">f", 0) == 0) theirs.insert(line.substr(line.find(' ') + 1));
  // rsync also sends a file whose copy is newer; the comparison leaves a newer copy alone.
  EXPECT_TRUE(theirs.erase("newer-there.txt"));
  EXPECT_EQ(ours, theirs);
  EXPECT_EQ(ours, (std::set<std::string>{"missing.txt", "deep/er/missing.txt", "older.txt"}));

  // The copy carries them; a second comparison finds nothing missing.
  ASSERT_EQ(
      cli.run("copy --compare --relative --overwrite newer " + source() + " " + destination()), 0)
      << cli.err.str();
  ASSERT_EQ(cli.run("search --compare --relative --format tsv " + source() + " " + destination()),
            0);
  EXPECT_TRUE(cli.out.str().empty()) << cli.out.str();
  // In the absolute layout the copy of the source lies under its whole path.
  ASSERT_EQ(cli.run("search --compare --absolute --format tsv " + source() + " " + destination()),
            0);
  const std::string all = cli.out.str();
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 5);
}

}  // namespace
}  // namespace nuvelo
