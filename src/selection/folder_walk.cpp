#include "selection/folder_walk.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "common/files.h"
#include "common/paths.h"

namespace quor {

std::u16string ListingCaption(std::int32_t count, double totalFileSize) {
  std::u16string caption = ToText(count) + u" file" + PluralS(count) + u", ";
  if (count > 1) caption += u"total ";
  caption += u"size " + FormatByteSize(static_cast<std::int64_t>(totalFileSize));
  return caption;
}

namespace {

// Files of a folder classified at once ahead of their visit: enough to keep
// the threads busy, few enough that Stop is answered at once.
constexpr std::size_t kClassifyBatch = 64;

// Characters as the user sees them: a surrogate pair counts once.
std::int64_t CharacterCount(std::u16string_view text) {
  std::int64_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool pairStart = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                           text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (pairStart) ++i;
    ++count;
  }
  return count;
}

}  // namespace

std::u16string ListingClosingText(const FolderWalk& walk, bool withLongestPath) {
  const auto last = std::min<std::int64_t>(
      walk.IndexFileCount, static_cast<std::int64_t>(walk.IndexFileList.size()) - 1);
  std::u16string longest;
  std::int64_t longestLength = 0;
  for (std::int64_t i = 1; withLongestPath && i <= last; ++i) {
    // A listed entry is the relative path and its size in brackets.
    const std::u16string& entry = walk.IndexFileList[static_cast<std::size_t>(i)];
    const std::u16string_view path =
        std::u16string_view(entry).substr(0, std::min(entry.rfind(u" ("), entry.size()));
    if (const std::int64_t length = CharacterCount(path); length > longestLength) {
      longestLength = length;
      longest = path;
    }
  }
  // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict on
  // "literal" + std::u16string&&.
  std::u16string text = u"That's all ";
  text += ToText(std::max<std::int64_t>(last, 0));
  text += u" of them.  ";
  if (longestLength == 0) return text;
  text += u"Length of longest filepath is ";
  text += ToText(longestLength);
  if (longestLength < 200) {
    text += u".";
    return text;
  }
  text += u":";
  text += kCrLf;
  text += longest;
  return text;
}

namespace {

// A passed-over path on one line: control characters as C escapes ("\n",
// "\x01"), so a name holding a line feed stays one line of a report.
std::u16string OneLinePath(const std::u16string& path) {
  std::u16string shown;
  shown.reserve(path.size());
  for (const char16_t ch : path) {
    if (ch >= 0x20 && ch != 0x7F) {
      shown += ch;
    } else if (ch == u'\n') {
      shown += u"\\n";
    } else if (ch == u'\r') {
      shown += u"\\r";
    } else if (ch == u'\t') {
      shown += u"\\t";
    } else {
      constexpr char16_t kHex[] = u"0123456789abcdef";
      shown += u"\\x";
      shown += kHex[(ch >> 4) & 0xF];
      shown += kHex[ch & 0xF];
    }
  }
  return shown;
}

}  // namespace

std::u16string PassedOverNotice(const std::vector<PassedOverEntry>& entries, std::size_t maxShown) {
  std::u16string notice;
  for (const PassOverReason reason :
       {PassOverReason::kNameNotStorable, PassOverReason::kUnreadable}) {
    std::vector<const PassedOverEntry*> group;
    for (const PassedOverEntry& entry : entries) {
      if (entry.reason == reason) group.push_back(&entry);
    }
    if (group.empty()) continue;
    if (!notice.empty()) notice += u"\r\n\r\n";
    const bool one = group.size() == 1;
    notice += ToText(static_cast<std::int64_t>(group.size()));
    notice += one ? u" file or folder was passed over because "
                  : u" files or folders were passed over because ";
    if (reason == PassOverReason::kNameNotStorable) {
      notice += one ? u"its name cannot be stored in the index:"
                    : u"their names cannot be stored in the index:";
    } else {
      notice += one ? u"it cannot be read:" : u"they cannot be read:";
    }
    for (std::size_t i = 0; i < group.size() && i < maxShown; ++i) {
      notice += kCrLf;
      notice += OneLinePath(group[i]->path);
      if (!group[i]->description.empty()) notice += u" (" + group[i]->description + u")";
    }
    if (group.size() > maxShown) {
      notice += kCrLf;
      notice += u"... and ";
      notice += ToText(static_cast<std::int64_t>(group.size() - maxShown));
      notice += u" more.";
    }
  }
  return notice;
}

std::u16string PassedOverLine(const PassedOverEntry& entry) {
  std::u16string line = u"Passed over (";
  line += entry.reason == PassOverReason::kNameNotStorable
              ? std::u16string(u"name cannot be stored in the index")
              : entry.description;
  line += u"): ";
  line += OneLinePath(entry.path);
  return line;
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
  PassedOver.clear();
  observer.WalkStarted();
  WalkFolderImpl(rules.topFolder);
  observer.WalkEnded();
  if (!IndexingPass && !ListOnly && !Ended() && IndexFileCount > 0) {
    observer.Totals(IndexFileCount, TotalFileSize);
  }
  if (stop.StopRequested()) End(WalkOutcome::kStopped);
  observer_ = nullptr;
  stop_ = nullptr;
  return outcome_;
}

