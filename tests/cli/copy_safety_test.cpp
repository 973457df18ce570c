// What a backup must never do, whatever the source holds: grant privileges, widen a private
// folder, carry what a planted link points to, rewrite its own source, take in its own copies,
// leave temporary files behind, or land elsewhere for another spelling of the source. Each
// case runs the copy as nuvelo-cli runs it; the window runs the same engine run.

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "cli/cli_harness.h"
#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

const timespec Day = localTime(2024, 5, 2);

struct Tree {
  const std::string root;
  std::string src() const { return root + "/src"; }
  std::string dst() const { return root + "/dst"; }
  std::string at(const std::string& relative) const { return root + "/" + relative; }
};

struct StatOf {
  struct stat st {};
  bool found = false;
  explicit StatOf(const std::string& path) { found = lstat(path.c_str(), &st) == 0; }
  mode_t mode() const { return st.st_mode & 07777; }
};

// The working folder for one case, put back afterwards.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InFolder() { std::filesystem::current_path(saved_); }

 private:
  std::filesystem::path saved_;
};

struct SafetyCase {
  const char* name;
  std::function<void(const Tree&)> setup;
  // The command line after "copy"; {src} and {dst} stand for the two folders.
  std::string options;
  int status;
  std::function<void(const Tree&, const std::string& out)> check;
  bool needsRoot = false;
};

std::string expand(std::string text, const Tree& t) {
  for (const auto& [key, value] : {std::pair<std::string, std::string>{"{src}", t.src()},
                                   std::pair<std::string, std::string>{"{dst}", t.dst()}})
    for (std::size_t at; (at = text.find(key)) != std::string::npos;)
      text.replace(at, key.size(), value);
  return text;
}

uid_t nobodyUid() {
  const passwd* nobody = getpwnam("nobody");
  return nobody ? nobody->pw_uid : 0;
}

const SafetyCase Cases[] = {
    {"SetUserIdFileKeepsItsOwnerOrItsBit",
     [](const Tree& t) {
       makeFile(t.src() + "/id", Day, 10);
       chown((t.src() + "/id").c_str(), nobodyUid(), static_cast<gid_t>(-1));
       chmod((t.src() + "/id").c_str(), 04755);
     },
     "--relative --overwrite always {src} {dst}", 0,
     [](const Tree& t, const std::string&) {
       const StatOf copy(t.dst() + "/id");
       ASSERT_TRUE(copy.found);
       // Root can keep the owner, and then the bit; whoever cannot must not keep the bit.
       if (copy.st.st_uid == nobodyUid())
         EXPECT_EQ(copy.mode(), 04755u);
       else
         EXPECT_EQ(copy.mode() & 06000, 0u);
     },
     true},
    {"FoldersKeepTheirModeAndTimes",
     [](const Tree& t) {
       makeFile(t.src() + "/private/p.txt", Day);
       makeFile(t.src() + "/readonly/r.txt", Day);
       chmod((t.src() + "/private").c_str(), 0700);
       chmod((t.src() + "/readonly").c_str(), 0500);
       testing::setModified(t.src() + "/private", localTime(2023, 1, 2));
     },
     "--relative --overwrite always {src} {dst}", 0,
     [](const Tree& t, const std::string&) {
       EXPECT_EQ(StatOf(t.dst() + "/private").mode(), 0700u);
       EXPECT_EQ(StatOf(t.dst() + "/readonly").mode(), 0500u);
       EXPECT_TRUE(std::filesystem::exists(t.dst() + "/readonly/r.txt"));
       EXPECT_EQ(StatOf(t.dst() + "/private").st.st_mtim.tv_sec, localTime(2023, 1, 2).tv_sec);
       chmod((t.src() + "/readonly").c_str(), 0755);
       chmod((t.dst() + "/readonly").c_str(), 0755);
     }},
    {"LinksAreCopiedAsLinks",
     [](const Tree& t) {
       writeFile(t.at("secret"), "root only");
       std::filesystem::create_directories(t.src());
       std::filesystem::create_symlink(t.at("secret"), t.src() + "/innocent.txt");
       std::filesystem::create_directories(t.at("elsewhere"));
       std::filesystem::create_symlink(t.at("elsewhere"), t.src() + "/folder-link");
       std::filesystem::create_symlink("nowhere", t.src() + "/dangling");
     },
     "--relative --overwrite always {src} {dst}", 0,
     [](const Tree& t, const std::string&) {
       EXPECT_TRUE(std::filesystem::is_symlink(t.dst() + "/innocent.txt"));
       EXPECT_EQ(std::filesystem::read_symlink(t.dst() + "/innocent.txt"), t.at("secret"));
       EXPECT_TRUE(std::filesystem::is_symlink(t.dst() + "/folder-link"));
       EXPECT_EQ(std::filesystem::read_symlink(t.dst() + "/dangling"), "nowhere");
     }},
    {"TheSourceIsNeverRewritten",
     [](const Tree& t) {
       makeFile(t.src() + "/a.txt", Day, 5);
       std::filesystem::create_hard_link(t.src() + "/a.txt", t.at("hard-link"));
     },
     "-v --relative --overwrite always {src} {src}", 0,
     [](const Tree& t, const std::string& out) {
       EXPECT_EQ(StatOf(t.src() + "/a.txt").st.st_ino, StatOf(t.at("hard-link")).st.st_ino);
       EXPECT_EQ(StatOf(t.src() + "/a.txt").st.st_nlink, 2u);
       EXPECT_NE(out.find("skipped\t" + t.src() + "/a.txt"), std::string::npos) << out;
       EXPECT_NE(out.find("コピー元と同じファイルです"), std::string::npos) << out;
     }},
    {"ADestinationInsideTheSourceDoesNotGrow",
     [](const Tree& t) {
       makeFile(t.src() + "/a.txt", Day);
       std::filesystem::create_directories(t.src() + "/bk");
     },
     "--relative --overwrite always {src} {src}/bk", 0,
     [](const Tree& t, const std::string&) {
       EXPECT_TRUE(std::filesystem::exists(t.src() + "/bk/a.txt"));
       EXPECT_FALSE(std::filesystem::exists(t.src() + "/bk/bk"));
     }},
    {"TemporaryFilesOfAKilledRunAreRemovedAndNeverCopied",
     [](const Tree& t) {
       makeFile(t.src() + "/a.txt", Day);
       makeFile(t.src() + "/.nuvelo-00000000000000aa.tmp", Day);
       makeFile(t.dst() + "/.nuvelo-0123456789abcdef.tmp", Day);
     },
     "--relative --overwrite always {src} {dst}", 0,
     [](const Tree& t, const std::string&) {
       EXPECT_TRUE(std::filesystem::exists(t.dst() + "/a.txt"));
       EXPECT_FALSE(std::filesystem::exists(t.dst() + "/.nuvelo-0123456789abcdef.tmp"));
       EXPECT_FALSE(std::filesystem::exists(t.dst() + "/.nuvelo-00000000000000aa.tmp"));
     }},
    {"VerifiedCopiesAreWhole", [](const Tree& t) { makeFile(t.src() + "/big.bin", Day, 3 << 20); },
     "--relative --overwrite always --verify {src} {dst}", 0,
     [](const Tree& t, const std::string&) {
       EXPECT_EQ(readFile(t.dst() + "/big.bin"), readFile(t.src() + "/big.bin"));
     }},
};

