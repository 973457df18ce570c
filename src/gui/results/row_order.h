#pragma once
// The order of the result list by a column: the comparison of two rows, and the sort of all
// rows by collation keys (one key per row, not a collator call per comparison).

#include <QCollator>
#include <cstdint>
#include <vector>

#include "engine/search/result_rows.h"
#include "platform/qtcore/file_types.h"

namespace nuvelo {

// sortColumn: 0 no order; k+1 ascending by column k; -(k+1) descending (k = 0 to 4).
// Names, types, date texts and paths compare as text in the collator's order, sizes by their
// number of kibibytes. A negative, zero or positive result.
int compareRows(const ResultRow& a, const ResultRow& b, std::int32_t sortColumn,
                const FileTypeTable& types, const QCollator& collator);

// Sorts the rows by sortColumn, keeping the order of rows that compare equal. Returns, for each
// new position, the row's old position.
std::vector<std::size_t> sortRows(std::vector<ResultRow>& rows, std::int32_t sortColumn,
                                  const FileTypeTable& types, const QCollator& collator);

// The text comparison of the list: the user's locale, letter case counting.
QCollator userCollator();

}  // namespace nuvelo
