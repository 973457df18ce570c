// Comma text: any text reads without a crash, and what it reads writes back to a text that reads
// the same; a list made from the input survives writing and reading.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>

#include "engine/settings/comma_text.h"
#include "fuzz_support.h"

namespace {

using namespace nuvelo;
using namespace nuvelo::fuzz;

std::string shown(const std::vector<std::string>& items) {
  std::string out = "{";
  for (const std::string& item : items) out += " \"" + nuvelo::fuzz::shown(item) + "\"";
  return out + " }";
}

void requireRoundTrip(const std::vector<std::string>& items, const char* property) {
  const std::string text = toCommaText(items);
  const auto back = fromCommaText(text);
  require(back == items, property,
          "list " + shown(items) + "\ntext " + nuvelo::fuzz::shown(text) + "\nread " + shown(back));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Whatever a file holds: the items read from it are kept through the next save.
  requireRoundTrip(fromCommaText(text), "a read list writes back to the same list");

  // Lists of names: any bytes but NUL, which ends a profile value as it ends a C string.
  FuzzedDataProvider input(data, size);
  std::vector<std::string> items(input.ConsumeIntegralInRange<std::size_t>(0, 8));
  for (std::string& item : items) {
    item = input.ConsumeRandomLengthString(32);
    item.erase(std::remove(item.begin(), item.end(), '\0'), item.end());
  }
  requireRoundTrip(items, "a list reads back from its comma text");
  return 0;
}
