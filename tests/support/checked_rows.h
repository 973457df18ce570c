#pragma once
// Rows of a search's list as the user checked them, for the copy runs of tests.

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/copy/copy_run.h"
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

// The copy's sources of rows named below `root`, as the window hands them over: a row is a
// folder where one is on disk now, and holds at most its whole kibibytes and one more.
inline std::vector<CopySource> sourcesOf(const std::vector<ResultRow>& rows,
                                         const std::string& root) {
  std::vector<CopySource> sources;
  for (const ResultRow& row : rows) {
    const std::string path = root + "/" + row.pathText;
    std::error_code error;
    const bool folder = std::filesystem::symlink_status(path, error).type() ==
                        std::filesystem::file_type::directory;
    sources.push_back({path, folder, (static_cast<std::uint64_t>(row.sizeKiB) + 1) * 1024});
  }
  return sources;
}

// The rows' check marks, read as the gathering reaches each row.
inline StillChosen checkMarksOf(const std::vector<ResultRow>& rows) {
  return [&rows](std::size_t i) { return rows[i].checked; };
}

}  // namespace nuvelo::testing
