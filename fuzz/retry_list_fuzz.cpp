// Retry lists: any text reads as absolute paths without a NUL, and what is read is written and
// read back the same; a list of paths made from the input comes back whole.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>

#include "engine/jobs/retry_list.h"
#include "fuzz_support.h"

namespace {

using namespace nuvelo;
using namespace nuvelo::fuzz;

std::string shown(const std::vector<std::string>& paths) {
  std::string out = "{";
  for (const std::string& path : paths) out += " \"" + nuvelo::fuzz::shown(path) + "\"";
  return out + " }";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  // A list of paths as a run leaves it: absolute, any byte but NUL.
  std::vector<std::string> written(input.ConsumeIntegralInRange<std::size_t>(0, 6));
  for (std::string& path : written) {
    path = "/" + input.ConsumeRandomLengthString(64);
    path.erase(std::remove(path.begin(), path.end(), '\0'), path.end());
  }
  const std::vector<std::string> back = retryListPaths(retryListText(written));
  require(back == written, "a written list reads back the same",
          "written " + shown(written) + "\nread    " + shown(back));

  // Whatever a user or a broken disk left in the file.
  const std::string text = input.ConsumeRemainingBytesAsString();
  const std::vector<std::string> read = retryListPaths(text);
  for (const std::string& path : read)
    require(!path.empty() && path.front() == '/' && path.find('\0') == std::string::npos,
            "every path read is absolute and holds no NUL", shown(read));
  require(retryListPaths(retryListText(read)) == read, "what is read is written back the same",
          shown(read));
  return 0;
}
