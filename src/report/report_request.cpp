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

std::u16string SearchTypeText(SearchType type) {
  switch (type) {
    case SearchType::kAnyWord:
      return u"Any word";
    case SearchType::kAllWords:
      return u"All words";
    case SearchType::kExactPhrase:
      return u"Exact phrase";
  }
  return {};
}

ReportRequest MakeReportRequest(const SearchRequest& search, const SearchResult& result,
                                const ReportOptions& options) {
  ReportRequest request;
  request.windowCaption = options.windowCaption;
  request.topFolder = search.topFolder;
  request.searchText = search.searchText;
  request.searchWords = result.SearchWords;
  request.searchType = search.type;
  request.searchTypeText = SearchTypeText(search.type);
  request.indexFileCount = search.index ? search.index->FileCount : 0;
  if (search.singleFile) request.singleFile = search.singleFilePath;
  request.sorted = search.sort;
  request.showDescriptions = options.showDescriptions;
  request.showPaths = options.showPaths;
  request.maxExtracts = options.maxExtracts;
  request.extractSize = options.extractSize;
  const auto entry = [](const TextList& list, std::size_t i) {
    return i < list.size() ? list[i] : std::u16string();
  };
  for (std::size_t i = 0; i < result.FoundFiles.size(); ++i) {
    request.files.push_back(
        {result.FoundFiles[i], entry(result.FoundTitles, i), entry(result.FoundDescriptions, i)});
  }
  return request;
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
