#include "index/file_words.h"

#include <string>

#include "extract/classify.h"
#include "extract/docx.h"
#include "extract/text_reader.h"
#include "index/docx_failure.h"

namespace quor {

namespace {

void ShowError(MessageSink& platform, std::u16string text) {
  platform.MsgBox(std::move(text), MsgButtons::Ok, MsgIcon::Exclamation, u"Error");
}

void ShowReadError(MessageSink& platform, const std::u16string& description,
                   std::u16string_view path) {
  ShowError(platform, description + u"\r\n" + std::u16string(path));
}

// Scans the lines of the open text until its end, the attachment marker, a
// stop or an error.
FileReadOutcome ScanLines(MessageSink& platform, WordScanner& scanner, TextLineReader& reader,
                          std::u16string_view path, const std::function<bool()>& afterLine) {
  std::u16string_view line;
  while (reader.NextLine(line)) {
    const LineOutcome outcome = scanner.ProcessLine(line);
    if (outcome == LineOutcome::kEndOfText) return FileReadOutcome::kRead;
    if (outcome == LineOutcome::kStopped || scanner.StopRequested()) {
      if (scanner.ErrorText().empty()) return FileReadOutcome::kStopped;
      ShowError(platform, scanner.ErrorText());
      return FileReadOutcome::kFailed;
    }
    if (afterLine && afterLine()) return FileReadOutcome::kStopped;
  }
  if (!reader.Failed()) return FileReadOutcome::kRead;
  ShowReadError(platform, reader.Error(), path);
  return FileReadOutcome::kFailed;
}

}  // namespace

FileReadResult ReadFileWords(MessageSink& platform, std::u16string_view tempFolder,
                             WordScanner& scanner, std::u16string_view path, int typeCode,
                             std::uint32_t fileNumber, const FileReadHooks& hooks) {
  FileReadResult result;
  // Each file starts outside markup: a tag left open at the end of one file
  // must not hide the words of the next.
  scanner.ClearInTag();
  scanner.BeginFile(fileNumber);

  std::u16string textPath(path);
  std::u16string docxFolder;
  if (IsDocxFile(path)) {
    const DocxConversion conversion =
        ConvertDocxToText(path, tempFolder, u"QUOR", DocxCallbacksFor(platform, hooks.afterLine));
    if (conversion.status < 0) {
      const int next = ReportDocxFailure(platform, conversion.status, path, conversion.errorText);
      result.outcome = next == kDocxGoOn ? FileReadOutcome::kPassedOver : FileReadOutcome::kFailed;
      return result;
    }
    docxFolder = conversion.tempFolder;
    textPath = conversion.textPath;
    // The document's text is one line of Windows-1252 bytes.
    typeCode = kTypeCrLf;
  }

  TextLineReader reader;
  if (reader.Open(textPath, typeCode)) {
    result.textSize = reader.FileSize();
    if (hooks.opened) hooks.opened(result.textSize);
    result.outcome = ScanLines(platform, scanner, reader, path, hooks.afterLine);
  } else {
    ShowReadError(platform, reader.Error(), path);
    result.outcome = FileReadOutcome::kFailed;
  }
  reader.Close();
  if (!docxFolder.empty() && !ClearDocxTemp(docxFolder)) result.tempFolderLeft = docxFolder;
  return result;
}

}  // namespace quor
