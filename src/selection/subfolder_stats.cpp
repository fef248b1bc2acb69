#include "selection/subfolder_stats.h"

#include <sys/stat.h>

#include <vector>

#include "common/encoding.h"
#include "common/files.h"
#include "common/paths.h"

namespace quor {

namespace {

std::u16string_view WithoutTrailingSeparators(std::u16string_view path) {
  while (path.size() > 1 && path.back() == kPathSeparator) path.remove_suffix(1);
  return path;
}

// ".Trash" or ".Trash-" followed by digits (a user id).
bool IsTrashName(std::u16string_view name) {
  constexpr std::u16string_view kTrash = u".Trash";
  if (!name.starts_with(kTrash)) return false;
  name.remove_prefix(kTrash.size());
  if (name.empty()) return true;
  if (name.front() != u'-' || name.size() == 1) return false;
  for (char16_t ch : name.substr(1)) {
    if (ch < u'0' || ch > u'9') return false;
  }
  return true;
}

// The files of one folder go into the statistic until the limit is passed.
// False once it is passed.
bool AddFiles(const FolderListing& listing, FolderStatistic& statistic, std::int64_t& counted) {
  for (const ListedFile& file : listing.files) {
    if (counted == kStatisticFileLimit) {
      statistic.cutOff = true;
      return false;
    }
    ++counted;
    statistic.size += file.size;
  }
  return true;
}

std::u16string CountText(std::int64_t n, std::u16string_view one, std::u16string_view several) {
  if (n == 0) return u"no " + std::u16string(several);
  if (n == 1) return u"1 " + std::u16string(one);
  return GroupDigits(n) + u" " + std::u16string(several);
}

}  // namespace

SpecialFolder ClassifySpecialFolder(std::u16string_view folderPath, bool parentIsFileSystemRoot) {
  const std::u16string_view path = WithoutTrailingSeparators(folderPath);
  const std::size_t cut = path.rfind(kPathSeparator);
  const std::u16string_view name = cut == std::u16string_view::npos ? path : path.substr(cut + 1);
  if (IsTrashName(name) || path.ends_with(u"/.local/share/Trash")) return SpecialFolder::Trash;
  for (std::u16string_view system : {u"/proc", u"/sys", u"/dev", u"/run"}) {
    if (path == system) return SpecialFolder::System;
  }
  if (name == u"lost+found" && parentIsFileSystemRoot) return SpecialFolder::System;
  return SpecialFolder::None;
}

bool IsFileSystemRoot(const std::u16string& folderPath) {
  const std::u16string_view path = WithoutTrailingSeparators(folderPath);
  if (path == u"/") return true;
  struct stat own {};
  struct stat parent {};
  const std::string bytes = TextToUtf8(path);
  if (::stat(bytes.c_str(), &own) != 0) return false;
  if (::stat((bytes + "/..").c_str(), &parent) != 0) return false;
  return own.st_dev != parent.st_dev || own.st_ino == parent.st_ino;
}

FolderStatistic CountFolder(const std::u16string& folderPath, const FolderReader& read,
                            FolderCountObserver& observer, const StopToken& stop) {
  FolderStatistic statistic;
  FolderListing listing;
  std::u16string error;
  const bool opened = read(folderPath, listing, error);
  observer.FolderRead();
  if (!opened) {
    statistic.readable = false;
    return statistic;
  }
  statistic.files = static_cast<std::int64_t>(listing.files.size());
  statistic.subfolders = static_cast<std::int64_t>(listing.subfolders.size());

  // Depth-first, files before subfolders, on a stack of its own so a deep
  // tree cannot exhaust the call stack.
  std::int64_t counted = 0;
  std::vector<std::u16string> pending;
  for (;;) {
    if (!AddFiles(listing, statistic, counted)) break;
    const std::u16string folder =
        EnsureTrailingBackslash(pending.empty() ? folderPath : pending.back());
    if (!pending.empty()) pending.pop_back();
    const bool folderIsRoot = !listing.subfolders.empty() && IsFileSystemRoot(folder);
    for (auto it = listing.subfolders.rbegin(); it != listing.subfolders.rend(); ++it) {
      if (!it->validUtf8) continue;
      std::u16string sub = folder + it->name;
      if (ClassifySpecialFolder(sub, folderIsRoot) != SpecialFolder::None) continue;
      pending.push_back(std::move(sub));
    }
    // A folder below that cannot be read adds nothing; the count goes on.
    bool next = false;
    while (!pending.empty() && !stop.StopRequested()) {
      const bool ok = read(pending.back(), listing, error);
      observer.FolderRead();
      if (ok) {
        next = true;
        break;
      }
      pending.pop_back();
    }
    if (!next) break;
  }
  return statistic;
}

std::u16string StatisticText(const FolderStatistic& statistic) {
  if (!statistic.readable) return u"permission denied";
  std::u16string text = CountText(statistic.files, u"file", u"files") + u" and " +
                        CountText(statistic.subfolders, u"subfolder", u"subfolders");
  if (statistic.files == 0 && statistic.subfolders == 0) return text;
  text += u", ";
  if (statistic.cutOff) text += u"over ";
  return text + FormatTotalSize(static_cast<double>(statistic.size), 2);
}

bool ListSubfolders(const std::u16string& topFolder, const FolderReader& read, TextList& names,
                    std::u16string& error) {
  names.clear();
  FolderListing listing;
  if (!read(topFolder, listing, error)) return false;
  const std::u16string top = EnsureTrailingBackslash(topFolder);
  const bool topIsRoot = !listing.subfolders.empty() && IsFileSystemRoot(top);
  for (const ListedFolder& folder : listing.subfolders) {
    if (!folder.validUtf8 || !IsValidFileName(folder.name)) continue;
    if (ClassifySpecialFolder(top + folder.name, topIsRoot) != SpecialFolder::None) continue;
    names.push_back(folder.name);
  }
  if (!names.empty()) SortStrings(names, 0, static_cast<int>(names.size()) - 1, true);
  return true;
}

}  // namespace quor
