#include "engine/keys/send_keys.h"

#include <array>
#include <utility>

#include "engine/settings/profile_file.h"

namespace nuvelo {
namespace {

constexpr std::uint8_t VkShift = 0x10;
constexpr std::uint8_t VkControl = 0x11;
constexpr std::uint8_t VkMenu = 0x12;
constexpr std::uint8_t VkReturn = 0x0D;
constexpr std::uint8_t VkNumLock = 0x90;
constexpr std::uint16_t NoKey = 0xFFFF;
constexpr std::size_t NameBufferLength = 20;

constexpr std::pair<std::string_view, std::uint8_t> KeyNames[] = {
    {"BKSP", 0x08},  {"BS", 0x08},    {"BACKSPACE", 0x08}, {"BREAK", 0x03},      {"CAPSLOCK", 0x14},
    {"CLEAR", 0x0C}, {"DEL", 0x2E},   {"DELETE", 0x2E},    {"DOWN", 0x28},       {"END", 0x23},
    {"ENTER", 0x0D}, {"ESC", 0x1B},   {"ESCAPE", 0x1B},    {"F1", 0x70},         {"F10", 0x79},
    {"F11", 0x7A},   {"F12", 0x7B},   {"F13", 0x7C},       {"F14", 0x7D},        {"F15", 0x7E},
    {"F16", 0x7F},   {"F2", 0x71},    {"F3", 0x72},        {"F4", 0x73},         {"F5", 0x74},
    {"F6", 0x75},    {"F7", 0x76},    {"F8", 0x77},        {"F9", 0x78},         {"HELP", 0x2F},
    {"HOME", 0x24},  {"INS", 0x2D},   {"LEFT", 0x25},      {"NUMLOCK", 0x90},    {"PGDN", 0x22},
    {"PGUP", 0x21},  {"PRTSC", 0x2A}, {"RIGHT", 0x27},     {"SCROLLLOCK", 0x91}, {"TAB", 0x09},
    {"UP", 0x26}};
static_assert(std::size(KeyNames) == 41);

bool isExtendedKey(std::uint8_t vk) {
  return (vk >= 0x21 && vk <= 0x28) || vk == 0x2D || vk == 0x2E;
}

// Characters of the US layout that need Shift, with the key that types them.
constexpr std::pair<char, std::uint8_t> ShiftedSymbols[] = {
    {'!', '1'},  {'@', '2'},  {'#', '3'},  {'$', '4'},  {'%', '5'},  {'^', '6'},  {'&', '7'},
    {'*', '8'},  {'(', '9'},  {')', '0'},  {'_', 0xBD}, {'+', 0xBB}, {'{', 0xDB}, {'}', 0xDD},
    {'|', 0xDC}, {':', 0xBA}, {'"', 0xDE}, {'<', 0xBC}, {'>', 0xBE}, {'?', 0xBF}, {'~', 0xC0}};
constexpr std::pair<char, std::uint8_t> PlainSymbols[] = {
    {' ', 0x20},  {'-', 0xBD},  {'=', 0xBB},  {'[', 0xDB},   {']', 0xDD}, {'\\', 0xDC},
    {';', 0xBA},  {'\'', 0xDE}, {',', 0xBC},  {'.', 0xBE},   {'/', 0xBF}, {'`', 0xC0},
    {'\b', 0x08}, {'\t', 0x09}, {'\r', 0x0D}, {'\x1b', 0x1B}};

class Sender {
 public:
  Sender(bool wait, KeySink& sink) : wait_(wait), sink_(sink) {}

  // Whatever way the call ends, the modifiers it pressed are let go.
  ~Sender() {
    group_ = false;
    releaseHeldModifiers();
  }

