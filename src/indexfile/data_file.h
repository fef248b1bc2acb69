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

// Writes a data file's matrix from the start of fd, row after row: the rows
// are gathered in windows of 4 MiB, and 4 KiB blocks that hold only zeros are
// not written, so they stay holes (the file reads the same). A row's values
// are either set one by one (Set, then EndRow) or given whole (AppendRow).
// Finish sets the file's length to rowCount * rowLength exactly.
class DataMatrixWriter {
 public:
  DataMatrixWriter(int fd, std::int32_t rowLength);
  // Sets the value at column (0-based) of the current row; columns outside
  // the row are ignored. Every value of a row starts as 0.
  void Set(std::uint32_t column, std::uint8_t value) {
    if (value == 0 || column >= rowLength_) return;
    const std::size_t at = rowAt_ + column;
    window_[at] = value;
    marked_[at / kBlock] = 1;
  }
  // Ends the current row. Returns "" or the system's description of a write
  // failure; after a failure nothing more is written.
  [[nodiscard]] std::u16string EndRow();
  // Appends a whole row (values past row's end are 0): Set for each value,
  // then EndRow.
  [[nodiscard]] std::u16string AppendRow(std::span<const std::uint8_t> row);
  // Writes what is gathered and sets the length. Returns "" or the
  // description of the failure.
  [[nodiscard]] std::u16string Finish();
  std::int64_t Length() const { return base_ + static_cast<std::int64_t>(rowAt_); }

 private:
  static constexpr std::size_t kBlock = 4096;
  static constexpr std::size_t kWindow = 1024 * kBlock;

  // Writes the marked blocks of window_[0, size) and clears them.
  [[nodiscard]] std::u16string WriteMarked(std::size_t size);
  // Writes the first kWindow bytes and moves the rest of the window to its
  // front.
  [[nodiscard]] std::u16string Advance();

  int fd_;
  std::size_t rowLength_;
  // Bytes [base_, base_ + window_.size()) of the file; the current row
  // starts at window_[rowAt_], and rowAt_ < kWindow while a row is open, so
  // the row always fits.
  std::vector<std::uint8_t> window_;
  std::vector<std::uint8_t> marked_;  // per block: holds a value other than 0
  std::size_t rowAt_ = 0;
  std::int64_t base_ = 0;
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
