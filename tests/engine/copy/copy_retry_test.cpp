// A file whose copy fails in a way that may pass is tried again within its own write: how
// often, which failures, the abort during the wait, the folder opened anew by its path, and the
// order in which copies written at once are told. Faults come from the copier's chunk seam.

#include "engine/copy/copy_retry.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <vector>

#include "engine/copy/copy_runner.h"
#include "engine/copy/parallel_copies.h"
#include "platform/posix/temporary_names.h"
#include "support/file_tree.h"

namespace nuvelo {
namespace {

using namespace std::chrono_literals;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

std::error_code errnoCode(int value) {
  return {value, std::generic_category()};
}

TEST(RetryPolicy, WaitsGrowByDoublingUpToAnHour) {
  const RetryPolicy policy{5, 5000ms};
  EXPECT_EQ(policy.waitBefore(1), 5000ms);
  EXPECT_EQ(policy.waitBefore(2), 10000ms);
  EXPECT_EQ(policy.waitBefore(3), 20000ms);
  EXPECT_EQ(RetryPolicy({100, 5000ms}).waitBefore(100), RetryPolicy::LongestWait);
  EXPECT_EQ(RetryPolicy({3, 0ms}).waitBefore(3), 0ms);
}

TEST(RetryPolicy, TakesOnlyFailuresThatMayPass) {
  for (const int transient : {EIO, ETIMEDOUT, ECONNRESET, ECONNABORTED, ENOTCONN, EAGAIN, ESTALE})
    EXPECT_TRUE(isTransient(errnoCode(transient))) << transient;
  for (const int lasting : {EACCES, ENOSPC, EDQUOT, EROFS, ENOENT, EPERM, EFBIG, EINVAL})
    EXPECT_FALSE(isTransient(errnoCode(lasting))) << lasting;
  // An errno value of another category is no errno value.
  EXPECT_FALSE(isTransient(std::error_code(EIO, std::system_category())));
  EXPECT_TRUE(mayBeRetried({CopyKind::Failed, errnoCode(EIO)}));
  EXPECT_FALSE(mayBeRetried(
      {.kind = CopyKind::Failed, .code = errnoCode(EIO), .afterPlacing = true}));  // in place
  EXPECT_FALSE(mayBeRetried({CopyKind::Stopped, errnoCode(EIO)}));
}

struct WaitTextCase {
  const char* text;
  std::optional<std::chrono::milliseconds> wait;
};

TEST(RetryPolicy, ReadsWaitsInSecondsWithUpToThreeDecimals) {
  const WaitTextCase cases[] = {
      {"5", 5000ms},
      {"0", 0ms},
      {"0.2", 200ms},
      {"0.25", 250ms},
      {"1.5", 1500ms},
      {"0.001", 1ms},
      {"3600", 3600000ms},
      {"3600.001", std::nullopt},
      {"", std::nullopt},
      {".5", std::nullopt},
      {"5.", std::nullopt},
      {"-1", std::nullopt},
      {"1e3", std::nullopt},
      {"0.0001", std::nullopt},
      {"abc", std::nullopt},
      {" 5", std::nullopt},
      {"99999999999", std::nullopt},
  };
  for (const WaitTextCase& c : cases) {
    EXPECT_EQ(parseRetryWait(c.text), c.wait) << c.text;
    if (c.wait) {
      EXPECT_EQ(parseRetryWait(retryWaitText(*c.wait)), c.wait) << c.text;
    }
  }
  EXPECT_EQ(retryWaitText(250ms), "0.25");
  EXPECT_EQ(retryWaitText(5000ms), "5");
  EXPECT_EQ(parseRetries("0"), 0u);
  EXPECT_EQ(parseRetries("100"), 100u);
  EXPECT_EQ(parseRetries("101"), std::nullopt);
  EXPECT_EQ(parseRetries("-1"), std::nullopt);
  EXPECT_EQ(parseRetries(""), std::nullopt);
}

// Scripted faults: the tries of a file fail on their first chunk with the errno values given
// for it in turn (0: that try goes through); files are told apart by their sizes, which are
// the bytes of their one chunk. Tries of files written on several threads at once are counted
// under a lock.
class FaultScript {
 public:
  void script(std::uint64_t size, std::vector<int> errors) { scripts_[size] = std::move(errors); }
  int fault(std::uint64_t copiedSoFar) {
    const std::lock_guard lock(mutex_);
    const std::size_t attempt = tries_[copiedSoFar]++;
    const auto script = scripts_.find(copiedSoFar);
    if (script == scripts_.end() || attempt >= script->second.size()) return 0;
    if (script->second[attempt] != 0) ++faults_;
    return script->second[attempt];
  }
  std::size_t tries(std::uint64_t size) {
    const std::lock_guard lock(mutex_);
    return tries_[size];
  }
  std::size_t faults() {
    const std::lock_guard lock(mutex_);
    return faults_;
  }

