// The folder walk that collects the files to index. One walk object holds the
// state of the Index Module's file list between runs (IndexFileList,
// IndexFileCount, totals) and runs in three modes:
//  - counting pass: every accepted file is entered in IndexFileList as its
//    type digit followed by its full path;
//  - list-only: accepted files are entered as "relative path (size)" and
//    handed to the observer, which shows them;
//  - indexing pass: the same order again; every file found in IndexFileList
//    is handed to the observer's IndexFile, the seam of the index build.
// The walk knows no window: its messages and progress go to a WalkObserver,
// and it polls the StopToken of the operation that runs it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/messages.h"
#include "common/strings.h"
#include "selection/folder_listing.h"
#include "selection/selection_rules.h"

namespace quor {

inline constexpr std::int32_t kMaxFilesToIndex = 32000;

// Why the walk passed over a file or folder.
enum class PassOverReason {
  kNameNotStorable,  // a double quote, a control character, bytes that are not UTF-8
  kUnreadable,       // a folder that cannot be listed, a file that cannot be read
};

// A file or folder the walk passed over and went on. A folder's path ends
// with a separator.
struct PassedOverEntry {
  std::u16string path;
  PassOverReason reason = PassOverReason::kNameNotStorable;
  // The system's description of an unreadable entry ("Permission denied").
  std::u16string description;
};

// Where a walk reports: what it passed over, its progress, and in the
// indexing pass the files to process. Every method but MessageBox has a
// harmless default, so an observer implements only what its mode needs.
class WalkObserver : public MessageSink {
 public:
  // An entry was passed over (counting pass and list-only; in the indexing
  // pass only a folder that has become unreadable since).
  virtual void PassedOver(const PassedOverEntry& /*entry*/) {}
  // The walk begins and ends.
  virtual void WalkStarted() {}
  virtual void WalkEnded() {}
  // Called before each accepted or listed file is taken: the place to let
  // pending events (a Stop, a closed window) happen.
  virtual void Poll() {}
  // Counting pass: called when the count reaches 50, 60, 70 ...
  virtual void CountingProgress(std::int32_t /*count*/) {}
  // A counting pass that was not stopped found files.
  virtual void Totals(std::int32_t /*count*/, double /*totalFileSize*/) {}
  // List-only: an accepted file. caption reads "3 files, total size 1.20 Kb";
  // entry is "docs/a.txt (812 bytes)". Returns false when the listing's
  // output was closed, which ends the walk (WalkOutcome::kOutputClosed).
  virtual bool ListFile(const std::u16string& /*caption*/, const std::u16string& /*entry*/) {
    return true;
  }
  // Indexing pass: a listed file to process, with its text type code.
  // Returns false to end the walk (WalkOutcome::kStopped).
  virtual bool IndexFile(const std::u16string& /*fullPath*/, int /*typeCode*/) { return true; }
};

// How a walk ended.
enum class WalkOutcome {
  kCompleted,     // every folder was walked
  kStopped,       // the stop token or IndexFile ended it
  kLimitReached,  // one file more than MaxFilesToIndex was accepted
  kOutputClosed,  // list-only: ListFile returned false
};

// The text type code a file is indexed with (1 or more), or a code below 1
// when it is not indexable. A file that exists but cannot be read is
// described in error; the walk passes it over.
using FileClassifier = std::function<int(const std::u16string& fullPath, std::u16string& error)>;

// Classification by content: DOCX documents give 1, anything else the code of
// ClassifyTextFile with an 8192-byte sample and a 0.1 per cent threshold.
int ClassifyForIndexing(const std::u16string& fullPath, std::u16string& error);

class FolderWalk {
 public:
  FolderWalk();

  // ---- mode and selection, set before WalkTopFolder ----
  bool ListOnly = false;
  bool IndexingPass = false;
  SelectionRules rules;
  std::int32_t MaxFilesToIndex = kMaxFilesToIndex;
  // Replaceable for tests; ClassifyForIndexing by default.
  FileClassifier classify;
  // Threads that classify a folder's files ahead of the counting pass (and
  // the listing), in batches. More than 1 needs a classify that may run on
  // several threads at once, as ClassifyForIndexing may.
  std::int32_t classifyThreads = 1;

