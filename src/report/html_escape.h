// Putting text into the HTML report safely: the one escaping function every
// document text and user text goes through, the file links, and the decoding
// of the character references documents leave in their texts.
#pragma once

#include <string>
#include <string_view>

#include "common/paths.h"  // FileUrl, for the links

namespace quor {

// The text as HTML character data or a double-quoted attribute value, in
// pure ASCII: "&", "<", ">" and the double quote become "&amp;", "&lt;",
// "&gt;", "&quot;"; every character outside ASCII becomes a numeric
// character reference ("&#233;", a surrogate pair one reference); control
// characters other than tab, CR and LF become spaces. The result can never
// open a tag, end an attribute or start an entity of its own.
std::string HtmlText(std::u16string_view text);

// Replaces the character references a document's text may still hold after
// DecodeEntities by their characters, as a browser would show them: decimal
// and hexadecimal references ("&#8217;", "&#x2019;"; 128..159 read through
// Windows-1252 as browsers do; invalid code points give U+FFFD) and the
// common named ones ("&lt;", "&gt;", "&apos;", "&hellip;", "&rsquo;" ...).
// Anything else is left as text.
std::u16string DecodeCharacterReferences(std::u16string_view text);

}  // namespace quor
