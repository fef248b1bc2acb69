// From the text of the search box to the list of search words: the quote
// umlauts, the character check, the word splitter, the asterisk rule and the
// expansion of stems ("report*") into the lexicon words that begin with them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/messages.h"
#include "common/strings.h"
#include "search/loaded_index.h"

namespace quor {

// The search type, as the index of the search-type list.
enum class SearchType : int { kAnyWord = 0, kAllWords = 1, kExactPhrase = 2 };

// The letters of search words (119 characters: A-Z, a-z, the Latin-1 letters
// without the multiplication and division signs, and Š Œ Ÿ š œ ÿ), compared
// exactly.
bool IsSearchLetter(char16_t ch);
bool IsSearchDigit(char16_t ch);

// Each of a, o, u, A, O, U followed by a double quote becomes that letter
// with umlaut (o" -> ö), all occurrences.
std::u16string ConvertQuoteUmlauts(std::u16string_view text);

// True when every character of text is a search letter or occurs in extra;
// true for an empty text.
bool HasOnlyWordCharacters(std::u16string_view text, std::u16string_view extra);

enum class CaseMode { kKeep, kLower };

// Appends to words every run of word characters of text (search letters, and
// digits when withDigits), in order, and returns how many it appended. A run
// directly followed by suffixChar keeps that one character; a run directly
// preceded by prefixChar (unless empty or a blank) gets it in front. kLower
// folds each word with FoldCase. An empty suffixChar or prefixChar is none.
int SplitWords(std::u16string_view text, TextList& words, CaseMode caseMode,
               std::u16string_view suffixChar, std::u16string_view prefixChar, bool withDigits);

// The asterisk rule: every "*" directly follows a letter and is not followed
// by one; an asterisk at the very end of the text always passes.
bool AsteriskPlacementHolds(std::u16string_view text);

// Replaces every word ending in "*" by the lexicon words that begin with the
// rest of it (exact comparison, so "ab*" also gives "ab"): the first in the
// word's place, the others appended at the end in lexicon order. A stem
// nothing begins with becomes an empty word. lexicon must be in ascending
// order of its words by code unit, as a loaded index keeps it.
void ExpandStems(TextList& words, const Lexicon& lexicon);

// Blanks every word equal to an earlier one (the first stays), comparing
// folded texts when ignoreCase.
void RemoveDuplicates(TextList& words, bool ignoreCase = false);

// Removes the empty words, keeping the order; returns the index of the last
// word left, -1 when none is left.
int RemoveEmptyEntries(TextList& words);

// The character check a search starts with: refuses a text holding anything
// but search letters, blanks and "*" by showing notAllowedText (program text
// 100) with an exclamation icon and title. True when the search may go on.
[[nodiscard]] bool CheckSearchWordCharacters(std::u16string_view text,
                                             std::u16string_view notAllowedText,
                                             std::u16string_view title, MessageSink& sink);

enum class ParseOutcome {
  kReady,            // SearchWords holds the words to look up
  kRefused,          // a message was shown; no search
  kChangeToAnyWord,  // a stem in another type: the caller selects "Any word"; no search
  kNoStemMatches,    // no lexicon word begins with any stem: no files found
};

struct ParsedSearchWords {
  ParseOutcome outcome = ParseOutcome::kRefused;
  // Lower-cased, stems expanded; duplicates removed unless the type is
  // kExactPhrase (then in phrase order).
  TextList SearchWords;
};

// Checks and splits the search text (after the character check) and expands
// its stems. Refusals are shown through sink; those about asterisks carry
// windowCaption as title, the others "Invalid input".
ParsedSearchWords ParseSearchWords(std::u16string_view text, SearchType type,
                                   const Lexicon& lexicon, std::u16string_view windowCaption,
                                   MessageSink& sink);

}  // namespace quor
