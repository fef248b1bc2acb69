#include "extract/text_normalize.h"

#include <gtest/gtest.h>

#include <string>

#include "common/encoding.h"

namespace quor {
namespace {

// Document bytes as the program reads them: one Windows-1252 character each.
std::u16string Doc(std::string_view bytes) {
  return AnsiToText(bytes);
}

struct TextCase {
  const char* name;
  std::u16string input;
  std::u16string expected;
};

// Each row's input through transform, compared with the row's expectation.
template <std::size_t N, typename Transform>
void ExpectRows(const TextCase (&cases)[N], Transform transform) {
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(transform(c.input), c.expected);
  }
}

// An operation that changes a text in place, as a transform.
auto InPlace(void (*operation)(std::u16string&)) {
  return [operation](std::u16string text) {
    operation(text);
    return text;
  };
}

TEST(RepairUtf8LatinTest, TwoByteRemnantsBecomeOneCharacter) {
  const TextCase cases[] = {
      {"e acute", Doc("caf\xC3\xA9"), u"caf\u00E9"},
      {"i diaeresis inside a word", Doc("na\xC3\xAFve"), u"na\u00EFve"},
      {"pound sign", Doc("\xC2\xA3 5"), u"\u00A3 5"},
      {"no-break space", Doc("x\xC2\xA0y"), u"x\u00A0y"},
      {"C1 control remnant removed", Doc("x\xC2\x80y\xC2\x9Fz"), u"xyz"},
      {"genuine ANSI A circumflex kept", Doc("\xC2me"), u"\u00C2me"},
      {"A tilde before a non-continuation kept", Doc("\xC3x"), u"\u00C3x"},
      {"lead as the last character kept", Doc("abc\xC3"), u"abc\u00C3"},
      {"c caron becomes c", Doc("\xC4\x8Dlovek"), u"clovek"},
      {"every pair of a kind is repaired", Doc("\xC3\xA9t\xC3\xA9"), u"\u00E9t\u00E9"},
      {"several kinds in one line", Doc("\xC3\xA0 \xC2\xBD \xC3\xBC"), u"\u00E0 \u00BD \u00FC"},
      // After a removal the next lead slides under the examined position and
      // the scan goes on after it, so that pair is not examined.
      {"lead slid under the examined position", Doc("\xC2\x80\xC2\xA3"), u"\u00C2\u00A3"},
      {"nothing to repair", u"plain text", u"plain text"},
  };
  ExpectRows(cases, [](std::u16string_view text) { return RepairUtf8Latin(text, 0); });
}

TEST(RepairUtf8PunctuationTest, EveryThreeByteRemnantIsRepairedByItsOwnEntry) {
  const TextCase cases[] = {
      {"apostrophe", Doc("don\xE2\x80\x99t"), u"don't"},
      {"curly quotes of both kinds", Doc("\xE2\x80\x9Cquoted\xE2\x80\x9D"), u"\"quoted\""},
      {"en dash", Doc("x\xE2\x80\x93y"), u"x-y"},
      {"em dash", Doc("x\xE2\x80\x94y"), u"x -- y"},
      {"horizontal bar", Doc("x\xE2\x80\x95y"), u"x--y"},
      {"double vertical line", Doc("x\xE2\x80\x96y"), u"x|y"},
      {"double low line becomes per mille", Doc("x\xE2\x80\x97y"), u"x\u2030y"},
      {"bullet", Doc("\xE2\x80\xA2item"), u" . item"},
      {"ellipsis", Doc("wait\xE2\x80\xA6"), u"wait..."},
      {"single angle quotes", Doc("\xE2\x80\xB9 x \xE2\x80\xBA"), u"< x >"},
      {"mixed kinds in one line",
       Doc("\xE2\x80\x9CHi\xE2\x80\x9D \xE2\x80\x94 it\xE2\x80\x99s\xE2\x80\xA6"),
       u"\"Hi\"  --  it's..."},
      {"unknown third byte removed", Doc("50\xE2\x80\xB0 and 60\xE2\x80\xB0"), u"50 and 60"},
      {"unknown kind first, known kind later", Doc("\xE2\x80\xB0x\xE2\x80\x99y"), u"x'y"},
      {"truncated remnant at the end removed", Doc("end\xE2\x80"), u"end"},
      {"lone a circumflex kept", Doc("\xE2x"), u"\u00E2x"},
      {"lone euro sign kept", Doc("5\x80"), u"5\u20AC"},
  };
  ExpectRows(cases, RepairUtf8Punctuation);
}

TEST(NormalizeWhitespaceTest, ControlCharactersBecomePlainSpaces) {
  const TextCase cases[] = {
      {"tab", u"a\tb", u"a b"},
      {"CR LF is one space", u"a\r\nb", u"a b"},
      {"lone CR and LF", u"a\rb\nc", u"a b c"},
      {"CR CR LF is two spaces", u"a\r\r\nb", u"a  b"},
      {"LF CR is two spaces", u"a\n\rb", u"a  b"},
      {"backspace removed", u"a\bb", u"ab"},
      {"backspace inside CR LF", u"a\r\b\nb", u"a b"},
      {"form feed", u"a\fb", u"a b"},
      {"no-break space", u"a\u00A0b", u"a b"},
      {"vertical tab kept", u"a\vb", u"a\vb"},
  };
  ExpectRows(cases, InPlace(NormalizeWhitespace));
}

TEST(DecodeEntitiesTest, KnownEntitiesAreReplacedCaseSensitively) {
  const TextCase cases[] = {
      {"capital and small e acute", u"&Eacute;t&eacute;", u"\u00C9t\u00E9"},
      {"wrong case left alone", u"&EACUTE;", u"&EACUTE;"},
      {"quot", u"&quot;x&quot;", u"\"x\""},
      {"amp", u"fish &amp; chips", u"fish & chips"},
      {"produced ampersand not decoded again", u"&amp;lt;", u"&lt;"},
      {"lone ampersand pairs with the next semicolon", u"a & b &amp; c", u"a & b &amp; c"},
      {"lt and gt unknown", u"&lt;b&gt;", u"&lt;b&gt;"},
      {"numeric references unknown except two", u"&#151;&#160;&#8212;", u"&#151; \u2014"},
      {"nbsp and copy", u"&nbsp;&copy;", u" \u00A9"},
      {"last table entry", u"&yuml;", u"\u00FF"},
      {"first Latin-1 entry", u"&AElig;", u"\u00C6"},
      {"no semicolon", u"&amp", u"&amp"},
      {"unknown run skipped, later entity decoded", u"&x;&amp;", u"&x;&"},
      // The lookup is a substring search in the table, where "&amp;&" is
      // followed by " &nbsp;".
      {"run matching across table entries", u"& &nbsp;", u" "},
  };
  ExpectRows(cases, InPlace(DecodeEntities));
}

TEST(BlankEntityRunsTest, UnknownEntitiesBecomeOneSpace) {
  const TextCase cases[] = {
      {"lt and gt", u"a &lt;b&gt; c", u"a  b  c"},
      {"word glued to an entity", u"at&t; x", u"at  x"},
      {"space before the semicolon keeps the run", u"a & b;", u"a & b;"},
      {"no semicolon", u"a &b", u"a &b"},
      {"two ampersands, one run", u"&&x;y", u" y"},
      {"semicolon before any space at the end", u"x &y;", u"x  "},
  };
  ExpectRows(cases, InPlace(BlankEntityRuns));
}

TEST(StringOperationsTest, ReplaceAnyOfAndRemoveAll) {
  std::u16string text = u"a,b;c";
  ReplaceAnyOf(text, u",;", u" ");
  EXPECT_EQ(text, u"a b c");
  text = u"a,b";
  ReplaceAnyOf(text, u",", u"--");
  EXPECT_EQ(text, u"a--b");
  EXPECT_EQ(RemoveAll(u"Content-Transfer-Encoding: base64", u" "),
            u"Content-Transfer-Encoding:base64");
  EXPECT_EQ(RemoveAll(u"abab", u"ab"), u"");
  EXPECT_EQ(RemoveAll(u"abc", u""), u"abc");
}

}  // namespace
}  // namespace quor
