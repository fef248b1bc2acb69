// The reports' scanner: the search side's file scanner in report mode.
#pragma once

#include "extract/document_text.h"
#include "report/report_request.h"
#include "search/search_words.h"

namespace quor {

// Scans found files with ScanFileText for the search type, handing every
// occurrence to the report's collector. A DOCX document's messages go to
// observer; when its failure report asks to end the work, the report ends.
class SearchFileScanner : public ExtractScanner {
 public:
  // observer must outlive the scanner.
  SearchFileScanner(SearchType type, DocumentTextObserver& observer)
      : type_(type), observer_(observer) {}

  bool ScanFile(std::u16string_view fullPath, FileExtractCollector& collector) override;

 private:
  SearchType type_;
  DocumentTextObserver& observer_;
};

}  // namespace quor