  SentKeys send(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    if (text.empty()) return false;
    for (std::size_t i = 0; i < text.size();) {
      const char c = text[i];
      switch (c) {
        case '+':
          hold(shift_, VkShift), ++i;
          break;
        case '^':
          hold(control_, VkControl), ++i;
          break;
        case '%':
          hold(alt_, VkMenu), ++i;
          break;
        case '(':
          group_ = true, ++i;
          break;
        case ')':
          group_ = false;
          releaseHeldModifiers();
          ++i;
          break;
        case '~':
          press(VkReturn, 1, true);
          releaseHeldModifiers();
          ++i;
          break;
        case '{':
          if (const SentKeys group = braceGroup(text, i); !group || !*group) return group;
          break;
        default: {
          const std::uint16_t word = keyScan(c);
          if (word == NoKey)
            sink_.showMessage("Invalid KeyName");
          else
            pressWithShiftState(word, 1);
          releaseHeldModifiers();
          ++i;
        }
      }
    }
    releaseHeldModifiers();
    return true;
  }

 private:
  void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
    sink_.keyEvent(vk, scan, flags);
    if (wait_) sink_.drainKeyboardEvents();
  }

  void press(std::uint8_t vk, unsigned count, bool release) {
    if (vk == VkNumLock) {
      sink_.toggleNumLock();  // one toggle per press, whatever the count
      return;
    }
    const std::uint8_t scan = scanCodeOf(vk);
    const std::uint32_t extended = isExtendedKey(vk) ? KeyExtended : 0;
    for (unsigned n = 0; n < count; ++n) {
      keyEvent(vk, scan, extended);
      if (release) keyEvent(vk, scan, extended | KeyUp);
    }
  }

  void releaseModifier(std::uint8_t vk) { keyEvent(vk, scanCodeOf(vk), KeyUp); }

  void hold(bool& flag, std::uint8_t vk) {
    flag = true;
    press(vk, 1, false);
  }

  void pressWithShiftState(std::uint16_t word, unsigned count) {
    const std::uint8_t state = static_cast<std::uint8_t>(word >> 8);
    const std::uint8_t modifiers[] = {VkShift, VkControl, VkMenu};
    for (int bit = 0; bit < 3; ++bit)
      if (state & (1 << bit)) press(modifiers[bit], 1, false);
    press(static_cast<std::uint8_t>(word & 0xFF), count, true);
    for (int bit = 0; bit < 3; ++bit)
      if (state & (1 << bit)) releaseModifier(modifiers[bit]);
  }

  void releaseHeldModifiers() {
    if (group_) return;
    if (shift_) releaseModifier(VkShift);
    if (control_) releaseModifier(VkControl);
    if (alt_) releaseModifier(VkMenu);
    shift_ = control_ = alt_ = false;
  }

  // Works through a brace group starting at text[i] == '{'; false for a group never closed.
  SentKeys braceGroup(std::string_view text, std::size_t& i) {
    if (i + 1 < text.size() && text[i + 1] == '{') {  // "{{}" types "{"
      pressWithShiftState(0x01DB, 1);
      releaseHeldModifiers();
      i += 3;
      return true;
    }
    const std::size_t close = text.find('}', i + 1);
    if (close == std::string_view::npos) {
      sink_.showMessage("No Close");
      return false;
    }
    std::string name;
    for (std::size_t k = i + 1; k < close && name.size() < NameBufferLength; ++k)
      name += (text[k] >= 'a' && text[k] <= 'z') ? static_cast<char>(text[k] - 'a' + 'A') : text[k];
    i = close + 1;
    if (i < text.size() && text[i] == '}') {  // "{}}" types "}"
      pressWithShiftState(0x01DD, 1);
      releaseHeldModifiers();
      ++i;
      return true;
    }
    unsigned count = 1;
    if (const auto blank = name.find(' '); blank != std::string::npos) {
      const std::string countText = name.substr(blank + 1);
      const auto value = parseProfileInteger(countText);
      if (!value) return Unexpected(BadRepeatCount{countText});
      count = static_cast<std::uint16_t>(*value);
      name.resize(blank);
    }
    std::uint16_t word = NoKey;
    if (name.size() == 1) {
      word = keyScan(name[0]);
    } else if (const std::uint8_t vk = virtualKeyNamed(name)) {
      word = vk;
    } else {
      sink_.showMessage("Invalid Key Name");
    }
    if (word != NoKey) {
      pressWithShiftState(word, count);
      releaseHeldModifiers();
    }
    return true;
  }

