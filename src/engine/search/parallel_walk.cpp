#include "engine/search/parallel_walk.h"

#include <sys/stat.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <thread>

#include "engine/search/descriptor_budget.h"
#include "engine/search/folder_reads.h"
#include "engine/search/walk_rules.h"
#include "platform/path_text.h"
#include "platform/posix/folder_listing.h"

namespace nuvelo {
namespace {

// Threads where each request waits for a network round trip: enough to keep a share busy, 32
// requests and more in flight even while some threads wait for a folder the client looks up
// one name at a time (each thread holds a 256 KiB stack).
constexpr unsigned RemoteWalkThreads = 64;
// Threads on a local file system, at most: each core looks entries up until the drive or the
// kernel's locks rather than the cores set the pace.
constexpr unsigned MostLocalWalkThreads = 8;
// Folders read ahead per thread: where every request waits for a network, a few keep the
// workers busy; locally a folder is read in microseconds, and a short window would let the
// workers fall asleep between folders and be woken for each one.
constexpr std::size_t RemoteReadAheadPerThread = 4;
constexpr std::size_t LocalReadAheadPerThread = 32;
constexpr std::size_t MostReadAhead = 256;
constexpr std::size_t PollEveryEntries = 1024;

bool isDotEntry(std::string_view name) {
  return name == "." || name == "..";
}

// A folder being handed out: its complete read, with the reads started for its subfolders.
struct Frame {
  std::shared_ptr<FolderRead> read;
  SharedDescriptor fd;   // closed beyond the budget, opened again on the way back
  std::size_t next = 0;  // the next entry to hand out
  std::size_t pathLength = 0;

  const std::vector<ListedEntry>& entries() const { return read->listing.entries; }
};

class ParallelWalk {
  using Counting = WalkRules::Counting;

 public:
  ParallelWalk(const WalkFilter& filter, WalkMode mode, WalkVisitor& visitor, unsigned threads,
               const WalkDescriptors& held, bool remote, bool consumerHelps)
      : rules_(filter, mode),
        visitor_(visitor),
        window_(held.readAhead),
        openFolders_(held.openFolders),
        reads_(
            consumerHelps ? threads - 1 : threads,
            [this](const ListedName& entry) { return wantsLookup(entry); }, consumerHelps, remote) {
  }

  void run(const std::string& root) {
    if (visitor_.abortRequested()) return;
    path_ = root;
    auto read = std::make_shared<FolderRead>();
    read->path = root;
    reads_.start(read, 0);
    ++pending_;
    if (!enter(read)) return;
    while (!frames_.empty()) {
      Frame& frame = frames_.back();
      if (frame.next == frame.entries().size()) {
        leave();
        continue;
      }
      handOut(frame.next++);
    }
  }

 private:
  // The same decisions as the one-thread walk, from the looked-up entries.
  void handOut(std::size_t index) {
    const ListedEntry& listed = frames_.back().entries()[index];
    visitor_.entryRead();
    if (++sincePoll_ == PollEveryEntries) {
      sincePoll_ = 0;
      visitor_.poll();
    }
    switch (kindOf(listed)) {
      case EntryKind::Folder:
        visitFolder(listed, index);
        break;
      case EntryKind::File:
      case EntryKind::Link:
        visitFile(listed);
        break;
      case EntryKind::Skipped:
        break;
    }
  }

  void visitFolder(const ListedEntry& listed, std::size_t index) {
    if (!isEnteredOrTaken(listed, path_, Counting::Counted)) return;
    const EntryLookup& lookup = listed.lookup;
    if (rules_.takesChangedFolders() && isUpdatedSince(listed, path_)) {
      take(joinPath(path_, listed.entry.name), lookup);
      return;
    }
    // The walk notices an abort where it would start on a further folder; the workers stop
    // at once, and only the folders already listed are handed out to the end.
    if (aborted_ || visitor_.abortRequested()) {
      abort();
      return;
    }
    std::shared_ptr<FolderRead> read = readOfSubfolder(index);
    if (read) enter(read);
  }

  void visitFile(const ListedEntry& listed) {
    if (rules_.skipsFileNamed(listed.entry.name, Counting::Counted)) return;
    const EntryLookup& lookup = listed.lookup;
    if (rules_.wholeFolder() ? lookup.state == EntryLookup::State::Found
                             : isUpdatedSince(listed, path_))
      take(joinPath(path_, listed.entry.name), lookup);
  }

  // A folder entry that the walk enters, or takes whole in per-folder mode; `counting` when
  // the walk hands it out, not when it reads ahead.
  bool isEnteredOrTaken(const ListedEntry& listed, std::string_view folderPath,
                        Counting counting) const {
    const std::string_view name = listed.entry.name;
    if (!rules_.entersSubfolders() || isDotEntry(name) || rules_.skipsFolderNamed(name))
      return false;
    if (rules_.leavesOutFolder(joinPath(folderPath, name), name, counting)) return false;
    const EntryLookup& lookup = listed.lookup;
    return !(rules_.hasLeftOutFolder() && lookup.state == EntryLookup::State::Found &&
             rules_.isLeftOut(lookup.device, lookup.inode));
  }

