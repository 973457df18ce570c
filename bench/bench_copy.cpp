// The copy against cp in the same run: 20,000 files of 4 KiB with `cp -p --parents`, and one
// 1 GiB file with `cp -p`; the same copies verified (written out, read back from the disk and
// compared), against cp and against the plain copy; the memory the copy holds as it goes; and
// 20,000 files of 4 KiB that each have an ACL and a user attribute, against `cp -a` of the tree.
// Usage: bench-copy [FILES] [BIG_MIB]   (defaults 20000 and 1024)
//        bench-copy --acl [FILES]       the files with ACLs alone

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "engine/copy/copy_runner.h"
#include "platform/posix/extended_attributes.h"
#include "platform/posix/file_acl.h"
#include "tree_generator.h"

using namespace nuvelo;
using namespace nuvelo::bench;

namespace {

// The plain copies and cp take turns, the fastest run counting. A verified copy writes every
// file out to the disk, which is slow and steady: one run of it says enough.
constexpr int Runs = 3;

void writeBytes(const std::string& path, std::size_t bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  std::vector<char> block(1 << 20, 'x');
  for (std::size_t done = 0; done < bytes;) {
    const std::size_t n = std::min(block.size(), bytes - done);
    if (write(fd, block.data(), n) != static_cast<ssize_t>(n)) break;
    done += n;
  }
  close(fd);
}

// 20,000 small files in folders of 100, named relative to `root`; `dress` is called with each
// file as it is made.
std::vector<std::string> makeSmallFiles(
    const std::string& root, std::size_t count,
    const std::function<void(const std::string&)>& dress = [](const std::string&) {}) {
  std::vector<std::string> relative;
  const std::string marker = root + ".ready";
  const bool ready = access(marker.c_str(), F_OK) == 0;
  if (!ready) removeTree(root);
  for (std::size_t i = 0; i < count; ++i) {
    const std::string folder = "dir" + std::to_string(i / 100);
    const std::string name = folder + "/file" + std::to_string(i) + ".dat";
    if (!ready) {
      mkdir(root.c_str(), 0755);
      mkdir((root + "/" + folder).c_str(), 0755);
      writeBytes(root + "/" + name, 4096);
      dress(root + "/" + name);
    }
    relative.push_back(name);
  }
  if (!ready) close(open(marker.c_str(), O_WRONLY | O_CREAT, 0644));
  return relative;
}

bool cpParents(const std::string& root, const std::vector<std::string>& files,
               const std::string& destination) {
  std::vector<std::string> command = {"cp", "-p", "--parents"};
  for (const std::string& f : files) command.push_back(f);
  command.push_back(destination);
  return runQuietly(command, root);
}

CopyHooks hooksFor(bool verify) {
  CopyHooks hooks;
  hooks.verify = verify;
  return hooks;
}

// Copies the sources, named relative to `root`, into `destination`; how many were copied.
std::size_t copyAll(const std::vector<std::string>& sources, const std::string& root,
                    const std::string& destination, bool verify) {
  CopySettings settings;
  settings.rule = {false, false, root, PathStyle::Posix};
  settings.destination = destination;
  settings.overwrite = OverwriteAlways;
  CopyRunner runner(settings, {}, hooksFor(verify));
  std::size_t copied = 0;
  for (const std::string& s : sources) copied += runner.copy(s).kind == EntryReport::Copied;
  runner.finish();
  return copied;
}

// What a shared project folder's files carry: a named user's rights, and a user attribute.
void giveAclAndAttribute(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const FileAcl acl{6, 4, 4, 6, {{65534, 6}}, {}};
  if (fd < 0 || !writeAcl(fd, AclKind::Access, acl) ||
      !setAttribute(fd, "user.origin", "bench-copy")) {
    std::fprintf(stderr, "bench-copy: cannot give %s an ACL and an attribute\n", path.c_str());
    std::exit(1);
  }
  close(fd);
}

// Whether the copy carries the source's ACL and attribute.
bool carriesAclAndAttribute(const std::string& copy) {
  const int fd = open(copy.c_str(), O_RDONLY | O_CLOEXEC);
  const Result<FileAcl> acl = readAcl(fd, AclKind::Access);
  const Result<std::string> origin = attributeValue(fd, "user.origin");
  close(fd);
  return acl && !acl->users.empty() && origin && *origin == "bench-copy";
}

// An empty folder, with the disk quiet: what earlier runs wrote and removed is written out, so
// no timed copy pays for another's.
void freshFolder(const std::string& path) {
  removeTree(path);
  sync();
  mkdir(path.c_str(), 0755);
}

// The seconds one copy takes into a fresh destination.
double timedInto(const std::string& destination, const std::function<void()>& copy) {
  freshFolder(destination);
  return bestOf(1, copy);
}

// One tree of small files copied by cp -a (the tree) and by the copy run (its files, and the
// folders it makes), taking turns; the fastest run of each counts.
struct TreeCopies {
  double cpSeconds = 1e300;
  double ourSeconds = 1e300;
  std::size_t copied = 0;
  bool carried = true;               // both kept the ACL and attribute of the tree's last file
  std::vector<std::string> folders;  // the copies, to be removed once all are timed
};

TreeCopies copiesOfTree(const std::string& base, const std::string& name, std::size_t count,
                        const std::function<void(const std::string&)>& dress) {
  const std::string root = base + "/" + name;
  const std::vector<std::string> relative =
      dress ? makeSmallFiles(root, count, dress) : makeSmallFiles(root, count);
  std::vector<std::string> sources;
  for (const std::string& r : relative) sources.push_back(root + "/" + r);
  TreeCopies copies;
  const auto timedRun = [&](const std::function<void(const std::string&)>& copy) {
    const std::string destination = root + "-copy-" + std::to_string(copies.folders.size());
    copies.folders.push_back(destination);
    const double seconds = timedInto(destination, [&] { copy(destination); });
    if (dress) copies.carried &= carriesAclAndAttribute(destination + "/" + relative.back());
    return seconds;
  };
  for (int run = 0; run < Runs; ++run) {
    copies.cpSeconds = std::min(copies.cpSeconds, timedRun([&](const std::string& to) {
                                  runQuietly({"cp", "-a", root + "/.", to});
                                }));
    copies.ourSeconds = std::min(copies.ourSeconds, timedRun([&](const std::string& to) {
                                   copies.copied = copyAll(sources, root, to, false);
                                 }));
  }
  return copies;
}

// The files with an ACL and an attribute each against cp -a, and the same tree without them
// for what they add. The copies are removed at the end: for a while after many files were
// removed, ext4 is slow to create new ones.
void benchAclFiles(const std::string& base, std::size_t count) {
  const TreeCopies dressed = copiesOfTree(base, "copy-acl", count, giveAclAndAttribute);
  const TreeCopies plain = copiesOfTree(base, "copy-tree", count, nullptr);
  for (const TreeCopies* copies : {&dressed, &plain})
    for (const std::string& folder : copies->folders) removeTree(folder);
  std::printf("%zu files of 4 KiB: cp -a %.3f s, Nuvelo %.3f s (%zu copied), ratio %.2f\n", count,
              plain.cpSeconds, plain.ourSeconds, plain.copied, plain.ourSeconds / plain.cpSeconds);
  std::printf(
      "%zu files of 4 KiB, each with an ACL and a user attribute: cp -a %.3f s, Nuvelo "
      "%.3f s (%zu copied, ACL and attribute %s)\n",
      count, dressed.cpSeconds, dressed.ourSeconds, dressed.copied,
      dressed.carried ? "kept by both" : "LOST");
  std::printf("ratio Nuvelo/cp -a with ACLs and attributes: %.2f (target at most 1.15)\n",
              dressed.ourSeconds / dressed.cpSeconds);
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::string base = benchFolder();
  mkdir(base.c_str(), 0755);
  if (argc > 1 && std::string(argv[1]) == "--acl") {
    benchAclFiles(base, argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20000);
    return 0;
  }
  const std::size_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 20000;
  const std::size_t bigMiB = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024;

  // Many small files, named relative to their source folder: both rebuild that layout below
  // their destination.
  const std::string root = base + "/copy-small";
  const std::vector<std::string> relative = makeSmallFiles(root, count);
  std::vector<std::string> sources;
  for (const std::string& r : relative) sources.push_back(root + "/" + r);
  // Each run gets a folder of its own, all removed at the end: for a while after many files were
  // removed, ext4 is slow to create new ones near them, and that would be timed instead of the
  // copy.
  std::vector<std::string> smallFolders;
  const auto smallRun = [&](const char* who, const std::function<void(const std::string&)>& copy) {
    const std::string destination =
        base + "/copy-small-" + who + "-" + std::to_string(smallFolders.size());
    smallFolders.push_back(destination);
    return timedInto(destination, [&] { copy(destination); });
  };
  double cpSeconds = 1e300, ourSeconds = 1e300;
  std::size_t copied = 0;
  std::size_t heapBefore = 0, heapAfter = 0;
  for (int run = 0; run < Runs; ++run) {
    cpSeconds = std::min(cpSeconds, smallRun("cp", [&](const std::string& destination) {
                           cpParents(root, relative, destination);
                         }));
    ourSeconds = std::min(ourSeconds, smallRun("nuvelo", [&](const std::string& destination) {
                            heapBefore = mallinfo2().uordblks;
                            copied = copyAll(sources, root, destination, false);
                            heapAfter = mallinfo2().uordblks;
                          }));
  }
  std::size_t verified = 0;
  const double verifySeconds = smallRun("verified", [&](const std::string& destination) {
    verified = copyAll(sources, root, destination, true);
  });
  for (const std::string& folder : smallFolders) removeTree(folder);

  // One big file.
  const std::string big = base + "/copy-big.dat";
  struct stat st {};
  if (stat(big.c_str(), &st) != 0 || static_cast<std::size_t>(st.st_size) != bigMiB << 20)
    writeBytes(big, bigMiB << 20);
  const std::string bigCp = base + "/copy-big-cp";
  const std::string bigOurs = base + "/copy-big-nuvelo";
  const auto copyBig = [&](bool verify) {
    CopySettings settings;
    settings.rule = {false, false, base, PathStyle::Posix};
    settings.destination = bigOurs;
    settings.overwrite = OverwriteAlways;
    CopyRunner(settings, {}, hooksFor(verify)).copy(big);
  };
  double bigCpSeconds = 1e300, bigOurSeconds = 1e300;
  for (int run = 0; run < Runs; ++run) {
    bigCpSeconds = std::min(bigCpSeconds, timedInto(bigCp, [&] {
                              runQuietly({"cp", "-p", big, bigCp});
                            }));
    bigOurSeconds = std::min(bigOurSeconds, timedInto(bigOurs, [&] { copyBig(false); }));
  }
  const double bigVerifySeconds = timedInto(bigOurs, [&] { copyBig(true); });
  removeTree(bigCp);
  removeTree(bigOurs);

  std::printf("%zu files of 4 KiB: cp -p --parents %.3f s, Nuvelo %.3f s (%zu copied)\n", count,
              cpSeconds, ourSeconds, copied);
  std::printf("ratio Nuvelo/cp: %.2f (target at most 1.20)\n", ourSeconds / cpSeconds);
  std::printf("one %zu MiB file: cp -p %.0f MiB/s, Nuvelo %.0f MiB/s\n", bigMiB,
              bigMiB / bigCpSeconds, bigMiB / bigOurSeconds);
  std::printf("throughput Nuvelo/cp: %.0f %% (target at least 90 %%)\n",
              100.0 * bigCpSeconds / bigOurSeconds);
  std::printf("verified: %zu files %.3f s (%zu copied), ratio to cp %.2f, to the plain copy %.2f\n",
              count, verifySeconds, verified, verifySeconds / cpSeconds,
              verifySeconds / ourSeconds);
  std::printf("verified: one %zu MiB file %.0f MiB/s, ratio to cp %.2f, to the plain copy %.2f\n",
              bigMiB, bigMiB / bigVerifySeconds, bigVerifySeconds / bigCpSeconds,
              bigVerifySeconds / bigOurSeconds);
  std::printf("heap held after copying %zu files: %+lld bytes\n", count,
              static_cast<long long>(heapAfter) - static_cast<long long>(heapBefore));
  benchAclFiles(base, count);
  return 0;
}
