#include "report/text_report.h"

#include <utility>

#include "common/files.h"
#include "common/strings.h"
#include "extract/text_normalize.h"

namespace quor {
namespace {

// Builds the result anew rather than replacing in place: GCC 12 at -O3 takes
// an in-place replace for an overlapping copy (-Wrestrict).
void ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  std::size_t at = text.find(from);
  if (at == std::u16string::npos) return;
  std::u16string out;
  out.reserve(text.size());
  std::size_t done = 0;
  for (; at != std::u16string::npos; at = text.find(from, done)) {
    out.append(text, done, at - done);
    out.append(to);
    done = at + from.size();
  }
  out.append(text, done, std::u16string::npos);
  text = std::move(out);
}

std::u16string TitleLine(std::u16string_view title) {
  std::u16string text = RepairUtf8Punctuation(RepairUtf8Latin(title));
  DecodeEntities(text);
  ReplaceAll(text, u"&quot;", u"\"");
  ReplaceAll(text, u"&#8217;", u"'");
  ReplaceAll(text, u"&#151;", u"--");
  return text;
}

// The extract as a plain line: search words shown like the rest.
std::u16string ExtractLine(const Extract& extract) {
  std::u16string line;
  ForEachExtractPiece(extract, [&line](std::u16string_view piece, bool) {
    std::u16string text = RepairUtf8Punctuation(RepairUtf8Latin(piece));
    ReplaceAll(text, u"&quot;", u"\"");
    ReplaceAll(text, u"&#8216;", u"'");
    ReplaceAll(text, u"&#8217;", u"'");
    ReplaceAll(text, u"&#151;", u"--");
    ReplaceAll(text, u"&gt;", u">");
    DecodeEntities(text);
    line += text;
  });
  return line;
}

class TextReportRun {
 public:
  TextReportRun(const ReportRequest& request, ExtractScanner& scanner, TextReportOutput& output,
                const StopToken& stop)
      : request_(request), scanner_(scanner), output_(output), stop_(stop) {}

  TextReportResult Run() {
    if (!WriteHeader()) return result_;
    FileExtractCollector collector = MakeCollector(request_);
    for (const ReportFile& file : request_.files) {
      if (Stopped() || !WriteFile(file, collector)) return result_;
    }
    WriteFoot();
    return result_;
  }

 private:
  // False once the output is full.
  bool Line(std::u16string_view text) {
    if (output_.AppendLine(text)) return true;
    result_.bufferFull = true;
    return false;
  }

  bool Stopped() {
    if (stop_.StopRequested()) result_.stopped = true;
    return result_.stopped;
  }

  bool WriteHeader() {
    const bool severalWords = request_.searchWords.size() > 1;
    if (!Line(std::u16string(u"Search word") + (severalWords ? u"s" : u"") + u": " +
              request_.searchText)) {
      return false;
    }
    if (request_.searchText.find(u'*') != std::u16string::npos) {
      const auto words = ExpandedWordList(request_);
      const std::u16string line = words ? u"Expanded: " + *words
                                        : u"There are more than " + ToText(kMaxExpandedWordsShown) +
                                              u" actual search words.";
      if (!Line(line)) return false;
    }
    if (severalWords && !Line(u"Search type: " + request_.searchTypeText)) return false;
    if (ShowsFilesFound(request_) &&
        !Line(u"Files found: " + GroupDigits(std::ssize(request_.files)))) {
      return false;
    }
    if (!request_.singleFile.empty() && !Line(u"File: " + request_.singleFile)) return false;
    if (request_.files.size() > 1 && request_.sorted &&
        !Line(u"Results displayed in order of decreasing search word occurrence.")) {
      return false;
    }
    return Line(u"");
  }

  // False when the report ends here (stopped or full).
  bool WriteFile(const ReportFile& file, FileExtractCollector& collector) {
    const std::u16string fullPath = FullPath(request_, file);
    if (!Line(TitleLine(file.title))) return false;
    if (ShowsDescription(request_, file) && !Line(u"Description: " + file.description)) {
      return false;
    }
    if (!Line(fullPath)) return false;

    const bool note = FileLength(fullPath).value_or(0) > kSearchingNoteThreshold;
    if (note) output_.ShowNote(kSearchingNote);
    if (!scanner_.ScanFile(fullPath, collector)) result_.stopped = true;
    if (note) output_.RemoveNote();

    const std::vector<Extract>& extracts = collector.Extracts();
    result_.totals.extracts += static_cast<int>(extracts.size());
    const ExtractCount count = CountExtracts(extracts.size(), request_.maxExtracts);
    result_.totals.shortened = result_.totals.shortened || count.shortened;
    for (std::size_t k = 0; k < count.shown; ++k) {
      if (Stopped()) return false;
      const std::u16string line = ExtractLine(extracts[k]);
      output_.BeforeExtract(line);
      if (Stopped() || !Line(line)) return false;
      output_.AfterExtract();
    }
    if (!count.line.empty() && !Line(count.line)) return false;
    return Line(u"") && !result_.stopped;
  }

  void WriteFoot() {
    if (!result_.totals.shortened) {
      if (!Line(u"All occurrences are displayed.")) return;
      if (result_.totals.extracts > 1) {
        (void)Line(u"Number of extracts = " + GroupDigits(result_.totals.extracts));
      }
      return;
    }
    if (request_.maxExtracts == 1) {
      (void)Line(u"At most one extract was requested. Some occurrences are not included above.");
      return;
    }
    (void)Line(u"A maximum of " + GroupDigits(request_.maxExtracts) +
               u" extracts were requested.  Some occurrences are not included above..");
  }

  const ReportRequest& request_;
  ExtractScanner& scanner_;
  TextReportOutput& output_;
  const StopToken& stop_;
  TextReportResult result_;
};

}  // namespace

TextReportResult WriteTextReport(const ReportRequest& request, ExtractScanner& scanner,
                                 TextReportOutput& output, const StopToken& stop) {
  return TextReportRun(request, scanner, output, stop).Run();
}

TextReportBuffer::TextReportBuffer(std::size_t capacity, std::u16string fullMessage)
    : capacity_(capacity), fullMessage_(std::move(fullMessage)) {}

bool TextReportBuffer::AppendLine(std::u16string_view line) {
  constexpr std::size_t kNoticeRoom = 512;
  if (full_) return false;
  if (capacity_ == 0 || text_.size() <= capacity_) {
    text_.append(line).append(kCrLf);
    return true;
  }
  // The text outgrew the capacity with the last line: make room for the notice.
  text_.resize(text_.size() > kNoticeRoom ? text_.size() - kNoticeRoom : 0);
  text_.append(u" ...\r\n\r\n").append(fullMessage_).append(u"  \r\n");
  full_ = true;
  noteStart_ = std::u16string::npos;
  return false;
}

void TextReportBuffer::ShowNote(std::u16string_view note) {
  if (full_) return;
  noteStart_ = text_.size();
  text_.append(note);
}

void TextReportBuffer::RemoveNote() {
  if (noteStart_ == std::u16string::npos) return;
  text_.resize(noteStart_);
  noteStart_ = std::u16string::npos;
}

}  // namespace quor
