// The HTML and text reports over files held in memory: what each line says,
// safety of the page, stopping, the buffer limit and the progress note.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/strings.h"
#include "report/fake_scanner.h"
#include "report/html_report.h"
#include "report/text_report.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

using test::FakeScanner;

ReportRequest Request(std::vector<std::u16string> words, std::u16string searchText) {
  ReportRequest request;
  request.windowCaption = u"QUOR -- Search Module";
  request.topFolder = u"/top/";
  request.searchText = std::move(searchText);
  request.searchWords = std::move(words);
  request.searchTypeText = u"All words";
  request.indexFileCount = 10;
  return request;
}

// n sentences that each hold word once, far enough apart to give n extracts.
std::u16string Repeated(std::u16string_view word, int n) {
  std::u16string text;
  for (int i = 0; i < n; ++i) {
    text += u"Sentence ";
    text += ToText(i);
    text += u" holds ";
    text += word;
    text += u" and then a good many other words to keep the extracts apart. ";
  }
  return text;
}

std::string Html(const ReportRequest& request, FakeScanner& scanner) {
  StopToken stop;
  return BuildHtmlReport(request, scanner, stop).html;
}

std::string TextReport(const ReportRequest& request, FakeScanner& scanner) {
  TextReportBuffer buffer;
  StopToken stop;
  (void)WriteTextReport(request, scanner, buffer, stop);
  return TextToUtf8(buffer.Text());
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

TEST(HtmlReport, HostileTextsAreShownAsTextNeverAsMarkup) {
  ReportRequest request = Request({u"alert"}, u"alert \"quoted\" <i>");
  request.showPaths = true;
  request.files = {
      {u"#1 50% a b?.htm", u"<script>alert(1)</script>",
       u"\" onload=\"alert(2)\" <img src=x onerror=alert(3)>"},
      {u"caf\u00e9/\u00e9t\u00e9.html", u"Caf\u00e9 &amp; &lt;b&gt;bold&lt;/b&gt; \u2014 tea", u""},
  };
  FakeScanner scanner;
  scanner.blocks[u"/top/#1 50% a b?.htm"] = {u"x <script>alert(4)</script> & \"q\" y"};
  const std::string html = Html(request, scanner);

  for (unsigned char ch : html) ASSERT_LT(ch, 0x80) << "the page is pure ASCII";
  EXPECT_FALSE(Contains(html, "<script")) << html;
  EXPECT_FALSE(Contains(html, "<img")) << html;
  EXPECT_FALSE(Contains(html, "<i>"));
  EXPECT_FALSE(Contains(html, "\" onload"));
  EXPECT_TRUE(Contains(html, ">&lt;script&gt;alert(1)&lt;/script&gt;</a><br>"));
  EXPECT_TRUE(Contains(html, "<I>Description:</I> &quot; onload=&quot;alert(2)&quot; &lt;img"));
  EXPECT_TRUE(Contains(html, "<b>alert &quot;quoted&quot; &lt;i&gt;</b>"));
  EXPECT_TRUE(Contains(html,
                       "<a href=\"file:///top/%231%2050%25%20a%20b%3F.htm\" "
                       "target=\"_blank\">"));
  EXPECT_TRUE(Contains(html, "<font size=\"-1\">/top/#1 50% a b?.htm</font><br>"))
      << "the visible path stays readable";
  EXPECT_TRUE(Contains(html,
                       "<br>... &lt;script&gt;<b>alert</b>(4)&lt;/script&gt; &amp; "
                       "&quot;q&quot; ..."));
  EXPECT_TRUE(Contains(html, "href=\"file:///top/caf%C3%A9/%C3%A9t%C3%A9.html\""));
  EXPECT_TRUE(Contains(html, ">Caf&#233; &amp; &lt;b&gt;bold&lt;/b&gt; &#8212; tea</a>"))
      << "the entities of a title show as the characters they stand for";
}

TEST(HtmlReport, SummaryLines) {
  struct Row {
    const char* name;
    std::u16string words;  // separated by spaces
    std::u16string text;
    const char* label;
    const char* line;
    const char* absent;
  };
  std::u16string many = u"word100";
  for (int i = 1; i <= 20; ++i) many += u" word" + ToText(100 + i);
  const std::vector<Row> rows = {
      {"one word", u"tea", u"tea", ">Search&nbsp;word:</td>",
       "<tr><td align=\"right\">Files found:</td>\r\n<td colspan=\"2\"><b>2</b></td></tr>\r\n",
       "Search type:"},
      {"several words", u"tea cup", u"tea cup", ">Search&nbsp;words:</td>",
       "<tr><td align=\"right\">Search type:</td>\r\n<td align=\"left\"><b>All words</b></td>\r\n"
       "<td width=\"16\">&nbsp;</td>\r\n<td align=\"left\">Files found: <b>2</b></td>\r\n</tr>\r\n",
       "Expanded:"},
      {"a stem lists its words sorted", u"teas tea cup", u"tea* cup", ">Search&nbsp;words:</td>",
       "<tr><td align=\"right\" valign=\"top\">Expanded:</td>\r\n"
       "<td colspan=\"3\" align=\"left\">cup, tea, teas</td></tr>\r\n",
       "There are"},
      {"more than 20 expanded words", many, u"word*", ">Search&nbsp;words:</td>",
       "<tr><td align=\"right\">There are</td>\r\n<td colspan=\"3\" align=\"left\">\r\n"
       "more than 20 actual search words.\r\n</td></tr>\r\n",
       "Expanded:"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::u16string> words;
    SplitList(row.words, u" ", words, true, 0, 0);
    ReportRequest request = Request(words, row.text);
    request.files = {{u"a.txt", u"Not HTML or DOCX file", u""},
                     {u"b.txt", u"Not HTML or DOCX file", u""}};
    FakeScanner scanner;
    const std::string html = Html(request, scanner);
    EXPECT_TRUE(Contains(html, row.label));
    EXPECT_TRUE(Contains(html, row.line));
    EXPECT_FALSE(Contains(html, row.absent));
  }
}

TEST(HtmlReport, SingleFileAndSortedLines) {
  ReportRequest request = Request({u"tea"}, u"tea");
  request.singleFile = u"/top/a.txt";
  request.files = {{u"a.txt", u"Not HTML or DOCX file", u""}};
  FakeScanner scanner;
  const std::string single = Html(request, scanner);
  EXPECT_FALSE(Contains(single, "Files found:")) << "only when all files were searched";
  EXPECT_TRUE(Contains(single,
                       "<tr><td align=\"right\">File:</td><td colspan=\"3\"align=\"left\">"
                       "<b>/top/a.txt</b></td></table><p></center>\r\n"));

  request = Request({u"tea"}, u"tea");
  request.sorted = true;
  request.files = {{u"a.txt", u"A", u""}, {u"b.txt", u"B", u""}};
  EXPECT_TRUE(Contains(Html(request, scanner), "decreasing search&nbsp;word&nbsp;occurrence."));
  request.files.pop_back();
  EXPECT_FALSE(Contains(Html(request, scanner), "decreasing search"));
}

TEST(HtmlReport, CountLinesAndFootFollowTheMaximum) {
  struct Row {
    const char* name;
    int maximum;
    int occurrences;
    int extractLines;
    const char* count;  // parts of the page
    const char* foot;
  };
  const std::vector<Row> rows = {
      {"four without maximum: no count line", kNoExtractLimit, 4, 4, "<br></font>\r\n",
       "All occurrences are displayed.\r\n\r\n<br>Number of extracts = 4\r\n"},
      {"five without maximum", kNoExtractLimit, 5, 5, "Number of extracts: 5<br>\r\n<br></font>",
       "All occurrences are displayed."},
      {"maximum 3 of 5", 3, 5, 3, "Number of extracts: 3 (5 possible)<br>\r\n",
       "A maximum of 3 extracts were requested.  Some occurrences are not included above.\r\n"
       "</font></blockquote>"},
      {"maximum 3, scan stopped after 13", 3, 40, 3,
       "Number of extracts: 3 (more than 12 possible)", ""},
      {"maximum 1", 1, 2, 1, "",
       "At most one extract was requested. Some occurrences are not included above.\r\n\r\n"},
      {"one extract: no total", kNoExtractLimit, 1, 1, "",
       "All occurrences are displayed.\r\n\r\n</font>"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ReportRequest request = Request({u"tea"}, u"tea");
    request.maxExtracts = row.maximum;
    request.files = {{u"a.txt", u"Not HTML or DOCX file", u""}};
    FakeScanner scanner;
    scanner.blocks[u"/top/a.txt"] = {Repeated(u"tea", row.occurrences)};
    const std::string html = Html(request, scanner);
    EXPECT_TRUE(Contains(html, row.count));
    EXPECT_TRUE(Contains(html, row.foot));
    int lines = 0;
    for (std::size_t at = html.find("\r\n<br>... "); at != std::string::npos;
         at = html.find("\r\n<br>... ", at + 1)) {
      ++lines;
    }
    EXPECT_EQ(lines, row.extractLines);
  }
}

TEST(HtmlReport, StopAfterTheFirstFileLeavesAClosedPage) {
  ReportRequest request = Request({u"tea"}, u"tea");
  request.files = {{u"a.txt", u"A", u""}, {u"b.txt", u"B", u""}, {u"c.txt", u"C", u""}};
  FakeScanner scanner;
  StopToken stop;
  scanner.onScan = [&](std::u16string_view) { stop.RequestStop(); };
  const HtmlReport report = BuildHtmlReport(request, scanner, stop);
  EXPECT_TRUE(report.stopped);
  EXPECT_EQ(scanner.scanned.size(), 1u);
  EXPECT_TRUE(
      report.html.ends_with("<br>\r\n<P>\r\n[Generation of report was stopped.]<P>\r\n\r\n"
                            "</font></blockquote>\r\n\r\n</BODY></HTML>\r\n\r\n"));
}

TEST(HtmlReport, AScannerFailureEndsTheReportLikeAStop) {
  ReportRequest request = Request({u"tea"}, u"tea");
  request.files = {{u"a.docx", u"DOCX file", u""}, {u"b.txt", u"B", u""}};
  FakeScanner scanner;
  scanner.failing = {u"/top/a.docx"};
  StopToken stop;
  const HtmlReport report = BuildHtmlReport(request, scanner, stop);
  EXPECT_TRUE(report.stopped);
  EXPECT_FALSE(Contains(report.html, "b.txt"));
}

TEST(HtmlReport, WriteErrorsComeBackAsText) {
  test::TempFolder folder;
  ReportRequest request = Request({u"tea"}, u"tea");
  FakeScanner scanner;
  StopToken stop;
  const std::u16string path = folder.Text() + u"data/quor.htm";
  const HtmlReportResult written = WriteHtmlReport(path, request, scanner, stop);
  EXPECT_EQ(written.error, u"");
  EXPECT_TRUE(folder.Read("data/quor.htm").starts_with("<html><head>\r\n"));

  folder.MakeFolder("blocked/quor.htm");
  const HtmlReportResult failed =
      WriteHtmlReport(folder.Text() + u"blocked/quor.htm", request, scanner, stop);
  EXPECT_NE(failed.error.find(u"could not be written"), std::u16string::npos);
}

TEST(TextReport, LinesCarryNoMarkup) {
  ReportRequest request = Request({u"tea", u"cup"}, u"tea cup");
  request.files = {
      {u"a.htm", u"Tea &amp; &quot;Cups&quot; &#8217; &#151;", u"About &quot;tea&quot;"},
      {u"b.txt", u"Not HTML or DOCX file", u"Not HTML file"}};
  FakeScanner scanner;
  scanner.blocks[u"/top/a.htm"] = {
      u"Start of it. Hot tea in a &quot;cup&quot; &gt; cold &#8216;tea&#8217; and an end."};
  scanner.blocks[u"/top/b.txt"] = {u"no match here"};
  EXPECT_EQ(TextReport(request, scanner),
            "Search words: tea cup\r\n"
            "Search type: All words\r\n"
            "Files found: 2\r\n"
            "\r\n"
            "Tea & \"Cups\" ' --\r\n"
            "Description: About &quot;tea&quot;\r\n"
            "/top/a.htm\r\n"
            "... of it. Hot tea in a \"cup\" > cold 'tea' and an ...\r\n"
            "\r\n"
            "Not HTML or DOCX file\r\n"
            "/top/b.txt\r\n"
            "\r\n"
            "All occurrences are displayed.\r\n");
}

TEST(TextReport, FootWhenShortened) {
  ReportRequest request = Request({u"tea"}, u"tea*");
  request.maxExtracts = 3;
  request.files = {{u"a.txt", u"Not HTML or DOCX file", u""}};
  FakeScanner scanner;
  scanner.blocks[u"/top/a.txt"] = {Repeated(u"tea", 13)};
  const std::string text = TextReport(request, scanner);
  EXPECT_TRUE(text.starts_with("Search word: tea*\r\nExpanded: tea\r\nFiles found: 1\r\n\r\n"));
  EXPECT_TRUE(text.ends_with(
      "Number of extracts: 3 (more than 12 possible)\r\n\r\n"
      "A maximum of 3 extracts were requested.  Some occurrences are not included above..\r\n"));
}

// An output that records the note and can press Stop before an extract.
class WatchingOutput : public TextReportBuffer {
 public:
  StopToken* stopAt = nullptr;
  int stopBeforeExtract = -1;
  int extractsSeen = 0;
  void BeforeExtract(std::u16string_view) override {
    if (extractsSeen++ == stopBeforeExtract && stopAt) stopAt->RequestStop();
  }
};

TEST(TextReport, SearchingNoteShowsWhileALargeFileIsScanned) {
  test::TempFolder folder;
  folder.Write("large.txt", std::string(10241, 'x'));
  folder.Write("small.txt", std::string(10240, 'x'));
  ReportRequest request = Request({u"tea"}, u"tea");
  request.topFolder = folder.Text();
  request.files = {{u"large.txt", u"L", u""}, {u"small.txt", u"S", u""}};
  FakeScanner scanner;
  WatchingOutput output;
  std::vector<bool> noteDuringScan;
  scanner.onScan = [&](std::u16string_view) {
    noteDuringScan.push_back(output.Text().ends_with(kSearchingNote));
  };
  StopToken stop;
  (void)WriteTextReport(request, scanner, output, stop);
  EXPECT_EQ(noteDuringScan, (std::vector<bool>{true, false}));
  EXPECT_EQ(output.Text().find(kSearchingNote), std::u16string::npos);
}

TEST(TextReport, StopBetweenExtractsEndsWithoutTheFoot) {
  ReportRequest request = Request({u"tea"}, u"tea");
  request.files = {{u"a.txt", u"A", u""}, {u"b.txt", u"B", u""}};
  FakeScanner scanner;
  scanner.blocks[u"/top/a.txt"] = {Repeated(u"tea", 4)};
  WatchingOutput output;
  StopToken stop;
  output.stopAt = &stop;
  output.stopBeforeExtract = 1;
  const TextReportResult result = WriteTextReport(request, scanner, output, stop);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(scanner.scanned.size(), 1u);
  const std::string text = TextToUtf8(output.Text());
  EXPECT_TRUE(
      text.ends_with("/top/a.txt\r\n... 0 holds tea and then a good many other "
                     "words to keep the extracts apart. ...\r\n"))
      << text;
}

TEST(TextReport, EndsAtTheBufferLimitWithTheNotice) {
  ReportRequest request = Request({u"tea"}, u"tea");
  for (int i = 0; i < 400; ++i) {
    std::u16string name = u"f";
    name += ToText(i);
    name += u".txt";
    request.files.push_back({name, u"T", u""});
  }
  FakeScanner scanner;
  for (const ReportFile& file : request.files) {
    scanner.blocks[u"/top/" + file.relativePath] = {Repeated(u"tea", 3)};
  }
  TextReportBuffer output;
  StopToken stop;
  const TextReportResult result = WriteTextReport(request, scanner, output, stop);
  EXPECT_TRUE(result.bufferFull);
  EXPECT_LT(scanner.scanned.size(), request.files.size()) << "the report ends when full";
  EXPECT_TRUE(output.Text().ends_with(u" ...\r\n\r\nTHE REPORT BUFFER IS FULL.  \r\n"));
  EXPECT_LE(output.Text().size(), TextReportBuffer::kDefaultCapacity + 200);
  EXPECT_FALSE(output.AppendLine(u"more"));
}

TEST(MakeReportRequest, NamesTheTypeCountsTheIndexAndTakesTheSingleFileOnlyWhenAsked) {
  LoadedIndex index;
  index.FileCount = 7;
  SearchRequest search;
  search.index = &index;
  search.type = SearchType::kExactPhrase;
  search.singleFile = true;
  search.singleFilePath = u"/top/a.htm";
  SearchResult result;
  result.FoundFiles = {u"a.htm", u"b.txt"};
  result.FoundTitles = {u"Title A", u"Not HTML or DOCX file"};
  const ReportRequest request =
      MakeReportRequest(search, result, {u"QUOR -- Search Module", 3, 7, false, true});
  EXPECT_EQ(request.searchTypeText, u"Exact phrase");
  EXPECT_EQ(request.indexFileCount, 7);
  EXPECT_EQ(request.singleFile, u"/top/a.htm");
  EXPECT_EQ(request.maxExtracts, 3);
  EXPECT_EQ(request.extractSize, 7);
  ASSERT_EQ(request.files.size(), 2u);
  EXPECT_EQ(request.files[1].title, u"Not HTML or DOCX file");
  EXPECT_EQ(request.files[1].description, u"") << "descriptions that were not read stay empty";
  search.singleFile = false;
  EXPECT_EQ(MakeReportRequest(search, result, {}).singleFile, u"");
}

}  // namespace
}  // namespace quor