  bool isEntered(const ListedEntry& listed, std::string_view folderPath) const {
    return kindOf(listed) == EntryKind::Folder &&
           isEnteredOrTaken(listed, folderPath, Counting::Uncounted) &&
           !(rules_.takesChangedFolders() && isUpdatedSince(listed, folderPath));
  }

  bool isUpdatedSince(const ListedEntry& listed, std::string_view folderPath) const {
    const EntryLookup& lookup = listed.lookup;
    return lookup.state == EntryLookup::State::Found &&
           rules_.isUpdatedSince(folderPath, listed.entry.name, lookup.modified.tv_sec,
                                 lookup.changedSeconds);
  }

  // Which entries the workers look up: those whose look-up the walk's decisions read.
  bool wantsLookup(const ListedName& entry) const {
    if (isDotEntry(entry.name)) return false;
    const std::optional<EntryKind> kind = kindByType(entry);
    if (!kind) return true;
    switch (*kind) {
      case EntryKind::Folder:
        return rules_.entersSubfolders() &&
               (rules_.hasLeftOutFolder() || rules_.takesChangedFolders());
      case EntryKind::File:
      case EntryKind::Link:
        return !rules_.skipsFileNamed(entry.name, Counting::Uncounted);
      case EntryKind::Skipped:
        return false;
    }
    return false;
  }

  void take(std::string path, const EntryLookup& lookup) {
    visitor_.found(walkEntryOf(std::move(path), lookup.mode, lookup.bytes, lookup.modified,
                               lookup.changedSeconds));
  }

  // The read of the current folder's subfolder at `index`: the one started ahead, or one
  // started now; nothing when the folder can no longer be opened.
  std::shared_ptr<FolderRead> readOfSubfolder(std::size_t index) {
    Frame& frame = frames_.back();
    FolderRead& read = *frame.read;
    read.readAhead = std::max(read.readAhead, index + 1);
    std::deque<std::shared_ptr<FolderRead>>& started = read.subfolderReads;
    while (!started.empty() && started.front()->entryInParent < index) {
      drop(*started.front());
      started.pop_front();
    }
    if (!started.empty() && started.front()->entryInParent == index) {
      std::shared_ptr<FolderRead> subfolder = std::move(started.front());
      started.pop_front();
      return subfolder;
    }
    if (!frame.fd) return nullptr;
    return startRead(read, frame.fd, pathOf(frame), frames_.size() - 1, index);
  }

  std::string_view pathOf(const Frame& frame) const {
    return std::string_view(path_).substr(0, frame.pathLength);
  }

  std::shared_ptr<FolderRead> startRead(const FolderRead& parent, const SharedDescriptor& fd,
                                        std::string_view parentPath, std::size_t depth,
                                        std::size_t index) {
    auto read = std::make_shared<FolderRead>();
    read->name = parent.listing.entries[index].entry.name;
    read->path = joinPath(parentPath, read->name);
    read->parent = fd;
    read->entryInParent = index;
    reads_.start(read, depth + 1);
    ++pending_;
    return read;
  }

  // A started read the walk will not enter, with the reads started below it.
  void drop(FolderRead& read) {
    --pending_;
    dropSubfolderReads(read);
  }

  void dropSubfolderReads(FolderRead& read) {
    for (const std::shared_ptr<FolderRead>& subfolder : read.subfolderReads) drop(*subfolder);
    read.subfolderReads.clear();
  }

  // Waits for the folder's read and goes into it; false when it contributes nothing.
  bool enter(const std::shared_ptr<FolderRead>& read) {
    // An abort asked while a slow folder is read stops the workers at once, not only when the
    // walk would start on the next folder.
    const bool complete = reads_.await(
        *read, [this] { readAhead(); }, [this] { visitor_.poll(); },
        [this] {
          if (!aborted_ && !visitor_.abortRequested()) return false;
          abort();
          return true;
        });
    --pending_;
    if (!complete) return false;
    FolderListing& listing = read->listing;
    if (listing.unreadable) visitor_.unreadable(*listing.unreadable);
    if (!listing.listed) {
      dropSubfolderReads(*read);
      return false;
    }
    std::string().swap(read->path);  // the walk's path stands for it; deep trees hold many frames
    Frame frame;
    frame.fd = std::move(listing.fd);
    frame.read = read;
    if (!read->name.empty()) path_ = joinPath(path_, read->name);
    frame.pathLength = path_.size();
    frames_.push_back(std::move(frame));
    // Keeps the number of open descriptors bounded however deep the tree goes; as the one-thread
    // walk's directory stack, only the deepest folders keep their descriptor.
    if (frames_.size() > openFolders_ + 1) frames_[frames_.size() - 1 - openFolders_].fd.reset();
    readAhead();
    return true;
  }

