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
#include "indexfile/posting.h"

namespace quor {

// What the writers read of an index build's lexicon: its word count, its row
// numbers in ascending word order, and each row's word and postings. A view:
// the lexicon must outlive it. Made implicitly from any lexicon that offers
// WordCount(), SortedRows(), Row(r).word and Postings(r) for rows
// 1..WordCount(), so a writer is called with the lexicon itself.
class LexiconRows {
 public:
  template <class Lexicon>
  LexiconRows(const Lexicon& lexicon)  // NOLINT(google-explicit-constructor): a view
      : lexicon_(&lexicon),
        wordCount_(lexicon.WordCount()),
        sortedRows_([](const void* l) -> std::span<const std::int32_t> {
          return static_cast<const Lexicon*>(l)->SortedRows();
        }),
        word_([](const void* l, std::int32_t row) -> std::u16string_view {
          return static_cast<const Lexicon*>(l)->Row(row).word;
        }),
        postings_([](const void* l, std::int32_t row) -> std::span<const Posting> {
          return static_cast<const Lexicon*>(l)->Postings(row);
        }) {}

  std::int32_t WordCount() const { return wordCount_; }
  std::span<const std::int32_t> SortedRows() const { return sortedRows_(lexicon_); }
  std::u16string_view Word(std::int32_t row) const { return word_(lexicon_, row); }
  // The postings of row in increasing file order.
  std::span<const Posting> Postings(std::int32_t row) const { return postings_(lexicon_, row); }

 private:
  const void* lexicon_;
  std::int32_t wordCount_;
  std::span<const std::int32_t> (*sortedRows_)(const void*);
  std::u16string_view (*word_)(const void*, std::int32_t);
  std::span<const Posting> (*postings_)(const void*, std::int32_t);
};

// The version number of the lexicon terminator record (program 9.6).
inline constexpr int kIndexVersionNumber = 967;
inline constexpr std::u16string_view kEndOfFileList = u"End of file list";
inline constexpr std::u16string_view kEndOfLexicon = u"End of lexicon";

// Appends the lexicon header, the lexicon records in ascending word order and
// the terminator.
void WriteLexicon(RecordWriter& out, LexiconRows lexicon, std::u16string_view title,
                  int versionNumber = kIndexVersionNumber);

// The count row of one word over files 1..fileCount: its byte values
// separated by commas, one zero-value file as "0", m >= 2 consecutive ones as
// "-m", no trailing comma. postings are in increasing file order; files above
// fileCount are ignored.
std::u16string EncodeCountRow(std::span<const Posting> postings, std::int32_t fileCount);

// Appends one count row per row number 1..WordCount.
void WriteCountRows(RecordWriter& out, LexiconRows lexicon, std::int32_t fileCount);

// Writes the data file's matrix to fd: rowLength bytes for every row number
// 1..WordCount, holding each posting's value at its file's column, row after
// row. Blocks that hold only zeros are left as holes (the file reads the
// same), and the file ends at exactly WordCount * rowLength bytes. Does not
// close fd. Returns "" or the system's description of the failure.
[[nodiscard]] std::u16string WriteDataMatrix(int fd, LexiconRows lexicon, std::int32_t rowLength);

// WriteDataMatrix into a file at path, created or replaced, then closed.
[[nodiscard]] std::u16string WriteDataFile(std::u16string_view path, LexiconRows lexicon,
                                           std::int32_t rowLength);

// Appends the LengthStamp to the end of the data file. Returns "" or the
// description of the failure (also when textLength does not fit 32 bits).
[[nodiscard]] std::u16string AppendLengthStamp(std::u16string_view path, std::int64_t textLength);

}  // namespace quor
