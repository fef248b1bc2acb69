#include "indexfile/index_text_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "common/encoding.h"
#include "common/records.h"
#include "indexfile/data_file.h"

namespace quor {

namespace {

// A decimal integer: optional sign, one or more digits, nothing else. A
// value beyond 64 bits is held at the nearest limit (it is out of every
// range a caller accepts).
bool ParseInteger(std::string_view text, std::int64_t& value) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  std::uint64_t magnitude = 0;
  bool huge = false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    if (magnitude > (std::numeric_limits<std::uint64_t>::max() - 9) / 10) huge = true;
    if (!huge) magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
  }
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (huge || magnitude > kMax) {
    value = negative ? std::numeric_limits<std::int64_t>::min()
                     : std::numeric_limits<std::int64_t>::max();
    return true;
  }
  value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  return true;
}

}  // namespace

RecordFieldReader::RecordFieldReader(std::string_view text) : text_(text), done_(true) {}

RecordFieldReader::RecordFieldReader(Source source) : source_(std::move(source)) {}

RecordFieldReader::RecordFieldReader(GrowingText text) : growing_(std::move(text)) {}

bool RecordFieldReader::More() {
  if (done_) return false;
  if (growing_.grow) {
    bool done = false;
    const std::int32_t status = growing_.grow(text_, done);
    if (status < 0) sourceStatus_ = status;
    done_ = done || status < 0;
    return true;
  }
  // Drop what has been read, so the buffer holds little more than a field.
  if (pos_ > 0 && pos_ >= buffer_.size() / 2) {
    buffer_.erase(0, pos_);
    consumed_ += static_cast<std::int64_t>(pos_);
    pos_ = 0;
  }
  const std::size_t before = buffer_.size();
  bool done = false;
  const std::int32_t status = source_ ? source_(buffer_, done) : 0;
  if (status < 0) {
    sourceStatus_ = status;
    buffer_.resize(before);
    done_ = true;
  } else if (done || !source_) {
    done_ = true;
  }
  text_ = buffer_;
  return true;
}

RecordFieldReader::Result RecordFieldReader::Next(std::string_view& field) {
  for (;;) {
    if (pos_ >= text_.size() && done_) {
      return sourceStatus_ < 0 ? Result::kSourceError : Result::kEnd;
    }
    std::size_t next = 0;
    if (ScanRecordField(text_, pos_, done_, field, next)) {
      if (next - pos_ > kMaxFieldBytes) return Result::kTooLong;
      // The text ended by a failure: a field cut short by it is no field.
      if (next == text_.size() && sourceStatus_ < 0) return Result::kSourceError;
      pos_ = next;
      return Result::kField;
    }
    if (text_.size() - pos_ > kMaxFieldBytes) return Result::kTooLong;
    More();
  }
}

RecordFieldReader::Result RecordFieldReader::NextNumber(std::int64_t& number, bool& isNumber) {
  // Nearly every number field is a few digits and a comma: read at once, to
  // the same result as the general rules.
  const std::size_t size = text_.size();
  std::size_t p = pos_;
  std::int64_t value = 0;
  for (; p < size && p - pos_ < 18 && text_[p] >= '0' && text_[p] <= '9'; ++p) {
    value = value * 10 + (text_[p] - '0');
  }
  if (p > pos_ && p < size && text_[p] == ',' && (p + 1 < size || sourceStatus_ == 0)) {
    number = value;
    isNumber = true;
    pos_ = p + 1;
    return Result::kField;
  }
  std::string_view field;
  const Result result = Next(field);
  if (result == Result::kField) isNumber = ParseInteger(field, number);
  return result;
}

std::int32_t RecordFieldReader::Drain() {
  while (growing_.grow && !done_) More();
  while (!done_) {
    consumed_ += static_cast<std::int64_t>(buffer_.size());
    buffer_.clear();
    pos_ = 0;
    More();
  }
  pos_ = text_.size();
  return sourceStatus_;
}

