#include "report/html_escape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/encoding.h"

namespace quor {
namespace {

bool IsAscii(std::string_view text) {
  for (unsigned char ch : text) {
    if (ch >= 0x80) return false;
  }
  return true;
}

TEST(HtmlText, EscapesEverythingThatCouldBeMarkup) {
  struct Row {
    std::u16string text;
    std::string html;
  };
  const std::vector<Row> rows = {
      {u"plain words", "plain words"},
      {u"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
      {u"say \"hi\" & 'bye'", "say &quot;hi&quot; &amp; 'bye'"},
      {u"\" onmouseover=\"x", "&quot; onmouseover=&quot;x"},
      {u"&amp; stays visible as &amp;", "&amp;amp; stays visible as &amp;amp;"},
      {u"caf\u00e9 \u2014 na\u00efve", "caf&#233; &#8212; na&#239;ve"},
      {u"\U0001F600", "&#128512;"},
      {u"lone \xD800 half", "lone &#65533; half"},
      {u"tab\tline\r\nnul\x01", "tab\tline\r\nnul "},
      {u"\u0081 undefined byte", "&#129; undefined byte"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.html);
    const std::string html = HtmlText(row.text);
    EXPECT_EQ(html, row.html);
    EXPECT_TRUE(IsAscii(html));
  }
}

TEST(FileUrl, PercentEncodesWhatWouldBreakTheLink) {
  struct Row {
    std::u16string path;
    std::string url;
  };
  const std::vector<Row> rows = {
      {u"/home/ann/doc.txt", "file:///home/ann/doc.txt"},
      {u"/home/ann/my notes/a b.txt", "file:///home/ann/my%20notes/a%20b.txt"},
      {u"/d/#1/50%/what?.htm", "file:///d/%231/50%25/what%3F.htm"},
      {u"/d/caf\u00e9/\u00c9t\u00e9.html", "file:///d/caf%C3%A9/%C3%89t%C3%A9.html"},
      {u"/d/a\"b<c>&d'.htm", "file:///d/a%22b%3Cc%3E%26d%27.htm"},
      {u"/d/tilde~_-.txt", "file:///d/tilde~_-.txt"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.url);
    EXPECT_EQ(FileUrl(row.path), row.url);
  }
}

TEST(DecodeCharacterReferences, GivesTheCharactersABrowserWouldShow) {
  struct Row {
    std::u16string text;
    std::u16string decoded;
  };
  const std::vector<Row> rows = {
      {u"&lt;b&gt; tag", u"<b> tag"},
      {u"it&#8217;s &#x2019;", u"it\u2019s \u2019"},
      {u"old dash &#151;", u"old dash \u2014"},
      {u"&hellip; &rsquo; &euro; &times;", u"\u2026 \u2019 \u20ac \u00d7"},
      {u"&amp;lt;", u"&lt;"},
      {u"&#0; &#xD800; &#99999999;", u"\ufffd \ufffd &#99999999;"},
      {u"&#128512;", u"\U0001F600"},
      {u"&unknown; & alone &; &#;", u"&unknown; & alone &; &#;"},
      {u"AT&T;x", u"AT&T;x"},
      {u"trailing &", u"trailing &"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.text));
    EXPECT_EQ(DecodeCharacterReferences(row.text), row.decoded);
  }
}

}  // namespace
}  // namespace quor
