// A comparison with the destination finds the copies that are damaged though their times say
// nothing, and the copy that follows it repairs them: through the real nuvelo-cli.

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "support/file_tree.h"
#include "support/mounted_image.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::ProgramRun;
using testing::readFile;
using testing::runProgram;
using testing::setModified;
using testing::TempFolder;
using testing::writeFile;

const timespec Day = localTime(2024, 5, 2);
const timespec Later = localTime(2024, 6, 1);
const std::string Content = std::string(70000, 'a') + "the end";

// A copy at the destination, and which comparison is to take its file.
struct Damage {
  const char* name;
  std::string copy;
  timespec modified;
  bool bySize;      // --compare
  bool byContents;  // --compare=contents
};

const Damage Damages[] = {
    {"truncated", Content.substr(0, 1000), Day, true, true},
    {"emptied", "", Later, true, true},
    {"same-size", std::string(Content.size(), 'b'), Day, false, true},
    {"newer-other-size", Content + " and more", Later, true, true},
    {"identical", Content, Day, false, false},
};

class DamagedCopies : public ::testing::Test {
 protected:
  DamagedCopies() { writeFile(tree.file("NVO.ini"), "[Default]\n"); }
  std::string source(const std::string& name = {}) const { return tree.file("src/" + name); }
  std::string copy(const std::string& name) const { return tree.file("dst/" + name); }
  // A file and its copy as the damage left it.
  void put(const std::string& name, const Damage& damage) const {
    std::filesystem::create_directories(source());
    std::filesystem::create_directories(tree.file("dst"));
    writeFile(source(name), Content);
    setModified(source(name), Day);
    writeFile(copy(name), damage.copy);
    setModified(copy(name), damage.modified);
  }
  ProgramRun run(const std::string& command, std::vector<std::string> options) const {
    std::vector<std::string> argv{NUVELO_CLI_PATH, command, "--relative", "--settings",
                                  tree.file("NVO.ini")};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {source(), tree.file("dst")});
    return runProgram(argv);
  }
  // The names a search lists (its tsv rows' first column).
  std::set<std::string> found(const std::string& compare) const {
    const ProgramRun search = run("search", {compare, "--format", "tsv"});
    EXPECT_EQ(search.status, 0) << search.err;
    std::set<std::string> names;
    std::istringstream rows(search.out);
    for (std::string row; std::getline(rows, row);) names.insert(row.substr(0, row.find('\t')));
    return names;
  }

  TempFolder tree;
};

struct Comparison {
  const char* option;
  bool contents;
};

class EachComparison : public DamagedCopies, public ::testing::WithParamInterface<Comparison> {};

TEST_P(EachComparison, TakesTheDamagedCopiesThatANewerOnlyCopyThenRepairs) {
  const Comparison& comparison = GetParam();
  std::set<std::string> damaged;
  for (const Damage& damage : Damages) {
    put(std::string(damage.name) + ".txt", damage);
    if (comparison.contents ? damage.byContents : damage.bySize)
      damaged.insert(std::string(damage.name) + ".txt");
  }
  EXPECT_EQ(found(comparison.option), damaged);

  const ProgramRun copied = run("copy", {comparison.option, "--overwrite", "newer"});
  ASSERT_EQ(copied.status, 0) << copied.err;
  EXPECT_NE(copied.err.find("壊れたコピーを置き換えました: " + std::to_string(damaged.size())),
            std::string::npos)
      << copied.err;
  for (const std::string& name : damaged) EXPECT_EQ(readFile(copy(name)), Content) << name;
  EXPECT_EQ(found(comparison.option), std::set<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Modes, EachComparison,
                         ::testing::Values(Comparison{"--compare", false},
                                           Comparison{"--compare=contents", true}),
                         [](const auto& info) {
                           return info.param.contents ? "Contents" : "Sizes";
                         });

constexpr const char* Differs = "コピー先のファイルは大きさか内容が違います";
constexpr const char* KeptByPolicy = "コピー先のファイルは壊れていますが、上書きしない設定です";

// What a policy does with a damaged copy, and what its run says of it.
struct PolicyCase {
  const char* overwrite;
  bool dryRun;
  const char* reason;   // at the end of the file's line on stdout
  const char* summary;  // the summary's line about the damaged copy
  bool repaired;
};

class EachPolicy : public DamagedCopies, public ::testing::WithParamInterface<PolicyCase> {};

TEST_P(EachPolicy, ReplacesOrKeepsTheDamagedCopyAndSaysSo) {
  const PolicyCase& policy = GetParam();
  put("cut.txt", Damages[0]);
  std::vector<std::string> options{"--compare", "-v", "--overwrite", policy.overwrite};
  if (policy.dryRun) options.push_back("-n");
  const ProgramRun copied = run("copy", options);
  ASSERT_EQ(copied.status, 0) << copied.err;
  EXPECT_TRUE(copied.out.ends_with("\t" + std::string(policy.reason) + "\n")) << copied.out;
  EXPECT_NE(copied.err.find(policy.summary), std::string::npos) << copied.err;
  EXPECT_EQ(readFile(copy("cut.txt")) == Content, policy.repaired);
}

INSTANTIATE_TEST_SUITE_P(Policies, EachPolicy,
                         ::testing::Values(PolicyCase{"newer", false, Differs,
                                                      "壊れたコピーを置き換えました: 1個", true},
                                           PolicyCase{"never", false, KeptByPolicy,
                                                      "壊れたコピーを残しました: 1個", false},
                                           PolicyCase{"newer", true, Differs,
                                                      "壊れたコピーを置き換えます: 1個", false}));

}  // namespace
}  // namespace nuvelo
