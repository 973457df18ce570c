// Condition files: conditions made from the input, written (into a fresh file, or over a file of
// arbitrary content), read back as the same conditions.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>

#include "engine/settings/condition_file.h"
#include "engine/settings/profile_file.h"
#include "fuzz_support.h"

namespace {

using namespace nuvelo;
using namespace nuvelo::fuzz;

// A folder path or name: UTF-8 from the window, never a NUL (no file name holds one).
std::string pathText(FuzzedDataProvider& input, std::size_t most) {
  std::string text = asUtf8(input.ConsumeRandomLengthString(most));
  text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  return text;
}

std::vector<std::string> listOf(FuzzedDataProvider& input) {
  std::vector<std::string> items(input.ConsumeIntegralInRange<std::size_t>(0, 4));
  for (std::string& item : items) item = pathText(input, 48);
  return items;
}

std::string shown(const std::vector<std::string>& items) {
  std::string out = "{";
  for (const std::string& item : items) out += " \"" + nuvelo::fuzz::shown(item) + "\"";
  return out + " }";
}

std::string shown(const SearchConditions& c) {
  return "from \"" + nuvelo::fuzz::shown(c.source) + "\" to \"" +
         nuvelo::fuzz::shown(c.destination) + "\" subfolders " + (c.includeSubfolders ? "1" : "0") +
         " folders " + shown(c.excludedSubfolders) + " extensions " + shown(c.excludedExtensions);
}

bool sameConditions(const SearchConditions& a, const SearchConditions& b) {
  return a.source == b.source && a.destination == b.destination &&
         a.includeSubfolders == b.includeSubfolders &&
         a.excludedSubfolders == b.excludedSubfolders &&
         a.excludedExtensions == b.excludedExtensions;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  SearchConditions written;
  // The blanks after "=" belong to the file's layout (fuzz_support.h).
  written.source = withoutLeadingBlanks(pathText(input, 128));
  written.destination = withoutLeadingBlanks(pathText(input, 128));
  written.includeSubfolders = input.ConsumeBool();
  written.excludedSubfolders = listOf(input);
  written.excludedExtensions = listOf(input);
  const bool overExistingFile = input.ConsumeBool();
  const std::string content = input.ConsumeRemainingBytesAsString();

  const std::string path = scratchFolder() + "/conditions.dat";
  std::filesystem::remove(path);
  if (overExistingFile) writeWholeFile(path, content);
  const bool shiftJisBefore =
      overExistingFile && ProfileFile(path).encoding() == TextEncoding::ShiftJis;

  const auto lineEndIn = [](const std::vector<std::string>& items) {
    return std::any_of(items.begin(), items.end(),
                       [](const std::string& item) { return hasLineEnd(item); });
  };
  const bool needsLineEnd = hasLineEnd(written.source) || hasLineEnd(written.destination) ||
                            lineEndIn(written.excludedSubfolders) ||
                            lineEndIn(written.excludedExtensions);
  if (!writeConditionFile(path, written)) {
    require(needsLineEnd || shiftJisBefore,
            "only a line end or an unconvertible Shift-JIS file refuses a save", shown(written));
    return 0;
  }
  require(!needsLineEnd, "conditions with a line end are refused", shown(written));

  const auto read = readConditionFile(path);
  require(read.has_value(), "a saved condition file reads as one", shown(written));
  require(sameConditions(*read, written), "a saved condition file reads back the same",
          "written " + shown(written) + "\nread    " + shown(*read) + "\nfile " +
              nuvelo::fuzz::shown(readWholeFileOrEmpty(path)));
  return 0;
}
