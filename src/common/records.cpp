#include "common/records.h"

#include <charconv>
#include <cstring>

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

bool ScanRecordField(std::string_view text, std::size_t pos, bool final, std::string_view& raw,
                     std::size_t& next) {
  const std::size_t size = text.size();
  // Nearly every field of the program's files is a quoted string followed
  // by its separator: that is found without the general rules.
  if (pos < size && text[pos] == '"') {
    const char* data = text.data();
    const void* close = std::memchr(data + pos + 1, '"', size - pos - 1);
    if (close) {
      const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(close) - data);
      if (at + 1 < size && data[at + 1] == ',') {
        raw = text.substr(pos + 1, at - pos - 1);
        next = at + 2;
        return true;
      }
      if (at + 2 < size && data[at + 1] == '\r' && data[at + 2] == '\n') {
        raw = text.substr(pos + 1, at - pos - 1);
        next = at + 3;
        return true;
      }
    }
  }
  while (pos < size && IsBlank(text[pos])) ++pos;
  if (pos == size && !final) return false;
  if (pos < size && text[pos] == '"') {
    const std::size_t start = pos + 1;
    std::size_t close = text.find('"', start);
    if (close == text.npos) {
      if (!final) return false;
      close = size;
    }
    raw = text.substr(start, close - start);
    pos = close < size ? close + 1 : size;
    while (pos < size && !IsFieldEnd(text[pos])) ++pos;
  } else {
    const std::size_t start = pos;
    while (pos < size && !IsFieldEnd(text[pos])) ++pos;
    raw = text.substr(start, pos - start);
    while (!raw.empty() && IsBlank(raw.back())) raw.remove_suffix(1);
  }
  if (pos == size) {
    if (!final) return false;
    next = pos;
    return true;
  }
  const char end = text[pos++];
  if (end == '\r') {
    if (pos == size && !final) return false;
    if (pos < size && text[pos] == '\n') ++pos;
  }
  next = pos;
  return true;
}

bool RecordReader::AtEnd() const {
  return pos_ >= text_.size();
}

bool RecordReader::Next(std::u16string& field) {
  if (AtEnd()) return false;
  std::string_view raw;
  (void)ScanRecordField(text_, pos_, true, raw, pos_);
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
