// Writing the index text's lexicon and count rows and the data file.
//
// Index text (UTF-8 records, see common/records.h): the file list (one path
// per file, written by the run as it goes), the record "End of file list",
// then WriteLexicon's records (word count and title; row number and word of
// every word in ascending word order; version number and "End of lexicon"),
// then one count row per row number (WriteCountRows).
//
// Data file: row r (1..WordCount) holds the byte values of the word of row
// number r in files 1..N at offset (r - 1) * N, followed by the 4-byte
// LengthStamp (32-bit signed little-endian byte length of the index text).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/records.h"
#include "index/lexicon.h"

namespace quor {

// The version number of the lexicon terminator record (program 9.6).
inline constexpr int kIndexVersionNumber = 967;
inline constexpr std::u16string_view kEndOfFileList = u"End of file list";
inline constexpr std::u16string_view kEndOfLexicon = u"End of lexicon";

// Appends the lexicon header, the lexicon records in ascending word order and
// the terminator.
void WriteLexicon(RecordWriter& out, const IndexLexicon& lexicon, std::u16string_view title,
                  int versionNumber = kIndexVersionNumber);

// The count row of one word over files 1..fileCount: its byte values
// separated by commas, one zero-value file as "0", m >= 2 consecutive ones as
// "-m", no trailing comma. postings are in increasing file order; files above
// fileCount are ignored.
std::u16string EncodeCountRow(std::span<const Posting> postings, std::int32_t fileCount);

// Appends one count row per row number 1..WordCount.
void WriteCountRows(RecordWriter& out, const IndexLexicon& lexicon, std::int32_t fileCount);

// Writes the data file's matrix to fd: rowLength bytes for every row number
// 1..WordCount, holding each posting's value at its file's column, row after
// row. Blocks that hold only zeros are left as holes (the file reads the
// same), and the file ends at exactly WordCount * rowLength bytes. Does not
// close fd. Returns "" or the system's description of the failure.
[[nodiscard]] std::u16string WriteDataMatrix(int fd, const IndexLexicon& lexicon,
                                             std::int32_t rowLength);

// WriteDataMatrix into a file at path, created or replaced, then closed.
[[nodiscard]] std::u16string WriteDataFile(std::u16string_view path, const IndexLexicon& lexicon,
                                           std::int32_t rowLength);

// Appends the LengthStamp to the end of the data file. Returns "" or the
// description of the failure (also when textLength does not fit 32 bits).
[[nodiscard]] std::u16string AppendLengthStamp(std::u16string_view path, std::int64_t textLength);

}  // namespace quor
