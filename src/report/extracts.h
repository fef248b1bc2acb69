// Extracts: short stretches of a found file's text around each occurrence of a
// search word, cut while the file is scanned block by block for a report.
//
// An extract knows where its search words are but not how they are shown: the
// HTML report wraps them in bold, the text report shows them plain.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/messages.h"
#include "search/file_scanner.h"

namespace quor {

// The maximum number of extracts when the user set no limit.
inline constexpr int kNoExtractLimit = -1;
// A file's scan stops collecting once it holds more than this many times the
// maximum number of extracts.
inline constexpr int kOverCollectFactor = 4;

// The number of non-blank characters taken on each side of an occurrence for
// the extract-size item 1..9 (10..90; items outside the range are clamped).
int ExtractWidth(int sizeItem);

// A search word inside an extract's text: 0-based start and length.
struct ExtractMark {
  std::size_t start = 0;
  std::size_t length = 0;
  friend bool operator==(const ExtractMark&, const ExtractMark&) = default;
};

// One extract: its decile within the file (1..9), the text "... " + cut text +
// " ...", and the search words found in it, in text order, never overlapping.
struct Extract {
  int decile = 0;
  std::u16string text;
  std::vector<ExtractMark> marks;
  friend bool operator==(const Extract&, const Extract&) = default;
};

// Hands the extract's text to piece in order: the stretches between search
// words with isMark false, each search word with isMark true. This is where a
// report decides how a search word is shown.
void ForEachExtractPiece(const Extract& extract,
                         const std::function<void(std::u16string_view piece, bool isMark)>& piece);

// What MakeExtract gives: the extract text with its marks, and the 0-based
// position in the block just after the extract, from which the scanner looks
// for the next occurrence so that extracts of one file never overlap.
struct MadeExtract {
  std::u16string text;
  std::vector<ExtractMark> marks;
  std::size_t resumePosition = 0;
};

// Finds the search words in an extract: for each word in order, its whole-word
// occurrences (the characters around are not letters) in the case-folded
// text, skipping those that overlap a word already marked. In an exact-phrase
// search a word after the first counts only after an occurrence of the word
// before it. searchWords are case-folded. Marks come back in text order.
std::vector<ExtractMark> FindExtractMarks(std::u16string_view text,
                                          const std::vector<std::u16string>& searchWords,
                                          bool exactPhrase);

// Cuts the extract for the occurrence of word at the 0-based position in the
// block's display text: width non-blank characters on each side, spaces and
// "/ " runs collapsed, a cut-off word dropped at either end when it lies in
// the outer quarter, the search words marked.
MadeExtract MakeExtract(std::u16string_view blockText, std::size_t position,
                        std::u16string_view word, int width,
                        const std::vector<std::u16string>& searchWords, bool exactPhrase);

// The deciles of one file's extracts never decrease: the highest so far.
struct DecileState {
  int highest = 0;
};

// The decile (1..9) of an occurrence at the 0-based position of a block whose
// first character is character blockStart (1-based) of a file of fileLength
// characters; raised to the highest decile so far, which it then becomes.
int PlaceExtract(DecileState& state, std::int64_t blockStart, std::size_t position,
                 std::int64_t fileLength);

// Appends extract to list unless it equals the last stored one. False when
// the file's scan is to stop: a maximum is set and the list now holds more
// than kOverCollectFactor times it.
bool StoreExtract(std::vector<Extract>& list, Extract extract, int maxExtracts);

// Gathers one file's extracts while the file scanner's report mode feeds it
// occurrences, one block at a time.
class FileExtractCollector : public ExtractCollector {
 public:
  // width: ExtractWidth of the size item; maxExtracts: kNoExtractLimit or >= 1;
  // searchWords case-folded, in the order of the search.
  FileExtractCollector(int width, int maxExtracts, std::vector<std::u16string> searchWords,
                       bool exactPhrase);

  // Empties the list and the decile state before a file of fileLength
  // characters (or bytes, as the scanner counts) is scanned.
  void BeginFile(std::int64_t fileLength) override;

  // One occurrence of word at the 0-based position of a block's display text
  // whose first character is character blockStart (1-based) of the file.
  // Returns the position from which the block is searched on (just after the
  // extract), or npos when the file's scan is to stop.
  std::size_t Occurrence(std::u16string_view blockText, std::int64_t blockStart,
                         std::size_t position, std::u16string_view word);
  // The same for a block as the scanner cleaned it: the extract is cut from
  // its display text.
  std::size_t Occurrence(const BlockTexts& block, std::int64_t blockStart, std::size_t position,
                         std::u16string_view word) override {
    return Occurrence(block.display, blockStart, position, word);
  }

  // True once the file holds more extracts than are worth collecting.
  bool FileDone() const override;

  const std::vector<Extract>& Extracts() const { return extracts_; }
  const std::vector<std::u16string>& SearchWords() const { return searchWords_; }

 private:
  int width_;
  int maxExtracts_;
  std::vector<std::u16string> searchWords_;
  bool exactPhrase_;
  std::int64_t fileLength_ = 0;
  DecileState deciles_;
  std::vector<Extract> extracts_;
};

// The check of the maximum-number-of-extracts box before a report.
struct MaxExtractsCheck {
  std::u16string text;  // the trimmed box text, to be written back
  int maximum = kNoExtractLimit;
  std::optional<MessageBoxRequest> refusal;  // set when the report must not start
};

// Trims the box text; empty means no limit; a whole number from 1 to 32767 is
// the maximum; anything else is refused with the exclamation box (titled
// title) the user sees.
[[nodiscard]] MaxExtractsCheck ValidateMaxExtracts(std::u16string_view boxText,
                                                   std::u16string_view title);

// How many of a file's extracts a report shows, and its count line.
struct ExtractCount {
  std::size_t shown = 0;
  bool shortened = false;  // the file has more extracts than it shows
  std::u16string line;     // empty when the file gets no count line
};

// "Number of extracts: 3 (5 possible)", "Number of extracts: 3 (more than 12
// possible)", "Number of extracts: 5", or no line, for count extracts under
// the maximum (kNoExtractLimit for none).
ExtractCount CountExtracts(std::size_t count, int maxExtracts);

}  // namespace quor