  bool wait_;
  KeySink& sink_;
  bool shift_ = false, control_ = false, alt_ = false, group_ = false;
};

}  // namespace

std::uint16_t keyScan(char c) {
  if (c >= 'a' && c <= 'z') return static_cast<std::uint16_t>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<std::uint16_t>(0x100 | c);
  if (c >= '0' && c <= '9') return static_cast<std::uint16_t>(c);
  for (const auto& [symbol, vk] : PlainSymbols)
    if (symbol == c) return vk;
  for (const auto& [symbol, vk] : ShiftedSymbols)
    if (symbol == c) return static_cast<std::uint16_t>(0x100 | vk);
  if (c == '\n') return 0x20D;  // Ctrl+Enter
  if (c >= 0x01 && c <= 0x1A) return static_cast<std::uint16_t>(0x200 | ('A' + c - 1));
  return NoKey;
}

std::uint8_t scanCodeOf(std::uint8_t vk) {
  static const std::array<std::uint8_t, 256> codes = [] {
    std::array<std::uint8_t, 256> t{};
    const char* letters =
        "\x1E\x30\x2E\x20\x12\x21\x22\x23\x17\x24\x25\x26\x32\x31\x18\x19\x10\x13\x1F\x14\x16\x2F"
        "\x11\x2D\x15\x2C";
    for (int k = 0; k < 26; ++k) t['A' + k] = static_cast<std::uint8_t>(letters[k]);
    for (int k = 1; k <= 9; ++k) t['0' + k] = static_cast<std::uint8_t>(0x01 + k);
    t['0'] = 0x0B;
    const std::pair<std::uint8_t, std::uint8_t> others[] = {
        {0x03, 0x46}, {0x08, 0x0E}, {0x09, 0x0F}, {0x0C, 0x4C}, {0x0D, 0x1C}, {0x10, 0x2A},
        {0x11, 0x1D}, {0x12, 0x38}, {0x14, 0x3A}, {0x1B, 0x01}, {0x20, 0x39}, {0x21, 0x49},
        {0x22, 0x51}, {0x23, 0x4F}, {0x24, 0x47}, {0x25, 0x4B}, {0x26, 0x48}, {0x27, 0x4D},
        {0x28, 0x50}, {0x2D, 0x52}, {0x2E, 0x53}, {0x2F, 0x63}, {0x90, 0x45}, {0x91, 0x46},
        {0xBA, 0x27}, {0xBB, 0x0D}, {0xBC, 0x33}, {0xBD, 0x0C}, {0xBE, 0x34}, {0xBF, 0x35},
        {0xC0, 0x29}, {0xDB, 0x1A}, {0xDC, 0x2B}, {0xDD, 0x1B}, {0xDE, 0x28}};
    for (const auto& [vk, scan] : others) t[vk] = scan;
    for (int k = 0; k < 10; ++k) t[0x70 + k] = static_cast<std::uint8_t>(0x3B + k);  // F1-F10
    t[0x7A] = 0x57;                                                                  // F11
    t[0x7B] = 0x58;                                                                  // F12
    for (int k = 0; k < 4; ++k) t[0x7C + k] = static_cast<std::uint8_t>(0x64 + k);   // F13-F16
    return t;
  }();
  return codes[vk];
}

std::uint8_t virtualKeyNamed(std::string_view name) {
  for (const auto& [keyName, vk] : KeyNames)
    if (keyName == name) return vk;
  return 0;
}

SentKeys SendKeys(std::string_view keys, bool wait, KeySink& sink) {
  return Sender(wait, sink).send(keys);
}

}  // namespace nuvelo
