#include "extract/document_text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/encoding.h"
#include "common/files.h"
#include "common/strings.h"
#include "extract/classify.h"

namespace quor {

namespace {

// The name of every DOCX temporary folder, followed by three digits.
constexpr std::u16string_view kTempFolderName = u"QUOR";

}  // namespace

std::u16string DocumentTextObserver::TempRoot() {
  return SystemTempFolder();
}

int ReportDocxFailure(MessageSink& sink, std::int32_t status, std::u16string_view path,
                      std::u16string_view errorText) {
  const std::u16string crLf(kCrLf);
  const std::u16string file(path);
  switch (status) {
    case kDocxTooLarge:
      sink.MsgBox(file + crLf + u"is too large to include in the index." + crLf + crLf +
                      u"This indexing operation will now end.",
                  MsgButtons::Ok, MsgIcon::Exclamation, u"File too large");
      return kDocxStopRun;
    case kDocxLargeDeclined: {
      const MsgResult answer = sink.MsgBox(
          file + crLf + u" may be too large to index." + crLf + crLf +
              u"Press 'OK' to attempt to include it, or 'Cancel' to stop this indexing operation.",
          MsgButtons::OkCancel, MsgIcon::Exclamation, u"File possibly too large");
      return answer == MsgResult::Ok ? kDocxGoOn : kDocxStopRun;
    }
    case kDocxNoDocumentText:
      // A package without a readable document part is one bad file among
      // many: it is named and passed over, the run goes on.
      sink.MsgBox(file + crLf + u"has no document text and is passed over.", MsgButtons::Ok,
                  MsgIcon::Exclamation, u"Error");
      return kDocxGoOn;
    case kDocxDamagedDeclined:
      // The user has just answered No to scanning this damaged file; that
      // answer is about this file only, not about the run.
      return kDocxGoOn;
    default: {
      std::u16string text = u"Error " + ToText(status) + u" when processing " + crLf + file;
      if (!errorText.empty()) text += crLf + std::u16string(errorText);
      sink.MsgBox(std::move(text), MsgButtons::Ok, MsgIcon::Exclamation, u"Error");
      return kDocxStopRun;
    }
  }
}

DocxCallbacks DocxCallbacksFor(DocumentTextObserver& observer) {
  DocxCallbacks callbacks;
  callbacks.show = [&observer](const DocxMessage& message) {
    using Kind = DocxMessage::Kind;
    switch (message.kind) {
      case Kind::Question:
        return observer.MsgBox(message.text, MsgButtons::YesNo, MsgIcon::None, message.title) ==
               MsgResult::Yes;
      case Kind::QuestionDefaultNo:
        return observer.MsgBox(message.text, MsgButtons::YesNo, MsgIcon::None, message.title, 2) ==
               MsgResult::Yes;
      case Kind::Notice:
        observer.MsgBox(message.text, MsgButtons::Ok, MsgIcon::None, message.title);
        return true;
      case Kind::Error:
        observer.MsgBox(message.text, MsgButtons::Ok, MsgIcon::Exclamation, message.title);
        return true;
    }
    return true;
  };
  callbacks.processEvents = [&observer] { return observer.ConversionStep(); };
  return callbacks;
}

DocumentText::DocumentText(DocumentTextObserver& observer) : observer_(observer) {}

DocumentText::~DocumentText() {
  Close();
}

const std::u16string& DocumentText::Error() const {
  static const std::u16string none;
  return textOpened_ ? reader_.Error() : none;
}

DocumentOpen DocumentText::Open(std::u16string_view path, int typeCode) {
  Close();
  if (!IsDocxFile(path)) {
    textOpened_ = true;
    return reader_.Open(path, typeCode) ? DocumentOpen::kOpened : DocumentOpen::kFailed;
  }
  DocxCallbacks callbacks = DocxCallbacksFor(observer_);
  // A stop during the conversion leaves a text without the runs after it;
  // it is not read as if it were the document.
  bool stopped = false;
  callbacks.processEvents = [this, &stopped] {
    if (observer_.ConversionStep()) stopped = true;
    return stopped;
  };
  const DocxConversion conversion =
      ConvertDocxToText(path, observer_.TempRoot(), kTempFolderName, callbacks);
  if (conversion.status < 0) {
    const int next = ReportDocxFailure(observer_, conversion.status, path, conversion.errorText);
    return next == kDocxGoOn ? DocumentOpen::kPassedOver : DocumentOpen::kFailed;
  }
  tempFolder_ = conversion.tempFolder;
  if (stopped) {
    Close();
    return DocumentOpen::kStopped;
  }
  textOpened_ = true;
  // The document's text is one line of Windows-1252 bytes.
  return reader_.Open(conversion.textPath, kTypeCrLf) ? DocumentOpen::kOpened
                                                      : DocumentOpen::kFailed;
}

bool DocumentText::NextLine(std::u16string_view& line) {
  return reader_.NextLine(line);
}

bool DocumentText::NextLineBytes(std::string_view& line) {
  return reader_.NextLineBytes(line);
}

bool DocumentText::NextBlock(std::string_view& block) {
  std::size_t filled = 0;
  while (filled < kBlockSize) {
    if (chunk_.empty() && !reader_.NextChunk(chunk_)) break;
    // A whole block inside the chunk is handed out where it lies.
    if (filled == 0 && chunk_.size() >= kBlockSize) {
      block = chunk_.substr(0, kBlockSize);
      chunk_.remove_prefix(kBlockSize);
      return true;
    }
    if (block_.size() != kBlockSize) block_.resize(kBlockSize);
    const std::size_t n = std::min(kBlockSize - filled, chunk_.size());
    std::memcpy(block_.data() + filled, chunk_.data(), n);
    filled += n;
    chunk_.remove_prefix(n);
  }
  if (filled == 0 || reader_.Failed()) return false;
  block = std::string_view(block_.data(), filled);
  return true;
}

void DocumentText::Close() {
  reader_.Close();
  textOpened_ = false;
  chunk_ = {};
  if (tempFolder_.empty()) return;
  const std::u16string folder = std::move(tempFolder_);
  tempFolder_.clear();
  if (ClearDocxTemp(folder)) return;
  observer_.MsgBox(u"Cannot delete temporary folder " + folder, MsgButtons::Ok,
                   MsgIcon::Exclamation, u"Error");
}

}  // namespace quor
