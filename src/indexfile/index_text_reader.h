// Reading the index text back: its fields as the record form writes them
// (common/records.h), the sections in order, and count rows decoded into
// per-file values.
//
// The reader pulls the text from a source piece by piece (an expansion in
// progress), so a caller can stop after the lexicon; it keeps only the text
// of the field it is on. Nothing it reads can make it allocate more than the
// text itself holds.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quor {

// Input error descriptions, as the record input gives them.
inline constexpr std::u16string_view kTypeMismatch = u"Type mismatch";
inline constexpr std::u16string_view kOverflow = u"Overflow";
inline constexpr std::u16string_view kSubscriptOutOfRange = u"Subscript out of range";

class RecordFieldReader {
 public:
  // Appends the next piece of text to `to`; sets done at the end of the
  // text. Returns 0 or a negative status (a failed expansion), which ends
  // the text.
  using Source = std::function<std::int32_t(std::string& to, bool& done)>;

  enum class Result {
    kField,        // a field was read
    kEnd,          // the text has ended: "Input past end of file"
    kSourceError,  // the source failed: SourceStatus() tells how
    kTooLong,      // a field runs on past kMaxFieldBytes
  };

  // No field of an index text comes near this (the longest, a count row of
  // 32767 files, is under 132 KiB): a longer one is damage, and reading on
  // would hold the rest of the text in memory.
  static constexpr std::size_t kMaxFieldBytes = 4 << 20;

  // Reads the whole text, which must outlive the reader.
  explicit RecordFieldReader(std::string_view text);
  // Reads what source gives.
  explicit RecordFieldReader(Source source);

  // A text that grows in place (an expansion into one buffer): grow makes
  // text a longer view of the same bytes, or leaves it as it is and returns
  // a negative status (a failed expansion, which ends the text); it sets
  // done at the end of the text. The bytes are read where they are.
  struct GrowingText {
    std::function<std::int32_t(std::string_view& text, bool& done)> grow;
  };
  explicit RecordFieldReader(GrowingText text);

  // The next field, unquoted (UTF-8, a view valid until the next call).
  [[nodiscard]] Result Next(std::string_view& field);
  // The next field as a decimal integer (optional sign, digits): kField with
  // number set, or with isNumber false when the field is not one.
  [[nodiscard]] Result NextNumber(std::int64_t& number, bool& isNumber);

  // Bytes of the text consumed so far (up to the end of the last field).
  std::int64_t Consumed() const { return consumed_ + static_cast<std::int64_t>(pos_); }
  std::int32_t SourceStatus() const { return sourceStatus_; }
  // Reads and drops the rest of the text; returns 0 or the source's
  // negative status.
  [[nodiscard]] std::int32_t Drain();

 private:
  bool More();

  Source source_;
  GrowingText growing_;
  std::string buffer_;
  std::string_view text_;  // buffer_, or the whole text
  std::size_t pos_ = 0;
  std::int64_t consumed_ = 0;  // bytes dropped from the front of buffer_
  bool done_ = false;
  std::int32_t sourceStatus_ = 0;
  std::string field_;
};

// The most files a loaded index can hold (its file count is 16-bit).
inline constexpr std::int32_t kMaxLoadedFiles = 32767;

// Receives the records of the index text's first sections as they are read.
// Texts are UTF-8 views, valid during the call.
class IndexTextSink {
 public:
  virtual ~IndexTextSink() = default;
  virtual void FileListEntry(std::string_view path) = 0;
  virtual void LexiconHeader(std::int32_t wordCount, std::string_view title) = 0;
  virtual void LexiconEntry(std::int32_t rowNumber, std::string_view word) = 0;
};

// Reads the file list: one path per field, kept exactly as stored, until the
// field "End of file list" or the end of the text. Returns "" or the
// description of the input error ("Overflow" past kMaxLoadedFiles paths,
// InputErrorText of a field that cannot be read).
[[nodiscard]] std::u16string ReadFileListRecords(RecordFieldReader& reader, IndexTextSink& sink);

// Reads the lexicon header (word count, title) and then records of a number
// and a word, at most word count + 1 of them: the one whose word is "End of
// lexicon" ends the section. wordsRead is the number of lexicon records
// passed to the sink. Returns "" or the description of the input error: the
// end of the text, a number field that is no number ("Type mismatch") or
// out of 32 bits ("Overflow"), a negative word count or a record past the
// announced count ("Subscript out of range"); a failed source ends it as in
// ReadFileListRecords.
[[nodiscard]] std::u16string ReadLexiconRecords(RecordFieldReader& reader, IndexTextSink& sink,
                                                std::int32_t& wordsRead);

// The description of a result other than kField: "Input past end of
// file", "Field too long", or, for a failed source, a text that the caller
// replaces by its own report of the failure.
std::u16string InputErrorText(RecordFieldReader::Result result);

// Decodes one count row ("40,0,-3,255": values, "0" for one file without the
// word, -m for m such files) into values, whose size is the file count.
// Every cell is written (values is cleared first). Returns "" or why the row
// is unfit: a number that is no whole number in -32768..32767, a value above
// 255, or a row that covers more or fewer files than values holds.
[[nodiscard]] std::u16string DecodeCountRow(std::string_view row, std::span<std::uint8_t> values);

// Writes a data file's matrix to fd from the wordCount count rows at reader,
// each decoded into fileCount values and written in turn (DataMatrixWriter).
// onRow is called after each row with the number of rows written; when it
// returns false the writing stops with stopped set. Returns "" or the
// description of what ended it: a count row unfit for the file count (with
// its number), the end of the text, a write error. Does not close fd.
[[nodiscard]] std::u16string WriteDataMatrixFromCountRows(
    int fd, RecordFieldReader& reader, std::int32_t fileCount, std::int32_t wordCount,
    const std::function<bool(std::int32_t rowsDone)>& onRow, bool& stopped);

// A whole index text read back, for checks and tests: every section, count
// rows decoded into one byte per file. error is "" or the first input error
// with the section it stopped ("file list: ", "lexicon: ", "count row N: ").
struct IndexText {
  std::vector<std::u16string> files;
  std::u16string title;
  std::int32_t announcedWordCount = 0;
  std::vector<std::pair<std::int32_t, std::u16string>> lexicon;  // row number, word
  std::vector<std::vector<std::uint8_t>> rows;                   // row r - 1 is row r
  std::u16string error;
};
IndexText ReadIndexText(std::string_view text);

}  // namespace quor
