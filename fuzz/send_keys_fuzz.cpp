// The keystroke sender over any key text: no crash, a bounded number of key events, and no key
// left held down at the end, whether the text is worked through, ends early or throws.

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>

#include "engine/keys/send_keys.h"
#include "fuzz_support.h"

namespace {

using namespace nuvelo;
using namespace nuvelo::fuzz;

// The most events one input may cause: a few per character, and for each brace group at most
// the largest repeat count (a 16-bit word) of a key with all three modifiers.
std::size_t mostEventsFor(std::string_view text) {
  const auto groups = static_cast<std::size_t>(std::count(text.begin(), text.end(), '{'));
  return 8 * text.size() + groups * (2 * 0xFFFF + 6) + 8;
}

class RecordingSink : public KeySink {
 public:
  explicit RecordingSink(std::size_t mostEvents) : mostEvents_(mostEvents) {}

  void keyEvent(std::uint8_t virtualKey, std::uint8_t, std::uint32_t flags) override {
    require(++events_ <= mostEvents_, "a key text sends a bounded number of events");
    require((flags & ~(KeyExtended | KeyUp)) == 0, "key events carry only the known flags");
    if (flags & KeyUp)
      down_.erase(virtualKey);
    else
      down_.insert(virtualKey);
  }
  void drainKeyboardEvents() override { ++drains_; }
  void toggleNumLock() override {}
  void showMessage(const std::string& text) override {
    require(!text.empty(), "a message has a text");
    ++messages_;
  }

  const std::set<std::uint8_t>& keysDown() const { return down_; }
  std::size_t events() const { return events_; }
  std::size_t drains() const { return drains_; }
  std::size_t messages() const { return messages_; }

 private:
  std::size_t mostEvents_;
  std::size_t events_ = 0;
  std::size_t drains_ = 0;
  std::size_t messages_ = 0;
  std::set<std::uint8_t> down_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool wait = data[0] & 1;
  const std::string_view keys(reinterpret_cast<const char*>(data) + 1, size - 1);

  RecordingSink sink(mostEventsFor(keys));
  const SentKeys sent = SendKeys(keys, wait, sink);
  const bool badCount = !sent;
  const bool done = sent.value_or(false);
  std::string held;
  for (const auto vk : sink.keysDown()) held += std::to_string(vk) + " ";
  require(sink.keysDown().empty(), "no key is left held down",
          "keys " + shown(keys) + "\nheld " + held);
  require(!wait || sink.drains() == sink.events(), "wait mode drains after every event",
          shown(keys));
  require(badCount || done || keys.substr(0, keys.find('\0')).empty() || sink.messages() > 0,
          "a text that is not worked through says why", shown(keys));
  return 0;
}
