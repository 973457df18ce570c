// Sorting 100,000 result rows by name, by path and by size, and the second click on the same
// header, with the collation of a real locale (Japanese and English).
// Usage: bench-sort [ROWS]

#include <QLocale>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "bench_support.h"
#include "gui/results/row_order.h"

using namespace nuvelo;
using namespace nuvelo::bench;

namespace {

std::vector<ResultRow> sampleRows(std::size_t count) {
  std::mt19937_64 random(7);
  const char* words[] = {"report", "Report", "見積書", "データ", "photo", "IMG_",
                         "backup", "資料",   "notes",  "draft",  "final", "v2",
                         "2024",   "売上",   "ﾒﾓ",     "README"};
  const char* extensions[] = {".txt", ".pdf", ".jpg", ".docx", ".xlsx", ".csv", ""};
  std::vector<ResultRow> rows;
  rows.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    ResultRow r;
    r.pathText = "/home/user/Documents";
    for (int depth = static_cast<int>(random() % 4); depth >= 0; --depth)
      r.pathText += "/" + std::string(words[random() % 16]) + std::to_string(random() % 100);
    r.pathText += "/" + std::string(words[random() % 16]) + std::to_string(random() % 10000) +
                  extensions[random() % 7];
    r.sizeKiB = static_cast<std::int64_t>(random() % 5000000);
    r.modifiedSeconds = 1700000000 + static_cast<std::int64_t>(random() % 60000000);
    rows.push_back(std::move(r));
  }
  return rows;
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::size_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;
  const std::vector<ResultRow> rows = sampleRows(count);
  FileTypeTable types;
  for (const QLocale& locale : {QLocale(QLocale::Japanese, QLocale::Japan),
                                QLocale(QLocale::English, QLocale::UnitedStates)}) {
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    for (const auto& [name, column] :
         {std::pair{"name", 1}, std::pair{"path", 5}, std::pair{"size", 2}}) {
      std::vector<ResultRow> work = rows;
      const double first = bestOf(1, [&] { sortRows(work, column, types, collator); });
      const double second = bestOf(1, [&] { sortRows(work, -column, types, collator); });
      std::printf(
          "%s, %zu rows by %s: first click %.3f s, second click %.3f s (target at most 0.5)\n",
          locale.name().toStdString().c_str(), count, name, first, second);
    }
  }
  return 0;
}
