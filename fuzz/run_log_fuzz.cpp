// Run log lines: any bytes read as a line either hold no entry or an entry that, written again,
// reads back the same; nothing a torn or foreign line holds crashes the reader.

#include <cstdint>

#include "engine/runlog/run_log_entry.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nuvelo;
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const auto entry = parseRunLogLine(line);
  if (!entry) return 0;
  const std::string written = runLogLine(*entry);
  fuzz::require(written.find('\n') == written.size() - 1, "an entry is written as one line",
                fuzz::shown(line));
  fuzz::require(parseRunLogLine(written) == entry, "a written entry reads back the same",
                fuzz::shown(line) + "\nwritten " + fuzz::shown(written));
  return 0;
}
