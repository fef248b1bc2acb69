// The text report: the content of the HTML report as plain lines (a header
// about the search, each found file with its title, description, path and
// extracts, a closing remark), fed line by line to an output such as the
// large output window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/messages.h"
#include "report/report_request.h"

namespace quor {

inline constexpr std::u16string_view kTextReportBufferFull = u"THE REPORT BUFFER IS FULL.";
// Files longer than this get the "Searching file ..." note while scanned.
inline constexpr std::int64_t kSearchingNoteThreshold = 10240;
inline constexpr std::u16string_view kSearchingNote = u"Searching file ...";

// Where the text report goes.
class TextReportOutput {
 public:
  virtual ~TextReportOutput() = default;
  // Appends one line and its line end. False once the output is full: it has
  // shown its buffer-full notice and takes no more text, and the report ends.
  virtual bool AppendLine(std::u16string_view line) = 0;
  // Shows the temporary progress note (no line end) / takes it away again.
  virtual void ShowNote(std::u16string_view note) = 0;
  virtual void RemoveNote() = 0;
  // Before each extract line: make room for it (the window widens) and wait
  // while the user has paused the report.
  virtual void BeforeExtract(std::u16string_view extract) { (void)extract; }
  // After each extract line (the window scrolls to its end).
  virtual void AfterExtract() {}
};

struct TextReportResult {
  bool stopped = false;     // stop was requested; the report has no foot
  bool bufferFull = false;  // the output filled up; the report ended there
  ReportTotals totals;
};

// Writes the report to output. stop is polled before each file and each
// extract line; a stopped report ends at once, without its foot.
TextReportResult WriteTextReport(const ReportRequest& request, ExtractScanner& scanner,
                                 TextReportOutput& output, const StopToken& stop);

// An output that keeps the text in memory (the command line, tests), with the
// large output window's capacity rule: once the text exceeds capacity
// characters, the next line replaces its last 512 characters by " ...", an
// empty line and the buffer-full message, and nothing more is taken.
// A capacity of 0 means no limit.
class TextReportBuffer : public TextReportOutput {
 public:
  static constexpr std::size_t kDefaultCapacity = 61440;
  explicit TextReportBuffer(std::size_t capacity = kDefaultCapacity,
                            std::u16string fullMessage = std::u16string(kTextReportBufferFull));

  bool AppendLine(std::u16string_view line) override;
  void ShowNote(std::u16string_view note) override;
  void RemoveNote() override;

  // The text so far, every line ending in CR LF.
  const std::u16string& Text() const { return text_; }
  bool Full() const { return full_; }

 private:
  std::size_t capacity_;
  std::u16string fullMessage_;
  std::u16string text_;
  std::size_t noteStart_ = std::u16string::npos;
  bool full_ = false;
};

}  // namespace quor
