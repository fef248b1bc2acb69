// Whole reports of the small tree in tests/data/report_tree, scanned by the
// search side's file scanner, compared with the golden files beside it. The
// top folder is written as @TOP@ in the goldens.
//
// To regenerate on purpose: QUOR_UPDATE_GOLDENS=1 quor_report_tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/encoding.h"
#include "common/paths.h"
#include "extract/document_text.h"
#include "report/html_escape.h"
#include "report/html_report.h"
#include "report/search_scanner.h"
#include "report/text_report.h"
#include "search/search_run.h"
#include "support/goldens.h"

namespace quor {
namespace {

class NoMessages : public MessageSink {
 public:
  MsgResult MessageBox(const MessageBoxRequest& request) override {
    ADD_FAILURE() << "unexpected message: " << TextToUtf8(request.text);
    return MsgResult::Ok;
  }
};

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// Compares with the golden file, or rewrites it when asked to.
void ExpectGolden(std::string actual, const std::u16string& topFolder, const char* name) {
  const std::string top = TextToUtf8(topFolder);
  ReplaceAll(actual, FileUrl(topFolder), "file://@TOP@/");
  ReplaceAll(actual, top, "@TOP@/");
  if (std::getenv("QUOR_UPDATE_GOLDENS")) {
    std::ofstream(std::string(QUOR_TEST_DATA_DIR) + "/" + name, std::ios::binary) << actual;
    return;
  }
  EXPECT_EQ(actual, test::Golden(name)) << "golden " << name;
}

// A found file as the results list holds it.
ReportFile Found(const std::u16string& topFolder, std::u16string relativePath) {
  FoundFileDisplay display = DisplayFoundFile(topFolder, relativePath, true);
  return {std::move(relativePath), std::move(display.title), std::move(display.description)};
}

class GoldenReport : public testing::Test {
 protected:
  GoldenReport() {
    top = FromFsPath(std::filesystem::path(QUOR_TEST_DATA_DIR) / "report_tree") + u"/";
    request.windowCaption = u"QUOR -- Search Module -- Tea notes";
    request.topFolder = top;
    request.indexFileCount = 5;
    request.maxExtracts = 3;
    request.extractSize = 5;
    request.showDescriptions = true;
    request.showPaths = true;
    for (const char16_t* file :
         {u"guide.htm", u"notes.txt", u"recipes/green tea.txt", u"untitled.html"}) {
      request.files.push_back(Found(top, file));
    }
  }

  std::u16string top;
  ReportRequest request;
  NoMessages messages;
  ForwardingDocumentObserver observer{messages, u"/tmp"};
  StopToken stop;
};

TEST_F(GoldenReport, WholeHtmlReport) {
  request.searchText = u"Tea";
  request.searchWords = {u"tea"};
  request.searchTypeText = u"Any word";
  SearchFileScanner scanner(SearchType::kAnyWord, observer);
  const HtmlReport report = BuildHtmlReport(request, scanner, stop);
  EXPECT_FALSE(report.stopped);
  ExpectGolden(report.html, top, "report_golden.htm");
}

TEST_F(GoldenReport, WholeTextReport) {
  request.searchText = u"tea warm*";
  request.searchWords = {u"tea", u"warm"};
  request.searchTypeText = u"Any word";
  SearchFileScanner scanner(SearchType::kAnyWord, observer);
  TextReportBuffer output;
  const TextReportResult result = WriteTextReport(request, scanner, output, stop);
  EXPECT_FALSE(result.stopped);
  EXPECT_FALSE(result.bufferFull);
  ExpectGolden(TextToUtf8(output.Text()), top, "report_golden.txt");
}

TEST_F(GoldenReport, PhraseWordsAreBoldOnlyAfterTheWordBefore) {
  request.searchText = u"green tea";
  request.searchWords = {u"green", u"tea"};
  request.searchType = SearchType::kExactPhrase;
  request.maxExtracts = kNoExtractLimit;
  request.files.resize(1);
  SearchFileScanner scanner(SearchType::kExactPhrase, observer);
  const std::string html = BuildHtmlReport(request, scanner, stop).html;
  EXPECT_NE(html.find("Part One The Tea Guide <b>Green</b> <b>tea</b> likes water"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("a fine <b>green</b> <b>tea</b>."), std::string::npos) << html;
  EXPECT_NE(html.find("All occurrences are displayed.\r\n\r\n<br>Number of extracts = 2\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace quor
