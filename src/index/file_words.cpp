#include "index/file_words.h"

#include <string>

namespace quor {

namespace {

void ShowError(MessageSink& sink, std::u16string text) {
  sink.MsgBox(std::move(text), MsgButtons::Ok, MsgIcon::Exclamation, u"Error");
}

void ShowReadError(MessageSink& sink, const std::u16string& description, std::u16string_view path) {
  ShowError(sink, description + u"\r\n" + std::u16string(path));
}

// Scans the lines of the open text until its end, the attachment marker, a
// stop or an error.
FileReadOutcome ScanLines(MessageSink& sink, WordScanner& scanner, DocumentText& text,
                          std::u16string_view path, const std::function<bool()>& afterLine) {
  std::u16string_view line;
  while (text.NextLine(line)) {
    const LineOutcome outcome = scanner.ProcessLine(line);
    if (outcome == LineOutcome::kEndOfText) return FileReadOutcome::kRead;
    if (outcome == LineOutcome::kStopped || scanner.StopRequested()) {
      if (scanner.ErrorText().empty()) return FileReadOutcome::kStopped;
      ShowError(sink, scanner.ErrorText());
      return FileReadOutcome::kFailed;
    }
    if (afterLine && afterLine()) return FileReadOutcome::kStopped;
  }
  if (!text.Failed()) return FileReadOutcome::kRead;
  ShowReadError(sink, text.Error(), path);
  return FileReadOutcome::kFailed;
}

}  // namespace

FileReadResult ReadFileWords(DocumentTextObserver& observer, WordScanner& scanner,
                             std::u16string_view path, int typeCode, std::uint32_t fileNumber,
                             const FileReadHooks& hooks) {
  FileReadResult result;
  // Each file starts outside markup: a tag left open at the end of one file
  // must not hide the words of the next.
  scanner.ClearInTag();
  scanner.BeginFile(fileNumber);

  // The conversion's stop checks also ask the caller's line hook, as a long
  // conversion is part of reading the file.
  ForwardingDocumentObserver steps(observer, observer.TempRoot(), [&] {
    return observer.ConversionStep() || (hooks.afterLine && hooks.afterLine());
  });
  DocumentText text(steps);
  switch (text.Open(path, typeCode)) {
    case DocumentOpen::kOpened:
      break;
    case DocumentOpen::kPassedOver:
      result.outcome = FileReadOutcome::kPassedOver;
      return result;
    case DocumentOpen::kStopped:
      result.outcome = FileReadOutcome::kStopped;
      return result;
    case DocumentOpen::kFailed:
      if (!text.Error().empty()) ShowReadError(observer, text.Error(), path);
      result.outcome = FileReadOutcome::kFailed;
      return result;
  }
  result.textSize = text.TextSize();
  if (hooks.opened) hooks.opened(result.textSize);
  result.outcome = ScanLines(observer, scanner, text, path, hooks.afterLine);
  return result;
}

}  // namespace quor
