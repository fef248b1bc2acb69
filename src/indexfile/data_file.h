// The data file beside an index file: its path, its LengthStamp, and reading
// a word's row.
//
// Layout (little-endian): row r (1..WordCount) holds the byte values of the
// word with row number r in files 1..FileCount at offset (r - 1) * FileCount,
// followed by the 4-byte LengthStamp, the 32-bit signed byte length of the
// expanded index text the rows belong to. Sizes and offsets are 64-bit: a
// data file over 2 GiB works.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quor {

// The endings of the two files of an index, after the project name.
inline constexpr std::u16string_view kIndexFileSuffix = u"_index.quor";
inline constexpr std::u16string_view kDataFileSuffix = u"_data.quor";

// True when path ends in "_index.quor" (letter case included).
bool HasIndexFileSuffix(std::u16string_view path);

// The data file of an index file: indexPath with its trailing "_index.quor"
// replaced by "_data.quor" (same folder, same project). Empty when indexPath
// does not end in "_index.quor".
std::u16string DataFilePathFor(std::u16string_view indexPath);

// What the end of a data file says.
struct LengthStampInfo {
  bool exists = false;                // a data file is there
  std::int64_t length = 0;            // its length in bytes
  std::optional<std::int32_t> stamp;  // its last 4 bytes, when it has 4 or more
  std::u16string error;               // why it could not be read ("" otherwise)
};

// Reads the length and the LengthStamp of the data file at path. A missing
// file gives exists false and no error.
[[nodiscard]] LengthStampInfo ReadLengthStamp(std::u16string_view path);

// Appends the LengthStamp to the end of the data file. Returns "" or the
// description of the failure (also when textLength does not fit 32 bits).
[[nodiscard]] std::u16string AppendLengthStamp(std::u16string_view path, std::int64_t textLength);

// Writes a data file's matrix from the start of fd, row after row, each row
// in turn: the rows are gathered in windows of 4 MiB, and 4 KiB blocks that
// hold only zeros are not written, so they stay holes (the file reads the
// same). Finish sets the file's length to rowCount * rowLength exactly.
class DataMatrixWriter {
 public:
  DataMatrixWriter(int fd, std::int32_t rowLength);
  // Appends the next row (rowLength bytes). Returns "" or the system's
  // description of a write failure; after a failure nothing more is written.
  [[nodiscard]] std::u16string AppendRow(std::span<const std::uint8_t> row);
  // Writes what is gathered and sets the length. Returns "" or the
  // description of the failure.
  [[nodiscard]] std::u16string Finish();
  std::int64_t Length() const { return written_ + static_cast<std::int64_t>(filled_); }

 private:
  [[nodiscard]] std::u16string Flush();

  int fd_;
  std::size_t rowLength_;
  std::vector<std::uint8_t> window_;
  std::size_t filled_ = 0;
  std::int64_t written_ = 0;  // file offset of window_[0]
  std::u16string error_;
};

// The row of one word: rowLength bytes (the file count) read at byte offset
// (rowNumber - 1) * rowLength of an open data file.
class DataFileRows {
 public:
  DataFileRows() = default;
  ~DataFileRows();
  DataFileRows(const DataFileRows&) = delete;
  DataFileRows& operator=(const DataFileRows&) = delete;

  // Opens the data file for reading. Returns "" or the description of the
  // failure.
  [[nodiscard]] std::u16string Open(std::u16string_view path);
  // Reads row rowNumber (>= 1) into row, whose size is the row length.
  // Returns "" or the description of the failure: a read error, a row
  // number below 1, or a row that lies (partly) beyond the end of the file.
  [[nodiscard]] std::u16string ReadRow(std::int32_t rowNumber, std::span<std::uint8_t> row) const;
  void Close();

 private:
  int fd_ = -1;
};

// A row read on its own: the bytes, or the description of the failure.
struct DataRow {
  std::vector<std::uint8_t> bytes;  // rowLength bytes on success
  std::u16string error;             // "" on success
};

// Opens the data file at path, reads row rowNumber of rowLength bytes and
// closes it again (see DataFileRows::ReadRow).
[[nodiscard]] DataRow ReadDataRow(std::u16string_view path, std::int32_t rowNumber,
                                  std::int32_t rowLength);

}  // namespace quor