  void leave() {
    Frame child = std::move(frames_.back());
    frames_.pop_back();
    dropSubfolderReads(*child.read);  // reads left after an abort
    if (frames_.empty()) return;
    Frame& frame = frames_.back();
    path_.resize(frame.pathLength);
    if (!frame.fd) reopen(frame, child);
    readAhead();
  }

  // Opens the folder again from its child's "..", or else by its names from the nearest
  // ancestor still open; a folder that moved or vanished meanwhile is finished.
  void reopen(Frame& frame, const Frame& child) {
    const FolderListing& listing = frame.read->listing;
    Descriptor fd = reopenParent(child.fd ? child.fd->get() : -1, listing.device, listing.inode);
    if (!fd.isOpen()) {
      std::size_t open = frames_.size() - 1;
      while (open > 0 && !frames_[open].fd) --open;
      if (frames_[open].fd) {
        const std::size_t from = frames_[open].pathLength;
        fd = reopenBelow(frames_[open].fd->get(),
                         std::string_view(path_).substr(from, frame.pathLength - from),
                         listing.device, listing.inode);
      }
    }
    if (fd.isOpen()) {
      frame.fd = std::make_shared<const Descriptor>(std::move(fd));
      return;
    }
    frame.next = frame.entries().size();
    dropSubfolderReads(*frame.read);
  }

  // Starts reads of the subfolders the walk will enter next, in the order it will enter them,
  // while the read-ahead window has room: below the deepest folder first, and below the
  // subfolders already read as much as beside them, so that a share keeps many requests in
  // flight even where each folder holds few subfolders.
  void readAhead() {
    if (aborted_) return;
    for (std::size_t i = frames_.size(); i-- > 0 && pending_ < window_;) {
      Frame& frame = frames_[i];
      if (!frame.fd) break;  // beyond the descriptor budget: read when the walk is back
      frame.read->readAhead = std::max(frame.read->readAhead, frame.next);
      readAheadBelow(*frame.read, frame.fd, pathOf(frame), i);
    }
  }

  void readAheadBelow(FolderRead& read, const SharedDescriptor& fd, std::string_view folderPath,
                      std::size_t depth) {
    for (const std::shared_ptr<FolderRead>& subfolder : read.subfolderReads) {
      if (pending_ >= window_) return;
      // The subfolders of a folder still being read come before those of the folders after
      // it: the window is not filled with reads the walk needs later than those.
      if (!FolderReads::isDone(*subfolder)) break;
      if (subfolder->listing.listed && subfolder->listing.fd)
        readAheadBelow(*subfolder, subfolder->listing.fd, subfolder->path, depth + 1);
    }
    const std::vector<ListedEntry>& entries = read.listing.entries;
    while (read.readAhead < entries.size() && pending_ < window_) {
      const std::size_t index = read.readAhead++;
      if (isEntered(entries[index], folderPath))
        read.subfolderReads.push_back(startRead(read, fd, folderPath, depth, index));
    }
  }

  void abort() {
    aborted_ = true;
    reads_.stop();
  }

  WalkRules rules_;
  WalkVisitor& visitor_;
  std::size_t window_;
  std::size_t openFolders_;
  std::vector<Frame> frames_;
  std::string path_;
  std::size_t pending_ = 0;  // reads started and not yet entered
  std::size_t sincePoll_ = 0;
  bool aborted_ = false;
  FolderReads reads_;  // last: its workers end before what they use goes
};

}  // namespace

unsigned automaticWalkThreads(const std::string& folder) {
  if (isOnRemoteFileSystem(folder)) return RemoteWalkThreads;
  return std::clamp(std::thread::hardware_concurrency(), 1u, MostLocalWalkThreads);
}

std::size_t readAheadFolders(unsigned threads, bool remote) {
  return std::min(MostReadAhead,
                  (remote ? RemoteReadAheadPerThread : LocalReadAheadPerThread) * threads);
}

void walkInParallel(const std::string& folder, const WalkFilter& filter, WalkMode mode,
                    WalkVisitor& visitor, unsigned threads, std::size_t descriptors) {
  // Where requests wait for a network, the consumer keeps to handing entries out and polling;
  // elsewhere it reads too, as one of the threads, so that the threads match the cores.
  const bool remote = isOnRemoteFileSystem(folder);
  const bool consumerHelps = visitor.callingThreadMayRead() && !remote;
  const WalkDescriptors held = walkDescriptors(descriptors, readAheadFolders(threads, remote));
  ParallelWalk(filter, mode, visitor, threads, held, remote, consumerHelps).run(folder);
}

}  // namespace nuvelo
