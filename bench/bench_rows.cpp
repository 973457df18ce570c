// 100,000 found files becoming rows in the window: the time beyond the walk itself, the memory
// each row costs beyond its path text, and the longest pause of the window's events meanwhile,
// from the click on the search to the first turn of the events after the rows are painted.
// The first search starts from an empty list; each later one from the rows of the one before,
// as a user's next search does, so that clearing them counts too.
// Usage: bench-rows [FILES]   (default 100,000; runs on the offscreen platform)

#include <malloc.h>

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "bench_support.h"
#include "engine/search/folder_walk.h"
#include "gui/app/application.h"
#include "gui/dialogs/help_window.h"
#include "gui/main_window/main_window.h"
#include "gui/results/result_list_view.h"
#include "platform/qt/modal_runner.h"
#include "platform/qt/qt_desktop_shell.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_key_sink.h"
#include "tree_generator.h"

using namespace nuvelo;
using namespace nuvelo::bench;

namespace {

class SilentBoxes : public MessageBoxes {
 public:
  MessageAnswer show(MessageKind, const std::string& text, MessageButtons,
                     MessagePlacement) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return MessageAnswer::No;
  }
  bool showWithCheckBox(MessageKind, const std::string& text, const std::string&,
                        MessagePlacement) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return false;
  }
  void showApplicationError(const std::string& message) override {
    std::fprintf(stderr, "error: %s\n", message.c_str());
  }
};

// Every arena's chunks in use and the large blocks mapped on their own (a million rows' vector).
std::size_t heapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  configureApplication(app);

  const std::uint64_t files = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;
  TreeShape shape;
  shape.depth = 3;
  shape.entries = files + 1110;
  shape.newShare = 1.0;
  shape.threshold = localMidnightDaysAgo(30);
  shape.newest = localMidnightDaysAgo(-1) - 1;
  const std::string root = benchFolder() + "/rows-" + std::to_string(files);
  const TreeInfo info = ensureTree(root, shape);

  SilentBoxes boxes;
  QtDesktopShell shell({});  // properties are not shown here
  QtModalRunner dialogs;
  QtFileDialogs fileDialogs;
  QtKeySink keys;
  QtHelpViewer help;
  const std::string settingsFolder = benchFolder() + "/rows-settings";
  [[maybe_unused]] const int made = std::system(("mkdir -p '" + settingsFolder + "'").c_str());
  MainWindow form(MainWindowServices{&boxes, &shell, &dialogs, &fileDialogs, &keys, &help},
                  settingsFolder + "/NVO.ini", settingsFolder);
  form.show();
  std::tm local{};
  localtime_r(&shape.threshold, &local);
  form.sinceDatePicker->setDate(QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
  form.sourceFolderEdit->setText(QString::fromStdString(root));
  QApplication::processEvents();

  // The walk alone, as the search runs it.
  WalkFilter filter;
  filter.sourceText = root;
  filter.since = SinceThreshold::forDay(form.searchOptions().since);
  std::size_t found = 0;
  // On a thread of its own: the entries it frees are left in that thread's heap, not in the
  // window's, whose next large allocation would otherwise tidy them up during the search.
  const auto walkOnly = [&] {
    std::thread([&] { found = walkEntries(root, filter, WalkMode::Search).size(); }).join();
  };
  walkOnly();  // warms the cache
  double walkSeconds = 1e300;

  GapMeter gaps;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { gaps.tick(); });
  ticker.start(0);

  double searchSeconds = 1e300;
  std::size_t rowBytes = 0;
  form.resultModel()->clear();
  QApplication::processEvents();
  const std::size_t emptyListHeap = heapInUse();
  for (int run = 0; run < 3; ++run) {
    // The walk alone just before each search: both see the same load of the machine.
    walkSeconds = std::min(walkSeconds, bestOf(1, walkOnly));
    gaps.restart();
    const auto start = Clock::now();
    form.onSearch();  // starts the search's job; the window's events go on meanwhile
    while (form.running()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    form.resultList->viewport()->repaint();  // the rows are on screen
    searchSeconds = std::min(searchSeconds, secondsSince(start));
    QApplication::processEvents();  // the window's next turn ends the pause that went on
    if (run > 0) continue;
    std::size_t pathBytes = 0;
    for (const ResultRow& row : form.resultModel()->rows())
      if (row.pathText.capacity() > 15) pathBytes += row.pathText.capacity() + 1;
    rowBytes = heapInUse() - emptyListHeap - pathBytes;
  }
  ticker.stop();

  const auto rows = static_cast<double>(form.resultModel()->rowCount());
  std::printf("tree: %s: %llu files, all changed\n", root.c_str(),
              static_cast<unsigned long long>(info.files));
  std::printf("walk alone:           %.3f s, %zu files\n", walkSeconds, found);
  std::printf("search to shown rows: %.3f s, %.0f rows\n", searchSeconds, rows);
  std::printf("rows beyond the walk: %.3f s (target at most 1.0)\n", searchSeconds - walkSeconds);
  std::printf("memory per row beyond its path text: %.0f bytes (target at most 300)\n",
              rows > 0 ? static_cast<double>(rowBytes) / rows : 0.0);
  std::printf("longest pause of the window's events: %.1f ms (target at most 100)\n",
              gaps.longestSeconds() * 1000);
  return 0;
}
