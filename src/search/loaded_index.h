// The search side's model of a loaded index: the file list, the lexicon and
// the paths and counts a search needs. Filled by LoadIndex (index_load.h);
// everything is replaced by the next load.
//
// The index text does not record the top folder of the indexed tree: the
// search's top folder is the user's choice, and top folder text + a file-list
// entry is the file's full path.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quor {

// Holds the texts that FileList and Lexicon view: copies go into blocks that
// never move, so a view stays valid for the life of the store (moves of the
// store included).
class TextStore {
 public:
  // Room for at least units UTF-16 units in one block, so that a known total
  // needs one allocation.
  void Reserve(std::size_t units);
  // A stable copy of text.
  std::u16string_view Intern(std::u16string_view text);
  // A stable copy of UTF-8 text as UTF-16 (malformed bytes become U+FFFD).
  std::u16string_view InternUtf8(std::string_view utf8);
  // Empties the store; every view of it becomes invalid.
  void Clear();

 private:
  // Room for units more in the last block, starting a new block if needed.
  char16_t* Room(std::size_t units);

  std::vector<std::unique_ptr<char16_t[]>> blocks_;
  std::size_t used_ = 0;      // units used in the last block
  std::size_t capacity_ = 0;  // units of the last block
};

// One word of the search side's lexicon.
struct LexiconEntry {
  std::u16string_view Word;    // case-folded, as the index build cut it
  std::int32_t RowNumber = 0;  // 1-based row of the word in the count rows and the data file
};

// A loaded index. Move-only: FileList and Lexicon view texts in its own store.
struct LoadedIndex {
  LoadedIndex() = default;
  LoadedIndex(LoadedIndex&&) = default;
  LoadedIndex& operator=(LoadedIndex&&) = default;
  LoadedIndex(const LoadedIndex&) = delete;
  LoadedIndex& operator=(const LoadedIndex&) = delete;

  std::u16string IndexFilePath;  // the index file, as given
  std::u16string DataFilePath;   // its data file (DataFilePathFor, indexfile/data_file.h)
  std::u16string IndexTitle;     // the title stored in the index

  // 0-based: FileList[k] is the path of file k + 1 relative to the top folder
  // (no leading separator), the file of column k of every data-file row.
  // Paths are kept exactly as stored, blanks included.
  std::vector<std::u16string_view> FileList;
  std::int32_t FileCount = 0;  // FileList.size(), at most 32767

  // In ascending order of Word by plain character code, as the index stores
  // it (the loader does not sort, so a damaged index may break the order; a
  // binary search then misses words but stays inside the array). RowNumber
  // is 1..WordCount in an index the writer made; ReadDataRow refuses a row
  // outside the data file.
  std::vector<LexiconEntry> Lexicon;
  std::int32_t WordCount = 0;  // Lexicon.size(): the words actually read

  TextStore Texts;  // what FileList and Lexicon view

  // Empties everything.
  void Clear();
};

}  // namespace quor
