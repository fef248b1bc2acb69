#include "index/file_words.h"

#include <string>

#include "extract/classify.h"
#include "extract/docx.h"
#include "extract/text_reader.h"
#include "index/docx_failure.h"

namespace quor {

namespace {

// Removes a DOCX conversion's temporary folder when the file is done with,
// on every way out of the reading.
class DocxTempGuard {
 public:
  DocxTempGuard() = default;
  ~DocxTempGuard() {
    if (!folder_.empty()) ClearDocxTemp(folder_);
  }
  DocxTempGuard(const DocxTempGuard&) = delete;
  DocxTempGuard& operator=(const DocxTempGuard&) = delete;
  void Hold(std::u16string folder) { folder_ = std::move(folder); }

 private:
  std::u16string folder_;
};

void ShowError(ui::Platform& platform, std::u16string text) {
  platform.MsgBox(std::move(text), ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, u"Error");
}

}  // namespace

FileReadResult ReadFileWords(ui::Platform& platform, WordScanner& scanner, std::u16string_view path,
                             int typeCode, std::uint32_t fileNumber,
                             const std::function<bool()>& afterLine) {
  FileReadResult result;
  // Each file starts outside markup: a tag left open at the end of one file
  // must not hide the words of the next.
  scanner.ClearInTag();
  scanner.BeginFile(fileNumber);

  std::u16string textPath(path);
  DocxTempGuard temp;
  if (IsDocxFile(path)) {
    const DocxConversion conversion = ConvertDocxToText(path, platform.TempFolder(), u"QUOR",
                                                        DocxCallbacksFor(platform, afterLine));
    if (conversion.status < 0) {
      const int next = ReportDocxFailure(platform, conversion.status, path, conversion.errorText);
      result.outcome = next == kDocxGoOn ? FileReadOutcome::kPassedOver : FileReadOutcome::kFailed;
      return result;
    }
    temp.Hold(conversion.tempFolder);
    textPath = conversion.textPath;
    // The document's text is one line of Windows-1252 bytes.
    typeCode = kTypeCrLf;
  }

  TextLineReader reader;
  if (!reader.Open(textPath, typeCode)) {
    ShowError(platform, reader.Error());
    result.outcome = FileReadOutcome::kFailed;
    return result;
  }
  result.textSize = reader.FileSize();

  std::u16string_view line;
  while (reader.NextLine(line)) {
    const LineOutcome outcome = scanner.ProcessLine(line);
    if (outcome == LineOutcome::kEndOfText) break;
    if (outcome == LineOutcome::kStopped || scanner.StopRequested()) {
      if (scanner.ErrorText().empty()) {
        result.outcome = FileReadOutcome::kStopped;
      } else {
        ShowError(platform, scanner.ErrorText());
        result.outcome = FileReadOutcome::kFailed;
      }
      return result;
    }
    if (afterLine && afterLine()) {
      result.outcome = FileReadOutcome::kStopped;
      return result;
    }
  }
  if (reader.Failed()) {
    ShowError(platform, reader.Error());
    result.outcome = FileReadOutcome::kFailed;
  }
  return result;
}

}  // namespace quor
