#include "index/docx_failure.h"

#include <string>
#include <utility>

#include "common/strings.h"

namespace quor {

int ReportDocxFailure(MessageSink& platform, std::int32_t status, std::u16string_view path,
                      std::u16string_view errorText) {
  const std::u16string crLf(kCrLf);
  const std::u16string file(path);
  switch (status) {
    case kDocxTooLarge:
      platform.MsgBox(file + crLf + u"is too large to include in the index." + crLf + crLf +
                          u"This indexing operation will now end.",
                      MsgButtons::Ok, MsgIcon::Exclamation, u"File too large");
      return kDocxStopRun;
    case kDocxLargeDeclined: {
      const MsgResult answer = platform.MsgBox(
          file + crLf + u" may be too large to index." + crLf + crLf +
              u"Press 'OK' to attempt to include it, or 'Cancel' to stop this indexing operation.",
          MsgButtons::OkCancel, MsgIcon::Exclamation, u"File possibly too large");
      return answer == MsgResult::Ok ? kDocxGoOn : kDocxStopRun;
    }
    case kDocxNoDocumentText:
      // A package without a readable document part is one bad file among
      // many: it is named and passed over, the run goes on.
      platform.MsgBox(file + crLf + u"has no document text and is passed over.", MsgButtons::Ok,
                      MsgIcon::Exclamation, u"Error");
      return kDocxGoOn;
    case kDocxDamagedDeclined:
      // The user has just answered No to scanning this damaged file; that
      // answer is about this file only, not about the run.
      return kDocxGoOn;
    default: {
      std::u16string text = u"Error " + ToText(status) + u" when processing " + crLf + file;
      if (!errorText.empty()) text += crLf + std::u16string(errorText);
      platform.MsgBox(std::move(text), MsgButtons::Ok, MsgIcon::Exclamation, u"Error");
      return kDocxStopRun;
    }
  }
}

DocxCallbacks DocxCallbacksFor(MessageSink& platform, std::function<bool()> stopRequested) {
  DocxCallbacks callbacks;
  callbacks.show = [&platform](const DocxMessage& message) {
    using Kind = DocxMessage::Kind;
    switch (message.kind) {
      case Kind::Question:
        return platform.MsgBox(message.text, MsgButtons::YesNo, MsgIcon::None, message.title) ==
               MsgResult::Yes;
      case Kind::QuestionDefaultNo:
        return platform.MsgBox(message.text, MsgButtons::YesNo, MsgIcon::None, message.title, 2) ==
               MsgResult::Yes;
      case Kind::Notice:
        platform.MsgBox(message.text, MsgButtons::Ok, MsgIcon::None, message.title);
        return true;
      case Kind::Error:
        platform.MsgBox(message.text, MsgButtons::Ok, MsgIcon::Exclamation, message.title);
        return true;
    }
    return true;
  };
  callbacks.processEvents = [&platform, stop = std::move(stopRequested)] { return stop && stop(); };
  return callbacks;
}

}  // namespace quor
