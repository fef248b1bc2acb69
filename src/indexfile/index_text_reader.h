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
  };

  // Reads the whole text, which must outlive the reader.
  explicit RecordFieldReader(std::string_view text);
  // Reads what source gives.
  explicit RecordFieldReader(Source source);

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
  std::string buffer_;
  std::string_view text_;  // buffer_, or the whole text
  std::size_t pos_ = 0;
  std::int64_t consumed_ = 0;  // bytes dropped from the front of buffer_
  bool done_ = false;
  std::int32_t sourceStatus_ = 0;
  std::string field_;
};

// Decodes one count row ("40,0,-3,255": values, "0" for one file without the
// word, -m for m such files) into values, whose size is the file count.
// Every cell is written (values is cleared first). Returns "" or why the row
// is unfit: a number that is no whole number in -32768..32767, a value above
// 255, or a row that covers more or fewer files than values holds.
[[nodiscard]] std::u16string DecodeCountRow(std::string_view row, std::span<std::uint8_t> values);

}  // namespace quor
