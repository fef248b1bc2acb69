// The HTML report "quor.htm": the found files of the last search, each with
// its title as a link to the file, its description and path when asked for,
// and its extracts with the search words in bold.
//
// The page is pure ASCII with CR LF line ends. Every text taken from a
// document or typed by the user goes through HtmlText, so no title, path or
// extract can add markup of its own; file links are percent-encoded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/messages.h"
#include "report/report_request.h"

namespace quor {

inline constexpr std::u16string_view kHtmlReportFileName = u"quor.htm";

// Told of each file as the report is written (the window adds a dot to its
// results box and services its events).
class HtmlReportObserver {
 public:
  virtual ~HtmlReportObserver() = default;
  // index is 0-based in request.files; called after the file's entry.
  virtual void FileReported(std::size_t index) = 0;
};

struct HtmlReport {
  std::string html;      // the whole page
  bool stopped = false;  // stop was requested; the page ends with the stop notice
  ReportTotals totals;
};

// Builds the page. stop is polled after each file: a stopped report is still
// a complete page, ending with "[Generation of report was stopped.]".
HtmlReport BuildHtmlReport(const ReportRequest& request, ExtractScanner& scanner,
                           const StopToken& stop, HtmlReportObserver* observer = nullptr);

struct HtmlReportResult {
  std::u16string error;  // empty on success
  bool stopped = false;  // a stopped report is written but not to be opened
  ReportTotals totals;
};

// Builds the page and writes it to path (its folder is made when missing),
// replacing any earlier report. A write failure is returned as error.
[[nodiscard]] HtmlReportResult WriteHtmlReport(std::u16string_view path,
                                               const ReportRequest& request,
                                               ExtractScanner& scanner, const StopToken& stop,
                                               HtmlReportObserver* observer = nullptr);

}  // namespace quor
