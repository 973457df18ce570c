// nuvelo-cli: the search and copy of Nuvelo without a window.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <QLocale>
#include <atomic>
#include <cerrno>
#include <iostream>

#include "cli/cli_run.h"
#include "cli/message_language.h"
#include "cli/replace_answer.h"
#include "engine/settings/settings_file.h"
#include "messages/copy_messages.h"
#include "messages/usage_text.h"
#include "platform/posix/filesystem.h"
#include "platform/posix/process_limits.h"

namespace {

std::atomic<bool> interrupted{false};
std::atomic<int> stoppingSignal{0};

void onInterrupt(int signal) {
  stoppingSignal.store(signal);
  interrupted.store(true);
}

// Ctrl+C and termination stop the run as the abort command does. No SA_RESTART: a question
// waiting for its answer gives up too.
void catchInterrupts() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

// A reader that goes away (`| head`, a closed journal) must not end a copy half done: writes
// to it fail instead, and the run goes on without that output.
void surviveClosedOutput() {
  signal(SIGPIPE, SIG_IGN);
}

// A standard stream the program was started without (`>&-`, `2>&-`) is taken by /dev/null,
// open for reading only: writes to it still fail as on a closed descriptor, and no file the
// run opens (a settings file, a file being copied) gets its number and the lines meant for it.
void holdClosedStandardStreams() {
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int held = open("/dev/null", O_RDONLY);
    if (held >= 0 && held != fd) close(held);
  }
}

// Whether the reader of standard output went away: a pipe or socket whose other end is closed.
bool outputReaderGone() {
  pollfd output{STDOUT_FILENO, 0, 0};
  return poll(&output, 1, 0) == 1 && (output.revents & (POLLERR | POLLHUP)) != 0;
}

// A line typed on the terminal after `prompt`; nothing when standard input is no terminal, or
// when no answer came: Ctrl+C while it waited, or the end of the input.
std::optional<std::string> readAnswer(const std::string& prompt) {
  if (!isatty(STDIN_FILENO)) return std::nullopt;
  std::cerr << prompt << std::flush;
  std::string answer;
  char c = 0;
  while (true) {
    // Waits in short steps, so that a Ctrl+C that came before the wait began ends it too.
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (!interrupted.load() && poll(&input, 1, 100) == 0) continue;
    const ssize_t n = interrupted.load() ? -1 : read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR && !interrupted.load()) continue;
    if (n < 0 || (n == 0 && answer.empty())) {
      std::cerr << '\n';
      return std::nullopt;
    }
    if (n == 0 || c == '\n') break;
    answer += c;
  }
  return answer;
}

std::optional<bool> askOnTerminal(const std::string& question) {
  const auto answer = readAnswer(question + " [y/N] ");
  if (!answer) return std::nullopt;
  return *answer == "y" || *answer == "Y" || *answer == "yes" || *answer == "はい";
}

// Asks until the answer is one of the letters, which the prompt explains.
std::optional<nuvelo::ReplaceChoice> askReplaceOnTerminal(const std::string& question) {
  std::cerr << question << '\n';
  while (true) {
    const auto answer = readAnswer(nuvelo::replaceChoicesText() + " [y/n/a/N/q] ");
    if (!answer) return std::nullopt;
    if (const auto choice = nuvelo::replaceChoiceOf(*answer)) return choice;
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  holdClosedStandardStreams();
  nuvelo::limitMallocArenas();
  std::ios::sync_with_stdio(false);
  nuvelo::raiseOpenFileLimit();
  // Texts and type names in Japanese, as in the window, or else in English.
  const bool japanese = nuvelo::chooseMessageLanguage();
  QLocale::setDefault(japanese ? QLocale(QLocale::Japanese, QLocale::Japan)
                               : QLocale(QLocale::English, QLocale::UnitedStates));
  catchInterrupts();
  surviveClosedOutput();

  const nuvelo::ParsedCommandLine parsed =
      nuvelo::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.options) {
    std::cerr << "nuvelo-cli: " << parsed.error << "\n" << nuvelo::moreHelpText() << '\n';
    return nuvelo::ExitStatus::BadUsage;
  }
  const bool errIsTerminal = isatty(STDERR_FILENO) != 0;
  nuvelo::CliEnvironment environment{
      std::cout,
      std::cerr,
      askOnTerminal,
      askReplaceOnTerminal,
      parsed.options->progress.value_or(errIsTerminal) && !parsed.options->quiet,
      &interrupted,
      nuvelo::resolveSettingsPath(nuvelo::executableFolder()),
      isatty(STDIN_FILENO) != 0,
      {},
      {},
      &stoppingSignal,
      errIsTerminal,
      outputReaderGone};
  return nuvelo::runCli(*parsed.options, environment);
}
