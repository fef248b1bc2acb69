// What a report is made from: the last search's found files with their titles
// and descriptions, the search words and the report options; and the scanner
// that cuts the extracts of one file. Shared by the HTML and the text report.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/extracts.h"
#include "search/search_run.h"
#include "search/search_words.h"

namespace quor {

// One found file as the results list holds it.
struct ReportFile {
  std::u16string relativePath;  // relative to the top folder
  std::u16string title;         // title or title marker ("Not HTML or DOCX file" ...)
  std::u16string description;   // meta description or marker; empty when not read
};

struct ReportRequest {
  std::u16string windowCaption;             // the search window's caption, shown in the HTML head
  std::u16string topFolder;                 // ends with the separator
  std::u16string searchText;                // the search box text as typed
  std::vector<std::u16string> searchWords;  // case-folded, stems expanded, search order
  SearchType searchType = SearchType::kAnyWord;
  std::u16string searchTypeText;  // "Any word", "All words" or "Exact phrase"
  int indexFileCount = 0;         // files in the loaded index
  std::u16string singleFile;      // full path of the one file searched; empty for all files
  bool sorted = false;            // "Sort files found by search word occurrence" was ticked
  bool showDescriptions = true;
  bool showPaths = false;  // the HTML report only
  int maxExtracts = kNoExtractLimit;
  int extractSize = 5;            // 1..9
  std::vector<ReportFile> files;  // in report order, at most 500
};

// The report options the search window (or the command line) sets.
struct ReportOptions {
  std::u16string windowCaption;
  int maxExtracts = kNoExtractLimit;  // as ValidateMaxExtracts gave it
  int extractSize = 5;                // 1..9
  bool showDescriptions = true;
  bool showPaths = false;
};

// "Any word", "All words" or "Exact phrase".
std::u16string SearchTypeText(SearchType type);

// The report of a search that ran: its found files with their titles and
// descriptions, its words and type, and the options.
ReportRequest MakeReportRequest(const SearchRequest& search, const SearchResult& result,
                                const ReportOptions& options);

// Cuts the extracts of one found file: reads it block by block and hands
// every occurrence of the search words to the collector, which it first
// begins with the file's length. A missing or unreadable file gives none.
// Returns false when the whole report is to end (a failure the user chose to
// stop at).
class ExtractScanner {
 public:
  virtual ~ExtractScanner() = default;
  virtual bool ScanFile(std::u16string_view fullPath, FileExtractCollector& collector) = 0;
};

// The top folder followed by the file's relative path.
std::u16string FullPath(const ReportRequest& request, const ReportFile& file);

// The search words as the summary lists them after a stem search: sorted
// ascending, trimmed and joined by ", "; nullopt when there are more than 20
// (the report then says so).
std::optional<std::u16string> ExpandedWordList(const ReportRequest& request);
inline constexpr int kMaxExpandedWordsShown = 20;

// True when the summary gives the number of files found: the index holds at
// least two files and all of them were searched.
bool ShowsFilesFound(const ReportRequest& request);

// True when the file's description is shown: descriptions are asked for and
// it is longer than 3 characters and not the "Not HTML file" marker.
bool ShowsDescription(const ReportRequest& request, const ReportFile& file);

// The collector a report scans its files with.
FileExtractCollector MakeCollector(const ReportRequest& request);

// The totals a report's foot speaks of.
struct ReportTotals {
  int extracts = 0;        // over all files
  bool shortened = false;  // some file shows fewer extracts than it has
};

}  // namespace quor
