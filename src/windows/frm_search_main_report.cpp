// frmSearchMain: "Report ->" and the two reports on the last search, the HTML
// report "quor.htm" opened in the browser and the text report in the large
// output window.
#include "windows/frm_search_main.h"

#include <algorithm>

#include "extract/document_text.h"
#include "report/html_report.h"
#include "report/report_request.h"
#include "report/search_scanner.h"
#include "report/text_report.h"
#include "ui/app_context.h"
#include "ui/frm_large_display.h"
#include "ui/platform.h"
#include "ui/shell_services.h"
#include "windows/frm_search_main_texts.h"

namespace quor {

using namespace search_main;

namespace {

constexpr std::u16string_view kCloseCaption = u"Close";

// The HTML report's progress: one more dot in the results box per file, and
// events serviced, so that "Stop" (the report button) and the close box stay
// live.
class WindowHtmlObserver : public HtmlReportObserver {
 public:
  WindowHtmlObserver(frmSearchMain& form, StopToken& stop) : form_(form), stop_(stop) {}
  void FileReported(std::size_t) override {
    form_.txbFiles.SetText(form_.txbFiles.Text() + u".");
    form_.ServiceEvents();
    if (form_.App().ModuleClosed) stop_.RequestStop();
  }

 private:
  frmSearchMain& form_;
  StopToken& stop_;
};

// The text report's lines go to the large output window. The user stops the
// report with its "Stop" button (which then reads "Close") or by closing it,
// and pauses it between extracts with its "Pause" button.
class LargeDisplayOutput : public TextReportOutput {
 public:
  LargeDisplayOutput(frmSearchMain& form, ui::frmLargeDisplay& display, StopToken& stop)
      : form_(form), display_(display), stop_(stop) {}

  bool AppendLine(std::u16string_view line) override {
    display_.Output(line, 1, false);
    CheckStop();
    return !display_.FullMessageShown();
  }
  void ShowNote(std::u16string_view note) override {
    noteStart_ = display_.txbOutput.Text().size();
    display_.Output(note, 0, true);
    CheckStop();
  }
  void RemoveNote() override {
    const std::u16string& text = display_.txbOutput.Text();
    if (noteStart_ < text.size() && !display_.FullMessageShown()) {
      display_.txbOutput.SetText(text.substr(0, noteStart_));
    }
  }
  void BeforeExtract(std::u16string_view extract) override {
    display_.WidenDisplayIfNeeded(extract, 95, 0.95);
    CheckStop();
    while (display_.Paused && display_.Visible() && !form_.App().ModuleClosed) {
      form_.GetPlatform().WaitForEvents(50);
    }
    CheckStop();
  }
  void AfterExtract() override { display_.ShowEnd(); }

 private:
  void CheckStop() {
    form_.ServiceEvents();
    if (display_.cmdClose.caption != kStopCaption || !display_.Visible() ||
        form_.App().ModuleClosed) {
      stop_.RequestStop();
    }
  }

  frmSearchMain& form_;
  ui::frmLargeDisplay& display_;
  StopToken& stop_;
  std::size_t noteStart_ = 0;
};

}  // namespace

void frmSearchMain::cmdGenerateHTML_Click() {
  if (cmdGenerateHTML.caption == kStopCaption) {
    reportStop_.RequestStop();
    return;
  }
  if (txbIndexFile.Text().empty()) return ShowNotSpecified(u"Index file");
  if (txbTopFolder.Text().empty()) return ShowNotSpecified(u"Top folder");
  if (!lastSearch || lastResult.FoundCount < 1) {
    GetPlatform().MsgBox(
        u"Nothing to report.  Either there are no matches\r\nor a search has not yet been "
        u"performed.",
        ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, cmdGenerateHTML.caption);
    return;
  }
  if (SearchWordsChanged) {
    GetPlatform().MsgBox(
        app_.GetProgramText(kTextWordsChanged) + u"\r\n" + app_.GetProgramText(kTextSearchFirst),
        ui::MsgButtons::Ok, ui::MsgIcon::Information, cmdGenerateHTML.caption);
    return;
  }
  if (SortRequestedAfterSearch) {
    GetPlatform().MsgBox(u"Sorting has been requested.\r\n" + app_.GetProgramText(kTextSearchFirst),
                         ui::MsgButtons::Ok, ui::MsgIcon::Information, cmdGenerateHTML.caption);
    return;
  }
  if (!ValidateMaxExtracts(cmdGenerateHTML.caption)) return;
  MakeReport();
}

void frmSearchMain::MakeReport() {
  ReportOptions options;
  options.windowCaption = caption;
  options.maxExtracts = MaxNumExtracts;
  options.extractSize = std::max(0, cboSizeOfExtract.ListIndex()) + 1;
  options.showDescriptions = chkDisplayDescriptions.Value() == 1;
  options.showPaths = chkDisplayFilepaths.Value() == 1;
  const ReportRequest request = MakeReportRequest(*lastSearch, lastResult, options);
  // A DOCX document's conversion services the events too.
  ForwardingDocumentObserver documents(GetPlatform(), GetPlatform().TempFolder(), [this] {
    ServiceEvents();
    return app_.ModuleClosed;
  });
  SearchFileScanner scanner(request.searchType, documents);
  if (optHTMLReport.Value()) {
    WriteHtmlReportNow(request, scanner);
  } else {
    WriteTextReportNow(request, scanner);
  }
}

void frmSearchMain::WriteHtmlReportNow(const ReportRequest& request, ExtractScanner& scanner) {
  const std::u16string resultsText = txbFiles.Text();
  txbFiles.SetText(u"Now generating HTML report ..");
  DisableControlsExcept({&cmdGenerateHTML});
  cmdGenerateHTML.caption = std::u16string(kStopCaption);
  reportStop_.Reset();
  Refresh();

  WindowHtmlObserver observer(*this, reportStop_);
  const std::u16string path = ReportPath();
  const HtmlReportResult written = WriteHtmlReport(path, request, scanner, reportStop_, &observer);

  txbFiles.SetText(resultsText);
  RestoreControls();
  cmdGenerateHTML.caption = std::u16string(kReportCaption);
  const bool stopped = written.stopped || reportStop_.StopRequested();
  reportStop_.Reset();
  if (!written.error.empty()) {
    GetPlatform().MsgBox(u"Cannot write the report " + path + u": " + written.error,
                         ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, cmdGenerateHTML.caption);
    return;
  }
  if (stopped || app_.ModuleClosed) return;
  ui::OpenInBrowser(GetPlatform(), path);
}

void frmSearchMain::WriteTextReportNow(const ReportRequest& request, ExtractScanner& scanner) {
  ui::frmLargeDisplay& display = PrepareLargeDisplay(u"Search results", kTextReportBufferFull);
  display.txbOutput.font.size = 10;
  display.cmdClose.caption = std::u16string(kStopCaption);
  display.Busy = true;
  display.Refresh();

  DisableControlsExcept({&cmdQuit});
  StopToken stop;
  LargeDisplayOutput output(*this, display, stop);
  const TextReportResult result = WriteTextReport(request, scanner, output, stop);
  RestoreControls();

  display.Busy = false;
  if (display.Paused) display.Paused = false;
  display.cmdCopyToClipboard.caption = u"Copy to clipboard";
  display.cmdCopyToClipboard.enabled = true;
  display.cmdClose.caption = std::u16string(kCloseCaption);
  display.SetCopyToClipboardButton();
  if (!result.stopped) display.ShowBeginning();
  display.Refresh();
}

}  // namespace quor
