#include "engine/search/background_row_builder.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

#include "platform/path_text.h"
#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::TempFolder;

// Types by kind and by the name's first letter, so that rows out of order show.
class LetterTypes : public TypeNamer {
 public:
  std::uint16_t typeOf(std::string_view name, EntryKind kind) override {
    if (name == failOn) throw std::runtime_error("no type for " + failOn);
    return static_cast<std::uint16_t>(static_cast<int>(kind) * 256 + name.front());
  }
  std::string failOn;
};

// Entries of files and links (none of them need be there: a file's row is made from its entry)
// with sizes and times that differ from row to row.
std::vector<WalkEntry> entriesBelow(const std::string& root, std::size_t count) {
  std::vector<WalkEntry> entries;
  for (std::size_t i = 0; i < count; ++i) {
    WalkEntry entry;
    entry.path =
        root + "/d" + std::to_string(i % 7) + "/" + char('a' + i % 26) + std::to_string(i) + ".txt";
    entry.kind = i % 5 == 4 ? EntryKind::Link : EntryKind::File;
    entry.bytes = entry.kind == EntryKind::File ? static_cast<std::int64_t>(i * 1000) : 0;
    entry.modifiedSeconds = static_cast<std::int64_t>(1700000000 + i);
    entries.push_back(entry);
  }
  return entries;
}

// Everything a row holds, to compare lists of rows.
using RowFields =
    std::tuple<std::string, std::int64_t, std::int64_t, std::uint16_t, bool, bool, bool>;
std::vector<RowFields> fieldsOf(const std::vector<ResultRow>& rows) {
  std::vector<RowFields> fields;
  for (const ResultRow& r : rows)
    fields.emplace_back(r.pathText, r.sizeKiB, r.modifiedSeconds, r.type, r.checked, r.folder,
                        r.link);
  return fields;
}

struct BuildCase {
  const char* label;
  std::size_t entries;
  bool absoluteMode;
};

class BackgroundRows : public ::testing::TestWithParam<BuildCase> {};

// Whatever the number of entries against the batches they travel in, the rows and totals are
// those the rows built in one go have, in the entries' order.
TEST_P(BackgroundRows, AreTheRowsBuiltInOneGo) {
  TempFolder tree;
  const std::vector<WalkEntry> entries = entriesBelow(tree.path(), GetParam().entries);
  LetterTypes types;
  const std::vector<ResultRow> expected =
      buildResultRows(entries, GetParam().absoluteMode, tree.path(), types);

  BackgroundRowBuilder builder(GetParam().absoluteMode, tree.path(), types);
  for (const WalkEntry& entry : entries) builder.add(entry);
  const BuiltRows built = builder.finish();

  EXPECT_EQ(fieldsOf(built.rows), fieldsOf(expected));
  EXPECT_EQ(built.totals.count, countChecked(expected).count);
  EXPECT_EQ(built.totals.bytes, countChecked(expected).bytes);
}

constexpr std::size_t Batch = BackgroundRowBuilder::BatchEntries;

INSTANTIATE_TEST_SUITE_P(Counts, BackgroundRows,
                         ::testing::Values(BuildCase{"None", 0, true}, BuildCase{"One", 1, false},
                                           BuildCase{"OneBatch", Batch, true},
                                           BuildCase{"BatchesAndSomeAbsolute", 2 * Batch + 3, true},
                                           BuildCase{"BatchesAndSomeRelative", 2 * Batch + 3,
                                                     false}),
                         [](const auto& info) { return std::string(info.param.label); });

// An aborted search keeps no rows: cancelled, the builder hands none out afterwards, and one
// dropped unfinished does not wait for rows nobody takes.
TEST(BackgroundRowBuilder, CancelledItKeepsNothing) {
  TempFolder tree;
  LetterTypes types;
  BackgroundRowBuilder builder(true, tree.path(), types);
  for (const WalkEntry& entry : entriesBelow(tree.path(), 3 * Batch)) builder.add(entry);
  builder.cancel();
  const BuiltRows built = builder.finish();
  EXPECT_TRUE(built.rows.empty());
  EXPECT_EQ(built.totals.count, 0);

  BackgroundRowBuilder dropped(true, tree.path(), types);
  for (const WalkEntry& entry : entriesBelow(tree.path(), Batch + 1)) dropped.add(entry);
}

// What fails on the builder's thread fails the search on the thread that waits for the rows,
// rather than ending the program.
TEST(BackgroundRowBuilder, AFailureReachesTheThreadThatWaits) {
  TempFolder tree;
  LetterTypes types;
  const std::vector<WalkEntry> entries = entriesBelow(tree.path(), Batch + 10);
  types.failOn = std::string(lastComponent(entries[Batch + 5].path));
  BackgroundRowBuilder builder(true, tree.path(), types);
  for (const WalkEntry& entry : entries) builder.add(entry);
  EXPECT_THROW(builder.finish(), std::runtime_error);
}

}  // namespace
}  // namespace nuvelo
