// The real program's texts are checked in Japanese, its own language, whatever the locale of
// the shell that runs the tests: the test program starts as a Japanese user's shell would, and
// the tests of other languages give the program its environment themselves.

#include <cstdlib>

namespace {

const bool japaneseUser = [] {
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  unsetenv("LANGUAGE");
  setenv("LANG", "ja_JP.UTF-8", 1);
  return true;
}();

}  // namespace
