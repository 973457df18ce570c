#include "cli/copy_meter.h"

#include <cstdio>

#include "messages/copy_messages.h"

namespace nuvelo {

void CopyMeter::starting(std::size_t files, std::uint64_t bytes) {
  files_ = files;
  bytes_ = bytes;
}

void CopyMeter::fileDone(std::uint64_t bytes, bool copied) {
  ++filesDone_;
  bytesDone_ += bytes;
  if (copied) bytesCopied_ += bytes;
  current_ = 0;
}

double CopyMeter::secondsSince(Clock::time_point now) const {
  return std::chrono::duration<double>(now - start_).count();
}

std::string CopyMeter::progressText(Clock::time_point now) const {
  const double seconds = secondsSince(now);
  const double rate = seconds > 0 ? static_cast<double>(bytesCopied_ + current_) / seconds : 0;
  const std::uint64_t done = bytesDone_ + current_;
  const std::uint64_t left = bytes_ > done ? bytes_ - done : 0;
  const std::string leftText =
      rate > 0 ? clockText(static_cast<std::uint64_t>(static_cast<double>(left) / rate)) : "-:--";
  return meterProgressText({std::to_string(filesDone_), std::to_string(files_), byteText(done),
                            byteText(bytes_), byteText(static_cast<std::uint64_t>(rate)),
                            leftText});
}

std::string CopyMeter::summaryText(Clock::time_point now) const {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", secondsSince(now));
  return meterSummaryText(byteText(bytesCopied_), seconds);
}

std::string byteText(std::uint64_t bytes) {
  static const char* const units[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB"};
  if (bytes < 1024) return std::to_string(bytes) + " B";
  double value = static_cast<double>(bytes);
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(units)) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
  return text;
}

std::string clockText(std::uint64_t seconds) {
  char text[32];
  if (seconds >= 3600)
    std::snprintf(text, sizeof text, "%llu:%02u:%02u",
                  static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
  else
    std::snprintf(text, sizeof text, "%u:%02u", static_cast<unsigned>(seconds / 60),
                  static_cast<unsigned>(seconds % 60));
  return text;
}

}  // namespace nuvelo
