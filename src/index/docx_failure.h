// The messages of a DOCX document that could not be converted, and the
// routing of the conversion's own questions to the user's message boxes.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "common/messages.h"
#include "extract/docx.h"

namespace quor {

// What the caller does after ReportDocxFailure.
inline constexpr int kDocxGoOn = 0;      // pass the file over, go on with the next
inline constexpr int kDocxStopRun = -1;  // stop the whole run

// Shows the message for a negative status of ConvertDocxToText about the file
// at path and returns kDocxGoOn or kDocxStopRun:
// - kDocxTooLarge: "File too large"; the run ends.
// - kDocxLargeDeclined: "File possibly too large", OK goes on, Cancel ends.
// - kDocxNoDocumentText: a notice that the file holds no document text; goes on.
// - kDocxDamagedDeclined: the user already declined the file: no message; goes on.
// - any other status: "Error <status> when processing <path>" with errorText
//   when there is one; the run ends.
int ReportDocxFailure(MessageSink& platform, std::int32_t status, std::u16string_view path,
                      std::u16string_view errorText);

// Callbacks that show the conversion's questions and notices as messages of
// platform; its event checks ask stopRequested whether the run was asked to
// stop (it may be empty).
DocxCallbacks DocxCallbacksFor(MessageSink& platform, std::function<bool()> stopRequested);

}  // namespace quor
