// Cutting lines of document text into words for the index build.
//
// A line is prepared (trimmed, UTF-8 remnants repaired, case folded), then
// scanned: white space is normalised, entities decoded, markup between "<"
// and ">" skipped, and every run of word characters becomes a word. Words of
// more than 60 characters, words with a run of four equal characters and
// repeated common words are dropped; every other word is counted in the
// lexicon.
//
// Positions in this header are 0-based.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "index/lexicon.h"

namespace quor {

class CommonWords;

inline constexpr int kMaxWordLength = 60;
inline constexpr int kCharRunLength = 4;
// The line (spaces removed, case folded) after which a mail attachment
// follows: the rest of the file is not read.
inline constexpr std::u16string_view kBase64Marker = u"content-transfer-encoding:base64";

// True when c is a word character. Only the low 8 bits of c's first unit are
// examined: digits (when allowDigits), the ASCII letters, the Latin-1 letters
// 192..255 except 215 and 247, and any byte whose Windows-1252 character is in
// extra. False for an empty c.
bool IsWordChar(std::u16string_view c, bool allowDigits, std::u16string_view extra);
bool IsWordChar(char16_t c, bool allowDigits, std::u16string_view extra);
// The same for the scanner's settings (digits allowed, no extra characters).
bool IsScannerWordChar(char16_t c);

// The number of word characters from position on, at most 65000.
std::int32_t WordLength(std::u16string_view text, std::size_t position, bool allowDigits,
                        std::u16string_view extra);

// False when n < 1 or n > the word's length; otherwise true when some
// character is followed by n - 1 copies of itself.
bool HasCharRun(std::u16string_view word, int n);

// True when "<" at position starts a tag: the next character is an ASCII
// letter, "/", "!" or "?". Any other "<" is ordinary text.
bool StartsTag(std::u16string_view text, std::size_t position);

enum class LinePreparation {
  kScan,       // out holds the line to scan, ending in the end-mark space
  kEmpty,      // nothing to scan
  kEndOfText,  // the attachment marker: the rest of the file is not read
};

// Line preparation: trims spaces at both ends, repairs UTF-8 remnants, folds
// case, checks for the attachment marker and appends the end-mark space. out
// is reused (no allocation once it is large enough).
LinePreparation PrepareLine(std::u16string_view line, std::u16string& out);

enum class LineOutcome {
  kContinue,   // read the next line
  kEndOfText,  // stop reading this file (attachment marker)
  kStopped,    // StopRequested() is set (a poll asked for it, or an error)
};

// The scanner state of one index build: the line being scanned and whether a
// tag is open. The open tag carries over from one line to the next and from
// one file to the next; ClearInTag() is there for a caller that wants each
// file to start outside markup.
class WordScanner {
 public:
  // The common-word list may be null (no common words). Both must outlive the
  // scanner.
  WordScanner(IndexLexicon& lexicon, CommonWords* commonWords);

  // Start of an indexing pass: empties the lexicon. The open-tag state and the
  // stop flag are left as they are.
  void InitWordExtraction();

  // Before each file: the common-word flags are cleared and the lexicon starts
  // counting for fileNumber (1-based).
  void BeginFile(std::uint32_t fileNumber);

  // Prepares and scans one line of the current file.
  LineOutcome ProcessLine(std::u16string_view line);

  // Scans a prepared line (it must end with the end-mark space); the tests
  // and the search side feed lines here directly.
  void TokenizeLine(std::u16string_view currentLine);

  // After each file: every word of the file gets its byte value in the
  // lexicon. Returns "" or the description of the failure.
  std::u16string EndFile();

  // Counts one word through the common-word and char-run rules, as the
  // scanner does for every word it cuts.
  void OfferWord(std::u16string_view word);

  // Counts a word that has already passed the scanner's rules (cut for the
  // current file elsewhere) times times; a failure is handled as when the
  // scanner adds a word (ErrorText, StopRequested). Returns the word's row,
  // 0 after a failure.
  std::int32_t AddCountedWord(std::u16string_view word, int commonIndex, int times);

  // True when word is a common word already met in the current file; the
  // first occurrence sets the word's flag and gives false.
  bool IsCommonWordRepeat(std::u16string_view word);

  bool InTag() const { return inTag_; }
  void ClearInTag() { inTag_ = false; }

  bool StopRequested() const { return stopRequested_; }
  void RequestStop() { stopRequested_ = true; }
  void ClearStopRequest() { stopRequested_ = false; }

  // The message of the last failure while adding a word ("Out of memory in
  // module AWTL (3)."), empty when there was none. The caller shows it with
  // the title "Error" and an exclamation icon; the scanner has already set
  // StopRequested().
  const std::u16string& ErrorText() const { return errorText_; }

  // A check for pending events, made every `everyTokens` scan steps inside a
  // line (lines themselves are the caller's to poll between). Returning true
  // requests a stop.
  void SetEventPoll(std::function<bool()> poll, int everyTokens = 4096);

  IndexLexicon& Lexicon() { return lexicon_; }
  const IndexLexicon& Lexicon() const { return lexicon_; }

 private:
  // features: what the line holds (see the .cpp); steps for what it does
  // not hold are skipped.
  void Scan(unsigned features);
  std::int32_t AddNewWord(std::u16string_view word, int commonIndex, int times = 1);
  bool Poll();

  IndexLexicon& lexicon_;
  CommonWords* commonWords_;
  std::u16string currentLine_;
  bool inTag_ = false;
  bool stopRequested_ = false;
  std::u16string errorText_;
  std::function<bool()> poll_;
  int pollEvery_ = 4096;
  int untilPoll_ = 4096;
};

}  // namespace quor
