#include "report/search_scanner.h"

#include "search/file_scanner.h"

namespace quor {

bool SearchFileScanner::ScanFile(std::u16string_view fullPath, FileExtractCollector& collector) {
  // A file that cannot be opened must not keep the last file's extracts.
  collector.BeginFile(0);
  if (collector.SearchWords().empty()) return true;
  const ScanRequest request{&collector.SearchWords(), type_, &collector};
  return ScanFileText(fullPath, request, observer_) != ScanOutcome::kStopRequested;
}

}  // namespace quor
