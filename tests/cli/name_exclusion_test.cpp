// Name patterns on the real program: --exclude-name and --exclude-from leave out files and
// folders of a name at any depth, the settings file and a job file hold a standing list, and a
// pattern the user typed that met nothing is named on stderr.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "support/file_tree.h"
#include "support/mounted_image.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::ProgramRun;
using testing::runProgram;
using testing::TempFolder;
using testing::writeFile;

using Paths = std::set<std::string>;

const Paths Tree = {"keep.txt",
                    "node_modules/top.js",
                    "proj/node_modules/x/i.js",
                    "proj/main.js",
                    "docs/~$Report.docx",
                    "docs/Report.docx",
                    "docs/.x.tmp",
                    "docs/deep/Y.TMP",
                    ".DS_Store",
                    "docs/deep/.DS_Store",
                    "docs/a,b"};

class NameExclusions : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& file : Tree) makeFile(source() + "/" + file, localTime(2024, 5, 2));
    writeFile(list(), "# clutter of other systems\n\n.DS_Store\r\n  ~$*  \n# the end\n");
  }
  std::string source() const { return tree.path() + "/src"; }
  std::string list() const { return tree.file("clutter.txt"); }

  // The program with a settings file of the test's own; "{src}" and "{list}" stand for the
  // source folder and the pattern file.
  ProgramRun run(std::vector<std::string> args) const {
    std::vector<std::string> argv{NUVELO_CLI_PATH, "search",     "--settings", tree.file("NVO.ini"),
                                  "--since",       "2024-05-01", "-0"};
    for (std::string& a : args) {
      if (a == "{src}") a = source();
      if (a == "{list}") a = list();
      argv.push_back(a);
    }
    return runProgram(argv);
  }

  // The paths a search listed, below the source folder.
  Paths listed(const ProgramRun& ran) const {
    Paths paths;
    for (std::size_t at = 0, end; (end = ran.out.find('\0', at)) != std::string::npos; at = end + 1)
      paths.insert(ran.out.substr(at + source().size() + 1, end - at - source().size() - 1));
    return paths;
  }

  Paths allBut(const Paths& leftOut) const {
    Paths paths;
    for (const std::string& path : Tree)
      if (!leftOut.count(path)) paths.insert(path);
    return paths;
  }

  TempFolder tree;
};

struct ListCase {
  const char* name;
  std::vector<std::string> options;
  Paths leftOut;
};

const ListCase ListCases[] = {
    {"FolderAtAnyDepth",
     {"--exclude-name", "node_modules"},
     {"node_modules/top.js", "proj/node_modules/x/i.js"}},
    {"ExcludedFolderStaysThePathBelowTheSource",
     {"--exclude-folder", "node_modules"},
     {"node_modules/top.js"}},
    {"OfficeLockFiles", {"--exclude-name", "~$*"}, {"docs/~$Report.docx"}},
    {"DotFilesAndAnyCase", {"--exclude-name", "*.tmp"}, {"docs/.x.tmp", "docs/deep/Y.TMP"}},
    {"DotStore", {"--exclude-name=.DS_Store"}, {".DS_Store", "docs/deep/.DS_Store"}},
    {"NameWithAComma", {"--exclude-name", "a,b"}, {"docs/a,b"}},
    {"PatternFileSkipsCommentsAndBlankLines",
     {"--exclude-from", "{list}"},
     {".DS_Store", "docs/deep/.DS_Store", "docs/~$Report.docx"}},
    {"PatternFileAndPatternsTogether",
     {"--exclude-name", "deep", "--exclude-from", "{list}"},
     {".DS_Store", "docs/deep/.DS_Store", "docs/~$Report.docx", "docs/deep/Y.TMP"}},
};

TEST_F(NameExclusions, LeaveOutWhatTheyName) {
  for (const ListCase& c : ListCases) {
    std::vector<std::string> args = c.options;
    args.push_back("{src}");
    const ProgramRun ran = run(args);
    ASSERT_EQ(ran.status, 0) << c.name << ": " << ran.err;
    EXPECT_EQ(listed(ran), allBut(c.leftOut)) << c.name;
    EXPECT_EQ(ran.err.find("に当たる"), std::string::npos) << c.name << ": " << ran.err;
  }
}

