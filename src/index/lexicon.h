// The lexicon of an index build: every distinct word of the run with its row
// number (1-based order of first discovery), its count in the file being
// processed and its postings (file number and byte value of every earlier
// file that held it).
//
// Words are kept in discovery order, so entry r - 1 is the word of row r; a
// hash index finds a word without shifting anything. The ascending order of
// words (plain character-code comparison) that the index text needs is
// produced on demand by SortedRows().
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "indexfile/posting.h"

namespace quor {

// A word of one file, as reported for inspection.
struct FileWord {
  std::u16string word;
  int count = 0;  // occurrences in the file, 1..255
  int value = 0;  // byte value, 1..255
};

// The byte value of a word counted count times in a file whose most frequent
// word was counted maxCount times: count itself when maxCount is 255,
// otherwise count * 255 / maxCount rounded to the nearest whole number (halves
// to even), and at least 1. 0 when count is 0.
int ByteValue(int count, int maxCount);

class IndexLexicon {
 public:
  struct Entry {
    std::u16string word;
    std::uint8_t countInFile = 0;
    // 1-based index in the common-word list, 0 when the word is not common;
    // remembered so that later occurrences need no second lookup.
    int commonIndex = 0;
    std::vector<Posting> postings;
  };

  // The largest file number a posting can hold.
  static constexpr std::uint32_t kMaxFileNumber = (1u << 24) - 1;

  IndexLexicon();

  // Empties the lexicon at the start of an indexing pass.
  void Clear();

  // Starts counting the words of file fileNumber (1-based): the counts of the
  // previous file go back to 0 and MaxCountInFile() to 0. Throws
  // std::length_error above kMaxFileNumber.
  void BeginFile(std::uint32_t fileNumber);

  // The row number of word, or 0 when the lexicon does not hold it.
  std::int32_t Find(std::u16string_view word) const;
  // The entry of row number row (1..WordCount()).
  const Entry& Row(std::int32_t row) const { return entries_[static_cast<std::size_t>(row) - 1]; }
  Entry& Row(std::int32_t row) { return entries_[static_cast<std::size_t>(row) - 1]; }

  // Counts one occurrence of a word in the current file: a known word's count
  // rises by 1 up to 255; a new word gets the next row number and count 1.
  // Returns the word's row number. Throws std::bad_alloc when memory runs out
  // and std::overflow_error when no row number is left; `step` then tells
  // which step of the addition failed (1 search, 3 growth, 4 row counter,
  // 5 insertion).
  // times (1..255) counts that many occurrences at once, as when the words
  // of a file cut elsewhere are merged.
  std::int32_t AddWord(std::u16string_view word, int commonIndex, int& step, int times = 1);
  // The same for a word already found at row (skips the search).
  void CountRow(std::int32_t row) {
    Entry& e = Row(row);
    if (e.countInFile == 0) touched_.push_back(row);
    if (e.countInFile < 255) ++e.countInFile;
    if (e.countInFile > maxCountInFile_) maxCountInFile_ = e.countInFile;
  }
  void CountRow(std::int32_t row, int times) {
    Entry& e = Row(row);
    if (e.countInFile == 0) touched_.push_back(row);
    e.countInFile = static_cast<std::uint8_t>(std::min(255, e.countInFile + times));
    if (e.countInFile > maxCountInFile_) maxCountInFile_ = e.countInFile;
  }

  // Ends the current file: every word it held gets a posting with its byte
  // value. Does nothing when no word was counted or the file has already
  // ended. Throws std::bad_alloc.
  void EndFile();

  std::int32_t WordCount() const { return static_cast<std::int32_t>(entries_.size()); }
  std::uint8_t MaxCountInFile() const { return maxCountInFile_; }
  std::uint32_t CurrentFileNumber() const { return currentFile_; }

  // Row numbers in ascending order of their words (plain character codes).
  const std::vector<std::int32_t>& SortedRows() const;

  // The words of the current file (or of the file just ended, until the next
  // BeginFile) in lexicon order, with their counts and byte values.
  std::vector<FileWord> CurrentFileWords() const;

  // The rows counted in the current file, in the order of their first
  // occurrence in it.
  std::span<const std::int32_t> FileRows() const { return touched_; }

  // The postings of row, in increasing file order.
  std::span<const Posting> Postings(std::int32_t row) const { return Row(row).postings; }

 private:
  static std::uint64_t Hash(std::u16string_view word);
  void Rehash(std::size_t capacity);
  // The slot holding word or the empty slot where it would go.
  std::size_t Probe(std::u16string_view word, std::uint64_t hash) const;

  std::vector<Entry> entries_;
  // Open addressing, linear probing: each slot holds row number (0 = empty)
  // and the upper bits of the word's hash.
  struct Slot {
    std::uint32_t row = 0;
    std::uint32_t hashTag = 0;
  };
  std::vector<Slot> slots_;
  std::size_t mask_ = 0;

  std::vector<std::int32_t> touched_;  // rows counted in the current file
  std::uint8_t maxCountInFile_ = 0;
  std::uint32_t currentFile_ = 0;
  bool fileEnded_ = false;

  mutable std::vector<std::int32_t> sorted_;
  mutable bool sortedValid_ = true;
};

}  // namespace quor
