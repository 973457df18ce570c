// nuvelo-cli's command line as GNU tools read theirs: bundled short options, "--", the
// standard texts for a bad option, and the spellings users give --since and the exclusions.
// Run on the real program, so that exit statuses and streams are what a script sees.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/cli_options.h"
#include "support/file_tree.h"
#include "support/mounted_image.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::ProgramRun;
using testing::runProgram;
using testing::TempFolder;

class RealProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    makeFile(source() + "/new.txt", localTime(2024, 5, 2), 10);
    makeFile(source() + "/new.bak", localTime(2024, 5, 2), 10);
    makeFile(source() + "/tmp/scratch.txt", localTime(2024, 5, 3), 10);
    makeFile(source() + "/old.txt", localTime(2024, 4, 1), 10);
  }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dst"; }
  // The program with a settings file of the test's own; "{src}" and "{dst}" stand for the
  // folders.
  ProgramRun run(std::vector<std::string> args) const {
    std::vector<std::string> argv{NUVELO_CLI_PATH};
    for (std::string& a : args) {
      if (a == "{src}") a = source();
      if (a == "{dst}") a = destination();
      argv.push_back(a);
    }
    // The tree was made just now, so every change time is today: these runs judge by the
    // last-write time alone.
    argv.insert(argv.begin() + 2, {"--settings", tree.file("NVO.ini"), "--no-change-time"});
    return runProgram(argv);
  }

  TempFolder tree;
};

struct StreamCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  std::string outHolds;  // empty: stdout is empty
  std::string errHolds;  // empty: stderr is empty
};

void PrintTo(const StreamCase& c, std::ostream* out) {
  *out << c.name;
}

class Streams : public RealProgram, public ::testing::WithParamInterface<StreamCase> {};

TEST_P(Streams, HoldWhatTheCaseSays) {
  const StreamCase& c = GetParam();
  const ProgramRun ran = run(c.args);
  EXPECT_EQ(ran.status, c.status) << ran.err;
  if (c.outHolds.empty())
    EXPECT_EQ(ran.out, "");
  else
    EXPECT_NE(ran.out.find(c.outHolds), std::string::npos) << ran.out;
  if (c.errHolds.empty())
    EXPECT_EQ(ran.err, "");
  else
    EXPECT_NE(ran.err.find(c.errHolds), std::string::npos) << ran.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Streams,
    ::testing::Values(
        StreamCase{"UnknownOption", {"search", "--bogus", "{src}"}, 2, "", "'--bogus'"},
        StreamCase{"UnknownShortOptionInABundle", {"search", "-qx", "{src}"}, 2, "", "'x'"},
        StreamCase{"MissingValue", {"search", "{src}", "--since"}, 2, "", "'--since'"},
        StreamCase{"AmbiguousAbbreviation",
                   {"search", "--no-p", "{src}"},
                   2,
                   "",
                   "'--no-p' は曖昧です。候補: '--no-per-folder' '--no-progress'"},
        StreamCase{"UniqueAbbreviationIsTaken",
                   {"search", "--since", "2024-05-01", "--no-sub", "-q", "{src}"},
                   0,
                   "new.txt",
                   ""},
        StreamCase{
            "BundledQuietDryRunCopiesNothingAndSaysNothing",
            {"copy", "-qn", "--since", "2024-05-01", "--overwrite", "always", "{src}", "{dst}"},
            0,
            "",
            ""},
        StreamCase{"QuietAndVerboseTogether", {"search", "-qv", "{src}"}, 2, "", "-v"},
        StreamCase{"Print0WithAFormat", {"search", "-0", "--format", "tsv", "{src}"}, 2, "", "-0"},
        StreamCase{"MkdirOnlyForACopy", {"search", "--mkdir", "{src}"}, 2, "", "--mkdir"},
        StreamCase{"BadSince", {"search", "--since", "3x", "{src}"}, 2, "", "'3x'"},
        StreamCase{"SpanBackFromNowFindsNothingOld",
                   {"search", "--since", "2w", "-q", "{src}"},
                   0,
                   "",
                   ""},
        StreamCase{"ZonedTimeAfterTheFiles",
                   {"search", "--since", "2024-05-04T23:59:59-12:00", "-q", "{src}"},
                   0,
                   "",
                   ""},
        StreamCase{"ZonedTimeBeforeTheFiles",
                   {"search", "--since", "2024-04-20T00:00Z", "-q", "--format", "tsv", "{src}"},
                   0,
                   "scratch.txt",
                   ""},
        StreamCase{"ExclusionThatMatchedNothingIsNamed",
                   {"search", "--since", "2024-05-01", "--exclude-ext", "*.nope", "{src}"},
                   0,
                   "new.txt",
                   "--exclude-ext nope"},
        StreamCase{"MissingDestinationWithoutMkdirIsAnError",
                   {"copy", "--since", "2024-05-01", "--overwrite", "always", "{src}", "{dst}"},
                   2,
                   "",
                   "--mkdir"}));

// What an exclusion leaves out, whichever way a user spells it.
struct ExcludeCase {
  std::vector<std::string> options;
  bool tmpListed;
  bool bakListed;
};

class Exclusions : public RealProgram, public ::testing::WithParamInterface<ExcludeCase> {};

