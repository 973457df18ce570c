#include "tree_generator.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace nuvelo::bench {
namespace {

constexpr std::time_t TwoYears = 2 * 365 * 86400;

std::string describe(const TreeShape& s) {
  std::ostringstream out;
  out << s.entries << ' ' << s.foldersPerFolder << ' ' << s.depth << ' ' << s.newShare << ' '
      << s.threshold << ' ' << s.newest;
  return out.str();
}

void setTime(int folderFd, const char* name, std::time_t when) {
  const timespec times[2] = {{when, 0}, {when, 0}};
  utimensat(folderFd, name, times, AT_SYMLINK_NOFOLLOW);
}

struct Generator {
  explicit Generator(const TreeShape& s) : shape(s) {}

  const TreeShape& shape;
  std::mt19937_64 random{20261207};
  TreeInfo info;
  std::uint64_t filesPerLeaf = 0;

  std::time_t fileTime() {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    if (unit(random) < shape.newShare) {
      ++info.newFiles;
      return shape.threshold +
             static_cast<std::time_t>(unit(random) * (shape.newest - shape.threshold));
    }
    const std::time_t oldest = shape.newest - TwoYears;
    return oldest + static_cast<std::time_t>(unit(random) * (shape.threshold - 1 - oldest));
  }

  void fill(int fd, unsigned level) {
    if (level == shape.depth) {
      char name[32];
      for (std::uint64_t i = 0; i < filesPerLeaf; ++i) {
        std::snprintf(name, sizeof name, "file%05llu.dat", static_cast<unsigned long long>(i));
        const int file = openat(fd, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (file < 0) continue;
        close(file);
        setTime(fd, name, fileTime());
        ++info.files;
      }
      return;
    }
    for (unsigned i = 0; i < shape.foldersPerFolder; ++i) {
      const std::string name = "dir" + std::to_string(i);
      mkdirat(fd, name.c_str(), 0755);
      const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (child < 0) continue;
      ++info.folders;
      fill(child, level + 1);
      close(child);
      // Old folder times, so that per-folder mode would enter them.
      setTime(fd, name.c_str(), shape.newest - TwoYears);
    }
  }
};

}  // namespace

TreeInfo ensureTree(const std::string& root, const TreeShape& shape) {
  const std::string marker = root + ".shape";
  std::ifstream existing(marker);
  std::string line;
  TreeInfo info;
  if (std::getline(existing, line) && line == describe(shape) &&
      (existing >> info.folders >> info.files >> info.newFiles))
    return info;

  [[maybe_unused]] int status = std::system(("rm -rf -- '" + root + "' '" + marker + "'").c_str());
  status = std::system(("mkdir -p -- '" + root + "'").c_str());
  Generator generator(shape);
  std::uint64_t leaves = 1;
  std::uint64_t folders = 0;
  for (unsigned level = 0; level < shape.depth; ++level) {
    leaves *= shape.foldersPerFolder;
    folders += leaves;
  }
  generator.filesPerLeaf = shape.entries > folders ? (shape.entries - folders) / leaves : 0;
  const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return info;
  std::fprintf(stderr, "generating %s (%llu entries)...\n", root.c_str(),
               static_cast<unsigned long long>(shape.entries));
  generator.fill(fd, 0);
  close(fd);
  std::ofstream(marker) << describe(shape) << '\n'
                        << generator.info.folders << ' ' << generator.info.files << ' '
                        << generator.info.newFiles << '\n';
  return generator.info;
}

std::time_t localMidnightDaysAgo(int daysAgo) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  local.tm_mday -= daysAgo;
  local.tm_hour = local.tm_min = local.tm_sec = 0;
  local.tm_isdst = -1;
  return mktime(&local);
}

std::string dayText(std::time_t midnight) {
  std::tm local{};
  localtime_r(&midnight, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

std::string benchFolder() {
  const char* configured = std::getenv("NUVELO_BENCH_DIR");
  return configured && *configured ? configured : "/tmp/nuvelo-bench";
}

}  // namespace nuvelo::bench