  // ---- state ----
  // 1-based: entry 0 stays empty, entries 1..IndexFileCount hold the list
  // (at most MaxFilesToIndex of them; the count can stand one above it).
  TextList IndexFileList{std::u16string()};
  std::int32_t IndexFileCount = 0;
  double TotalFileSize = 0;
  // Type code of the file last classified or handed to the indexing pass.
  int CurrentTypeCode = 0;
  // What the last walk passed over, in walk order.
  std::vector<PassedOverEntry> PassedOver;

  // Runs one walk over rules.topFolder in the mode of ListOnly/IndexingPass,
  // reporting to observer and polling stop after every file and folder.
  WalkOutcome WalkTopFolder(WalkObserver& observer, const StopToken& stop);

  // The file is accepted by the rejection tests, in their order:
  // IsExcludedFile, ContainsExcludedFragment, IsIndexableFile,
  // IsSizeAccepted. Sets CurrentTypeCode. error as for FileClassifier.
  bool IsAcceptedFile(const std::u16string& fullPath, std::int64_t size, std::u16string& error);
  // Classifies the file; true when its type code is 1 or more.
  bool IsIndexableFile(const std::u16string& fullPath, std::u16string& error);

  // Empties IndexFileList.
  void ClearFileList();

 private:
  bool Ended() const { return outcome_ != WalkOutcome::kCompleted || stop_->StopRequested(); }
  void End(WalkOutcome outcome) {
    if (outcome_ == WalkOutcome::kCompleted) outcome_ = outcome;
  }
  void WalkFolderImpl(std::u16string folderPath);
  // Handles one file of a folder; false ends the whole walk.
  bool VisitFile(const std::u16string& folderPath, const ListedFile& file);
  bool CountFile(const std::u16string& fullPath, std::int64_t size);
  void PassOver(std::u16string path, PassOverReason reason, std::u16string description = {});
  // A file's classification made ahead of its visit.
  struct Classified {
    bool done = false;
    int typeCode = 0;
    std::u16string error;
  };
  // Classifies, on classifyThreads threads, the files from..to of a folder's
  // listing that CountFile will classify.
  void ClassifyAhead(const std::u16string& folderPath, const std::vector<ListedFile>& files,
                     std::size_t from, std::size_t to, std::vector<Classified>& ahead) const;
  // Whether VisitFile would classify the file: its name can be stored and
  // the selection does not leave it out by name.
  bool IsClassifiedOnVisit(const std::u16string& fullPath, const ListedFile& file) const;

  // Set for the duration of WalkTopFolder.
  WalkObserver* observer_ = nullptr;
  const StopToken* stop_ = nullptr;
  // The classification made ahead for the file being visited, if any.
  const Classified* classifiedAhead_ = nullptr;
  WalkOutcome outcome_ = WalkOutcome::kCompleted;
  // Indexing pass: position of each listed full path in IndexFileList.
  std::unordered_map<std::u16string, std::int32_t> listed_;
};

// The closing line of a listing: "That's all 3 of them.  Length of longest
// filepath is 12.", the length in characters of the longest relative path
// listed (the path itself follows from 200 characters on). Without
// withLongestPath the line ends after the count.
std::u16string ListingClosingText(const FolderWalk& walk, bool withLongestPath = true);

// The notice of what a walk passed over: per reason, "N files or folders
// were passed over because their names cannot be stored in the index:" (or
// "... because they cannot be read:") and up to maxShown of their paths, the
// rest counted. Empty when nothing was passed over.
std::u16string PassedOverNotice(const std::vector<PassedOverEntry>& entries,
                                std::size_t maxShown = 10);

// One line for an entry: "Passed over (name cannot be stored in the index):
// PATH" or "Passed over (Permission denied): PATH".
std::u16string PassedOverLine(const PassedOverEntry& entry);

// Caption of the output window during a listing: "1 file, size 812 bytes",
// "25 files, total size 1.37 Mb".
std::u16string ListingCaption(std::int32_t count, double totalFileSize);

}  // namespace quor
