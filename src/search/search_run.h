// Running a search over a loaded index: the top-folder check, the lexicon
// look-up, the words' data-file rows, the scores of the files, the
// confirmation of an exact phrase in the files themselves, and the listing of
// at most 500 files with the text the results box and the label show.
//
// The engine takes a request, reports to a SearchObserver and polls a
// StopToken (the window's "Stop"); it returns everything a window or the
// reports need as a SearchResult.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/messages.h"
#include "common/strings.h"
#include "extract/document_text.h"
#include "search/loaded_index.h"
#include "search/search_words.h"

namespace quor {

// At most this many files are listed.
inline constexpr int kMaxFoundFiles = 500;

// What a search asks for.
struct SearchRequest {
  const LoadedIndex* index = nullptr;  // a ready index; must outlive the search
  // The top folder text as given (ending in the separator); top folder +
  // file-list entry is a file's full path. Files are opened with it as it is.
  std::u16string topFolder;
  std::u16string searchText;  // the text of the search box
  SearchType type = SearchType::kAllWords;
  bool sort = false;              // list by decreasing score
  bool singleFile = false;        // search only singleFilePath
  std::u16string singleFilePath;  // full path of the single file
  // Fill FoundTitles and the results text with each file's title (the
  // window and the results text); off, only the paths are listed.
  bool fillTitles = true;
  bool fillDescriptions = false;  // also FoundDescriptions (the meta description)
  // The top-folder check succeeded before for this index.
  bool topFolderChecked = false;
  // Message titles: the window's caption and the search button's caption.
  std::u16string windowCaption = u"Search Module";
  std::u16string searchCaption = u"Search";
  // Program text 100, shown when the search text holds characters that are
  // not allowed.
  std::u16string notAllowedText;
};

// What the search tells its user while it runs; its messages (the refusals,
// a DOCX document's questions) come as message boxes.
class SearchObserver : public DocumentTextObserver {
 public:
  // The results box has a new text: "Now searching ..." at the start, "Now
  // searching file #N for exact phrase." while a phrase is confirmed, and
  // the listing as it grows.
  virtual void ShowResultsText(const std::u16string& text) { (void)text; }
  // Pending events: called after every word, row, file and listed file.
  // True when the search is to be abandoned at once, showing nothing more
  // (the window was closed).
  virtual bool Yield() { return false; }
};

// One search word with its row and its byte value in every file.
struct SearchTerm {
  std::u16string Word;
  std::int32_t RowNumber = -1;       // -1: not in the lexicon
  std::vector<std::uint8_t> Counts;  // FileCount values; empty when RowNumber < 1
};

enum class SearchStatus {
  kCompleted,          // the search ran (whether or not it found files)
  kRefused,            // the search words were refused with a message; no search
  kChangeToAnyWord,    // stems outside "Any word": select "Any word" and search again
  kTopFolderMismatch,  // no indexed file under the top folder (message shown)
  kFailed,             // the data file could not be read (message shown)
  kAbandoned,          // Yield asked to end at once
};

struct SearchResult {
  SearchStatus status = SearchStatus::kRefused;
  TextList SearchWords;
  std::vector<SearchTerm> SearchTerms;
  // Score of file j (1-based, element 0 unused): the sum of its byte values
  // of the words, 0 for no match. An unsorted exact-phrase search stops
  // confirming after the files it lists: the files after them score 0.
  std::vector<std::int32_t> MatchCounts;
  // The listed files (relative paths) in report order, with their scores,
  // titles (or title markers) and descriptions.
  TextList FoundFiles;
  std::vector<std::int32_t> FoundScores;
  TextList FoundTitles;
  TextList FoundDescriptions;
  int FoundCount = 0;
  // The results box and the label of the count of files found.
  std::u16string ResultsText;
  std::u16string LabelText;
  bool stopped = false;           // "Stop" ended the counting or the listing
  bool topFolderChecked = false;  // for the next search of this index
};

// The search from the character check on, for a ready index: the character
// check, ParseSearchWords, the top-folder check (unless already done) and
// RunSearch. A single file that is not in the index is not searched (the
// caller checks it first, see FindIndexedFile).
SearchResult Search(const SearchRequest& request, SearchObserver& observer, StopToken& stop);

// The search proper with words parsed already (ParseSearchWords).
SearchResult RunSearch(const SearchRequest& request, TextList searchWords, SearchObserver& observer,
                       StopToken& stop);

// True when some indexed file other than one ending in "index.html" (any
// case) exists under topFolder.
bool CheckTopFolder(const LoadedIndex& index, std::u16string_view topFolder);

// The row number of word in the lexicon (binary search, exact), or -1.
std::int32_t LookUpWord(const Lexicon& lexicon, std::u16string_view word);

// The 1-based file-list position of the file at fullPath (its text after the
// first topFolder.size() characters, compared exactly), or -1.
int FindIndexedFile(const LoadedIndex& index, std::u16string_view topFolder,
                    std::u16string_view fullPath);

// The no-match text of the results box for the selected type.
std::u16string NoFilesFoundText(SearchType type, bool singleFile);

// One listed file as the results box shows it.
struct FoundFileDisplay {
  std::u16string text;         // full path, title or first text, blank line
  std::u16string title;        // the title, or a title marker, entities decoded
  std::u16string description;  // the meta description, when asked for
};

// The entry of the file at topFolder + relativePath in the results box.
FoundFileDisplay DisplayFoundFile(std::u16string_view topFolder, std::u16string_view relativePath,
                                  bool withDescription);

}  // namespace quor
