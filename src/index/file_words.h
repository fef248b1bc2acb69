// Reading one listed file into the word scanner, exactly as the indexing pass
// does: the scanner starts the file outside markup with its common-word flags
// cleared, a DOCX document is converted to its temporary text first, and the
// file's lines are cut by the rule of its text type code and scanned one by
// one until the end, the attachment marker or a stop.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "extract/document_text.h"
#include "index/word_scanner.h"

namespace quor {

enum class FileReadOutcome {
  kRead,        // every line was scanned (or the attachment marker ended the text)
  kPassedOver,  // a DOCX document that gives no text; the run goes on with the next file
  kStopped,     // afterLine or the DOCX conversion's event check asked for a stop
  kFailed,      // a read error, a word the lexicon could not take, or a DOCX
                // failure that ends the run; its message has been shown
};

struct FileReadResult {
  FileReadOutcome outcome = FileReadOutcome::kRead;
  // Bytes of the text that was read: the file itself, or the temporary text
  // of a DOCX document (what the run adds to its total text size).
  std::int64_t textSize = 0;
};

// What the caller does while a file is read. Both may be empty.
struct FileReadHooks {
  // The text is open and about to be read; textSize as in FileReadResult.
  std::function<void(std::int64_t textSize)> opened;
  // Called after every line (the place for pending events and the progress
  // display); returning true ends the reading as kStopped. It also answers
  // the DOCX conversion's stop checks.
  std::function<bool()> afterLine;
};

// Reads the file at path (text type code typeCode, 1 or more) into scanner
// for file number fileNumber (1-based), through DocumentText. Messages go to
// observer: a read error with its description and the path (exclamation,
// title "Error"), a word the lexicon could not take, DOCX questions and
// failures as the conversion and ReportDocxFailure word them, and "Cannot
// delete temporary folder" when a DOCX temporary folder remains. The DOCX
// conversion's stop checks ask observer.ConversionStep and then
// hooks.afterLine. The counts of the file stay in the scanner's lexicon;
// ending the file (WordScanner::EndFile) is the caller's. A DOCX temporary
// folder is removed before the call returns, whatever the outcome.
FileReadResult ReadFileWords(DocumentTextObserver& observer, WordScanner& scanner,
                             std::u16string_view path, int typeCode, std::uint32_t fileNumber,
                             const FileReadHooks& hooks = {});

}  // namespace quor