std::u16string DecodeCountRow(std::string_view row, std::span<std::uint8_t> values) {
  std::fill(values.begin(), values.end(), std::uint8_t{0});
  std::size_t p = 0;
  for (;;) {
    const std::size_t comma = row.find(',');
    std::string_view item = row.substr(0, comma);
    // The number at the start of the item, blanks around it ignored, as
    // whole units (a fraction is rounded to the nearest, halves to even);
    // anything after it is ignored, no number counts as 0.
    while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
    bool negative = false;
    if (!item.empty() && (item.front() == '+' || item.front() == '-')) {
      negative = item.front() == '-';
      item.remove_prefix(1);
    }
    double value = 0;
    std::size_t i = 0;
    for (; i < item.size() && item[i] >= '0' && item[i] <= '9' && value < 1e6; ++i) {
      value = value * 10 + (item[i] - '0');
    }
    if (i < item.size() && item[i] >= '0' && item[i] <= '9') return std::u16string(kOverflow);
    if (i < item.size() && item[i] == '.') {
      double scale = 0.1;
      for (++i; i < item.size() && item[i] >= '0' && item[i] <= '9'; ++i, scale /= 10) {
        value += (item[i] - '0') * scale;
      }
    }
    const double rounded = std::nearbyint(negative ? -value : value);
    if (rounded < -32768 || rounded > 32767) return std::u16string(kOverflow);
    const auto v = static_cast<std::int32_t>(rounded);
    if (v > 255) return std::u16string(kOverflow);
    const std::size_t cells = v < 0 ? static_cast<std::size_t>(-v) : 1;
    if (cells > values.size() - p) return u"The count row covers more files than the index holds";
    if (v > 0) values[p] = static_cast<std::uint8_t>(v);
    p += cells;
    if (comma == row.npos) break;
    row.remove_prefix(comma + 1);
  }
  if (p != values.size()) return u"The count row covers fewer files than the index holds";
  return {};
}

}  // namespace quor

