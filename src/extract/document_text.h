// A document's text, read the one way the indexing pass and the search-time
// scanner share.
//
// DocumentText opens a listed file with its text type code. A DOCX document
// is first converted into its temporary text (one line of Windows-1252 bytes
// in a private folder "QUOR001"... inside the temporary root); the
// conversion's questions, its failure report and the report of a folder that
// cannot be removed go to a DocumentTextObserver. The text is then handed out
// either as lines, cut by the rule of the type code, or as 4096-byte blocks
// for the search-time scanner; in both a leading UTF-8 byte-order mark is
// skipped and a type-7 file (UTF-16 or UTF-32) arrives transcoded to UTF-8.
//
// The object that converted a document owns its temporary folder and removes
// it when the text is closed: by Close, by the next Open, or by its
// destructor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/messages.h"
#include "extract/docx.h"
#include "extract/text_reader.h"

namespace quor {

// Where a document's reading reports to. Messages and questions arrive as
// message boxes (MessageSink): the DOCX conversion's questions and notices,
// the DOCX failure report, and "Cannot delete temporary folder <folder>".
class DocumentTextObserver : public MessageSink {
 public:
  // The folder in which a DOCX document's temporary folder is made. By
  // default the system temporary folder (SystemTempFolder, common/files.h).
  virtual std::u16string TempRoot();
  // Called while a DOCX document is converted, after every text run: the
  // place for pending events. True asks the reading to stop (Open then
  // answers kStopped). By default never stops.
  virtual bool ConversionStep() { return false; }
};

// An observer that passes messages and questions on to another sink (a
// window's Platform, the command line's printer), with a given temporary root
// and an optional event check for ConversionStep.
class ForwardingDocumentObserver : public DocumentTextObserver {
 public:
  // sink must outlive the observer; an empty step never stops.
  ForwardingDocumentObserver(MessageSink& sink, std::u16string tempRoot,
                             std::function<bool()> step = {})
      : sink_(sink), tempRoot_(std::move(tempRoot)), step_(std::move(step)) {}

  MsgResult MessageBox(const MessageBoxRequest& request) override {
    return sink_.MessageBox(request);
  }
  std::u16string TempRoot() override { return tempRoot_; }
  bool ConversionStep() override { return step_ && step_(); }

 private:
  MessageSink& sink_;
  std::u16string tempRoot_;
  std::function<bool()> step_;
};

// The outcome of DocumentText::Open.
enum class DocumentOpen {
  kOpened,      // the text is ready to be read
  kPassedOver,  // a DOCX document that gives no text; the caller goes on with its next file
  kStopped,     // ConversionStep asked for a stop during a DOCX conversion
  kFailed,      // the file cannot be opened: Error() says why and nothing was reported;
                // or a DOCX failure that ends the caller's work: already reported, Error()
                // empty
};

// What a DOCX failure report tells the caller to do.
inline constexpr int kDocxGoOn = 0;      // pass the file over, go on with the next
inline constexpr int kDocxStopRun = -1;  // stop the whole run (or search)

// Shows the message for a negative status of ConvertDocxToText about the file
// at path through sink and returns kDocxGoOn or kDocxStopRun:
// - kDocxTooLarge: "File too large" (OK, exclamation); stops.
// - kDocxLargeDeclined: "File possibly too large" (OK/Cancel, exclamation);
//   OK goes on, Cancel stops.
// - kDocxNoDocumentText: the file holds no document text (OK, exclamation,
//   "Error"); goes on.
// - kDocxDamagedDeclined: the user already declined the file; no message,
//   goes on.
// - any other status: "Error <status> when processing <path>" with errorText
//   when there is one (OK, exclamation, "Error"); stops.
int ReportDocxFailure(MessageSink& sink, std::int32_t status, std::u16string_view path,
                      std::u16string_view errorText);

// The conversion's questions and notices as message boxes of observer (a
// question with default button No for QuestionDefaultNo, exclamation icon
// for errors, no icon otherwise), its event check through ConversionStep.
DocxCallbacks DocxCallbacksFor(DocumentTextObserver& observer);

// One open document text at a time. Not copyable. Read either by lines or by
// blocks after an Open, not both.
class DocumentText {
 public:
  // The size of a block of NextBlock.
  static constexpr std::size_t kBlockSize = 4096;

  // observer must outlive the object.
  explicit DocumentText(DocumentTextObserver& observer);
  // Closes the text (see Close).
  ~DocumentText();
  DocumentText(const DocumentText&) = delete;
  DocumentText& operator=(const DocumentText&) = delete;

  // Opens the file at path, of text type code typeCode (1 or more; a DOCX
  // document is listed with 1). A DOCX document (IsDocxFile) is converted
  // first and its temporary text is read instead, as type 1. Closes what was
  // open before. On kFailed for a file that cannot be opened, Error() holds
  // the system's description; the caller decides whether to show it.
  [[nodiscard]] DocumentOpen Open(std::u16string_view path, int typeCode);

  // The next line by the line rule of the type code, as Windows-1252
  // characters, valid until the next call. False at the end of the text and
  // on a read error (then Failed()).
  bool NextLine(std::u16string_view& line);
  // The same line as document bytes.
  bool NextLineBytes(std::string_view& line);

  // The next block of document bytes, valid until the next call: block b
  // holds the bytes at offsets kBlockSize * b up to kBlockSize * b +
  // kBlockSize - 1 of the document bytes (after a skipped byte-order mark,
  // after transcoding). Every block has kBlockSize bytes except the last,
  // which has the rest (1 or more); bytes are handed out as they are, zero
  // bytes included. False at the end of the text (an empty text has no block)
  // and on a read error (then Failed()).
  bool NextBlock(std::string_view& block);

  bool Failed() const { return textOpened_ && reader_.Failed(); }
  // The system's description of an open or read error of the text since the
  // last Open; empty when there was none.
  const std::u16string& Error() const;
  // The length in bytes of the text being read: the file itself, or the
  // temporary text of a DOCX document.
  std::int64_t TextSize() const { return reader_.FileSize(); }
  // True while the text read is a DOCX document's temporary text.
  bool Converted() const { return !tempFolder_.empty(); }

  // Closes the text and removes a DOCX temporary folder with everything in it.
  // When the folder remains, reports "Cannot delete temporary folder " + the
  // folder (with its trailing separator; OK, exclamation, title "Error").
  // Does nothing when nothing is open.
  void Close();

 private:
  DocumentTextObserver& observer_;
  TextLineReader reader_;
  bool textOpened_ = false;    // reader_ was opened (or tried) since the last Close
  std::u16string tempFolder_;  // the DOCX temporary folder, empty when none
  std::vector<char> block_;    // a block gathered from several chunks
  std::string_view chunk_;     // the rest of the chunk being cut into blocks
};

}  // namespace quor
