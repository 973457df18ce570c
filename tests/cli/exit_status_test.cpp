// What a script or a timer learns from nuvelo-cli's exit status: the real program, with its
// standard streams as a cron job or a terminal gives them.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "support/file_tree.h"
#include "support/ordinary_user.h"
#include "support/small_tmpfs.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

constexpr const char* RecordedBefore = "LastCopyDate=2024/05/01";

struct Launch {
  std::vector<std::string> args;     // after the program name
  const char* stdoutPath = nullptr;  // a file, or /dev/full; a file of the test's own if none
  bool asOrdinaryUser = false;
  bool onTerminal = false;  // standard input is a pseudo-terminal
  // Runs while the program does, with its pid and the path its stderr goes to.
  std::function<void(pid_t, const std::string& errPath)> meanwhile = {};
};

struct Ended {
  int status = -1;
  std::string out;
  std::string err;
};

[[noreturn]] void execProgram(const Launch& launch, const std::string& outPath,
                              const std::string& errPath, const char* terminal) {
  const int in = open(terminal ? terminal : "/dev/null", O_RDWR);
  const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (in < 0 || out < 0 || err < 0) _exit(98);
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  if (launch.asOrdinaryUser) {
    const passwd* nobody = getpwnam("nobody");
    if (!nobody || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
        setuid(nobody->pw_uid) != 0)
      _exit(97);
  }
  std::vector<char*> argv{const_cast<char*>("nuvelo-cli")};
  for (const std::string& a : launch.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(NUVELO_CLI_PATH, argv.data());
  _exit(99);
}

Ended launchProgram(const Launch& launch, const TempFolder& folder) {
  const std::string outPath = launch.stdoutPath ? launch.stdoutPath : folder.file("stdout");
  const std::string errPath = folder.file("stderr");
  int master = -1;
  std::string terminal;
  if (launch.onTerminal) {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return {};
    terminal = ptsname(master);
  }
  const pid_t child = fork();
  if (child == 0)
    execProgram(launch, outPath, errPath, launch.onTerminal ? terminal.c_str() : nullptr);
  if (launch.meanwhile) launch.meanwhile(child, errPath);
  Ended ended;
  int status = 0;
  waitpid(child, &status, 0);
  if (master >= 0) close(master);
  ended.status = WIFEXITED(status) ? WEXITSTATUS(status) : 256 + WTERMSIG(status);
  if (!launch.stdoutPath) ended.out = readFile(outPath);
  ended.err = readFile(errPath);
  return ended;
}

// Waits until the file holds the text (the program has reached that point).
bool waitForText(const std::string& path, const std::string& text) {
  for (int tries = 0; tries < 1000; ++tries) {
    if (readFile(path).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

struct StatusCase {
  const char* name;
  std::function<void(const std::string& root)> setup;
  std::function<Launch(const std::string& root)> launch;
  int status;
  const char* errSays;  // a text stderr must hold
  bool dayRecorded;
  bool needsOtherUser = false;
};

void PrintTo(const StatusCase& c, std::ostream* out) {
  *out << c.name;
}

std::vector<std::string> copyArgs(const std::string& root, const char* overwrite) {
  return {"copy",    "--since",    "2024-05-01",      "--relative",  "--overwrite",
          overwrite, "--settings", root + "/NVO.ini", root + "/src", root + "/dst"};
}

// A copy that asks on a terminal, sent the signal once the replace question is on stderr.
Launch signalAtTheQuestion(const std::string& root, int signal) {
  Launch l{copyArgs(root, "ask")};
  l.onTerminal = true;
  l.meanwhile = [signal](pid_t child, const std::string& errPath) {
    kill(child, waitForText(errPath, "置き換えますか？") ? signal : SIGKILL);
  };
  return l;
}

const StatusCase Cases[] = {
    {"EverythingCopied",
     {},
     [](const std::string& r) { return Launch{copyArgs(r, "always")}; },
     0,
     "コピー 2個",
     true},
    {"AFileFailedWaitsForTheNextRunAndTheDayMovesOn",
     [](const std::string& r) { std::filesystem::create_directories(r + "/dst/b.txt"); },
     [](const std::string& r) { return Launch{copyArgs(r, "always")}; }, 1,
     "次回のコピーで再試行するもの: 1個", true},
    {"AskWithoutATerminalRefusesBeforeCopying",
     {},
     [](const std::string& r) { return Launch{copyArgs(r, "ask")}; },
     2,
     "--overwrite newer|always|never",
     false},
    {"OutputThatCannotBeWritten",
     {},
     [](const std::string& r) {
       Launch l{copyArgs(r, "always")};
       l.stdoutPath = "/dev/full";
       return l;
     },
     1,
     "標準出力に書き込めません",
     true},
    {"SearchOutputThatCannotBeWritten",
     {},
     [](const std::string& r) {
       Launch l{{"search", "--since", "2024-05-01", "--settings", r + "/NVO.ini", r + "/src"}};
       l.stdoutPath = "/dev/full";
       return l;
     },
     1,
     "標準出力に書き込めません",
     false},
    {"UnreadableFolderIsNamedAndWaitsForTheNextRun",
     [](const std::string& r) {
       makeFile(r + "/src/locked/c.txt", localTime(2024, 5, 2));
       chmod((r + "/src/locked").c_str(), 0);
       testing::openToEveryone(r);
       testing::openToEveryone(r + "/dst");
       chmod((r + "/NVO.ini").c_str(), 0666);
     },
     [](const std::string& r) {
       Launch l{copyArgs(r, "always")};
       l.asOrdinaryUser = geteuid() == 0;
       return l;
     },
     1, "次回のコピーで再試行するもの: 1個", true, true},
    {"SettingsPathThatIsAFifoIsRefusedWithoutWaiting",
     [](const std::string& r) {
       std::filesystem::rename(r + "/NVO.ini", r + "/kept.ini");
       mkfifo((r + "/NVO.ini").c_str(), 0666);
     },
     [](const std::string& r) {
       return Launch{{"search", "--settings", r + "/NVO.ini", r + "/src"}};
     },
     2, "は通常のファイルではありません", false},
    {"ReadOnlySettingsAreRefusedBeforeCopying",
     [](const std::string& r) { chmod((r + "/NVO.ini").c_str(), 0444); },
     [](const std::string& r) { return Launch{copyArgs(r, "always")}; }, 2, "に書き込めません",
     false},
    {"CtrlCAtTheQuestionIsAnInterrupt",
     [](const std::string& r) {
       writeFile(r + "/dst/a.txt", "old");
       std::filesystem::remove(r + "/src/b.txt");  // the question comes before any copy
     },
     [](const std::string& r) { return signalAtTheQuestion(r, SIGINT); }, 130, "置き換えますか？",
     false},
    {"TermAtTheQuestionSaysWhatWasDoneAndEndsWith143",
     [](const std::string& r) {
       writeFile(r + "/dst/a.txt", "old");  // the question comes before any copy
       writeFile(r + "/dst/b.txt", "old");
     },
     [](const std::string& r) { return signalAtTheQuestion(r, SIGTERM); }, 143,
     "中断しました: コピー 0個, スキップ 0個, 失敗 0個", false},
};

class ExitStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ExitStatus, TellsWhatHappened) {
  const StatusCase& c = GetParam();
  if (c.needsOtherUser && geteuid() == 0 && !testing::nobodyUser())
    GTEST_SKIP() << "no ordinary user to run as";
  TempFolder folder;
  const std::string r = folder.path();
  makeFile(r + "/src/a.txt", localTime(2024, 5, 2), 3);
  makeFile(r + "/src/b.txt", localTime(2024, 5, 2), 3);
  std::filesystem::create_directories(r + "/dst");
  // The window's own folders: a copy of them moves the window's day.
  writeFile(r + "/NVO.ini", std::string("[Default]\n") + RecordedBefore + "\nFrom=" + r +
                                "/src\nTo=" + r + "/dst\n");
  if (c.setup) c.setup(r);

  const Ended ended = launchProgram(c.launch(r), folder);
  chmod((r + "/src/locked").c_str(), 0755);
  EXPECT_EQ(ended.status, c.status) << ended.err;
  EXPECT_NE(ended.err.find(c.errSays), std::string::npos) << ended.err;
  const std::string settings =
      r + (std::filesystem::exists(r + "/kept.ini") ? "/kept.ini" : "/NVO.ini");
  const bool dayKept = readFile(settings).find(RecordedBefore) != std::string::npos;
  EXPECT_EQ(!dayKept, c.dayRecorded) << readFile(settings);
  if (c.status == 2 || c.status == 130) {
    EXPECT_FALSE(std::filesystem::exists(r + "/dst/b.txt"));
  }
  if (c.status == 143) {
    EXPECT_EQ(readFile(r + "/dst/a.txt") + readFile(r + "/dst/b.txt"), "oldold");
  }
  if (c.status == 130) {
    EXPECT_EQ(readFile(r + "/dst/a.txt"), "old");
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, ExitStatus, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

// A destination with too little room stops the copy before its first file, with the figures,
// unless the command line says to go on.
TEST(ExitStatusRoom, TooLittleRoomStopsUnlessToldToGoOn) {
  testing::SmallTmpfs drive(64 * 1024);
  if (!drive.usable()) GTEST_SKIP() << drive.reason();
  TempFolder folder;
  const std::string r = folder.path();
  makeFile(r + "/src/big.bin", localTime(2024, 5, 2), 256 * 1024);
  makeFile(r + "/src/small.txt", localTime(2024, 5, 2), 10);
  const std::vector<std::string> args = {"copy",        "--since",   "2024-05-01", "--relative",
                                         "--overwrite", "always",    "--settings", r + "/NVO.ini",
                                         r + "/src",    drive.path()};
  const Ended refused = launchProgram(Launch{args}, folder);
  EXPECT_EQ(refused.status, 2) << refused.err;
  EXPECT_NE(refused.err.find("空き容量が足りません (必要 "), std::string::npos) << refused.err;
  EXPECT_EQ(testing::entriesIn(drive.path()), 0u);

  std::vector<std::string> goOn = args;
  goOn.insert(goOn.begin() + 1, "--ignore-free-space");
  const Ended anyway = launchProgram(Launch{goOn}, folder);
  EXPECT_EQ(anyway.status, 1) << anyway.err;  // the big file fails, the small one is copied
  EXPECT_TRUE(std::filesystem::exists(drive.path() + "/small.txt"));
}

}  // namespace
}  // namespace nuvelo
