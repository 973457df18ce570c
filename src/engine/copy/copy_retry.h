#pragma once
// Trying a file's copy again after a failure that may pass by itself (a share that dropped its
// connection, a server that did not answer in time): which failures are tried again, how often,
// and the wait before each try, which grows with every try and ends at once on an abort.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace nuvelo {

struct CopyOutcome;

struct RetryPolicy {
  static constexpr unsigned DefaultRetries = 2;
  static constexpr std::chrono::milliseconds DefaultWait{5000};
  static constexpr unsigned MostRetries = 100;
  static constexpr std::chrono::milliseconds LongestWait{3600 * 1000};

  unsigned retries = DefaultRetries;  // tries after the first; 0: none
  std::chrono::milliseconds wait = DefaultWait;

  // The wait before the n-th retry (from 1): wait, 2 x wait, 4 x wait, ..., at most an hour
  // unless the wait itself is longer.
  std::chrono::milliseconds waitBefore(unsigned retry) const;
};

// A failure that may pass by itself: an input/output error, a connection that was lost, reset
// or timed out, a resource that is busy for the moment, a stale handle of a network file.
bool isTransient(const std::error_code& code);

// A failed copy that another try may mend: it failed transiently, and before the copy took its
// name (trying again would meet it as a namesake).
bool mayBeRetried(const CopyOutcome& outcome);

// Waits `wait`, asking `abortRequested` (and letting `poll` run) every few milliseconds; false
// as soon as an abort is asked for.
bool waitBeforeRetry(std::chrono::milliseconds wait, const std::function<bool()>& abortRequested,
                     const std::function<void()>& poll);

// The wait between tries as given in seconds ("5", "0.2", up to three decimals, at most an hour);
// nothing for any other text.
std::optional<std::chrono::milliseconds> parseRetryWait(std::string_view text);
// The wait in seconds as parseRetryWait reads it back: "5", "0.25".
std::string retryWaitText(std::chrono::milliseconds wait);
// A number of retries: digits only, at most RetryPolicy::MostRetries.
std::optional<unsigned> parseRetries(std::string_view text);

}  // namespace nuvelo
