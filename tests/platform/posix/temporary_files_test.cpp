// The copier's temporary files: their names, and the sweep of those a killed copy left behind,
// which never touches one a running copy holds nor anything else in the folder.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "engine/copy/copier_fixture.h"
#include "engine/copy/file_copier.h"

namespace nuvelo {
namespace {

using testing::Copier;
using testing::TempFolder;
using testing::writeFile;

constexpr const char* Stale = ".nuvelo-0123456789abcdef.tmp";
constexpr const char* Held = ".nuvelo-fedcba9876543210.tmp";

struct NameCase {
  const char* name;
  bool temporary;
};
void PrintTo(const NameCase& c, std::ostream* os) {
  *os << c.name;
}

class TemporaryNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(TemporaryNames, OnlyTheCopiersOwnPattern) {
  EXPECT_EQ(isTemporaryName(GetParam().name), GetParam().temporary) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, TemporaryNames,
    ::testing::Values(NameCase{".nuvelo-0123456789abcdef.tmp", true},
                      NameCase{".nuvelo-0123456789ABCDEF.tmp", false},  // upper-case hex
                      NameCase{".nuvelo-xyz.tmp", false},
                      NameCase{".nuvelo-0123456789abcde.tmp", false},    // one digit short
                      NameCase{".nuvelo-0123456789abcdef0.tmp", false},  // one too many
                      NameCase{"nuvelo-0123456789abcdef.tmp", false},
                      NameCase{".nuvelo-0123456789abcdef.tmp~", false},
                      NameCase{".nuvelo-0123456789abcdef.TMP", false}, NameCase{"", false}));

std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(StaleTemporaries, OnlyUnheldTemporaryFilesAreRemoved) {
  TempFolder tree;
  const std::set<std::string> kept = {"report.txt",
                                      ".nuvelo-xyz.tmp",
                                      ".nuvelo-0123456789ABCDEF.tmp",
                                      Held,
                                      ".nuvelo-00000000000000aa.tmp",
                                      ".nuvelo-00000000000000bb.tmp"};
  for (const std::string name :
       {"report.txt", ".nuvelo-xyz.tmp", ".nuvelo-0123456789ABCDEF.tmp", Stale, Held})
    writeFile(tree.file(name), "bytes");
  // Temporary names on what no copy makes: a folder, and a link (no lock can be had on it).
  std::filesystem::create_directory(tree.file(".nuvelo-00000000000000aa.tmp"));
  std::filesystem::create_symlink("report.txt", tree.file(".nuvelo-00000000000000bb.tmp"));
  // A running copy holds its file locked through an open file description of its own.
  const int holder = open(tree.file(Held).c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);

  const int folder = open(tree.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  removeStaleTemporaries(folder);
  EXPECT_EQ(namesIn(tree.path()), kept);
  EXPECT_EQ(testing::readFile(tree.file("report.txt")), "bytes");

  close(holder);  // the copy is gone: now its file is stale
  removeStaleTemporaries(folder);
  close(folder);
  EXPECT_EQ(namesIn(tree.path()).count(Held), 0u);
}

TEST_F(Copier, SweepDuringACopyLeavesItsTemporaryFileAlone) {
  CopyHooks hooks;
  hooks.allowClone = false;
  int sweeps = 0;
  hooks.afterChunk = [&](std::uint64_t) {
    removeStaleTemporaries(folder());
    return ++sweeps, true;
  };
  EXPECT_EQ(copy(ReplaceMode::Silent, ReplaceAnswer::Replace, hooks).kind, CopyOutcome::Copied);
  EXPECT_EQ(sweeps, 1);
  EXPECT_EQ(testing::readFile(target()), "new content");
}

}  // namespace
}  // namespace nuvelo
