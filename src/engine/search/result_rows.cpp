#include "engine/search/result_rows.h"

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "platform/ascii_text.h"
#include "platform/path_text.h"
#include "platform/posix/filesystem.h"
#include "platform/posix/path_walk.h"

namespace nuvelo {
namespace {

constexpr std::size_t PollEveryRows = 256;

// The spelling under which the folder `fd` stores `name`: the name itself when it is there,
// else an entry equal to it but for letter case (as on case-insensitive file systems).
std::string storedSpelling(int fd, const std::string& name) {
  const int listing = dup(fd);
  DIR* dir = listing >= 0 ? fdopendir(listing) : nullptr;
  if (!dir) {
    if (listing >= 0) close(listing);
    return name;
  }
  std::string match = name;
  bool caseMatchFound = false;
  while (const dirent* entry = readdir(dir)) {
    if (name == entry->d_name) {
      match = name;
      break;
    }
    if (!caseMatchFound && equalsIgnoringAsciiCase(name, entry->d_name)) {
      match = entry->d_name;
      caseMatchFound = true;
    }
  }
  closedir(dir);
  return match;
}

std::string relativePathText(const std::string& longPath, const std::string& longRoot,
                             const std::string& root) {
  const std::size_t cut = longRoot.size() + (longRoot.empty() || longRoot.back() == '/' ? 0 : 1);
  if (longPath.compare(0, longRoot.size(), longRoot) == 0 && longPath.size() >= cut)
    return longPath.substr(cut);
  return longPath.size() > root.size() ? longPath.substr(root.size() + 1) : std::string();
}

}  // namespace

std::string_view ResultRow::name() const {
  return lastComponent(pathText);
}

std::string longPathOf(const std::string& path) {
  if (path.empty()) return path;
  const std::string r = withoutTrailingSeparator(path);
  struct stat st {};
  if (r == "/" || !lookUpEntry(r, st, false)) return r;

  const bool absolute = r.front() == '/';
  const auto lastSlash = r.rfind('/');
  const std::string_view folders = lastSlash == std::string::npos
                                       ? std::string_view()
                                       : std::string_view(r).substr(0, lastSlash);
  const Descriptor start(open(absolute ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  std::string spelled = absolute ? "/" : "";
  const auto append = [&spelled](const std::string& stored) {
    if (!spelled.empty() && spelled.back() != '/') spelled += '/';
    spelled += stored;
  };
  if (!start.isOpen()) return r;
  const Result<Descriptor> folder = openComponents(
      start.get(), folders, [&](int parent, const std::string& name, std::string_view) {
        const std::string stored = storedSpelling(parent, name);
        append(stored);
        return openFolderAt(parent, stored);
      });
  if (!folder) return r;  // a folder that could not be opened: as it was
  append(storedSpelling(folder->get(), std::string(lastComponent(r))));
  return spelled;
}

namespace {

// Sums the sizes the walk hands out, letting events through meanwhile.
class SizeSum : public WalkVisitor {
 public:
  explicit SizeSum(const std::function<void()>& poll) : poll_(poll) {}
  void found(WalkEntry entry) override { total += static_cast<std::uint64_t>(entry.bytes); }
  void poll() override {
    if (poll_) poll_();
  }
  std::uint64_t total = 0;

 private:
  const std::function<void()>& poll_;
};

}  // namespace

std::uint64_t folderByteSize(const std::string& folder, const std::function<void()>& poll,
                             unsigned threads) {
  WalkFilter everything;
  everything.threads = threads;
  SizeSum sum(poll);
  walkFolder(withoutTrailingSeparator(folder), everything, WalkMode::FolderSize, sum);
  return sum.total;
}

std::vector<WalkEntry> walkEntriesOf(const std::vector<std::string>& paths) {
  std::vector<WalkEntry> entries;
  entries.reserve(paths.size());
  for (const std::string& path : paths) {
    struct stat st {};
    if (!lookUpEntry(path, st, false)) continue;
    const EntryKind kind = S_ISREG(st.st_mode)   ? EntryKind::File
                           : S_ISDIR(st.st_mode) ? EntryKind::Folder
                           : S_ISLNK(st.st_mode) ? EntryKind::Link
                                                 : EntryKind::Skipped;
    if (kind == EntryKind::Skipped) continue;
    entries.push_back({path, kind,
                       kind == EntryKind::File ? static_cast<std::int64_t>(st.st_size) : 0,
                       st.st_mtim.tv_sec});
  }
  return entries;
}

ResultRowBuilder::ResultRowBuilder(bool absoluteMode, std::string root, TypeNamer& types)
    : absoluteMode_(absoluteMode),
      root_(std::move(root)),
      longRoot_(longPathOf(root_)),
      types_(types) {}

ResultRow ResultRowBuilder::rowOf(const WalkEntry& entry, const std::function<void()>& poll) const {
  ResultRow row;
  fill(row, entry, poll);
  return row;
}

std::uint64_t ResultRowBuilder::fill(ResultRow& row, const WalkEntry& entry,
                                     const std::function<void()>& poll) const {
  const std::string& path = entry.path;
  // Names below the source folder come from the folder listings, so they are spelled as
  // stored; only the source folder's own spelling needs looking up. The long path is then the
  // source folder's long form followed by the rest of the path, and the row's text is cut from
  // that without building it.
  const bool belowRoot = path.compare(0, root_.size(), root_) == 0;
  const std::string_view rest = std::string_view(path).substr(belowRoot ? root_.size() : 0);
  const bool rootEndsWithSeparator = longRoot_.empty() || longRoot_.back() == '/';
  if (belowRoot && !rest.empty() && (rest.front() == '/' || rootEndsWithSeparator)) {
    if (absoluteMode_) {
      row.pathText.assign(longRoot_);
      row.pathText.append(rest);
    } else {
      row.pathText.assign(rest.substr(rootEndsWithSeparator ? 0 : 1));
    }
    row.type = types_.typeOf(lastComponent(rest), entry.kind);
  } else {
    const std::string longPath = belowRoot ? longRoot_ + std::string(rest) : longPathOf(path);
    row.pathText = absoluteMode_ ? longPath : relativePathText(longPath, longRoot_, root_);
    row.type = types_.typeOf(lastComponent(longPath), entry.kind);
  }
  row.checked = true;
  row.folder = entry.kind == EntryKind::Folder;
  row.link = entry.kind == EntryKind::Link;
  const std::uint64_t bytes =
      row.folder ? folderByteSize(path, poll) : static_cast<std::uint64_t>(entry.bytes);
  row.sizeKiB = static_cast<std::int64_t>(bytes / 1024);
  row.modifiedSeconds = entry.modifiedSeconds;
  return bytes;
}

std::vector<ResultRow> buildResultRows(const std::vector<WalkEntry>& entries, bool absoluteMode,
                                       const std::string& root, TypeNamer& types,
                                       const std::function<void()>& poll) {
  std::vector<ResultRow> rows;
  rows.reserve(entries.size());
  const ResultRowBuilder builder(absoluteMode, root, types);
  std::size_t sincePoll = 0;
  for (const WalkEntry& entry : entries) {
    if (poll && ++sincePoll == PollEveryRows) {
      sincePoll = 0;
      poll();
    }
    rows.push_back(builder.rowOf(entry, poll));
  }
  return rows;
}

std::string rowFullPath(const ResultRow& row, bool absoluteMode, const std::string& searchRoot) {
  return absoluteMode ? row.pathText : joinPath(searchRoot, row.pathText);
}

std::string sizeText(std::int64_t kib) {
  return std::to_string(kib) + "KB";
}

Totals countChecked(const std::vector<ResultRow>& rows) {
  Totals totals;
  std::int64_t kib = 0;
  for (const ResultRow& row : rows) {
    if (!row.checked) continue;
    kib += row.sizeKiB;
    ++totals.count;
  }
  totals.bytes = static_cast<double>(kib) * 1024.0;
  return totals;
}

bool anyRowChecked(const std::vector<ResultRow>& rows) {
  return std::any_of(rows.begin(), rows.end(), [](const ResultRow& r) { return r.checked; });
}

}  // namespace nuvelo
