// What the search side knows about HTML: the title and meta description of a
// page for the results list and the reports, the entity stripping of titles,
// and the three cleaners the search-time file scanner applies to every
// 4096-byte block of a file (whatever its type) before it matches words.
//
// A file is HTML when its lower-cased extension contains "htm". Titles, first
// texts and descriptions are read line by line (CR, LF or CR LF ends a line;
// a UTF-16 or UTF-32 file is transcoded); a line that is well-formed UTF-8 is
// taken as UTF-8, any other as Windows-1252.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quor {

// Title markers GetHtmlTitle returns instead of a title.
inline constexpr std::u16string_view kTitleFileNotFound = u"File not found";
inline constexpr std::u16string_view kTitleDocx = u"DOCX file";
inline constexpr std::u16string_view kTitleNotHtml = u"Not HTML or DOCX file";
inline constexpr std::u16string_view kTitleUntitled = u"Untitled";
inline constexpr std::u16string_view kTitleNone = u"No title";

// Markers GetMetaContent returns instead of a content.
inline constexpr std::u16string_view kMetaNotHtml = u"Not HTML file";
inline constexpr std::u16string_view kMetaFileNotFound = u"File not found";

// The "<" rule shared with the index build: a "<" starts a tag only when the
// character after it is an ASCII letter, "/", "!" or "?".
constexpr bool IsTagNameStart(char16_t next) {
  return (next >= u'a' && next <= u'z') || (next >= u'A' && next <= u'Z') || next == u'/' ||
         next == u'!' || next == u'?';
}

// The lower-cased extension of path contains "htm".
bool IsHtmlPath(std::u16string_view path);

// Every run from "&" to ";" removed ("&" and ";" dropped; a space ends a run
// and is kept), then double spaces reduced to one. Used on decoded titles.
std::u16string StripEntities(std::u16string_view text);

// The title of an HTML page (looked for in its first 4096 characters), or a
// title marker: kTitleFileNotFound, kTitleDocx, kTitleNotHtml (then firstText
// holds the first non-empty line of the file, cleaned and cut to maxChars
// characters), kTitleUntitled (the head ended, or 4096 characters were read,
// before a title) or kTitleNone (an empty title, or none in a shorter page).
// firstText is set only for a file that is neither HTML nor DOCX. A read
// failure ends the scan with what was found so far.
std::u16string GetHtmlTitle(std::u16string_view path, std::u16string& firstText, int maxChars);

// The content attribute of the first meta tag of an HTML page whose name
// attribute equals metaName (case-insensitive), written exactly as
// <meta name="NAME" content="TEXT" on one line, looked for in the first
// maxScan characters of the head. kMetaNotHtml for a file that is not HTML,
// kMetaFileNotFound for a missing one, empty when there is none.
std::u16string GetMetaContent(std::u16string_view path, std::u16string_view metaName, int maxScan);

// The block's markup turned into spaces, in place: a "<" that starts a tag
// (IsTagNameStart of the next byte; a "<" that is the block's last byte counts
// as a start) opens a tag, ">" closes one; the bytes of tags, both brackets
// included, become spaces. Tag depth starts at 0 in every block. Outside tags
// CR becomes "/" and every other byte below 32 a space.
void BlankTags(std::span<std::uint8_t> block);

// The block's bytes as Windows-1252 characters, up to (not including) the
// first zero byte.
std::u16string BlockToText(std::span<const std::uint8_t> block);

// Each "&" whose next ";" lies at most 5 characters after it is blanked with
// that ";" and everything between ("&nbsp;" yes, "&#8212;" no), in place. The
// text keeps its length.
void BlankShortEntities(std::u16string& text);

}  // namespace quor
