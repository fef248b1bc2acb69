// The common-word list: very frequent words that word extraction counts at
// most once per file. Loaded from "cwds.txt" in the program folder, a
// Windows-1252 text of one word per line held in ascending order of plain
// character code (lookups are binary searches over the list as loaded; the
// loader does not sort). Each word carries a flag that extraction sets when
// it first meets the word in a file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quor {

class CommonWords {
 public:
  // The list never grows past this many words; later lines are ignored.
  static constexpr int kMaxWords = 1000;

  // Reads the file, replacing the list: each line (CR LF, LF or CR ended) is
  // trimmed of spaces; empty lines and lines starting with an apostrophe are
  // skipped. A missing or unreadable file leaves the list empty. Every flag
  // starts false. Returns the number of words.
  int LoadCommonWords(const std::u16string& path);
  // The same from text already in memory (one word per line, as in the file).
  int LoadFromText(std::u16string_view text);

  int Count() const { return static_cast<int>(words_.size()); }
  // Word index, 1 <= index <= Count().
  const std::u16string& Word(int index) const { return words_.at(index - 1); }

  // Binary search by plain character code: the 1-based index of word, or 0.
  int Find(std::u16string_view word) const;

  // The per-file flag of word index, 1 <= index <= Count().
  bool& Flag(int index) { return flags_.at(index - 1).set; }
  bool Flag(int index) const { return flags_.at(index - 1).set; }
  // Every flag back to false (before each indexed file).
  void ClearCommonWordFlags();

 private:
  struct FlagCell {
    bool set = false;
  };
  std::vector<std::u16string> words_;
  std::vector<FlagCell> flags_;
};

}  // namespace quor
