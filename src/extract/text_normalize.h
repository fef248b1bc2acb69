// Normalisers for document text taken byte by byte through Windows-1252: they
// mend UTF-8 sequences that were read as two or three single characters, turn
// white space into plain spaces and decode HTML entities. The index build and
// the search side use the same functions so that words compare equal.
//
// "ANSI code n" below is the character AnsiChar(n); a character's code is
// AnsiCode(ch).
#pragma once

#include <string>
#include <string_view>

namespace quor {

// Turns two-character UTF-8 remnants back into one character: "Â" followed by
// codes 128..159 is removed with it, followed by 160..191 becomes that
// character; "Ã" followed by 128..191 becomes the character of code + 64;
// "Ä" followed by code 141 becomes "c". flag has no effect (callers pass 0).
std::u16string RepairUtf8Latin(std::u16string_view text, int flag = 0);
void RepairUtf8LatinInPlace(std::u16string& text);

// Replaces every three-character remnant of a UTF-8 punctuation sequence
// (codes 226, 128, x) by its plain form ("-", "'", "\"", "...", "<", ">" ...);
// a remnant whose x has no plain form is removed, as is a trailing 226, 128
// with no third character.
std::u16string RepairUtf8Punctuation(std::u16string_view text);
void RepairUtf8PunctuationInPlace(std::u16string& text);

// Removes backspaces, turns CR LF into one CR and then tab, LF, form feed, CR
// and the no-break space into plain spaces.
void NormalizeWhitespace(std::u16string& text);

// Replaces, in place and case-sensitively, the entities of the entity table
// (&copy; &amp; &nbsp; &#160; &#8212; and the 62 named Latin-1 letters) and
// "&quot;". Every other entity stays as it is; a character produced by a
// replacement is never decoded again ("&amp;lt;" gives "&lt;").
void DecodeEntities(std::u16string& text);

// The entity table: each entity immediately followed by its replacement
// character, entries separated by one space (67 entries).
std::u16string_view EntityTable();

// Replaces each run from "&" to the first ";" after it by one space when no
// space comes before that ";" (entities DecodeEntities did not know).
void BlankEntityRuns(std::u16string& text);

// Every character of text that occurs in set is replaced by replacement.
void ReplaceAnyOf(std::u16string& text, std::u16string_view set, std::u16string_view replacement);

// The text with every occurrence of part removed (an empty part removes
// nothing).
std::u16string RemoveAll(std::u16string_view text, std::u16string_view part);

}  // namespace quor