TEST_P(Exclusions, LeaveOutWhatTheyName) {
  std::vector<std::string> args{"search", "--since", "2024-05-01", "--format", "tsv"};
  args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
  args.push_back("{src}");
  const ProgramRun ran = run(args);
  ASSERT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(ran.out.find("scratch.txt") != std::string::npos, GetParam().tmpListed) << ran.out;
  EXPECT_EQ(ran.out.find("new.bak") != std::string::npos, GetParam().bakListed) << ran.out;
  EXPECT_EQ(ran.err.find("に当たる"), std::string::npos) << ran.err;  // every one matched
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, Exclusions,
    ::testing::Values(ExcludeCase{{"--exclude-folder", "tmp"}, false, true},
                      ExcludeCase{{"--exclude-folder", "/tmp"}, false, true},
                      ExcludeCase{{"--exclude-folder=tmp/"}, false, true},
                      ExcludeCase{{"--exclude-ext", "*.bak"}, true, false},
                      ExcludeCase{{"--exclude-ext", ".BAK"}, true, false},
                      ExcludeCase{
                          {"--exclude-ext", "bak", "--exclude-folder", "tmp"}, false, false}));

// The settings file's standing list of extensions is no misspelling when a tree has none of them.
TEST_F(RealProgram, OnlyExclusionsOfTheCommandLineAreWarnedOf) {
  testing::writeFile(tree.file("NVO.ini"), "[Option]\nEscExt=zzz\n");
  const ProgramRun standing = run({"search", "--since", "2024-05-01", "{src}"});
  EXPECT_EQ(standing.status, 0) << standing.err;
  EXPECT_EQ(standing.err.find("zzz"), std::string::npos) << standing.err;
  const ProgramRun given = run({"search", "--since", "2024-05-01", "--exclude-ext=zzz", "{src}"});
  EXPECT_NE(given.err.find("--exclude-ext zzz"), std::string::npos) << given.err;
}

TEST_F(RealProgram, SkippedFilesAreListedOnlyWhenVerbose) {
  ASSERT_EQ(
      run({"copy", "--mkdir", "--since", "2024-05-01", "--overwrite", "always", "{src}", "{dst}"})
          .status,
      0);
  const ProgramRun plain =
      run({"copy", "--since", "2024-05-01", "--overwrite", "never", "{src}", "{dst}"});
  EXPECT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(plain.out, "");
  const ProgramRun verbose =
      run({"copy", "-v", "--since", "2024-05-01", "--overwrite", "never", "{src}", "{dst}"});
  EXPECT_EQ(verbose.status, 0) << verbose.err;
  EXPECT_NE(verbose.out.find("skipped\t" + source() + "/new.txt\t"), std::string::npos)
      << verbose.out;
}

TEST_F(RealProgram, Print0GivesEveryAbsolutePathWhole) {
  const std::string odd = source() + "/line\nbreak \xE9.txt";
  makeFile(odd, localTime(2024, 5, 2), 1);
  const ProgramRun ran = run({"search", "-0", "--since", "2024-05-01", "--no-subfolders", "{src}"});
  ASSERT_EQ(ran.status, 0) << ran.err;
  std::vector<std::string> paths;
  for (std::size_t at = 0, end; at < ran.out.size(); at = end + 1) {
    end = ran.out.find('\0', at);
    ASSERT_NE(end, std::string::npos) << "the last path ends with a NUL too";
    paths.push_back(ran.out.substr(at, end - at));
  }
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{odd, source() + "/new.bak", source() + "/new.txt"}));
}

TEST(CommandLine, DoubleDashEndsTheOptionsEvenBeforeAShortOne) {
  const ParsedCommandLine parsed = parseCommandLine({"search", "-v", "--", "-q"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_EQ(parsed.options->source, "-q");
  EXPECT_FALSE(parsed.options->quiet);
  EXPECT_TRUE(parsed.options->verbose);
}

struct SinceCase {
  const char* text;
  std::optional<CivilDate> day;
  std::optional<std::int64_t> instant;
};

class SinceTexts : public ::testing::TestWithParam<SinceCase> {};

// Now is 2024-05-10 12:00:00 UTC (1715342400), today 2024-05-10.
TEST_P(SinceTexts, NameTheirStart) {
  const auto since = parseSince(GetParam().text, 1715342400, CivilDate{2024, 5, 10});
  ASSERT_TRUE(since) << GetParam().text;
  EXPECT_EQ(since->day, GetParam().day) << GetParam().text;
  EXPECT_EQ(since->instant, GetParam().instant) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SinceTexts,
    ::testing::Values(SinceCase{"2024-05-01", CivilDate{2024, 5, 1}, std::nullopt},
                      SinceCase{"today", CivilDate{2024, 5, 10}, std::nullopt},
                      SinceCase{"yesterday", CivilDate{2024, 5, 9}, std::nullopt},
                      SinceCase{"2024-03-01T00:00:00Z", std::nullopt, 1709251200},
                      SinceCase{"2024-03-01 09:00+09:00", std::nullopt, 1709251200},
                      SinceCase{"2024-02-29T19:00:00.250-0500", std::nullopt, 1709251200},
                      SinceCase{"12h", std::nullopt, 1715342400 - 12 * 3600},
                      SinceCase{"3d", std::nullopt, 1715342400 - 3 * 86400},
                      SinceCase{"2w", std::nullopt, 1715342400 - 14 * 86400},
                      SinceCase{"30m", std::nullopt, 1715342400 - 1800}));

TEST(SinceTexts, RefuseWhatIsNoneOfTheForms) {
  for (const char* text : {"", "d", "3", "3y", "-3d", "2024-05-01T25:00", "2024-05-01T10:00+2",
                           "2024-02-30T10:00Z", "2024-05-01X", "tomorrow", "2024-05-01T10:00 Z"})
    EXPECT_FALSE(parseSince(text, 0, CivilDate{2024, 5, 10})) << text;
}

}  // namespace
}  // namespace nuvelo
