#include "engine/keys/send_keys.h"

#include <gtest/gtest.h>

#include <sstream>

namespace nuvelo {
namespace {

// Records every event as "vk/scan/flags" (hex), NumLock toggles as "NUMLOCK", messages as
// "msg:TEXT", and each drain as nothing (counted apart).
class RecordingSink : public KeySink {
 public:
  void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
    std::ostringstream e;
    e << std::hex << int(vk) << '/' << int(scan) << '/' << flags;
    events.push_back(e.str());
  }
  void drainKeyboardEvents() override { ++drains; }
  void toggleNumLock() override { events.push_back("NUMLOCK"); }
  void showMessage(const std::string& text) override { events.push_back("msg:" + text); }
  std::vector<std::string> events;
  int drains = 0;
};

using Events = std::vector<std::string>;

// Key events written short: d = down, u = up, x = extended down, X = extended up.
const std::string ShiftDown = "10/2a/0", ShiftUp = "10/2a/2", CtrlDown = "11/1d/0",
                  CtrlUp = "11/1d/2", AltDown = "12/38/0", AltUp = "12/38/2";
std::string down(const char* vkScan) {
  return std::string(vkScan) + "/0";
}
std::string up(const char* vkScan) {
  return std::string(vkScan) + "/2";
}

struct KeysCase {
  const char* name;
  const char* keys;
  Events events;
  bool result;
};

class Keys : public ::testing::TestWithParam<KeysCase> {};

TEST_P(Keys, SendExactlyTheseEvents) {
  RecordingSink sink;
  EXPECT_EQ(SendKeys(GetParam().keys, false, sink), GetParam().result) << GetParam().keys;
  EXPECT_EQ(sink.events, GetParam().events) << GetParam().keys;
}

const char* A = "41/1e";
const char* B = "42/30";
const char* C = "43/2e";

INSTANTIATE_TEST_SUITE_P(
    Texts, Keys,
    ::testing::Values(
        KeysCase{"Empty", "", {}, false},
        KeysCase{"AltDown", "%{DOWN}", {AltDown, "28/50/1", "28/50/3", AltUp}, true},
        KeysCase{"CountThree",
                 "{DOWN 3}",
                 {"28/50/1", "28/50/3", "28/50/1", "28/50/3", "28/50/1", "28/50/3"},
                 true},
        KeysCase{"CountZero", "{DOWN 0}", {}, true},
        KeysCase{"LowerCaseName", "{down}", {"28/50/1", "28/50/3"}, true},
        KeysCase{"ShiftForOneKey",
                 "+abc",
                 {ShiftDown, down(A), up(A), ShiftUp, down(B), up(B), down(C), up(C)},
                 true},
        KeysCase{"ShiftForAGroup",
                 "+(abc)",
                 {ShiftDown, down(A), up(A), down(B), up(B), down(C), up(C), ShiftUp},
                 true},
        KeysCase{"BraceLetterIsUpperCase", "{a}", {ShiftDown, down(A), up(A), ShiftUp}, true},
        KeysCase{"PlainLetter", "a", {down(A), up(A)}, true},
        KeysCase{"OpenBrace", "{{}", {ShiftDown, "db/1a/0", "db/1a/2", ShiftUp}, true},
        KeysCase{"CloseBrace", "{}}", {ShiftDown, "dd/1b/0", "dd/1b/2", ShiftUp}, true},
        KeysCase{
            "CloseBraceAfterName", "{ENTER}}", {ShiftDown, "dd/1b/0", "dd/1b/2", ShiftUp}, true},
        KeysCase{"PlusInBraces", "{+}", {ShiftDown, "bb/d/0", "bb/d/2", ShiftUp}, true},
        KeysCase{"CaretInBraces", "{^}", {ShiftDown, "36/7/0", "36/7/2", ShiftUp}, true},
        KeysCase{"PercentInBraces", "{%}", {ShiftDown, "35/6/0", "35/6/2", ShiftUp}, true},
        KeysCase{"TildeInBraces", "{~}", {ShiftDown, "c0/29/0", "c0/29/2", ShiftUp}, true},
        KeysCase{"ParenthesesInBraces",
                 "{(}{)}",
                 {ShiftDown, "39/a/0", "39/a/2", ShiftUp, ShiftDown, "30/b/0", "30/b/2", ShiftUp},
                 true},
        KeysCase{"Backspace",
                 "{BKSP}{BS}{BACKSPACE}",
                 {"8/e/0", "8/e/2", "8/e/0", "8/e/2", "8/e/0", "8/e/2"},
                 true},
        KeysCase{"UnknownName", "{FOO}", {"msg:Invalid Key Name"}, true},
        KeysCase{"EmptyName", "{}", {"msg:Invalid Key Name"}, true},
        KeysCase{"NoClose", "{DOWN", {"msg:No Close"}, false},
        KeysCase{"NumLock", "{NUMLOCK}", {"NUMLOCK"}, true},
        KeysCase{"NumLockCounted", "{NUMLOCK 5}", {"NUMLOCK"}, true},
        KeysCase{"NameCutAtTwenty", "{SCROLLLOCK1234567890123}", {"msg:Invalid Key Name"}, true},
        KeysCase{"Tilde", "~", {"d/1c/0", "d/1c/2"}, true},
        KeysCase{"CtrlEnter", "^~", {CtrlDown, "d/1c/0", "d/1c/2", CtrlUp}, true},
        KeysCase{"UntypeableCharacter", "\xE9", {"msg:Invalid KeyName"}, true},
        KeysCase{"PrintScreenKey", "{PRTSC}", {"2a/0/0", "2a/0/2"}, true},
        KeysCase{"FunctionKeys", "{F1}{F16}", {"70/3b/0", "70/3b/2", "7f/67/0", "7f/67/2"}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A call that ends early, or inside a group, still lets go of the modifiers it pressed.
TEST(KeysEndingEarly, ReleaseHeldModifiers) {
  RecordingSink noClose;
  EXPECT_EQ(SendKeys("+{DOWN", false, noClose), false);
  EXPECT_EQ(noClose.events, (Events{ShiftDown, "msg:No Close", ShiftUp}));

  RecordingSink openGroup;
  EXPECT_EQ(SendKeys("%(a", false, openGroup), true);
  EXPECT_EQ(openGroup.events, (Events{AltDown, down(A), up(A), AltUp}));

  RecordingSink badCount;
  const SentKeys sent = SendKeys("^{DOWN x}", false, badCount);
  ASSERT_FALSE(sent) << "the count is no integer";
  EXPECT_EQ(sent.error().countText, "X");  // the name is upper-cased first
  EXPECT_EQ(badCount.events, (Events{CtrlDown, CtrlUp}));
}

TEST(KeysWaitMode, DrainsAfterEveryEvent) {
  RecordingSink sink;
  SendKeys("%{DOWN}", true, sink);
  EXPECT_EQ(sink.drains, 4);
  RecordingSink quiet;
  SendKeys("%{DOWN}", false, quiet);
  EXPECT_EQ(quiet.drains, 0);
}

TEST(KeyNames, AllFortyOneNamesAndNothingElse) {
  const char* names[] = {
      "BKSP",  "BS",    "BACKSPACE",  "BREAK",  "CAPSLOCK", "CLEAR", "DEL",     "DELETE", "DOWN",
      "END",   "ENTER", "ESC",        "ESCAPE", "F1",       "F10",   "F11",     "F12",    "F13",
      "F14",   "F15",   "F16",        "F2",     "F3",       "F4",    "F5",      "F6",     "F7",
      "F8",    "F9",    "HELP",       "HOME",   "INS",      "LEFT",  "NUMLOCK", "PGDN",   "PGUP",
      "PRTSC", "RIGHT", "SCROLLLOCK", "TAB",    "UP"};
  for (const char* name : names) EXPECT_NE(virtualKeyNamed(name), 0) << name;
  EXPECT_EQ(virtualKeyNamed("PRTSC"), 0x2A);
  EXPECT_EQ(virtualKeyNamed("down"), 0);  // names are matched as written, upper case
  EXPECT_EQ(virtualKeyNamed("INSERT"), 0);
}

}  // namespace
}  // namespace nuvelo
