#include "selection/folder_walk.h"

#include <algorithm>

#include "common/files.h"
#include "common/paths.h"

namespace quor {

std::u16string ListingCaption(std::int32_t count, double totalFileSize) {
  std::u16string caption = ToText(count) + u" file" + PluralS(count) + u", ";
  if (count > 1) caption += u"total ";
  caption += u"size " + FormatByteSize(static_cast<std::int64_t>(totalFileSize));
  return caption;
}

std::u16string ListingClosingText(const FolderWalk& walk) {
  const auto shown = std::min<std::int64_t>(
      walk.IndexFileCount, static_cast<std::int64_t>(walk.IndexFileList.size()) - 1);
  // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict on
  // "literal" + std::u16string&&.
  std::u16string text = u"That's all ";
  text += ToText(std::max<std::int64_t>(shown, 0));
  text += u" of them.  ";
  if (walk.LongestNameLength > 0) {
    text += u"Length of longest filepath is ";
    text += ToText(walk.LongestNameLength);
    if (walk.LongestNameLength < 200) {
      text += u".";
    } else {
      text += u":";
      text += kCrLf;
      text += walk.LongestName;
    }
  }
  return text;
}

FolderWalk::FolderWalk() : classify(ClassifyForIndexing) {}

void FolderWalk::ClearFileList() {
  IndexFileList.assign(1, std::u16string());
  listed_.clear();
}

WalkOutcome FolderWalk::WalkTopFolder(WalkObserver& observer, const StopToken& stop) {
  observer_ = &observer;
  stop_ = &stop;
  outcome_ = WalkOutcome::kCompleted;
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
  observer.WalkStarted();
  WalkFolderImpl(rules.topFolder, true);
  observer.WalkEnded();
  if (!IndexingPass && !ListOnly && !Ended() && IndexFileCount > 0) {
    observer.Totals(IndexFileCount, TotalFileSize);
  }
  if (stop.StopRequested()) End(WalkOutcome::kStopped);
  observer_ = nullptr;
  stop_ = nullptr;
  return outcome_;
}

void FolderWalk::ShowError(const std::u16string& description, const std::u16string& path) {
  observer_->MsgBox(description + std::u16string(kCrLf) + path, MsgButtons::Ok,
                    MsgIcon::Exclamation, u"Error");
  End(WalkOutcome::kStopped);
}

void FolderWalk::WalkFolderImpl(std::u16string folderPath, bool folderNameValid) {
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
      if (!VisitFile(folderPath, folderNameValid, file)) return;
      if (Ended()) return;
    }
  }
  if (Ended()) return;
  if (rules.IncludedSubfolders.empty()) return;
  for (const ListedFolder& sub : listing.subfolders) {
    const std::u16string subPath = folderPath + sub.name;
    if (!rules.IsIncludedFolder(subPath)) continue;
    WalkFolderImpl(subPath, folderNameValid && sub.validUtf8 && IsValidFileName(sub.name));
    if (Ended()) return;
  }
}

bool FolderWalk::VisitFile(const std::u16string& folderPath, bool folderNameValid,
                           const ListedFile& file) {
  const std::u16string fullPath = folderPath + file.name;
  // A name the index text cannot hold (double quote, control characters,
  // bytes that are not UTF-8) ends the walk; so does such a folder name on
  // the way to the file, since the relative path holds it too.
  if (!folderNameValid || !file.validUtf8 || !IsValidFileName(file.name)) {
    observer_->MsgBox(
        fullPath + std::u16string(kCrLf) + u"The file name contains an invalid character.",
        MsgButtons::Ok, MsgIcon::Information, u"Invalid file name");
    End(WalkOutcome::kStopped);
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
    observer_->Poll();
    if (Ended()) return false;
    if (!observer_->IndexFile(fullPath, CurrentTypeCode)) {
      End(WalkOutcome::kStopped);
      return false;
    }
    return !Ended();
  }
  return CountFile(fullPath, file.size);
}

bool FolderWalk::CountFile(const std::u16string& fullPath, std::int64_t size) {
  std::u16string error;
  if (!IsAcceptedFile(fullPath, size, error)) {
    if (error.empty()) return true;
    ShowError(error, fullPath);
    return false;
  }
  observer_->Poll();
  if (Ended()) return false;
  ++IndexFileCount;
  if (IndexFileCount > MaxFilesToIndex) {
    End(WalkOutcome::kLimitReached);
    return false;
  }
  TotalFileSize += static_cast<double>(size);
  if (ListOnly) {
    const std::u16string entry = rules.RelativePath(fullPath) + u" (" + FormatByteSize(size) + u")";
    IndexFileList.push_back(entry);
    if (!observer_->ListFile(ListingCaption(IndexFileCount, TotalFileSize), entry)) {
      End(WalkOutcome::kOutputClosed);
      return false;
    }
  } else {
    if (IndexFileCount % 10 == 0 && IndexFileCount >= 50) {
      observer_->CountingProgress(IndexFileCount);
    }
    IndexFileList.push_back(std::u16string(1, static_cast<char16_t>(u'0' + CurrentTypeCode)) +
                            fullPath);
  }
  return !Ended();
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
