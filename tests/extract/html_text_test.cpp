// Titles, descriptions and the block cleaners of the search-time scanner.
#include "extract/html_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/encoding.h"
#include "extract/text_normalize.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

std::u16string Path(const std::filesystem::path& p) {
  return Utf8ToText(p.string());
}

TEST(HtmlTextTest, StripEntitiesRemovesUnknownEntityRuns) {
  struct Row {
    const char16_t* in;
    const char16_t* out;
  } rows[] = {
      {u"a &lt;b&gt; c", u"a b c"},
      {u"x &amp y", u"x y"},  // a space ends the run and is kept
      {u"Tom &  Jerry", u"Tom Jerry"},
      {u"plain", u"plain"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.in));
    EXPECT_EQ(StripEntities(row.in), row.out);
  }
}

TEST(HtmlTextTest, TitlesAndMarkers) {
  test::TempFolder tmp;
  const std::string filler(5000, 'x');
  struct Row {
    const char* name;
    std::string content;
    const char16_t* title;
  } rows[] = {
      {"upper.htm", "<HTML><HEAD><TITLE>My Page</TITLE></HEAD>", u"My Page"},
      {"two.html", "<title>First\r\nsecond</title>\r\n", u"First second"},
      {"three.html", "<title>First\r\nsecond\r\nthird</title>\r\n", u"First second"},
      {"lf.html", "<html>\n<head>\n<title> Unix page </title>\n</head>\n", u"Unix page"},
      {"headfirst.htm", "<head>\r\n</head>\r\n<title>Late</title>", u"Untitled"},
      {"long.htm", filler + "\r\n" + filler + "\r\n<title>Far</title>", u"Untitled"},
      {"short.htm", "<p>no title here</p>", u"No title"},
      {"empty.htm", "<title></title>", u"No title"},
      {"dash.htm", "<title>A &#151; B</title>", u"A &#8212; B"},
      {"utf8.htm", "<title>Caf\xC3\xA9 cr\xC3\xA8me</title>", u"Caf\u00E9 cr\u00E8me"},
      {"ansi.htm", "<title>Caf\xE9</title>", u"Caf\u00E9"},
      {"note.txt", "text", u"Not HTML or DOCX file"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::u16string first;
    EXPECT_EQ(GetHtmlTitle(Path(tmp.Write(row.name, row.content)), first, 80), row.title);
  }
  std::u16string first;
  EXPECT_EQ(GetHtmlTitle(Path(tmp.Path() / "missing.htm"), first, 80), u"File not found");
  EXPECT_EQ(GetHtmlTitle(Path(tmp.Write("doc.docx", std::string("PK\x03\x04", 4) + "0123456789")),
                         first, 80),
            u"DOCX file");
  // A UTF-16 page is read as text.
  const std::string utf16 =
      std::string("\xFF\xFE", 2) + std::string("<\0t\0i\0t\0l\0e\0>\0W\0i\0d\0e\0", 22);
  EXPECT_EQ(GetHtmlTitle(Path(tmp.Write("wide.htm", utf16)), first, 80), u"Wide");
}

TEST(HtmlTextTest, FirstTextOfPlainFiles) {
  test::TempFolder tmp;
  struct Row {
    const char* content;
    int maxChars;
    const char16_t* first;
  } rows[] = {
      {"\r\n  \r\n\t  Hello   world\r\nnext", 80, u"Hello world"},
      {"one\ntwo\n\nthree\n\r\n", 80, u"one / two / three / "},
      {"abcdefghij", 4, u"abcd"},
      {"", 80, u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.content);
    std::u16string first = u"unchanged";
    EXPECT_EQ(GetHtmlTitle(Path(tmp.Write("f.txt", row.content)), first, row.maxChars),
              u"Not HTML or DOCX file");
    EXPECT_EQ(first, row.first);
  }
}

TEST(HtmlTextTest, MetaContent) {
  test::TempFolder tmp;
  struct Row {
    std::string content;
    const char16_t* description;
  } rows[] = {
      {"<head>\r\n<META NAME=\"Description\" CONTENT=\"About Cats\">\r\n", u"About Cats"},
      {"<head>\n<meta charset=\"utf-8\">\n<meta name=\"description\" content=\" x \">\n", u"x"},
      {"<meta name=\"description\"\r\ncontent=\"split\">", u""},
      {"<meta content=\"first\" name=\"description\">", u""},
      {"<meta name=\"description\"  content=\"two spaces\">", u""},
      {"<meta name=\"keywords\" content=\"k\">\r\n</head>\r\n"
       "<meta name=\"description\" content=\"late\">",
       u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.content);
    EXPECT_EQ(GetMetaContent(Path(tmp.Write("p.htm", row.content)), u"description", 6144),
              row.description);
  }
  EXPECT_EQ(GetMetaContent(Path(tmp.Write("p.txt", "x")), u"description", 6144), u"Not HTML file");
  EXPECT_EQ(GetMetaContent(Path(tmp.Path() / "gone.htm"), u"description", 6144), u"File not found");
}

std::string Blanked(std::string block) {
  std::vector<std::uint8_t> bytes(block.begin(), block.end());
  BlankTags(bytes);
  return std::string(bytes.begin(), bytes.end());
}

TEST(HtmlTextTest, BlankTagsRows) {
  struct Row {
    const char* in;
    const char* out;
  } rows[] = {
      {"a<b>c", "a   c"},
      {"x</p>y<!-- c -->z", "x    y          z"},
      {"tail of tag> text", "tail of tag  text"},  // the end of a tag cut by the block start
      {"a < b and c<3", "a < b and c<3"},          // "<" before no tag name is text
      {"ends with <", "ends with  "},              // a last "<" opens a tag
      {"line\r\nnext\tx", "line/ next x"},
      {"<a <b> c> d", "          d"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.in);
    EXPECT_EQ(Blanked(row.in), row.out);
  }
}

TEST(HtmlTextTest, BlankShortEntitiesKeepsLength) {
  struct Row {
    const char16_t* in;
    const char16_t* out;
  } rows[] = {
      {u"a&nbsp;b", u"a      b"}, {u"a&#8212;b", u"a&#8212;b"}, {u"&amp;&lt;", u"         "},
      {u"R&D; x", u"R    x"},     {u"no end &", u"no end &"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.in));
    std::u16string text = row.in;
    BlankShortEntities(text);
    EXPECT_EQ(text, row.out);
  }
}

}  // namespace
}  // namespace quor
