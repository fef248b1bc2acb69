// The record form of the program's own text files (index text, settings
// files): strings in double quotes, numbers bare, fields separated by commas,
// records ended by CR LF. A quoted string may hold CR LF; a double quote inside
// a string cannot be stored (it would end the string when read back and shift
// every later field), so it is written as an apostrophe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quor {

// Builds record text in memory, UTF-8. Write("a"); Write(3); EndRecord() gives
// "\"a\",3\r\n".
class RecordWriter {
 public:
  void WriteString(std::u16string_view value);
  void WriteNumber(std::int64_t value);
  // Ends the record with CR LF.
  void EndRecord();
  // A whole record of one string.
  void WriteStringRecord(std::u16string_view value);
  // A line of bare text, as printed rather than written: ends an open record
  // first, then the text unquoted and CR LF. Read back as a field, it ends at
  // its first comma and loses surrounding blanks.
  void WriteLine(std::u16string_view text);

  const std::string& Utf8() const { return text_; }
  std::string Take() { return std::move(text_); }

 private:
  void Separate();
  std::string text_;
  bool fieldsInRecord_ = false;
};

// Reads fields back in order from UTF-8 record text, as the "input" statement
// does: leading spaces and tabs skipped; a quoted field runs to the next
// double quote (CR LF included; to the end of the text when none follows) and
// anything up to and including the next comma or line end after it is
// dropped; an unquoted field runs to the next comma or line end and is
// trimmed of spaces and tabs. A line end is CR LF, a lone CR or a lone LF.
// Each field consumes exactly one separator, so an empty line reads as one
// empty field, as does the space between two commas or after a trailing comma
// of a line.
class RecordReader {
 public:
  // The reader keeps a view: the text must outlive it.
  explicit RecordReader(std::string_view utf8) : text_(utf8) {}

  // The next field, or false at the end of the input ("Input past end of
  // file" is the description a caller shows).
  [[nodiscard]] bool Next(std::u16string& field);
  // The next field as a decimal integer (optional sign, digits, nothing else);
  // false at the end or when it is not such a number, the field being
  // consumed all the same.
  [[nodiscard]] bool NextNumber(std::int64_t& value);
  bool AtEnd() const;

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// One field of text from pos, by RecordReader's rules; next is where the
// field after it begins. False when the field could go on past the end of
// text and more text may follow (final false); with final set it always
// completes.
[[nodiscard]] bool ScanRecordField(std::string_view text, std::size_t pos, bool final,
                                   std::string_view& raw, std::size_t& next);

inline constexpr std::u16string_view kInputPastEndOfFile = u"Input past end of file";

}  // namespace quor