 private:
  std::mutex mutex_;
  std::map<std::uint64_t, std::vector<int>> scripts_;
  std::map<std::uint64_t, std::size_t> tries_;
  std::size_t faults_ = 0;
};

class Retries : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(destination()); }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dest"; }
  // A source file of `size` bytes below the source folder.
  std::string sourceFile(const std::string& name, std::size_t size) const {
    const std::string path = source() + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeFile(path, std::string(size, static_cast<char>('a' + size % 26)));
    return path;
  }
  CopyRunner runner(unsigned retries, std::chrono::milliseconds wait = 0ms) {
    return runner(retries, wait, hooks());
  }
  CopyRunner runner(unsigned retries, std::chrono::milliseconds wait, const CopyHooks& h) {
    CopySettings s;
    s.rule = {false, true, source(), PathStyle::Posix};
    s.destination = destination();
    s.overwrite = OverwriteAlways;
    s.retry = {retries, wait};
    return CopyRunner(s, {}, h);
  }
  CopyHooks hooks() {
    CopyHooks h;
    h.allowClone = false;
    h.chunkFault = [this](std::uint64_t copied) { return faults.fault(copied); };
    h.abortRequested = [this] { return abortOnFault && faults.faults() > 0; };
    return h;
  }
  // The entries of the destination folder (below `subfolder`), temporary files included.
  std::vector<std::string> entries(const std::string& subfolder = {}) const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(destination() + subfolder))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder tree;
  FaultScript faults;
  bool abortOnFault = false;
};

struct RetryCase {
  const char* name;
  std::vector<int> errors;  // one for each try that fails, in turn
  unsigned retries;
  CopyKind kind;
  int lastError;  // the failure the report names; 0 when copied
  std::size_t tries;
  bool retried;
};

void PrintTo(const RetryCase& c, std::ostream* out) {
  *out << c.name;
}

class RetriedCopy : public Retries, public ::testing::WithParamInterface<RetryCase> {};