void FolderWalk::PassOver(std::u16string path, PassOverReason reason, std::u16string description) {
  PassedOverEntry entry{std::move(path), reason, std::move(description)};
  // The indexing pass meets the names again; they were reported once.
  if (IndexingPass && reason == PassOverReason::kNameNotStorable) return;
  observer_->PassedOver(entry);
  PassedOver.push_back(std::move(entry));
}

void FolderWalk::WalkFolderImpl(std::u16string folderPath) {
  folderPath = EnsureTrailingBackslash(folderPath);
  FolderListing listing;
  std::u16string error;
  // A folder that cannot be listed (no permission, gone since its parent was
  // read) is passed over with the system's reason.
  if (!ReadFolder(folderPath, listing, error)) {
    PassOver(folderPath, PassOverReason::kUnreadable, error);
    return;
  }
  const bool skipFiles = rules.excludeTopFolderFiles && folderPath == rules.topFolder;
  if (!skipFiles) {
    // The counting pass reads the head of every candidate; with threads to
    // spare, a batch of a folder's files is classified at once, and each
    // file is still counted (and reported) in its turn.
    const bool ahead = !IndexingPass && classifyThreads > 1;
    std::vector<Classified> classified(ahead ? listing.files.size() : 0);
    for (std::size_t i = 0; i < listing.files.size(); ++i) {
      if (ahead && i % kClassifyBatch == 0) {
        ClassifyAhead(folderPath, listing.files, i,
                      std::min(listing.files.size(), i + kClassifyBatch), classified);
      }
      classifiedAhead_ = ahead ? &classified[i] : nullptr;
      const bool goOn = VisitFile(folderPath, listing.files[i]);
      classifiedAhead_ = nullptr;
      if (!goOn || Ended()) return;
    }
  }
  if (Ended()) return;
  if (rules.IncludedSubfolders.empty()) return;
  for (const ListedFolder& sub : listing.subfolders) {
    const std::u16string subPath = folderPath + sub.name;
    if (!rules.IsIncludedFolder(subPath)) continue;
    // The relative paths of its files would hold the name.
    if (!sub.validUtf8 || !IsValidFileName(sub.name)) {
      PassOver(EnsureTrailingBackslash(subPath), PassOverReason::kNameNotStorable);
      continue;
    }
    WalkFolderImpl(subPath);
    if (Ended()) return;
  }
}

bool FolderWalk::IsClassifiedOnVisit(const std::u16string& fullPath, const ListedFile& file) const {
  return file.validUtf8 && IsValidFileName(file.name) && !rules.IsExcludedFile(fullPath) &&
         !rules.ContainsExcludedFragment(fullPath);
}

void FolderWalk::ClassifyAhead(const std::u16string& folderPath,
                               const std::vector<ListedFile>& files, std::size_t from,
                               std::size_t to, std::vector<Classified>& ahead) const {
  std::vector<std::size_t> todo;
  for (std::size_t i = from; i < to; ++i) {
    if (IsClassifiedOnVisit(folderPath + files[i].name, files[i])) todo.push_back(i);
  }
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t k; (k = next.fetch_add(1)) < todo.size();) {
      Classified& c = ahead[todo[k]];
      c.typeCode = classify(folderPath + files[todo[k]].name, c.error);
      c.done = true;
    }
  };
  // A few files are not worth a thread.
  const std::size_t helpers =
      std::min(static_cast<std::size_t>(classifyThreads - 1), todo.size() / 4);
  std::vector<std::jthread> threads;
  threads.reserve(helpers);
  for (std::size_t t = 0; t < helpers; ++t) threads.emplace_back(work);
  work();
}

bool FolderWalk::VisitFile(const std::u16string& folderPath, const ListedFile& file) {
  const std::u16string fullPath = folderPath + file.name;
  // A name the index text cannot hold (double quote, control characters,
  // bytes that are not UTF-8) is passed over, and reported unless the
  // selection leaves the file out anyway.
  if (!file.validUtf8 || !IsValidFileName(file.name)) {
    if (!rules.IsExcludedFile(fullPath) && !rules.ContainsExcludedFragment(fullPath)) {
      PassOver(fullPath, PassOverReason::kNameNotStorable);
    }
    return true;
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
    if (!error.empty()) PassOver(fullPath, PassOverReason::kUnreadable, error);
    return true;
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
  if (classifiedAhead_ && classifiedAhead_->done) {
    CurrentTypeCode = classifiedAhead_->typeCode;
    error = classifiedAhead_->error;
  } else {
    CurrentTypeCode = classify(fullPath, error);
  }
  return error.empty() && CurrentTypeCode >= 1;
}

}  // namespace quor
