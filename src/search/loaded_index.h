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
#include <span>
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

// The search side's lexicon: the words (case-folded, as the index build cut
// them, UTF-8 as the index stores them) in the order of the index, each with
// its 1-based row in the count rows and the data file. A lexicon either keeps
// its words itself (Add) or views entries and words kept elsewhere
// (Viewing: a mapped work copy); look-ups are the same for both.
class Lexicon {
 public:
  // One word: its bytes at offset in the words, and its row. The layout of
  // the entries in a work copy too.
  struct Entry {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::int32_t row = 0;
  };

  Lexicon() = default;
  Lexicon(Lexicon&& other) noexcept { *this = std::move(other); }
  Lexicon& operator=(Lexicon&& other) noexcept;

  // A lexicon of entries whose words lie in words; both must outlive it.
  static Lexicon Viewing(std::span<const Entry> entries, std::string_view words);

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  // Word i (a view valid for the life of the lexicon, moves included).
  std::string_view Word(std::size_t i) const {
    const Entry& e = entries_[i];
    return {words_ + e.offset, e.size};
  }
  std::int32_t RowNumber(std::size_t i) const { return entries_[i].row; }
  // The first position whose word is not below word in byte order (size()
  // when there is none). For words of characters below U+D800, as search
  // words are, byte order is the order of their UTF-16 code units, the
  // order in which the index stores its words.
  std::size_t LowerBound(std::string_view word) const;

  // The entries and the bytes their offsets refer to.
  std::span<const Entry> Entries() const { return entries_; }
  std::string_view Words() const { return {words_, wordsSize_}; }

  // Room for words entries of about bytes bytes of words in all.
  void Reserve(std::size_t words, std::size_t bytes);
  // Adds a copy of word with its row as the last entry (a viewing lexicon
  // first takes copies of what it views).
  void Add(std::string_view word, std::int32_t row);
  // Removes the words.
  void ClearWords();

 private:
  // Points the view at the lexicon's own entries and words.
  void ViewOwn();

  std::span<const Entry> entries_;
  const char* words_ = nullptr;
  std::size_t wordsSize_ = 0;
  std::vector<Entry> ownEntries_;
  std::vector<char> ownWords_;
};

// A loaded index. Move-only: FileList views texts in its own store.
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

  // In ascending order of the words by plain character code, as the index
  // stores them (the loader does not sort, so a damaged index may break the
  // order; a binary search then misses words but stays inside the lexicon).
  // Row numbers are 1..WordCount in an index the writer made; ReadDataRow
  // refuses a row outside the data file.
  quor::Lexicon Lexicon;
  std::int32_t WordCount = 0;  // Lexicon.size(): the words actually read

  TextStore Texts;  // what FileList views after a reading of the index text
  // What FileList and Lexicon view after a load from a work copy (its
  // mapping); empty otherwise.
  std::shared_ptr<const void> Backing;

  // Empties everything.
  void Clear();
};

}  // namespace quor