TEST_P(RetriedCopy, EndsAsItsLastTryAndCountsAsRetried) {
  const RetryCase& c = GetParam();
  const std::string file = sourceFile("a.txt", 100);
  faults.script(100, c.errors);
  CopyRunner copier = runner(c.retries);
  const EntryReport report = copier.copy(file);
  EXPECT_EQ(report.kind, c.kind);
  EXPECT_EQ(report.retried, c.retried);
  EXPECT_EQ(faults.tries(100), c.tries);
  if (c.lastError != 0) {
    EXPECT_EQ(report.failure.code, errnoCode(c.lastError));
  }
  // A copy is whole or not there, and no temporary file stays behind.
  if (c.kind == CopyKind::Copied) {
    EXPECT_EQ(readFile(destination() + "/a.txt"), readFile(file));
    EXPECT_EQ(entries(), std::vector<std::string>{"a.txt"});
  } else {
    EXPECT_TRUE(entries().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RetriedCopy,
    ::testing::Values(
        RetryCase{"InputOutputOnceThenCopied", {EIO}, 2, CopyKind::Copied, 0, 2, true},
        RetryCase{
            "LostConnectionTwiceThenCopied", {ENOTCONN, ENOTCONN}, 2, CopyKind::Copied, 0, 3, true},
        RetryCase{"TransientForever", {EIO, EIO, EIO, EIO}, 2, CopyKind::Failed, EIO, 3, true},
        RetryCase{"LastTriesErrorIsReported",
                  {EIO, ECONNRESET, ETIMEDOUT},
                  2,
                  CopyKind::Failed,
                  ETIMEDOUT,
                  3,
                  true},
        RetryCase{"TransientThenLasting", {EIO, EACCES}, 3, CopyKind::Failed, EACCES, 2, true},
        RetryCase{"NoAccessIsNotRetried", {EACCES}, 2, CopyKind::Failed, EACCES, 1, false},
        RetryCase{"NoRoomIsNotRetried", {ENOSPC}, 2, CopyKind::Failed, ENOSPC, 1, false},
        RetryCase{"RetriesOff", {EIO}, 0, CopyKind::Failed, EIO, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Retries, AnAbortDuringTheWaitStopsTheFileAtOnce) {
  const std::string file = sourceFile("a.txt", 100);
  faults.script(100, {EIO});
  abortOnFault = true;
  // An hour's wait: the test ends only because the abort ends the wait.
  CopyRunner copier = runner(2, RetryPolicy::LongestWait);
  const EntryReport report = copier.copy(file);
  EXPECT_EQ(report.kind, CopyKind::Stopped);
  EXPECT_EQ(faults.tries(100), 1u);
  EXPECT_TRUE(entries().empty());
}

TEST_F(Retries, AnotherTryOpensTheFolderByItsPathAnew) {
  const std::string file = sourceFile("sub/a.txt", 100);
  chmod((source() + "/sub").c_str(), 0750);
  const std::string folder = destination() + "/sub";
  const std::string outside = tree.path() + "/outside";
  std::filesystem::create_directories(outside);
  // What the folder's name names when the share comes back with new handles for its paths.
  enum class Then { AnotherFolder, Nothing, LinkToOutside };
  struct FolderCase {
    const char* name;
    Then then;
    CopyKind kind;
  };
  for (const FolderCase c : {FolderCase{"ReplacedFolder", Then::AnotherFolder, CopyKind::Copied},
                             FolderCase{"FolderGone", Then::Nothing, CopyKind::Copied},
                             FolderCase{"LinkInItsPlace", Then::LinkToOutside, CopyKind::Failed}}) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(folder);
    std::filesystem::remove_all(tree.path() + "/old");
    CopyHooks h = hooks();
    // The first try fails once the folder it opened is gone from its place.
    bool swapped = false;
    h.chunkFault = [&](std::uint64_t) {
      if (swapped) return 0;
      swapped = true;
      std::filesystem::rename(folder, tree.path() + "/old");
      if (c.then == Then::LinkToOutside) std::filesystem::create_directory_symlink(outside, folder);
      if (c.then == Then::AnotherFolder) std::filesystem::create_directories(folder);
      return ENOTCONN;
    };
    CopyRunner swapping = runner(1, 0ms, h);
    const EntryReport report = swapping.copy(file);
    swapping.finish();
    EXPECT_EQ(report.kind, c.kind);
    EXPECT_TRUE(report.retried);
    EXPECT_EQ(std::filesystem::exists(folder + "/a.txt"), c.kind == CopyKind::Copied);
    // Nothing lands in the folder the first try had open, nor through the link.
    EXPECT_TRUE(std::filesystem::is_empty(tree.path() + "/old"));
    EXPECT_TRUE(std::filesystem::is_empty(outside));
    // A folder the second try had to make gets its source folder's mode, as the run's own do.
    if (c.then == Then::Nothing) {
      struct stat made {};
      ASSERT_EQ(stat(folder.c_str(), &made), 0);
      EXPECT_EQ(made.st_mode & 07777, 0750u);
    }
  }
}

TEST_F(Retries, TemporariesALostConnectionLeftAreSweptAtTheEnd) {
  // A try cut by a lost connection cannot remove its temporary file; here one stands for it,
  // left in the folder after the run's first sweep of it. Another file's folder is not swept
  // again: its leftover stays for a later run.
  const std::string retried = sourceFile("sub/a.txt", 100), plain = sourceFile("b.txt", 101);
  std::filesystem::create_directories(destination() + "/sub");
  faults.script(100, {ENOTCONN});
  CopyHooks h = hooks();
  h.chunkFault = [&](std::uint64_t copied) {
    if (faults.faults() == 0) writeFile(destination() + "/sub/" + freshTemporaryName(), "cut");
    return faults.fault(copied);
  };
  CopyRunner cutting = runner(1, 0ms, h);
  EXPECT_EQ(cutting.copy(plain).kind, CopyKind::Copied);
  writeFile(destination() + "/" + freshTemporaryName(), "left after the folder's sweep");
  const EntryReport report = cutting.copy(retried);
  ASSERT_TRUE(report.retried);
  EXPECT_EQ(entries("/sub").size(), 2u);
  cutting.finish();
  EXPECT_EQ(entries("/sub"), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(entries().size(), 3u);  // b.txt, sub and the leftover outside the retried folder
}

TEST_F(Retries, CopiesWrittenAtOnceAreToldInListOrder) {
  // Twelve files, every third failing once: written on four threads, retried where they are,
  // and told in the order of the list.
  std::vector<std::string> list;
  for (std::size_t i = 0; i < 12; ++i) {
    list.push_back(sourceFile("f" + std::to_string(i) + ".txt", 100 + i));
    if (i % 3 == 0) faults.script(100 + i, {i % 2 == 0 ? ENOTCONN : EIO});
  }
  CopyRunner copier = runner(2);
  std::vector<EntryReport> told;
  CopyCaller caller;
  caller.poll = [] {};
  caller.abortRequested = [] { return false; };
  caller.askReplace = [](const std::string&) { return ReplaceAnswer::Keep; };
  caller.tell = [&](const EntryReport& report) { told.push_back(report); };
  {
    ParallelCopies copies(copier, 4, 32, caller);
    for (const std::string& source : list) copies.add(source);
    copies.drain();
  }
  ASSERT_EQ(told.size(), list.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(told[i].source, list[i]);
    EXPECT_EQ(told[i].kind, CopyKind::Copied) << list[i];
    EXPECT_EQ(told[i].retried, i % 3 == 0) << list[i];
    EXPECT_EQ(readFile(told[i].target), readFile(list[i]));
  }
  EXPECT_EQ(entries().size(), list.size());
}

}  // namespace
}  // namespace nuvelo