void PrintTo(const SafetyCase& c, std::ostream* out) {
  *out << c.name;
}

class CopySafety : public ::testing::TestWithParam<SafetyCase> {};

TEST_P(CopySafety, Holds) {
  const SafetyCase& c = GetParam();
  if (c.needsRoot && geteuid() != 0) GTEST_SKIP() << "needs root to give the file another owner";
  TempFolder folder;
  const Tree t{folder.path()};
  std::filesystem::create_directories(t.dst());
  c.setup(t);
  testing::CliHarness cli(t.at("NVO.ini"));
  ASSERT_EQ(cli.run("copy --since 2024-05-01 " + expand(c.options, t)), c.status) << cli.err.str();
  c.check(t, cli.out.str());
}

INSTANTIATE_TEST_SUITE_P(Cases, CopySafety, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

// Two runs into a destination inside the source: the second takes in nothing of the first.
TEST(CopySafetyRuns, ABackupInsideTheSourceStaysOneLevelDeep) {
  TempFolder folder;
  const Tree t{folder.path()};
  makeFile(t.src() + "/a.txt", Day);
  std::filesystem::create_directories(t.src() + "/bk");
  testing::CliHarness cli(t.at("NVO.ini"));
  for (int run = 0; run < 3; ++run)
    ASSERT_EQ(cli.run("copy --since 2024-05-01 --relative --overwrite always " + t.src() + " " +
                      t.src() + "/bk"),
              0)
        << cli.err.str();
  EXPECT_FALSE(std::filesystem::exists(t.src() + "/bk/bk"));
  EXPECT_EQ(cli.lines().size(), 1u);
}

// Every spelling of the source gives the same copy, in the real run and the dry run alike.
TEST(CopySafetyRuns, EverySpellingOfTheSourceGivesTheSameCopy) {
  TempFolder folder;
  const Tree t{folder.path()};
  makeFile(t.src() + "/docs/a.txt", Day);
  std::filesystem::create_directories(t.at("x"));
  const InFolder here(t.root);
  const std::string expected = t.dst() + t.src() + "/docs/a.txt";
  for (const std::string& spelling :
       std::vector<std::string>{"src", "./src", "x/../src", "src///", t.src() + "/"}) {
    SCOPED_TRACE(spelling);
    std::filesystem::remove_all(t.dst());
    std::filesystem::create_directories(t.dst());
    testing::CliHarness cli(t.at("NVO.ini"));
    ASSERT_EQ(cli.run({"copy", "--dry-run", "--since", "2024-05-01", "--absolute", "--overwrite",
                       "always", spelling, t.dst()}),
              0)
        << cli.err.str();
    EXPECT_EQ(cli.lines(),
              std::vector<std::string>{"would copy\t" + t.src() + "/docs/a.txt\t" + expected});
    ASSERT_EQ(cli.run({"copy", "--since", "2024-05-01", "--absolute", "--overwrite", "always",
                       spelling, t.dst()}),
              0)
        << cli.err.str();
    EXPECT_TRUE(std::filesystem::exists(expected));
  }
}

}  // namespace
}  // namespace nuvelo
