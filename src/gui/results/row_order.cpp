#include "gui/results/row_order.h"

#include <QLocale>
#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "engine/search/file_date.h"

namespace nuvelo {
namespace {

QString textOf(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The date text's order without writing the text: its fields, most significant first.
std::int64_t dateOrder(const LocalTimeParts& p) {
  return ((((static_cast<std::int64_t>(p.year) * 100 + p.month) * 100 + p.day) * 100 + p.hour) *
              100 +
          p.minute) *
             100 +
         p.second;
}

int sign(std::int64_t v) {
  return (v > 0) - (v < 0);
}

int compareUnsigned(std::int32_t column, const ResultRow& a, const ResultRow& b,
                    const FileTypeTable& types, const QCollator& collator) {
  switch (column) {
    case 1:
      return sign(collator.compare(textOf(a.name()), textOf(b.name())));
    case 2:
      return sign(a.sizeKiB - b.sizeKiB);
    case 3:
      return sign(collator.compare(types.name(a.type), types.name(b.type)));
    case 4:
      return sign(dateOrder(localTimeParts(a.modifiedSeconds)) -
                  dateOrder(localTimeParts(b.modifiedSeconds)));
    case 5:
      return sign(collator.compare(textOf(a.pathText), textOf(b.pathText)));
    default:
      return 0;
  }
}

template <class Key, class Compare>
std::vector<std::size_t> orderByKeys(const std::vector<Key>& keys, bool descending,
                                     Compare compare) {
  std::vector<std::size_t> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
    const int r = compare(keys[x], keys[y]);
    return descending ? r > 0 : r < 0;
  });
  return order;
}

std::vector<std::size_t> orderOf(const std::vector<ResultRow>& rows, std::int32_t column,
                                 bool descending, const FileTypeTable& types,
                                 const QCollator& collator) {
  const auto numeric = [](std::int64_t x, std::int64_t y) { return sign(x - y); };
  const auto collated = [](const QCollatorSortKey& x, const QCollatorSortKey& y) {
    return sign(x.compare(y));
  };
  switch (column) {
    case 1:
    case 5: {
      std::vector<QCollatorSortKey> keys;
      keys.reserve(rows.size());
      for (const ResultRow& r : rows)
        keys.push_back(
            collator.sortKey(textOf(column == 1 ? r.name() : std::string_view(r.pathText))));
      return orderByKeys(keys, descending, collated);
    }
    case 3: {
      // Few types: each type's rank among the names in use.
      std::vector<std::uint16_t> used;
      for (const ResultRow& r : rows) used.push_back(r.type);
      std::sort(used.begin(), used.end());
      used.erase(std::unique(used.begin(), used.end()), used.end());
      std::stable_sort(used.begin(), used.end(), [&](std::uint16_t x, std::uint16_t y) {
        return collator.compare(types.name(x), types.name(y)) < 0;
      });
      std::vector<std::int64_t> rank(
          used.empty() ? 0 : *std::max_element(used.begin(), used.end()) + 1u);
      for (std::size_t i = 0; i < used.size(); ++i) {
        const bool tie =
            i > 0 && collator.compare(types.name(used[i - 1]), types.name(used[i])) == 0;
        rank[used[i]] = tie ? rank[used[i - 1]] : static_cast<std::int64_t>(i);
      }
      std::vector<std::int64_t> keys;
      for (const ResultRow& r : rows) keys.push_back(rank[r.type]);
      return orderByKeys(keys, descending, numeric);
    }
    case 2:
    case 4: {
      std::vector<std::int64_t> keys;
      keys.reserve(rows.size());
      LocalTimeCache times;
      for (const ResultRow& r : rows)
        keys.push_back(column == 2 ? r.sizeKiB : dateOrder(times.parts(r.modifiedSeconds)));
      return orderByKeys(keys, descending, numeric);
    }
    default: {
      std::vector<std::size_t> order(rows.size());
      std::iota(order.begin(), order.end(), 0);
      return order;
    }
  }
}

}  // namespace

int compareRows(const ResultRow& a, const ResultRow& b, std::int32_t sortColumn,
                const FileTypeTable& types, const QCollator& collator) {
  const int r = compareUnsigned(std::abs(sortColumn), a, b, types, collator);
  return sortColumn < 0 ? -r : r;
}

std::vector<std::size_t> sortRows(std::vector<ResultRow>& rows, std::int32_t sortColumn,
                                  const FileTypeTable& types, const QCollator& collator) {
  const std::vector<std::size_t> order =
      orderOf(rows, std::abs(sortColumn), sortColumn < 0, types, collator);
  std::vector<ResultRow> sorted;
  sorted.reserve(rows.size());
  for (std::size_t old : order) sorted.push_back(std::move(rows[old]));
  rows = std::move(sorted);
  return order;
}

QCollator userCollator() {
  QCollator collator(QLocale::system());
  collator.setCaseSensitivity(Qt::CaseSensitive);
  return collator;
}

}  // namespace nuvelo
