#include "common/records.h"

#include <charconv>

#include "common/encoding.h"

namespace quor {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsFieldEnd(char c) {
  return c == ',' || c == '\r' || c == '\n';
}

}  // namespace

void RecordWriter::Separate() {
  if (fieldsInRecord_) text_ += ',';
  fieldsInRecord_ = true;
}

void RecordWriter::WriteString(std::u16string_view value) {
  Separate();
  const std::size_t start = text_.size() + 1;
  text_ += '"';
  text_ += TextToUtf8(value);
  for (std::size_t i = start; i < text_.size(); ++i) {
    if (text_[i] == '"') text_[i] = '\'';
  }
  text_ += '"';
}

void RecordWriter::WriteNumber(std::int64_t value) {
  Separate();
  text_ += std::to_string(value);
}

void RecordWriter::EndRecord() {
  text_ += "\r\n";
  fieldsInRecord_ = false;
}

void RecordWriter::WriteStringRecord(std::u16string_view value) {
  WriteString(value);
  EndRecord();
}

void RecordWriter::WriteLine(std::u16string_view text) {
  if (fieldsInRecord_) EndRecord();
  text_ += TextToUtf8(text);
  EndRecord();
}

bool RecordReader::AtEnd() const {
  return pos_ >= text_.size();
}

bool RecordReader::Next(std::u16string& field) {
  if (AtEnd()) return false;
  const std::size_t size = text_.size();
  while (pos_ < size && IsBlank(text_[pos_])) ++pos_;

  std::string_view raw;
  if (pos_ < size && text_[pos_] == '"') {
    const std::size_t start = pos_ + 1;
    std::size_t close = text_.find('"', start);
    if (close == text_.npos) close = size;
    raw = text_.substr(start, close - start);
    pos_ = close < size ? close + 1 : size;
    // Whatever stands between the closing quote and the separator is dropped.
    while (pos_ < size && !IsFieldEnd(text_[pos_])) ++pos_;
  } else {
    const std::size_t start = pos_;
    while (pos_ < size && !IsFieldEnd(text_[pos_])) ++pos_;
    raw = text_.substr(start, pos_ - start);
    while (!raw.empty() && IsBlank(raw.back())) raw.remove_suffix(1);
  }

  // Consume the one separator that ended the field.
  if (pos_ < size) {
    const char end = text_[pos_++];
    if (end == '\r' && pos_ < size && text_[pos_] == '\n') ++pos_;
  }
  field = Utf8ToText(raw);
  return true;
}

bool RecordReader::NextNumber(std::int64_t& value) {
  std::u16string field;
  if (!Next(field)) return false;
  std::string ascii;
  for (const char16_t ch : field) {
    if (ch > 0x7F) return false;
    ascii += static_cast<char>(ch);
  }
  std::string_view digits = ascii;
  // from_chars takes a "-" but no "+"; after a "+" only digits may follow.
  if (digits.starts_with('+')) {
    digits.remove_prefix(1);
    if (digits.empty() || digits.front() < '0' || digits.front() > '9') return false;
  }
  std::int64_t parsed = 0;
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
  if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) return false;
  value = parsed;
  return true;
}

}  // namespace quor
