#include "selection/folder_walk.h"

#include <algorithm>

#include "common/files.h"
#include "common/paths.h"
#include "ui/platform.h"

namespace quor {

std::u16string ListingCaption(std::int32_t count, double totalFileSize) {
  std::u16string caption = ToText(count) + u" file" + PluralS(count) + u", ";
  if (count > 1) caption += u"total ";
  caption += u"size " + FormatByteSize(static_cast<std::int64_t>(totalFileSize));
  return caption;
}

FolderWalk::FolderWalk(ui::Platform& platform, bool& moduleClosed)
    : classify(ClassifyForIndexing), platform_(platform), moduleClosed_(moduleClosed) {}

void FolderWalk::ClearFileList() {
  IndexFileList.assign(1, std::u16string());
  listed_.clear();
}

void FolderWalk::WalkTopFolder(WalkHost& host) {
  StopRequested = false;
  if (!IndexingPass) {
    IndexFileCount = 0;
    TotalFileSize = 0;
    ClearFileList();
  } else {
    // The indexing pass finds each file's entry by its full path; the entry
    // holds the type digit in front of it.
    listed_.clear();
    const auto last = std::min<std::size_t>(IndexFileList.size() - 1,
                                            static_cast<std::size_t>(std::max(IndexFileCount, 0)));
    for (std::size_t i = 1; i <= last; ++i) {
      if (IndexFileList[i].size() > 1) {
        listed_.emplace(IndexFileList[i].substr(1), static_cast<std::int32_t>(i));
      }
    }
  }
  host.WalkStarted();
  WalkFolderImpl(host, rules.topFolder, true);
  host.WalkEnded();
  if (!IndexingPass && !ListOnly && !Ended() && IndexFileCount > 0) {
    host.ShowTotals(IndexFileCount, TotalFileSize);
  }
}

void FolderWalk::WalkFolder(WalkHost& host, const std::u16string& folderPath) {
  WalkFolderImpl(host, folderPath, true);
}

void FolderWalk::ShowError(const std::u16string& description, const std::u16string& path) {
  platform_.MsgBox(description + std::u16string(kCrLf) + path, ui::MsgButtons::Ok,
                   ui::MsgIcon::Exclamation, u"Error");
  StopRequested = true;
}

void FolderWalk::WalkFolderImpl(WalkHost& host, std::u16string folderPath, bool folderNameValid) {
  folderPath = EnsureTrailingBackslash(folderPath);
  FolderListing listing;
  std::u16string error;
  if (!ReadFolder(folderPath, listing, error)) {
    ShowError(error, folderPath);
    return;
  }
  const bool skipFiles = rules.excludeTopFolderFiles && folderPath == rules.topFolder;
  if (!skipFiles) {
    for (const ListedFile& file : listing.files) {
      if (!VisitFile(host, folderPath, folderNameValid, file)) return;
      if (StopRequested) return;
    }
  }
  if (moduleClosed_) return;
  if (rules.IncludedSubfolders.empty()) return;
  for (const ListedFolder& sub : listing.subfolders) {
    const std::u16string subPath = folderPath + sub.name;
    if (!rules.IsIncludedFolder(subPath)) continue;
    WalkFolderImpl(host, subPath, folderNameValid && sub.validUtf8 && IsValidFileName(sub.name));
    if (Ended()) return;
  }
}

bool FolderWalk::VisitFile(WalkHost& host, const std::u16string& folderPath, bool folderNameValid,
                           const ListedFile& file) {
  const std::u16string fullPath = folderPath + file.name;
  // A name the index text cannot hold (double quote, control characters,
  // bytes that are not UTF-8) ends the walk; so does such a folder name on
  // the way to the file, since the relative path holds it too.
  if (!folderNameValid || !file.validUtf8 || !IsValidFileName(file.name)) {
    platform_.MsgBox(
        fullPath + std::u16string(kCrLf) + u"The file name contains an invalid character.",
        ui::MsgButtons::Ok, ui::MsgIcon::Information, u"Invalid file name");
    StopRequested = true;
    return false;
  }
  const auto nameLength = static_cast<std::int32_t>(file.name.size());
  if (nameLength > LongestNameLength) {
    LongestNameLength = nameLength;
    LongestName = file.name;
  }
  if (IndexingPass) {
    const auto found = listed_.find(fullPath);
    if (found == listed_.end()) return true;
    CurrentTypeCode = IndexFileList[static_cast<std::size_t>(found->second)][0] - u'0';
    platform_.DoEvents();
    if (Ended()) return false;
    if (!host.IndexFile(fullPath, CurrentTypeCode)) {
      if (!Ended()) StopRequested = true;
      return false;
    }
    return !Ended();
  }
  return CountFile(host, fullPath, file.size);
}

bool FolderWalk::CountFile(WalkHost& host, const std::u16string& fullPath, std::int64_t size) {
  std::u16string error;
  if (!IsAcceptedFile(fullPath, size, error)) {
    if (error.empty()) return true;
    ShowError(error, fullPath);
    return false;
  }
  platform_.DoEvents();
  if (StopRequested) return false;
  ++IndexFileCount;
  if (IndexFileCount > MaxFilesToIndex) {
    moduleClosed_ = true;
    return false;
  }
  TotalFileSize += static_cast<double>(size);
  if (ListOnly) {
    const std::u16string entry = rules.RelativePath(fullPath) + u" (" + FormatByteSize(size) + u")";
    IndexFileList.push_back(entry);
    if (!host.ListFile(ListingCaption(IndexFileCount, TotalFileSize), entry)) {
      moduleClosed_ = true;
      return false;
    }
  } else {
    if (IndexFileCount % 10 == 0 && IndexFileCount >= 50) host.ShowCountingProgress(IndexFileCount);
    IndexFileList.push_back(std::u16string(1, static_cast<char16_t>(u'0' + CurrentTypeCode)) +
                            fullPath);
  }
  return !moduleClosed_;
}

bool FolderWalk::IsAcceptedFile(const std::u16string& fullPath, std::int64_t size,
                                std::u16string& error) {
  error.clear();
  if (rules.IsExcludedFile(fullPath)) return false;
  if (rules.ContainsExcludedFragment(fullPath)) return false;
  if (!IsIndexableFile(fullPath, error)) return false;
  return rules.IsSizeAccepted(size);
}

bool FolderWalk::IsIndexableFile(const std::u16string& fullPath, std::u16string& error) {
  CurrentTypeCode = classify(fullPath, error);
  return error.empty() && CurrentTypeCode >= 1;
}

}  // namespace quor
