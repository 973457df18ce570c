#pragma once
// Result rows: what each found file or folder shows in the result list, and the totals of the
// checked rows.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/search/folder_walk.h"
#include "platform/type_names.h"

namespace nuvelo {

// One row. The path column's text is the only string; the name, the size text and the date
// text are derived from it and from the numbers when shown.
struct ResultRow {
  std::string pathText;      // absolute long path, or the part below the source folder
  std::int64_t sizeKiB = 0;  // whole kibibytes (a folder: its whole tree)
  std::int64_t modifiedSeconds = 0;
  std::uint16_t type = 0;  // index into the type table of the list
  bool checked = true;
  bool folder = false;
  bool link = false;  // a symbolic link, shown and copied as the link itself

  std::string_view name() const;  // the last component of the path
};

// Builds rows one at a time, as the walk's entries arrive, with what their look-ups told. With
// absoluteMode the path column holds the long path; otherwise the long path below the long
// form of `root`, which is looked up once, when the builder is made.
class ResultRowBuilder {
 public:
  ResultRowBuilder(bool absoluteMode, std::string root, TypeNamer& types);
  ResultRow rowOf(const WalkEntry& entry, const std::function<void()>& poll = {}) const;
  // The same into a row used again and again: its path text keeps its room, so that rows
  // streamed one after another cost no allocation. Returns the exact size the row's kibibytes
  // come from (a folder's: the files of its tree, summed once).
  std::uint64_t fill(ResultRow& row, const WalkEntry& entry,
                     const std::function<void()>& poll = {}) const;

 private:
  bool absoluteMode_;
  std::string root_;
  std::string longRoot_;
  TypeNamer& types_;
};

// The rows for the walk's entries, in their order (ResultRowBuilder's).
std::vector<ResultRow> buildResultRows(const std::vector<WalkEntry>& entries, bool absoluteMode,
                                       const std::string& root, TypeNamer& types,
                                       const std::function<void()>& poll = {});

// The entries of paths known only by name, each looked up (a symbolic link as itself); a path
// that no longer names a file, a folder or a link is left out.
std::vector<WalkEntry> walkEntriesOf(const std::vector<std::string>& paths);

// The path with every component spelled as stored on disk; a component that cannot be found
// leaves the rest unchanged.
std::string longPathOf(const std::string& path);

// The byte total of the regular files in a folder tree (symbolic links count nothing, as a
// copy takes the link, not what it points to); folders whose names begin with "." are not
// entered. Walked by the search's walk, with `threads` as a walk filter takes them.
std::uint64_t folderByteSize(const std::string& folder, const std::function<void()>& poll = {},
                             unsigned threads = 0);

// The file or folder a row stands for.
std::string rowFullPath(const ResultRow& row, bool absoluteMode, const std::string& searchRoot);

// "15KB": whole kibibytes and "KB".
std::string sizeText(std::int64_t kib);

struct Totals {
  std::int32_t count = 0;
  double bytes = 0;  // the checked rows' kibibytes times 1024
};
Totals countChecked(const std::vector<ResultRow>& rows);
bool anyRowChecked(const std::vector<ResultRow>& rows);

}  // namespace nuvelo
