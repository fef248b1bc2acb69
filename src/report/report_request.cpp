#include "report/report_request.h"

#include <algorithm>

#include "common/strings.h"

namespace quor {

std::u16string FullPath(const ReportRequest& request, const ReportFile& file) {
  return request.topFolder + file.relativePath;
}

std::optional<std::u16string> ExpandedWordList(const ReportRequest& request) {
  if (std::ssize(request.searchWords) > kMaxExpandedWordsShown) return std::nullopt;
  TextList words = request.searchWords;
  std::sort(words.begin(), words.end());
  std::u16string list;
  for (const std::u16string& word : words) {
    if (!list.empty()) list += u", ";
    list += Trim(word);
  }
  return list;
}

bool ShowsFilesFound(const ReportRequest& request) {
  return request.indexFileCount >= 2 && request.singleFile.empty();
}

bool ShowsDescription(const ReportRequest& request, const ReportFile& file) {
  return request.showDescriptions && file.description.size() > 3 &&
         file.description != u"Not HTML file";
}

FileExtractCollector MakeCollector(const ReportRequest& request) {
  return FileExtractCollector(ExtractWidth(request.extractSize), request.maxExtracts,
                              request.searchWords, request.searchType == SearchType::kExactPhrase);
}

}  // namespace quor