namespace quor {

namespace {

constexpr std::string_view kEndOfFileListUtf8 = "End of file list";
constexpr std::string_view kEndOfLexiconUtf8 = "End of lexicon";

// A number field within 32 bits: "" and value set, or the description.
std::u16string NextInt32(RecordFieldReader& reader, std::int32_t& value, bool& ended) {
  std::int64_t number = 0;
  bool isNumber = false;
  const RecordFieldReader::Result result = reader.NextNumber(number, isNumber);
  ended = result != RecordFieldReader::Result::kField;
  if (ended) return InputErrorText(result);
  if (!isNumber) return std::u16string(kTypeMismatch);
  if (number < std::numeric_limits<std::int32_t>::min() ||
      number > std::numeric_limits<std::int32_t>::max()) {
    return std::u16string(kOverflow);
  }
  value = static_cast<std::int32_t>(number);
  return {};
}

}  // namespace

std::u16string InputErrorText(RecordFieldReader::Result result) {
  switch (result) {
    case RecordFieldReader::Result::kField:
      return {};
    case RecordFieldReader::Result::kEnd:
      return std::u16string(kInputPastEndOfFile);
    case RecordFieldReader::Result::kTooLong:
      return u"Field too long";
    case RecordFieldReader::Result::kSourceError:
      break;
  }
  return u"The index file could not be expanded";
}

std::u16string ReadFileListRecords(RecordFieldReader& reader, IndexTextSink& sink) {
  std::int32_t count = 0;
  for (;;) {
    std::string_view path;
    const RecordFieldReader::Result result = reader.Next(path);
    // The list may end with the text.
    if (result == RecordFieldReader::Result::kEnd) return {};
    if (result != RecordFieldReader::Result::kField) return InputErrorText(result);
    if (path == kEndOfFileListUtf8) return {};
    if (count == kMaxLoadedFiles) return std::u16string(kOverflow);
    ++count;
    sink.FileListEntry(path);
  }
}

std::u16string ReadLexiconRecords(RecordFieldReader& reader, IndexTextSink& sink,
                                  std::int32_t& wordsRead) {
  wordsRead = 0;
  std::int32_t wordCount = 0;
  bool ended = false;
  if (std::u16string error = NextInt32(reader, wordCount, ended); !error.empty() || ended) {
    return error;
  }
  std::string_view text;
  if (const auto result = reader.Next(text); result != RecordFieldReader::Result::kField) {
    return InputErrorText(result);
  }
  if (wordCount < 0) return std::u16string(kSubscriptOutOfRange);
  sink.LexiconHeader(wordCount, text);
  for (std::int64_t i = 1;; ++i) {
    std::int32_t rowNumber = 0;
    std::u16string error = NextInt32(reader, rowNumber, ended);
    if (ended) return error;
    // The word field is read even after a bad number, as the input does.
    if (const auto result = reader.Next(text); result != RecordFieldReader::Result::kField) {
      return InputErrorText(result);
    }
    if (!error.empty()) return error;
    if (text == kEndOfLexiconUtf8) return {};
    if (i > wordCount) return std::u16string(kSubscriptOutOfRange);
    sink.LexiconEntry(rowNumber, text);
    ++wordsRead;
  }
}

std::u16string WriteDataMatrixFromCountRows(int fd, RecordFieldReader& reader,
                                            std::int32_t fileCount, std::int32_t wordCount,
                                            const std::function<bool(std::int32_t)>& onRow,
                                            bool& stopped) {
  stopped = false;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(std::max<std::int32_t>(fileCount, 0)));
  DataMatrixWriter writer(fd, fileCount);
  for (std::int32_t r = 1; r <= wordCount; ++r) {
    std::string_view text;
    if (const auto result = reader.Next(text); result != RecordFieldReader::Result::kField) {
      return InputErrorText(result);
    }
    if (std::u16string error = DecodeCountRow(text, row); !error.empty()) {
      return error + u" (count row " + Utf8ToText(std::to_string(r)) + u")";
    }
    if (std::u16string error = writer.AppendRow(row); !error.empty()) return error;
    if (onRow && !onRow(r)) {
      stopped = true;
      return {};
    }
  }
  return writer.Finish();
}

namespace {

class TextCollector final : public IndexTextSink {
 public:
  explicit TextCollector(IndexText& out) : out_(out) {}
  void FileListEntry(std::string_view path) override { out_.files.push_back(Utf8ToText(path)); }
  void LexiconHeader(std::int32_t wordCount, std::string_view title) override {
    out_.announcedWordCount = wordCount;
    out_.title = Utf8ToText(title);
  }
  void LexiconEntry(std::int32_t rowNumber, std::string_view word) override {
    out_.lexicon.emplace_back(rowNumber, Utf8ToText(word));
  }

 private:
  IndexText& out_;
};

}  // namespace

IndexText ReadIndexText(std::string_view text) {
  IndexText out;
  RecordFieldReader reader(text);
  TextCollector collector(out);
  if (std::u16string error = ReadFileListRecords(reader, collector); !error.empty()) {
    out.error = u"file list: " + error;
    return out;
  }
  std::int32_t wordsRead = 0;
  if (std::u16string error = ReadLexiconRecords(reader, collector, wordsRead); !error.empty()) {
    out.error = u"lexicon: " + error;
    return out;
  }
  for (std::int32_t r = 1; r <= wordsRead; ++r) {
    std::string_view row;
    std::vector<std::uint8_t> values(out.files.size());
    const RecordFieldReader::Result result = reader.Next(row);
    std::u16string error = result == RecordFieldReader::Result::kField ? DecodeCountRow(row, values)
                                                                       : InputErrorText(result);
    if (!error.empty()) {
      out.error = u"count row " + Utf8ToText(std::to_string(r)) + u": " + error;
      return out;
    }
    out.rows.push_back(std::move(values));
  }
  return out;
}

}  // namespace quor
