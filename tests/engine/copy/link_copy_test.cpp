// A symbolic link as the source is copied as a link: the same text, the link's own times, and
// what it points to is never opened.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "engine/copy/copier_fixture.h"
#include "engine/copy/file_copier.h"

namespace nuvelo {
namespace {

using testing::Copier;
using testing::linkText;
using testing::statusOf;

constexpr timespec LinkTime{1600000000, 987654321};

struct LinkCase {
  const char* name;
  std::string text;
  void (*makePointee)(const std::string& folder);
};
void PrintTo(const LinkCase& c, std::ostream* os) {
  *os << c.name;
}

class CopierLinks : public Copier, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(CopierLinks, CopiedAsTheLinkItself) {
  if (GetParam().makePointee) GetParam().makePointee(tree.path());
  const std::string link = tree.path() + "/link";
  std::filesystem::create_symlink(GetParam().text, link);
  testing::setModified(link, LinkTime);

  EXPECT_EQ(copyFrom(link, ReplaceMode::Silent).kind, CopyOutcome::Copied);
  const struct stat st = statusOf(target());
  ASSERT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(linkText(target()), GetParam().text);
  EXPECT_EQ(st.st_mtim.tv_sec, LinkTime.tv_sec);
  EXPECT_EQ(st.st_mtim.tv_nsec, LinkTime.tv_nsec);
  EXPECT_EQ(testing::entriesIn(destination()), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Pointees, CopierLinks,
    ::testing::Values(LinkCase{"RelativeToAFile", "report.txt", nullptr},
                      LinkCase{"Dangling", "/no/such/place", nullptr},
                      LinkCase{"ToAFolder", "..", nullptr},
                      // Reading through it would wait for a writer forever.
                      LinkCase{"ToANamedPipe", "pipe",
                               [](const std::string& f) { mkfifo((f + "/pipe").c_str(), 0600); }},
                      LinkCase{"LongText", std::string(1000, 'x') + "/" + std::string(2000, 'y'),
                               nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Copier, LinkAtTheEndOfAPathLongerThanPathMax) {
  const std::string top = tree.path() + "/deep";
  mkdir(top.c_str(), 0755);
  int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const std::string component(200, 'd');
  std::string path = top;
  while (path.size() <= PATH_MAX) {
    mkdirat(fd, component.c_str(), 0755);
    const int next = openat(fd, component.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    close(fd);
    fd = next;
    path += "/" + component;
  }
  ASSERT_EQ(symlinkat("far away", fd, "link"), 0);
  close(fd);

  EXPECT_EQ(copyFrom(path + "/link", ReplaceMode::Silent).kind, CopyOutcome::Copied);
  EXPECT_EQ(linkText(target()), "far away");
  testing::removeDeepTree(top);
}

}  // namespace
}  // namespace nuvelo
