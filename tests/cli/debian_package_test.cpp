// What `make package` puts into the Debian package besides the install: the whole program under
// one prefix, and the staging step that gives the files the form Debian's policy asks for.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/file_tree.h"
#include "support/mounted_image.h"

namespace nuvelo {
namespace {

using testing::ProgramRun;
using testing::readFile;
using testing::runProgram;

const std::string Data = NUVELO_DATA_DIR;

// The whole program (not only nuvelo-cli) installed for the prefix /usr into <folder>, as CPack
// installs it (DESTDIR=<folder>).
ProgramRun installUnder(const testing::TempFolder& folder) {
  return runProgram({"/usr/bin/env", "DESTDIR=" + folder.path(), NUVELO_CMAKE, "--install",
                     NUVELO_BUILD_DIR, "--prefix", "/usr"},
                    std::chrono::seconds(120));
}

// The window, its help where the installed program looks for it, and what the desktop and the
// software centre read: the entry, the icons at fixed sizes and scalable, the metadata.
TEST(Install, PutsTheWindowItsHelpAndItsDesktopFiles) {
  testing::TempFolder root;
  const ProgramRun installed = installUnder(root);
  ASSERT_EQ(installed.status, 0) << installed.err;
  for (const char* file : {"usr/bin/nuvelo", "usr/bin/nuvelo-cli", "usr/share/nuvelo/nuvelo.HLP",
                           "usr/share/man/man1/nuvelo.1", "usr/share/applications/nuvelo.desktop",
                           "usr/share/metainfo/org.nuvelo.Nuvelo.metainfo.xml",
                           "usr/share/icons/hicolor/256x256/apps/nuvelo.png",
                           "usr/share/icons/hicolor/scalable/apps/nuvelo.svg"})
    EXPECT_TRUE(std::filesystem::is_regular_file(root.file(file))) << file;
  const std::string svg = readFile(root.file("usr/share/icons/hicolor/scalable/apps/nuvelo.svg"));
  EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
  EXPECT_NE(svg.find("viewBox=\"0 0 64 64\""), std::string::npos);
}

// The staging step compresses the manual page and the changelog and adds the copyright file;
// the install for /usr has pointed the example service at the packaged program and put zsh's
// completion where Debian's zsh looks for a package's.
TEST(DebianStaging, GivesTheInstalledFilesDebiansForm) {
  testing::TempFolder root;
  ASSERT_EQ(installUnder(root).status, 0);
  const ProgramRun staged =
      runProgram({NUVELO_CMAKE, "-DCPACK_TEMPORARY_INSTALL_DIRECTORY=" + root.path(), "-P",
                  std::string(NUVELO_BUILD_DIR) + "/debian-staging.cmake"});
  ASSERT_EQ(staged.status, 0) << staged.err;

  for (const std::string page : {"nuvelo.1", "nuvelo-cli.1"}) {
    EXPECT_FALSE(std::filesystem::exists(root.file("usr/share/man/man1/" + page))) << page;
    const ProgramRun manual =
        runProgram({"/bin/gzip", "-dc", root.file("usr/share/man/man1/" + page + ".gz")});
    EXPECT_EQ(manual.out, readFile(Data + "/" + page)) << page;
  }

  const std::string doc = root.file("usr/share/doc/nuvelo/");
  EXPECT_EQ(readFile(doc + "copyright"), readFile(Data + "/debian/copyright"));
  EXPECT_FALSE(std::filesystem::exists(doc + "changelog.Debian"));
  const ProgramRun changelog = runProgram({"/bin/gzip", "-dc", doc + "changelog.Debian.gz"});
  EXPECT_EQ(changelog.out, readFile(Data + "/debian/changelog"));

  EXPECT_EQ(readFile(root.file("usr/share/lintian/overrides/nuvelo")),
            readFile(Data + "/debian/lintian-overrides"));

  const std::string unit = readFile(doc + "examples/nuvelo-backup.service");
  EXPECT_NE(unit.find("\nExecStart=/usr/bin/nuvelo-cli copy "), std::string::npos) << unit;
  EXPECT_TRUE(
      std::filesystem::is_regular_file(root.file("usr/share/zsh/vendor-completions/_nuvelo-cli")));
  EXPECT_FALSE(std::filesystem::exists(root.file("usr/share/zsh/site-functions")));
}

// The window has its manual page too, which renders without a warning.
TEST(WindowManualPage, RendersWithoutAWarning) {
  const std::string groff = testing::findProgram("groff");
  if (groff.empty()) GTEST_SKIP() << "groff is not installed";
  const ProgramRun checked = runProgram(
      {"/usr/bin/env", "LC_ALL=C.UTF-8", groff, "-man", "-Tutf8", "-ww", "-z", Data + "/nuvelo.1"});
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.err, "");
}

// The package's changelog names the version the program reports, so a new version is not
// packaged under the last one's entry.
TEST(DebianChangelog, NamesTheProgramsVersion) {
  const std::string changelog = readFile(Data + "/debian/changelog");
  const std::string first = changelog.substr(0, changelog.find('\n'));
  EXPECT_TRUE(std::regex_match(
      first, std::regex(std::string(R"(nuvelo \()") +
                        std::regex_replace(NUVELO_VERSION, std::regex(R"(\.)"), R"(\.)") +
                        R"(-[0-9]+\) unstable; urgency=[a-z]+)")))
      << first;
}

}  // namespace
}  // namespace nuvelo
