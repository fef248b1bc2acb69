#include "report/html_report.h"

#include <filesystem>
#include <system_error>

#include "common/files.h"
#include "common/paths.h"
#include "common/strings.h"
#include "extract/text_normalize.h"
#include "report/html_escape.h"

namespace quor {
namespace {

constexpr std::string_view kFaceList = "Trebuchet MS,Arial,Tahoma,Verdana,Sans-serif,Helvetica";

// The entities a document's text still holds turned into the characters a
// browser would have shown for them; HtmlText escapes what needs it again.
std::u16string Decoded(std::u16string text) {
  DecodeEntities(text);
  return DecodeCharacterReferences(text);
}

// A title as the page shows it: UTF-8 remnants mended, entities decoded.
std::u16string TitleText(std::u16string_view title) {
  return Decoded(RepairUtf8Punctuation(RepairUtf8Latin(title)));
}

std::string ExtractHtml(const Extract& extract) {
  std::string html;
  ForEachExtractPiece(extract, [&html](std::u16string_view piece, bool isMark) {
    std::u16string text = RepairUtf8Punctuation(RepairUtf8Latin(piece));
    // A reference written twice over ("&amp;#8217;") stands for its character.
    for (std::size_t at = text.find(u"&amp;#"); at != std::u16string::npos;
         at = text.find(u"&amp;#", at + 1)) {
      text.erase(at + 1, 4);
    }
    const std::string escaped = HtmlText(Decoded(std::move(text)));
    if (isMark) {
      html.append("<b>").append(escaped).append("</b>");
    } else {
      html.append(escaped);
    }
  });
  return html;
}

std::string Number(std::int64_t n) {
  return HtmlText(GroupDigits(n));
}

class PageWriter {
 public:
  // One line with its line end.
  void Line(std::string_view text) { out_.append(text).append("\r\n"); }
  // A line followed by an empty line.
  void LineAndBlank(std::string_view text) { out_.append(text).append("\r\n\r\n"); }
  // Text without a line end.
  void Text(std::string_view text) { out_.append(text); }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

void WriteHead(PageWriter& page, const ReportRequest& request) {
  const std::string face(kFaceList);
  page.Line("<html><head>");
  page.Line("<title>Search results</title>");
  page.Line("</head><body bgcolor=\"#F0F8F8\">");
  page.LineAndBlank("<blockquote><font face=\"" + face + "\">");
  page.LineAndBlank("<center><table border=\"6\" cellpadding=\"6\">");
  page.Line("<tr><td align=\"center\">");
  page.LineAndBlank("<font face=\"" + face + "\">");
  page.Line("<font size=\"-1\">");
  page.Line(HtmlText(request.windowCaption) + "</font><br>");
  page.Line("<font size=\"+1\">");
  page.Line("<b>Search Results</b></font>");
  page.LineAndBlank("</font></td></tr></table></center><br>");
}

void WriteSummary(PageWriter& page, const ReportRequest& request) {
  const bool severalWords = request.searchWords.size() > 1;
  page.Line("<center><table border=\"0\" cellpadding=\"4\" cellspacing=\"0\">");
  page.Line(std::string("<tr><td align=\"right\" valign=\"top\" width=\"25%\">Search&nbsp;word") +
            (severalWords ? "s" : "") + ":</td>");
  page.Line("<td colspan=\"3\" align=\"left\"><b>" + HtmlText(request.searchText) +
            "</b></td></tr>");
  if (request.searchText.find(u'*') != std::u16string::npos) {
    if (const auto words = ExpandedWordList(request)) {
      page.Line("<tr><td align=\"right\" valign=\"top\">Expanded:</td>");
      page.Line("<td colspan=\"3\" align=\"left\">" + HtmlText(*words) + "</td></tr>");
    } else {
      page.Line("<tr><td align=\"right\">There are</td>");
      page.Line("<td colspan=\"3\" align=\"left\">");
      page.Line("more than " + std::to_string(kMaxExpandedWordsShown) + " actual search words.");
      page.Line("</td></tr>");
    }
  }
  const std::string found = Number(std::ssize(request.files));
  if (!severalWords) {
    if (ShowsFilesFound(request)) {
      page.Line("<tr><td align=\"right\">Files found:</td>");
      page.Line("<td colspan=\"2\"><b>" + found + "</b></td></tr>");
    }
  } else {
    page.Line("<tr><td align=\"right\">Search type:</td>");
    page.Line("<td align=\"left\"><b>" + HtmlText(request.searchTypeText) + "</b></td>");
    page.Line("<td width=\"16\">&nbsp;</td>");
    page.Line(ShowsFilesFound(request) ? "<td align=\"left\">Files found: <b>" + found + "</b></td>"
                                       : std::string("<td>&nbsp;</td>"));
    page.Line("</tr>");
  }
  if (!request.singleFile.empty()) {
    page.Text("<tr><td align=\"right\">File:</td><td colspan=\"3\"align=\"left\"><b>" +
              HtmlText(request.singleFile) + "</b></td>");
  }
  if (request.files.size() > 1 && request.sorted) {
    page.Line(
        "<tr><td colspan=\"3\" align=\"center\">Results displayed in order of decreasing "
        "search&nbsp;word&nbsp;occurrence.</td></tr>");
  }
  page.LineAndBlank("</table><p></center>");
}

// One found file's entry; adds its extracts to the totals. False when the
// scanner asks to end the report.
bool WriteFile(PageWriter& page, const ReportRequest& request, const ReportFile& file,
               ExtractScanner& scanner, FileExtractCollector& collector, ReportTotals& totals) {
  const std::u16string fullPath = FullPath(request, file);
  page.Line("<a href=\"" + FileUrl(fullPath) + "\" target=\"_blank\">" +
            HtmlText(TitleText(file.title)) + "</a><br>");
  if (ShowsDescription(request, file)) {
    page.Line("<font size=\"-1\"><I>Description:</I> " + HtmlText(Decoded(file.description)) +
              "</font><br>");
  }
  if (request.showPaths) page.Line("<font size=\"-1\">" + HtmlText(fullPath) + "</font><br>");

  const bool goOn = scanner.ScanFile(fullPath, collector);
  const std::vector<Extract>& extracts = collector.Extracts();
  totals.extracts += static_cast<int>(extracts.size());
  if (extracts.empty()) {
    page.Line("<br>");
    return goOn;
  }
  const ExtractCount count = CountExtracts(extracts.size(), request.maxExtracts);
  totals.shortened = totals.shortened || count.shortened;
  page.Line("<font size=\"-1\">");
  for (std::size_t k = 0; k < count.shown; ++k) page.Line("<br>" + ExtractHtml(extracts[k]));
  if (!count.line.empty()) page.Line(HtmlText(count.line) + "<br>");
  page.Line("<br></font>");
  return goOn;
}

void WriteFoot(PageWriter& page, const ReportRequest& request, const HtmlReport& report) {
  if (report.stopped) {
    page.Line("<P>");
    page.LineAndBlank("[Generation of report was stopped.]<P>");
  } else if (report.totals.shortened) {
    if (request.maxExtracts == 1) {
      page.LineAndBlank(
          "At most one extract was requested. Some occurrences are not included above.");
    } else {
      page.Line("A maximum of " + Number(request.maxExtracts) +
                " extracts were requested.  Some occurrences are not included above.");
    }
  } else {
    page.LineAndBlank("All occurrences are displayed.");
    if (report.totals.extracts > 1) {
      page.Line("<br>Number of extracts = " + Number(report.totals.extracts));
    }
  }
  page.LineAndBlank("</font></blockquote>");
  page.LineAndBlank("</BODY></HTML>");
}

}  // namespace

HtmlReport BuildHtmlReport(const ReportRequest& request, ExtractScanner& scanner,
                           const StopToken& stop, HtmlReportObserver* observer) {
  HtmlReport report;
  PageWriter page;
  WriteHead(page, request);
  WriteSummary(page, request);
  FileExtractCollector collector = MakeCollector(request);
  for (std::size_t i = 0; i < request.files.size(); ++i) {
    const bool goOn = WriteFile(page, request, request.files[i], scanner, collector, report.totals);
    if (observer) observer->FileReported(i);
    if (!goOn || stop.StopRequested()) {
      report.stopped = true;
      break;
    }
  }
  WriteFoot(page, request, report);
  report.html = page.Take();
  return report;
}

HtmlReportResult WriteHtmlReport(std::u16string_view path, const ReportRequest& request,
                                 ExtractScanner& scanner, const StopToken& stop,
                                 HtmlReportObserver* observer) {
  HtmlReport report = BuildHtmlReport(request, scanner, stop, observer);
  HtmlReportResult result{{}, report.stopped, report.totals};
  const std::u16string folder = GetFolderPart(path);
  if (!folder.empty()) {
    std::error_code ignored;
    std::filesystem::create_directories(ToFsPath(folder), ignored);
  }
  std::u16string error;
  if (!WriteWholeFile(path, report.html, &error)) {
    result.error = u"The report file " + std::u16string(path) + u" could not be written: " + error;
  }
  return result;
}

}  // namespace quor
