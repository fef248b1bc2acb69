// The search-time file scanner: reads a found file's text in 4096-byte blocks
// through the one document-text reader (DOCX through its temporary text, a
// UTF-8 mark skipped, UTF-16 and UTF-32 transcoded), cleans every block the
// same way, and runs the matcher on it.
//
// Two modes:
// - phrase mode confirms an exact phrase. The blocks' search texts are
//   matched as one joined text, so a phrase that runs across a block
//   boundary is found; the scan ends at the first occurrence.
// - report mode hands every occurrence to an ExtractCollector, block by
//   block (an extract stays within its block), for the reports.
//
// Positions are 0-based.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/strings.h"
#include "extract/document_text.h"
#include "search/search_words.h"

namespace quor {

// The two texts made from one block.
struct BlockTexts {
  // Tags blanked, line ends shown as "/", UTF-8 remnants repaired, entities
  // decoded: what extracts are cut from.
  std::u16string display;
  // display with short entities blanked, every character that is neither a
  // search letter nor a digit turned into a space, and case folded. Same
  // length as display.
  std::u16string search;
  // The length of display before entities were decoded: how far the block
  // moves the position in the file.
  std::size_t length = 0;
};

// Makes both texts of a block of document bytes (the bytes are blanked in
// place on the way by BlankTags).
void MakeBlockTexts(std::span<std::uint8_t> bytes, BlockTexts& texts);
// The same for bytes BlankTags has blanked already.
void MakeTextsFromBlanked(std::span<const std::uint8_t> bytes, BlockTexts& texts);

// The search text of a blanked block written over its bytes, as the
// Windows-1252 bytes of its characters, when the block holds no byte above
// 127, no zero byte and no "&" that an entity step could change (the steps
// between then change nothing). False, with the bytes untouched, for any
// other block.
bool MakePlainSearchBytes(std::span<std::uint8_t> blanked);

// The first occurrence of word in a search text at or after from that is a
// whole word (neither neighbour a letter or digit), or npos.
std::size_t FindWholeWord(std::u16string_view text, std::u16string_view word, std::size_t from);

// Looks for the words, in order, as consecutive whole words of search texts
// fed one after the other, as though the texts were one.
class PhraseMatcher {
 public:
  // words must be non-empty.
  explicit PhraseMatcher(const TextList& words);
  // Adds the next search text; true once the phrase has been found.
  bool Feed(std::u16string_view searchText);
  // The same for a search text given as the Windows-1252 bytes of its
  // characters (MakePlainSearchBytes).
  bool FeedBytes(std::string_view searchBytes);
  // The end of the texts; true when the phrase has been found.
  bool Finish();
  bool Found() const { return found_; }

 private:
  // Matches from next_ on; an occurrence that may go on in the next text is
  // left for later unless atEnd.
  void Run(bool atEnd);
  void DropConsumed();

  // The words and the text as Windows-1252 bytes: every character of a
  // search text (a space, a digit or a folded search letter) has one, so the
  // bytes match exactly where the characters do, and byte searches are fast.
  std::vector<std::string> words_;
  std::string text_;
  std::size_t next_ = 0;  // where the first word is looked for next
  bool found_ = false;
};

// Where report mode hands the occurrences it finds (the extracts).
class ExtractCollector {
 public:
  virtual ~ExtractCollector() = default;
  // Before the first block of a file of fileLength bytes.
  virtual void BeginFile(std::int64_t fileLength) = 0;
  // An occurrence of word at position of the block, whose first character is
  // character blockStart (1-based) of the file. Returns the position from
  // which the block is searched on (after the extract), or npos to end the
  // block.
  virtual std::size_t Occurrence(const BlockTexts& block, std::int64_t blockStart,
                                 std::size_t position, std::u16string_view word) = 0;
  // True when the file has given enough extracts and its scan ends.
  virtual bool FileDone() const = 0;
};

// Report mode's matcher on one block: every occurrence from position 0 on
// goes to collector, resuming where it says. An exact phrase is looked for
// as a phrase; otherwise the earliest whole-word occurrence of any word is
// taken (on equal positions the word that comes first in words).
void MatchBlockForReport(const BlockTexts& block, std::int64_t blockStart, const TextList& words,
                         SearchType type, ExtractCollector& collector);

enum class ScanOutcome {
  kPhraseFound,    // phrase mode: the phrase occurs in the file
  kDone,           // the file was read to its end (or the collector had enough)
  kNotRead,        // the file could not be read, or a DOCX document gave no text
  kStopRequested,  // a DOCX failure or the user asked to end the whole search
};

struct ScanRequest {
  const TextList* words = nullptr;  // the search words (non-empty)
  SearchType type = SearchType::kExactPhrase;
  // Null: phrase mode. Otherwise report mode, handing occurrences here.
  ExtractCollector* collector = nullptr;
};

// Scans the file at fullPath. Messages of a DOCX conversion go to observer.
ScanOutcome ScanFileText(std::u16string_view fullPath, const ScanRequest& request,
                         DocumentTextObserver& observer);

}  // namespace quor
