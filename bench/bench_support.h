#pragma once
// Timing helpers shared by the benchmark programs.

#include <spawn.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace nuvelo::bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The best of `runs` timings of `work`, in seconds.
inline double bestOf(int runs, const std::function<void()>& work) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    work();
    best = std::min(best, secondsSince(start));
  }
  return best;
}

// The median of the timings.
inline double median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const std::size_t n = times.size();
  return n == 0 ? 0 : n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

// Removes a folder and everything below it, whatever it holds.
inline void removeTree(const std::string& path) {
  [[maybe_unused]] const int status = std::system(("rm -rf -- '" + path + "'").c_str());
}

// Runs a command with its standard output sent to /dev/null, in `folder` when one is given;
// true when it exited with 0.
inline bool runQuietly(const std::vector<std::string>& command, const std::string& folder = {}) {
  std::vector<char*> argv;
  for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Records the longest pause between calls, to show how often the window gets its turn.
class GapMeter {
 public:
  void tick() {
    const auto now = Clock::now();
    if (started_) longest_ = std::max(longest_, std::chrono::duration<double>(now - last_).count());
    last_ = now;
    started_ = true;
  }
  double longestSeconds() const { return longest_; }
  // Starts a new stretch of work: the time before it does not count as a pause.
  void restart() { started_ = false; }

 private:
  Clock::time_point last_;
  bool started_ = false;
  double longest_ = 0;
};

}  // namespace nuvelo::bench
