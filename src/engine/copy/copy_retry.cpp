#include "engine/copy/copy_retry.h"

#include <algorithm>
#include <cerrno>
#include <thread>

#include "engine/copy/file_copier.h"

namespace nuvelo {
namespace {

// How often a wait asks whether the run was aborted.
constexpr std::chrono::milliseconds AbortCheckEvery{20};
// Beyond this many doublings the wait would exceed any sensible cap anyway.
constexpr unsigned MostDoublings = 20;

std::optional<unsigned> digitsValue(std::string_view digits, unsigned most) {
  if (digits.empty() || digits.size() > 9) return std::nullopt;
  unsigned value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value <= most ? std::optional<unsigned>(value) : std::nullopt;
}

}  // namespace

std::chrono::milliseconds RetryPolicy::waitBefore(unsigned retry) const {
  const unsigned doublings = std::min(retry > 0 ? retry - 1 : 0, MostDoublings);
  const std::chrono::milliseconds grown = wait * (std::int64_t{1} << doublings);
  return std::min(grown, std::max(wait, LongestWait));
}

bool isTransient(const std::error_code& code) {
  if (code.category() != std::generic_category()) return false;
  switch (code.value()) {
    case EIO:
    case ETIMEDOUT:
    case ECONNRESET:
    case ECONNABORTED:
    case ENOTCONN:
    case EAGAIN:
    case ESTALE:
      return true;
    default:
      return false;
  }
}

bool mayBeRetried(const CopyOutcome& outcome) {
  return outcome.kind == CopyKind::Failed && !outcome.afterPlacing && isTransient(outcome.code);
}

bool waitBeforeRetry(std::chrono::milliseconds wait, const std::function<bool()>& abortRequested,
                     const std::function<void()>& poll) {
  const auto end = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (abortRequested && abortRequested()) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now >= end) return true;
    if (poll) poll();
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(end - now, AbortCheckEvery));
  }
}

std::optional<std::chrono::milliseconds> parseRetryWait(std::string_view text) {
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view decimals =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (point != std::string_view::npos && (decimals.empty() || decimals.size() > 3))
    return std::nullopt;
  const auto seconds =
      digitsValue(whole, static_cast<unsigned>(RetryPolicy::LongestWait.count() / 1000));
  if (!seconds) return std::nullopt;
  unsigned thousandths = 0;
  if (!decimals.empty()) {
    const auto digits = digitsValue(decimals, 999);
    if (!digits) return std::nullopt;
    thousandths = *digits;
    for (std::size_t i = decimals.size(); i < 3; ++i) thousandths *= 10;
  }
  const std::chrono::milliseconds wait{std::int64_t{*seconds} * 1000 + thousandths};
  if (wait > RetryPolicy::LongestWait) return std::nullopt;
  return wait;
}

std::string retryWaitText(std::chrono::milliseconds wait) {
  const auto count = wait.count();
  std::string text = std::to_string(count / 1000);
  if (const auto rest = count % 1000; rest != 0) {
    std::string decimals = std::to_string(1000 + rest).substr(1);
    while (decimals.back() == '0') decimals.pop_back();
    text += "." + decimals;
  }
  return text;
}

std::optional<unsigned> parseRetries(std::string_view text) {
  return digitsValue(text, RetryPolicy::MostRetries);
}

}  // namespace nuvelo
