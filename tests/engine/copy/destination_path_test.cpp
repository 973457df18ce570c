#include "engine/copy/destination_path.h"

#include <gtest/gtest.h>

namespace nuvelo {
namespace {

struct DestinationCase {
  const char* name;
  PathStyle style;
  bool dirAbs;
  bool addDriveLetter;
  const char* searchRoot;
  const char* destination;
  const char* source;
  const char* folder;
};

class DestinationFolder : public ::testing::TestWithParam<DestinationCase> {};

TEST_P(DestinationFolder, RebuildsTheSourceFolderBelowTheDestination) {
  const DestinationCase& c = GetParam();
  const DestinationRule rule{c.dirAbs, c.addDriveLetter, c.searchRoot, c.style};
  EXPECT_EQ(destFolderOf(c.source, c.destination, rule), c.folder);
}

constexpr PathStyle Win = PathStyle::Windows;
constexpr PathStyle Posix = PathStyle::Posix;

INSTANTIATE_TEST_SUITE_P(
    Layouts, DestinationFolder,
    ::testing::Values(
        // The worked examples, in Windows form.
        DestinationCase{"WinRelative", Win, false, true, "C:\\Data\\src", "D:\\Backup",
                        "C:\\Data\\src\\docs\\a.txt", "D:\\Backup\\docs"},
        DestinationCase{"WinRelativeTop", Win, false, true, "C:\\Data\\src", "D:\\Backup",
                        "C:\\Data\\src\\b.txt", "D:\\Backup"},
        DestinationCase{"WinAbsolute", Win, true, false, "C:\\Data\\src", "D:\\Backup",
                        "C:\\Data\\src\\docs\\a.txt", "D:\\Backup\\Data\\src\\docs"},
        DestinationCase{"WinAbsoluteDrive", Win, true, true, "C:\\Data\\src", "D:\\Backup",
                        "C:\\Data\\src\\docs\\a.txt", "D:\\Backup\\C\\Data\\src\\docs"},
        DestinationCase{"WinNetwork", Win, true, true, "C:\\Data\\src", "D:\\Backup",
                        "\\\\srv\\pub\\docs\\a.txt", "D:\\Backup\\srv\\pub\\docs"},
        DestinationCase{"WinNetworkNoDrive", Win, true, false, "C:\\Data\\src", "D:\\Backup",
                        "\\\\srv\\pub\\docs\\a.txt", "D:\\Backup\\srv\\pub\\docs"},
        DestinationCase{"WinDriveAsTyped", Win, true, true, "c:\\x", "D:\\Backup", "c:\\x\\y.txt",
                        "D:\\Backup\\c\\x"},
        DestinationCase{"WinTrailingSeparator", Win, false, true, "C:\\Data\\src", "D:\\Backup\\",
                        "C:\\Data\\src\\docs\\a.txt", "D:\\Backup\\\\docs"},
        // The same cases with POSIX paths: no drive letter, whatever the switch says.
        DestinationCase{"PosixRelative", Posix, false, true, "/data/src", "/backup",
                        "/data/src/docs/a.txt", "/backup/docs"},
        DestinationCase{"PosixRelativeTop", Posix, false, true, "/data/src", "/backup",
                        "/data/src/b.txt", "/backup"},
        DestinationCase{"PosixAbsolute", Posix, true, false, "/data/src", "/backup",
                        "/data/src/docs/a.txt", "/backup/data/src/docs"},
        DestinationCase{"PosixAbsoluteDrive", Posix, true, true, "/data/src", "/backup",
                        "/data/src/docs/a.txt", "/backup/data/src/docs"},
        DestinationCase{"PosixNetworkStyle", Posix, true, true, "/data", "/backup",
                        "//srv/pub/docs/a.txt", "/backup/srv/pub/docs"},
        DestinationCase{"PosixRootSource", Posix, false, true, "/", "/backup", "/etc/hosts",
                        "/backup/etc"},
        DestinationCase{"PosixTrailingSeparator", Posix, false, true, "/data/src", "/backup/",
                        "/data/src/docs/a.txt", "/backup//docs"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileName, AfterTheLastSeparator) {
  EXPECT_EQ(fileNameOf("C:\\a\\b.txt", PathStyle::Windows), "b.txt");
  EXPECT_EQ(fileNameOf("C:b.txt", PathStyle::Windows), "b.txt");
  EXPECT_EQ(fileNameOf("/a/b:c.txt", PathStyle::Posix), "b:c.txt");
}

}  // namespace
}  // namespace nuvelo
