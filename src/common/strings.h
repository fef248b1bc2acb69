// String and list helpers shared by every part of the program. Lists are
// 0-based std::vector<std::u16string>; texts are UTF-16.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quor {

using TextList = std::vector<std::u16string>;

inline constexpr std::u16string_view kCrLf = u"\r\n";

// Lower-casing used by every case-insensitive comparison of words, paths and
// names: Unicode simple lower-casing (exact on the whole Windows-1252
// repertoire: A-Z, the Latin-1 capitals, Œ Š Ž Ÿ) plus the table of 30
// accented capitals.
std::u16string FoldCase(std::u16string_view text);
char16_t FoldChar(char16_t ch);
// FoldCase without a copy, for the word scanner's lines. Folding never
// changes the length of a text.
void FoldCaseInPlace(std::u16string& text);
// FoldCase(a) == FoldCase(b), without building either.
bool EqualFolded(std::u16string_view a, std::u16string_view b);

// Spaces (only U+0020) removed at both ends, as VB Trim does.
std::u16string Trim(std::u16string_view text);

// Empty for 1, "s" otherwise.
std::u16string PluralS(std::int64_t n);

// English words for counts below 100 ("No", "One" ... "Nineteen", "Twenty",
// "Twenty three"); 100 and more as the number with digit grouping.
std::u16string NumberToWords(std::int64_t n);

// The number with the locale's digit grouping (a comma every three digits)
// and no decimals: 1234567 -> "1,234,567".
std::u16string GroupDigits(std::int64_t n);

// The number as written by the program's text output: no grouping.
std::u16string ToText(std::int64_t n);

// The numeric value of the number at the start of a text, as a field holding a
// size or a flag is read: leading spaces and tabs skipped, an optional sign,
// digits with an optional decimal fraction and exponent ("12.5e2"). Whatever
// follows the number is ignored; 0 when the text does not start with one.
double LeadingNumber(std::u16string_view text);

// Splits at CR LF (a lone CR or LF also ends a line) into list, skipping blank
// lines; trims each line when asked; folds case when caseMode is 1. Returns the
// number of entries.
int SplitLines(std::u16string_view text, TextList& list, int caseMode, bool trim);

// Splits at separator; an empty text gives no items; a leading separator is
// ignored; items shorter than minLength are dropped; at most maxCount items
// (0: no limit). Items are trimmed when asked. Returns the number of items.
int SplitList(std::u16string_view text, std::u16string_view separator, TextList& list, bool trim,
              int minLength = 0, int maxCount = 0);

// Entries joined by CR LF, no trailing CR LF.
std::u16string JoinLines(const TextList& list);

// Sorts list[first..last] (inclusive, 0-based) ascending by plain character
// code, or by folded text when folded is set.
void SortStrings(TextList& list, int first, int last, bool folded);

// Linear search from list[first] over count entries, comparing each entry from
// character fromChar (0-based) on, exactly or case-folded. The index, or -1.
int FindInList(std::u16string_view value, const TextList& list, int first, int count,
               bool exactCase, int fromChar = 0);

// Sorts texts that begin with a fixed-width key (a count right-aligned in 9
// characters) into decreasing order; equal keys end in decreasing order of the
// rest of the text.
void SortByKeyDescending(TextList& list);

}  // namespace quor
