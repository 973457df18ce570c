// Profile files: any file content, then one key written. A write that goes through reads back
// as the value written, from the same object and from the file on disk, and every other key
// reads as it did before; a refused write leaves the file as it was.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <string_view>

#include "engine/settings/profile_file.h"
#include "fuzz_support.h"
#include "platform/ascii_text.h"

namespace {

using namespace nuvelo;
using namespace nuvelo::fuzz;

// Names the written key and the keys watched around it are drawn from: letter case variants,
// names the program uses, and one that only Shift-JIS or UTF-8 can hold.
constexpr std::array<std::string_view, 6> Sections = {"A", "a", "NVO", "Default", "Option", "設定"};
constexpr std::array<std::string_view, 6> Keys = {"k", "K", "x", "DirFrom", "EscExt", "キー"};

using Snapshot = std::array<std::array<std::optional<std::string>, Keys.size()>, Sections.size()>;

Snapshot snapshotOf(const ProfileFile& file) {
  Snapshot values;
  for (std::size_t s = 0; s < Sections.size(); ++s)
    for (std::size_t k = 0; k < Keys.size(); ++k)
      values[s][k] = file.readValue(Sections[s], Keys[k]);
  return values;
}

std::string where(std::size_t s, std::size_t k) {
  return "[" + std::string(Sections[s]) + "] " + std::string(Keys[k]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string_view section =
      Sections[input.ConsumeIntegralInRange<std::size_t>(0, Sections.size() - 1)];
  const std::string_view key = Keys[input.ConsumeIntegralInRange<std::size_t>(0, Keys.size() - 1)];
  const std::string value = withoutLeadingBlanks(asUtf8(input.ConsumeRandomLengthString(256)));
  const std::string content = input.ConsumeRemainingBytesAsString();

  const std::string path = scratchFolder() + "/profile.ini";
  writeWholeFile(path, content);

  ProfileFile file(path);
  const Snapshot before = snapshotOf(file);
  if (!file.writeString(section, key, value)) {
    require(readWholeFileOrEmpty(path) == content, "a refused write leaves the file as it was");
    // Refused: a line end in the value, or a Shift-JIS file that can neither hold the value nor
    // turn into UTF-8 without loss.
    require(hasLineEnd(value) || file.encoding() == TextEncoding::ShiftJis,
            "only a line end or an unconvertible Shift-JIS file refuses a write",
            "value " + shown(value) + "\ncontent " + shown(content));
    return 0;
  }
  require(!hasLineEnd(value), "a value with a line end is refused", shown(value));

  const ProfileFile reread(path);
  for (std::size_t s = 0; s < Sections.size(); ++s) {
    for (std::size_t k = 0; k < Keys.size(); ++k) {
      const bool written =
          equalsIgnoringAsciiCase(Sections[s], section) && equalsIgnoringAsciiCase(Keys[k], key);
      const std::optional<std::string> expected =
          written ? std::optional<std::string>(value) : before[s][k];
      const auto fromDisk = reread.readValue(Sections[s], Keys[k]);
      const auto fromObject = file.readValue(Sections[s], Keys[k]);
      const std::string detail = where(s, k) + " after writing [" + std::string(section) + "] " +
                                 std::string(key) + "=" + shown(value) + "\nexpected " +
                                 shownOrNone(expected) + "\nfrom disk " + shownOrNone(fromDisk) +
                                 "\nfrom the object " + shownOrNone(fromObject) +
                                 "\ncontent before " + shown(content) + "\ncontent after " +
                                 shown(readWholeFileOrEmpty(path));
      require(fromDisk == expected,
              written ? "a written key reads back" : "other keys are unchanged", detail);
      require(fromObject == expected, "the written object agrees with the file", detail);
    }
  }
  return 0;
}
