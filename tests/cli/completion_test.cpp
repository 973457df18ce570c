// What each shell's own completion offers nuvelo-cli's --exclude-folder: the folders below the
// SOURCE the line names, named from SOURCE, whatever the current folder holds.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/file_tree.h"
#include "support/mounted_image.h"

namespace nuvelo {
namespace {

using testing::ProgramRun;
using testing::runProgram;
using testing::TempFolder;

const std::string Data = NUVELO_DATA_DIR;
const std::string Support = Data + "/../tests/support";
const std::string Source = "@SOURCE";  // stands for the typed source folder in a line

using Offered = std::set<std::string>;

// A source folder whose name has a space, holding folders (one with a space, one nested) and a
// file, and a current folder with folders of its own.
struct Trees {
  Trees() {
    for (const char* folder : {"src tree/docs", "src tree/My Folder", "src tree/old/tmp",
                               "here/elsewhere/wrong", "here/cwd only"})
      std::filesystem::create_directories(root.file(folder));
    testing::writeFile(root.file("src tree/a.txt"), "");
  }
  std::string current() const { return root.file("here"); }
  // The source folder as typed on a command line: its space escaped.
  std::string typedSource() const { return root.path() + "/src\\ tree"; }
  TempFolder root;
};

// The candidates one per line, without a description (fish) or a trailing "/".
Offered candidates(const ProgramRun& run) {
  Offered offered;
  std::size_t from = 0;
  for (std::size_t end; (end = run.out.find('\n', from)) != std::string::npos; from = end + 1) {
    std::string line = run.out.substr(from, end - from);
    line = line.substr(0, line.find('\t'));
    if (line.ends_with('/')) line.pop_back();
    if (!line.empty()) offered.insert(line);
  }
  return offered;
}

struct Shell {
  const char* name;
  // What the shell offers at the end of the line of `words` (typed, the last one being
  // completed), started in `folder`.
  ProgramRun (*complete)(const std::vector<std::string>& words, const std::string& folder);
};

std::string joined(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& word : words) line += (line.empty() ? "" : " ") + word;
  return line;
}

ProgramRun completeInBash(const std::vector<std::string>& words, const std::string& folder) {
  std::vector<std::string> argv = {"/bin/bash", Support + "/complete-in-bash",
                                   Data + "/completions/nuvelo-cli.bash", folder,
                                   std::to_string(words.size() - 1)};
  argv.insert(argv.end(), words.begin(), words.end());
  return runProgram(argv, std::chrono::seconds(60));
}

ProgramRun completeInZsh(const std::vector<std::string>& words, const std::string& folder) {
  return runProgram({testing::findProgram("zsh"), Support + "/complete-in-zsh",
                     Data + "/completions", folder, joined(words)},
                    std::chrono::seconds(60));
}

ProgramRun completeInFish(const std::vector<std::string>& words, const std::string& folder) {
  return runProgram(
      {testing::findProgram("fish"), "-c", "source $argv[1]; cd $argv[2]; and complete -C $argv[3]",
       Data + "/completions/nuvelo-cli.fish", folder, joined(words)},
      std::chrono::seconds(60));
}

void PrintTo(const Shell& shell, std::ostream* out) {
  *out << shell.name;
}

const Shell Shells[] = {{"bash", completeInBash}, {"zsh", completeInZsh}, {"fish", completeInFish}};

struct LineCase {
  const char* name;
  std::vector<std::string> words;  // Source stands for the typed source folder
  Offered offered;
};

void PrintTo(const LineCase& line, std::ostream* out) {
  *out << line.name;
}

const Offered SourceFolders = {"My Folder", "docs", "old"};

const LineCase Lines[] = {
    {"AfterBothFolders",
     {"nuvelo-cli", "copy", Source, "dest", "--exclude-folder", ""},
     SourceFolders},
    {"ByTheirStart", {"nuvelo-cli", "search", Source, "--exclude-folder", "M"}, {"My Folder"}},
    {"Nested", {"nuvelo-cli", "copy", Source, "dest", "--exclude-folder", "old/"}, {"old/tmp"}},
    // The value of an option that takes one is not SOURCE, though it names a folder here.
    {"PastAnOptionsValue",
     {"nuvelo-cli", "copy", "--report", "elsewhere", Source, "dest", "--exclude-folder", ""},
     SourceFolders},
    {"NoneWithoutSource", {"nuvelo-cli", "copy", "--exclude-folder", ""}, {}},
};

class ExcludeFolderCompletion : public ::testing::TestWithParam<std::tuple<Shell, LineCase>> {};

TEST_P(ExcludeFolderCompletion, OffersTheFoldersOfSource) {
  const auto& [shell, line] = GetParam();
  if (testing::findProgram(shell.name).empty()) GTEST_SKIP() << shell.name << " is not installed";
  Trees trees;
  std::vector<std::string> words = line.words;
  for (std::string& word : words)
    if (word == Source) word = trees.typedSource();
  const ProgramRun offered = shell.complete(words, trees.current());
  if (offered.status == 77) GTEST_SKIP() << "bash-completion is not installed";
  ASSERT_EQ(offered.status, 0) << offered.err;
  EXPECT_EQ(candidates(offered), line.offered) << offered.out;
}

INSTANTIATE_TEST_SUITE_P(Shells, ExcludeFolderCompletion,
                         ::testing::Combine(::testing::ValuesIn(Shells),
                                            ::testing::ValuesIn(Lines)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::get<1>(info.param).name;
                         });

// bash sees the whole line, so SOURCE may follow the word being completed.
TEST(BashExcludeFolderCompletion, FindsSourceAfterTheCursor) {
  Trees trees;
  const ProgramRun offered =
      runProgram({"/bin/bash", Support + "/complete-in-bash", Data + "/completions/nuvelo-cli.bash",
                  trees.current(), "3", "nuvelo-cli", "copy", "--exclude-folder", "",
                  trees.typedSource(), "dest"});
  if (offered.status == 77) GTEST_SKIP() << "bash-completion is not installed";
  ASSERT_EQ(offered.status, 0) << offered.err;
  EXPECT_EQ(candidates(offered), SourceFolders) << offered.out;
}

}  // namespace
}  // namespace nuvelo