struct RefusalCase {
  const char* name;
  std::vector<std::string> options;
  std::string errHolds;
};

TEST_F(NameExclusions, PatternsThatCannotNameANameAreRefused) {
  writeFile(tree.file("paths.txt"), "*.tmp\n# a path\nproj/node_modules\n");
  const RefusalCase cases[] = {
      {"Path", {"--exclude-name", "proj/node_modules"}, "--exclude-folder"},
      {"Empty", {"--exclude-name="}, "--exclude-name"},
      {"MissingFile",
       {"--exclude-from", tree.file("missing.txt")},
       "nuvelo-cli: --exclude-from " + tree.file("missing.txt") + " を読めません: "},
      {"Folder", {"--exclude-from", tree.path()}, tree.path() + " を読めません: "},
      {"PathInTheFile",
       {"--exclude-from", tree.file("paths.txt")},
       tree.file("paths.txt") + " の 3 行目 proj/node_modules: "},
  };
  for (const RefusalCase& c : cases) {
    std::vector<std::string> args = c.options;
    args.push_back("{src}");
    const ProgramRun ran = run(args);
    EXPECT_EQ(ran.status, 2) << c.name;
    EXPECT_EQ(ran.out, "") << c.name;
    EXPECT_NE(ran.err.find(c.errHolds), std::string::npos) << c.name << ": " << ran.err;
  }
}

// A pattern typed for this run that met nothing is most often misspelt; a list read from a file
// (--exclude-from, the settings file) names clutter a tree may well not hold.
TEST_F(NameExclusions, OnlyTypedPatternsThatMetNothingAreNamed) {
  const ProgramRun typed = run({"--exclude-name", "node_modulez", "--exclude-name", "*.tmp",
                                "--exclude-from", "{list}", "{src}"});
  EXPECT_EQ(typed.status, 0) << typed.err;
  EXPECT_NE(typed.err.find("nuvelo-cli: --exclude-name node_modulez に当たる"), std::string::npos)
      << typed.err;
  EXPECT_EQ(typed.err.find("*.tmp"), std::string::npos) << typed.err;
  writeFile(list(), "Thumbs.db\n");
  EXPECT_EQ(run({"--exclude-from", "{list}", "{src}"}).err.find("Thumbs.db"), std::string::npos);
  writeFile(tree.file("NVO.ini"), "[Option]\nExcludeNames=Thumbs.db\n");
  EXPECT_EQ(run({"{src}"}).err.find("Thumbs.db"), std::string::npos);
  EXPECT_EQ(run({"-q", "--exclude-name", "nowhere", "{src}"}).err, "");
}

// The settings file's list is the default, which the command line's patterns replace, and a
// job file holds a list of its own in place of the settings file's.
TEST_F(NameExclusions, SettingsAndJobFilesHoldAStandingList) {
  writeFile(tree.file("NVO.ini"), "[Option]\nExcludeNames=\"a,b\",node_modules\n");
  EXPECT_EQ(listed(run({"{src}"})),
            allBut({"docs/a,b", "node_modules/top.js", "proj/node_modules/x/i.js"}));
  EXPECT_EQ(listed(run({"--exclude-name", "*.tmp", "{src}"})),
            allBut({"docs/.x.tmp", "docs/deep/Y.TMP"}));
  EXPECT_EQ(listed(run({"--exclude-from", "/dev/null", "{src}"})), Tree);

  const std::string job = tree.file("nightly.dat");
  writeFile(job, "[Application]\nNVOFile=1\n[NVO]\nDirFrom=" + source() +
                     "\nCBKai=1\n[Job]\nExcludeNames=~$*,.DS_Store\n");
  EXPECT_EQ(listed(run({"--job", job})),
            allBut({"docs/~$Report.docx", ".DS_Store", "docs/deep/.DS_Store"}));
  writeFile(job, "[Application]\nNVOFile=1\n[NVO]\nDirFrom=" + source() +
                     "\nCBKai=1\n[Job]\nExcludeNames=docs/deep\n");
  const ProgramRun refused = run({"--job", job});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("ExcludeNames"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace nuvelo
