#pragma once
// What a copy has done so far, for the progress line and the closing summary on stderr: files
// and bytes done out of those to do, the rate and the time left.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace nuvelo {

class CopyMeter {
 public:
  using Clock = std::chrono::steady_clock;

  explicit CopyMeter(Clock::time_point start) : start_(start) {}

  void starting(std::size_t files, std::uint64_t bytes);
  // The bytes of the file being copied copied so far.
  void fileProgress(std::uint64_t soFar) { current_ = soFar; }
  // A file is done; `copied` when its data went to the destination (or would, in a dry run).
  void fileDone(std::uint64_t bytes, bool copied);

  // "12/345 files, 1.2 MiB/3.4 GiB, 85.3 MiB/s, 0:27 left"
  std::string progressText(Clock::time_point now) const;
  // "1.2 MiB in 3.4 s"
  std::string summaryText(Clock::time_point now) const;
  std::uint64_t bytesCopied() const { return bytesCopied_; }
  Clock::time_point started() const { return start_; }

 private:
  double secondsSince(Clock::time_point now) const;

  Clock::time_point start_;
  std::size_t files_ = 0;
  std::size_t filesDone_ = 0;
  std::uint64_t bytes_ = 0;
  std::uint64_t bytesDone_ = 0;
  std::uint64_t bytesCopied_ = 0;
  std::uint64_t current_ = 0;
};

// A byte count for people: "512 B", "1.5 KiB", "3.4 GiB".
std::string byteText(std::uint64_t bytes);

// A duration in whole seconds as "m:ss", or "h:mm:ss" from an hour.
std::string clockText(std::uint64_t seconds);

}  // namespace nuvelo
