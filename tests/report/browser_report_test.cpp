// The HTML report of a hostile tree, loaded in headless Chromium: no text of
// a document or of the search may run as script or add markup, the texts
// show as text, and every link points at an existing file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/files.h"
#include "common/paths.h"
#include "extract/document_text.h"
#include "report/html_escape.h"
#include "report/html_report.h"
#include "report/search_scanner.h"
#include "search/search_run.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

constexpr const char* kChromium = "/usr/bin/chromium";

class NoMessages : public MessageSink {
 public:
  MsgResult MessageBox(const MessageBoxRequest&) override { return MsgResult::Ok; }
};

// The DOM after the page's scripts ran, or empty when the browser failed.
std::string DumpDom(const test::TempFolder& folder, const std::filesystem::path& page) {
  const std::string command = std::string("timeout 120 ") + kChromium +
                              " --headless --no-sandbox --disable-gpu"
                              " --disable-background-networking --disable-component-update"
                              " --disable-sync --no-first-run --user-data-dir='" +
                              (folder.Path() / "profile").string() + "' --dump-dom '" +
                              FileUrl(FromFsPath(page)) + "' 2>/dev/null";
  std::string dom;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return dom;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) dom.append(buffer, n);
  ::pclose(pipe);
  return dom;
}

std::u16string PercentDecoded(std::string_view url) {
  std::string bytes;
  for (std::size_t i = 0; i < url.size(); ++i) {
    if (url[i] == '%' && i + 2 < url.size()) {
      bytes += static_cast<char>(std::stoi(std::string(url.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      bytes += url[i];
    }
  }
  return Utf8ToText(bytes);
}

constexpr const char* kMark = "document.documentElement.setAttribute('data-pwned',";

TEST(BrowserReport, HostileTextsShowAsTextAndLinksWork) {
  if (!std::filesystem::exists(kChromium)) {
    GTEST_SKIP() << kChromium << " is not installed (scripts/install-deps.sh installs chromium); "
                 << "the report is not checked in a browser";
  }
  test::TempFolder folder;
  const std::string mark = kMark;
  folder.Write("control.htm", "<html><body><script>" + mark + "'control')</script></body></html>");
  ASSERT_NE(DumpDom(folder, folder.Path() / "control.htm").find("data-pwned=\"control\""),
            std::string::npos)
      << "scripts run in this browser, so the check below means something";

  folder.Write("tree/odd #1 50% dir/page one.htm",
               "<html><head>\n<title><script>" + mark +
                   "'title')</script></title>\n"
                   "<meta name=\"description\" content=\"Says &quot;hi&quot; <img src=x onerror=" +
                   mark +
                   "'desc')> & more\">\n"
                   "</head><body><p>A hostile page about tea &lt;script&gt;" +
                   mark + "'extract')&lt;/script&gt; and more.</p></body></html>\n");
  folder.Write("tree/\xc3\xa9t\xc3\xa9/tea? & more.txt", "Plain tea, in a file named oddly.\n");
  const std::u16string top = folder.Text() + u"tree/";
  ReportRequest request;
  request.windowCaption = u"QUOR -- Search Module";
  request.topFolder = top;
  request.searchText = u"tea</b><script>" + Utf8ToText(mark) + u"'search')</script>";
  request.searchWords = {u"tea"};
  request.indexFileCount = 2;
  request.showPaths = true;
  for (const std::u16string relative :
       {u"odd #1 50% dir/page one.htm", u"\u00e9t\u00e9/tea? & more.txt"}) {
    const FoundFileDisplay display = DisplayFoundFile(top, relative, true);
    request.files.push_back({relative, display.title, display.description});
  }
  ASSERT_EQ(request.files[0].title, u"<script>" + Utf8ToText(mark) + u"'title')</script>");

  NoMessages messages;
  ForwardingDocumentObserver observer(messages, folder.Text());
  SearchFileScanner scanner(SearchType::kAnyWord, observer);
  StopToken stop;
  const std::u16string reportPath = folder.Text() + u"quor.htm";
  ASSERT_EQ(WriteHtmlReport(reportPath, request, scanner, stop).error, u"");

  const std::string dom = DumpDom(folder, ToFsPath(reportPath));
  ASSERT_NE(dom.find("</html>"), std::string::npos) << "the browser gave no DOM";
  EXPECT_EQ(dom.find("data-pwned=\""), std::string::npos) << "a script ran:\n" << dom;
  EXPECT_EQ(dom.find("<script"), std::string::npos) << dom;
  EXPECT_EQ(dom.find("<img"), std::string::npos) << dom;
  for (const char* text : {"'title')&lt;/script&gt;</a>", "'search')&lt;/script&gt;</b>",
                           "Says \"hi\" &lt;img src=x onerror=", "'desc')&gt; &amp; more",
                           "&lt;script&gt;document.documentElement", "odd #1 50% dir/page one.htm",
                           "\xc3\xa9t\xc3\xa9/tea? &amp; more.txt"}) {
    EXPECT_NE(dom.find(text), std::string::npos) << "missing as text: " << text << "\n" << dom;
  }

  const std::regex link("href=\"(file://[^\"]*)\"");
  int links = 0;
  for (auto it = std::sregex_iterator(dom.begin(), dom.end(), link); it != std::sregex_iterator();
       ++it) {
    ++links;
    const std::u16string path = PercentDecoded((*it)[1].str().substr(7));
    EXPECT_TRUE(FileExists(path)) << "the link points nowhere: " << (*it)[1].str();
  }
  EXPECT_EQ(links, 2);
}

}  // namespace
}  // namespace quor
