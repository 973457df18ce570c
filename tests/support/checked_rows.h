#pragma once
// Rows of a search's list as the user checked them, for the copy runs of tests.

#include <initializer_list>
#include <vector>

#include "engine/search/result_rows.h"

namespace nuvelo::testing {

// Rows named below the source folder, checked, in the given order (a folder's row stands for
// every file below it).
inline std::vector<ResultRow> checkedRows(std::initializer_list<const char*> names) {
  std::vector<ResultRow> rows;
  for (const char* name : names) {
    ResultRow row;
    row.pathText = name;
    rows.push_back(row);
  }
  return rows;
}

}  // namespace nuvelo::testing
