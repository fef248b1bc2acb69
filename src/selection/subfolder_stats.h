// The short statistic the subfolder selection shows for each direct subfolder
// of the top folder (files, subfolders, size of the first 200 files found
// below it), and the rules of the folders that are never listed nor counted:
// trash folders and the system's pseudo and recovery folders.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/messages.h"
#include "common/strings.h"
#include "selection/folder_listing.h"

namespace quor {

// The recursive size count stops after this many files; a folder holding more
// shows its size as a lower bound ("over ").
inline constexpr std::int64_t kStatisticFileLimit = 200;

enum class SpecialFolder {
  None,
  // A trash folder: ".Trash" or ".Trash-<uid>" (at the top of a mounted file
  // system) or a home's ".local/share/Trash".
  Trash,
  // "/proc", "/sys", "/dev", "/run", or "lost+found" at the root of a file
  // system.
  System,
};

// Which rule, if any, a folder falls under. folderPath is a full path (a
// trailing separator is ignored); parentIsFileSystemRoot tells whether the
// folder holding it is the root of a file system (see IsFileSystemRoot).
SpecialFolder ClassifySpecialFolder(std::u16string_view folderPath, bool parentIsFileSystemRoot);

// True for "/" and for a folder that is a mount point (its device differs
// from its parent's). False when the folder cannot be examined.
bool IsFileSystemRoot(const std::u16string& folderPath);

// Reads one folder as ReadFolder does; tests hand in one that fails.
using FolderReader =
    std::function<bool(const std::u16string& folderPath, FolderListing&, std::u16string& error)>;

struct FolderStatistic {
  // False when the folder itself could not be read ("permission denied").
  bool readable = true;
  // Files and subfolders directly in the folder, all of them.
  std::int64_t files = 0;
  std::int64_t subfolders = 0;
  // Bytes of the files found below the folder, depth-first, up to the limit.
  std::int64_t size = 0;
  // More than kStatisticFileLimit files were found: size is a lower bound.
  bool cutOff = false;

  // Nothing to index: unreadable, or no files and no subfolders.
  bool Selectable() const { return readable && (files > 0 || subfolders > 0); }
};

// Told after every folder the count reads, so a window can process events.
class FolderCountObserver {
 public:
  virtual ~FolderCountObserver() = default;
  virtual void FolderRead() {}
};

// Counts one folder: its direct files and subfolders, and the size of the
// files below it, stopping after kStatisticFileLimit files. Does not descend
// into trash or system folders, nor into folders that cannot be read. Polls
// stop after every folder; a stopped count returns what it had.
FolderStatistic CountFolder(const std::u16string& folderPath, const FolderReader& read,
                            FolderCountObserver& observer, const StopToken& stop);

// "1 file and no subfolders, 812 bytes", "12 files and 3 subfolders, over
// 1.20 Mb", "no files and no subfolders", "permission denied".
std::u16string StatisticText(const FolderStatistic& statistic);

// The names of the direct subfolders of topFolder that can be listed, sorted
// ascending by folded text: no trash or system folder, no name that is not
// UTF-8 or that a file path here cannot hold. False with the system's
// description in error when topFolder cannot be read.
[[nodiscard]] bool ListSubfolders(const std::u16string& topFolder, const FolderReader& read,
                                  TextList& names, std::u16string& error);

}  // namespace quor
