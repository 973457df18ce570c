// A job's retry list: what its runs could not carry, kept across runs and pruned as files are
// carried, vanish, or leave the job.

#include "engine/jobs/retry_list.h"

#include <gtest/gtest.h>

#include "engine/jobs/job_end.h"
#include "engine/jobs/job_state.h"
#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::makeFile;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

TEST(RetryListText, GivesBackEveryPathWhateverItsBytes) {
  const std::vector<std::string> paths = {"/src/meeting 10:30.txt", "/src/line\nbreak",
                                          "/src/back\\slash\\n",    "/src/cr\r",
                                          "/src/caf\xE9",           "/src/#not a comment"};
  const std::string text = retryListText(paths);
  EXPECT_EQ(text.rfind("# ", 0), 0u) << "a heading says what the file is";
  EXPECT_EQ(retryListPaths(text), paths);
  // A user's edits: blank lines, comments and lines that hold no absolute path are passed over.
  EXPECT_EQ(retryListPaths("\n# mine\nrelative/a\n/src/a\n\n"), std::vector<std::string>{"/src/a"});
}

TEST(RetryListFile, IsReplacedWholeAndGoesWhenEmpty) {
  TempFolder folder;
  const std::string state = folder.file("NVO-state");
  EXPECT_TRUE(readRetryList(state, "J1").empty());
  ASSERT_TRUE(writeRetryList(state, "J1", {"/src/a", "/src/b"}));
  EXPECT_EQ(readRetryList(state, "J1"), (std::vector<std::string>{"/src/a", "/src/b"}));
  EXPECT_TRUE(readRetryList(state, "J2").empty());  // each job its own
  ASSERT_TRUE(writeRetryList(state, "J1", {}));
  EXPECT_FALSE(std::filesystem::exists(state + "/J1.retry"));
  // A state folder that cannot be made fails, and names the list.
  writeFile(folder.file("plain"), "");
  const Result<> refused = writeRetryList(folder.file("plain/NVO-state"), "J1", {"/src/a"});
  ASSERT_FALSE(refused);
  EXPECT_NE(refused.error().path.find("plain"), std::string::npos);
}

TEST(JobStateFolder, BesideTheSettingsFileOrInTheUsersStateFolder) {
  EXPECT_EQ(jobStateFolder("/opt/nuvelo/NVO.ini"), "/opt/nuvelo/NVO-state");
  EXPECT_EQ(jobStateFolder("/tmp/x/mine.ini"), "/tmp/x/mine-state");
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string savedConfig = config ? config : "";
  setenv("XDG_CONFIG_HOME", "/home/u/.config", 1);
  setenv("XDG_STATE_HOME", "/home/u/.local/state", 1);
  EXPECT_EQ(jobStateFolder("/home/u/.config/nuvelo/NVO.ini"), "/home/u/.local/state/nuvelo");
  unsetenv("XDG_STATE_HOME");
  if (config)
    setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

// What waits after a run, from what waited before and what the run did.
struct AfterCase {
  const char* name;
  bool completed;
  std::vector<std::string> listed, carried, failed;
  std::vector<std::string> waitingAfter;
};

class RetryListAfter : public ::testing::TestWithParam<AfterCase> {
 protected:
  void SetUp() override {
    for (const char* name : {"a.txt", "b.txt", "c.txt", "locked/d.txt", "pack/e.txt"})
      makeFile(tree.path() + "/" + name, testing::localTime(2024, 4, 1));
  }
  std::vector<std::string> at(const std::vector<std::string>& names) const {
    std::vector<std::string> out;
    for (const std::string& n : names) out.push_back(tree.path() + "/" + n);
    return out;
  }
  TempFolder tree;
};

// Before each run a.txt, b.txt, the folder locked, pack/e.txt and vanished.txt (gone) wait.
TEST_P(RetryListAfter, KeepsWhatIsNeitherCarriedNorGone) {
  const AfterCase& c = GetParam();
  RunRecord run;
  run.completed = c.completed;
  run.listed = at(c.listed);
  run.carried = at(c.carried);
  run.failed = at(c.failed);
  const auto waiting = at({"a.txt", "b.txt", "locked", "pack/e.txt", "vanished.txt"});
  EXPECT_EQ(retryListAfter(waiting, run, waiting), at(c.waitingAfter));
}

TEST(RetryListAfterAnotherRun, KeepsWhatThatRunAddedWithoutJudgingIt) {
  TempFolder tree;
  makeFile(tree.path() + "/mine.txt", testing::localTime(2024, 4, 1));
  makeFile(tree.path() + "/theirs.txt", testing::localTime(2024, 4, 1));
  RunRecord run;
  run.completed = true;  // and listed neither
  const std::vector<std::string> mine = {tree.path() + "/mine.txt"};
  const std::vector<std::string> both = {tree.path() + "/mine.txt", tree.path() + "/theirs.txt"};
  EXPECT_EQ(retryListAfter(both, run, mine), std::vector<std::string>{tree.path() + "/theirs.txt"});
}

INSTANTIATE_TEST_SUITE_P(
    Runs, RetryListAfter,
    ::testing::Values(
        AfterCase{"CarriedGoesFailedStays",
                  true,
                  {"a.txt", "b.txt", "locked/d.txt"},
                  {"a.txt", "locked/d.txt"},
                  {"b.txt"},
                  {"b.txt"}},
        AfterCase{"NewFailuresJoinFirst",
                  true,
                  {"a.txt", "b.txt", "c.txt"},
                  {"a.txt", "b.txt"},
                  {"c.txt", "locked"},
                  {"c.txt", "locked"}},
        // Listed but not copied: the window's user left it unchecked; it waits on.
        AfterCase{"ListedButNotCopiedWaitsOn", true, {"a.txt", "b.txt"}, {"a.txt"}, {}, {"b.txt"}},
        // Not listed by a search that ran to its end: the job no longer takes it (excluded).
        AfterCase{"NoLongerTakenGoes", true, {"a.txt"}, {"a.txt"}, {}, {}},
        // A folder row stands for what lies below it.
        AfterCase{"BelowAListedFolderRowWaitsOn", true, {"pack"}, {}, {}, {"pack/e.txt"}},
        // An aborted run drops nothing it did not carry: its day does not move either.
        AfterCase{"AbortKeepsAllButTheCarried",
                  false,
                  {"a.txt"},
                  {"a.txt"},
                  {},
                  {"b.txt", "locked", "pack/e.txt"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvelo
