// The window's responsiveness while it searches and copies on a slow share: how long a
// keystroke waits, how soon the window answers its abort button, and how many files still start
// after the abort.
//
//   search: the source folder is on the share, the window's search runs;
//   copy:   the source is local, the destination on the share; the window's search of the local
//           tree runs first (not measured), then its copy onto the share.
//
// Each scenario runs twice: once to its end, once with a click on the abort button 1 s in. A
// thread beside the window stands in for the user: every 20 ms it posts a keystroke to a line
// edit of its own, stamped with the time it was typed, and 1 s into an aborted run it clicks the
// abort button. The run starts from the window's event loop and ends when the abort button is
// disabled again, so the figures hold whether the window runs its work inside the command or
// hands it to a thread of its own.
//
// Usage: bench-window-share SHARE BACKING DELAY_MS
//   SHARE is the share mounted over the local folder BACKING; BACKING/tree is the tree searched
//   and copied, BACKING/out the copy's destination (emptied before each copy). bench/window-share
//   makes the tree, mounts the share and runs this.

#include <QApplication>
#include <QDateEdit>
#include <QEventLoop>
#include <QInputDevice>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "gui/app/application.h"
#include "gui/dialogs/help_window.h"
#include "gui/main_window/main_window.h"
#include "gui/widgets/status_bar.h"
#include "platform/posix/temporary_names.h"
#include "platform/qt/modal_runner.h"
#include "platform/qt/qt_desktop_shell.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_key_sink.h"
#include "tree_generator.h"

using namespace nuvelo;
using namespace nuvelo::bench;
namespace fs = std::filesystem;

namespace {

constexpr auto KeyInterval = std::chrono::milliseconds(20);
constexpr auto AbortAfter = std::chrono::seconds(1);
constexpr double RunCapSeconds = 120;
// After the cap, how long an aborted run may take to end before the benchmark gives up.
constexpr double AbortGraceSeconds = 60;
// The share caches names and attributes for a second: each run starts once they expired.
constexpr auto ShareCacheLife = std::chrono::milliseconds(1200);

// Answers Yes to every question (room, replacement, a missing destination) and prints what it
// was shown, so that no box waits for a user.
class AgreeingBoxes : public MessageBoxes {
 public:
  MessageAnswer show(MessageKind, const std::string& text, MessageButtons,
                     MessagePlacement) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return MessageAnswer::Yes;
  }
  bool showWithCheckBox(MessageKind, const std::string& text, const std::string&,
                        MessagePlacement) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return true;  // no more failure boxes in this run
  }
  void showApplicationError(const std::string& message) override {
    std::fprintf(stderr, "error: %s\n", message.c_str());
  }
};

// Closes the program's own dialogs at once instead of waiting for a user.
class ClosingDialogs : public ModalRunner {
 public:
  int run(QDialog&) override { return QDialog::Rejected; }
};

// A keystroke that carries the time it was typed.
class StampedKey : public QKeyEvent {
 public:
  explicit StampedKey(Clock::time_point typed)
      : QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")),
        typed_(typed) {}
  Clock::time_point typed() const { return typed_; }

 private:
  Clock::time_point typed_;
};

struct KeyWait {
  Clock::time_point typed;
  double seconds = 0;  // until the line edit got it
};

// Records how long each stamped keystroke waited before the line edit got it.
class KeyDelays : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::KeyPress)
      if (const auto* key = dynamic_cast<StampedKey*>(event))
        waits_.push_back({key->typed(), secondsSince(key->typed())});
    return false;
  }
  void clear() { waits_.clear(); }
  const std::vector<KeyWait>& waits() const { return waits_; }

 private:
  std::vector<KeyWait> waits_;
};

// The destination's entries: finished copies and the copier's temporary files.
struct DestinationCount {
  std::size_t copied = 0;
  std::size_t temporary = 0;
};

DestinationCount countDestination(const std::string& folder) {
  DestinationCount count;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    if (isTemporaryName(it->path().filename().string()))
      ++count.temporary;
    else
      ++count.copied;
  }
  return count;
}

// The user beside the window: types into the probe every 20 ms and, when asked, clicks the
// abort button once the run has gone on for a second.
class User {
 public:
  User(QLineEdit& probe, QPushButton& abortButton) : probe_(probe), abortButton_(abortButton) {}
  ~User() { stop(); }

  // Starts typing now; with `abortAt`, clicks the abort button then and calls `atAbort` on this
  // thread right after the click was posted.
  void start(std::optional<Clock::time_point> abortAt, std::function<void()> atAbort) {
    stopping_ = false;
    abortPosted_ = false;
    thread_ = std::thread([this, abortAt, atAbort] { act(abortAt, atAbort); });
  }
  void stop() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }
  bool abortPosted() const { return abortPosted_; }
  Clock::time_point abortTime() const { return abortTime_; }

 private:
  void act(std::optional<Clock::time_point> abortAt, const std::function<void()>& atAbort) {
    auto next = Clock::now();
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      const auto now = Clock::now();
      if (abortAt && !abortPosted_ && now >= *abortAt) {
        abortTime_ = now;
        QMetaObject::invokeMethod(&abortButton_, "click", Qt::QueuedConnection);
        abortPosted_ = true;
        if (atAbort) atAbort();
      }
      if (now >= next) {
        QCoreApplication::postEvent(&probe_, new StampedKey(now));
        next += KeyInterval;
      }
      auto wakeAt = next;
      if (abortAt && !abortPosted_) wakeAt = std::min(wakeAt, *abortAt);
      wake_.wait_until(lock, wakeAt, [this] { return stopping_; });
    }
  }

  QLineEdit& probe_;
  QPushButton& abortButton_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::atomic<bool> abortPosted_{false};
  Clock::time_point abortTime_;
};

struct RunFigures {
  bool finished = false;  // became idle within the cap
  Clock::time_point start;
  double seconds = 0;  // from the start to idle (or to the cap)
  std::vector<KeyWait> keyWaits;
  // Aborted runs only.
  bool aborted = false;  // the abort was clicked while the run went on
  std::optional<double> statusChangedAfter;
  std::optional<double> idleAfter;
  DestinationCount atAbort;
  DestinationCount atEnd;
};

// Starts `command` from the window's event loop and turns it until the window is idle again,
// the user typing meanwhile; with `abort`, the user clicks the abort button 1 s in.
class RunWatcher {
 public:
  RunWatcher(MainWindow& form, QLineEdit& probe, KeyDelays& keys)
      : form_(form), probe_(probe), keys_(keys) {}

  RunFigures run(const std::function<void()>& command, const QString& runningText, bool abort,
                 const std::string& destination = {}) {
    RunFigures figures;
    probe_.clear();
    keys_.clear();
    User user(probe_, *form_.abortButton);
    bool seenBusy = false;
    bool ended = false;
    bool capped = false;
    Clock::time_point start;
    QEventLoop loop;

    const auto end = [&] {
      if (ended) return;
      ended = true;
      figures.seconds = secondsSince(start);
      user.stop();
      loop.quit();
    };
    const auto checkStatus = [&] {
      if (!user.abortPosted() || figures.statusChangedAfter) return;
      if (form_.statusPanels->panelText(1) != runningText)
        figures.statusChangedAfter = secondsSince(user.abortTime());
    };
    const auto endIdle = [&] {
      checkStatus();
      figures.finished = !capped;
      if (user.abortPosted()) figures.idleAfter = secondsSince(user.abortTime());
      end();
    };
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (ended) return;
      checkStatus();
      const bool busy = form_.abortButton->isEnabled();
      if (busy) seenBusy = true;
      if (seenBusy && !busy) return endIdle();
      const double elapsed = secondsSince(start);
      if (!capped && elapsed > RunCapSeconds) {
        capped = true;
        std::printf("  did not finish within %.0f s: aborted\n", RunCapSeconds);
        std::fflush(stdout);
        form_.abortButton->click();
      } else if (capped && elapsed > RunCapSeconds + AbortGraceSeconds) {
        std::printf("  did not become idle within %.0f s of the abort: giving up\n",
                    AbortGraceSeconds);
        std::fflush(stdout);
        std::_Exit(2);  // the wrapper unmounts the share
      }
    });

    QTimer::singleShot(0, [&] {
      start = Clock::now();
      std::optional<Clock::time_point> abortAt;
      if (abort) abortAt = start + AbortAfter;
      user.start(abortAt, [&] {
        if (!destination.empty()) figures.atAbort = countDestination(destination);
      });
      poll.start();
      command();
      // A window that ran the whole run inside the command is idle again by now; one that hands
      // the run to a thread is busy until the poll sees it end.
      if (form_.abortButton->isEnabled())
        seenBusy = true;
      else
        endIdle();
    });
    loop.exec();
    poll.stop();
    // Keystrokes typed before the end and still queued count too.
    QCoreApplication::processEvents();
    figures.aborted = user.abortPosted();
    figures.start = start;
    figures.keyWaits = keys_.waits();
    if (!destination.empty()) figures.atEnd = countDestination(destination);
    return figures;
  }

 private:
  MainWindow& form_;
  QLineEdit& probe_;
  KeyDelays& keys_;
};

double percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(values.size())));
  return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

std::string milliseconds(const std::optional<double>& seconds) {
  if (!seconds) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", *seconds * 1000);
  return text;
}

void printRow(const char* name, const RunFigures& f, bool copy) {
  std::vector<double> delays;
  KeyWait longest;
  for (const KeyWait& wait : f.keyWaits) {
    delays.push_back(wait.seconds);
    if (wait.seconds > longest.seconds) longest = wait;
  }
  const double longestAt =
      f.keyWaits.empty() ? 0 : std::chrono::duration<double>(longest.typed - f.start).count();
  std::string startedAfter = "-";
  if (copy && f.aborted) {
    const long before = static_cast<long>(f.atAbort.copied + f.atAbort.temporary);
    const long after = static_cast<long>(f.atEnd.copied + f.atEnd.temporary);
    startedAfter = std::to_string(std::max(0L, after - before));
  }
  std::printf("%-20s %8.2f%s %5zu %8.1f %6.2f %8.1f %9s %9s %8s\n", name, f.seconds,
              f.finished ? " " : "*", f.keyWaits.size(), longest.seconds * 1000, longestAt,
              percentile(delays, 0.99) * 1000, milliseconds(f.statusChangedAfter).c_str(),
              milliseconds(f.idleAfter).c_str(), startedAfter.c_str());
}

void printNotes(const RunFigures& abortedSearch, const RunFigures& fullCopy,
                const RunFigures& abortedCopy) {
  if (!abortedSearch.aborted) std::printf("search, aborted: the run ended before the abort\n");
  std::printf("copy onto the share: %zu files at the destination at the end\n",
              fullCopy.atEnd.copied);
  if (!abortedCopy.aborted) {
    std::printf("copy, aborted: the run ended before the abort\n");
    return;
  }
  std::printf(
      "copy, aborted: at the abort %zu copied and %zu temporary files at the destination, at "
      "the end %zu copied and %zu temporary\n",
      abortedCopy.atAbort.copied, abortedCopy.atAbort.temporary, abortedCopy.atEnd.copied,
      abortedCopy.atEnd.temporary);
}

void emptyFolder(const std::string& folder) {
  std::error_code error;
  fs::remove_all(folder, error);
  fs::create_directories(folder);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 4) {
    std::printf(
        "bench-window-share: needs a share mounted over a local folder; bench/window-share "
        "BUILD DELAY_MS runs it\n");
    return 0;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  configureApplication(app);
  const std::string share = argv[1], backing = argv[2], delayMs = argv[3];
  const std::string sharedTree = share + "/tree", localTree = backing + "/tree";
  const std::string destination = share + "/out", destinationBacking = backing + "/out";

  AgreeingBoxes boxes;
  QtDesktopShell shell({});
  ClosingDialogs dialogs;
  QtFileDialogs fileDialogs;
  QtKeySink keySink;
  QtHelpViewer help;
  const std::string settingsFolder = benchFolder() + "/window-share-settings";
  emptyFolder(settingsFolder);  // no recent folders, job state or copy date from a run before
  MainWindow form(MainWindowServices{&boxes, &shell, &dialogs, &fileDialogs, &keySink, &help},
                  settingsFolder + "/NVO.ini", settingsFolder);
  form.show();
  DetailOptions detail = form.detailOptions();
  detail.copy.dirAbs = false;  // the destination rebuilds the folders below the source
  detail.copy.overwrite = OverwriteAlways;
  detail.copy.keepReplaced = false;
  detail.showCopyNotice = false;
  form.setDetailOptions(detail);
  std::tm local{};
  const std::time_t since = localMidnightDaysAgo(30);
  localtime_r(&since, &local);
  form.sinceDatePicker->setDate(QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
  form.destinationFolderEdit->setText(QString::fromStdString(destination));

  // Made here: a key event's first construction makes the keyboard device, a child of the
  // application, which cannot be made on the typing thread.
  QInputDevice::primaryKeyboard();
  QLineEdit probe;
  probe.setWindowTitle(QStringLiteral("probe"));
  probe.show();
  KeyDelays keys;
  probe.installEventFilter(&keys);
  QApplication::processEvents();

  RunWatcher watcher(form, probe, keys);
  const QString searching = QStringLiteral("検索中です"), copying = QStringLiteral("コピー中です");
  const auto search = [&](const std::string& source, bool abort) {
    form.sourceFolderEdit->setText(QString::fromStdString(source));
    std::this_thread::sleep_for(ShareCacheLife);
    return watcher.run([&] { form.onSearch(); }, searching, abort);
  };
  const auto copy = [&](bool abort) {
    search(localTree, false);
    emptyFolder(destinationBacking);
    std::this_thread::sleep_for(ShareCacheLife);
    return watcher.run([&] { form.onCopy(); }, copying, abort, destinationBacking);
  };

  std::printf("share: nuvelo-slow-share, %s ms a request, 64 requests at once\n", delayMs.c_str());
  std::printf("tree: 301 files of 2 to 6 KiB in 6 folders\n");
  std::printf("a keystroke every 20 ms; the abort clicked 1 s into the run\n\n");
  const char* header = "%-20s %9s %5s %8s %6s %8s %9s %9s %8s\n";
  std::printf(header, "run", "run (s)", "keys", "key max", "at (s)", "key p99", "status", "idle",
              "started");
  std::printf(header, "", "", "", "(ms)", "", "(ms)", "after", "after", "after");
  std::printf(header, "", "", "", "", "", "", "(ms)", "(ms)", "");
  std::fflush(stdout);
  printRow("search on the share", search(sharedTree, false), false);
  const RunFigures abortedSearch = search(sharedTree, true);
  printRow("search, aborted", abortedSearch, false);
  const RunFigures fullCopy = copy(false);
  printRow("copy onto the share", fullCopy, true);
  const RunFigures abortedCopy = copy(true);
  printRow("copy, aborted", abortedCopy, true);
  std::printf("\n");
  printNotes(abortedSearch, fullCopy, abortedCopy);
  std::printf("at: when the keystroke that waited longest was typed, from the start of the run\n");
  std::printf(
      "status after, idle after: from the click on the abort button until the status bar no\n"
      "  longer says the run goes on, and until the window is idle\n");
  std::printf(
      "started after: files copied or begun (temporary files .nuvelo-<16 hex digits>.tmp) at the\n"
      "  end beyond those at the abort\n");
  std::printf("*: did not finish within %.0f s\n", RunCapSeconds);
  std::printf(
      "targets: a keystroke within 100 ms at any point; the status says the run stops at once\n"
      "  after the abort; at 20 ms a request idle within 1 s of the abort; no new file starts\n"
      "  after the abort\n");
  return 0;
}
