// Loading an index for searching: the file's name and presence, its
// expansion, the file list and the lexicon, and a data file that is current
// (checked by its LengthStamp, rebuilt from the count rows otherwise, see
// data_file_check.h). A load whose data file is current takes the index from
// its work copy (work_copy.h) when that belongs to the index file, and
// otherwise writes one. Every refusal and failure is reported to the
// observer with the text, title and icon the user sees.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/messages.h"
#include "search/loaded_index.h"

namespace quor {

class RecordFieldReader;

// What loading tells its user besides messages.
class IndexLoadObserver : public MessageSink {
 public:
  // The results box text while the data file is built: "Now creating data
  // file ..." + CR LF before the build, "" after a successful one.
  virtual void ShowResultsText(std::u16string_view text) { (void)text; }
  // The title label gets the index title as soon as it is read.
  virtual void ShowIndexTitle(std::u16string_view title) { (void)title; }
  // Progress of the data-file build: rowsDone of rowsTotal rows written.
  // Called after every row; a window yields to its events here.
  virtual void DataFileProgress(std::int32_t rowsDone, std::int32_t rowsTotal) {
    (void)rowsDone;
    (void)rowsTotal;
  }
};

// The bytes available to the caller in the file system of folder, or nullopt
// when the query fails (a failed query never blocks a build).
using FreeSpaceQuery = std::function<std::optional<std::uint64_t>(std::u16string_view folder)>;

struct IndexLoadRequest {
  std::u16string indexFilePath;  // as in the index file box
  // Title of the "does not exist" message: the current caption of the
  // search button.
  std::u16string searchCaption;
  // The program's data folder, where the index's work copy is kept; empty:
  // none is used or written.
  std::u16string dataFolder;
  FreeSpaceQuery freeSpace;  // may be empty: no check
};

struct IndexLoadResult {
  bool ready = false;    // true exactly after a complete, successful load
  bool stopped = false;  // the stop token ended a data-file build; nothing was reported
  // The load used the index's work copy (work_copy.h) instead of its text.
  bool fromWorkCopy = false;
  // Filled as far as reading got; use it only when ready.
  LoadedIndex index;
  // What ReadIndexFile returned: "" on success, else the text the user was
  // shown titled "Error".
  std::u16string errorText;
  // The new text of the searchable-words label: "There are N searchable
  // words in M files." (or "... in one file.") after a successful load, the
  // error text after a failed read; nullopt when the load ended before
  // reading (the label stays as it was).
  std::optional<std::u16string> searchableWordsLabel;
};

// Loads the index named in request.indexFilePath: checks that it exists,
// expands it, reads the file list and the lexicon and makes sure its data
// file is current, building it when it is missing, empty or stale. Messages:
//  - a missing file: "The index file does not exist." CR LF "Perhaps it has
//    not yet been created by the index module.", exclamation, titled with
//    request.searchCaption;
//  - no expansion context: "Allocation error when reading the index file.",
//    critical, "Error";
//  - a failed expansion: "Error when reading the index file:" + status CR LF
//    "Probably the index file is incomplete or corrupted." CR LF "Try using
//    the index module to recreate the index file.", critical, "Error";
//  - not enough room for the data file: the "Insufficient disk space" box;
//  - any error of ReadIndexFile: its text, exclamation, "Error".
// A name that does not end in "_index.quor" is refused first, as
// CheckIndexFileName does. When the work copy in request.dataFolder belongs
// to the index file and its data file is current, the index is taken from
// the copy, with no message; a successful load from the text writes the copy
// (a failure to write it changes nothing).
[[nodiscard]] IndexLoadResult LoadIndex(const IndexLoadRequest& request,
                                        IndexLoadObserver& observer, const StopToken& stop);

// The check of a chosen index file's name: true when it ends in
// "_index.quor" (letter case included); otherwise shows "Index file names
// must end in '_index.quor'." titled "Invalid input" (exclamation) and
// returns false.
bool CheckIndexFileName(std::u16string_view indexFilePath, MessageSink& sink);

// The label after a successful load: "There are 12,345 searchable words in
// 87 files." or "There are 3 searchable words in one file.".
std::u16string SearchableWordsLabel(std::int32_t wordCount, std::int32_t fileCount);

// Reads the expanded index text at reader (the file list, then the
// lexicon) into index, whose DataFilePath is set, and makes sure the data
// file is current (DataFileIsCurrent against expandedLength, the byte length
// of the whole text), building it from the count rows that follow the
// lexicon when it is not; a current data file leaves the count rows unread.
// Returns "", "Error when reading file list: " or "Error when reading
// lexicon: " + the description, or a text of CreateDataFile
// (data_file_check.h); stopped is set when the stop token ended a build.
[[nodiscard]] std::u16string ReadIndexFile(RecordFieldReader& reader, LoadedIndex& index,
                                           std::int64_t expandedLength,
                                           const FreeSpaceQuery& freeSpace,
                                           IndexLoadObserver& observer, const StopToken& stop,
                                           bool& stopped);

// Reads the file list from the expanded index text at reader: one path per
// field up to "End of file list" or the end of the text. Returns "" or the
// description of the input error that stopped it.
[[nodiscard]] std::u16string ReadFileList(RecordFieldReader& reader, LoadedIndex& index);

// Reads the lexicon header (word count, title) and the lexicon records up to
// "End of lexicon"; when that comes early, WordCount is the number of words
// read. Returns "" or the description of the input error that stopped it.
[[nodiscard]] std::u16string ReadLexicon(RecordFieldReader& reader, LoadedIndex& index,
                                         IndexLoadObserver& observer);

}  // namespace quor
