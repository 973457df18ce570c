#include "platform/qtcore/byte_paths.h"

#include <gtest/gtest.h>

namespace nuvelo {
namespace {

class BytePaths : public ::testing::TestWithParam<std::string> {};

// Whatever bytes a name holds come back from Qt's text unchanged.
TEST_P(BytePaths, RoundTripThroughQtText) {
  EXPECT_EQ(pathFromQt(pathToQt(GetParam())), GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Names, BytePaths,
    ::testing::Values(std::string(), std::string("/tmp/report.txt"),
                      std::string("/tmp/表/メモ.txt"), std::string("/tmp/caf\xE9.txt"),
                      std::string("\xFF\xFE\x80"),
                      std::string("/tmp/\xED\xB2\x80"),  // a surrogate spelt in UTF-8: no UTF-8
                      std::string("/tmp/\xF0\x9F\x93\x81 folder"), std::string("a\xC3")));

TEST(BytePaths, UndecodableBytesShowAsReplacementsButStayApart) {
  const QString one = pathToQt("caf\xE9");
  const QString other = pathToQt("caf\xE8");
  EXPECT_NE(one, other);
  EXPECT_TRUE(one.startsWith(QStringLiteral("caf")));
  EXPECT_EQ(pathToQt("caf\xC3\xA9"), QStringLiteral("café"));
}

// The desktop is handed a URL of the file's own bytes, not of a look-alike.
TEST(BytePaths, FileUrlsKeepEveryByte) {
  EXPECT_EQ(fileUrlOf("/tmp/caf\xE9.txt").toEncoded(), QByteArray("file:///tmp/caf%E9.txt"));
  EXPECT_EQ(fileUrlOf("/tmp/a b#?.txt").toEncoded(), QByteArray("file:///tmp/a%20b%23%3F.txt"));
  EXPECT_EQ(fileUrlOf("/tmp/表.txt").toLocalFile(), QStringLiteral("/tmp/表.txt"));
}

}  // namespace
}  // namespace nuvelo
