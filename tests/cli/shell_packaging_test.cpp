// What the shell gets besides the program: a manual page that renders, completions that load in
// their shells, both naming every option the program takes, and a version that names its commit.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "support/file_tree.h"
#include "support/mounted_image.h"

namespace nuvelo {
namespace {

using testing::ProgramRun;
using testing::readFile;
using testing::runProgram;

const std::string Data = NUVELO_DATA_DIR;

// The program found on PATH, or empty.
std::string onPath(const std::string& program) {
  const ProgramRun found = runProgram({"/bin/sh", "-c", "command -v " + program});
  return found.status == 0 ? found.out.substr(0, found.out.find('\n')) : std::string();
}

// Every long option the program's help names.
std::set<std::string> longOptions() {
  const ProgramRun help = runProgram({"/usr/bin/env", "LANG=C", NUVELO_CLI_PATH, "--help"});
  std::set<std::string> options;
  const std::regex option("--[a-z0-9][a-z0-9-]*");
  for (auto it = std::sregex_iterator(help.out.begin(), help.out.end(), option);
       it != std::sregex_iterator(); ++it)
    options.insert(it->str());
  return options;
}

TEST(ManualPage, RendersWithoutAWarning) {
  const std::string groff = onPath("groff"), man = onPath("man");
  if (groff.empty() || man.empty()) GTEST_SKIP() << "groff or man is not installed";
  const ProgramRun checked = runProgram({"/usr/bin/env", "LC_ALL=C.UTF-8", groff, "-man", "-Tutf8",
                                         "-ww", "-z", Data + "/nuvelo-cli.1"});
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.err, "");
  const ProgramRun shown = runProgram(
      {"/usr/bin/env", "MANWIDTH=80", "LC_ALL=C.UTF-8", man, "-l", Data + "/nuvelo-cli.1"});
  EXPECT_EQ(shown.status, 0) << shown.err;
  for (const char* section : {"SYNOPSIS", "JSON FIELDS", "EXIT STATUS", "path_bytes", "143"})
    EXPECT_NE(shown.out.find(section), std::string::npos) << section;
}

struct Document {
  const char* file;
  const char* dash;  // how the file writes "-" in an option name
};

class EveryOption : public ::testing::TestWithParam<Document> {};

TEST_P(EveryOption, IsNamed) {
  std::string text = readFile(Data + "/" + GetParam().file);
  const std::string dash = GetParam().dash;
  for (std::size_t at; (at = text.find(dash)) != std::string::npos && dash != "-";)
    text.replace(at, dash.size(), "-");
  const std::set<std::string> options = longOptions();
  ASSERT_GE(options.size(), 25u);  // the help was read
  for (const std::string& option : options) {
    const bool fish = std::string(GetParam().file).ends_with(".fish");
    const std::string named = fish ? "-l " + option.substr(2) : option;
    EXPECT_NE(text.find(named), std::string::npos) << option << " in " << GetParam().file;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, EveryOption,
                         ::testing::Values(Document{"nuvelo-cli.1", "\\-"},
                                           Document{"completions/nuvelo-cli.bash", "-"},
                                           Document{"completions/_nuvelo-cli", "-"},
                                           Document{"completions/nuvelo-cli.fish", "-"}));

struct Completion {
  const char* shell;
  const char* file;
};

class Completions : public ::testing::TestWithParam<Completion> {};

TEST_P(Completions, ReadInTheirShell) {
  const std::string shell = onPath(GetParam().shell);
  if (shell.empty()) GTEST_SKIP() << GetParam().shell << " is not installed";
  const ProgramRun read = runProgram({shell, "-n", Data + "/completions/" + GetParam().file});
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.err, "");
}

// Fish offers each overwrite policy with a description of its own.
TEST(FishCompletion, DescribesEachOverwritePolicy) {
  const std::string fish = onPath("fish");
  if (fish.empty()) GTEST_SKIP() << "fish is not installed";
  const ProgramRun offered =
      runProgram({fish, "-c",
                  "source " + Data +
                      "/completions/nuvelo-cli.fish; complete -C 'nuvelo-cli copy --overwrite '"});
  ASSERT_EQ(offered.status, 0) << offered.err;
  std::set<std::string> descriptions;
  for (const char* policy : {"always", "ask", "newer", "never"}) {
    const std::size_t at = offered.out.find(std::string(policy) + "\t");
    ASSERT_NE(at, std::string::npos) << policy << " in " << offered.out;
    const std::size_t from = at + std::string(policy).size() + 1;
    descriptions.insert(offered.out.substr(from, offered.out.find('\n', from) - from));
  }
  EXPECT_EQ(descriptions.size(), 4u) << offered.out;
}

INSTANTIATE_TEST_SUITE_P(Shells, Completions,
                         ::testing::Values(Completion{"bash", "nuvelo-cli.bash"},
                                           Completion{"zsh", "_nuvelo-cli"},
                                           Completion{"fish", "nuvelo-cli.fish"}),
                         [](const auto& info) { return std::string(info.param.shell); });

// An install under any prefix puts each file where its tool looks, and the installed program
// speaks English there.
TEST(Install, PutsEachFileWhereItsToolLooks) {
  testing::TempFolder prefix;
  const ProgramRun installed = runProgram({NUVELO_CMAKE, "--install", NUVELO_BUILD_DIR,
                                           "--component", "cli", "--prefix", prefix.path()},
                                          std::chrono::seconds(120));
  ASSERT_EQ(installed.status, 0) << installed.err;
  for (const char* file :
       {"bin/nuvelo-cli", "share/man/man1/nuvelo-cli.1",
        "share/bash-completion/completions/nuvelo-cli", "share/zsh/site-functions/_nuvelo-cli",
        "share/fish/vendor_completions.d/nuvelo-cli.fish",
        "share/doc/nuvelo/examples/nuvelo-backup.service",
        "share/doc/nuvelo/examples/nuvelo-backup.timer"})
    EXPECT_TRUE(std::filesystem::is_regular_file(prefix.file(file))) << file;
  const ProgramRun english = runProgram(
      {"/usr/bin/env", "-i", "LANG=C", prefix.file("bin/nuvelo-cli"), "search", "-x", "/"});
  EXPECT_EQ(english.err, "nuvelo-cli: invalid option -- 'x'\nTry nuvelo-cli --help for more.\n");
}

TEST(Version, NamesTheReleaseAndTheCommitWhenKnown) {
  const ProgramRun version = runProgram({NUVELO_CLI_PATH, "--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(std::regex_match(
      version.out, std::regex(R"(nuvelo-cli \d+\.\d+\.\d+\.\d+( \([0-9A-Za-z._-]+\))?\n)")))
      << version.out;
}

}  // namespace
}  // namespace nuvelo
